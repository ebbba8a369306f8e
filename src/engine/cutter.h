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

template <class View> bool cutsSurrogatePair(View message, qsizetype cut) {
    if constexpr (std::is_same_v<View, QStringView>)
        return cut < message.size() && message[cut - 1].isHighSurrogate() &&
               message[cut].isLowSurrogate();
    else
        return false; // ASCII has none
}

// Fixed-length mode.
template <class View, class Emit> void CutExact(View message, qsizetype limit, Emit &&emit) {
    qsizetype position = 0;                                        // [128] position 1
    while (position < message.size()) {                            // [130]
        qsizetype length = qMin(limit, message.size() - position); // [132]
        // Never separate the two halves of a surrogate pair: cut one unit
        // earlier, or with the limit 1 take the pair as one piece.
        if (cutsSurrogatePair(message, position + length))
            length += length == 1 ? 1 : -1;
        emit(message.sliced(position, length)); // [134, 136] never empty here
        position += length;                     // [138]
    }
}

// Space and period modes share one shape: split the message at every
// delimiter into units (words or sentences), then gather units into a buffer
// while buffer + unit + delimiter stays within the limit.
//
// The buffer is always a stretch of the message: message[start, end) plus
// the delimiter the routine appended, which is the message's own delimiter
// at position end. Gathering is greedy, so instead of testing every unit the
// routine looks for the last unit end that still fits: the last delimiter at
// or before start + limit - 1, or the message's end.
//
// keepDelimiter: whether a piece emitted inside the loop keeps the buffer's
// final delimiter (period mode) or loses it (space mode). The last piece
// always loses the one the routine appended.
template <class View, class Emit>
void CutAtDelimiter(View message, qsizetype limit, QChar delimiter, bool keepDelimiter,
                    Emit &&emit) {
    const qsizetype n = message.size();
    if (n == 0) // a message of zero length has no units at all
        return;
    const auto emitPiece = [&](qsizetype start, qsizetype length) {
        if (length > 0) // an empty piece is never emitted
            emit(message.sliced(start, length));
    };

    qsizetype start = 0; // where the buffer's first unit starts
    for (;;) {
        // [148] Everything that is left fits, with the appended delimiter.
        if (n - start + 1 <= limit) {
            emitPiece(start, n - start); // [158, 160] / [180, 182]
            return;
        }
        // [148, 150] The units that fit end at the last delimiter in reach.
        qsizetype end = message.lastIndexOf(delimiter, start + limit - 1);
        if (end < start) {
            // [154] The first unit alone does not fit: it is a piece, uncut.
            end = message.indexOf(delimiter, start);
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

template <class View, class Emit>
void Cut(View message, qsizetype limit, SplitMode mode, Emit &&emit) {
    switch (mode) {
    case SplitMode::Exact:
        CutExact(message, limit, emit);
        break;
    case SplitMode::Space: // [142] split at every blank (" " exactly)
        CutAtDelimiter(message, limit, QChar(u' '), false, emit);
        break;
    case SplitMode::Period: // [164] split at every period
        CutAtDelimiter(message, limit, QChar(u'.'), true, emit);
        break;
    }
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
