#include "core/utf8.h"

#include "core/simd.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace tovrik::core {

namespace {

using Byte = unsigned char;

enum class Check { Whole, CutOff, Bad };

// One character at s[i]: its length, or why it is not one.
Check checkCharacter(const Byte *s, std::size_t i, std::size_t size, std::size_t &length) {
    const Byte c = s[i];
    if (c < 0x80) {
        length = 1;
        return Check::Whole;
    }
    Byte low = 0x80; // bounds of the second byte
    Byte high = 0xBF;
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
        return Check::Bad;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if (i + k >= size)
            return Check::CutOff;
        const Byte next = s[i + k];
        if (k == 1 ? (next < low || next > high) : (next & 0xC0) != 0x80)
            return Check::Bad;
    }
    return Check::Whole;
}

// Checks character by character from i until the first boundary at or past
// `stop` (at most size). Returns where it stopped; sets scan.error on a fault.
std::size_t scanCharacters(const Byte *s, std::size_t i, std::size_t stop, std::size_t size,
                           bool final, bool refuseNul, Utf8Scan &scan) {
    while (i < stop) {
        // Plain ASCII eight bytes at a time.
        if (i + 8 <= size) {
            std::uint64_t word;
            std::memcpy(&word, s + i, 8);
            const bool hasZero = ((word - 0x0101010101010101ull) & ~word & 0x8080808080808080ull);
            if ((word & 0x8080808080808080ull) == 0 && !(refuseNul && hasZero)) {
                i += 8;
                continue;
            }
        }
        std::size_t length = 0;
        const Check check = checkCharacter(s, i, size, length);
        if (check == Check::CutOff && !final)
            break;
        if (check != Check::Whole || (refuseNul && s[i] == 0)) {
            scan.error = std::ptrdiff_t(i);
            scan.nul = check == Check::Whole;
            break;
        }
        if (length > 1)
            scan.asciiFrom = i + length;
        i += length;
    }
    return i;
}

#if TOVRIK_SSE2

using simd::AtLeast;
using simd::Load;

__m128i bytes(std::uint8_t value) {
    return simd::Bytes(value);
}

__m128i load(const Byte *p) {
    return Load(p);
}

// The high bits of 16 bytes, as bits 16k to 16k + 15 of a block's mask.
std::uint64_t mask(__m128i v, int k) {
    return std::uint64_t(std::uint16_t(_mm_movemask_epi8(v))) << (16 * k);
}

__m128i atLeast(__m128i v, std::uint8_t floor) {
    return AtLeast(v, floor);
}

// Checks one 64-byte block (and reads the byte after it) with bit masks: every
// lead byte owes one, two or three continuation bytes right after it, and
// every continuation byte must be owed. `carry` holds what the block before
// still owes, and takes what this one owes to the next.
template <bool RefuseNul> bool blockIsWellFormed(const Byte *p, std::uint64_t &carry) {
    std::uint64_t high = 0, continuation = 0, threePlus = 0, four = 0;
    __m128i wrong = _mm_setzero_si128();
    __m128i largest = _mm_setzero_si128();
#pragma GCC unroll 4
    for (int k = 0; k < 4; ++k) {
        const __m128i v = load(p + 16 * k);
        high |= mask(v, k);
        continuation |= mask(_mm_cmplt_epi8(v, bytes(0xC0)), k); // 80..BF, signed
        threePlus |= mask(atLeast(v, 0xE0), k);
        // C0 and C1 are overlong forms.
        wrong = _mm_or_si128(wrong, _mm_cmpeq_epi8(_mm_and_si128(v, bytes(0xFE)), bytes(0xC0)));
        largest = _mm_max_epu8(largest, v);
        if constexpr (RefuseNul)
            wrong = _mm_or_si128(wrong, _mm_cmpeq_epi8(v, _mm_setzero_si128()));
    }
    if (threePlus != 0) {
        // F5..FF would go beyond U+10FFFF.
        wrong = _mm_or_si128(wrong, atLeast(largest, 0xF5));
#pragma GCC unroll 4
        for (int k = 0; k < 4; ++k) {
            if (((threePlus >> (16 * k)) & 0xFFFF) == 0)
                continue;
            const __m128i v = load(p + 16 * k);
            four |= mask(atLeast(v, 0xF0), k);
            // E0, ED, F0 and F4 narrow the range of the byte after them.
            const __m128i next = load(p + 16 * k + 1);
            const __m128i belowA0 = _mm_cmplt_epi8(next, bytes(0xA0)); // signed: 80..9F
            const __m128i below90 = _mm_cmplt_epi8(next, bytes(0x90)); // 80..8F
            const __m128i e0 = _mm_and_si128(_mm_cmpeq_epi8(v, bytes(0xE0)), belowA0);
            const __m128i ed = _mm_andnot_si128(belowA0, _mm_cmpeq_epi8(v, bytes(0xED)));
            const __m128i f0 = _mm_and_si128(_mm_cmpeq_epi8(v, bytes(0xF0)), below90);
            const __m128i f4 = _mm_andnot_si128(below90, _mm_cmpeq_epi8(v, bytes(0xF4)));
            wrong = _mm_or_si128(wrong, _mm_or_si128(_mm_or_si128(e0, ed), _mm_or_si128(f0, f4)));
        }
    }
    const std::uint64_t lead = high & ~continuation;
    const std::uint64_t owed = (lead << 1) | (threePlus << 2) | (four << 3) | carry;
    if (owed != continuation || _mm_movemask_epi8(wrong) != 0)
        return false;
    carry = (lead >> 63) | (threePlus >> 62) | (four >> 61);
    return true;
}

