#include "utf8.h"

#include <cstdint>
#include <cstring>

namespace tovrik {

std::ptrdiff_t FirstInvalidUtf8(const char *data, std::size_t size, bool *allAscii) {
    const auto *s = reinterpret_cast<const unsigned char *>(data);
    std::size_t i = 0;
    bool ascii = true;
    while (i < size) {
        // Plain ASCII eight bytes at a time.
        if (i + 8 <= size) {
            std::uint64_t word;
            std::memcpy(&word, s + i, 8);
            if ((word & 0x8080808080808080ull) == 0) {
                i += 8;
                continue;
            }
        }
        const unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        ascii = false;
        std::size_t length = 0;
        unsigned char low = 0x80; // bounds of the second byte
        unsigned char high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0)
                low = 0xA0; // no overlong forms
            else if (c == 0xED)
                high = 0x9F; // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0)
                low = 0x90;
            else if (c == 0xF4)
                high = 0x8F; // nothing above U+10FFFF
        } else {
            return std::ptrdiff_t(i);
        }
        if (i + 1 >= size || s[i + 1] < low || s[i + 1] > high)
            return std::ptrdiff_t(i);
        for (std::size_t k = 2; k < length; ++k)
            if (i + k >= size || (s[i + k] & 0xC0) != 0x80)
                return std::ptrdiff_t(i);
        i += length;
    }
    if (allAscii)
        *allAscii = ascii;
    return -1;
}

} // namespace tovrik
