#include "records.h"

#include "input.h"
#include "json.h"
#include "output.h"
#include "utf8.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

using namespace Qt::StringLiterals;

namespace tovrik {

namespace {

constexpr std::string_view Bom = "\xEF\xBB\xBF";
constexpr std::size_t Chunk = 1 << 18; // bytes asked for by one read
constexpr const char *NoRoom = "the numbering leaves no room for the text";

void reportReadFault(const ReadFault &fault) {
    std::fprintf(stderr, "tovrik-split: cannot read the input: %s\n", std::strerror(fault.error));
}

// Buffered output to a file descriptor that notices write failures.
class Sink {
public:
    Sink(int fd, bool flushEachLine) : m_fd(fd), m_flushEachLine(flushEachLine) {}

    ByteBuffer &buffer() { return m_buffer; }

    // A line (or piece) is complete.
    void lineDone() {
        if (m_flushEachLine || m_buffer.size() >= (1u << 20))
            flush();
    }

    bool flush() {
        try {
            if (!m_failed)
                WriteAll(m_fd, m_buffer.view());
        } catch (const WriteFault &fault) {
            m_failed = true;
            std::fprintf(stderr, "tovrik-split: cannot write the output: %s\n",
                         std::strerror(fault.error));
        }
        m_buffer.clear();
        return !m_failed;
    }

private:
    int m_fd;
    bool m_flushEachLine;
    bool m_failed = false;
    ByteBuffer m_buffer;
};

// Records ended by one byte, read in chunks; a final record without its end
// byte counts. Holds no more than the longest record and one chunk.
class RecordReader {
public:
    RecordReader(int fd, char end) : m_fd(fd), m_end(end) {}

    // The next record without its end byte, valid until the next call; false
    // at the end of the input or when reading failed (failed() tells).
    bool next(std::string_view &record) {
        for (;;) {
            const char *start = m_data.get() + m_begin;
            if (const void *hit = m_size > m_scanned
                                      ? std::memchr(start + m_scanned, m_end, m_size - m_scanned)
                                      : nullptr) {
                const std::size_t length = std::size_t(static_cast<const char *>(hit) - start);
                record = std::string_view(start, length);
                m_begin += length + 1;
                m_size -= length + 1;
                m_scanned = 0;
                return true;
            }
            m_scanned = m_size;
            if (m_eof || m_failed) {
                if (m_size == 0 || m_failed)
                    return false;
                record = std::string_view(start, m_size);
                m_begin += m_size;
                m_size = m_scanned = 0;
                return true;
            }
            fill();
        }
    }

    bool failed() const { return m_failed; }

private:
    void fill() {
        // The unfinished record moves to the front; the buffer grows only
        // when that record alone leaves no room for a chunk.
        if (m_begin > 0 && m_size > 0)
            std::memmove(m_data.get(), m_data.get() + m_begin, m_size);
        m_begin = 0;
        if (m_capacity - m_size < Chunk) {
            const std::size_t capacity = std::max(m_capacity * 2, m_size + Chunk);
            std::unique_ptr<char[]> data(new char[capacity]);
            if (m_size > 0)
                std::memcpy(data.get(), m_data.get(), m_size);
            m_data = std::move(data);
            m_capacity = capacity;
        }
        try {
            const std::size_t got = ReadSome(m_fd, m_data.get() + m_size, m_capacity - m_size);
            m_size += got;
            m_eof = got == 0;
        } catch (const ReadFault &fault) {
            reportReadFault(fault);
            m_failed = true;
        }
    }

    int m_fd;
    char m_end;
    std::unique_ptr<char[]> m_data;
    std::size_t m_capacity = 0;
    std::size_t m_begin = 0;   // where the unread records start
    std::size_t m_size = 0;    // bytes from there on
    std::size_t m_scanned = 0; // of which hold no end byte
    bool m_eof = false;
    bool m_failed = false;
};

// Cuts messages and writes them out as text pieces or JSON lines.
class MessageWriter {
public:
    explicit MessageWriter(const RecordOptions &options) {
        if (options.number)
            m_number = NumberFormat::parse(*options.number, nullptr);
        m_options = {options.sms, options.mode, options.limit, m_number ? &*m_number : nullptr};
    }

