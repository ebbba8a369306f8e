#include "sms.h"

#include "gsm7.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

using namespace Qt::StringLiterals;

namespace tovrik {

namespace {

// Code points that are graphemes of their own whatever surrounds them (no
// combining marks, joiners, Hangul jamo, regional indicators or emoji
// modifiers): most Latin, Greek, Cyrillic and CJK text, punctuation such as
// dashes and curly quotes, symbols and most emoji never need the boundary
// finder.
Q_ALWAYS_INLINE bool breaksBothWays(char32_t c) {
    if (c < 0x2000)
        return c < 0x0300 || (c >= 0x0370 && c < 0x0483) || (c >= 0x048A && c < 0x0530) ||
               c >= 0x1E00; // Latin Extended Additional, Greek Extended
    if (c < 0x3000)         // punctuation, currency, symbols; not the joiners
        return (c < 0x20D0 && c != 0x200C && c != 0x200D) || (c >= 0x2100 && c < 0x2C00);
    if (c < 0x10000)
        return (c < 0x302A) || (c >= 0x3030 && c < 0x3099) || (c >= 0x309B && c < 0x3100) ||
               (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7A3) ||
               (c >= 0xFF01 && c <= 0xFF9D);
    return c >= 0x1F000 && c <= 0x1FAFF && !(c >= 0x1F1E6 && c <= 0x1F1FF) &&
           !(c >= 0x1F3FB && c <= 0x1F3FF);
}

bool isPair(QStringView text, qsizetype position) {
    return position > 0 && position < text.size() && text[position - 1].isHighSurrogate() &&
           text[position].isLowSurrogate();
}

char32_t codePointAt(QStringView text, qsizetype position) {
    return isPair(text, position + 1) ? QChar::surrogateToUcs4(text[position], text[position + 1])
                                      : text[position].unicode();
}

char32_t codePointBefore(QStringView text, qsizetype position) {
    return isPair(text, position - 1)
               ? QChar::surrogateToUcs4(text[position - 2], text[position - 1])
               : text[position - 1].unicode();
}

#ifdef __SSE2__
// Eight units at a time: whether all are ASCII, and then which cost one
// septet and which two (true lanes are -1; the rest have no GSM-7 form).
Q_ALWAYS_INLINE bool asciiBlock(const char16_t *units, __m128i &one, __m128i &two) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(units));
    const auto within = [&](short low, short high) {
        const __m128i shifted = _mm_sub_epi16(v, _mm_set1_epi16(short(low - 0x8000)));
        return _mm_cmpgt_epi16(_mm_set1_epi16(short(high - low + 1 - 0x8000)), shifted);
    };
    const auto is = [&](short unit) { return _mm_cmpeq_epi16(v, _mm_set1_epi16(unit)); };
    if (_mm_movemask_epi8(within(0, 0x7F)) != 0xFFFF)
        return false;
    one = _mm_or_si128(_mm_or_si128(within(0x20, 0x5A), within(0x61, 0x7A)),
                       _mm_or_si128(is(0x5F), _mm_or_si128(is(0x0A), is(0x0D))));
    two = _mm_or_si128(_mm_or_si128(within(0x5B, 0x5E), within(0x7B, 0x7E)), is(0x0C));
    return true;
}

// The sum of eight 16-bit lanes.
Q_ALWAYS_INLINE qsizetype sumLanes(__m128i lanes) {
    const __m128i pairs = _mm_madd_epi16(lanes, _mm_set1_epi16(1));
    const __m128i halves = _mm_add_epi32(pairs, _mm_srli_si128(pairs, 8));
    return qsizetype(_mm_cvtsi128_si32(_mm_add_epi32(halves, _mm_srli_si128(halves, 4))));
}
#endif

} // namespace

QLatin1StringView SmsEncodingName(SmsEncoding encoding) {
    return encoding == SmsEncoding::Gsm7 ? "GSM-7"_L1 : "UCS-2"_L1;
}

