#pragma once

// The vector helpers the scanners share. SSE2 where the compiler has it,
// unless TOVRIK_NO_SIMD asks for the portable code; every scanner keeps a
// portable path, and the test suite builds the core both ways, so a machine
// without SSE2 runs code that has been tested.

#if defined(__SSE2__) && !defined(TOVRIK_NO_SIMD)
#define TOVRIK_SSE2 1
#include <emmintrin.h>
#else
#define TOVRIK_SSE2 0
#endif

#include <cstdint>

namespace tovrik::core::simd {

#if TOVRIK_SSE2

// Sixteen bytes, unaligned.
inline __m128i Load(const void *p) {
    return _mm_loadu_si128(static_cast<const __m128i *>(p));
}

inline __m128i Bytes(std::uint8_t value) {
    return _mm_set1_epi8(char(value));
}

// Lanes equal to a byte (true lanes are 0xFF).
inline __m128i Is(__m128i v, std::uint8_t value) {
    return _mm_cmpeq_epi8(v, Bytes(value));
}

// Lanes at least `floor`, unsigned.
inline __m128i AtLeast(__m128i v, std::uint8_t floor) {
    return _mm_cmpeq_epi8(_mm_max_epu8(v, Bytes(floor)), v);
}

// Lanes within [low, high], unsigned.
inline __m128i Within(__m128i v, std::uint8_t low, std::uint8_t high) {
    const __m128i shifted = _mm_sub_epi8(v, Bytes(low));
    return _mm_cmpeq_epi8(_mm_min_epu8(shifted, Bytes(std::uint8_t(high - low))), shifted);
}

// One bit per lane: its high bit.
inline unsigned Mask(__m128i v) {
    return unsigned(_mm_movemask_epi8(v));
}

// How many of the sixteen lanes of a Mask are set (without relying on a
// population-count instruction, which baseline x86-64 lacks).
inline int Count(unsigned mask) {
    mask = mask - ((mask >> 1) & 0x5555);
    mask = (mask & 0x3333) + ((mask >> 2) & 0x3333);
    mask = (mask + (mask >> 4)) & 0x0F0F;
    return int((mask + (mask >> 8)) & 0x1F);
}

// The sum of sixteen unsigned bytes.
inline unsigned SumBytes(__m128i v) {
    const __m128i sums = _mm_sad_epu8(v, _mm_setzero_si128());
    return unsigned(_mm_cvtsi128_si32(sums)) + unsigned(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
}

#endif

} // namespace tovrik::core::simd
