#pragma once

#include "core/simd.h"

#include <cstdint>

#include <array>

// The GSM 7-bit default alphabet: what one character costs in septets.

namespace tovrik::core {

namespace detail {
// Septets of U+0000 to U+00FF: 0 (not in the alphabet), 1 or 2.
extern const std::array<std::uint8_t, 256> Gsm7Latin1Septets;
} // namespace detail

// 1 for a character of the basic table (CR and LF included), 2 for one of
// the extension table (sent as ESC and the character), 0 for a character
// that has no GSM-7 form. (The switch is checked against the tables when
// they are compiled.)
constexpr int Gsm7Septets(char32_t c) {
    if (c < 0x100)
        return detail::Gsm7Latin1Septets[c];
    switch (c) {
    case U'\u0393': // Γ
    case U'\u0394': // Δ
    case U'\u0398': // Θ
    case U'\u039B': // Λ
    case U'\u039E': // Ξ
    case U'\u03A0': // Π
    case U'\u03A3': // Σ
    case U'\u03A6': // Φ
    case U'\u03A8': // Ψ
    case U'\u03A9': // Ω
        return 1;
    case U'\u20AC': // €
        return 2;
    default:
        return 0;
    }
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
        mask |= unsigned(b < 0x80 && detail::Gsm7Latin1Septets[b] == 1) << k;
    }
    return mask;
#endif
}

} // namespace tovrik::core
