#include "json.h"

#include "utf8.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace tovrik {

void ByteBuffer::grow(std::size_t extra) {
    const std::size_t capacity = std::max({m_capacity * 2, m_size + extra, std::size_t(4096)});
    std::unique_ptr<char[]> data(new char[capacity]);
    if (m_size > 0)
        std::memcpy(data.get(), m_data.get(), m_size);
    m_data = std::move(data);
    m_capacity = capacity;
}

void ByteBuffer::appendNumber(long long value) {
    char digits[24];
    char *end = digits + sizeof digits;
    char *p = end;
    const bool negative = value < 0;
    unsigned long long rest =
        negative ? 0ull - (unsigned long long)value : (unsigned long long)value;
    do {
        *--p = char('0' + rest % 10);
        rest /= 10;
    } while (rest > 0);
    if (negative)
        *--p = '-';
    append(std::string_view(p, std::size_t(end - p)));
}

namespace {

// One code unit (or a surrogate pair) as UTF-8; an unpaired surrogate, which
// valid input never gives, as U+FFFD.
inline char *putUtf8(char *o, const char16_t *p, qsizetype &i, qsizetype n) {
    const char32_t c = p[i];
    if (c < 0x80) {
        *o++ = char(c);
    } else if (c < 0x800) {
        *o++ = char(0xC0 | (c >> 6));
        *o++ = char(0x80 | (c & 0x3F));
    } else if (c >= 0xD800 && c < 0xE000) {
        if (c < 0xDC00 && i + 1 < n && p[i + 1] >= 0xDC00 && p[i + 1] < 0xE000) {
            const char32_t code = 0x10000 + ((c - 0xD800) << 10) + (p[++i] - 0xDC00);
            *o++ = char(0xF0 | (code >> 18));
            *o++ = char(0x80 | ((code >> 12) & 0x3F));
            *o++ = char(0x80 | ((code >> 6) & 0x3F));
            *o++ = char(0x80 | (code & 0x3F));
        } else {
            *o++ = char(0xEF);
            *o++ = char(0xBF);
            *o++ = char(0xBD);
        }
    } else {
        *o++ = char(0xE0 | (c >> 12));
        *o++ = char(0x80 | ((c >> 6) & 0x3F));
        *o++ = char(0x80 | (c & 0x3F));
    }
    return o;
}

} // namespace

void AppendUtf8(ByteBuffer &out, QStringView text) {
    const char16_t *p = text.utf16();
    const qsizetype n = text.size();
    char *o = out.tail(std::size_t(n) * 3);
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] < 0x80)
            *o++ = char(p[i]);
        else
            o = putUtf8(o, p, i, n);
    }
    out.setEnd(o);
}

void AppendJsonStringBody(ByteBuffer &out, QStringView text) {
    static constexpr char Hex[] = "0123456789abcdef";
    const char16_t *p = text.utf16();
    const qsizetype n = text.size();
    char *o = out.tail(std::size_t(n) * 6); // \u00XX is the longest form of a unit
    for (qsizetype i = 0; i < n;) {
#ifdef __SSE2__
        // Eight printable ASCII units at a time, none a quote or a backslash;
        // then up to eight one by one.
        while (n - i >= 8) {
            const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
            const __m128i shifted = _mm_sub_epi16(units, _mm_set1_epi16(0x20 - 0x8000));
            const __m128i outside = _mm_cmpgt_epi16(shifted, _mm_set1_epi16(0x7E - 0x20 - 0x8000));
            const __m128i special = _mm_or_si128(_mm_cmpeq_epi16(units, _mm_set1_epi16(u'"')),
                                                 _mm_cmpeq_epi16(units, _mm_set1_epi16(u'\\')));
            const int unsafe = _mm_movemask_epi8(_mm_or_si128(outside, special));
            // All eight go out; those up to the first that needs a look count.
            _mm_storel_epi64(reinterpret_cast<__m128i *>(o), _mm_packus_epi16(units, units));
            const int safe = unsafe == 0 ? 8 : std::countr_zero(unsigned(unsafe)) / 2;
            o += safe;
            i += safe;
            if (safe < 8)
                break;
        }
        const qsizetype stop = qMin(n, i + 8);
#else
        const qsizetype stop = n;
#endif
        for (; i < stop; ++i) {
            const char16_t c = p[i];
            if (c >= 0x20 && c < 0x7F && c != u'"' && c != u'\\') {
                *o++ = char(c);
                continue;
            }
            if (c > 0x9F) {
                o = putUtf8(o, p, i, n);
                continue;
            }
            *o++ = '\\';
            switch (c) {
            case u'"':
            case u'\\':
                *o++ = char(c);
                break;
            case u'\n':
                *o++ = 'n';
                break;
            case u'\r':
                *o++ = 'r';
                break;
            case u'\t':
                *o++ = 't';
                break;
            case u'\b':
                *o++ = 'b';
                break;
            case u'\f':
                *o++ = 'f';
                break;
            default: // the other C0 controls, DEL and the C1 controls
                *o++ = 'u';
                *o++ = '0';
                *o++ = '0';
                *o++ = Hex[c >> 4];
                *o++ = Hex[c & 0xF];
            }
        }
    }
    out.setEnd(o);
}

