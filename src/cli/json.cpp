#include "cli/json.h"

#include "core/simd.h"
#include "core/utf8.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <functional>

namespace tovrik::cli {

namespace {

// What AppendJsonStringBody writes for a character that needs an escape (a
// control character, DEL, a C1 control, a quote or a backslash): its end.
char *writeEscape(unsigned code, char *o) {
    static constexpr char Hex[] = "0123456789abcdef";
    *o++ = '\\';
    switch (code) {
    case '"':
    case '\\':
        *o++ = char(code);
        break;
    case '\n':
        *o++ = 'n';
        break;
    case '\r':
        *o++ = 'r';
        break;
    case '\t':
        *o++ = 't';
        break;
    case '\b':
        *o++ = 'b';
        break;
    case '\f':
        *o++ = 'f';
        break;
    default: // the other C0 controls, DEL and the C1 controls
        *o++ = 'u';
        *o++ = '0';
        *o++ = '0';
        *o++ = Hex[code >> 4];
        *o++ = Hex[code & 0xF];
    }
    return o;
}

bool needsEscape(char32_t c) {
    return c < 0x20 || c == '"' || c == '\\' || (c >= 0x7F && c < 0xA0);
}

} // namespace

void AppendJsonStringBody(ByteBuffer &out, std::string_view text) {
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    const std::size_t n = text.size();
    char *o = out.tail(n * 6); // \u00XX is the longest form of a byte
    for (std::size_t i = 0; i < n;) {
#if TOVRIK_SSE2
        // Sixteen bytes at a time that need no escape: no control character
        // (nor C2, which starts the C1 controls), quote or backslash; then the
        // byte that stopped them, and on with sixteen at a time.
        while (n - i >= 16) {
            using namespace core::simd;
            const __m128i v = Load(p + i);
            const __m128i unsafe =
                _mm_or_si128(_mm_or_si128(Within(v, 0x00, 0x1F), Is(v, 0x7F)),
                             _mm_or_si128(_mm_or_si128(Is(v, '"'), Is(v, '\\')), Is(v, 0xC2)));
            const unsigned mask = Mask(unsafe);
            // All sixteen go out; those up to the first that needs a look count.
            _mm_storeu_si128(reinterpret_cast<__m128i *>(o), v);
            const std::size_t safe = mask == 0 ? 16 : std::size_t(std::countr_zero(mask));
            o += safe;
            i += safe;
            if (safe < 16)
                break;
        }
        const std::size_t stop = n - i >= 16 ? i + 1 : n;
#else
        const std::size_t stop = n;
#endif
        while (i < stop) {
            const unsigned char c = p[i];
            // U+0080 to U+009F, the C1 controls, are C2 80 to C2 9F.
            const bool c1 = c == 0xC2 && i + 1 < n && p[i + 1] < 0xA0;
            if ((c >= 0x20 && c != 0x7F && c != '"' && c != '\\' && !c1)) {
                *o++ = char(c);
                ++i;
                continue;
            }
            const unsigned code = c1 ? p[i + 1] : c;
            i += c1 ? 2 : 1;
            o = writeEscape(code, o);
        }
    }
    out.setEnd(o);
}

void AppendJsonString(ByteBuffer &out, std::string_view text) {
    // One character that needs no escape (as a message's characters are
    // listed) goes out as it is: past ASCII, only the C1 controls need one.
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    const std::size_t n = text.size();
    if (n > 0 && n == core::Utf8Length(p[0]) &&
        (n > 1 ? !(p[0] == 0xC2 && p[1] < 0xA0) : !needsEscape(p[0]))) {
        char *o = out.tail(n + 2);
        *o++ = '"';
        for (std::size_t i = 0; i < n; ++i)
            *o++ = char(p[i]);
        *o++ = '"';
        out.setEnd(o);
        return;
    }
    out.append('"');
    AppendJsonStringBody(out, text);
    out.append('"');
}

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isHigh(char32_t u) {
    return u >= 0xD800 && u < 0xDC00;
}
bool isLow(char32_t u) {
    return u >= 0xDC00 && u < 0xE000;
}

// Deeper nesting than this in a member nobody reads is refused, not followed.
constexpr int MaximumDepth = 256;
constexpr std::size_t NotesAllowance = 1 << 16; // bytes of notes on a text's escapes

} // namespace

