#pragma once

// Interim: the cutting steps over a measure, as the SMS cutter uses them,
// until the SMS measure is a Text of the shared cut rules (cutrules.h).
#include "cutrules.h"

#include <QString>
#include <QStringView>

namespace tovrik {

namespace smsdetail {

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

} // namespace smsdetail

} // namespace tovrik
