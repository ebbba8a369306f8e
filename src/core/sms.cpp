#include "core/sms.h"

#include "core/gsm7.h"
#include "core/simd.h"
#include "core/utf8.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace tovrik::core {

namespace {

// The septets of the character at s[i], and its length.
inline int septetsAt(const char *s, std::size_t i, std::size_t &length) {
    const auto lead = static_cast<unsigned char>(s[i]);
    if (lead < 0x80) {
        length = 1;
        return detail::Gsm7SeptetsBelow800[lead];
    }
    return Gsm7Septets(DecodeAt(s, i, length));
}

// The septets of the character past ASCII at s[at], which starts in the
// block of sixteen bytes at s[i] of a text of n bytes: read from its bytes
// where three more can be read after its first, else decoded.
inline int septetsInBlock(const char *s, std::size_t at, std::size_t i, std::size_t n) {
    if (n - i >= 19)
        return Gsm7SeptetsAt(reinterpret_cast<const unsigned char *>(s) + at);
    std::size_t length = 0;
    return Gsm7Septets(DecodeAt(s, at, length));
}

} // namespace

std::string_view SmsEncodingName(SmsEncoding encoding) {
    return encoding == SmsEncoding::Gsm7 ? "GSM-7" : "UCS-2";
}

SmsScan ScanSms(std::string_view text, bool graphemes, std::vector<std::uint8_t> *blockSeptets) {
    const char *s = text.data();
    const std::size_t n = text.size();
    std::uint8_t *blocks = nullptr;
    if (blockSeptets) {
        blockSeptets->assign(n / 16, 0);
        blocks = blockSeptets->data();
    }
    std::ptrdiff_t septets = 0;
    std::ptrdiff_t missing = 0; // characters without a GSM-7 form
    std::ptrdiff_t escapes = 0;
    bool plain = graphemes;
    bool ascii = true;
    // One character at s[i]; returns where the next one starts.
    const auto scanOne = [&](std::size_t i) __attribute__((always_inline)) {
        const auto lead = static_cast<unsigned char>(s[i]);
        if (lead < 0x80) {
            const int cost = detail::Gsm7SeptetsBelow800[lead];
            septets += cost;
            missing += cost == 0;
            escapes += cost == 2;
            return i + 1;
        }
        ascii = false;
        std::size_t length = 0;
        const char32_t c = DecodeAt(s, i, length);
        const int cost = Gsm7Septets(c);
        septets += cost;
        missing += cost == 0;
        escapes += cost == 2;
        plain &= BreaksBothWays(c);
        return i + length;
    };

    std::size_t i = 0;
#if TOVRIK_SSE2
    // While the text can be GSM-7, sixteen bytes at a time: the ASCII ones
    // counted in the vector, each a grapheme of its own; the other characters
    // one by one from where their first bytes are (their other bytes count
    // nothing).
    // Counted in the lanes of three accumulators, summed before a lane can
    // overflow: septets gains at most 2 a round, the others 1.
    __m128i laneSeptets = _mm_setzero_si128();
    __m128i laneMissing = _mm_setzero_si128();
    __m128i laneEscapes = _mm_setzero_si128();
    int rounds = 0;
    const auto addLanes = [&] {
        septets += simd::SumBytes(laneSeptets);
        missing += simd::SumBytes(laneMissing);
        escapes += simd::SumBytes(laneEscapes);
        laneSeptets = laneMissing = laneEscapes = _mm_setzero_si128();
        rounds = 0;
    };
    while (n - i >= 16 && missing == 0) {
        using namespace simd;
        const __m128i v = Load(s + i);
        const __m128i one = basicLanes(v);
        const __m128i two = extensionLanes(v);
        const __m128i asciiLanes = _mm_cmpgt_epi8(v, _mm_set1_epi8(-1)); // below 0x80
        // A true lane is 0xFF: subtracting counts it.
        const __m128i asciiSeptets =
            _mm_sub_epi8(_mm_sub_epi8(_mm_setzero_si128(), one), _mm_add_epi8(two, two));
        laneSeptets = _mm_add_epi8(laneSeptets, asciiSeptets);
        int others = 0; // the septets of the other characters
        laneEscapes = _mm_sub_epi8(laneEscapes, two);
        laneMissing =
            _mm_sub_epi8(laneMissing, _mm_andnot_si128(_mm_or_si128(one, two), asciiLanes));
        if (++rounds == 127)
            addLanes();
        if (const unsigned high = Mask(v); high != 0) {
            ascii = false;
            for (unsigned leads = Mask(AtLeast(v, 0xC0)); leads != 0; leads &= leads - 1) {
                const std::size_t at = i + std::size_t(__builtin_ctz(leads));
                const int cost = septetsInBlock(s, at, i, n);
                others += cost;
                missing += cost == 0;
                escapes += cost == 2;
                // (Every character with a GSM-7 form is a grapheme of its own.)
                std::size_t length = 0;
                if (cost == 0)
                    plain &= BreaksBothWays(DecodeAt(s, at, length));
            }
            septets += others;
            if (missing > 0) {
                i += 16;
                break;
            }
        }
        if (blocks)
            blocks[i / 16] = std::uint8_t(SumBytes(asciiSeptets) + unsigned(others));
        i += 16;
        if ((rounds & 15) == 0 &&
            _mm_movemask_epi8(_mm_cmpeq_epi8(laneMissing, _mm_setzero_si128())) != 0xFFFF)
            break; // a character without a GSM-7 form: the rest is UCS-2
    }
    addLanes();
    // The last block may have ended inside a character, counted already.
    while (i < n && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80)
        ++i;
    // UCS-2 from here on: only whether graphemes stay plain is left to learn,
    // sixteen bytes at a time where every character in them starts with a
    // byte that only plain characters start with (ASCII, U+0080 to U+02FF,
    // U+0380 to U+047F, U+04C0 to U+04FF).
    while (missing > 0 && plain && n - i >= 16) {
        using namespace simd;
        const __m128i v = Load(s + i);
        const __m128i sure =
            _mm_or_si128(_mm_or_si128(Within(v, 0x00, 0xBF), Within(v, 0xC2, 0xCB)),
                         _mm_or_si128(Within(v, 0xCE, 0xD1), Is(v, 0xD3)));
        if (Mask(sure) == 0xFFFF) {
            ascii = ascii && Mask(v) == 0;
            i += 16;
            continue;
        }
        // Else the characters that start in the block, where their first
        // bytes are (ASCII ones are plain, and their costs no longer count).
        ascii = false;
        const bool room = n - i >= 19;
        for (unsigned leads = Mask(AtLeast(v, 0xC0)); leads != 0; leads &= leads - 1) {
            const std::size_t at = i + std::size_t(__builtin_ctz(leads));
            std::size_t length = 0;
            plain &= BreaksBothWays(room ? DecodeWithRoom(s, at, length) : DecodeAt(s, at, length));
        }
        i += 16;
    }
    if (missing > 0)
        while (i < n && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80)
            ++i;
#endif
    while (i < n && (missing == 0 || plain))
        i = scanOne(i);
#if !TOVRIK_SSE2
    // The blocks' septets, a character at a time.
    if (blocks && missing == 0)
        for (std::size_t at = 0, length = 0; at < n / 16 * 16; at += length)
            blocks[at / 16] += std::uint8_t(septetsAt(s, at, length));
#endif
    if (missing == 0)
        return {SmsEncoding::Gsm7, septets, escapes > 0, ascii, plain};
    if (i < n)
        ascii = false; // the scan stopped at a character that is not plain
    return {SmsEncoding::Ucs2, std::ptrdiff_t(Utf16Length(text)), escapes > 0, ascii, plain};
}