bool JsonRecordParser::fail(const char *error) {
    m_error = error;
    m_id = {}; // what was read of a broken line is not trusted
    return false;
}

void JsonRecordParser::skipBlanks() {
    while (m_p < m_end && (*m_p == ' ' || *m_p == '\t' || *m_p == '\n' || *m_p == '\r'))
        ++m_p;
}

bool JsonRecordParser::expect(char c) {
    if (m_p < m_end && *m_p == c) {
        ++m_p;
        return true;
    }
    return false;
}

bool JsonRecordParser::string(std::string_view &raw, Unescaped *into, std::size_t *size,
                              bool *lone) {
    ++m_p; // the opening quote
    const char *start = m_p;
    char *out = nullptr;
    if (into) {
        // Unescaping never makes a string longer; blocks of sixteen bytes
        // are stored whole, so one may pass its end by fifteen.
        const std::size_t most = std::size_t(m_end - m_p) + 16;
        if (into->size() < most)
            into->resize(most);
        out = into->data();
    }
    int high = 0;          // a byte of a multi-byte sequence was seen
    const char *run = m_p; // unescaped bytes not yet copied
    const auto flush = [&] {
        if (out && m_p > run) {
            std::memcpy(out, run, std::size_t(m_p - run));
            out += m_p - run;
        }
    };
    char32_t pendingHigh = 0; // an escaped high surrogate waiting for its low half
    bool unpaired = false;
    // The text's escapes are noted, and whether each is the one that
    // AppendJsonStringBody writes for its character; the DEL and C1 controls
    // it escapes must not be there unescaped.
    const bool noting = into == &m_text;
    if (noting) {
        m_escapes.clear();
        m_passed = 0;
        m_verbatim = true;
    }
    // A note costs 16 bytes, and its escape may save the text as little as
    // one: past what they save (and a fixed allowance), the notes stop and
    // the text is escaped anew on the way out, as it would be written.
    const auto note = [&](std::size_t at, std::size_t saved) {
        const std::size_t extra = (m_escapes.empty() ? 0 : m_escapes.back().extra) + saved;
        if (m_verbatim && m_escapes.size() >= (extra + NotesAllowance) / (2 * sizeof(Escape)))
            m_verbatim = false;
        if (m_verbatim)
            m_escapes.push_back({at, extra});
    };
    for (;;) {
        if (m_p >= m_end)
            return fail("invalid JSON: a string does not end");
#if TOVRIK_SSE2
        // Sixteen bytes at a time that are neither a quote, a backslash nor
        // a control character (nor DEL or C2, which starts the C1 controls).
        if (!pendingHigh && m_end - m_p >= 16) {
            flush(); // what the bytes before left (usually nothing)
            while (m_end - m_p >= 16) {
                const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(m_p));
                // Stored as they are: the plain ones among them are kept.
                if (out)
                    _mm_storeu_si128(reinterpret_cast<__m128i *>(out), bytes);
                const __m128i printable =
                    _mm_cmpeq_epi8(_mm_max_epu8(bytes, _mm_set1_epi8(0x20)), bytes);
                const __m128i special =
                    _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('"')),
                                              _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\\'))),
                                 _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(0x7F)),
                                              _mm_cmpeq_epi8(bytes, _mm_set1_epi8(char(0xC2)))));
                const int plainBytes = _mm_movemask_epi8(_mm_andnot_si128(special, printable));
                if (plainBytes != 0xFFFF) {
                    // Straight to the first byte that needs a look.
                    const int skip = std::countr_zero(unsigned(~plainBytes));
                    high |= _mm_movemask_epi8(bytes) & ((1 << skip) - 1);
                    m_p += skip;
                    if (out)
                        out += skip;
                    // \" and \\, the escapes texts hold most, are taken here
                    // (written as they came, so the line's bytes stay usable).
                    if (m_end - m_p >= 2 && *m_p == '\\' && (m_p[1] == '"' || m_p[1] == '\\')) {
                        if (noting)
                            note(std::size_t(out - into->data()), 1);
                        if (out)
                            *out++ = m_p[1];
                        m_p += 2;
                        continue;
                    }
                    break;
                }
                high |= _mm_movemask_epi8(bytes);
                m_p += 16;
                if (out)
                    out += 16;
            }
            run = m_p;
            if (m_p >= m_end)
                continue;
        }
