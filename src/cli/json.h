#pragma once

#include <QString>
#include <QStringView>

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

// JSON for tovrik-split's records: strings written out, and the one object
// per input line read in.

namespace tovrik {

// A growing byte buffer that is written through a pointer: no byte is
// cleared before it is written.
class ByteBuffer {
public:
    // Room for extra more bytes at the end; write there, then call setEnd.
    char *tail(std::size_t extra) {
        if (m_capacity - m_size < extra)
            grow(extra);
        return m_data.get() + m_size;
    }
    void setEnd(const char *end) { m_size = std::size_t(end - m_data.get()); }
    void append(std::string_view bytes) {
        char *out = tail(bytes.size());
        if (!bytes.empty())
            std::memcpy(out, bytes.data(), bytes.size());
        m_size += bytes.size();
    }
    void append(char c) { *tail(1) = c, ++m_size; }
    void appendNumber(long long value);
    std::string_view view() const { return {m_data.get(), m_size}; }
    std::size_t size() const { return m_size; }
    void clear() { m_size = 0; }

private:
    void grow(std::size_t extra);
    std::unique_ptr<char[]> m_data;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

// The text as UTF-8, appended.
void AppendUtf8(ByteBuffer &out, QStringView text);

// The text as a JSON string, quotes included, in UTF-8. Every control
// character (C0, DEL and C1) is escaped; "\n", "\r", "\t", "\b" and "\f" by
// name, the others as \u00XX.
void AppendJsonString(ByteBuffer &out, QStringView text);
// The same without the quotes, for a string written in stretches.
void AppendJsonStringBody(ByteBuffer &out, QStringView text);

// Reads one line of JSON Lines input: an object with a string "text" and an
// optional "id", a string or a number (or null, the same as none). Other
// members are checked and skipped. A name given twice keeps its last value.
// Strict RFC 8259, except that the line must be valid UTF-8 already.
class JsonRecordParser {
public:
    // False with error() set when the line is no such object. The text and the
    // id stay valid until the next call; the id is kept when the line was
    // well-formed JSON all the same.
    bool parse(std::string_view line);

    QStringView text() const { return QStringView(m_text.data(), m_textSize); }
    // The id exactly as the line gave it (a JSON token), or empty when none.
    std::string_view id() const { return m_id; }
    const char *error() const { return m_error; }

private:
    bool parseObject(std::string_view line);
    bool fail(const char *error);
    void skipBlanks();
    bool expect(char c);
    // A string at the cursor, its raw bytes (without quotes) in raw; decoded
    // into *into when given, where *lone tells of a surrogate left unpaired.
    bool string(std::string_view &raw, std::vector<char16_t> *into = nullptr,
                qsizetype *size = nullptr, bool *lone = nullptr);
    bool number();
    bool value(int depth);

    const char *m_p = nullptr;
    const char *m_end = nullptr;
    const char *m_error = nullptr;
    char m_errorText[48];
    std::vector<char16_t> m_text;
    qsizetype m_textSize = 0;
    std::vector<char16_t> m_name; // an escaped member name, decoded
    std::string_view m_id;
};

} // namespace tovrik