namespace detail {

// Which characters a walk has looked at already: one stamp per code point
// below U+20000 (the planes where nearly all characters in use are, emoji
// among them), a new stamp value per walk, so the table is cleared only once
// in 65,534 walks. It is small enough (256 KiB) to stay in the cache. The
// code points past it (CJK extensions, such as the 𠮷 of Japanese names) get
// a table of their own once the first is seen, so that no walk allocates
// after that. One pair of tables per thread and kind of walk.
//
// The characters of the default alphabet hold a stamp above every walk's:
// a character has no GSM-7 form and is new to this walk exactly when its
// stamp is below this walk's, and stays so when the walk's is stamped on it
// only where it is higher.
class LookedAt {
public:
    static constexpr char32_t Size = 0x20000;
    static constexpr std::uint16_t InTheAlphabet = 0xFFFF;

    LookedAt() { clear(); }

    // Starts a walk: the stamp of this walk.
    std::uint16_t begin() {
        if (++m_stamp == InTheAlphabet) {
            clear();
            m_stamp = 1;
        }
        return m_stamp;
    }
    std::uint16_t *table() { return m_table.data(); }
    // The stamp of a code point past the table.
    std::uint16_t &beyond(char32_t c) {
        if (m_beyond.empty())
            m_beyond.resize(0x110000 - Size);
        return m_beyond[c - Size];
    }

private:
    void clear() {
        std::fill(m_table.begin(), m_table.end(), 0);
        std::fill(m_beyond.begin(), m_beyond.end(), 0);
        for (char32_t c = 0; c < 0x2100; ++c) // the euro sign is the last
            if (Gsm7Septets(c) != 0)
                m_table[c] = InTheAlphabet;
    }

