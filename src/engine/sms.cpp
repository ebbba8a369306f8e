#include "sms.h"

#include "gsm7.h"

using namespace Qt::StringLiterals;

namespace tovrik {

namespace {

// Code units that are graphemes of their own whatever surrounds them (no
// combining marks, joiners, Hangul jamo or surrogates): most Latin, Greek,
// Cyrillic and CJK text never needs the boundary finder.
bool breaksBothWays(char16_t unit) {
    return unit < 0x0300 || (unit >= 0x0370 && unit < 0x0483) ||
           (unit >= 0x048A && unit < 0x0530) || (unit >= 0x4E00 && unit <= 0x9FFF) ||
           unit == 0x20AC;
}

bool isPair(QStringView text, qsizetype position) {
    return position > 0 && position < text.size() && text[position - 1].isHighSurrogate() &&
           text[position].isLowSurrogate();
}

} // namespace

QLatin1StringView SmsEncodingName(SmsEncoding encoding) {
    return encoding == SmsEncoding::Gsm7 ? "GSM-7"_L1 : "UCS-2"_L1;
}

SmsScan ScanSms(QStringView text) {
    qsizetype septets = 0;
    bool gsm7 = true;
    bool escapes = false;
    bool plain = true;
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        const int cost = Gsm7Septets(unit);
        septets += cost;
        gsm7 = gsm7 && cost != 0;
        escapes = escapes || cost == 2;
        plain = plain && breaksBothWays(unit);
    }
    if (gsm7)
        return {SmsEncoding::Gsm7, septets, escapes, plain};
    return {SmsEncoding::Ucs2, text.size(), escapes, plain};
}

qsizetype SmsCost(QStringView text, SmsEncoding encoding) {
    if (encoding == SmsEncoding::Ucs2)
        return text.size();
    qsizetype septets = 0;
    for (const QChar c : text)
        septets += Gsm7Septets(c.unicode());
    return septets;
}

// The cutting steps' measure in SMS units (see CharacterMeasure).
class SmsMeasure {
public:
    SmsMeasure(SmsCutter &cutter, const SmsBudget &budget)
        : m_cutter(cutter), m_text(cutter.m_message), m_budget(budget) {
        // Where every code unit costs one, the reach is a sum.
        if (!budget.gsm7Allowed)
            m_uniform = budget.ucs2;
        else if (cutter.m_scan.encoding == SmsEncoding::Gsm7 && !cutter.m_scan.escapes)
            m_uniform = budget.gsm7;
    }

    static constexpr bool CutsLongUnits = true;

    qsizetype reach(qsizetype start) const {
        if (m_uniform >= 0)
            return start + m_uniform;
        // Walk while the piece can stay GSM-7; from its first other character
        // on it is UCS-2, where every unit costs one.
        const qsizetype n = m_text.size();
        qsizetype septets = 0;
        for (qsizetype i = start; i < n; ++i) {
            const int cost = Gsm7Septets(m_text[i].unicode());
            if (cost == 0)
                return i - start + 1 > m_budget.ucs2 ? i : start + m_budget.ucs2;
            septets += cost;
            if (septets > m_budget.gsm7)
                return i;
        }
        return septets + 1 > m_budget.gsm7 ? n : n + 1; // with the appended delimiter
    }

    qsizetype exactEnd(qsizetype start) const {
        const qsizetype end = qMin(reach(start), m_text.size());
        if (end > start) {
            if (m_cutter.m_scan.plainGraphemes)
                return end;
            for (qsizetype p = end; p > start; --p)
                if (m_cutter.isGraphemeBoundary(p))
                    return p;
            // One grapheme alone is too big: cut it at a code point.
            const qsizetype p = isPair(m_text, end) ? end - 1 : end;
            if (p > start)
                return p;
        }
        // Not even one code point fits: it is a piece anyway.
        return isPair(m_text, start + 1) ? start + 2 : start + 1;
    }

    bool endsUnit(qsizetype delimiter) const {
        return m_cutter.m_scan.plainGraphemes || (m_cutter.isGraphemeBoundary(delimiter) &&
                                                  m_cutter.isGraphemeBoundary(delimiter + 1));
    }

private:
    SmsCutter &m_cutter;
    QStringView m_text;
    SmsBudget m_budget;
    qsizetype m_uniform = -1;
};

void SmsCutter::setMessage(QStringView message, const SmsScan &scan) {
    m_message = message;
    m_scan = scan;
    m_finder.reset();
    if (!scan.plainGraphemes) {
        // The finder keeps one byte of flags per position; if that ever grows,
        // it allocates a buffer of its own instead.
        const std::size_t size = std::size_t(message.size() + 1);
        if (m_finderBuffer.size() < size)
            m_finderBuffer.resize(size);
        m_finder.emplace(QTextBoundaryFinder::Grapheme, message, m_finderBuffer.data(),
                         qsizetype(m_finderBuffer.size()));
    }
}

bool SmsCutter::isGraphemeBoundary(qsizetype position) {
    if (position <= 0 || position >= m_message.size() || !m_finder)
        return true;
    // A cut may fall between the CR and the LF of a line break.
    if (m_message[position - 1] == u'\r' && m_message[position] == u'\n')
        return true;
    m_finder->setPosition(position);
    return m_finder->isAtBoundary();
}

void SmsCutter::cut(const SmsBudget &budget, SplitMode mode, std::vector<QStringView> &pieces) {
    detail::CutWith(m_message, SmsMeasure(*this, budget), mode,
                    [&](QStringView piece) { pieces.push_back(piece); });
}

qsizetype SmsCutter::segments() {
    if (m_message.isEmpty())
        return 0;
    const SmsEncoding encoding = m_scan.encoding;
    if (m_scan.units <= SingleCapacity(encoding))
        return 1;
    const qsizetype part = PartCapacity(encoding);
    if (m_scan.plainGraphemes && !m_scan.escapes) // no pair of any kind to keep whole
        return (m_scan.units + part - 1) / part;
    m_scratch.clear();
    cut({encoding == SmsEncoding::Gsm7, Gsm7Part, Ucs2Part}, SplitMode::Exact, m_scratch);
    return qsizetype(m_scratch.size());
}

qsizetype SmsSegments(QStringView message) {
    SmsCutter cutter;
    cutter.setMessage(message, ScanSms(message));
    return cutter.segments();
}

} // namespace tovrik
