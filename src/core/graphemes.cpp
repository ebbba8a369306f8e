#include "core/graphemes.h"

#include "core/icu.h"
#include "core/utf8.h"

#include <new>

namespace tovrik::core {

namespace {
constexpr std::ptrdiff_t MaximumStretch = 1 << 16;

constexpr bool Regional(char32_t c) {
    return c >= 0x1F1E6 && c <= 0x1F1FF; // the letters of flags
}

constexpr std::array<std::uint64_t, detail::PlainBitsEnd / 64> plainBits() {
    std::array<std::uint64_t, detail::PlainBitsEnd / 64> bits{};
    for (char32_t c = 0; c < detail::PlainBitsEnd; ++c)
        bits[c / 64] |= std::uint64_t(detail::BreaksBothWaysByRange(c)) << (c % 64);
    return bits;
}
} // namespace

namespace detail {
constinit const std::array<std::uint64_t, PlainBitsEnd / 64> PlainBits = plainBits();
} // namespace detail

template <class Char> struct GraphemeBoundaries<Char>::Icu {
    const icu::Functions &call = icu::Load();
    UBreakIterator *iterator = nullptr;
    UText *text = nullptr;
    ~Icu() {
        if (iterator)
            call.breakClose(iterator);
        if (text)
            call.textClose(text);
    }
};

template <class Char> GraphemeBoundaries<Char>::GraphemeBoundaries() = default;
template <class Char> GraphemeBoundaries<Char>::~GraphemeBoundaries() = default;

template <class Char>
void GraphemeBoundaries<Char>::setText(std::basic_string_view<Char> text, bool plain) {
    m_text = text;
    m_plain = plain;
    m_to = -1; // the stretch ICU has is of the old text
    m_runStart = m_runEnd = -1;
}

template <class Char> char32_t GraphemeBoundaries<Char>::at(std::ptrdiff_t position) const {
    if constexpr (sizeof(Char) == 1) {
        std::size_t length = 0;
        return DecodeAt(m_text.data(), std::size_t(position), length);
    } else {
        const char16_t unit = m_text[std::size_t(position)];
        if (unit >= 0xD800 && unit < 0xDC00 && std::size_t(position) + 1 < m_text.size()) {
            const char16_t low = m_text[std::size_t(position) + 1];
            if (low >= 0xDC00 && low < 0xE000)
                return 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (low - 0xDC00);
        }
        return unit;
    }
}

template <class Char>
std::ptrdiff_t GraphemeBoundaries<Char>::previous(std::ptrdiff_t position) const {
    if constexpr (sizeof(Char) == 1) {
        return std::ptrdiff_t(StartBefore(m_text.data(), std::size_t(position)));
    } else {
        // A low surrogate with its high one before it is one code point with it.
        const bool pair = position >= 2 && m_text[std::size_t(position) - 1] >= 0xDC00 &&
                          m_text[std::size_t(position) - 1] < 0xE000 &&
                          m_text[std::size_t(position) - 2] >= 0xD800 &&
                          m_text[std::size_t(position) - 2] < 0xDC00;
        return position - (pair ? 2 : 1);
    }
}

template <class Char> std::ptrdiff_t GraphemeBoundaries<Char>::next(std::ptrdiff_t position) const {
    if constexpr (sizeof(Char) == 1)
        return position + std::ptrdiff_t(Utf8Length(
                              static_cast<unsigned char>(m_text[std::size_t(position)])));
    else
        return position + (at(position) >= 0x10000 ? 2 : 1);
}

template <class Char> char32_t GraphemeBoundaries<Char>::before(std::ptrdiff_t position) const {
    return at(previous(position));
}

// A boundary no grapheme rule can remove: between two code points that break
// both ways and are not CR then LF, or at either end.
template <class Char> bool GraphemeBoundaries<Char>::isSure(std::ptrdiff_t position) const {
    if (position <= 0 || position >= std::ptrdiff_t(m_text.size()))
        return true;
    const char32_t left = before(position);
    const char32_t right = at(position);
    return BreaksBothWays(left) && BreaksBothWays(right) && !(left == '\r' && right == '\n');
}

// Regional indicators pair up into flags from the start of their run, so ICU
// must not be given a stretch that starts between the two of a pair: it would
// pair every one after it wrongly. A stretch that starts inside a run starts
// where a pair does. The run's start is kept, as the stretches of one run
// follow one another.
template <class Char> std::ptrdiff_t GraphemeBoundaries<Char>::pairStart(std::ptrdiff_t from) {
    if (!Regional(at(from)) || !Regional(before(from)))
        return from;
    if (from < m_runStart || from > m_runEnd) {
        // Where the run kept reaches on to `from`, it is the same run.
        bool same = m_runStart >= 0 && from > m_runEnd;
        for (std::ptrdiff_t p = m_runEnd; same && p < from; p = next(p))
            same = Regional(at(p));
        if (!same) {
            m_runStart = from;
            while (m_runStart > 0 && Regional(before(m_runStart)))
                m_runStart = previous(m_runStart);
        }
        m_runEnd = from;
    }
    constexpr std::ptrdiff_t Width = sizeof(Char) == 1 ? 4 : 2; // of one indicator
    return (from - m_runStart) / Width % 2 == 0 ? from : previous(from);
}

template <class Char> bool GraphemeBoundaries<Char>::isBoundary(std::ptrdiff_t position) {
    if (position <= 0 || position >= std::ptrdiff_t(m_text.size()))
        return true;
    if (m_plain)
        return !(m_text[std::size_t(position) - 1] == '\r' &&
                 m_text[std::size_t(position)] == '\n');
    if (isSure(position))
        return true;
    // Between two regional indicators only their pairing from the run's
    // start decides; ICU would walk back over the run for every question.
    if (Regional(before(position)) && Regional(at(position)))
        return pairStart(position) == position;
    // No grapheme rule looks across a sure boundary, so ICU needs only the
    // stretch between the nearest ones around the position.
    if (position <= m_from || position >= m_to) {
        // A stretch without a sure boundary can be as long as the text (a
        // page of Devanagari); ICU is given at most MaximumStretch around the
        // position, which only a grapheme longer than that could notice.
        std::ptrdiff_t from = position;
        do
            from = previous(from);
        while (!isSure(from) && position - from < MaximumStretch);
        if (!isSure(from))
            from = pairStart(from);
        std::ptrdiff_t to = position;
        do
            to = next(to);
        while (!isSure(to) && to - position < MaximumStretch);
        if (!m_icu)
            m_icu = std::make_unique<Icu>();
        UErrorCode status = U_ZERO_ERROR;
        if constexpr (sizeof(Char) == 1)
            m_icu->text =
                m_icu->call.textOpenUtf8(m_icu->text, m_text.data() + from, to - from, &status);
        else
            m_icu->text =
                m_icu->call.textOpenUChars(m_icu->text, m_text.data() + from, to - from, &status);
        if (!m_icu->iterator && U_SUCCESS(status))
            m_icu->iterator = m_icu->call.breakOpen(UBRK_CHARACTER, "", nullptr, 0, &status);
        if (U_SUCCESS(status))
            m_icu->call.breakSetText(m_icu->iterator, m_icu->text, &status);
        if (U_FAILURE(status)) {
            // ICU fails only when it cannot allocate.
            m_icu.reset();
            m_to = -1;
            throw std::bad_alloc();
        }
        m_from = from;
        m_to = to;
    }
    return m_icu->call.breakIsBoundary(m_icu->iterator, std::int32_t(position - m_from)) != 0;
}

template class GraphemeBoundaries<char>;
template class GraphemeBoundaries<char16_t>;

} // namespace tovrik::core
