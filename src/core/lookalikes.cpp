#include "core/lookalikes.h"

#include "core/utf8.h"

#include <algorithm>
#include <array>

namespace tovrik::core {

namespace {

// Rules the table keeps (tests/core/tst_lookalikes.cpp checks them):
// - one code point maps to a fixed string, only of characters of the basic default
//   alphabet, so each replacement character costs 1 septet with the default tables;
// - nothing maps to "", so a replacement never deletes; zero-width characters (U+200B,
//   U+2060, U+FEFF) and the soft hyphen U+00AD are therefore left out;
// - every kind of space maps to one blank;
// - sorted by code point, for a binary search.
// What is not here on purpose: characters that the default extension table already carries
// (^ { } [ ] ~ \ | €) are not stand-ins, since each would cost 2 septets; letters with
// accents are left to the national tables.
// clang-format off
constexpr std::array Entries = std::to_array<LookAlikeEntry>({
    {0x00A0, " ", "no-break space"},
    {0x00A9, "(C)", "copyright sign: a word processor's autocorrection of (c)"},
    {0x00AB, "\"", "left-pointing double angle quotation mark"},
    {0x00AE, "(R)", "registered sign: autocorrection of (r)"},
    {0x00B4, "'", "acute accent typed as an apostrophe"},
    {0x00BB, "\"", "right-pointing double angle quotation mark"},
    {0x00BC, "1/4", "vulgar fraction one quarter: autocorrection of 1/4"},
    {0x00BD, "1/2", "vulgar fraction one half: autocorrection of 1/2"},
    {0x00BE, "3/4", "vulgar fraction three quarters: autocorrection of 3/4"},
    {0x02BC, "'", "modifier letter apostrophe"},
    {0x2000, " ", "en quad"},
    {0x2001, " ", "em quad"},
    {0x2002, " ", "en space"},
    {0x2003, " ", "em space"},
    {0x2004, " ", "three-per-em space"},
    {0x2005, " ", "four-per-em space"},
    {0x2006, " ", "six-per-em space"},
    {0x2007, " ", "figure space"},
    {0x2008, " ", "punctuation space"},
    {0x2009, " ", "thin space"},
    {0x200A, " ", "hair space"},
    {0x2010, "-", "hyphen"},
    {0x2011, "-", "non-breaking hyphen"},
    {0x2012, "-", "figure dash"},
    {0x2013, "-", "en dash"},
    {0x2014, "-", "em dash"},
    {0x2015, "-", "horizontal bar"},
    {0x2018, "'", "left single quotation mark"},
    {0x2019, "'", "right single quotation mark (also the typographic apostrophe)"},
    {0x201A, "'", "single low-9 quotation mark"},
    {0x201B, "'", "single high-reversed-9 quotation mark"},
    {0x201C, "\"", "left double quotation mark"},
    {0x201D, "\"", "right double quotation mark"},
    {0x201E, "\"", "double low-9 quotation mark"},
    {0x201F, "\"", "double high-reversed-9 quotation mark"},
    {0x2022, "-", "bullet: list items pasted from a word processor"},
    {0x2024, ".", "one dot leader"},
    {0x2026, "...", "horizontal ellipsis: autocorrection of ..."},
    {0x202F, " ", "narrow no-break space"},
    {0x2032, "'", "prime"},
    {0x2033, "\"", "double prime"},
    {0x2039, "'", "single left-pointing angle quotation mark"},
    {0x203A, "'", "single right-pointing angle quotation mark"},
    {0x2043, "-", "hyphen bullet"},
    {0x2044, "/", "fraction slash"},
    {0x205F, " ", "medium mathematical space"},
    {0x2122, "TM", "trade mark sign: autocorrection of (tm)"},
    {0x2190, "<-", "leftwards arrow: autocorrection of <-"},
    {0x2192, "->", "rightwards arrow: autocorrection of ->"},
    {0x2212, "-", "minus sign"},
    {0x2215, "/", "division slash"},
    {0x3000, " ", "ideographic space"},
});
// clang-format on

} // namespace

std::string_view LookAlike(char32_t c) {
    if (c < 0x80)
        return {};
    const auto it =
        std::lower_bound(Entries.begin(), Entries.end(), c,
                         [](const LookAlikeEntry &e, char32_t v) { return e.from < v; });
    if (it == Entries.end() || it->from != c)
        return {};
    return it->to;
}

std::span<const LookAlikeEntry> LookAlikes() {
    return Entries;
}

std::size_t ReplaceLookAlikes(std::string_view text, std::string &out) {
    out.clear();
    std::size_t replaced = 0;
    std::size_t copied = 0; // text before this is in out
    for (std::size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        const std::string_view to = LookAlike(DecodeAt(text.data(), i, length));
        if (!to.empty()) {
            if (replaced == 0)
                out.reserve(text.size());
            out.append(text.substr(copied, i - copied)).append(to);
            copied = i + length;
            ++replaced;
        }
        i += length;
    }
    if (replaced > 0)
        out.append(text.substr(copied));
    return replaced;
}

} // namespace tovrik::core
