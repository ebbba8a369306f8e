#pragma once

#include <QString>
#include <QStringView>

#include <type_traits>

// The cutting routine: a message, a limit and a mode in, the pieces out, in
// order. Lengths count UTF-16 code units; a CR and an LF count one each.
//
// Every piece is a stretch of the message itself (a word buffer is the
// message's own words with the single blanks between them), so pieces are
// handed out as views: nothing is copied per piece.
//
// The message is a QStringView, or a QLatin1StringView over text that is
// plain ASCII: there every byte is one UTF-16 code unit, so the pieces are
// the same and the text need not be converted first.

namespace tovrik {

enum class SplitMode {
    Exact,  // "Split at exactly N": cut every N characters
    Space,  // "Split before N at space": whole words, cut at a blank
    Period, // "Split after period": whole sentences, cut after a period
};

namespace detail {

// How the cutting steps measure pieces. The character rules: a piece holds
// up to `limit` code units, and any cut is allowed but one inside a
// surrogate pair. Other measures (SMS units) offer the same three calls.
template <class View> struct CharacterMeasure {
    View message;
    qsizetype limit;

    // Where the longest piece from start that fits ends; past the message's
    // end when the rest fits with one more unit (the appended delimiter).
    qsizetype reach(qsizetype start) const { return start + limit; }

    // Where a fixed-length piece from start ends: never between the two
    // halves of a surrogate pair; one unit earlier, or with the limit 1 the
    // pair as one piece.
    qsizetype exactEnd(qsizetype start) const {
        qsizetype end = qMin(start + limit, message.size()); // [132]
        if constexpr (std::is_same_v<View, QStringView>) {   // ASCII has no pairs
            if (end < message.size() && message[end - 1].isHighSurrogate() &&
                message[end].isLowSurrogate())
                end += end - start == 1 ? 1 : -1;
        }
        return end;
    }

    // Whether the delimiter at this position may end a buffer.
    bool endsUnit(qsizetype) const { return true; }

    // A unit that alone does not fit becomes a piece, uncut.
    static constexpr bool CutsLongUnits = false;
};

// Fixed-length mode.
template <class View, class Measure, class Emit>
void CutExact(View message, const Measure &measure, Emit &&emit) {
    qsizetype position = 0;                               // [128] position 1
    while (position < message.size()) {                   // [130]
        const qsizetype end = measure.exactEnd(position); // [132]
        emit(message.sliced(position, end - position));   // [134, 136] never empty here
        position = end;                                   // [138]
    }
}

// Space and period modes share one shape: split the message at every
// delimiter into units (words or sentences), then gather units into a buffer
// while buffer + unit + delimiter fits.
//
// The buffer is always a stretch of the message: message[start, end) plus
// the delimiter the routine appended, which is the message's own delimiter
// at position end. Gathering is greedy, so instead of testing every unit the
// routine looks for the last unit end that still fits: the last delimiter
// before the measure's reach, or the message's end.
//
// keepDelimiter: whether a piece emitted inside the loop keeps the buffer's
// final delimiter (period mode) or loses it (space mode). The last piece
// always loses the one the routine appended.
template <class View, class Measure, class Emit>
void CutAtDelimiter(View message, const Measure &measure, QChar delimiter, bool keepDelimiter,
                    Emit &&emit) {
    const qsizetype n = message.size();
    if (n == 0) // a message of zero length has no units at all
        return;
    const auto emitPiece = [&](qsizetype start, qsizetype length) {
        if (length > 0) // an empty piece is never emitted
            emit(message.sliced(start, length));
    };
    // (A negative "from" would search from the end: stop before it.)
    const auto lastEnd = [&](qsizetype start, qsizetype from) {
        qsizetype end = from >= start ? message.lastIndexOf(delimiter, from) : -1;
        while (end >= start && !measure.endsUnit(end))
            end = end > start ? message.lastIndexOf(delimiter, end - 1) : -1;
        return end;
    };
    const auto firstEnd = [&](qsizetype start) {
        qsizetype end = message.indexOf(delimiter, start);
        while (end >= 0 && !measure.endsUnit(end))
            end = message.indexOf(delimiter, end + 1);
        return end;
    };

    qsizetype start = 0; // where the buffer's first unit starts
    for (;;) {
        // [148] Everything that is left fits, with the appended delimiter.
        const qsizetype reach = measure.reach(start);
        if (reach > n) {
            emitPiece(start, n - start); // [158, 160] / [180, 182]
            return;
        }
        // [148, 150] The units that fit end at the last delimiter in reach.
        qsizetype end = lastEnd(start, reach - 1);
        if (end < start) {
            // [154] The first unit alone does not fit.
            if constexpr (Measure::CutsLongUnits) {
                // Its head, cut to fit, is a piece; its tail starts the buffer.
                const qsizetype cut = measure.exactEnd(start);
                emitPiece(start, cut - start);
                // A head that ends at its own blank was the whole word: the
                // blank goes, as the one the routine would have appended.
                const bool wholeWord =
                    !keepDelimiter && cut < n && message[cut] == delimiter && measure.endsUnit(cut);
                start = wholeWord ? cut + 1 : cut;
                continue;
            }
            // It is a piece, uncut.
            end = firstEnd(start);
            if (end < 0) {
                emitPiece(start, n - start); // [158, 160] / [180, 182]
                return;
            }
        }
        // [152] / [174] The next unit does not fit: out goes the buffer.
        emitPiece(start, end - start + (keepDelimiter ? 1 : 0));
        start = end + 1; // [154] / [176] the next unit starts the buffer
    }
}

// The three modes over one measure.
template <class View, class Measure, class Emit>
void CutWith(View message, const Measure &measure, SplitMode mode, Emit &&emit) {
    switch (mode) {
    case SplitMode::Exact:
        CutExact(message, measure, emit);
        break;
    case SplitMode::Space: // [142] split at every blank (" " exactly)
        CutAtDelimiter(message, measure, QChar(u' '), false, emit);
        break;
    case SplitMode::Period: // [164] split at every period
        CutAtDelimiter(message, measure, QChar(u'.'), true, emit);
        break;
    }
}

template <class View, class Emit>
void Cut(View message, qsizetype limit, SplitMode mode, Emit &&emit) {
    CutWith(message, CharacterMeasure<View>{message, limit}, mode, emit);
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
