#pragma once

#include "cutrules.h"

#include <QString>
#include <QStringView>

#include <type_traits>

// The cutting routine: a message, a limit and a mode in, the pieces out, in
// order. Lengths count UTF-16 code units; a CR and an LF count one each. The
// rules themselves are in cutrules.h.
//
// Every piece is a stretch of the message itself (a word buffer is the
// message's own words with the single blanks between them), so pieces are
// handed out as views: nothing is copied per piece.
//
// The message is a QStringView, or a QLatin1StringView over text that is
// plain ASCII: there every byte is one UTF-16 code unit, so the pieces are
// the same and the text need not be converted first.

namespace tovrik {

namespace detail {

// A string as the cut rules see it: positions are code units.
template <class View> class StringText {
public:
    using Pos = qsizetype;
    static constexpr bool CutsLongUnits = false;

    explicit StringText(View message) : m_message(message) {}

    Pos begin() const { return 0; }
    bool atEnd(Pos p) const { return p >= m_message.size(); }
    rules::Reach<Pos> advance(Pos from, qsizetype units) const {
        const qsizetype length = qMin(units, m_message.size() - from);
        if (cutsSurrogatePair(from + length))
            return {from + length - 1, true}; // a unit short of the limit
        return {from + length, length < units};
    }
    Pos lastCut(Pos, Pos to) const { return to; }
    Pos pastCharacter(Pos p) const { return p + 2; } // only a surrogate pair fits nowhere
    Pos lastIndexOf(char delimiter, Pos from, Pos to) const {
        if (to == from)
            return rules::NotFound;
        const Pos found = m_message.lastIndexOf(QChar(char16_t(delimiter)), to - 1);
        return found >= from ? found : rules::NotFound;
    }
    Pos indexOf(char delimiter, Pos from) const {
        return m_message.indexOf(QChar(char16_t(delimiter)), from); // -1 is NotFound
    }
    Pos end() const { return m_message.size(); }
    View piece(Pos from, Pos to) const { return m_message.sliced(from, to - from); }

private:
    bool cutsSurrogatePair(qsizetype cut) const {
        if constexpr (std::is_same_v<View, QStringView>)
            return cut < m_message.size() && m_message[cut - 1].isHighSurrogate() &&
                   m_message[cut].isLowSurrogate();
        else
            return false; // ASCII has none
    }

    View m_message;
};

template <class View, class Emit>
void Cut(View message, qsizetype limit, SplitMode mode, Emit &&emit) {
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
void CutMessage(QStringView message, qsizetype limit, SplitMode mode, Emit &&emit) {
    detail::Cut(message, limit, mode, emit);
}

template <class Emit>
void CutMessage(QLatin1StringView asciiMessage, qsizetype limit, SplitMode mode, Emit &&emit) {
    detail::Cut(asciiMessage, limit, mode, emit);
}

} // namespace tovrik