    std::vector<std::uint16_t> m_table = std::vector<std::uint16_t>(Size);
    std::vector<std::uint16_t> m_beyond;
    std::uint16_t m_stamp = 0;
};

} // namespace detail

namespace {

using detail::LookedAt;

// The characters that start among the sixteen bytes at s and are not ASCII
// with a GSM-7 form (LF, CR and form feed are looked at on their own), as a
// bit mask: bit k for s[k].
inline std::uint64_t otherThanGsm7Ascii(const unsigned char *s) {
#if TOVRIK_SSE2
    using namespace simd;
    const __m128i v = Load(s);
    const __m128i skipped = _mm_or_si128(printableGsm7Lanes(v), Within(v, 0x80, 0xBF));
    return ~Mask(skipped) & 0xFFFF;
#else
    std::uint64_t mask = 0;
    for (unsigned k = 0; k < 16; ++k)
        mask |= std::uint64_t((s[k] & 0xC0) != 0x80 &&
                              (s[k] >= 0x80 || s[k] < 0x20 || s[k] == 0x60 || s[k] == 0x7F))
                << k;
    return mask;
#endif
}

// The walk; isNew(c, at, stamp) tells whether c, whose stamp is `at`, is new
// to it and has no GSM-7 form, and notes it.
template <class Found>
void charactersWithout(std::span<const std::string_view> texts, Found &&isNew, std::size_t most,
                       WithoutGsm7 &found, bool asciiToo = false) {
    thread_local LookedAt lookedAt;
    const std::uint16_t stamp = lookedAt.begin();
    std::uint16_t *const stamps = lookedAt.table();
    const auto missing = [&](char32_t c) {
        return isNew(c, c < LookedAt::Size ? stamps[c] : lookedAt.beyond(c), stamp);
    };
    // The first `most` are kept in slots, the others counted. Each character
    // found is written to the next free slot, and the slot is taken only when
    // the character is new and has no GSM-7 form: no branch on either. (There
    // are no more different characters than bytes or code points.)
    std::size_t bytes = 0;
    for (const std::string_view text : texts)
        bytes += text.size();
    const std::size_t kept = std::min({most, bytes, std::size_t(0x110000)});
    found.characters.resize(kept + 1);
    std::string_view *const slots = found.characters.data();
    std::size_t count = 0;
    // Each character that is not ASCII with a GSM-7 form is looked up where
    // it starts in `blocks` bytes at s (a multiple of 64, with three more
    // after them to read); the others are skipped sixty-four bytes at a time.
    // Its view is into `text`, at the same place.
    const auto walk = [&](const unsigned char *s, std::size_t blocks, const char *text) {
        for (std::size_t i = 0; i < blocks; i += 64) {
            std::uint64_t starts =
                otherThanGsm7Ascii(s + i) | otherThanGsm7Ascii(s + i + 16) << 16 |
                otherThanGsm7Ascii(s + i + 32) << 32 | otherThanGsm7Ascii(s + i + 48) << 48;
            for (; starts != 0; starts &= starts - 1) {
                const std::size_t at = i + std::size_t(std::countr_zero(starts));
                std::size_t length = 0;
                const char32_t c = DecodeWithRoom(reinterpret_cast<const char *>(s), at, length);
                slots[std::min(count, kept)] = std::string_view(text + at, length);
                count += std::size_t(missing(c));
            }
        }
    };
    const auto done = [&] {
        found.characters.resize(std::min(count, kept));
        found.more = count - found.characters.size();
    };
    // Where ASCII characters may lack a form too: every character.
    if (asciiToo) {
        for (const std::string_view text : texts)
            for (std::size_t at = 0, length = 0; at < text.size(); at += length) {
                const char32_t c = DecodeAt(text.data(), at, length);
                slots[std::min(count, kept)] = text.substr(at, length);
                count += std::size_t(missing(c));
            }
        return done();
    }
    for (const std::string_view text : texts) {
        const auto *s = reinterpret_cast<const unsigned char *>(text.data());
        const std::size_t n = text.size();
        const std::size_t whole = n < 64 + 3 ? 0 : (n - 3) / 64 * 64;
        walk(s, whole, text.data());
        // The last bytes from a copy padded with blanks, which are skipped:
        // a character that starts there ends there.
        if (whole < n) {
            unsigned char last[2 * 64 + 3];
            std::memset(last, ' ', sizeof last);
            std::memcpy(last, s + whole, n - whole);
            walk(last, n - whole <= 64 ? 64 : 128, text.data() + whole);
        }
    }
    done();
}

} // namespace