// The same for a block of ASCII and two-byte characters only (Latin, Greek,
// Cyrillic, Hebrew, Arabic, ...), cheaper: a byte is a continuation byte
// exactly when the byte before it is a lead byte. Reads the byte before the
// block, which must not owe more than that lead's one continuation byte.
template <bool RefuseNul> bool twoByteBlockIsWellFormed(const Byte *p, std::uint64_t &carry) {
    __m128i wrong = _mm_setzero_si128();
    __m128i largest = _mm_setzero_si128();
#pragma GCC unroll 4
    for (int k = 0; k < 4; ++k) {
        const __m128i v = load(p + 16 * k);
        const __m128i before = load(p + 16 * k - 1);
        const __m128i continuation = _mm_cmplt_epi8(v, bytes(0xC0)); // 80..BF, signed
        const __m128i afterLead = atLeast(before, 0xC0);
        wrong = _mm_or_si128(wrong, _mm_xor_si128(continuation, afterLead));
        wrong = _mm_or_si128(wrong, _mm_cmpeq_epi8(_mm_and_si128(v, bytes(0xFE)), bytes(0xC0)));
        largest = _mm_max_epu8(largest, v);
        if constexpr (RefuseNul)
            wrong = _mm_or_si128(wrong, _mm_cmpeq_epi8(v, _mm_setzero_si128()));
    }
    if (_mm_movemask_epi8(_mm_or_si128(wrong, atLeast(largest, 0xE0))) != 0)
        return false;
    carry = p[63] >= 0xC0;
    return true;
}

bool holdsNul(const Byte *p) {
    const __m128i least =
        _mm_min_epu8(_mm_min_epu8(load(p), load(p + 16)), _mm_min_epu8(load(p + 32), load(p + 48)));
    return _mm_movemask_epi8(_mm_cmpeq_epi8(least, _mm_setzero_si128())) != 0;
}

// The lead byte of the character that is still open at i.
std::size_t leadBefore(const Byte *s, std::size_t i) {
    do
        --i;
    while ((s[i] & 0xC0) == 0x80);
    return i;
}

template <bool RefuseNul> Utf8Scan scan(const Byte *s, std::size_t size, bool final) {
    Utf8Scan result;
    std::size_t i = 0;
    std::uint64_t carry = 0; // continuation bytes owed to the next block
    // A block and the byte after it (the special checks read it).
    while (i + 65 <= size) {
        const Byte *p = s + i;
        const __m128i any =
            _mm_or_si128(_mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)),
                                      _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16))),
                         _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 32)),
                                      _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 48))));
        if (_mm_movemask_epi8(any) == 0 && carry == 0) {
            if (!RefuseNul || !holdsNul(p)) {
                i += 64;
                continue;
            }
        } else if (i > 0 && (carry == 0 || (carry == 1 && p[-1] >= 0xC0)) &&
                   twoByteBlockIsWellFormed<RefuseNul>(p, carry)) {
            // (The block before owed nothing, or one byte to its last byte.)
            i += 64;
            result.asciiFrom = i;
            continue;
        } else if (blockIsWellFormed<RefuseNul>(p, carry)) {
            i += 64;
            result.asciiFrom = i;
            continue;
        }
        // Something is wrong in this block: find exactly what, from the start
        // of the character the block begins in.
        i = scanCharacters(s, carry ? leadBefore(s, i) : i, i + 64, size, final, RefuseNul, result);
        if (result.error >= 0) {
            result.valid = std::size_t(result.error);
            return result;
        }
        carry = 0;
    }
    // The rest, from the start of the character the last block ended in.
    i = scanCharacters(s, carry ? leadBefore(s, i) : i, size, size, final, RefuseNul, result);
    result.valid = result.error >= 0 ? std::size_t(result.error) : i;
    if (result.asciiFrom > result.valid)
        result.asciiFrom = result.valid;
    return result;
}

#else

template <bool RefuseNul> Utf8Scan scan(const Byte *s, std::size_t size, bool final) {
    Utf8Scan result;
    const std::size_t end = scanCharacters(s, 0, size, size, final, RefuseNul, result);
    result.valid = result.error >= 0 ? std::size_t(result.error) : end;
    return result;
}

#endif

} // namespace

Utf8Scan ScanUtf8(const char *data, std::size_t size, bool final, bool refuseNul) {
    const auto *s = reinterpret_cast<const Byte *>(data);
    return refuseNul ? scan<true>(s, size, final) : scan<false>(s, size, final);
}

