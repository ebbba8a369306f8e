#include "cli/quickblocks.h"

#include "core/gsm7.h"
#include "core/simd.h"

#include <bit>
#include <cstring>

#if TOVRIK_WIDE
#include <immintrin.h>
#endif

namespace tovrik::cli::quick {

namespace {

// A block of sixteen bytes: the septets its ASCII bytes cost (one each, two
// for the extension table's) and the UTF-16 units of the characters that
// start in it, as septets + 64 * units, every byte taken for a character of
// its own; the bytes of each kind that need a look, a bit each; and the
// bytes that break UTF-8's frame, where a continuation byte is not claimed
// by the first byte before it or a claimed byte is not one. The three bytes
// before the block are read too.
struct Block {
    unsigned costs;
    unsigned leads;     // the first byte of a character past ASCII
    unsigned extension; // an ASCII character of the extension table
    unsigned backslash;
    unsigned quote;
    unsigned grave;
    unsigned control;  // a control character or DEL
    unsigned unframed; // a byte out of place
};

Block blockAt(const unsigned char *p) {
#if TOVRIK_SSE2
    using namespace core::simd;
    const __m128i v = Load(p);
    const __m128i ascii = _mm_cmpgt_epi8(v, Bytes(0xFF));  // signed: below 0x80
    const __m128i starts = _mm_cmpgt_epi8(v, Bytes(0xBF)); // signed: not 80 to BF
    const __m128i fours = AtLeast(v, 0xF0);                // two UTF-16 units
    // The extension table's ASCII characters: the four after Z and the four
    // after z, one range once the bit 0x20 is set. (Its form feed is a
    // control character, which needs a look anyway.)
    const __m128i extension = Within(_mm_or_si128(v, Bytes(0x20)), 0x7B, 0x7E);
    // A true lane is all ones: subtracting it counts one.
    const __m128i units =
        _mm_add_epi8(_mm_and_si128(starts, Bytes(64)), _mm_and_si128(fours, Bytes(64)));
    const __m128i costs = _mm_sub_epi8(_mm_sub_epi8(units, ascii), extension);
    const __m128i control =
        _mm_or_si128(_mm_cmpeq_epi8(_mm_min_epu8(v, Bytes(0x1F)), v), Is(v, 0x7F));
    const __m128i claimed =
        _mm_or_si128(_mm_or_si128(AtLeast(Load(p - 1), 0xC0), AtLeast(Load(p - 2), 0xE0)),
                     AtLeast(Load(p - 3), 0xF0));
    const __m128i continuation = _mm_cmpgt_epi8(Bytes(0xC0), v); // signed: 80 to BF
    return {SumBytes(costs),  Mask(AtLeast(v, 0xC0)),
            Mask(extension),  Mask(Is(v, '\\')),
            Mask(Is(v, '"')), Mask(Is(v, 0x60)),
            Mask(control),    Mask(_mm_xor_si128(claimed, continuation))};
#else
    Block block{};
    for (int k = 0; k < 16; ++k) {
        const unsigned char b = p[k];
        block.costs += b < 0x80 ? 1 + (core::detail::Gsm7SeptetsBelow800[b] == 2) : 0;
        block.costs += (b & 0xC0) != 0x80 ? 64 : 0;
        block.costs += b >= 0xF0 ? 64 : 0;
        block.leads |= unsigned(b >= 0xC0) << k;
        block.extension |= unsigned((b | 0x20) >= 0x7B && (b | 0x20) <= 0x7E) << k;
        block.backslash |= unsigned(b == '\\') << k;
        block.quote |= unsigned(b == '"') << k;
        block.grave |= unsigned(b == 0x60) << k;
        block.control |= unsigned(b < 0x20 || b == 0x7F) << k;
        const bool claimed = p[k - 1] >= 0xC0 || p[k - 2] >= 0xE0 || p[k - 3] >= 0xF0;
        block.unframed |= unsigned(claimed != ((b & 0xC0) == 0x80)) << k;
    }
    return block;
#endif
}

// The second bytes of escapes among bytes whose backslashes are bits of
// `backslashes`, `carried` the first one where an escape begun before it
// takes it: each backslash that no escape takes begins one, which takes the
// byte after it. Of the bits `all`. In a run of backslashes that begin and
// take in turn, from the first that no escape takes, the taken bytes are
// every other one after it: those of the other parity than its first, up to
// the byte after the run. (A run is found by adding its first bit: the carry
// clears it.) No branch and no loop.
template <class Bits> Bits escapedBy(Bits backslashes, Bits carried, Bits all) {
    const Bits even = Bits(0x5555555555555555u) & all;
    const Bits odd = ~even & all;
    const Bits free = backslashes & ~carried;
    const Bits firsts = free & ~Bits(free << 1);
    const Bits fromEven = free & ~Bits(free + (firsts & even));
    const Bits fromOdd = free & ~Bits(free + (firsts & odd));
    return Bits((Bits(fromEven << 1) & odd) | (Bits(fromOdd << 1) & even) | carried) & all;
}

} // namespace

bool ScanBlocks(const unsigned char *t, std::size_t n, Blocks &blocks) {
    unsigned wrong = 0;   // bytes out of UTF-8's frame, or refused
    unsigned carried = 0; // the next block's first byte is an escape's second
    unsigned grave = 0;
    std::size_t escapes = 0;
    for (std::size_t b = 0, i = 0; i < n; ++b, i += 16) {
        const unsigned char *bytes = t + i;
        unsigned char last[3 + 16];
        unsigned padding = 0;
        if (n - i < 16) { // the bytes after the text are not read
            padding = unsigned(16 - (n - i));
            std::memset(last, 'a', sizeof last);
            std::memcpy(last, bytes - 3, n - i + 3);
            bytes = last + 3;
        }
        const Block block = blockAt(bytes);
        wrong |= block.unframed;
        // The escapes: a quote or a backslash after the backslash that
        // begins one, a quote nowhere else. (One that the text's end cuts
        // short takes the padding, which is neither.)
        const unsigned escaped = escapedBy(block.backslash, carried, 0xFFFFu);
        const unsigned begun = block.backslash & ~escaped;
        carried = begun >> 15;
        wrong |=
            (escaped & ~(block.quote | block.backslash)) | (block.quote & ~escaped) | block.control;
        // What the costs counted of them, taken off: their second bytes
        // (a septet for a quote, two for a backslash, and a unit), a septet
        // of the backslash of \". (The padding, a septet and a unit a byte,
        // too.)
        const unsigned quoted = block.quote >> 1 | unsigned(n - i > 16 && t[i + 16] == '"') << 15;
        const int septets = std::popcount(escaped & block.quote) +
                            2 * std::popcount(escaped & block.backslash) +
                            std::popcount(begun & quoted);
        blocks.costs[b] = std::uint16_t(int(block.costs) - 65 * int(padding) - septets -
                                        64 * std::popcount(escaped));
        blocks.leads[b] = std::uint16_t(block.leads);
        blocks.extension[b] = std::uint16_t(block.extension);
        blocks.escaped[b] = std::uint16_t(escaped);
        escapes += std::size_t(std::popcount(escaped));
        grave |= block.grave;
    }
    // (A character that would go on past the text's end: its last block
    // may be whole, with none after it; so may an escape.)
    wrong |= unsigned(t[n - 1] >= 0xC0 || t[n - 2] >= 0xE0 || t[n - 3] >= 0xF0);
    blocks.escapes = escapes;
    blocks.grave = grave != 0;
    return (wrong | carried) == 0;
}

#if TOVRIK_WIDE
// (GCC 12 takes the undefined vectors its own AVX-512 intrinsics start from
// for uninitialised variables.)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
namespace {

// The same as ScanBlocks, sixty-four bytes at a time: each kind of byte is
// a mask of 64 bits, and a character's frame is checked on the masks.
__attribute__((target("avx512f,avx512bw,ssse3,popcnt"))) bool
scanWide(const unsigned char *t, std::size_t n, Blocks &blocks) {
    const __m512i zero = _mm512_setzero_si512();
    // (The arrays held here: a store through one might be to another, for
    // all the compiler knows.)
    std::uint16_t *const costsOut = blocks.costs;
    std::uint16_t *const leadsOut = blocks.leads;
    std::uint16_t *const escapedOut = blocks.escaped;
    std::uint16_t *const extensionOut = blocks.extension;
    std::uint16_t *const unitsOut = blocks.units;
    std::uint16_t *const blanksOut = blocks.blanks;
    std::uint64_t claimed = 0;    // bytes of the next 64 that first bytes claim
    std::uint64_t wrong = 0;      // bytes out of UTF-8's frame, or refused
    std::uint64_t carried = 0;    // the next 64's first byte is an escape's second
    std::uint64_t secondUnit = 0; // and the second unit of a character of four bytes
    std::uint64_t graves = 0;
    std::size_t escapes = 0;
    // Sixty-four bytes from i, those of inText in the text, and whether the
    // byte after them is a quote. (The whole ones in a loop of their own:
    // there the masks of the text's end fall away.)
    const auto step = [&](std::size_t b, std::size_t i, std::uint64_t inText, bool quoteAfter)
        __attribute__((always_inline, target("avx512f,avx512bw,ssse3,popcnt"))) {
        // (The bytes past the text are not read: they are zero here, which
        // no mask below takes but the ASCII and control ones.)
        const __m512i v = _mm512_maskz_loadu_epi8(inText, t + i);
        const std::uint64_t ascii =
            _mm512_cmplt_epu8_mask(v, _mm512_set1_epi8(char(0x80))) & inText;
        const std::uint64_t continuation = _mm512_cmpeq_epi8_mask(
            _mm512_and_si512(v, _mm512_set1_epi8(char(0xC0))), _mm512_set1_epi8(char(0x80)));
        const std::uint64_t two = _mm512_cmpge_epu8_mask(v, _mm512_set1_epi8(char(0xC0)));
        const std::uint64_t three = _mm512_cmpge_epu8_mask(v, _mm512_set1_epi8(char(0xE0)));
        const std::uint64_t four = _mm512_cmpge_epu8_mask(v, _mm512_set1_epi8(char(0xF0)));
        // The extension table's ASCII characters: the four after Z and the
        // four after z, one range once the bit 0x20 is set.
        const std::uint64_t extension = _mm512_cmplt_epu8_mask(
            _mm512_sub_epi8(_mm512_or_si512(v, _mm512_set1_epi8(0x20)), _mm512_set1_epi8(0x7B)),
            _mm512_set1_epi8(4));
        const std::uint64_t backslash = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('\\'));
        const std::uint64_t quote = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('"'));
        const std::uint64_t grave = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(0x60));
        const std::uint64_t control = (_mm512_cmplt_epu8_mask(v, _mm512_set1_epi8(0x20)) |
                                       _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(0x7F))) &
                                      inText;
        // The escapes, as sixteen bytes at a time finds them.
        const std::uint64_t escaped = escapedBy(backslash, carried, ~std::uint64_t(0));
        const std::uint64_t begun = backslash & ~escaped;
        carried = begun >> 63;
        wrong |= (escaped & ~(quote | backslash)) | (quote & ~escaped) | control;
        const std::uint64_t quoted = quote >> 1 | std::uint64_t(quoteAfter) << 63;
        escapes += std::size_t(__builtin_popcountll(escaped));
        graves |= grave;
        // A first byte claims the one, two or three bytes after it.
        const std::uint64_t claims = two << 1 | three << 2 | four << 3 | claimed;
        claimed = two >> 63 | three >> 62 | four >> 61;
        wrong |= claims ^ continuation; // (past the text nothing is one)
        // The costs of each byte, summed over each eight: an escape's second
        // byte counts nothing, and the backslash of \" a septet less.
        __m512i costs = _mm512_maskz_mov_epi8(ascii & ~escaped, _mm512_set1_epi8(1));
        costs = _mm512_mask_add_epi8(costs, extension & ~escaped, costs, _mm512_set1_epi8(1));
        costs = _mm512_mask_sub_epi8(costs, begun & quoted, costs, _mm512_set1_epi8(1));
        costs = _mm512_mask_add_epi8(costs, inText & ~continuation & ~escaped, costs,
                                     _mm512_set1_epi8(64));
        costs = _mm512_mask_add_epi8(costs, four, costs, _mm512_set1_epi8(64));
        // Each block's: the sums of its two eights, packed into four
        // sixteen-bit numbers. (Kept in registers: a 64-byte store read back
        // eight bytes at a time stalls.)
        const __m128i halves = _mm512_cvtepi64_epi16(_mm512_sad_epu8(costs, zero));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(costsOut + b), _mm_hadd_epi16(halves, halves));
        // (The masks' four sixteen-bit parts, lowest first: this processor
        // stores little-endian.)
        std::memcpy(leadsOut + b, &two, sizeof two);
        std::memcpy(escapedOut + b, &escaped, sizeof escaped);
        std::memcpy(extensionOut + b, &extension, sizeof extension);
        const std::uint64_t units = (inText & ~continuation & ~escaped) | four << 1 | secondUnit;
        secondUnit = four >> 63;
        const std::uint64_t blanks = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(' '));
        std::memcpy(unitsOut + b, &units, sizeof units);
        std::memcpy(blanksOut + b, &blanks, sizeof blanks);
    };
    std::size_t b = 0;
    std::size_t i = 0;
    for (; n - i > 64; b += 4, i += 64)
        step(b, i, ~std::uint64_t(0), t[i + 64] == '"');
    step(b, i, n - i == 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << (n - i)) - 1, false);
    blocks.escapes = escapes;
    blocks.grave = graves != 0;
    return (wrong | claimed | carried) == 0;
}

} // namespace
#pragma GCC diagnostic pop
#endif

Scan WideScan() {
#if TOVRIK_WIDE
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw"))
        return scanWide;
#endif
    return nullptr;
}

} // namespace tovrik::cli::quick
