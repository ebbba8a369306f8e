#pragma once

#include "core/simd.h"
#include "core/utf8.h"

#include <cstdint>

#include <array>

// The GSM 7-bit default alphabet: what one character costs in septets.

namespace tovrik::core {

namespace detail {
// Past U+00FF: ten Greek capitals of the basic table (a bit each from U+0393
// on) and the euro sign of the extension table. (Checked against the tables
// when they are compiled.)
constexpr int Gsm7SeptetsPastLatin1(char32_t c) {
    constexpr std::uint32_t Greek = 1u << 0x00 | 1u << 0x01 | 1u << 0x05 | 1u << 0x08 | 1u << 0x0B |
                                    1u << 0x0D | 1u << 0x10 | 1u << 0x13 | 1u << 0x15 |
                                    1u << 0x16; // ΓΔΘΛΞΠΣΦΨΩ
    const char32_t greek = c - 0x393;
    return int(unsigned(greek < 32) & (Greek >> (greek & 31))) | int(c == 0x20AC) << 1;
}

// Septets of U+0000 to U+07FF, the characters of one and two bytes: 0 (not
// in the alphabet), 1 or 2.
extern const std::array<std::uint8_t, 0x800> Gsm7SeptetsBelow800;
} // namespace detail

// 1 for a character of the basic table (CR and LF included), 2 for one of
// the extension table (sent as ESC and the character), 0 for a character
// that has no GSM-7 form. Without a branch on the character: in text of
// many scripts, which side of U+0100 the next one falls on cannot be
// foreseen.
inline int Gsm7Septets(char32_t c) {
    const int low = detail::Gsm7SeptetsBelow800[c & 0xFF];
    const int high = detail::Gsm7SeptetsPastLatin1(c);
    const int past = -int(c >= 0x100); // all ones past U+00FF
    return (low & ~past) | (high & past);
}

// Gsm7Septets of the character of two to four bytes at b, read from its
// bytes where three can be read after b[0]: without decoding it. Past two
// bytes only the euro sign (E2 82 AC) has a GSM-7 form.
inline int Gsm7SeptetsAt(const unsigned char *b) {
    const std::uint32_t w = FourBytesAt(b);
    const int two = detail::Gsm7SeptetsBelow800[(w >> 18 & 0x7C0) | (w >> 16 & 0x3F)];
    const int longer = (w >> 8) == 0xE282AC ? 2 : 0;
    return b[0] < 0xE0 ? two : longer;
}

#if TOVRIK_SSE2
// Sixteen bytes: the ASCII ones of the extension table (two septets): the
// four after Z and the four after z (one range once the bit 0x20 is set),
// and the form feed. ...
inline __m128i extensionLanes(__m128i v) {
    using namespace simd;
    return _mm_or_si128(Within(_mm_or_si128(v, Bytes(0x20)), 0x7B, 0x7E), Is(v, 0x0C));
}

// The printable ASCII ones that have a GSM-7 form, of either table: all but
// the grave accent and DEL.
inline __m128i printableGsm7Lanes(__m128i v) {
    using namespace simd;
    return _mm_andnot_si128(_mm_or_si128(Is(v, 0x60), Is(v, 0x7F)),
                            _mm_cmpgt_epi8(v, Bytes(0x1F))); // signed: 0x20 to 0x7F
}

// ... and those of the basic table (one septet): the other printable ones,
// and LF and CR. The other ASCII bytes have no GSM-7 form.
inline __m128i basicLanes(__m128i v) {
    using namespace simd;
    return _mm_or_si128(_mm_andnot_si128(extensionLanes(v), printableGsm7Lanes(v)),
                        _mm_or_si128(Is(v, 0x0A), Is(v, 0x0D)));
}
#endif

// The basic table's ASCII characters (LF, CR, blank, digits, letters and
// most punctuation: a septet each) among the sixteen bytes at s, as a bit
// mask: bit k for s[k].
inline unsigned DefaultAsciiMask(const char *s) {
#if TOVRIK_SSE2
    return simd::Mask(basicLanes(simd::Load(s)));
#else
    unsigned mask = 0;
    for (unsigned k = 0; k < 16; ++k) {
        const auto b = static_cast<unsigned char>(s[k]);
        mask |= unsigned(b < 0x80 && detail::Gsm7SeptetsBelow800[b] == 1) << k;
    }
    return mask;
#endif
}

} // namespace tovrik::core
