#pragma once

#include <cstddef>

// UTF-8 as tovrik-split meets it: checked as it arrives, and measured in the
// UTF-16 code units a phone counts (one for a sequence of one to three bytes,
// two for a four-byte one) without converting anything.

namespace tovrik {

struct Utf8Scan {
    // How many bytes from the start are whole, well-formed characters.
    std::size_t valid = 0;
    // The offset of the first byte that does not belong to well-formed UTF-8
    // (no overlong forms, no surrogates, nothing above U+10FFFF), or of the
    // first NUL byte when NUL is refused; -1 when there is none.
    std::ptrdiff_t error = -1;
    bool nul = false; // the error is a refused NUL byte
    // [asciiFrom, valid) is plain ASCII.
    std::size_t asciiFrom = 0;
};

// Checks data[0, size). Unless `final`, a character cut off by the end of the
// data is left for the next call (it is not in `valid`) instead of being an
// error.
Utf8Scan ScanUtf8(const char *data, std::size_t size, bool final, bool refuseNul);

// The offset of the first byte that is not well-formed UTF-8, or -1.
// allAscii, when given, tells whether every byte was below 0x80.
std::ptrdiff_t FirstInvalidUtf8(const char *data, std::size_t size, bool *allAscii = nullptr);

// Decodes data[0, size) to UTF-16 at out, which has room for `size` units
// (UTF-16 never needs more units than UTF-8 has bytes). Returns the end of
// what was written, or nullptr when the bytes are not well-formed UTF-8.
// A byte-order mark is a character like any other here.
char16_t *DecodeUtf8(const char *data, std::size_t size, char16_t *out);

struct UnitSpan {
    std::size_t bytes = 0;
    std::size_t units = 0;
};

// The longest run of whole characters at the start of data[0, size) (which
// holds whole characters) that is at most `units` UTF-16 code units long.
UnitSpan TakeUnits(const char *data, std::size_t size, std::size_t units);

} // namespace tovrik
