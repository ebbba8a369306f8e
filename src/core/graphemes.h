#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

// Where graphemes (user-perceived characters: a letter with its marks, an
// emoji with its modifiers and joiners, a flag) begin and end, by the rules
// of Unicode's text segmentation as ICU knows them.
//
// Most text needs no rules at all: between two code points that are
// graphemes of their own whatever surrounds them (Latin, Greek, Cyrillic,
// CJK, most punctuation, most emoji) there is always a boundary. ICU is asked
// only about the stretch between the nearest such sure boundaries around a
// position, and the last stretch is kept, since cuts ask near one another.

namespace tovrik::core {

namespace detail {
// Whether a code point is a grapheme of its own whatever surrounds it, by
// ranges: no combining marks, joiners, prepended marks, Hangul jamo, Indic
// or Thai letters, regional indicators or emoji modifiers in these.
constexpr bool BreaksBothWaysByRange(char32_t c) {
    if (c < 0x2000)
        return c < 0x0300 || (c >= 0x0370 && c < 0x0483) || (c >= 0x048A && c < 0x0530) ||
               c >= 0x1E00; // Latin Extended Additional, Greek Extended
    if (c < 0x3000)         // punctuation, currency, symbols; not the joiners
        return (c < 0x20D0 && c != 0x200C && c != 0x200D) || (c >= 0x2100 && c < 0x2C00);
    if (c < 0x10000)
        return (c < 0x302A) || (c >= 0x3030 && c < 0x3099) || (c >= 0x309B && c < 0x3100) ||
               (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7A3) ||
               (c >= 0xFF01 && c <= 0xFF9D);
    return c >= 0x1F000 && c <= 0x1FAFF && !(c >= 0x1F1E6 && c <= 0x1F1FF) &&
           !(c >= 0x1F3FB && c <= 0x1F3FF);
}

// The same as one bit per code point below U+20000 (past it, none is).
inline constexpr char32_t PlainBitsEnd = 0x20000;
extern const std::array<std::uint64_t, PlainBitsEnd / 64> PlainBits;
} // namespace detail

// Whether a code point is a grapheme of its own whatever surrounds it. CR
// and LF are, except that they join each other. Looked up without a branch:
// in text of several scripts the answer cannot be foreseen.
inline bool BreaksBothWays(char32_t c) {
    const std::uint64_t word = detail::PlainBits[(c / 64) % (detail::PlainBitsEnd / 64)];
    return bool(unsigned(c < detail::PlainBitsEnd) & unsigned(word >> (c % 64)));
}

// Text in UTF-8 (Char = char) or UTF-16 (Char = char16_t); positions are
// code units of that form, and are asked only at code point boundaries.
template <class Char> class GraphemeBoundaries {
public:
    GraphemeBoundaries();
    ~GraphemeBoundaries();
    GraphemeBoundaries(const GraphemeBoundaries &) = delete;
    GraphemeBoundaries &operator=(const GraphemeBoundaries &) = delete;

    // The text, which must outlive the questions; plain says that every code
    // point of it breaks both ways, so no rules are needed.
    void setText(std::basic_string_view<Char> text, bool plain = false);

    // Whether a grapheme ends at position (always at either end).
    bool isBoundary(std::ptrdiff_t position);

private:
    bool isSure(std::ptrdiff_t position) const;
    std::ptrdiff_t pairStart(std::ptrdiff_t from);
    std::ptrdiff_t previous(std::ptrdiff_t position) const;
    std::ptrdiff_t next(std::ptrdiff_t position) const;
    char32_t before(std::ptrdiff_t position) const;
    char32_t at(std::ptrdiff_t position) const;

    struct Icu;
    std::basic_string_view<Char> m_text;
    bool m_plain = false;
    std::unique_ptr<Icu> m_icu; // opened when a question needs it
    std::ptrdiff_t m_from = 0;  // the stretch ICU was given
    std::ptrdiff_t m_to = -1;
    std::ptrdiff_t m_runStart = -1; // a run of regional indicators, as far as it is known
    std::ptrdiff_t m_runEnd = -1;
};

extern template class GraphemeBoundaries<char>;
extern template class GraphemeBoundaries<char16_t>;

} // namespace tovrik::core
