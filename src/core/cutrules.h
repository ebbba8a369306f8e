#pragma once

#include <cstddef>

// The cut rules, written once for every form of the message: UTF-16 text in
// the window (cutter.h), a stream of UTF-8 bytes in tovrik-split, a UTF-8
// message measured in SMS units (sms.cpp).
//
// Lengths count UTF-16 code units, a CR and an LF one each, except where a
// Text measures pieces by a budget of its own (SMS units).
//
// The rules see the message through a Text, whose positions are its own
// (code units of a string, bytes of UTF-8); a piece is always a stretch of
// the message between two positions. A Text provides:
//
//   Pos                     a signed position type
//   CutsLongUnits           whether a word or sentence that does not fit
//                           alone is cut as fixed-length mode cuts (true), or
//                           is one piece, uncut (false)
//   begin()                 where the message starts
//   atEnd(p)                whether the message ends at p
//   advance(from, n)        a Reach: as many whole characters from `from` as
//                           fit in n code units, or fewer where the message
//                           ends; a surrogate pair is one whole character.
//                           Nothing before `from` is asked for again, so a
//                           streaming Text may forget it. A Text with a
//                           budget of its own ignores n and fits its budget.
//   lastCut(from, to)       the last position in (from, to] where a piece may
//                           end, or `from` where there is none; `to` is a
//                           Reach's. That is `to` itself, unless characters
//                           join into graphemes (SMS units).
//   pastCharacter(p)        the position after the whole character at p, the
//                           one advance found no room for
//   lastIndexOf(d, from, to) the last ASCII delimiter d in [from, to), or NotFound
//   indexOf(d, from)        the first d at or after `from`, or NotFound. It is
//                           asked only where everything from the last
//                           advance's `from` up to that delimiter is one
//                           piece, so a streaming Text may write that much
//                           out before it finds the delimiter. Not asked of
//                           a Text that CutsLongUnits.
//   end()                   the message's end, once atEnd or indexOf found it;
//                           not asked of a Text that CutsLongUnits
//   piece(from, to)         what the caller's emit receives
//
// A delimiter is one position long in every Text.

namespace tovrik::core {

enum class SplitMode {
    Exact,  // "Split at exactly N": cut every N characters
    Space,  // "Split before N at space": whole words, cut at a blank
    Period, // "Split after period": whole sentences, cut after a period
};

namespace rules {

inline constexpr std::ptrdiff_t NotFound = -1;

template <class Pos> struct Reach {
    Pos at;    // where the characters that fit end
    bool room; // one more code unit would still fit
};

// [132] Where a piece of fixed-length mode from `from` ends, given how far
// its characters reach: as many characters as the limit, or fewer where the
// message ends first. A surrogate pair is never separated: the piece stops
// before it, or with the limit 1 the pair is one piece of two units. A
// character that fits nowhere is a piece anyway.
template <class Text, class Pos> Pos FixedEnd(Text &text, Pos from, Pos reach) {
    const Pos end = text.lastCut(from, reach);
    return end == from ? text.pastCharacter(from) : end;
}

// Fixed-length mode.
template <class Text, class Emit> void CutExact(Text &text, std::ptrdiff_t limit, Emit &&emit) {
    auto position = text.begin();   // [128] position 1
    while (!text.atEnd(position)) { // [130]
        const auto end = FixedEnd(text, position, text.advance(position, limit).at); // [132]
        emit(text.piece(position, end)); // [134, 136] never empty here
        position = end;                  // [138]
    }
}

// Space and period modes share one shape: split the message at every
// delimiter into units (words or sentences), then gather units into a buffer
// while buffer + unit + delimiter stays within the limit.
//
// The buffer is always a stretch of the message: [start, end) plus the
// delimiter the routine appended, which is the message's own delimiter at
// end. Gathering is greedy, so instead of testing every unit the routine
// looks for the last unit end that still fits: the last delimiter among the
// first limit units from start, or the message's end.
//
// keepDelimiter: whether a piece emitted inside the loop keeps the buffer's
// final delimiter (period mode) or loses it (space mode). The last piece
// always loses the one the routine appended.
template <class Text, class Emit>
void CutAtDelimiter(Text &text, std::ptrdiff_t limit, char delimiter, bool keepDelimiter,
                    Emit &&emit) {
    using Pos = typename Text::Pos;
    auto start = text.begin(); // where the buffer's first unit starts
    if (text.atEnd(start))     // a message of zero length has no units at all
        return;
    const auto emitPiece = [&](Pos from, Pos to) {
        if (to > from) // an empty piece is never emitted
            emit(text.piece(from, to));
    };

    for (;;) {
        const Reach<Pos> reach = text.advance(start, limit);
        // [148] Everything that is left fits, with the appended delimiter.
        if (reach.room && text.atEnd(reach.at)) {
            emitPiece(start, reach.at); // [158, 160] / [180, 182]
            return;
        }
        // [148, 150] The units that fit end at the last delimiter in reach.
        Pos end = text.lastIndexOf(delimiter, start, reach.at);
        if (end == NotFound) {
            // [154] The first unit alone does not fit.
            if constexpr (Text::CutsLongUnits) {
                // Its head, cut as fixed-length mode cuts, is a piece; the
                // rest starts the buffer.
                const Pos cut = FixedEnd(text, start, reach.at);
                emitPiece(start, cut);
                // A head that ends at its own blank was the whole word: the
                // blank goes, as the appended one would.
                const bool wholeWord = !keepDelimiter && !text.atEnd(cut) &&
                                       text.lastIndexOf(delimiter, cut, cut + 1) == cut;
                start = wholeWord ? cut + 1 : cut;
                continue;
            } else {
                // It is a piece, uncut.
                end = text.indexOf(delimiter, reach.at);
                if (end == NotFound) {
                    emitPiece(start, text.end()); // [158, 160] / [180, 182]
                    return;
                }
            }
        }
        // [152] / [174] The next unit does not fit: out goes the buffer.
        emitPiece(start, end + (keepDelimiter ? 1 : 0));
        start = end + 1; // [154] / [176] the next unit starts the buffer
    }
}

template <class Text, class Emit>
void Cut(Text &text, std::ptrdiff_t limit, SplitMode mode, Emit &&emit) {
    switch (mode) {
    case SplitMode::Exact:
        CutExact(text, limit, emit);
        break;
    case SplitMode::Space: // [142] split at every blank (" " exactly)
        CutAtDelimiter(text, limit, ' ', false, emit);
        break;
    case SplitMode::Period: // [164] split at every period
        CutAtDelimiter(text, limit, '.', true, emit);
        break;
    }
}

} // namespace rules
} // namespace tovrik::core
