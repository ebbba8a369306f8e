#pragma once

#include "core/cutrules.h"
#include "core/graphemes.h"
#include "core/gsm7.h"
#include "core/gsm7tables.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

// Text messages as a phone sends them: GSM-7 when every character has a
// GSM-7 form, else UCS-2; one SMS, or a concatenated message whose parts
// lose room to their header. Text is well-formed UTF-8, measured straight
// from its bytes.

namespace tovrik::core {

enum class SmsEncoding : std::uint8_t { Gsm7, Ucs2 };

// "GSM-7" or "UCS-2".
std::string_view SmsEncodingName(SmsEncoding encoding);

// What one SMS holds: septets for GSM-7, UTF-16 code units for UCS-2.
inline constexpr std::ptrdiff_t Gsm7Single = 160;
inline constexpr std::ptrdiff_t Gsm7Part = 153; // a part of a concatenated message
inline constexpr std::ptrdiff_t Ucs2Single = 70;
inline constexpr std::ptrdiff_t Ucs2Part = 67;

inline constexpr std::ptrdiff_t SingleCapacity(SmsEncoding encoding) {
    return encoding == SmsEncoding::Gsm7 ? Gsm7Single : Ucs2Single;
}
inline constexpr std::ptrdiff_t PartCapacity(SmsEncoding encoding) {
    return encoding == SmsEncoding::Gsm7 ? Gsm7Part : Ucs2Part;
}

// One pass over a text: its encoding and its cost in that encoding.
struct SmsScan {
    SmsEncoding encoding = SmsEncoding::Gsm7;
    std::ptrdiff_t units = 0;   // septets (GSM-7) or UTF-16 code units (UCS-2)
    bool escapes = false;       // holds characters of the extension table (GSM-7 text)
    bool ascii = true;          // every byte is below 0x80
    bool plainGraphemes = true; // every code point is a grapheme of its own (CR LF aside)
};
// Without graphemes, plainGraphemes is not worked out (false). With
// blockSeptets, and when the text is GSM-7, the septets of the characters
// that start in each whole block of sixteen bytes go there, one a block.
SmsScan ScanSms(std::string_view text, bool graphemes = true,
                std::vector<std::uint8_t> *blockSeptets = nullptr);

// Walks text a block of sixteen bytes at a time: basic(count) for the bytes
// that mask(block) marks (ASCII characters of one septet each, such as the
// default alphabet's, DefaultAsciiMask, with a table pair that keeps them
// all, Gsm7Alphabet::keepsDefaultAscii), and other(position) for every
// other character, where its first byte is, until other returns false.
template <class Mask, class Basic, class Other>
void ForEachBlockOfText(std::string_view text, Mask &&mask, Basic &&basic, Other &&other) {
    std::size_t i = 0;
    for (; text.size() - i >= 16; i += 16) {
        int count = 16;
        for (unsigned rest = ~mask(text.data() + i) & 0xFFFF; rest != 0;
             rest &= rest - 1, --count) {
            const std::size_t at = i + std::size_t(std::countr_zero(rest));
            if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80 && !other(at))
                return;
        }
        basic(count);
    }
    for (; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && !other(i))
            return;
}

// The same under a pair of national shift tables (gsm7tables.h): GSM-7 when
// every character is in one of them. Graphemes are not worked out.
SmsScan ScanSms(std::string_view text, const Gsm7Alphabet &alphabet);

// The cost of a text in an encoding; for GSM-7 the text must have a GSM-7 form.
std::ptrdiff_t SmsCost(std::string_view text, SmsEncoding encoding);
// The septets of text that has a GSM-7 form (with the default tables, or
// with a pair of national ones).
std::ptrdiff_t Gsm7Cost(std::string_view text);
std::ptrdiff_t Gsm7Cost(std::string_view text, const Gsm7Alphabet &alphabet);

// The characters of a text that have no GSM-7 form, each once, in order of
// first appearance, at most `most` of them (views into the text); `more`
// counts the other different ones.
struct WithoutGsm7 {
    std::vector<std::string_view> characters;
    std::size_t more = 0;
};
void CharactersWithoutGsm7(std::string_view text, std::size_t most, WithoutGsm7 &found);
// The same over several texts in turn.
void CharactersWithoutGsm7(std::span<const std::string_view> texts, std::size_t most,
                           WithoutGsm7 &found);
// The same with another set of characters than the default tables'; unless
// it has every ASCII character that they have, pass asciiToo, and each of
// those is looked at too.
void CharactersWithoutGsm7(std::span<const std::string_view> texts,
                           const std::function<bool(char32_t)> &has, std::size_t most,
                           WithoutGsm7 &found, bool asciiToo = false);