SmsScan ScanSms(QStringView text, bool graphemes) {
    const char16_t *units = text.utf16();
    const qsizetype n = text.size();
    qsizetype septets = 0;
    qsizetype missing = 0; // units without a GSM-7 form
    qsizetype escapes = 0;
    bool plain = graphemes;
    // One code point from position i on; returns where the next one starts.
    const auto scanOne = [&](qsizetype i) __attribute__((always_inline)) {
        const char16_t unit = units[i];
        if (QChar::isHighSurrogate(unit) && i + 1 < n && QChar::isLowSurrogate(units[i + 1])) {
            plain = plain && breaksBothWays(QChar::surrogateToUcs4(unit, units[i + 1]));
            ++missing;
            return i + 2;
        }
        const int cost = unit < 0x100 ? detail::Gsm7Latin1Septets[unit] : Gsm7Septets(unit);
        if (unit >= 0x100)
            plain = plain && breaksBothWays(unit) && !QChar::isSurrogate(unit);
        septets += cost;
        missing += cost == 0;
        escapes += cost == 2;
        return i + 1;
    };

    qsizetype i = 0;
#ifdef __SSE2__
    // Eight ASCII units at a time, each costing one septet, two, or having no
    // GSM-7 form, each a grapheme of its own; counted in the lanes of three
    // accumulators, summed now and then before a lane can overflow.
    __m128i laneSeptets = _mm_setzero_si128();
    __m128i laneKnown = _mm_setzero_si128(); // units with a GSM-7 form
    __m128i laneTwos = _mm_setzero_si128();
    qsizetype ascii = 0; // units counted in the lanes
    const auto addLanes = [&] {
        septets += sumLanes(laneSeptets);
        missing += ascii - sumLanes(laneKnown);
        escapes += sumLanes(laneTwos);
        laneSeptets = laneKnown = laneTwos = _mm_setzero_si128();
        ascii = 0;
    };
    while (n - i >= 8 && missing == 0) {
        __m128i one;
        __m128i two;
        if (!asciiBlock(units + i, one, two)) {
            // Beyond ASCII: these eight one by one.
            for (const qsizetype end = i + 8; i < end;)
                i = scanOne(i);
            continue;
        }
        // A true lane is -1: subtracting counts it.
        laneSeptets = _mm_sub_epi16(_mm_sub_epi16(laneSeptets, one), _mm_add_epi16(two, two));
        laneKnown = _mm_sub_epi16(_mm_sub_epi16(laneKnown, one), two);
        laneTwos = _mm_sub_epi16(laneTwos, two);
        ascii += 8;
        i += 8;
        if (ascii >= 8 * 8192) // a lane gains at most two a round
            addLanes();
    }
    addLanes();
    // UCS-2 from here on: only whether graphemes stay plain is left to learn,
    // eight units at a time where they are all plain BMP characters.
    while (missing > 0 && plain && n - i >= 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(units + i));
        const auto within = [&](int low, int high) {
            const __m128i shifted = _mm_sub_epi16(v, _mm_set1_epi16(short(low - 0x8000)));
            return _mm_cmpgt_epi16(_mm_set1_epi16(short(high - low + 1 - 0x8000)), shifted);
        };
        const __m128i bmpPlain =
            _mm_or_si128(_mm_or_si128(_mm_or_si128(within(0, 0x2FF), within(0x370, 0x482)),
                                      _mm_or_si128(within(0x48A, 0x52F), within(0x4E00, 0x9FFF))),
                         _mm_or_si128(within(0x2010, 0x2027), within(0x20A0, 0x20C0)));
        if (_mm_movemask_epi8(bmpPlain) == 0xFFFF) {
            i += 8;
            continue;
        }
        for (const qsizetype end = i + 8; i < end;)
            i = scanOne(i);
    }
#endif
    while (i < n && (missing == 0 || plain))
        i = scanOne(i);
    if (missing == 0)
        return {SmsEncoding::Gsm7, septets, escapes > 0, plain};
    return {SmsEncoding::Ucs2, n, escapes > 0, plain};
}