    // One JSON line; false (and nothing written) when the message cannot be
    // cut. record 0: no "record" member.
    bool writeJson(ByteBuffer &out, QStringView message, std::string_view id, qint64 record) {
        if (!m_splitter.split(message, m_options))
            return false;
        writeId(out, id, record);
        out.append(R"(,"encoding":")");
        out.append(encodingName(m_splitter.messageEncoding()));
        out.append(R"(","segments":)");
        out.appendNumber(m_splitter.segments());
        out.append(R"(,"parts":[)");
        const qsizetype count = qsizetype(m_splitter.pieces().size());
        for (qsizetype i = 0; i < count; ++i) {
            out.append(i == 0 ? R"({"text":")" : R"(,{"text":")");
            render(i, [&](QStringView text) { AppendJsonStringBody(out, text); });
            const PieceSplitter::Cost cost = m_splitter.cost(i);
            out.append(R"(","encoding":")");
            out.append(encodingName(cost.encoding));
            out.append(R"(","units":)");
            out.appendNumber(cost.units);
            out.append('}');
        }
        out.append("]}\n");
        return true;
    }

    void writeError(ByteBuffer &out, std::string_view id, qint64 record, const char *error) {
        writeId(out, id, record);
        out.append(R"(,"error":)");
        AppendJsonString(out, QString::fromUtf8(error));
        out.append("}\n");
    }

    // Each piece and then the end byte; false when the message cannot be cut.
    template <class PieceDone>
    bool writeText(Sink &sink, QStringView message, char end, PieceDone &&pieceDone) {
        if (!m_splitter.split(message, m_options))
            return false;
        for (qsizetype i = 0; i < qsizetype(m_splitter.pieces().size()); ++i) {
            render(i, [&](QStringView text) { AppendUtf8(sink.buffer(), text); });
            sink.buffer().append(end);
            pieceDone();
        }
        return true;
    }

private:
    static std::string_view encodingName(SmsEncoding encoding) {
        const QLatin1StringView name = SmsEncodingName(encoding);
        return {name.data(), std::size_t(name.size())};
    }

    static void writeId(ByteBuffer &out, std::string_view id, qint64 record) {
        out.append(R"({"id":)");
        out.append(id.empty() ? std::string_view("null") : id);
        if (record > 0) {
            out.append(R"(,"record":)");
            out.appendNumber(record);
        }
    }

    template <class Append> void render(qsizetype index, Append &&append) {
        const QStringView piece = m_splitter.pieces()[std::size_t(index)];
        if (m_number)
            m_number->render(index + 1, qsizetype(m_splitter.pieces().size()), piece, append);
        else
            append(piece);
    }

    std::optional<NumberFormat> m_number;
    PieceOptions m_options;
    PieceSplitter m_splitter;
};

} // namespace

QString OptionsError(const RecordOptions &options) {
    if (options.sms != SmsUnits::Off && options.limitGiven)
        return u"--limit cannot be given with --sms: an SMS sets its own limit"_s;
    if (options.records != RecordFormat::None && !options.json)
        return u"--records needs --json"_s;
    if (options.json && options.null)
        return u"--null cannot be given with --json"_s;
    if (options.number) {
        QString error;
        if (!NumberFormat::parse(*options.number, &error))
            return u"--number: "_s + error;
    }
    return {};
}

int RunMessage(const RecordOptions &options, QStringView message, int outputFd) {
    MessageWriter writer(options);
    Sink sink(outputFd, options.flush);
    bool cut = true;
    if (options.json) {
        cut = writer.writeJson(sink.buffer(), message, {}, 0);
        if (!cut)
            writer.writeError(sink.buffer(), {}, 0, NoRoom);
    } else {
        cut = writer.writeText(sink, message, options.null ? '\0' : '\n', [&] { sink.lineDone(); });
        if (!cut)
            std::fprintf(stderr, "tovrik-split: %s\n", NoRoom);
    }
    const bool written = sink.flush();
    return cut && written ? 0 : 1;
}

int RunMessageFrom(const RecordOptions &options, int inputFd, int outputFd) {
    std::string bytes;
    try {
        std::size_t size = 0;
        for (std::size_t got = 1; got > 0; size += got) {
            if (bytes.size() - size < Chunk)
                bytes.resize(std::max(bytes.size() * 2, size + Chunk));
            got = ReadSome(inputFd, bytes.data() + size, bytes.size() - size);
        }
        bytes.resize(size);
    } catch (const ReadFault &fault) {
        reportReadFault(fault);
        return 1;
    }

    // As the plain cut: one byte-order mark is dropped, a second one is a
    // character, and an offset counts from the very first byte. The decoder
    // checks the bytes; only a failure is looked at again, for where it is.
    std::string_view text = bytes;
    if (text.starts_with(Bom))
        text.remove_prefix(Bom.size());
    std::vector<char16_t> units(text.size());
    const char16_t *end = DecodeUtf8(text.data(), text.size(), units.data());
    char invalid[64];
    const char *error = nullptr;
    if (!end) {
        std::snprintf(invalid, sizeof invalid, "invalid UTF-8 at byte %td",
                      FirstInvalidUtf8(bytes.data(), bytes.size()));
        error = invalid;
    } else if (options.null && text.find('\0') != std::string_view::npos) {
        error = "the input holds a NUL byte; --null output would be ambiguous";
    }
    if (error) {
        if (!options.json) {
            std::fprintf(stderr, "tovrik-split: %s\n", error);
            return 1;
        }
        Sink sink(outputFd, options.flush);
        MessageWriter(options).writeError(sink.buffer(), {}, 0, error);
        sink.flush();
        return 1;
    }
    return RunMessage(options, QStringView(units.data(), end - units.data()), outputFd);
}

int RunRecords(const RecordOptions &options, int inputFd, int outputFd) {
    MessageWriter writer(options);
    RecordReader reader(inputFd, options.records == RecordFormat::Nul ? '\0' : '\n');
    Sink sink(outputFd, options.flush);
    JsonRecordParser parser;
    std::vector<char16_t> text;
    bool anyFailed = false;
    char invalid[64];

    std::string_view bytes;
    for (qint64 record = 1; reader.next(bytes); ++record) {
        // A byte-order mark marks the encoding; it is not part of a record.
        if (record == 1 && bytes.substr(0, 3) == Bom)
            bytes.remove_prefix(3);
        // A CR LF line end is a line end.
        if (options.records == RecordFormat::Lines && !bytes.empty() && bytes.back() == '\r')
            bytes.remove_suffix(1);

        const char *error = nullptr;
        std::string_view id;
        QStringView message;
        if (options.records == RecordFormat::Jsonl) {
            if (parser.parse(bytes))
                message = parser.text();
            else
                error = parser.error();
            id = parser.id();
        } else {
            // The decoder checks the bytes as it goes; only a failure is looked
            // at again, for where it is.
            if (text.size() < bytes.size())
                text.resize(bytes.size());
            const char16_t *end = DecodeUtf8(bytes.data(), bytes.size(), text.data());
            if (end)
                message = QStringView(text.data(), end - text.data());
            else {
                std::snprintf(invalid, sizeof invalid, "invalid UTF-8 at byte %td",
                              FirstInvalidUtf8(bytes.data(), bytes.size()));
                error = invalid;
            }
        }

        const qint64 number = options.records == RecordFormat::Jsonl ? 0 : record;
        if (!error && !writer.writeJson(sink.buffer(), message, id, number))
            error = NoRoom;
        if (error) {
            writer.writeError(sink.buffer(), id, record, error);
            anyFailed = true;
        }
        sink.lineDone();
    }
    const bool written = sink.flush();
    return anyFailed || reader.failed() || !written ? 1 : 0;
}

} // namespace tovrik
