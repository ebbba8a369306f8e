#pragma once

#include <cstddef>

namespace tovrik {

// The offset of the first byte that does not belong to well-formed UTF-8
// (no overlong forms, no surrogates, nothing above U+10FFFF), or -1.
// allAscii, when given, tells whether every byte was below 0x80.
std::ptrdiff_t FirstInvalidUtf8(const char *data, std::size_t size, bool *allAscii = nullptr);

} // namespace tovrik
