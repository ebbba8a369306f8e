#include "cli/quickrecords.h"

#include "cli/quickblocks.h"

#include "core/graphemes.h"
#include "core/gsm7.h"
#include "core/pieces.h"
#include "core/simd.h"
#include "core/utf8.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <numeric>

#if TOVRIK_WIDE
#include <immintrin.h>
#endif

namespace tovrik::cli {

namespace {

// The bits of four blocks' masks from b on, the first lowest. (Where the
// processor stores little-endian, as they lie.)
inline std::uint64_t fourAt(const std::uint16_t *masks, std::size_t b) {
    if constexpr (std::endian::native == std::endian::little) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, masks + b, sizeof bits);
        return bits;
    } else {
        return std::uint64_t(masks[b]) | std::uint64_t(masks[b + 1]) << 16 |
               std::uint64_t(masks[b + 2]) << 32 | std::uint64_t(masks[b + 3]) << 48;
    }
}

char *put(char *o, std::string_view bytes) {
    std::memcpy(o, bytes.data(), bytes.size());
    return o + bytes.size();
}

// (A literal is copied as a few moves.)
template <std::size_t N> char *put(char *o, const char (&literal)[N]) {
    std::memcpy(o, literal, N - 1);
    return o + N - 1;
}

char *putNumber(char *o, std::size_t value) {
    // (A part's units and a message's parts have a few digits: written
    // straight, where a copy of a length known only now would be a call.)
    if (value < 10) {
        *o = char('0' + value);
        return o + 1;
    }
    if (value < 100) {
        o[0] = char('0' + value / 10);
        o[1] = char('0' + value % 10);
        return o + 2;
    }
    if (value < 1000) {
        o[0] = char('0' + value / 100);
        o[1] = char('0' + value / 10 % 10);
        o[2] = char('0' + value % 10);
        return o + 3;
    }
    char digits[24];
    char *d = digits + sizeof digits;
    do {
        *--d = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    return put(o, std::string_view(d, std::size_t(digits + sizeof digits - d)));
}

#if TOVRIK_SSE2
// Byte `lane` of a block's summed costs.
int sumAt(__m128i sums, std::size_t lane) {
    alignas(16) std::int8_t bytes[16];
    _mm_store_si128(reinterpret_cast<__m128i *>(bytes), sums);
    return bytes[lane];
}
#endif

// The ASCII characters of the extension table ([\]^{|}~), numbered 0 to 7.
std::size_t extensionSlot(char c) {
    const auto b = static_cast<unsigned char>(c);
    return std::size_t((b >> 3 & 4) | ((b - 0x5B) & 3));
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

bool QuickRecords::Serves(const Options &options) {
    return options.records == RecordFormat::Jsonl && options.json &&
           options.sms == core::SmsUnits::Concat && options.mode == core::SplitMode::Space &&
           !options.number && options.replace == core::Replacement::Never;
}

QuickRecords::QuickRecords(core::LanguageSet languages, bool widest)
    : m_languages(languages != 0), m_scan(quick::ScanBlocks) {
    if (const quick::Scan wide = quick::WideScan(); wide && widest) {
        m_scan = wide;
#if TOVRIK_WIDE
        // (Every processor with AVX-512 has BMI2; VBMI2 came later.)
        m_wide = __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("avx512vbmi2");
#endif
    }
    if (!m_languages)
        return;
    m_national.enable(languages);
    m_cheaper.assign(0x2100, false); // the euro sign is the last of the alphabet
    // (The pairs that lack a character, a bit each, where they are few.)
    const std::vector<core::NationalTables::Pair> &pairs = m_national.pairs();
    if (pairs.size() <= 64) {
        m_lacks.assign(0x2100, 0);
        m_cheaperWith.assign(0x2100, 0);
    }
    for (char32_t c = 0; c < 0x2100; ++c)
        for (std::size_t p = 0; p < pairs.size(); ++p) {
            const int septets = pairs[p].alphabet.septets(c);
            if (septets == 0 && core::Gsm7Septets(c) != 0 && !m_lacks.empty()) {
                m_lacks[c] |= std::uint64_t(1) << p;
                if (c < 0x80 && std::find(m_asciiLacked.begin(), m_asciiLacked.end(), char(c)) ==
                                    m_asciiLacked.end())
                    m_asciiLacked.push_back(char(c));
            }
            if (septets != 0 && septets < core::Gsm7Septets(c)) {
                m_cheaper[c] = true;
                if (!m_lacks.empty())
                    m_cheaperWith[c] |= std::uint64_t(1) << p;
                // (Of ASCII, one of the extension table's: the form feed is a
                // control character, which this path does not take.)
                if (c >= 0x20 && c < 0x80 &&
                    std::find(m_asciiCheaper.begin(), m_asciiCheaper.end(), char(c)) ==
                        m_asciiCheaper.end())
                    m_asciiCheaper.push_back(char(c));
            }
        }
    // (Each table has the backslash today; one without it could not price
    // the line's escapes.)
    for (const core::NationalTables::Pair &pair : m_national.pairs())
        m_escapesPriced = m_escapesPriced && pair.alphabet.septets('\\') != 0;
}

bool QuickRecords::write(ByteBuffer &out, std::string_view line) {
    // 1. {"id":ID,"text":"TEXT"} and nothing more: the id a whole number or
    //    a string without escapes, written as it stands.
    constexpr std::string_view Head = R"({"id":)";
    constexpr std::string_view TextName = R"(,"text":")";
    if (!line.starts_with(Head) || !line.ends_with(R"("})") ||
        line.size() < Head.size() + TextName.size() + 3)
        return false;
    const char *p = line.data() + Head.size();
    const char *const end = line.data() + line.size() - 2; // the text's closing quote
    const char *const id = p;
    if (*p == '"') {
        for (++p; p < end && *p != '"'; ++p)
            if (static_cast<unsigned char>(*p) < 0x20 || static_cast<unsigned char>(*p) >= 0x80 ||
                *p == '\\')
                return false; // (one past ASCII goes the general way, which checks it)
        if (p >= end)
            return false;
        ++p;
    } else {
        p += *p == '-';
        if (p < end && *p == '0')
            ++p;
        else if (p < end && isDigit(*p))
            while (p < end && isDigit(*p))
                ++p;
        else
            return false;
    }
    const std::string_view idText(id, std::size_t(p - id));
    if (std::size_t(end - p) < TextName.size() ||
        std::memcmp(p, TextName.data(), TextName.size()) != 0)
        return false;
    m_text = p + TextName.size();
    m_size = std::size_t(end - m_text);
    if (m_size == 0 || m_size > MostText)
        return false;

    // 2. The text's cost, block by block; 3. the cut, with the default
    //    tables where they are the ones it is sent with.
    if (!measure() || !cut())
        return false;
    if (m_languages && m_gsm7 && (!m_asciiCheaper.empty() || m_cheaperCount > 0) &&
        !defaultTablesWin())
        return false;
    // (The literals around the encoding, one for each, of one length.)
    const char(&head)[32] =
        m_gsm7 ? R"(,"encoding":"GSM-7","segments":)" : R"(,"encoding":"UCS-2","segments":)";
    const char(&tail)[30] =
        m_gsm7 ? R"(","encoding":"GSM-7","units":)" : R"(","encoding":"UCS-2","units":)";
    if (m_grave) // (the walk listed those past ASCII only)
        core::CharactersWithoutGsm7(std::string_view(m_text, m_size), core::ShownWithoutGsm7,
                                    m_without);

    // 4. The line.
    char *o = out.tail(512 + idText.size() + m_size + 64 * m_count);
    o = put(o, R"({"id":)");
    o = put(o, idText);
    o = put(o, head);
    o = putNumber(o, m_count);
    if (!m_gsm7) {
        o = put(o, R"(,"nonGsm7":{"characters":[)");
        for (std::size_t i = 0; i < m_without.characters.size(); ++i) {
            if (i > 0)
                *o++ = ',';
            // (Four bytes are copied where the line has them, and the
            // character's own kept: fewer steps than a copy of its length.)
            const std::string_view character = m_without.characters[i];
            *o++ = '"';
            if (character.data() + 4 <= line.data() + line.size())
                std::memcpy(o, character.data(), 4);
            else
                std::memcpy(o, character.data(), character.size());
            o += character.size();
            *o++ = '"';
        }
        o = put(o, R"(],"more":)");
        o = putNumber(o, m_without.more);
        *o++ = '}';
    }
    o = put(o, R"(,"parts":[)");
    for (std::size_t i = 0; i < m_count; ++i) {
        const Piece &piece = m_pieces[i];
        if (i > 0)
            *o++ = ',';
        o = put(o, R"({"text":")");
        o = put(o, std::string_view(m_text + piece.from, piece.to - piece.from));
        o = put(o, tail);
        o = putNumber(o, std::size_t(piece.cost));
        *o++ = '}';
    }
    o = put(o, "]}\n");
    out.setEnd(o);
    return true;
}

