#pragma once

#include "core/gsm7tables.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Sending with national shift tables: which pairs of tables a sender may use
// once some national languages are enabled, and what a text costs with each.

namespace tovrik::core {

// A set of national languages, one bit each (LanguageBit).
using LanguageSet = std::uint16_t;
constexpr LanguageSet LanguageBit(Language language) {
    return LanguageSet(1u << static_cast<unsigned>(language));
}

// Reads a comma-separated list of ISO 639-1 codes ("tr,es,pt"). False, with
// a message for a person in `error`, for an empty list or an unknown code.
// The codes: tr, es, pt, bn, gu, hi, kn, ml, or, pa, ta, te and ur.
bool ParseLanguages(std::string_view list, LanguageSet &languages, std::string &error);

// The tables a message is sent with: a locking shift table (Default: the
// default alphabet) and a single shift table (Default: the default extension
// table). Each national one costs room in every part's header.
struct ShiftTables {
    Language locking = Language::Default;
    Language single = Language::Default;

    int national() const { return (locking != Language::Default) + (single != Language::Default); }
    bool operator==(const ShiftTables &) const = default;
};

// The pairs a phone tries with a set of enabled languages: the default
// alphabet and every enabled locking table, each with the default extension
// table and every enabled single shift table. The default pair comes first.
class NationalTables {
public:
    struct Pair {
        ShiftTables tables;
        Gsm7Alphabet alphabet;
    };

    // Builds the pairs; nothing is done when the set is the one in force.
    void enable(LanguageSet languages);
    const std::vector<Pair> &pairs() const { return m_pairs; }

    // The septets of text with each pair, in the order of pairs(); -1 where
    // the pair lacks one of its characters. One pass over the text. Given
    // the text's septets with the default tables (when it has a GSM-7 form
    // with them), only the characters whose cost differs
    // between pairs are looked at.
    void costs(std::string_view text, std::vector<std::ptrdiff_t> &septets,
               std::ptrdiff_t defaultSeptets = -1);

    // The pair that comes nearest to sending the texts: the one that lacks
    // the fewest of their characters, then costs the fewest septets for the
    // others; the first in the order of pairs() on a tie.
    std::size_t nearest(std::span<const std::string_view> texts) const;

    // Whether any pair has the character. (Inline: asked for each character
    // of many texts.)
    bool has(char32_t c) const { return c < m_everywhere.size() && m_everywhere[c] != NoPair; }

private:
    void costsFromDefault(std::string_view text, std::vector<std::ptrdiff_t> &septets,
                          std::ptrdiff_t defaultSeptets);
    // Adds count occurrences of c to m_others.
    void countOther(char32_t c, std::uint32_t count);

    mutable std::vector<std::ptrdiff_t> m_rank; // nearest()'s, one a pair
    LanguageSet m_enabled = 0;
    bool m_built = false;
    std::vector<Pair> m_pairs;
    // What each character of the Basic Multilingual Plane (no table reaches
    // past it) costs with every pair: 1 or 2 septets with all of them,
    // NoPair when none has it, Varies + k when the pairs differ: row k of
    // m_deltas and m_lacks.
    static constexpr std::uint16_t NoPair = 0;
    static constexpr std::uint16_t Varies = 3;
    std::vector<std::uint16_t> m_everywhere;
    // For each character whose cost varies (when there are at most 64
    // pairs): what it costs each pair more than the default tables, and the
    // pairs that lack it, one bit each.
    std::vector<std::int8_t> m_deltas; // a row of pairs().size() per character
    std::vector<std::uint64_t> m_lacks;
    // Runs of ASCII characters that cost one septet with every pair.
    std::vector<std::pair<unsigned char, unsigned char>> m_oneRuns;
    // The ASCII characters whose cost differs from pair to pair, when they
    // are few enough to be looked for sixteen bytes at a time.
    std::array<unsigned char, 8> m_asciiVaries{};
    int m_asciiVariesCount = 0;                        // -1: too many
    std::array<std::int8_t, 128> m_asciiVariesIndex{}; // where in m_asciiVaries, or -1
    // Scratch of costs(): how often each character whose cost varies occurs.
    std::array<std::uint32_t, 128> m_asciiCount{};
    std::vector<unsigned char> m_asciiSeen;
    std::vector<std::pair<char32_t, std::uint32_t>> m_others;
    std::vector<std::ptrdiff_t> m_totals;
    // Scratch of costsFromDefault(): how often the character of row k - 1
    // occurs, at k, 0 between calls (at 0 the characters whose cost does not
    // vary are counted, and never read); and the rows met.
    std::vector<std::uint32_t> m_rowCounts;
    std::vector<std::uint32_t> m_rowsMet;
};

} // namespace tovrik::core
