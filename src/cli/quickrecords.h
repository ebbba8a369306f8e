#pragma once

#include "cli/options.h"
#include "cli/output.h"
#include "cli/quickblocks.h"
#include "core/national.h"
#include "core/simd.h"
#include "core/sms.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// JSON Lines records of the commonest shape, {"id":…,"text":"…"} with a short
// text, cut in SMS units as one concatenated message in whole words, neither
// numbered nor with look-alikes replaced: the line a gateway sends most.
// Such a record is read, checked, measured, cut and written from the line's
// own bytes, escapes and all, where the general path unescapes the text,
// scans it, cuts it and escapes the pieces again: a vector scan of the text
// (quickblocks.h), a look at each character past ASCII, and a cut from the
// blocks' costs. Where the processor has AVX-512 with VBMI2 (the wide path),
// the characters past ASCII are found all at once, and a UCS-2 message is
// cut by counting the bits where its UTF-16 units start; elsewhere they are
// found block by block, and every cut sums the blocks' costs. The tests run
// both.
//
// A record of any other shape, or one whose cut needs more than this path
// knows (a character of several code points beside a cut, a word longer than
// a part, blanks alone in a piece), is left to the general path. Where both
// take a record they write the same line, byte for byte.
//
// With national languages enabled, a message is taken only where the
// default tables are sure to be the ones it is sent with: a GSM-7 one none of
// whose characters costs less with a national table (a table costs room in
// the header, so such a message costs no fewer parts with it) or where no
// pair of tables can cost fewer parts or leave more room than the default
// ones do, by the least the general path reckons a pair may cost; and a UCS-2
// one with a character that no enabled table has.

namespace tovrik::cli {

class QuickRecords {
public:
    // Whether the options are the ones this path serves.
    static bool Serves(const Options &options);
    // widest: the text is scanned with the widest vectors the processor
    // has; else sixteen bytes at a time, as every processor can.
    explicit QuickRecords(core::LanguageSet languages = 0, bool widest = true);

    // Appends the record's JSON line to out. False, with nothing appended,
    // where the record is left to the general path, which also tells where
    // a line is not well-formed UTF-8.
    bool write(ByteBuffer &out, std::string_view line);

private:
    bool measure();
    // Lists the characters without a GSM-7 form from the lead of `leads`
    // (those of blocks b on) on; false where one is not well-formed. The
    // wide path's finds where they start with AVX-512 and decodes each with
    // BMI2.
    bool listWithout(std::size_t b, std::uint64_t leads);
#if TOVRIK_WIDE
    __attribute__((target("avx512f,avx512bw,avx512vbmi2,bmi2,popcnt"))) bool
    listWithoutWide(std::size_t b, std::uint64_t leads);
#endif
    template <class Decode>
    bool listAt(core::WithoutGsm7Walk &without, const char *text, bool languages, std::size_t at,
                Decode decode);
    // Notes a character of the default alphabet for the national tables.
    void noteNational(char32_t c);
    bool cut();
#if TOVRIK_WIDE
    // The same for a UCS-2 message on the wide path, by the bits where its
    // units start.
    __attribute__((target("bmi2,popcnt"))) bool cutInUnits();
#endif
    // Appends a piece; false where it is of blanks alone, a cut this path
    // leaves to the general one.
    bool addPiece(std::size_t from, std::size_t to, int cost);
    // Whether no pair of national tables may beat the default tables' cut.
    bool defaultTablesWin();
    // The cost of the character at p, in the message's encoding; its length.
    int costAt(std::size_t p, std::size_t &length) const;
    // Where the first character that starts in block b starts.
    std::size_t firstIn(std::size_t b) const;
    // The cost of the text before p, where a character starts.
    int costBefore(std::size_t p) const;
#if TOVRIK_SSE2
    // The costs of the characters that start in block b, summed from its
    // start: byte k holds those that start at k or before it; and its
    // blanks, a bit each.
    struct BlockCosts {
        __m128i sums;
        unsigned blanks;
    };
    BlockCosts costsIn(std::size_t b) const;
#endif
    // Whether a blank at p is a grapheme of its own for certain.
    bool blankStandsAlone(std::size_t p) const;

    static constexpr std::size_t MostText = 4096; // bytes; longer texts go the general way
    static constexpr std::size_t MostBlocks = MostText / 16;

    const char *m_text = nullptr; // the text as the line holds it, escapes and all
    std::size_t m_size = 0;
    bool m_gsm7 = true;
    bool m_grave = false;      // the text holds a grave accent
    bool m_missing = false;    // it holds a character without a GSM-7 form
    int m_cheaperCount = 0;    // characters past ASCII that cost less with a national table
    std::size_t m_escapes = 0; // \" and \\ in the line
    // The enabled national tables, and the characters of the default
    // alphabet that cost less with one of them (none past U+20FF).
    bool m_languages = false;
    core::NationalTables m_national;
    std::vector<bool> m_cheaper;
    std::vector<char> m_asciiCheaper; // and the ASCII ones that do
    // The pairs that lack each character of the default alphabet and those
    // that make it cheaper, a bit each (none where there are more than 64
    // pairs); the ASCII ones that some pair lacks; the pairs that lack one of
    // the message's characters, and the septets each pair may save on it.
    std::vector<std::uint64_t> m_lacks;
    std::vector<std::uint64_t> m_cheaperWith;
    std::vector<char> m_asciiLacked;
    std::uint64_t m_lacking = 0;
    std::array<int, 64> m_savings{};
    bool m_escapesPriced = true; // every pair has the backslash
    std::vector<std::ptrdiff_t> m_pairCosts;
    int m_total = 0; // the text's cost in its encoding
    // For each block of sixteen bytes of the text: the septets and the UTF-16
    // units of the characters that start before it (an escape is one
    // character), and the bytes in it that are the second of an escape.
    std::int32_t m_septetsBefore[MostBlocks + 1];
    std::int32_t m_unitsBefore[MostBlocks + 1];
    const std::int32_t *m_before = m_septetsBefore; // those of the text's encoding
    std::uint16_t m_escaped[MostBlocks + 4];
    // The septets of each character past ASCII in a GSM-7 message, at its
    // first byte (the other bytes hold what earlier messages left there).
    std::uint8_t m_leadSeptets[MostText + 16] = {};
    // What the first pass learns of each block (with room for four past the
    // last), and the pass.
    std::uint16_t m_costs[MostBlocks + 4];
    std::uint16_t m_leads[MostBlocks + 4];
    std::uint16_t m_extension[MostBlocks + 4];
    std::uint16_t m_units[MostBlocks + 4]; // (the wide scan's)
    std::uint16_t m_blanks[MostBlocks + 4];
    quick::Scan m_scan;
    bool m_wide = false; // the list and a UCS-2 cut take the wide path
    // Where the characters past ASCII start, for the wide list (with room
    // for a vector's stores past the last).
    std::uint16_t m_starts[MostText + 32];
    std::size_t m_blocks = 0;
    struct Piece {
        std::size_t from, to;
        int cost;
    };
    // The pieces: each holds a character and a blank or the text's end
    // after it, so they are no more than half the text and one.
    Piece m_pieces[MostText / 2 + 1];
    std::size_t m_count = 0;
    // The characters without a GSM-7 form, as the line holds them.
    core::WithoutGsm7 m_without;
};

} // namespace tovrik::cli