namespace {

// The length of a character, by its first byte and the top bits of the
// second, where the bytes it claims are continuation bytes; 0 where it is not
// well-formed or is a C1 control (which the general path writes escaped).
// (Of those first bytes: C0 and C1 begin overlong forms, as do E0 and F0 with
// a second byte below A0 and 90; C2 80 to C2 9F are the C1 controls; ED A0 on
// are surrogates, F4 90 on and F5 on past U+10FFFF.)
constexpr auto Lengths = [] {
    std::array<std::uint8_t, 64 * 4> lengths{};
    for (unsigned lead = 0xC2; lead <= 0xF4; ++lead)
        for (unsigned second = 0x80; second <= 0xBF; second += 0x10)
            if (!(lead == 0xC2 && second < 0xA0) && !(lead == 0xE0 && second < 0xA0) &&
                !(lead == 0xED && second >= 0xA0) && !(lead == 0xF0 && second < 0x90) &&
                !(lead == 0xF4 && second >= 0x90))
                lengths[(lead & 0x3F) << 2 | (second >> 4 & 3)] = std::uint8_t(lead < 0xE0   ? 2
                                                                               : lead < 0xF0 ? 3
                                                                                             : 4);
    return lengths;
}();

// That length, where the character's first byte (past ASCII) and the three
// after it are w, the first highest.
inline std::size_t lengthOf(std::uint32_t w) {
    return Lengths[(w >> 22 & 0xFC) | (w >> 20 & 3)];
}

// The character whose first byte (past ASCII) is at b, where three more
// bytes can be read and the bytes it claims are continuation bytes, and its
// length; 0 where it is not well-formed or is a C1 control. Without a
// branch on its length: in text of many scripts the next one cannot be
// foreseen.
char32_t characterAt(const unsigned char *b, std::size_t &length) {
    static constexpr std::uint32_t Payload[5] = {0, 0, 0x1F3F, 0x0F3F3F, 0x073F3F3F};
    const std::uint32_t w = core::FourBytesAt(b);
    length = lengthOf(w);
    const std::uint32_t p = w >> ((32 - 8 * length) & 31) & Payload[length];
    return (p & 0x3F) | (p >> 2 & 0xFC0) | (p >> 4 & 0x3F000) | (p >> 6 & 0x1C0000);
}

#if TOVRIK_WIDE
// The same, its bits gathered in one step. (Only where AVX-512 is: BMI2 is
// slow on some older processors that have it, none with AVX-512.)
__attribute__((target("bmi2"))) char32_t characterAtWide(const unsigned char *b,
                                                         std::size_t &length) {
    static constexpr std::uint32_t Bits[5] = {0, 0, 0x1F3F0000, 0x0F3F3F00, 0x073F3F3F};
    const std::uint32_t w = core::FourBytesAt(b);
    length = lengthOf(w);
    return _pext_u32(w, Bits[length]);
}
#endif

} // namespace