#endif
        const unsigned char c = static_cast<unsigned char>(*m_p);
        if (c == '"')
            break;
        if (c < 0x20)
            return fail("invalid JSON: a control character inside a string");
        if (c != '\\') {
            // U+0080 to U+009F, the C1 controls, are C2 80 to C2 9F.
            if (noting && (c == 0x7F || (c == 0xC2 && m_end - m_p > 1 &&
                                         static_cast<unsigned char>(m_p[1]) < 0xA0)))
                m_verbatim = false;
            high |= c & 0x80;
            if (pendingHigh) {
                unpaired = true;
                pendingHigh = 0;
            }
            ++m_p;
            continue;
        }
        flush();
        if (m_end - m_p < 2)
            return fail("invalid JSON: a string does not end");
        char32_t unit = 0;
        const char *escape = m_p;
        switch (m_p[1]) {
        case '"':
        case '\\':
        case '/':
            unit = char32_t(m_p[1]);
            break;
        case 'b':
            unit = '\b';
            break;
        case 'f':
            unit = '\f';
            break;
        case 'n':
            unit = '\n';
            break;
        case 'r':
            unit = '\r';
            break;
        case 't':
            unit = '\t';
            break;
        case 'u': {
            if (m_end - m_p < 6)
                return fail("invalid JSON: a \\u escape needs four hex digits");
            int value = 0;
            for (int k = 2; k < 6; ++k) {
                const int digit = hexValue(m_p[k]);
                if (digit < 0)
                    return fail("invalid JSON: a \\u escape needs four hex digits");
                value = value * 16 + digit;
            }
            unit = char32_t(value);
            m_p += 4;
            break;
        }
        default:
            return fail("invalid JSON: an unknown escape in a string");
        }
        m_p += 2;
        run = m_p;
        if (noting) {
            // (A surrogate is never written escaped: the line's own bytes
            // cannot be copied then, and the counts do not matter.)
            const std::size_t length = std::size_t(m_p - escape);
            // \" and \\ are written as they came; the others are looked at.
            if (length != 2 || (escape[1] != '"' && escape[1] != '\\')) {
                char written[8];
                bool same = needsEscape(unit) &&
                            std::size_t(writeEscape(unit, written) - written) == length;
                for (std::size_t k = 2; same && k < length; ++k)
                    same = written[k] == escape[k]; // (the backslash and the letter match)
                m_verbatim = m_verbatim && same;
            }
            note(std::size_t(out - into->data()), length - (unit < 0x80 ? 1 : 2));
        }
        if (pendingHigh && isLow(unit)) {
            // The pair is one character.
            if (out)
                out = core::EncodeUtf8(0x10000 + ((pendingHigh - 0xD800) << 10) + (unit - 0xDC00),
                                       out);
            pendingHigh = 0;
            continue;
        }
        if (pendingHigh || isLow(unit))
            unpaired = true;
        pendingHigh = isHigh(unit) ? unit : 0;
        if (out && !pendingHigh && !isLow(unit))
            out = core::EncodeUtf8(unit, out);
    }
    flush();
    raw = std::string_view(start, std::size_t(m_p - start));
    if (high && !m_wellFormed && core::FirstInvalidUtf8(raw.data(), raw.size()) >= 0)
        return fail("invalid UTF-8");
    ++m_p; // the closing quote
    if (into)
        *size = std::size_t(out - into->data());
    if (lone)
        *lone = unpaired || pendingHigh;
    return true;
}