std::ptrdiff_t FirstInvalidUtf8(const char *data, std::size_t size) {
    return ScanUtf8(data, size, true, false).error;
}

std::string Shown(std::string_view bytes) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string text;
    const auto escape = [&text](unsigned char byte) {
        text.append("\\x");
        text.push_back(Hex[byte >> 4]);
        text.push_back(Hex[byte & 0xF]);
    };
    for (;;) {
        const std::ptrdiff_t bad = FirstInvalidUtf8(bytes.data(), bytes.size());
        for (const char c : bytes.substr(0, bad < 0 ? bytes.size() : std::size_t(bad))) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x20 || byte == 0x7F)
                escape(byte);
            else
                text.push_back(c);
        }
        if (bad < 0)
            return text;
        escape(static_cast<unsigned char>(bytes[std::size_t(bad)]));
        bytes.remove_prefix(std::size_t(bad) + 1);
    }
}

UnitSpan TakeUnits(const char *data, std::size_t size, std::size_t units) {
    const auto *s = reinterpret_cast<const Byte *>(data);
    std::size_t i = 0;
    std::size_t have = 0;
#if TOVRIK_SSE2
    // A unit for every byte that starts a character, one more for a four-byte
    // lead; 64 bytes give at most 65 units (63 ASCII and a four-byte lead).
    const auto weights = [&](std::size_t at) {
        const __m128i v = load(s + at);
        const __m128i starts = _mm_cmpgt_epi8(v, bytes(0xBF)); // signed: not 80..BF
        const __m128i fours = atLeast(v, 0xF0);
        return _mm_sub_epi8(_mm_setzero_si128(), _mm_add_epi8(starts, fours));
    };
    const auto total = [](__m128i w) { return std::size_t(simd::SumBytes(w)); };
    while (i + 64 <= size && have + 65 <= units) {
        have += total(_mm_add_epi8(_mm_add_epi8(weights(i), weights(i + 16)),
                                   _mm_add_epi8(weights(i + 32), weights(i + 48))));
        i += 64;
    }
    // Sixteen bytes at a time while they fit whole; in the one that does not,
    // character by character from bit masks.
    while (i + 16 <= size) {
        const std::size_t more = total(weights(i));
        if (have + more <= units) {
            have += more;
            i += 16;
            continue;
        }
        const __m128i v = load(s + i);
        unsigned starts = unsigned(_mm_movemask_epi8(_mm_cmpgt_epi8(v, bytes(0xBF))));
        const unsigned fours = unsigned(_mm_movemask_epi8(atLeast(v, 0xF0)));
        for (;; starts &= starts - 1) {
            const unsigned bit = unsigned(__builtin_ctz(starts));
            const std::size_t weight = 1 + ((fours >> bit) & 1);
            if (have + weight > units)
                return {i + bit, have};
            have += weight;
        }
    }
    while (i < size && (s[i] & 0xC0) == 0x80)
        ++i; // the rest of a character already counted
#endif
    static constexpr Byte Length[16] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 3, 4};
    while (i < size) {
        const Byte c = s[i];
        const std::size_t weight = 1 + (c >= 0xF0);
        if (have + weight > units)
            break;
        have += weight;
        i += Length[c >> 4];
    }
    return {i, have};
}

std::size_t Utf16Length(std::string_view utf8) {
    const auto *s = reinterpret_cast<const Byte *>(utf8.data());
    const std::size_t size = utf8.size();
    std::size_t units = 0;
    std::size_t i = 0;
#if TOVRIK_SSE2
    // A unit for every byte that starts a character, one more for a
    // four-byte lead, counted in the lanes of an accumulator (true lanes are
    // 0xFF: subtracting counts them), summed before a lane can overflow.
    __m128i lanes = _mm_setzero_si128();
    for (int rounds = 0; i + 16 <= size; i += 16) {
        const __m128i v = load(s + i);
        lanes = _mm_sub_epi8(_mm_sub_epi8(lanes, _mm_cmpgt_epi8(v, bytes(0xBF))), atLeast(v, 0xF0));
        if (++rounds == 127) {
            units += simd::SumBytes(lanes);
            lanes = _mm_setzero_si128();
            rounds = 0;
        }
    }
    units += simd::SumBytes(lanes);
    if (i < size && size >= 16) {
        // The last bytes: the sixteen that end the text, those counted
        // already left out.
        const __m128i v = load(s + size - 16);
        const unsigned last = 0xFFFFu << (16 - (size - i)) & 0xFFFFu;
        units += std::size_t(simd::Count(simd::Mask(_mm_cmpgt_epi8(v, bytes(0xBF))) & last) +
                             simd::Count(simd::Mask(atLeast(v, 0xF0)) & last));
        i = size;
    }
#endif
    for (; i < size; ++i)
        units += ((s[i] & 0xC0) != 0x80) + (s[i] >= 0xF0);
    return units;
}

} // namespace tovrik::core