void CharactersWithoutGsm7(std::span<const std::string_view> texts, std::size_t most,
                           WithoutGsm7 &found) {
    // The stamps tell both: no branch on either.
    const auto isNew = [](char32_t, std::uint16_t &at, std::uint16_t stamp) {
        const std::uint16_t was = at;
        at = std::max(was, stamp);
        return was < stamp;
    };
    charactersWithout(texts, isNew, most, found);
}

namespace detail {

WalkStart BeginWalk() {
    static_assert(WithoutGsm7Walk::TableSize == LookedAt::Size);
    thread_local LookedAt lookedAt;
    const std::uint16_t stamp = lookedAt.begin();
    return {&lookedAt, lookedAt.table(), stamp};
}

std::uint16_t &Beyond(LookedAt *lookedAt, char32_t c) {
    return lookedAt->beyond(c);
}

} // namespace detail

void CharactersWithoutGsm7(std::span<const std::string_view> texts,
                           const std::function<bool(char32_t)> &has, std::size_t most,
                           WithoutGsm7 &found, bool asciiToo) {
    // Another set of characters. (This walk has a table of its own, where
    // the stamps of the default alphabet's characters are simply seen once.)
    const auto isNew = [&](char32_t c, std::uint16_t &at, std::uint16_t stamp) {
        const bool first = at != stamp;
        at = stamp;
        return first && !has(c);
    };
    charactersWithout(texts, isNew, most, found, asciiToo);
}

SmsScan ScanSms(std::string_view text, const Gsm7Alphabet &alphabet) {
    std::ptrdiff_t septets = 0;
    bool escapes = false;
    bool missing = false;
    bool ascii = true; // of the characters walked; the others are ASCII
    const auto one = [&](std::size_t at) {
        std::size_t length = 0;
        ascii = ascii && static_cast<unsigned char>(text[at]) < 0x80;
        const int cost = alphabet.septets(DecodeAt(text.data(), at, length));
        septets += cost;
        escapes = escapes || cost == 2;
        missing = missing || cost == 0;
        return !missing;
    };
    if (alphabet.keepsDefaultAscii())
        ForEachBlockOfText(
            text, DefaultAsciiMask, [&](int count) { septets += count; }, one);
    else
        for (std::size_t i = 0; i < text.size() && !missing; ++i)
            if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
                one(i);
    if (missing) {
        // UTF-16 units are as many as bytes only where every byte is ASCII.
        const auto units = std::ptrdiff_t(Utf16Length(text));
        return {SmsEncoding::Ucs2, units, escapes, units == std::ptrdiff_t(text.size()), false};
    }
    return {SmsEncoding::Gsm7, septets, escapes, ascii, false};
}

std::ptrdiff_t Gsm7Cost(std::string_view text, const Gsm7Alphabet &alphabet) {
    return ScanSms(text, alphabet).units;
}

void CharactersWithoutGsm7(std::string_view text, std::size_t most, WithoutGsm7 &found) {
    CharactersWithoutGsm7(std::span<const std::string_view>(&text, 1), most, found);
}