// Adds the character at `at` to the list, where it is one without a GSM-7
// form (with national tables, one that no table has); false where it is not
// well-formed.
// (The text and whether languages are enabled are held by the caller: a
// store to the list might be to them, for all the compiler knows.)
template <class Decode>
__attribute__((always_inline)) inline bool QuickRecords::listAt(core::WithoutGsm7Walk &without,
                                                                const char *text, bool languages,
                                                                std::size_t at, Decode decode) {
    std::size_t length = 0;
    const char32_t c = decode(reinterpret_cast<const unsigned char *>(text) + at, length);
    if (c == 0)
        return false;
    if (!languages || !m_national.has(c))
        without.add(c, std::string_view(text + at, length));
    return true;
}

bool QuickRecords::listWithout(std::size_t b, std::uint64_t leads) {
    // UCS-2: only the list counts now, which leaves out the alphabet's own.
    const char *const text = m_text;
    const bool languages = m_languages;
    core::WithoutGsm7Walk without(core::ShownWithoutGsm7, m_without);
    for (;;) {
        for (; leads != 0; leads &= leads - 1)
            if (!listAt(without, text, languages, 16 * b + std::size_t(std::countr_zero(leads)),
                        characterAt))
                return false;
        b += 4;
        if (b >= m_blocks)
            break;
        leads = fourAt(m_leads, b);
    }
    without.done();
    return true;
}

