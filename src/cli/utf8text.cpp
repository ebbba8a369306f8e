#include "cli/utf8text.h"

#include "core/utf8.h"

#include <algorithm>
#include <cstring>

namespace tovrik::cli {

Utf8Text::Utf8Text(ByteSource &source, Output &output, bool refuseNul)
    : m_source(source), m_output(output), m_refuseNul(refuseNul) {}

bool Utf8Text::more() {
    for (;;) {
        if (m_source.fillMoves())
            m_output.settle(); // the pieces held in place go before their bytes do
        if (!m_source.fill(m_keep)) {
            // What is left unchecked at the end is a character cut off.
            if (m_source.end() > m_valid) {
                const core::Utf8Scan scan = core::ScanUtf8(
                    at(m_valid), std::size_t(m_source.end() - m_valid), true, m_refuseNul);
                throw Utf8Fault{m_valid + scan.error, scan.nul};
            }
            return false;
        }
        const core::Utf8Scan scan =
            core::ScanUtf8(at(m_valid), std::size_t(m_source.end() - m_valid), false, m_refuseNul);
        if (scan.error >= 0)
            throw Utf8Fault{m_valid + scan.error, scan.nul};
        if (scan.asciiFrom > 0)
            m_asciiFrom = m_valid + Pos(scan.asciiFrom);
        m_valid += Pos(scan.valid);
        if (scan.valid > 0)
            return true;
    }
}

Utf8Text::Pos Utf8Text::begin() {
    while (m_valid < 3 && more()) {
    }
    const std::string_view start(at(0), std::size_t(std::min<Pos>(m_valid, 3)));
    m_keep = Pos(start.size() - SkipByteOrderMark(start).size());
    return m_keep;
}

core::rules::Reach<Utf8Text::Pos> Utf8Text::advance(Pos from, std::ptrdiff_t units) {
    m_keep = from;
    Pos position = from;
    std::ptrdiff_t have = 0;
    for (;;) {
        if (position >= m_asciiFrom) { // a byte is a unit
            const Pos step = std::min(units - have, m_valid - position);
            position += step;
            have += step;
        } else {
            const core::UnitSpan span = core::TakeUnits(
                at(position), std::size_t(m_valid - position), std::size_t(units - have));
            position += Pos(span.bytes);
            have += std::ptrdiff_t(span.units);
        }
        // Stopped short of the limit with bytes left: the next character
        // (a surrogate pair) does not fit.
        if (have == units || position < m_valid || !more())
            return {position, have < units};
    }
}

Utf8Text::Pos Utf8Text::lastIndexOf(char delimiter, Pos from, Pos to) const {
    const char *start = at(from);
    const void *found = ::memrchr(start, delimiter, std::size_t(to - from));
    return found ? from + (static_cast<const char *>(found) - start) : core::rules::NotFound;
}

Utf8Text::Pos Utf8Text::indexOf(char delimiter, Pos from) {
    for (;;) {
        const char *start = at(from);
        if (const void *found = std::memchr(start, delimiter, std::size_t(m_valid - from)))
            return from + (static_cast<const char *>(found) - start);
        // The piece runs on past what is held: what there is of it goes out.
        m_output.part({at(m_keep), std::size_t(m_valid - m_keep)});
        from = m_keep = m_valid;
        if (!more())
            return core::rules::NotFound;
    }
}

} // namespace tovrik::cli