std::ptrdiff_t Gsm7Cost(std::string_view text) {
    // A septet a character, one more for each of the extension table: form
    // feed, [ \\ ] ^ { | } ~ and the euro sign, the only GSM-7 character of
    // three bytes.
    const auto *s = reinterpret_cast<const unsigned char *>(text.data());
    const std::size_t n = text.size();
    std::ptrdiff_t septets = 0;
    std::size_t i = 0;
#if TOVRIK_SSE2
    __m128i lanes = _mm_setzero_si128();
    for (int rounds = 0; n - i >= 16; i += 16) {
        using namespace simd;
        const __m128i v = Load(s + i);
        const __m128i starts = _mm_cmpgt_epi8(v, Bytes(0xBF)); // signed: not 80..BF
        const __m128i extra = _mm_or_si128(extensionLanes(v), Within(v, 0xE0, 0xEF));
        lanes = _mm_sub_epi8(_mm_sub_epi8(lanes, starts), extra);
        if (++rounds == 127) {
            septets += SumBytes(lanes);
            lanes = _mm_setzero_si128();
            rounds = 0;
        }
    }
    septets += simd::SumBytes(lanes);
    if (i < n && n >= 16) {
        // The last bytes: the sixteen that end the text, those counted
        // already left out.
        using namespace simd;
        const __m128i v = Load(s + n - 16);
        const unsigned last = 0xFFFFu << (16 - (n - i)) & 0xFFFFu;
        septets += Count(Mask(_mm_cmpgt_epi8(v, Bytes(0xBF))) & last) +
                   Count(Mask(_mm_or_si128(extensionLanes(v), Within(v, 0xE0, 0xEF))) & last);
        i = n;
    }
#endif
    for (; i < n; ++i)
        septets +=
            ((s[i] & 0xC0) != 0x80) +
            ((s[i] < 0x80 && detail::Gsm7SeptetsBelow800[s[i]] == 2) || (s[i] & 0xF0) == 0xE0);
    return septets;
}

std::ptrdiff_t SmsCost(std::string_view text, SmsEncoding encoding) {
    if (encoding == SmsEncoding::Ucs2)
        return std::ptrdiff_t(Utf16Length(text));
    return Gsm7Cost(text);
}

// The message as the cut rules see it (cutrules.h), measured in SMS units:
// the limit is the budget of each piece's own encoding. Positions are bytes.
class SmsText {
public:
    using Pos = std::ptrdiff_t;
    static constexpr bool CutsLongUnits = true;

    SmsText(SmsCutter &cutter, const SmsBudget &budget)
        : m_cutter(cutter), m_s(cutter.m_message.data()), m_n(Pos(cutter.m_message.size())),
          m_budget(budget) {
        // Where every byte costs one, the reach is a sum.
        const SmsScan &scan = cutter.m_scan;
        if (scan.ascii && !budget.gsm7Allowed)
            m_uniform = budget.ucs2;
        else if (scan.ascii && scan.encoding == SmsEncoding::Gsm7 && !scan.escapes &&
                 !budget.alphabet)
            m_uniform = budget.gsm7;
        // Where every piece is counted as the whole message was, what is
        // left after a piece is the whole less what came before.
        else if (budget.gsm7Allowed ? scan.encoding == SmsEncoding::Gsm7 && !budget.alphabet
                                    : scan.encoding == SmsEncoding::Ucs2)
            m_total = scan.units;
        if (cutter.m_blocks && budget.gsm7Allowed && !budget.alphabet)
            m_blockSeptets = cutter.m_blockSeptets.data();
    }

    Pos begin() const { return 0; }
    bool atEnd(Pos p) const { return p >= m_n; }

    // The characters that fit from `from`.
    rules::Reach<Pos> advance(Pos from, std::ptrdiff_t) {
        const Pos end = reach(from);
        if (end > m_n)
            return {m_n, true};
        return {end, false};
    }

    // Pieces end where graphemes do; one grapheme too big for a piece alone
    // is cut at a code point.
    Pos lastCut(Pos from, Pos to) {
        for (Pos p = to; p > from; p = Pos(StartBefore(m_s, std::size_t(p))))
            if (m_cutter.isGraphemeBoundary(p))
                return p;
        return to;
    }

    Pos pastCharacter(Pos p) const {
        return p + Pos(Utf8Length(static_cast<unsigned char>(m_s[p])));
    }