qsizetype SmsCost(QStringView text, SmsEncoding encoding) {
    if (encoding == SmsEncoding::Ucs2)
        return text.size();
    // Every unit of GSM-7 text costs one septet, an escape one more.
    const char16_t *units = text.utf16();
    const qsizetype n = text.size();
    qsizetype septets = n;
    qsizetype i = 0;
#ifdef __SSE2__
    __m128i laneEscapes = _mm_setzero_si128();
    for (qsizetype round = 0; n - i >= 8; i += 8, ++round) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(units + i));
        const auto within = [&](short low, short high) {
            const __m128i shifted = _mm_sub_epi16(v, _mm_set1_epi16(short(low - 0x8000)));
            return _mm_cmpgt_epi16(_mm_set1_epi16(short(high - low + 1 - 0x8000)), shifted);
        };
        const __m128i escape =
            _mm_or_si128(_mm_or_si128(within(0x5B, 0x5E), within(0x7B, 0x7E)),
                         _mm_or_si128(_mm_cmpeq_epi16(v, _mm_set1_epi16(0x0C)),
                                      _mm_cmpeq_epi16(v, _mm_set1_epi16(short(0x20AC)))));
        laneEscapes = _mm_sub_epi16(laneEscapes, escape);
        if (round == 30000) { // before a lane can overflow
            septets += sumLanes(laneEscapes);
            laneEscapes = _mm_setzero_si128();
            round = 0;
        }
    }
    septets += sumLanes(laneEscapes);
#endif
    for (; i < n; ++i)
        septets += Gsm7Septets(units[i]) - 1;
    return septets;
}

// The message as the cut rules see it (cutrules.h), measured in SMS units:
// the limit is the budget of each piece's own encoding.
class SmsText {
public:
    using Pos = qsizetype;
    static constexpr bool CutsLongUnits = true;

    SmsText(SmsCutter &cutter, const SmsBudget &budget)
        : m_cutter(cutter), m_text(cutter.m_message), m_budget(budget) {
        // Where every code unit costs one, the reach is a sum.
        if (!budget.gsm7Allowed)
            m_uniform = budget.ucs2;
        else if (cutter.m_scan.encoding == SmsEncoding::Gsm7 && !cutter.m_scan.escapes)
            m_uniform = budget.gsm7;
    }

    Pos begin() const { return 0; }
    bool atEnd(Pos p) const { return p >= m_text.size(); }

    // The code points that fit from `from`.
    rules::Reach<Pos> advance(Pos from, std::ptrdiff_t) {
        const qsizetype end = reach(from);
        if (end > m_text.size())
            return {m_text.size(), true};
        return {isPair(m_text, end) ? end - 1 : end, false};
    }

    // Pieces end where graphemes do; one grapheme too big for a piece alone
    // is cut at a code point.
    Pos lastCut(Pos from, Pos to) {
        for (Pos p = to; p > from; --p)
            if (m_cutter.isGraphemeBoundary(p))
                return p;
        return to;
    }

    Pos pastCharacter(Pos p) const { return isPair(m_text, p + 1) ? p + 2 : p + 1; }

    // Only a delimiter that is a grapheme of its own ends a unit.
    // (Searched within [from, to): a long word is cut many times.)
    Pos lastIndexOf(char delimiter, Pos from, Pos to) {
        const QStringView range = m_text.sliced(from, to - from);
        for (qsizetype i = range.size(); i > 0;) {
            i = range.lastIndexOf(QChar(char16_t(delimiter)), i - 1);
            if (i < 0)
                break;
            if (m_cutter.isGraphemeBoundary(from + i) && m_cutter.isGraphemeBoundary(from + i + 1))
                return from + i;
        }
        return rules::NotFound;
    }

