#pragma once

#include "core/cutrules.h"
#include "core/utf8.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>
#include <type_traits>

// The cutting routine for the window: a message, a limit and a mode in, the
// pieces out, in order. Lengths count UTF-16 code units; a CR and an LF count
// one each. The rules themselves are in cutrules.h.
//
// Every piece is a stretch of the message itself (a word buffer is the
// message's own words with the single blanks between them), so pieces are
// handed out as views: nothing is copied per piece.
//
// The message is UTF-16 text, or a std::string_view over text that is plain
// ASCII: there every byte is one UTF-16 code unit, so the pieces are the same
// and the text need not be converted first.

namespace tovrik::core {

namespace detail {

inline bool IsHighSurrogate(char16_t u) {
    return u >= 0xD800 && u < 0xDC00;
}
inline bool IsLowSurrogate(char16_t u) {
    return u >= 0xDC00 && u < 0xE000;
}

// A string as the cut rules see it: positions are code units.
template <class View> class StringText {
public:
    using Pos = std::ptrdiff_t;
    static constexpr bool CutsLongUnits = false;

    explicit StringText(View message) : m_message(message) {}

    Pos begin() const { return 0; }
    bool atEnd(Pos p) const { return p >= size(); }
    rules::Reach<Pos> advance(Pos from, std::ptrdiff_t units) const {
        const Pos length = std::min(units, size() - from);
        if (cutsSurrogatePair(from + length))
            return {from + length - 1, true}; // a unit short of the limit
        return {from + length, length < units};
    }
    Pos lastCut(Pos, Pos to) const { return to; }
    Pos pastCharacter(Pos p) const { return p + 2; } // only a surrogate pair fits nowhere
    Pos lastIndexOf(char delimiter, Pos from, Pos to) const {
        if (to == from)
            return rules::NotFound;
        const auto found = m_message.find_last_of(typename View::value_type(delimiter), to - 1);
        return found != View::npos && Pos(found) >= from ? Pos(found) : rules::NotFound;
    }
    Pos indexOf(char delimiter, Pos from) const {
        const auto found = m_message.find(typename View::value_type(delimiter), from);
        return found == View::npos ? rules::NotFound : Pos(found);
    }
    Pos end() const { return size(); }
    View piece(Pos from, Pos to) const { return m_message.substr(from, to - from); }

private:
    Pos size() const { return Pos(m_message.size()); }
    bool cutsSurrogatePair(Pos cut) const {
        if constexpr (std::is_same_v<View, std::u16string_view>)
            return cut < size() && IsHighSurrogate(m_message[cut - 1]) &&
                   IsLowSurrogate(m_message[cut]);
        else
            return false; // ASCII has none
    }

    View m_message;
};

// Well-formed UTF-8 held whole, measured in UTF-16 code units; positions are
// bytes.
class Utf8StringText {
public:
    using Pos = std::ptrdiff_t;
    static constexpr bool CutsLongUnits = false;

    explicit Utf8StringText(std::string_view message) : m_message(message) {}

    Pos begin() const { return 0; }
    bool atEnd(Pos p) const { return p >= Pos(m_message.size()); }
    rules::Reach<Pos> advance(Pos from, std::ptrdiff_t units) const {
        const UnitSpan span = TakeUnits(m_message.data() + from,
                                        m_message.size() - std::size_t(from), std::size_t(units));
        return {from + Pos(span.bytes), std::ptrdiff_t(span.units) < units};
    }
    Pos lastCut(Pos, Pos to) const { return to; }
    Pos pastCharacter(Pos p) const {
        return p + Pos(Utf8Length(static_cast<unsigned char>(m_message[std::size_t(p)])));
    }
    Pos lastIndexOf(char delimiter, Pos from, Pos to) const {
        if (to <= from)
            return rules::NotFound;
        const void *hit = memrchr(m_message.data() + from, delimiter, std::size_t(to - from));
        return hit ? static_cast<const char *>(hit) - m_message.data() : rules::NotFound;
    }
    Pos indexOf(char delimiter, Pos from) const {
        const auto found = m_message.find(delimiter, std::size_t(from));
        return found == std::string_view::npos ? rules::NotFound : Pos(found);
    }
    Pos end() const { return Pos(m_message.size()); }
    std::string_view piece(Pos from, Pos to) const {
        return m_message.substr(std::size_t(from), std::size_t(to - from));
    }

private:
    std::string_view m_message;
};

template <class View, class Emit>
void Cut(View message, std::ptrdiff_t limit, SplitMode mode, Emit &&emit) {
    StringText<View> text(message);
    rules::Cut(text, limit, mode, emit);
}

} // namespace detail

// Space mode: two blanks in a row give an empty word. Every piece is at most
// limit - 1 long, except a single word of limit characters or more, which is
// one piece and never cut. Only the blank the routine appended is removed.
//
// Period mode: each sentence gets its period back and the last piece ends as
// the message ends. A sentence that does not fit is one piece, uncut. "?" and
// "!" end nothing.
//
// Fixed-length mode: every piece but the last has the limit's length, except
// that a surrogate pair is never separated (that piece is one unit shorter;
// with the limit 1 the pair is one piece of two units).
template <class Emit>
void CutMessage(std::u16string_view message, std::ptrdiff_t limit, SplitMode mode, Emit &&emit) {
    detail::Cut(message, limit, mode, emit);
}

template <class Emit>
void CutAsciiMessage(std::string_view asciiMessage, std::ptrdiff_t limit, SplitMode mode,
                     Emit &&emit) {
    detail::Cut(asciiMessage, limit, mode, emit);
}

// The same cut of well-formed UTF-8, still counted in UTF-16 code units.
template <class Emit>
void CutUtf8Message(std::string_view message, std::ptrdiff_t limit, SplitMode mode, Emit &&emit) {
    detail::Utf8StringText text(message);
    rules::Cut(text, limit, mode, emit);
}

} // namespace tovrik::core