    // Only a delimiter that is a grapheme of its own ends a unit.
    // (Searched within [from, to): a long word is cut many times.)
    Pos lastIndexOf(char delimiter, Pos from, Pos to) {
        for (Pos end = to; end > from;) {
            const void *hit = memrchr(m_s + from, delimiter, std::size_t(end - from));
            if (!hit)
                break;
            const Pos at = static_cast<const char *>(hit) - m_s;
            if (m_cutter.isGraphemeBoundary(at) && m_cutter.isGraphemeBoundary(at + 1))
                return at;
            end = at;
        }
        return rules::NotFound;
    }

    std::string_view piece(Pos from, Pos to) const { return {m_s + from, std::size_t(to - from)}; }

    // The cost of a piece the rules have just cut from where the last reach
    // started, where the walk that found it tells: the whole less what came
    // before for the last piece, what the walk passed less what it passed
    // after the piece for another; -1 where it does not tell.
    // (What the walk passed after the piece is kept: the next piece starts
    // there, or a delimiter later.)
    std::ptrdiff_t knownCost(Pos from, Pos to) {
        if (m_uniform >= 0)
            return to - from;
        if (m_total < 0 || from != m_reachedFrom)
            return -1;
        if (to == m_n)
            return m_total - m_reachedBefore;
        if (from != m_walkedFrom || to > m_walkedTo)
            return -1;
        m_after = after(to);
        m_afterFrom = to;
        return m_walked - m_after;
    }

private:
    SmsEncoding encoding() const {
        return m_budget.gsm7Allowed ? SmsEncoding::Gsm7 : SmsEncoding::Ucs2;
    }

    // The end of what fits from `start` counted in UTF-16 units, past the
    // message's end when the rest fits: the last piece needs no room for a
    // blank after it, as nothing is sent after it.
    Pos reachUcs2(Pos start, std::ptrdiff_t *units = nullptr) const {
        const UnitSpan span = TakeUnits(m_s + start, std::size_t(m_n - start),
                                        std::size_t(std::max<std::ptrdiff_t>(m_budget.ucs2, 0)));
        if (Pos(span.bytes) == m_n - start)
            return m_n + 1;
        if (units)
            *units = std::ptrdiff_t(span.units);
        return start + Pos(span.bytes);
    }

    // A piece from `start` meets a character without a GSM-7 form at `at`:
    // it ends there when what comes before already fills a UCS-2 piece, and
    // is otherwise UCS-2, measured from its start.
    Pos turnsUcs2(Pos start, Pos at) const {
        const auto before = std::ptrdiff_t(Utf16Length({m_s + start, std::size_t(at - start)}));
        return before >= m_budget.ucs2 ? at : reachUcs2(start);
    }

    // Where the characters that fit from `start` end, past the message's end
    // when the rest fits. Each piece starts at or before where the walk for
    // the one before it stopped, so where the whole message's cost is known,
    // what is left is too, and the last piece needs no walk.
    Pos reach(Pos start) {
        m_reachedFrom = -1;
        if (m_total < 0)
            return walk(start, nullptr);
        std::ptrdiff_t before = 0; // the cost of the message up to start
        if (start > 0) {
            if (start < m_walkedFrom || start > m_walkedTo)
                return walk(start, nullptr);
            before = m_walkedBefore + m_walked - after(start);
        }
        m_reachedFrom = start;
        m_reachedBefore = before;
        if (m_total - before <= (m_budget.gsm7Allowed ? m_budget.gsm7 : m_budget.ucs2))
            return m_n + 1;
        const Pos end = walk(start, &m_walked);
        // (A walk that passes the end where the whole says it cannot tells
        // nothing.)
        m_walkedFrom = end > m_n ? -1 : start;
        m_walkedTo = end;
        m_walkedBefore = before;
        m_afterFrom = -1;
        return end;
    }

    // What the last walk passed from `start` on.
    std::ptrdiff_t after(Pos start) const {
        if (start == m_afterFrom)
            return m_after;
        // A delimiter after the piece costs one: a blank or a period.
        if (m_afterFrom >= 0 && start == m_afterFrom + 1 &&
            (m_s[m_afterFrom] == ' ' || m_s[m_afterFrom] == '.'))
            return m_after - 1;
        return SmsCost(piece(start, m_walkedTo), encoding());
    }

