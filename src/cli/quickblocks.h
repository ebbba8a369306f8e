#pragma once

#include <cstddef>
#include <cstdint>

// The first pass of the quick records path over a text: what each block of
// sixteen bytes holds, learnt many bytes at a time.

namespace tovrik::cli::quick {

// Per block of sixteen bytes (arrays with room for four blocks past the
// text's last):
struct Blocks {
    // The septets of its ASCII characters (one each, two for the extension
    // table's) + 64 * the UTF-16 units of the characters that start in it
    // (two for one of four bytes, one for each other).
    std::uint16_t *costs;
    // A bit a byte: the first byte of a character past ASCII; a byte that
    // needs a look (a quote, a backslash, a grave accent, a control
    // character, DEL); an ASCII character of the extension table.
    std::uint16_t *leads;
    std::uint16_t *special;
    std::uint16_t *extension;
};

// A scan of the n bytes at t (n > 0; the three bytes before t can be read)
// into blocks: false where a byte past ASCII is out of UTF-8's frame, a
// continuation byte that no first byte claims or a claimed byte that is not
// one, or a character goes on past the text's end.
using Scan = bool (*)(const unsigned char *t, std::size_t n, const Blocks &blocks);

// Sixteen bytes at a time (with SSE2, or one at a time without).
bool ScanBlocks(const unsigned char *t, std::size_t n, const Blocks &blocks);
// Sixty-four at a time, where the processor has AVX-512 (BW); null where it
// has not, or where the build has no vector code.
Scan WideScan();

} // namespace tovrik::cli::quick