void AppendJsonString(ByteBuffer &out, QStringView text) {
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

bool isHigh(char16_t u) {
    return u >= 0xD800 && u < 0xDC00;
}
bool isLow(char16_t u) {
    return u >= 0xDC00 && u < 0xE000;
}

// Deeper nesting than this in a member nobody reads is refused, not followed.
constexpr int MaximumDepth = 256;

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

bool JsonRecordParser::string(std::string_view &raw, std::vector<char16_t> *into, qsizetype *size,
                              bool *lone) {
    ++m_p; // the opening quote
    const char *start = m_p;
    char16_t *out = nullptr;
    if (into) {
        // A UTF-16 string never has more code units than its UTF-8 has bytes.
        const std::size_t most = std::size_t(m_end - m_p);
        if (into->size() < most)
            into->resize(most);
        out = into->data();
    }
    int high = 0;          // a byte of a multi-byte sequence was seen
    const char *run = m_p; // unescaped bytes not yet decoded
    bool invalid = false;  // a decoded run was not UTF-8
    const auto flush = [&] {
        if (out && m_p > run && !invalid) {
            char16_t *end = DecodeUtf8(run, std::size_t(m_p - run), out);
            invalid = !end;
            out = end ? end : out;
        }
    };
    char16_t pendingHigh = 0; // an escaped high surrogate waiting for its low half
    bool unpaired = false;
    for (;;) {
        if (m_p >= m_end)
            return fail("invalid JSON: a string does not end");
#ifdef __SSE2__
        // Sixteen bytes at a time that are neither a quote, a backslash nor
        // a control character.
        if (!pendingHigh) {
            while (m_end - m_p >= 16) {
                const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(m_p));
                const __m128i printable =
                    _mm_cmpeq_epi8(_mm_max_epu8(bytes, _mm_set1_epi8(0x20)), bytes);
                const __m128i special = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('"')),
                                                     _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\\')));
                const int plainBytes = _mm_movemask_epi8(_mm_andnot_si128(special, printable));
                if (plainBytes != 0xFFFF) {
                    // Straight to the first byte that needs a look.
                    const int skip = std::countr_zero(unsigned(~plainBytes));
                    high |= _mm_movemask_epi8(bytes) & ((1 << skip) - 1);
                    m_p += skip;
                    break;
                }
                high |= _mm_movemask_epi8(bytes);
                m_p += 16;
            }
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
        char16_t unit = 0;
        switch (m_p[1]) {
        case '"':
        case '\\':
        case '/':
            unit = char16_t(m_p[1]);
            break;
        case 'b':
            unit = u'\b';
            break;
        case 'f':
            unit = u'\f';
            break;
        case 'n':
            unit = u'\n';
            break;
        case 'r':
            unit = u'\r';
            break;
        case 't':
            unit = u'\t';
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
            unit = char16_t(value);
            m_p += 4;
            break;
        }
        default:
            return fail("invalid JSON: an unknown escape in a string");
        }
        m_p += 2;
        if (pendingHigh && !isLow(unit))
            unpaired = true;
        else if (!pendingHigh && isLow(unit))
            unpaired = true;
        pendingHigh = isHigh(unit) ? unit : 0;
        if (out)
            *out++ = unit;
        run = m_p;
    }
    flush();
    raw = std::string_view(start, std::size_t(m_p - start));
    // The decoder checks what it decodes; other strings are checked here.
    if (out ? invalid : high && FirstInvalidUtf8(raw.data(), raw.size()) >= 0)
        return fail("invalid UTF-8");
    ++m_p; // the closing quote
    if (into)
        *size = out - into->data();
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

bool JsonRecordParser::parse(std::string_view line) {
    if (parseObject(line))
        return true;
    // Bytes that are no UTF-8 are the first thing wrong with a line.
    const std::ptrdiff_t bad = FirstInvalidUtf8(line.data(), line.size());
    if (bad >= 0) {
        std::snprintf(m_errorText, sizeof m_errorText, "invalid UTF-8 at byte %td", bad);
        fail(m_errorText);
    }
    return false;
}

bool JsonRecordParser::parseObject(std::string_view line) {
    m_p = line.data();
    m_end = m_p + line.size();
    m_error = nullptr;
    m_textSize = 0;
    m_id = {};
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
            if (!string(name))
                return false;
            if (name.find('\\') != std::string_view::npos) { // read it again, decoded
                qsizetype size = 0;
                m_p = nameStart;
                string(name, &m_name, &size);
                const QStringView decoded(m_name.data(), size);
                name = decoded == u"text" ? "text" : decoded == u"id" ? "id" : "";
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

} // namespace tovrik
