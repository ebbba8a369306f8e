#pragma once

#include <cstddef>

namespace tovrik {

// The offset of the first byte that does not belong to well-formed UTF-8
// (no overlong forms, no surrogates, nothing above U+10FFFF), or -1.
std::ptrdiff_t FirstInvalidUtf8(const char *data, std::size_t size);

} // namespace tovrik
