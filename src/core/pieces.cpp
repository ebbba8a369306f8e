#include "core/pieces.h"

#include "core/cutter.h"
#include "core/lookalikes.h"
#include "core/simd.h"
#include "core/utf8.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <tuple>

namespace tovrik::core {

namespace {

// Where two blanks in a row first start in text from `from` on; the text's
// size when nowhere.
std::size_t twoBlanks(std::string_view text, std::size_t from) {
    const char *s = text.data();
    const std::size_t n = text.size();
    std::size_t i = from;
#if TOVRIK_SSE2
    for (; n - i >= 17; i += 16) {
        using namespace simd;
        const unsigned both = Mask(Is(Load(s + i), ' ')) & Mask(Is(Load(s + i + 1), ' '));
        if (both != 0)
            return i + std::size_t(std::countr_zero(both));
    }
#endif
    for (; i + 1 < n; ++i)
        if (s[i] == ' ' && s[i + 1] == ' ')
            return i;
    return n;
}

} // namespace

std::ptrdiff_t BlanksThatMayStandAlone(std::string_view message, bool plainGraphemes) {
    if (!plainGraphemes)
        return std::ptrdiff_t(std::count(message.begin(), message.end(), ' '));
    const std::size_t first = message.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return std::ptrdiff_t(message.size());
    const std::size_t last = message.find_last_not_of(' ');
    std::ptrdiff_t blanks = std::ptrdiff_t(first + message.size() - 1 - last);
    for (std::size_t at = twoBlanks(message, first); at < last;) {
        const std::size_t end = message.find_first_not_of(' ', at);
        blanks += std::ptrdiff_t(end - at);
        at = twoBlanks(message, end);
    }
    return blanks;
}

bool PieceSplitter::split(std::string_view message, const PieceOptions &options) {
    m_options = options;
    m_replaced = 0;
    if (options.replace == Replacement::Never)
        return cut(message);
    const std::size_t replaced = ReplaceLookAlikes(message, m_replacement);
    if (replaced == 0)
        return cut(message);
    if (options.replace == Replacement::Always) {
        if (!gsm7Throughout(m_replacement))
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

bool PieceSplitter::gsm7Throughout(std::string_view text) {
    if (ScanSms(text, false).encoding == SmsEncoding::Gsm7)
        return true;
    if (m_options.languages == 0 || m_options.sms == SmsUnits::Off)
        return false;
    // Or with one of the pairs of national tables.
    m_national.enable(m_options.languages);
    m_national.costs(text, m_pairCosts);
    return std::any_of(m_pairCosts.begin(), m_pairCosts.end(),
                       [](std::ptrdiff_t septets) { return septets >= 0; });
}

bool PieceSplitter::cut(std::string_view message) {
    m_message = message;
    m_defaultScan = m_cutter.setMessage(message);
    useTables(nullptr);
    // A message (and numbering) of the default alphabet's own characters is
    // best sent with the default tables: a national table costs room in the
    // header and makes no character cheaper.
    const bool plainGsm7 = m_scan.encoding == SmsEncoding::Gsm7 && !m_scan.escapes &&
                           m_literalSeptets >= 0 && !m_literalEscapes;
    if (m_options.languages != 0 && m_options.sms != SmsUnits::Off && !plainGsm7)
        return cutWithBestTables();
    return cutWithTables();
}

void PieceSplitter::useTables(const NationalTables::Pair *pair, std::ptrdiff_t septets) {
    m_tables = pair ? pair->tables : ShiftTables{};
    m_alphabet = m_tables != ShiftTables{} ? &pair->alphabet : nullptr;
    m_scan = m_defaultScan;
    if (m_alphabet)
        m_scan = septets >= 0
                     ? SmsScan{SmsEncoding::Gsm7, septets, true, m_defaultScan.ascii, false}
                     : ScanSms(m_message, *m_alphabet);
    m_literalSeptets = 0;
    m_literalUnits = 0;
    m_literalEscapes = false;
    if (m_options.number) {
        const std::string_view literal = m_options.number->literal();
        const SmsScan scan = m_alphabet ? ScanSms(literal, *m_alphabet) : ScanSms(literal);
        m_literalSeptets = scan.encoding == SmsEncoding::Gsm7 ? scan.units : -1;
        m_literalEscapes = scan.escapes;
        m_literalUnits = std::ptrdiff_t(Utf16Length(literal));
    }
    // The numbering's characters count when choosing the encoding.
    m_concatEncoding = m_scan.encoding == SmsEncoding::Gsm7 && m_literalSeptets >= 0
                           ? SmsEncoding::Gsm7
                           : SmsEncoding::Ucs2;
    m_gsm7Single = Gsm7Capacity(false, m_tables.national());
    m_gsm7Part = Gsm7Capacity(true, m_tables.national());
}

bool PieceSplitter::cutWithTables() {
    if (!m_options.number)
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

bool PieceSplitter::cutWithBestTables() {
    m_national.enable(m_options.languages);
    const std::vector<NationalTables::Pair> &pairs = m_national.pairs();
    m_national.costs(m_message, m_pairCosts,
                     m_defaultScan.encoding == SmsEncoding::Gsm7 ? m_defaultScan.units : -1);

    // 1. For each pair that has every character: the fewest pieces the
    //    message could take with it, and the room they would leave.
    using Option = TableOption;
    std::vector<Option> &options = m_tableOptions;
    options.clear();
    const bool standalone = m_options.sms == SmsUnits::Standalone;
    // The numbering's own characters with each pair (-1 where a pair lacks
    // one), worked out again only when the numbering or the languages change.
    const std::string_view literal = m_options.number ? m_options.number->literal() : "";
    if (literal != m_literal || m_options.languages != m_literalLanguages ||
        m_literalPairSeptets.size() != pairs.size()) {
        m_literal = literal;
        m_literalLanguages = m_options.languages;
        m_literalPairSeptets.clear();
        for (const NationalTables::Pair &pair : pairs) {
            const SmsScan scan = ScanSms(literal, pair.alphabet);
            m_literalPairSeptets.push_back(scan.encoding == SmsEncoding::Gsm7 ? scan.units : -1);
        }
    }
    // A cut can take fewer pieces than the message's septets fill: pieces of
    // blanks alone are dropped (settle), and in space mode so is the blank at
    // each cut. The fewest a pair may take is counted without the blanks
    // that may stand alone, and in space mode with room for one blank more
    // in each piece but the last. (A blank costs a septet with every pair.)
    std::ptrdiff_t blanks = -1; // counted when first needed
    const bool cutsDropBlanks = m_options.mode == SplitMode::Space;
    for (std::size_t p = 0; p < pairs.size(); ++p) {
        if (m_pairCosts[p] < 0 || m_literalPairSeptets[p] < 0)
            continue;
        const std::ptrdiff_t numbering =
            m_options.number ? m_options.number->overhead(m_literalPairSeptets[p], 1) : 0;
        const int national = pairs[p].tables.national();
        const std::ptrdiff_t cost = m_pairCosts[p];
        const std::ptrdiff_t single = Gsm7Capacity(false, national) - numbering;
        const std::ptrdiff_t piece = Gsm7Capacity(!standalone, national) - numbering;
        if (piece < 1)
            continue;
        if (cost > single && piece > 2 && blanks < 0)
            blanks = BlanksThatMayStandAlone(m_message, m_defaultScan.plainGraphemes);
        const std::ptrdiff_t kept = cost - blanks; // septets no cut drops
        const std::ptrdiff_t fewest =
            cost <= single || piece <= 2 ? 1
            : cutsDropBlanks ? std::max<std::ptrdiff_t>(1, (kept + piece + 1) / (piece + 1))
                             : std::max<std::ptrdiff_t>(1, (kept + piece - 1) / piece);
        options.push_back(
            {p, fewest, fewest == 1 ? single - cost : fewest * piece - cost, single, piece});
    }
    // 2. No pair has them all: UCS-2, as with the default tables. SMS of
    //    their own may still be GSM-7 where their text allows: with the pair
    //    that lacks the fewest of the message's characters (then costs the
    //    fewest septets), when a piece comes out GSM-7 with it.
    if (options.empty()) {
        useTables(nullptr);
        if (!standalone)
            return cutWithTables();
        const std::string_view message[] = {m_message};
        const std::size_t nearest = m_national.nearest(message);
        if (nearest == 0)
            return cutWithTables();
        useTables(&pairs[nearest]);
        if (!cutWithTables())
            return false;
        for (std::ptrdiff_t i = 0; i < std::ptrdiff_t(m_pieces.size()); ++i)
            if (cost(i).encoding == SmsEncoding::Gsm7)
                return true;
        useTables(nullptr);
        return cutWithTables();
    }
    // 3. Cut with the most promising pair first, and with the others while
    //    they may still do better; keep the fewest pieces, then the most
    //    room, then the earlier pair.
    //    (Taken in that order one at a time: the first one or two decide.)
    const auto promisesMore = [](const Option &a, const Option &b) {
        if (a.fewest != b.fewest)
            return a.fewest < b.fewest;
        return a.room != b.room ? a.room > b.room : a.pair < b.pair;
    };
    std::size_t best = pairs.size();
    std::size_t last = pairs.size();
    std::ptrdiff_t bestPieces = 0;
    std::ptrdiff_t bestRoom = 0;
    // Whether a pair's pieces and room beat the best cut's.
    const auto beats = [&](std::size_t pair, std::ptrdiff_t pieces, std::ptrdiff_t room) {
        return std::tuple(pieces, -room, pair) < std::tuple(bestPieces, -bestRoom, best);
    };
    for (auto next = options.begin(); next != options.end(); ++next) {
        std::iter_swap(next, std::min_element(next, options.end(), promisesMore));
        const Option &option = *next;
        if (best != pairs.size() && !beats(option.pair, option.fewest, option.room))
            break;
        useTables(&pairs[option.pair], m_pairCosts[option.pair]);
        last = option.pair;
        if (!cutWithTables())
            continue;
        const auto count = std::ptrdiff_t(m_pieces.size());
        const std::ptrdiff_t cost = m_pairCosts[option.pair];
        const std::ptrdiff_t room = count == 1 ? option.single - cost : count * option.piece - cost;
        if (best == pairs.size() || beats(option.pair, count, room)) {
            best = option.pair;
            bestPieces = count;
            bestRoom = room;
            m_bestPieces.swap(m_pieces);
            m_bestCosts.swap(m_costs);
        }
    }
    if (best == pairs.size()) { // the numbering leaves no room with any pair
        useTables(nullptr);
        return cutWithTables();
    }
    if (last != best)
        useTables(&pairs[best], m_pairCosts[best]);
    m_pieces.swap(m_bestPieces);
    m_costs.swap(m_bestCosts);
    return true;
}

bool PieceSplitter::cutOnce(int width) {
    m_pieces.clear();
    m_costs.clear();
    if (m_message.empty())
        return true;
    const auto overhead = [&](std::ptrdiff_t literalCost) {
        return m_options.number ? m_options.number->overhead(literalCost, width) : 0;
    };
    // (Costs learnt on the way are kept for a concatenated message only,
    // where cost() reads them: elsewhere a piece is noted in 16 bytes.)
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
                               gsm7Allowed ? m_gsm7Single - overhead(m_literalSeptets) : 0,
                               Ucs2Single - overhead(m_literalUnits), m_alphabet};
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
        if (cost + overhead(literal) <= (gsm7 ? m_gsm7Single : Ucs2Single)) {
            m_pieces.push_back(m_message);
            m_costs.push_back(-1);
            return true;
        }
        const SmsBudget budget{gsm7, m_gsm7Part - overhead(m_literalSeptets),
                               Ucs2Part - overhead(m_literalUnits), m_alphabet};
        if ((gsm7 ? budget.gsm7 : budget.ucs2) < 1)
            return false;
        m_cutter.cut(budget, m_options.mode, m_pieces, &m_costs);
        return settle(budget);
    }
    }
    return false;
}

// A piece's encoding and cost in it, unnumbered.
PieceSplitter::Cost PieceSplitter::textCost(std::string_view piece) const {
    SmsEncoding encoding = m_concatEncoding;
    if (m_options.sms != SmsUnits::Concat) {
        const SmsScan scan = m_alphabet ? ScanSms(piece, *m_alphabet) : ScanSms(piece, false);
        if (scan.encoding == SmsEncoding::Gsm7 && m_literalSeptets >= 0)
            return {SmsEncoding::Gsm7, scan.units};
        encoding = SmsEncoding::Ucs2;
    }
    if (encoding == SmsEncoding::Gsm7 && m_alphabet)
        return {encoding, Gsm7Cost(piece, *m_alphabet)};
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
    // A message of blanks that fits one SMS is still that SMS, as any message
    // that fits one is.
    const bool costs = !m_costs.empty(); // (a concatenated message's)
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_pieces.size(); ++i) {
        const std::string_view piece = m_pieces[i];
        if (piece.find_first_not_of(' ') != std::string_view::npos ||
            piece.size() == m_message.size()) {
            if (costs)
                m_costs[kept] = m_costs[i];
            m_pieces[kept++] = piece;
            continue;
        }
        if (kept == 0)
            continue;
        std::string_view &before = m_pieces[kept - 1];
        if (before.data() + before.size() != piece.data())
            continue;
        const Cost cost = textCost(before);
        if (cost.units + std::ptrdiff_t(piece.size()) <= room(cost.encoding)) {
            before = {before.data(), before.size() + piece.size()};
            if (costs)
                m_costs[kept - 1] = -1;
        }
    }
    m_pieces.resize(kept);
    if (costs)
        m_costs.resize(kept);
    return true;
}

