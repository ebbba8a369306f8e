#pragma once

#include "core/simd.h"

#include <cstddef>
#include <cstdint>

// Whether the build has the wide path, chosen at run time (x86-64).
#if TOVRIK_SSE2 && defined(__x86_64__) && defined(__GNUC__)
#define TOVRIK_WIDE 1
#else
#define TOVRIK_WIDE 0
#endif

// The first pass of the quick records path over a text, as a JSON line
// holds it: what each block of sixteen bytes holds, learnt many bytes at a
// time.

namespace tovrik::cli::quick {

// What the pass learns. Per block of sixteen bytes (arrays with room for
// four blocks past the text's last):
struct Blocks {
    // The septets of its ASCII characters (one each, two for the extension
    // table's; a text with a grave accent, which has no GSM-7 form, is not
    // sent in septets) + 64 * the UTF-16 units of the characters that start
    // in it (two for one of four bytes, one for each other). The escapes \"
    // and \\ are one character each, of one septet and two, counted where
    // the backslash is; their second byte counts nothing.
    std::uint16_t *costs;
    // A bit a byte: the first byte of a character past ASCII; an ASCII
    // character of the extension table; the second byte of an escape.
    std::uint16_t *leads;
    std::uint16_t *extension;
    std::uint16_t *escaped;
    // Of the wide scan alone: a bit a byte where a UTF-16 unit starts (the
    // second of a character of four bytes at its second byte; none at an
    // escape's second), and the blanks.
    std::uint16_t *units;
    std::uint16_t *blanks;
    // And of the whole text: its escapes, and whether it holds a grave
    // accent.
    std::size_t escapes = 0;
    bool grave = false;
};

// A scan of the n bytes at t into blocks (n > 0; the three bytes before t
// can be read): false where the text is not one this path takes, with a
// control character, DEL, a quote alone (which ends the string) or an escape
// other than \" and \\, or one that the text's end cuts short; and where a
// byte past ASCII is out of UTF-8's frame, a continuation byte that no first
// byte claims or a claimed byte that is not one, or a character goes on past
// the text's end.
using Scan = bool (*)(const unsigned char *t, std::size_t n, Blocks &blocks);

// Sixteen bytes at a time (with SSE2, or one at a time without).
bool ScanBlocks(const unsigned char *t, std::size_t n, Blocks &blocks);
// Sixty-four at a time, where the processor has AVX-512 (BW); null where it
// has not, or where the build has no vector code.
Scan WideScan();

} // namespace tovrik::cli::quick