bool JsonRecordParser::number() {
    const char *start = m_p;
    expect('-');
    if (expect('0')) {
    } else if (m_p < m_end && isDigit(*m_p)) {
        while (m_p < m_end && isDigit(*m_p))
            ++m_p;
    } else {
        return fail("invalid JSON: a bad number");
    }
    if (expect('.')) {
        if (m_p >= m_end || !isDigit(*m_p))
            return fail("invalid JSON: a bad number");
        while (m_p < m_end && isDigit(*m_p))
            ++m_p;
    }
    if (m_p < m_end && (*m_p == 'e' || *m_p == 'E')) {
        ++m_p;
        if (!expect('+'))
            expect('-');
        if (m_p >= m_end || !isDigit(*m_p))
            return fail("invalid JSON: a bad number");
        while (m_p < m_end && isDigit(*m_p))
            ++m_p;
    }
    return m_p > start;
}

bool JsonRecordParser::value(int depth) {
    if (depth > MaximumDepth)
        return fail("invalid JSON: nested too deeply");
    if (m_p >= m_end)
        return fail("invalid JSON: a value was expected");
    std::string_view raw;
    const auto literal = [&](std::string_view word) {
        if (std::size_t(m_end - m_p) < word.size() || std::string_view(m_p, word.size()) != word)
            return fail("invalid JSON: a value was expected");
        m_p += word.size();
        return true;
    };
    switch (*m_p) {
    case '"':
        return string(raw);
    case 't':
        return literal("true");
    case 'f':
        return literal("false");
    case 'n':
        return literal("null");
    case '[':
        ++m_p;
        skipBlanks();
        if (expect(']'))
            return true;
        for (;;) {
            if (!value(depth + 1))
                return false;
            skipBlanks();
            if (expect(']'))
                return true;
            if (!expect(','))
                return fail("invalid JSON: ',' or ']' expected");
            skipBlanks();
        }
    case '{':
        ++m_p;
        skipBlanks();
        if (expect('}'))
            return true;
        for (;;) {
            if (m_p >= m_end || *m_p != '"')
                return fail("invalid JSON: a member name was expected");
            if (!string(raw))
                return false;
            skipBlanks();
            if (!expect(':'))
                return fail("invalid JSON: ':' expected");
            skipBlanks();
            if (!value(depth + 1))
                return false;
            skipBlanks();
            if (expect('}'))
                return true;
            if (!expect(','))
                return fail("invalid JSON: ',' or '}' expected");
            skipBlanks();
        }
    default:
        if (*m_p == '-' || isDigit(*m_p))
            return number();
        return fail("invalid JSON: a value was expected");
    }
}

bool JsonRecordParser::parse(std::string_view line, bool wellFormed, std::ptrdiff_t before) {
    m_wellFormed = wellFormed;
    if (parseObject(line))
        return true;
    if (wellFormed)
        return false;
    // Bytes that are no UTF-8 are the first thing wrong with a line. Its id
    // still names it where the rest is sound JSON and the id itself UTF-8:
    // the line is read again without looking at its strings' bytes.
    const std::ptrdiff_t bad = core::FirstInvalidUtf8(line.data(), line.size());
    if (bad < 0)
        return false;
    m_wellFormed = true;
    parseObject(line);
    const std::string_view id = m_id; // none when the line is no sound JSON
    std::snprintf(m_errorText, sizeof m_errorText, "invalid UTF-8 at byte %td", before + bad);
    fail(m_errorText);
    if (core::FirstInvalidUtf8(id.data(), id.size()) < 0)
        m_id = id;
    return false;
}