void PieceSplitter::withoutGsm7(std::size_t most, WithoutGsm7 &found) const {
    const std::string_view texts[] = {m_message,
                                      m_options.number ? m_options.number->literal() : ""};
    if (m_options.languages == 0 || m_options.sms == SmsUnits::Off)
        return CharactersWithoutGsm7(texts, most, found);
    // With national languages: the characters that no enabled table has ...
    m_national.enable(m_options.languages);
    CharactersWithoutGsm7(
        texts, [this](char32_t c) { return m_national.has(c); }, most, found);
    if (!found.characters.empty())
        return;
    // ... or, where each is in some table but no pair has them all, those
    // that the pair lacking the fewest of them lacks.
    const Gsm7Alphabet &nearest = m_national.pairs()[m_national.nearest(texts)].alphabet;
    CharactersWithoutGsm7(
        texts, [&](char32_t c) { return nearest.septets(c) != 0; }, most, found,
        !nearest.keepsDefaultAscii());
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
    else if (m_options.sms == SmsUnits::Concat && m_costs[std::size_t(index)] >= 0)
        scan = {m_concatEncoding, m_costs[std::size_t(index)], m_scan.escapes, m_scan.ascii, false};
    else if (m_scan.encoding == SmsEncoding::Gsm7)
        scan = {SmsEncoding::Gsm7, m_alphabet ? Gsm7Cost(piece, *m_alphabet) : Gsm7Cost(piece),
                m_scan.escapes, m_scan.ascii, false};
    else if (m_options.sms == SmsUnits::Concat && m_concatEncoding == SmsEncoding::Ucs2)
        scan = {SmsEncoding::Ucs2, std::ptrdiff_t(Utf16Length(piece)), false, false, false};
    else
        scan = m_alphabet ? ScanSms(piece, *m_alphabet) : ScanSms(piece, false);
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