namespace detail {
class LookedAt;
// This thread's stamps, begun for a new walk.
struct WalkStart {
    LookedAt *lookedAt;
    std::uint16_t *table;
    std::uint16_t stamp;
};
WalkStart BeginWalk();
std::uint16_t &Beyond(LookedAt *lookedAt, char32_t c);
} // namespace detail

// The same list, made by a walk of one's own: it adds each character without
// a GSM-7 form as it meets it, in order (c, and the character as the text
// holds it), and `found` is the list once the walk is done. (All inline: a
// walk that is a local of its caller keeps its state in registers.)
class WithoutGsm7Walk {
public:
    static constexpr char32_t TableSize = 0x20000; // code points looked up in one table

    WithoutGsm7Walk(std::size_t most, WithoutGsm7 &found) : m_found(found), m_most(most) {
        // (Copied from a value of its own: this walk's address is taken by
        // nothing, and the compiler may keep it in registers.)
        const detail::WalkStart start = detail::BeginWalk();
        m_lookedAt = start.lookedAt;
        m_table = start.table;
        m_stamp = start.stamp;
        found.characters.resize(most + 1);
        m_slots = found.characters.data();
    }
    // (No branch on whether c is new: the character is written to the next
    // free slot, which is taken only when it is.)
    __attribute__((always_inline)) void add(char32_t c, std::string_view character) {
        // (The code points of nearly every text in use are in the first
        // table: looked up here.)
        std::uint16_t &at = c < TableSize ? m_table[c] : detail::Beyond(m_lookedAt, c);
        const std::uint16_t was = at; // above every walk's stamp in the alphabet
        at = std::max(was, m_stamp);
        m_slots[std::min(m_count, m_most)] = character;
        m_count += std::size_t(was < m_stamp);
    }
    void done() {
        m_found.characters.resize(std::min(m_count, m_most));
        m_found.more = m_count - m_found.characters.size();
    }

private:
    WithoutGsm7 &m_found;
    std::size_t m_most;
    detail::LookedAt *m_lookedAt;
    std::uint16_t *m_table;
    std::uint16_t m_stamp;
    std::string_view *m_slots;
    std::size_t m_count = 0;
};

// How much of each piece is left for the text: a piece is GSM-7 when its
// text allows it (and gsm7Allowed), else UCS-2. GSM-7 is measured with the
// default tables, or with a pair of national shift tables when given.
struct SmsBudget {
    bool gsm7Allowed = true;
    std::ptrdiff_t gsm7 = Gsm7Single;
    std::ptrdiff_t ucs2 = Ucs2Single;
    const Gsm7Alphabet *alphabet = nullptr;
};

// Cuts a message into pieces measured in SMS units. Never cuts inside a
// character, an escape pair or a grapheme unless one grapheme alone is too
// big, then at a code point. Keeps its scratch memory from one message to
// the next.
class SmsCutter {
public:
    // The message to cut, and its scan; it must outlive the calls below.
    void setMessage(std::string_view message, const SmsScan &scan);
    // The same, scanned here: what the scan learns of the message on the way
    // makes the cuts faster.
    SmsScan setMessage(std::string_view message);

    // The mode's rules, with "the limit" being the budget of the piece's own
    // encoding. A word (space mode) or sentence (period mode) that does not
    // fit alone is cut as the fixed-length mode would cut it. Pieces are
    // views into the message, appended to pieces. With costs, each piece's
    // cost in its encoding is appended there where the cut learnt it on the
    // way, -1 for the others.
    void cut(const SmsBudget &budget, SplitMode mode, std::vector<std::string_view> &pieces,
             std::vector<std::ptrdiff_t> *costs = nullptr);

    // The number of parts a phone sends the message in, as one concatenated
    // SMS: 0 for an empty message.
    std::ptrdiff_t segments();

    bool isGraphemeBoundary(std::ptrdiff_t position) { return m_graphemes.isBoundary(position); }

private:
    friend class SmsText;

    std::string_view m_message;
    SmsScan m_scan;
    GraphemeBoundaries<char> m_graphemes;
    std::vector<std::string_view> m_scratch;
    // The message's septets in each whole block of sixteen bytes, when known.
    std::vector<std::uint8_t> m_blockSeptets;
    bool m_blocks = false;
};

// The number of parts a phone sends the message in, as one concatenated SMS.
std::ptrdiff_t SmsSegments(std::string_view message);

} // namespace tovrik::core