    QStringView piece(Pos from, Pos to) const { return m_text.sliced(from, to - from); }

private:
    // Where the characters that fit from `start` end, past the message's end
    // when the rest fits with one more unit.
    qsizetype reach(qsizetype start) const {
        if (m_uniform >= 0)
            return start + m_uniform;
        // Walk while the piece can stay GSM-7; from its first other character
        // on it is UCS-2, where every unit costs one.
        const qsizetype n = m_text.size();
        const char16_t *units = m_text.utf16();
        qsizetype septets = 0;
        qsizetype i = start;
        while (i < n) {
#ifdef __SSE2__
            // Blocks of eight ASCII units with a GSM-7 form, while they fit;
            // then up to eight one by one.
            for (__m128i one, two; n - i >= 8 && asciiBlock(units + i, one, two); i += 8) {
                const __m128i known = _mm_or_si128(one, two);
                const qsizetype block = -sumLanes(_mm_add_epi16(known, two));
                if (sumLanes(known) != -8 || septets + block > m_budget.gsm7)
                    break;
                septets += block;
            }
            const qsizetype stop = qMin(n, i + 8);
#else
            const qsizetype stop = n;
#endif
            for (; i < stop; ++i) {
                const int cost = Gsm7Septets(units[i]);
                if (cost == 0)
                    return i - start + 1 > m_budget.ucs2 ? i : start + m_budget.ucs2;
                septets += cost;
                if (septets > m_budget.gsm7)
                    return i;
            }
        }
        return septets + 1 > m_budget.gsm7 ? n : n + 1; // with the appended delimiter
    }

    SmsCutter &m_cutter;
    QStringView m_text;
    SmsBudget m_budget;
    qsizetype m_uniform = -1;
};

void SmsCutter::setMessage(QStringView message, const SmsScan &scan) {
    m_message = message;
    m_scan = scan;
    m_finder.reset();
}

// A boundary no grapheme rule can remove: between two code points that
// break both ways (a CR LF among them: a cut may fall between the CR and the
// LF), or at either end.
bool SmsCutter::isSureBoundary(qsizetype position) const {
    return position <= 0 || position >= m_message.size() ||
           (!isPair(m_message, position) && breaksBothWays(codePointBefore(m_message, position)) &&
            breaksBothWays(codePointAt(m_message, position)));
}

bool SmsCutter::isGraphemeBoundary(qsizetype position) {
    if (position <= 0 || position >= m_message.size())
        return true;
    if (isPair(m_message, position))
        return false;
    if (m_scan.plainGraphemes || isSureBoundary(position))
        return true;
    // No grapheme rule looks across a sure boundary, so the finder needs only
    // the stretch between the nearest ones around the position; the cuts ask
    // near one another, so the last stretch is kept.
    if (!m_finder || position <= m_window.first || position >= m_window.second) {
        qsizetype from = position;
        do
            from -= isPair(m_message, from - 1) ? 2 : 1;
        while (!isSureBoundary(from));
        qsizetype to = position;
        do
            to += isPair(m_message, to + 1) ? 2 : 1;
        while (!isSureBoundary(to));
        // The finder keeps one byte of flags per position; if that ever grows,
        // it allocates a buffer of its own instead.
        const std::size_t size = std::size_t(to - from + 1);
        if (m_finderBuffer.size() < size)
            m_finderBuffer.resize(size);
        m_finder.emplace(QTextBoundaryFinder::Grapheme, m_message.sliced(from, to - from),
                         m_finderBuffer.data(), qsizetype(m_finderBuffer.size()));
        m_window = {from, to};
    }
    m_finder->setPosition(position - m_window.first);
    return m_finder->isAtBoundary();
}

void SmsCutter::cut(const SmsBudget &budget, SplitMode mode, std::vector<QStringView> &pieces) {
    SmsText text(*this, budget);
    // The limit is the budget's, which the text holds.
    rules::Cut(text, 0, mode, [&](QStringView piece) { pieces.push_back(piece); });
}

qsizetype SmsCutter::segments() {
    if (m_message.isEmpty())
        return 0;
    const SmsEncoding encoding = m_scan.encoding;
    if (m_scan.units <= SingleCapacity(encoding))
        return 1;
    // Where graphemes are code points, every part but the last is full or one
    // short (an escape pair or a surrogate pair moved on): when what the
    // fewest parts leave for the last fits it, that is the count.
    const qsizetype part = PartCapacity(encoding);
    const qsizetype fewest = (m_scan.units + part - 1) / part;
    if (m_scan.plainGraphemes && m_scan.units - (part - 1) * (fewest - 1) <= part)
        return fewest;
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
