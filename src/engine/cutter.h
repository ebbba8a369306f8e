#pragma once

#include <QStringView>

// The cutting routine: a message, a limit and a mode in, the pieces out, in
// order. Lengths count UTF-16 code units; a CR and an LF count one each.
//
// Every piece is a stretch of the message itself (a word buffer is the
// message's own words with the single blanks between them), so pieces are
// handed out as views: nothing is copied per piece.

namespace tovrik {

enum class SplitMode {
    Exact,  // "Split at exactly N": cut every N characters
    Space,  // "Split before N at space": whole words, cut at a blank
    Period, // "Split after period": whole sentences, cut after a period
};

// Fixed-length mode.
template <class Emit> void CutExact(QStringView message, qsizetype limit, Emit &&emit) {
    qsizetype position = 0;                                        // [128] position 1
    while (position < message.size()) {                            // [130]
        qsizetype length = qMin(limit, message.size() - position); // [132]
        // Never separate the two halves of a surrogate pair: cut one unit
        // earlier, or with the limit 1 take the pair as one piece.
        const qsizetype cut = position + length;
        if (cut < message.size() && message[cut - 1].isHighSurrogate() &&
            message[cut].isLowSurrogate())
            length += length == 1 ? 1 : -1;
        emit(message.sliced(position, length)); // [134, 136] never empty here
        position += length;                     // [138]
    }
}

namespace detail {

// Space and period modes share one shape: split at every delimiter, gather
// units (word or sentence, each with its delimiter) while they fit.
// The buffer is message[start, end) followed by one delimiter, or empty.
// keepDelimiter: whether a piece emitted inside the loop keeps the
// buffer's final delimiter (period mode) or loses it (space mode).
template <class Emit>
void CutAtDelimiter(QStringView message, qsizetype limit, QChar delimiter, bool keepDelimiter,
                    Emit &&emit) {
    if (message.isEmpty()) // a message of zero length has no units at all
        return;
    bool bufferEmpty = true; // [144] / [166]
    qsizetype start = 0;
    qsizetype end = 0;
    const auto emitBuffer = [&](bool withDelimiter) {
        if (bufferEmpty)
            return;
        const qsizetype length = end - start + (withDelimiter ? 1 : 0);
        if (length > 0)
            emit(message.sliced(start, length));
    };

    qsizetype unitStart = 0;
    for (;;) { // [146] / [168] for each unit
        const qsizetype found = message.indexOf(delimiter, unitStart);
        const qsizetype unitEnd = found < 0 ? message.size() : found;
        const qsizetype bufferLength = bufferEmpty ? 0 : end - start + 1;
        if (bufferLength + (unitEnd - unitStart) + 1 <= limit) { // [148] / [170]
            if (bufferEmpty)                                     // [150] / [172]
                start = unitStart;
            end = unitEnd;
            bufferEmpty = false;
        } else {
            emitBuffer(keepDelimiter); // [152] / [174]
            start = unitStart;         // [154] / [176]
            end = unitEnd;
            bufferEmpty = false;
        }
        if (found < 0)
            break;
        unitStart = found + 1;
    }
    emitBuffer(false); // [158, 160] / [180, 182] less the delimiter the routine appended
}

} // namespace detail

// Space mode: split at every blank (" " exactly); two blanks in a row give an
// empty word. Every piece is at most limit - 1 long, except a single word of
// limit characters or more, which is one piece and never cut.
template <class Emit> void CutAtSpaces(QStringView message, qsizetype limit, Emit &&emit) {
    detail::CutAtDelimiter(message, limit, QChar(u' '), false, emit); // [142]
}

// Period mode: split at every period; each sentence gets its period back and
// the final step takes off the one the routine added, so the last piece ends
// as the message ends. "?" and "!" end nothing.
template <class Emit> void CutAtPeriods(QStringView message, qsizetype limit, Emit &&emit) {
    detail::CutAtDelimiter(message, limit, QChar(u'.'), true, emit); // [164]
}

template <class Emit>
void CutMessage(QStringView message, qsizetype limit, SplitMode mode, Emit &&emit) {
    switch (mode) {
    case SplitMode::Exact:
        CutExact(message, limit, emit);
        break;
    case SplitMode::Space:
        CutAtSpaces(message, limit, emit);
        break;
    case SplitMode::Period:
        CutAtPeriods(message, limit, emit);
        break;
    }
}

} // namespace tovrik