    // reach() walking from `start`; the cost of what fits goes to `units`
    // when the walk stops before the message's end.
    Pos walk(Pos start, std::ptrdiff_t *units) const {
        if (m_budget.alphabet && m_budget.gsm7Allowed)
            return reachWith(*m_budget.alphabet, start);
        if (m_uniform >= 0)
            return start + m_uniform >= m_n ? m_n + 1 : start + m_uniform;
        if (!m_budget.gsm7Allowed)
            return reachUcs2(start, units);
        if (m_blockSeptets)
            return walkBlocks(start, units);
        // Walk while the piece can stay GSM-7; from its first other character
        // on it is UCS-2, counted from its start.
        std::ptrdiff_t septets = 0;
        std::size_t i = std::size_t(start);
        const std::size_t n = std::size_t(m_n);
        while (i < n) {
#if TOVRIK_SSE2
            // Sixteen bytes at a time while every character in them has a
            // GSM-7 form and they fit: the ASCII ones counted in the vector,
            // the others from where their first bytes are.
            for (; n - i >= 16; i += 16) {
                const __m128i v = simd::Load(m_s + i);
                const unsigned high = simd::Mask(v);
                const __m128i one = basicLanes(v);
                const __m128i two = extensionLanes(v);
                if ((simd::Mask(_mm_or_si128(one, two)) | high) != 0xFFFF)
                    break; // an ASCII character without a GSM-7 form
                // The ASCII septets: 1 or 2 a lane, summed.
                auto block = std::ptrdiff_t(simd::SumBytes(_mm_or_si128(
                    _mm_and_si128(one, simd::Bytes(1)), _mm_and_si128(two, simd::Bytes(2)))));
                bool other = false;
                for (unsigned leads = high ? simd::Mask(simd::AtLeast(v, 0xC0)) : 0; leads != 0;
                     leads &= leads - 1) {
                    const int cost =
                        septetsInBlock(m_s, i + std::size_t(__builtin_ctz(leads)), i, n);
                    other |= cost == 0;
                    block += cost;
                }
                if (other || septets + block > m_budget.gsm7)
                    break;
                septets += block;
            }
            // The last block counted may end inside a character.
            while (i < n && (static_cast<unsigned char>(m_s[i]) & 0xC0) == 0x80)
                ++i;
            const std::size_t stop = std::min(n, i + 16);
#else
            const std::size_t stop = n;
#endif
            while (i < stop) {
                std::size_t length = 0;
                const int cost = septetsAt(m_s, i, length);
                if (cost == 0)
                    return turnsUcs2(start, Pos(i));
                if (septets + cost > m_budget.gsm7) {
                    if (units)
                        *units = septets;
                    return Pos(i);
                }
                septets += cost;
                i += length;
            }
        }
        return m_n + 1;
    }

    // walk() through GSM-7 text whose blocks of sixteen bytes have known
    // septets: to the next block a character at a time, then block after
    // block while they fit, then a character at a time.
    Pos walkBlocks(Pos start, std::ptrdiff_t *units) const {
        const std::size_t n = std::size_t(m_n);
        std::ptrdiff_t septets = 0;
        std::size_t i = std::size_t(start);
        // One character, when it fits; else where the walk stops.
        const auto step = [&]() -> bool {
            std::size_t length = 0;
            const int cost = septetsAt(m_s, i, length);
            if (septets + cost > m_budget.gsm7)
                return false;
            septets += cost;
            i += length;
            return true;
        };
        std::size_t block = (i + 15) / 16;
        while (i < std::min(n, 16 * block))
            if (!step())
                break;
        if (i >= 16 * block) {
            // A block counts the characters that start in it (one that began
            // before it was counted already): whole ones while they fit, then
            // the characters of the next.
            for (; 16 * block + 16 <= n && septets + m_blockSeptets[block] <= m_budget.gsm7;
                 ++block)
                septets += m_blockSeptets[block];
            i = 16 * block;
            while (i < n && (static_cast<unsigned char>(m_s[i]) & 0xC0) == 0x80)
                ++i;
            while (i < n && step()) {
            }
        }
        if (i >= n)
            return m_n + 1;
        if (units)
            *units = septets;
        return Pos(i);
    }

