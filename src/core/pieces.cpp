#include "core/pieces.h"

#include "core/cutter.h"
#include "core/lookalikes.h"
#include "core/utf8.h"

#include <algorithm>
#include <limits>

namespace tovrik::core {

bool PieceSplitter::split(std::string_view message, const PieceOptions &options) {
    m_options = options;
    m_replaced = 0;
    if (options.replace == Replacement::Never)
        return cut(message);
    const std::size_t replaced = ReplaceLookAlikes(message, m_replacement);
    if (replaced == 0)
        return cut(message);
    if (options.replace == Replacement::Always) {
        if (ScanSms(m_replacement, false).encoding != SmsEncoding::Gsm7)
            return cut(message);
        m_replaced = replaced;
        return cut(m_replacement);
    }
    // When cheaper: the replaced message must cost fewer pieces.
    const std::size_t original =
        cut(message) ? m_pieces.size() : std::numeric_limits<std::size_t>::max();
    if (cut(m_replacement) && m_pieces.size() < original) {
        m_replaced = replaced;
        return true;
    }
    return cut(message);
}

bool PieceSplitter::cut(std::string_view message) {
    const PieceOptions &options = m_options;
    m_message = message;
    m_scan = ScanSms(message);
    m_cutter.setMessage(message, m_scan);
    m_literalSeptets = 0;
    m_literalUnits = 0;
    if (options.number) {
        const SmsScan literal = ScanSms(options.number->literal());
        m_literalSeptets = literal.encoding == SmsEncoding::Gsm7 ? literal.units : -1;
        m_literalUnits = std::ptrdiff_t(Utf16Length(options.number->literal()));
    }
    // The numbering's characters count when choosing the encoding.
    m_concatEncoding = m_scan.encoding == SmsEncoding::Gsm7 && m_literalSeptets >= 0
                           ? SmsEncoding::Gsm7
                           : SmsEncoding::Ucs2;

    if (!options.number)
        return cutOnce(0);
    // Numbers as wide as the count: cut again while the count grows wider.
    // The width only grows, and no count exceeds the message's length.
    int width = 1;
    for (;;) {
        if (!cutOnce(width))
            return false;
        const int needed = DecimalWidth(std::ptrdiff_t(m_pieces.size()));
        if (needed <= width)
            return true;
        width = needed;
    }
}

bool PieceSplitter::cutOnce(int width) {
    m_pieces.clear();
    if (m_message.empty())
        return true;
    const auto overhead = [&](std::ptrdiff_t literalCost) {
        return m_options.number ? m_options.number->overhead(literalCost, width) : 0;
    };
    const auto keep = [&](std::string_view piece) { m_pieces.push_back(piece); };

    switch (m_options.sms) {
    case SmsUnits::Off: {
        const std::ptrdiff_t capacity = m_options.limit - overhead(m_literalUnits);
        if (capacity < 1)
            return false;
        CutUtf8Message(m_message, capacity, m_options.mode, keep);
        return true;
    }
    case SmsUnits::Standalone: {
        const bool gsm7Allowed = m_literalSeptets >= 0;
        const SmsBudget budget{gsm7Allowed,
                               gsm7Allowed ? Gsm7Single - overhead(m_literalSeptets) : 0,
                               Ucs2Single - overhead(m_literalUnits)};
        const bool allGsm7 = gsm7Allowed && m_scan.encoding == SmsEncoding::Gsm7;
        if ((allGsm7 ? budget.gsm7 : budget.ucs2) < 1)
            return false;
        m_cutter.cut(budget, m_options.mode, m_pieces);
        return settle(budget);
    }
    case SmsUnits::Concat: {
        const SmsEncoding encoding = m_concatEncoding;
        const bool gsm7 = encoding == SmsEncoding::Gsm7;
        const std::ptrdiff_t literal = gsm7 ? m_literalSeptets : m_literalUnits;
        // A message that fits one SMS is one part, whatever the mode.
        const std::ptrdiff_t cost = gsm7 || m_scan.encoding == SmsEncoding::Ucs2
                                        ? m_scan.units
                                        : std::ptrdiff_t(Utf16Length(m_message));
        if (cost + overhead(literal) <= SingleCapacity(encoding)) {
            m_pieces.push_back(m_message);
            return true;
        }
        const SmsBudget budget{gsm7, Gsm7Part - overhead(m_literalSeptets),
                               Ucs2Part - overhead(m_literalUnits)};
        if ((gsm7 ? budget.gsm7 : budget.ucs2) < 1)
            return false;
        m_cutter.cut(budget, m_options.mode, m_pieces);
        return settle(budget);
    }
    }
    return false;
}

// A piece's encoding and cost in it, unnumbered.
PieceSplitter::Cost PieceSplitter::textCost(std::string_view piece) const {
    SmsEncoding encoding = m_concatEncoding;
    if (m_options.sms != SmsUnits::Concat) {
        const SmsScan scan = ScanSms(piece, false);
        if (scan.encoding == SmsEncoding::Gsm7 && m_literalSeptets >= 0)
            return {SmsEncoding::Gsm7, scan.units};
        encoding = SmsEncoding::Ucs2;
    }
    return {encoding, SmsCost(piece, encoding)};
}

bool PieceSplitter::settle(const SmsBudget &budget) {
    const auto room = [&](SmsEncoding encoding) {
        return encoding == SmsEncoding::Gsm7 ? budget.gsm7 : budget.ucs2;
    };
    // A character that fits no piece at all (a budget of one, and a
    // character that costs two) cannot be sent.
    if (budget.ucs2 < 2 || (budget.gsm7Allowed && budget.gsm7 < 2))
        for (const std::string_view piece : m_pieces)
            if (const Cost cost = textCost(piece); cost.units > room(cost.encoding))
                return false;
    // A piece of blanks alone would cost a whole SMS for nothing: the blanks
    // go to the piece before them where they fit, and are dropped otherwise.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_pieces.size(); ++i) {
        const std::string_view piece = m_pieces[i];
        if (piece.find_first_not_of(' ') != std::string_view::npos) {
            m_pieces[kept++] = piece;
            continue;
        }
        if (kept == 0)
            continue;
        std::string_view &before = m_pieces[kept - 1];
        if (before.data() + before.size() != piece.data())
            continue;
        const Cost cost = textCost(before);
        if (cost.units + std::ptrdiff_t(piece.size()) <= room(cost.encoding))
            before = {before.data(), before.size() + piece.size()};
    }
    m_pieces.resize(kept);
    return true;
}

