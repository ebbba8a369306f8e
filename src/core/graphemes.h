#pragma once

#include <cstddef>
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

// Whether a code point is a grapheme of its own whatever surrounds it. CR
// and LF are, except that they join each other (see SureBoundary).
bool BreaksBothWays(char32_t c);

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
};

extern template class GraphemeBoundaries<char>;
extern template class GraphemeBoundaries<char16_t>;

} // namespace tovrik::core
