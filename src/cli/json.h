#pragma once

#include "cli/output.h"

#include <cstddef>
#include <string_view>
#include <vector>

// JSON for tovrik-split's records: strings written out, and the one object
// per input line read in. Text is UTF-8 throughout.

namespace tovrik::cli {

// The text (well-formed UTF-8) as a JSON string, quotes included. Every
// control character (C0, DEL and C1) is escaped; "\n", "\r", "\t", "\b" and
// "\f" by name, the others as \u00XX. Everything else is written as it is.
void AppendJsonString(ByteBuffer &out, std::string_view text);
// The same without the quotes, for a string written in stretches.
void AppendJsonStringBody(ByteBuffer &out, std::string_view text);

// Reads one line of JSON Lines input: an object with a string "text" and an
// optional "id", a string or a number (or null, the same as none). Other
// members are checked and skipped. A name given twice keeps its last value.
// Strict RFC 8259; the line must be UTF-8.
class JsonRecordParser {
public:
    // False with error() set when the line is no such object. The text and the
    // id stay valid until the next call; the id is kept when the line was
    // well-formed JSON all the same. A line the caller has checked already
    // (wellFormed: it is UTF-8) is not checked again. The offset of a byte
    // that is no UTF-8 counts `before` bytes more (a byte-order mark left
    // out of the first line).
    bool parse(std::string_view line, bool wellFormed = false, std::ptrdiff_t before = 0);

    // The text, unescaped: well-formed UTF-8.
    std::string_view text() const { return {m_text.data(), m_textSize}; }
    // The id exactly as the line gave it (a JSON token), or empty when none.
    std::string_view id() const { return m_id; }
    // A stretch of text() (or any other text) as AppendJsonStringBody writes
    // it. Most lines escape their text just as that does, and then the
    // stretch is copied from the line as it is, not escaped again.
    void appendText(ByteBuffer &out, std::string_view part) const;
    const char *error() const { return m_error; }

private:
    // Bytes that a resize leaves as they are: a string's room is its raw
    // length, and only what unescaping writes of it is ever touched.
    template <class T> struct Uninitialised : std::allocator<T> {
        void construct(T *) noexcept {}
    };
    using Unescaped = std::vector<char, Uninitialised<char>>;

    bool parseObject(std::string_view line);
    bool fail(const char *error);
    void skipBlanks();
    bool expect(char c);
    // A string at the cursor, its raw bytes (without quotes) in raw; unescaped
    // into *into when given, where *lone tells of a surrogate left unpaired.
    bool string(std::string_view &raw, Unescaped *into = nullptr, std::size_t *size = nullptr,
                bool *lone = nullptr);
    bool number();
    bool value(int depth);

    const char *m_p = nullptr;
    const char *m_end = nullptr;
    const char *m_error = nullptr;
    char m_errorText[48];
    Unescaped m_text;
    std::size_t m_textSize = 0;
    Unescaped m_name; // an escaped member name, unescaped
    std::string_view m_id;
    bool m_wellFormed = false; // the line is known to be UTF-8

    // Where the text's escapes are: at `at` in the text; up to and with this
    // one, `extra` more bytes in the line than in the text.
    struct Escape {
        std::size_t at;
        std::size_t extra;
    };
    std::string_view m_textRaw;       // the text as the line has it, escaped
    std::vector<Escape> m_escapes;    // in order
    mutable std::size_t m_passed = 0; // escapes before the place last asked for
    bool m_verbatim = false;          // the line escapes the text as we would
};

} // namespace tovrik::cli