void PieceSplitter::withoutGsm7(std::size_t most, WithoutGsm7 &found) const {
    const std::string_view texts[] = {m_message,
                                      m_options.number ? m_options.number->literal() : ""};
    CharactersWithoutGsm7(texts, most, found);
}

SmsEncoding PieceSplitter::messageEncoding() const {
    switch (m_options.sms) {
    case SmsUnits::Off:
        return m_scan.encoding;
    case SmsUnits::Concat:
        return m_concatEncoding;
    case SmsUnits::Standalone:
        for (std::size_t i = 0; i < m_pieces.size(); ++i)
            if (cost(std::ptrdiff_t(i)).encoding == SmsEncoding::Ucs2)
                return SmsEncoding::Ucs2;
        return SmsEncoding::Gsm7;
    }
    return m_scan.encoding;
}

std::ptrdiff_t PieceSplitter::segments() {
    if (m_options.sms == SmsUnits::Off)
        return m_cutter.segments();
    return std::ptrdiff_t(m_pieces.size());
}

PieceSplitter::Cost PieceSplitter::cost(std::ptrdiff_t index) const {
    const std::string_view piece = m_pieces[std::size_t(index)];
    std::ptrdiff_t numbers = 0;
    if (m_options.number)
        numbers = m_options.number->numberFields() * DecimalWidth(index + 1) +
                  m_options.number->countFields() * DecimalWidth(std::ptrdiff_t(m_pieces.size()));

    // The whole message was scanned already; pieces of GSM-7 text without
    // escapes cost a septet a character.
    SmsScan scan;
    if (piece.size() == m_message.size())
        scan = m_scan;
    else if (m_scan.encoding == SmsEncoding::Gsm7)
        scan = {SmsEncoding::Gsm7, Gsm7Cost(piece), m_scan.escapes, m_scan.ascii, false};
    else if (m_options.sms == SmsUnits::Concat && m_concatEncoding == SmsEncoding::Ucs2)
        scan = {SmsEncoding::Ucs2, std::ptrdiff_t(Utf16Length(piece)), false, false, false};
    else
        scan = ScanSms(piece, false);
    SmsEncoding encoding = m_concatEncoding;
    if (m_options.sms != SmsUnits::Concat)
        encoding = scan.encoding == SmsEncoding::Gsm7 && m_literalSeptets >= 0 ? SmsEncoding::Gsm7
                                                                               : SmsEncoding::Ucs2;
    if (encoding == SmsEncoding::Gsm7)
        return {encoding, scan.units + m_literalSeptets + numbers};
    const std::ptrdiff_t units = scan.encoding == SmsEncoding::Ucs2 ? scan.units
                                 : scan.ascii                       ? std::ptrdiff_t(piece.size())
                                              : std::ptrdiff_t(Utf16Length(piece));
    return {encoding, units + m_literalUnits + numbers};
}

} // namespace tovrik::core