#if TOVRIK_WIDE
bool QuickRecords::listWithoutWide(std::size_t b, std::uint64_t leads) {
    // 1. Where each character starts, from the first of `leads` on: the
    //    offsets of each 64 bytes' leads, compressed, with no branch on how
    //    many they are.
    const __m512i offsets =
        _mm512_set_epi16(31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16, 15, 14, 13,
                         12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
    std::size_t count = 0;
    for (;;) {
        const __m512i low = _mm512_add_epi16(offsets, _mm512_set1_epi16(short(16 * b)));
        const __m512i high = _mm512_add_epi16(low, _mm512_set1_epi16(32));
        _mm512_storeu_si512(m_starts + count, _mm512_maskz_compress_epi16(__mmask32(leads), low));
        count += std::size_t(__builtin_popcount(unsigned(leads)));
        _mm512_storeu_si512(m_starts + count,
                            _mm512_maskz_compress_epi16(__mmask32(leads >> 32), high));
        count += std::size_t(__builtin_popcount(unsigned(leads >> 32)));
        b += 4;
        if (b >= m_blocks)
            break;
        leads = fourAt(m_leads, b);
    }
    // 2. The list, as they come. (characterAtWide is inlined here, where
    //    BMI2 is allowed.)
    const char *const text = m_text;
    const bool languages = m_languages;
    const std::uint16_t *const starts = m_starts;
    core::WithoutGsm7Walk without(core::ShownWithoutGsm7, m_without);
    for (std::size_t k = 0; k < count; ++k)
        if (!listAt(without, text, languages, starts[k], characterAtWide))
            return false;
    without.done();
    return true;
}
#endif

void QuickRecords::noteNational(char32_t c) {
    if (c >= 0x2100)
        return;
    m_cheaperCount += m_cheaper[c];
    if (!m_lacks.empty()) {
        m_lacking |= m_lacks[c];
        for (std::uint64_t p = m_cheaperWith[c]; p != 0; p &= p - 1)
            ++m_savings[std::size_t(std::countr_zero(p))];
    }
}

bool QuickRecords::measure() {
    const auto *t = reinterpret_cast<const unsigned char *>(m_text);
    const std::size_t n = m_size;
    m_blocks = (n + 15) / 16;
    m_missing = false;
    m_cheaperCount = 0;
    m_lacking = 0;
    if (!m_lacks.empty())
        std::fill_n(m_savings.begin(), m_national.pairs().size(), 0);

    // 1. Block by block: the septets of the ASCII characters and the units of
    //    all, escapes counted and grave accents noted, where the characters
    //    past ASCII start, and whether the text is one this path takes, its
    //    bytes in UTF-8's frame (the three before the text are the line's
    //    `":"`).
    quick::Blocks blocks{m_costs, m_leads, m_extension, m_escaped, m_units, m_blanks};
    if (!m_scan(t, n, blocks))
        return false;
    m_escapes = blocks.escapes;
    m_grave = blocks.grave;
    m_septetsBefore[0] = m_unitsBefore[0] = 0;
    int units = 0;
    for (std::size_t b = 0; b < m_blocks; ++b) {
        m_septetsBefore[b + 1] = m_costs[b] % 64; // the block's own, for now
        units += m_costs[b] / 64;
        m_unitsBefore[b + 1] = units;
    }
    for (std::size_t b = m_blocks; b % 4 != 0; ++b)
        m_leads[b] = m_extension[b] = m_units[b] = m_blanks[b] = 0;

    // 2. The characters past ASCII, four blocks at a time (the line goes on
    //    after the text, so three bytes after one can be read): their
    //    septets, while the message may be GSM-7; those without a GSM-7
    //    form listed as they come.
    m_without.characters.clear(); // (keeping its room)
    m_without.more = 0;
    for (std::size_t b = 0; b < m_blocks; b += 4) {
        for (std::uint64_t leads = fourAt(m_leads, b); leads != 0; leads &= leads - 1) {
            const std::size_t at = 16 * b + std::size_t(std::countr_zero(leads));
            const unsigned char *bytes = t + at;
            // A character of the alphabet (of two bytes, or the euro sign)
            // is told by its bytes, without decoding it. (C0 and C1 begin
            // overlong forms.)
            const int cost = core::Gsm7SeptetsAt(bytes);
            if (cost == 0 || bytes[0] < 0xC2) {
                m_missing = true;
#if TOVRIK_WIDE
                if (m_wide ? !listWithoutWide(b, leads) : !listWithout(b, leads))
                    return false;
#else
                if (!listWithout(b, leads))
                    return false;
#endif
                b = m_blocks;
                break;
            }
            m_septetsBefore[at / 16 + 1] += cost;
            m_leadSeptets[at] = std::uint8_t(cost);
            if (m_languages)
                noteNational(bytes[0] < 0xE0
                                 ? char32_t(bytes[0] & 0x1F) << 6 | char32_t(bytes[1] & 0x3F)
                                 : char32_t(0x20AC));
        }
    }
    m_gsm7 = !m_missing && !m_grave;
    if (m_languages && !m_gsm7 && (m_grave || m_without.characters.empty()))
        return false; // a pair of national tables may have all its characters
    if (m_gsm7)
        std::partial_sum(m_septetsBefore, m_septetsBefore + m_blocks + 1, m_septetsBefore);
    m_total = m_gsm7 ? m_septetsBefore[m_blocks] : units;
    m_before = m_gsm7 ? m_septetsBefore : m_unitsBefore;
    return true;
}

bool QuickRecords::defaultTablesWin() {
    // A message without characters of the extension table is sent with the
    // default tables, which no national one makes cheaper.
    const int units = int(m_unitsBefore[m_blocks]);
    if (m_total == units)
        return true;
    const std::string_view text(m_text, m_size);
    // The blanks that a cut may leave as pieces of their own, which are
    // dropped, counted when first asked. (A GSM-7 character is a grapheme of
    // its own.)
    std::ptrdiff_t blanks = -1;
    // Whether a pair with `national` national tables whose cost is `cost`
    // may beat the default tables' cut: by the fewest parts a cut in whole
    // words can take with it (each but the last may lose a blank), then by
    // the room they leave.
    const auto count = std::ptrdiff_t(m_count);
    const std::ptrdiff_t room =
        count == 1 ? core::Gsm7Single - m_total : count * core::Gsm7Part - m_total;
    const auto mayBeat = [&](std::ptrdiff_t cost, int national) {
        const std::ptrdiff_t single = core::Gsm7Capacity(false, national);
        const std::ptrdiff_t piece = core::Gsm7Capacity(true, national);
        if (cost > single && piece > 2 && blanks < 0)
            blanks = core::BlanksThatMayStandAlone(text, true);
        const std::ptrdiff_t fewest =
            cost <= single || piece <= 2
                ? 1
                : std::max<std::ptrdiff_t>(1, (cost - blanks + piece + 1) / (piece + 1));
        const std::ptrdiff_t left = fewest == 1 ? single - cost : fewest * piece - cost;
        return fewest < count || (fewest == count && left > room);
    };
    // The least a pair may cost: a septet less for each character that it
    // makes cheaper (a byte of the line's escapes counted as one too). Where
    // that does not beat the default tables, the pair does not; nor does a
    // pair that lacks one of the message's characters.
    const std::vector<core::NationalTables::Pair> &pairs = m_national.pairs();
    // (A character that a pair makes cheaper costs two septets without it.)
    std::array<int, 8> counts{};
    for (std::size_t b = 0; b < m_blocks; b += 4)
        for (std::uint64_t e = fourAt(m_extension, b); e != 0; e &= e - 1)
            ++counts[extensionSlot(m_text[16 * b + std::size_t(std::countr_zero(e))])];
    if (!m_lacks.empty()) {
        for (const char c : m_asciiCheaper)
            if (const int k = counts[extensionSlot(c)]; k > 0)
                for (std::uint64_t p = m_cheaperWith[static_cast<unsigned char>(c)]; p != 0;
                     p &= p - 1)
                    m_savings[std::size_t(std::countr_zero(p))] += k;
        // (The ASCII characters that some pair lacks are looked for in the
        // text once a pair would otherwise pass.)
        bool lackingKnown = false;
        const auto lacks = [&](std::size_t p) {
            if (!lackingKnown) {
                for (const char c : m_asciiLacked)
                    if (text.find(c) != std::string_view::npos)
                        m_lacking |= m_lacks[static_cast<unsigned char>(c)];
                lackingKnown = true;
            }
            return (m_lacking >> p & 1) != 0;
        };
        bool any = false;
        for (std::size_t p = 1; p < pairs.size() && !any; ++p)
            any = m_savings[p] > 0 && (m_lacking >> p & 1) == 0 &&
                  mayBeat(m_total - m_savings[p], pairs[p].tables.national()) && !lacks(p);
        if (!any)
            return true;
    } else {
        int cheaper = m_cheaperCount;
        for (const char c : m_asciiCheaper)
            cheaper += counts[extensionSlot(c)];
        if (!mayBeat(m_total - cheaper, 1))
            return true;
    }
    if (m_escapes > 0 && !m_escapesPriced)
        return false;
    // What the message costs with each pair: the line's text costs each
    // backslash of an escape more.
    m_national.costs(text, m_pairCosts, m_total + 2 * std::ptrdiff_t(m_escapes));
    for (std::size_t p = 1; p < pairs.size(); ++p)
        if (m_pairCosts[p] >= 0 &&
            mayBeat(m_pairCosts[p] - std::ptrdiff_t(m_escapes) * pairs[p].alphabet.septets('\\'),
                    pairs[p].tables.national()))
            return false;
    return true;
}

inline int QuickRecords::costAt(std::size_t p, std::size_t &length) const {
    const auto c = static_cast<unsigned char>(m_text[p]);
    if (c == '\\') {
        length = 2;
        return m_gsm7 ? (m_text[p + 1] == '\\' ? 2 : 1) : 1;
    }
    if (c < 0x80) {
        length = 1;
        return m_gsm7 ? core::detail::Gsm7SeptetsBelow800[c] : 1;
    }
    length = core::Utf8Length(c);
    if (m_gsm7)
        return core::Gsm7SeptetsAt(reinterpret_cast<const unsigned char *>(m_text) + p);
    return length == 4 ? 2 : 1;
}

std::size_t QuickRecords::firstIn(std::size_t b) const {
    std::size_t p = 16 * b;
    if (p >= m_size)
        return m_size;
    if (m_escaped[b] & 1)
        return p + 1;
    while (p < m_size && (static_cast<unsigned char>(m_text[p]) & 0xC0) == 0x80)
        ++p;
    return p;
}

int QuickRecords::costBefore(std::size_t p) const {
    const std::size_t b = p / 16;
    int cost = m_before[b];
#if TOVRIK_SSE2
    if (const std::size_t lane = p % 16; lane > 0)
        cost += sumAt(costsIn(b).sums, lane - 1);
#else
    std::size_t length = 0;
    for (std::size_t q = firstIn(b); q < p; q += length)
        cost += costAt(q, length);
#endif
    return cost;
}

#if TOVRIK_SSE2
QuickRecords::BlockCosts QuickRecords::costsIn(std::size_t b) const {
    using namespace core::simd;
    const std::size_t i = 16 * b;
    // (The byte after the block is read too; past the text's end, a copy.)
    const auto *p = reinterpret_cast<const unsigned char *>(m_text) + i;
    unsigned char last[17];
    if (m_size - i < 17) {
        std::memset(last, 'a', sizeof last);
        std::memcpy(last, p, m_size - i);
        p = last;
    }
    const __m128i v = Load(p);
    const __m128i zero = _mm_setzero_si128();
    // A character starts at each byte but a continuation byte and the
    // second of an escape.
    __m128i escaped = zero;
    if (const unsigned e = m_escaped[b]; e != 0) { // its bits, spread to bytes
        const __m128i bits = _mm_set_epi8(char(0x80), 0x40, 0x20, 0x10, 8, 4, 2, 1, char(0x80),
                                          0x40, 0x20, 0x10, 8, 4, 2, 1);
        const __m128i spread = _mm_set_epi64x(std::int64_t(0x0101010101010101u * (e >> 8)),
                                              std::int64_t(0x0101010101010101u * (e & 0xFF)));
        escaped = _mm_cmpeq_epi8(_mm_and_si128(spread, bits), bits);
    }
    const __m128i starts = _mm_andnot_si128(escaped, _mm_cmpgt_epi8(v, Bytes(0xBF))); // signed
    __m128i costs;
    if (!m_gsm7) { // a unit each, two for a character of four bytes
        costs = _mm_sub_epi8(_mm_sub_epi8(zero, starts), AtLeast(v, 0xF0));
    } else {
        // ASCII: a septet each, two for the extension table's; \" one.
        const __m128i ascii = _mm_and_si128(starts, _mm_cmpgt_epi8(v, Bytes(0xFF))); // signed
        const __m128i extension = Within(_mm_or_si128(v, Bytes(0x20)), 0x7B, 0x7E);
        const __m128i quoted = _mm_and_si128(Is(v, '\\'), Is(Load(p + 1), '"'));
        costs = _mm_and_si128(ascii, _mm_sub_epi8(_mm_sub_epi8(_mm_set1_epi8(1), extension),
                                                  _mm_sub_epi8(zero, quoted)));
        // Past ASCII: what the measure found for each.
        costs = _mm_or_si128(costs, _mm_and_si128(AtLeast(v, 0xC0), Load(m_leadSeptets + i)));
    }
    costs = _mm_add_epi8(costs, _mm_slli_si128(costs, 1));
    costs = _mm_add_epi8(costs, _mm_slli_si128(costs, 2));
    costs = _mm_add_epi8(costs, _mm_slli_si128(costs, 4));
    costs = _mm_add_epi8(costs, _mm_slli_si128(costs, 8));
    return {costs, Mask(Is(v, ' '))};
}
#endif

inline bool QuickRecords::addPiece(std::size_t from, std::size_t to, int cost) {
    m_pieces[m_count++] = {from, to, cost};
    return m_text[from] != ' ' ||
           std::string_view(m_text + from, to - from).find_first_not_of(' ') !=
               std::string_view::npos;
}

bool QuickRecords::cut() {
    m_count = 0;
    // A message that fits one SMS is one part.
    if (m_total <= (m_gsm7 ? core::Gsm7Single : core::Ucs2Single)) {
        m_pieces[m_count++] = {0, m_size, m_total};
        return true;
    }
    // Else parts of whole words: the words that fit end at the last blank
    // before the first character that does not fit, and the blank goes.
#if TOVRIK_WIDE
    if (!m_gsm7 && m_wide)
        return cutInUnits();
#endif
    const int budget = int(m_gsm7 ? core::Gsm7Part : core::Ucs2Part);
    std::size_t start = 0;
    int before = 0; // the cost of the text before start
    for (;;) {
        if (m_total - before <= budget) // the rest fits
            return start >= m_size || addPiece(start, m_size, m_total - before);
        // The last block that starts within reach, then the first character
        // in it that does not fit, and the blanks before it. (A block costs
        // at most 32, less than a part holds: that block is past start's.)
        const int limit = before + budget;
        std::size_t b = start / 16 + 1;
        while (m_before[b + 1] <= limit) // (the whole text costs more)
            ++b;
        const std::size_t walked = 16 * b;
        const int cost = m_before[b];
        std::size_t blank = m_size;
        int beforeBlank = 0;
#if TOVRIK_SSE2
        // (The block's costs summed byte by byte: the first character that
        // does not fit is where the sum passes the room left.)
        const BlockCosts costs = costsIn(b);
        const unsigned over =
            core::simd::Mask(_mm_cmpgt_epi8(costs.sums, _mm_set1_epi8(char(limit - cost))));
        // (Within the block: all of it costs more than the room.)
        const int stop = std::countr_zero(over);
        if (const unsigned blanks = costs.blanks & ((1u << stop) - 1); blanks != 0) {
            const auto lane = std::size_t(31 - std::countl_zero(blanks));
            blank = 16 * b + lane;
            beforeBlank = cost + sumAt(costs.sums, lane) - 1;
        }
#else
        int sum = cost;
        for (std::size_t p = firstIn(b), length = 0; p < m_size; p += length) {
            const int next = costAt(p, length);
            if (sum + next > limit)
                break;
            if (m_text[p] == ' ') {
                blank = p;
                beforeBlank = sum;
            }
            sum += next;
        }
#endif
        if (blank == m_size) { // none on the walk: the last one before it
            const void *hit = memrchr(m_text + start, ' ', walked - start);
            if (!hit)
                return false; // a word longer than a part
            blank = std::size_t(static_cast<const char *>(hit) - m_text);
            beforeBlank = costBefore(blank);
        }
        if (!m_gsm7 && !blankStandsAlone(blank))
            return false;
        if (blank > start && !addPiece(start, blank, beforeBlank - before))
            return false;
        start = blank + 1;
        before = beforeBlank + 1; // a blank costs one in either encoding
    }
}

#if TOVRIK_WIDE
bool QuickRecords::cutInUnits() {
    // Each unit's start is a bit: the first character that does not fit is
    // the one that holds the unit a part's room after start's, found by
    // counting bits, and the blank before it is the last bit of the blanks.
    // (Words of sixty-four bits, four blocks' masks.)
    const auto word = [](const std::uint16_t *masks, std::size_t w) {
        return fourAt(masks, 4 * w);
    };
    const auto bitCount = [](std::uint64_t bits) { return unsigned(std::popcount(bits)); };
    const int budget = int(core::Ucs2Part);
    std::size_t start = 0;
    int before = 0; // the units of the text before start
    for (;;) {
        if (m_total - before <= budget) // the rest fits
            return start >= m_size || addPiece(start, m_size, m_total - before);
        // 1. The unit `budget` units after start's: the text holds it.
        std::size_t w = start / 64;
        std::uint64_t bits = word(m_units, w) & (~std::uint64_t(0) << (start % 64));
        unsigned k = unsigned(budget);
        for (unsigned count = bitCount(bits); k >= count; count = bitCount(bits)) {
            k -= count;
            bits = word(m_units, ++w);
        }
        // (Where that is the second unit of a character of four bytes, the
        // character starts at the byte before, which is not a blank.)
        const std::size_t stop =
            64 * w + std::size_t(std::countr_zero(_pdep_u64(std::uint64_t(1) << k, bits)));
        // 2. The last blank before it, from start on.
        w = stop / 64;
        bits = word(m_blanks, w) & ((std::uint64_t(1) << (stop % 64)) - 1);
        while (bits == 0 && 64 * w > start)
            bits = word(m_blanks, --w);
        if (bits == 0)
            return false; // a word longer than a part
        const std::size_t blank = 64 * w + std::size_t(63 - std::countl_zero(bits));
        if (blank < start)
            return false;
        if (!blankStandsAlone(blank))
            return false;
        // 3. The units before it.
        int units = 0;
        w = start / 64;
        bits = word(m_units, w) & (~std::uint64_t(0) << (start % 64));
        for (; 64 * (w + 1) <= blank; bits = word(m_units, ++w))
            units += int(bitCount(bits));
        units += int(bitCount(bits & ((std::uint64_t(1) << (blank % 64)) - 1)));
        if (blank > start && !addPiece(start, blank, units))
            return false;
        start = blank + 1;
        before += units + 1; // a blank is one unit
    }
}
#endif

bool QuickRecords::blankStandsAlone(std::size_t p) const {
    // A blank is a grapheme of its own unless the character before it joins
    // what follows (a prepended mark) or the one after it joins what comes
    // before (an accent, a joiner, a spacing mark). Sure where neither does:
    // ASCII does not, nor a character that is a grapheme of its own; nor,
    // before the blank, an accent, a joiner, a variation selector or a skin
    // tone, which join what comes before them only. (Without a branch on the
    // characters' lengths: in text of several scripts they cannot be
    // foreseen.)
    const auto *t = reinterpret_cast<const unsigned char *>(m_text);
    // The character before: its bytes are the last of the four before the
    // blank (before the text, the line's `"text":"`), from the last byte
    // that is not a continuation byte on.
    static constexpr std::uint32_t Payload[5] = {0, 0x7F, 0x1F3F, 0x0F3F3F, 0x073F3F3F};
    const std::uint32_t x = core::FourBytesAt(t + p - 4);
    const std::uint32_t continuation = x & ~(x << 1) & 0x80808080u;
    const auto length = std::size_t(std::countr_zero(~continuation & 0x80808080u) / 8 + 1);
    const std::uint32_t w = x & Payload[length];
    const char32_t c =
        length == 1 ? w : (w & 0x3F) | (w >> 2 & 0xFC0) | (w >> 4 & 0x3F000) | (w >> 6 & 0x1C0000);
    const bool before = c < 0x80 || core::BreaksBothWays(c) || (c >= 0x0300 && c <= 0x036F) ||
                        c == 0x200D || (c >= 0xFE00 && c <= 0xFE0F) ||
                        (c >= 0x1F3FB && c <= 0x1F3FF);
    // The character after (the text's closing quote after its last byte),
    // decoded only past ASCII, where the bytes it claims are the text's.
    std::size_t after = 0;
    return before &&
           (t[p + 1] < 0x80 || core::BreaksBothWays(core::DecodeWithRoom(m_text, p + 1, after)));
}

} // namespace tovrik::cli
