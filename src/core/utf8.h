#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// UTF-8 as tovrik-split meets it: checked as it arrives, and measured in the
// UTF-16 code units a phone counts (one for a sequence of one to three bytes,
// two for a four-byte one) without converting anything.

namespace tovrik::core {

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
std::ptrdiff_t FirstInvalidUtf8(const char *data, std::size_t size);

// Bytes as a message shows them: as they are, except a byte that is not
// UTF-8 (a message must be) or a control character (a terminal would obey
// it), which is shown as \xHH.
std::string Shown(std::string_view bytes);

struct UnitSpan {
    std::size_t bytes = 0;
    std::size_t units = 0;
};

// The longest run of whole characters at the start of data[0, size) (which
// holds whole characters) that is at most `units` UTF-16 code units long.
UnitSpan TakeUnits(const char *data, std::size_t size, std::size_t units);

// Walking text that is known to be well-formed UTF-8.

// The length of the character whose first byte is `lead`.
inline std::size_t Utf8Length(unsigned char lead) {
    return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

// The code point at s[i], and its length in bytes.
inline char32_t DecodeAt(const char *s, std::size_t i, std::size_t &length) {
    const auto *b = reinterpret_cast<const unsigned char *>(s) + i;
    if (b[0] < 0x80) {
        length = 1;
        return b[0];
    }
    if (b[0] < 0xE0) {
        length = 2;
        return char32_t(b[0] & 0x1F) << 6 | char32_t(b[1] & 0x3F);
    }
    if (b[0] < 0xF0) {
        length = 3;
        return char32_t(b[0] & 0x0F) << 12 | char32_t(b[1] & 0x3F) << 6 | char32_t(b[2] & 0x3F);
    }
    length = 4;
    return char32_t(b[0] & 0x07) << 18 | char32_t(b[1] & 0x3F) << 12 | char32_t(b[2] & 0x3F) << 6 |
           char32_t(b[3] & 0x3F);
}

// The four bytes at b as one number, first byte highest.
inline std::uint32_t FourBytesAt(const unsigned char *b) {
    return std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 | std::uint32_t(b[2]) << 8 |
           std::uint32_t(b[3]);
}

// The same where three bytes after s[i] can be read, whatever the length:
// without a branch, for text that mixes lengths. The character's bytes are
// read as one number, first byte highest; the lead's marker bits and the
// continuation bytes' are masked off, and the six-bit groups closed up.
inline char32_t DecodeWithRoom(const char *s, std::size_t i, std::size_t &length) {
    static constexpr std::uint8_t Lengths[16] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 3, 4};
    static constexpr std::uint32_t Payload[5] = {0, 0x7F, 0x1F3F, 0x0F3F3F, 0x073F3F3F};
    const auto *b = reinterpret_cast<const unsigned char *>(s) + i;
    length = Lengths[b[0] >> 4];
    const std::uint32_t w = FourBytesAt(b) >> (32 - 8 * length) & Payload[length];
    const std::uint32_t joined =
        (w & 0x3F) | (w >> 2 & 0xFC0) | (w >> 4 & 0x3F000) | (w >> 6 & 0x1C0000);
    return length == 1 ? w : joined;
}

// Where the character that ends at i starts (i > 0).
inline std::size_t StartBefore(const char *s, std::size_t i) {
    do
        --i;
    while ((static_cast<unsigned char>(s[i]) & 0xC0) == 0x80);
    return i;
}

// The code point that ends at i (i > 0).
inline char32_t DecodeBefore(const char *s, std::size_t i) {
    std::size_t length = 0;
    return DecodeAt(s, StartBefore(s, i), length);
}

// Appends a code point as UTF-8 at out; returns the end.
inline char *EncodeUtf8(char32_t c, char *out) {
    if (c < 0x80) {
        *out++ = char(c);
    } else if (c < 0x800) {
        *out++ = char(0xC0 | (c >> 6));
        *out++ = char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = char(0xE0 | (c >> 12));
        *out++ = char(0x80 | ((c >> 6) & 0x3F));
        *out++ = char(0x80 | (c & 0x3F));
    } else {
        *out++ = char(0xF0 | (c >> 18));
        *out++ = char(0x80 | ((c >> 12) & 0x3F));
        *out++ = char(0x80 | ((c >> 6) & 0x3F));
        *out++ = char(0x80 | (c & 0x3F));
    }
    return out;
}

// The UTF-16 code units of well-formed UTF-8: one for a character of one to
// three bytes, two for one of four.
std::size_t Utf16Length(std::string_view utf8);

} // namespace tovrik::core