    // reach() under a pair of national shift tables, a character at a time.
    Pos reachWith(const Gsm7Alphabet &alphabet, Pos start) const {
        std::ptrdiff_t septets = 0;
        const bool runs = alphabet.keepsDefaultAscii();
        std::size_t walkedTo = 0;
        for (std::size_t i = std::size_t(start); i < std::size_t(m_n);) {
            // Blocks of the default alphabet's ASCII characters, a septet
            // each, while they fit; a block with others in it one by one.
            if (runs && i >= walkedTo) {
                while (std::size_t(m_n) - i >= 16 && m_budget.gsm7 - septets >= 16 &&
                       DefaultAsciiMask(m_s + i) == 0xFFFF) {
                    septets += 16;
                    i += 16;
                }
                walkedTo = i + 16;
                if (i == std::size_t(m_n))
                    break;
            }
            std::size_t length = 1;
            const auto lead = static_cast<unsigned char>(m_s[i]);
            const int cost =
                alphabet.septets(lead < 0x80 ? char32_t(lead) : DecodeAt(m_s, i, length));
            if (cost == 0)
                return turnsUcs2(start, Pos(i));
            septets += cost;
            if (septets > m_budget.gsm7)
                return Pos(i);
            i += length;
        }
        return m_n + 1;
    }

    SmsCutter &m_cutter;
    const char *m_s;
    Pos m_n;
    SmsBudget m_budget;
    const std::uint8_t *m_blockSeptets = nullptr; // the message's blocks, when known
    Pos m_uniform = -1;
    std::ptrdiff_t m_total = -1; // the whole message's cost, where pieces are counted alike
    // The last walk: from where to where, what it passed and what came before.
    Pos m_walkedFrom = -1;
    Pos m_walkedTo = -1;
    std::ptrdiff_t m_walked = 0;
    std::ptrdiff_t m_walkedBefore = 0;
    // Where the last reach started, and the cost of the message before it.
    Pos m_reachedFrom = -1;
    std::ptrdiff_t m_reachedBefore = 0;
    // What the last walk passed after the last piece cut from it, and where.
    Pos m_afterFrom = -1;
    std::ptrdiff_t m_after = 0;
};

void SmsCutter::setMessage(std::string_view message, const SmsScan &scan) {
    m_message = message;
    m_scan = scan;
    m_graphemes.setText(message, scan.plainGraphemes);
    m_blocks = false;
}

SmsScan SmsCutter::setMessage(std::string_view message) {
    // The blocks' septets take a sixteenth of the message's size: they are
    // kept for messages of up to a few MiB.
    constexpr std::size_t Longest = std::size_t(4) << 20;
    const bool blocks = message.size() <= Longest;
    const SmsScan scan = ScanSms(message, true, blocks ? &m_blockSeptets : nullptr);
    setMessage(message, scan);
    m_blocks = blocks && scan.encoding == SmsEncoding::Gsm7;
    return scan;
}

void SmsCutter::cut(const SmsBudget &budget, SplitMode mode, std::vector<std::string_view> &pieces,
                    std::vector<std::ptrdiff_t> *costs) {
    SmsText text(*this, budget);
    // The limit is the budget's, which the text holds.
    rules::Cut(text, 0, mode, [&](std::string_view piece) {
        pieces.push_back(piece);
        if (costs) {
            const auto from = SmsText::Pos(piece.data() - m_message.data());
            costs->push_back(text.knownCost(from, from + SmsText::Pos(piece.size())));
        }
    });
}

std::ptrdiff_t SmsCutter::segments() {
    if (m_message.empty())
        return 0;
    const SmsEncoding encoding = m_scan.encoding;
    if (m_scan.units <= SingleCapacity(encoding))
        return 1;
    // Where graphemes are code points, every part but the last is full or one
    // short (an escape, a surrogate pair or a CR LF moved on): when what the
    // fewest parts leave for the last fits it, that is the count.
    const std::ptrdiff_t part = PartCapacity(encoding);
    const std::ptrdiff_t fewest = (m_scan.units + part - 1) / part;
    if (m_scan.plainGraphemes && m_scan.units - (part - 1) * (fewest - 1) <= part)
        return fewest;
    m_scratch.clear();
    cut({encoding == SmsEncoding::Gsm7, Gsm7Part, Ucs2Part}, SplitMode::Exact, m_scratch);
    return std::ptrdiff_t(m_scratch.size());
}

std::ptrdiff_t SmsSegments(std::string_view message) {
    SmsCutter cutter;
    cutter.setMessage(message);
    return cutter.segments();
}

} // namespace tovrik::core
