#include "pieces.h"

namespace tovrik {

bool PieceSplitter::split(QStringView message, const PieceOptions &options) {
    m_options = options;
    m_message = message;
    m_scan = ScanSms(message);
    m_cutter.setMessage(message, m_scan);
    m_literalSeptets = 0;
    m_literalUnits = 0;
    if (options.number) {
        const SmsScan literal = ScanSms(options.number->literal());
        m_literalSeptets = literal.encoding == SmsEncoding::Gsm7 ? literal.units : -1;
        m_literalUnits = options.number->literal().size();
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
        const int needed = DecimalWidth(qsizetype(m_pieces.size()));
        if (needed <= width)
            return true;
        width = needed;
    }
}

bool PieceSplitter::cutOnce(int width) {
    m_pieces.clear();
    if (m_message.isEmpty())
        return true;
    const auto overhead = [&](qsizetype literalCost) {
        return m_options.number ? m_options.number->overhead(literalCost, width) : 0;
    };
    const auto keep = [&](QStringView piece) { m_pieces.push_back(piece); };

    switch (m_options.sms) {
    case SmsUnits::Off: {
        const qsizetype capacity = m_options.limit - overhead(m_literalUnits);
        if (capacity < 1)
            return false;
        CutMessage(m_message, capacity, m_options.mode, keep);
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
        return true;
    }
    case SmsUnits::Concat: {
        const SmsEncoding encoding = m_concatEncoding;
        const bool gsm7 = encoding == SmsEncoding::Gsm7;
        const qsizetype literal = gsm7 ? m_literalSeptets : m_literalUnits;
        // A message that fits one SMS is one part, whatever the mode.
        const qsizetype cost = gsm7 ? m_scan.units : m_message.size();
        if (cost + overhead(literal) <= SingleCapacity(encoding)) {
            m_pieces.push_back(m_message);
            return true;
        }
        const SmsBudget budget{gsm7, Gsm7Part - overhead(m_literalSeptets),
                               Ucs2Part - overhead(m_literalUnits)};
        if ((gsm7 ? budget.gsm7 : budget.ucs2) < 1)
            return false;
        m_cutter.cut(budget, m_options.mode, m_pieces);
        return true;
    }
    }
    return false;
}

qsizetype PieceSplitter::segments() {
    return m_cutter.segments();
}

PieceSplitter::Cost PieceSplitter::cost(qsizetype index) const {
    const QStringView piece = m_pieces[std::size_t(index)];
    qsizetype numbers = 0;
    if (m_options.number)
        numbers = m_options.number->numberFields() * DecimalWidth(index + 1) +
                  m_options.number->countFields() * DecimalWidth(qsizetype(m_pieces.size()));

    SmsEncoding encoding = m_concatEncoding;
    qsizetype septets = piece.size();       // right for GSM-7 text without escapes
    if (piece.size() == m_message.size()) { // the whole message, scanned already
        septets = m_scan.units;
        if (m_options.sms != SmsUnits::Concat)
            encoding = m_scan.encoding == SmsEncoding::Gsm7 && m_literalSeptets >= 0
                           ? SmsEncoding::Gsm7
                           : SmsEncoding::Ucs2;
    } else if (m_options.sms != SmsUnits::Concat && m_scan.encoding != SmsEncoding::Gsm7) {
        const SmsScan scan = ScanSms(piece, false);
        septets = scan.units;
        encoding = scan.encoding == SmsEncoding::Gsm7 && m_literalSeptets >= 0 ? SmsEncoding::Gsm7
                                                                               : SmsEncoding::Ucs2;
    } else if (encoding == SmsEncoding::Gsm7 && m_scan.escapes) {
        septets = SmsCost(piece, SmsEncoding::Gsm7);
    }
    if (encoding == SmsEncoding::Gsm7)
        return {encoding, septets + m_literalSeptets + numbers};
    return {encoding, piece.size() + m_literalUnits + numbers};
}

} // namespace tovrik