bool JsonRecordParser::parseObject(std::string_view line) {
    m_p = line.data();
    m_end = m_p + line.size();
    m_error = nullptr;
    m_textSize = 0;
    m_id = {};
    m_verbatim = false;
    // A well-formed object can still be no record; its id is then known.
    const char *textProblem = "no \"text\"";
    const char *idProblem = nullptr;

    skipBlanks();
    if (!expect('{'))
        return fail("not a JSON object");
    skipBlanks();
    if (!expect('}')) {
        for (;;) {
            if (m_p >= m_end || *m_p != '"')
                return fail("invalid JSON: a member name was expected");
            const char *nameStart = m_p;
            std::string_view name;
            // The two names that count, as they are nearly always written,
            // are known at a glance.
            if (m_end - m_p >= 6 && std::memcmp(m_p, R"("text")", 6) == 0) {
                name = "text";
                m_p += 6;
            } else if (m_end - m_p >= 4 && std::memcmp(m_p, R"("id")", 4) == 0) {
                name = "id";
                m_p += 4;
            } else if (!string(name)) {
                return false;
            } else if (name.find('\\') != std::string_view::npos) { // read it again, decoded
                std::size_t size = 0;
                m_p = nameStart;
                string(name, &m_name, &size);
                const std::string_view decoded(m_name.data(), size);
                name = decoded == "text" ? "text" : decoded == "id" ? "id" : "";
            }
            skipBlanks();
            if (!expect(':'))
                return fail("invalid JSON: ':' expected");
            skipBlanks();
            const char *start = m_p;
            if (name == "text") {
                bool lone = false;
                std::string_view raw;
                const bool isString = m_p < m_end && *m_p == '"';
                if (isString ? !string(raw, &m_text, &m_textSize, &lone) : !value(0))
                    return false;
                m_textRaw = raw;
                m_verbatim = m_verbatim && isString;
                textProblem = !isString ? "\"text\" is not a string"
                              : lone    ? "\"text\" holds an unpaired surrogate"
                                        : nullptr;
            } else if (name == "id") {
                if (!value(0))
                    return false;
                const char first = *start;
                const bool given = first == '"' || first == '-' || isDigit(first);
                m_id =
                    given ? std::string_view(start, std::size_t(m_p - start)) : std::string_view();
                idProblem = given || first == 'n' ? nullptr : "\"id\" is not a string or a number";
            } else if (!value(0)) {
                return false;
            }
            skipBlanks();
            if (expect('}'))
                break;
            if (!expect(','))
                return fail("invalid JSON: ',' or '}' expected");
            skipBlanks();
        }
    }
    skipBlanks();
    if (m_p != m_end)
        return fail("invalid JSON: more after the object");
    m_error = textProblem ? textProblem : idProblem;
    return !m_error;
}

void JsonRecordParser::appendText(ByteBuffer &out, std::string_view part) const {
    const std::less<const char *> before;
    const char *text = m_text.data();
    if (!m_verbatim || before(part.data(), text) ||
        before(text + m_textSize, part.data() + part.size())) {
        AppendJsonStringBody(out, part);
        return;
    }
    // Where a place in the text is in the line: the escapes before it add
    // their extra bytes. Pieces come in order, so the escapes are searched
    // from where the last search ended.
    const auto inLine = [&](std::size_t at) {
        if (m_passed > 0 && m_escapes[m_passed - 1].at >= at)
            m_passed = 0; // an earlier place than last time
        while (m_passed < m_escapes.size() && m_escapes[m_passed].at < at)
            ++m_passed;
        return at + (m_passed == 0 ? 0 : m_escapes[m_passed - 1].extra);
    };
    const std::size_t from = std::size_t(part.data() - text);
    const std::size_t begin = inLine(from);
    out.append(m_textRaw.substr(begin, inLine(from + part.size()) - begin));
}

} // namespace tovrik::cli
