#pragma once

#include "cli/input.h"
#include "cli/output.h"
#include "core/cutrules.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// UTF-8 input as the cut rules see it (see cutrules.h): positions are byte
// offsets, lengths are counted in UTF-16 code units straight from the bytes,
// and a piece is a slice of the input. Bytes are checked as they come in, and
// only what the rules may still look at is held.

namespace tovrik::cli {

// The input is not UTF-8 at `offset`, or holds a NUL there that is refused.
struct Utf8Fault {
    std::int64_t offset;
    bool nul;
};

class Utf8Text {
public:
    using Pos = std::ptrdiff_t;
    static constexpr bool CutsLongUnits = false;

    // Pieces that outgrow what is held start going out through `output`
    // before their end is found.
    Utf8Text(ByteSource &source, Output &output, bool refuseNul);

    Pos begin();
    bool atEnd(Pos p) { return p == m_valid && !more(); }
    core::rules::Reach<Pos> advance(Pos from, std::ptrdiff_t units);
    Pos lastCut(Pos, Pos to) const { return to; }
    Pos pastCharacter(Pos p) const { return p + 4; } // only a surrogate pair fits nowhere
    Pos lastIndexOf(char delimiter, Pos from, Pos to) const;
    Pos indexOf(char delimiter, Pos from);
    Pos end() const { return m_valid; }
    // The byte after a piece when it is held and is `delimiter`, else null.
    // A cut at a blank drops the blank after the piece, so the writer may
    // write over it.
    char *delimiterAfter(std::string_view piece, char delimiter) const {
        const Pos to = Pos(piece.data() + piece.size() - m_source.data()) + m_source.base();
        char *after = m_source.data() + (to - m_source.base());
        return to < m_valid && *after == delimiter ? after : nullptr;
    }
    // What has not gone out yet of the piece [from, to).
    std::string_view piece(Pos from, Pos to) const {
        from = from > m_keep ? from : m_keep;
        return {at(from), std::size_t(to - from)};
    }

private:
    const char *at(Pos p) const { return m_source.data() + (p - m_source.base()); }
    // Brings in and checks more bytes; false at the end of the input.
    bool more();

    ByteSource &m_source;
    Output &m_output;
    bool m_refuseNul;
    Pos m_valid = 0;     // bytes up to here are checked and whole characters
    Pos m_asciiFrom = 0; // [m_asciiFrom, m_valid) is plain ASCII
    Pos m_keep = 0;      // nothing before this is looked at again
};

} // namespace tovrik::cli
