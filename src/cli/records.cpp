#include "cli/records.h"

#include "cli/input.h"
#include "cli/json.h"
#include "cli/output.h"
#include "cli/quickrecords.h"
#include "core/icu.h"
#include "core/numbering.h"
#include "core/pieces.h"
#include "core/utf8.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace tovrik::cli {

namespace {

constexpr std::size_t Chunk = 1 << 18;     // bytes asked for by one read
constexpr std::size_t Threshold = 1 << 20; // output goes out in batches of this
constexpr const char *NoRoom = "the numbering leaves no room for the text";
constexpr const char *RefusedNul = "the input holds a NUL byte; --null output would be ambiguous";

void report(const std::string &text) {
    std::fprintf(stderr, "tovrik-split: %s\n", text.c_str());
}

// Records ended by one byte, read in chunks; a final record without its end
// byte counts. Holds no more than the longest record and one chunk.
class RecordReader {
public:
    // eachRecord: the bytes are checked record by record, and only for the
    // records asked about (where the caller checks most records itself);
    // otherwise all that is held at once.
    RecordReader(int fd, char end, bool eachRecord)
        : m_fd(fd), m_end(end), m_eachRecord(eachRecord) {}

    // The next record without its end byte, valid until the next call; false
    // at the end of the input. Throws ReadFault, and std::bad_alloc when a
    // record does not fit in memory.
    bool next(std::string_view &record) {
        for (;;) {
            const char *start = m_data.data() + m_begin;
            if (const void *hit = m_size > m_scanned
                                      ? std::memchr(start + m_scanned, m_end, m_size - m_scanned)
                                      : nullptr) {
                const std::size_t length = std::size_t(static_cast<const char *>(hit) - start);
                record = std::string_view(start, length);
                took(length);
                m_ended = true;
                m_begin += length + 1;
                m_size -= length + 1;
                m_scanned = 0;
                return true;
            }
            m_scanned = m_size;
            if (m_eof) {
                if (m_size == 0)
                    return false;
                record = std::string_view(start, m_size);
                took(m_size);
                m_ended = false;
                m_begin += m_size;
                m_size = m_scanned = 0;
                return true;
            }
            fill();
        }
    }

    // Whether the last record ended with the end byte (the input's last one
    // may not).
    bool ended() const { return m_ended; }

    // Whether the last record is well-formed UTF-8.
    bool wellFormed() {
        if (!m_known) {
            m_wellFormed = check();
            m_known = true;
        }
        return m_wellFormed;
    }

private:
    void took(std::size_t length) {
        m_record = m_begin;
        m_recordEnd = m_begin + length;
        m_known = false;
    }

    // Whether the last record is well-formed UTF-8. The bytes are checked
    // as they were read, all that is held at once rather than record by
    // record: records of a few hundred bytes are too short for the vector
    // checks to get going. A record starts after an end byte, which no
    // character holds, so where the check of the stream finds a fault is in
    // the record that holds the fault, and the check goes on from the start
    // of the record after it. (Records not asked about were checked by the
    // caller.)
    bool check() {
        m_checked = std::max(m_checked, m_record);
        if (m_checked >= m_recordEnd)
            return true;
        const std::size_t held = m_begin + m_size;
        const std::size_t until = m_eachRecord ? m_recordEnd : held;
        const core::Utf8Scan scan = core::ScanUtf8(m_data.data() + m_checked, until - m_checked,
                                                   m_eof || m_eachRecord, false);
        m_checked += scan.valid;
        if (m_checked >= m_recordEnd)
            return true;
        m_checked = m_recordEnd + 1; // where the next record starts
        return false;
    }

    void fill() {
        // The unfinished record moves to the front; the buffer grows only
        // when that record alone leaves no room for a chunk.
        if (m_begin > 0 && m_size > 0)
            std::memmove(m_data.data(), m_data.data() + m_begin, m_size);
        m_checked -= std::min(m_checked, m_begin);
        m_begin = 0;
        m_data.reserve(m_size + Chunk);
        const std::size_t got = ReadSome(m_fd, m_data.data() + m_size, m_data.capacity() - m_size);
        m_size += got;
        m_eof = got == 0;
    }

    int m_fd;
    char m_end;
    bool m_eachRecord;
    GrowingBuffer m_data;
    std::size_t m_begin = 0;   // where the unread records start
    std::size_t m_size = 0;    // bytes from there on
    std::size_t m_scanned = 0; // of which hold no end byte
    std::size_t m_checked = 0; // up to here the bytes are well-formed UTF-8
    std::size_t m_record = 0;  // where the last record starts and ends
    std::size_t m_recordEnd = 0;
    bool m_known = false; // whether the last record was checked
    bool m_wellFormed = false;
    bool m_eof = false;
    bool m_ended = false;
};

// Cuts messages and writes them out as text pieces or JSON lines.
class MessageWriter {
public:
    explicit MessageWriter(const Options &options) {
        if (options.number)
            m_number = core::NumberFormat::parse(*options.number, nullptr);
        m_options = {options.sms,     options.mode,
                     options.limit,   m_number ? &*m_number : nullptr,
                     options.replace, options.languages};
    }

    // One JSON line; false (and nothing written) when the message cannot be
    // cut. record 0: no "record" member. With spill, the line may go out in
    // stretches as it grows. A message read from a JSON line is written from
    // that line's bytes where it can be (source).
    bool writeJson(Output &out, std::string_view message, std::string_view id, std::int64_t record,
                   bool spill, const JsonRecordParser *source = nullptr) {
        if (!m_splitter.split(message, m_options))
            return false;
        ByteBuffer &buffer = out.buffer();
        // A text as long as a message (a word the cut keeps whole, the text
        // sent) goes out in stretches that end where a character does, so
        // that the line never holds it whole.
        const auto appendLong = [&](std::string_view text, auto &&append) {
            for (;;) {
                std::size_t size = std::min(text.size(), Threshold);
                while (size < text.size() &&
                       (static_cast<unsigned char>(text[size]) & 0xC0) == 0x80)
                    ++size;
                append(text.substr(0, size));
                text.remove_prefix(size);
                if (text.empty())
                    return;
                if (spill)
                    out.spill();
            }
        };
        writeId(buffer, id, record);
        buffer.append(R"(,"encoding":")");
        buffer.append(core::SmsEncodingName(m_splitter.messageEncoding()));
        buffer.append(R"(","segments":)");
        buffer.appendNumber(m_splitter.segments());
        const core::ShiftTables tables = m_splitter.tables();
        appendShift(buffer, tables);
        if (m_splitter.messageEncoding() == core::SmsEncoding::Ucs2) {
            // Why: the characters without a GSM-7 form, the first few by name.
            m_splitter.withoutGsm7(core::ShownWithoutGsm7, m_without);
            buffer.append(R"(,"nonGsm7":{"characters":[)");
            for (std::size_t i = 0; i < m_without.characters.size(); ++i) {
                if (i > 0)
                    buffer.append(',');
                AppendJsonString(buffer, m_without.characters[i]);
            }
            buffer.append(R"(],"more":)");
            buffer.appendNumber(std::int64_t(m_without.more));
            buffer.append('}');
        }
        if (m_options.replace != core::Replacement::Never) {
            // How many characters were replaced, and what is sent then.
            buffer.append(R"(,"replaced":)");
            buffer.appendNumber(std::int64_t(m_splitter.replaced()));
            if (m_splitter.replaced() > 0) {
                buffer.append(R"(,"sent":")");
                appendLong(m_splitter.text(),
                           [&](std::string_view text) { AppendJsonStringBody(buffer, text); });
                buffer.append('"');
            }
        }
        buffer.append(R"(,"parts":[)");
        const std::ptrdiff_t count = std::ptrdiff_t(m_splitter.pieces().size());
        for (std::ptrdiff_t i = 0; i < count; ++i) {
            buffer.append(i == 0 ? R"({"text":")" : R"(,{"text":")");
            render(i, [&](std::string_view text) {
                appendLong(text, [&](std::string_view stretch) {
                    if (source)
                        source->appendText(buffer, stretch);
                    else
                        AppendJsonStringBody(buffer, stretch);
                });
            });
            const core::PieceSplitter::Cost cost = m_splitter.cost(i);
            buffer.append(R"(","encoding":")");
            buffer.append(core::SmsEncodingName(cost.encoding));
            buffer.append(R"(","units":)");
            buffer.appendNumber(cost.units);
            if (cost.encoding == core::SmsEncoding::Gsm7)
                appendShift(buffer, tables);
            buffer.append('}');
            if (spill)
                out.spill();
        }
        buffer.append("]}\n");
        return true;
    }

    static void writeError(ByteBuffer &out, std::string_view id, std::int64_t record,
                           const std::string &error) {
        writeId(out, id, record);
        out.append(R"(,"error":)");
        AppendJsonString(out, error);
        out.append("}\n");
    }

    // Each piece and its end byte; false when the message cannot be cut.
    bool writeText(Output &out, std::string_view message) {
        if (!m_splitter.split(message, m_options))
            return false;
        for (std::ptrdiff_t i = 0; i < std::ptrdiff_t(m_splitter.pieces().size()); ++i) {
            if (!m_number) {
                out.piece(m_splitter.pieces()[std::size_t(i)]);
                continue;
            }
            render(i, [&](std::string_view text) { out.part(text); });
            out.piece({});
        }
        return true;
    }

private:
    // The national tables used, when there are any:
    // ,"shift":{"locking":"tr","single":"es"} (a default table is left out).
    static void appendShift(ByteBuffer &out, core::ShiftTables tables) {
        if (tables == core::ShiftTables{})
            return;
        out.append(R"(,"shift":{)");
        if (tables.locking != core::Language::Default) {
            out.append(R"("locking":")");
            out.append(core::LanguageCode(tables.locking));
            out.append('"');
        }
        if (tables.single != core::Language::Default) {
            out.append(tables.locking != core::Language::Default ? R"(,"single":")"
                                                                 : R"("single":")");
            out.append(core::LanguageCode(tables.single));
            out.append('"');
        }
        out.append('}');
    }

    static void writeId(ByteBuffer &out, std::string_view id, std::int64_t record) {
        out.append(R"({"id":)");
        out.append(id.empty() ? std::string_view("null") : id);
        if (record > 0) {
            out.append(R"(,"record":)");
            out.appendNumber(record);
        }
    }

    template <class Append> void render(std::ptrdiff_t index, Append &&append) {
        const std::string_view piece = m_splitter.pieces()[std::size_t(index)];
        if (m_number)
            m_number->render(index + 1, std::ptrdiff_t(m_splitter.pieces().size()), piece, append);
        else
            append(piece);
    }

    std::optional<core::NumberFormat> m_number;
    core::PieceOptions m_options;
    core::PieceSplitter m_splitter;
    core::WithoutGsm7 m_without;
};

std::string invalidAt(std::ptrdiff_t offset) {
    return "invalid UTF-8 at byte " + std::to_string(offset);
}

std::string cannotWrite(const WriteFault &fault) {
    return std::string("cannot write the output: ") + std::strerror(fault.error);
}

std::string cannotRead(const Options &options, const ReadFault &fault) {
    return options.inputName() + ": " + std::strerror(fault.error);
}

} // namespace

int RunMessage(const Options &options, std::string_view message, int outputFd) {
    MessageWriter writer(options);
    Output out(outputFd, options.null ? '\0' : '\n', Threshold, options.flush);
    try {
        const bool cut = options.json ? writer.writeJson(out, message, {}, 0, true)
                                      : writer.writeText(out, message);
        if (!cut) {
            report(NoRoom);
            if (options.json)
                MessageWriter::writeError(out.buffer(), {}, 0, NoRoom);
        }
        out.flush();
        return cut ? 0 : 1;
    } catch (const WriteFault &fault) {
        report(cannotWrite(fault));
        return 1;
    } catch (const std::bad_alloc &) {
        // Pieces that went out stay out; nothing more is written.
        report("out of memory: the message is too long");
        return 1;
    }
}

int RunMessageFrom(const Options &options, int inputFd, int outputFd) {
    GrowingBuffer room;
    std::size_t size = 0;
    std::string error;
    try {
        // A regular file is read into room of its own size at once.
        struct stat status {};
        if (::fstat(inputFd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0)
            room.reserve(std::size_t(status.st_size) + 1);
        // The bytes are checked as they arrive, and the first fault ends the
        // reading: an endless input that holds one is refused at once. (An
        // offset counts from the very first byte, byte-order mark or not; the
        // mark holds no NUL.)
        std::size_t checked = 0;
        for (std::size_t got = 1; got > 0 && error.empty();) {
            room.reserve(size + Chunk);
            got = ReadSome(inputFd, room.data() + size, room.capacity() - size);
            size += got;
            const core::Utf8Scan scan =
                core::ScanUtf8(room.data() + checked, size - checked, got == 0, options.null);
            if (scan.error >= 0)
                error = scan.nul ? RefusedNul : invalidAt(std::ptrdiff_t(checked) + scan.error);
            checked += scan.valid;
        }
    } catch (const ReadFault &fault) {
        report(cannotRead(options, fault));
        return 1;
    } catch (const std::bad_alloc &) {
        report("out of memory: the message is too long");
        return 1;
    }

    if (error.empty())
        return RunMessage(options, SkipByteOrderMark(std::string_view(room.data(), size)),
                          outputFd);
    report(error);
    if (!options.json)
        return 1;
    try {
        ByteBuffer line;
        MessageWriter::writeError(line, {}, 0, error);
        WriteAll(outputFd, line.view());
    } catch (const WriteFault &fault) {
        report(cannotWrite(fault));
    }
    return 1;
}

int RunRecords(const Options &options, int inputFd, int outputFd, bool quick) {
    MessageWriter writer(options);
    std::unique_ptr<QuickRecords> quickRecords;
    if (quick && QuickRecords::Serves(options))
        quickRecords = std::make_unique<QuickRecords>(options.languages);
    RecordReader reader(inputFd, options.records == RecordFormat::Nul ? '\0' : '\n',
                        quickRecords != nullptr);
    Output out(outputFd, '\n', Threshold, options.flush);
    JsonRecordParser parser;
    bool anyFailed = false;
    std::int64_t record = 1;
    std::size_t finished = 0; // the buffer's complete lines end here
    // After a fault, the lines finished before it still go out.
    const auto writeFinished = [&] {
        out.buffer().truncate(finished);
        try {
            out.flush();
        } catch (const WriteFault &) {
        }
    };
    try {
        std::string_view bytes;
        for (; reader.next(bytes); ++record) {
            // Each record is a message of its own, and a byte-order mark at
            // its start is dropped, as at the start of a whole message: files
            // that each begin with one are often joined, and a block of GNU
            // parallel's that begins at a record must give what one run does.
            // An offset in the record counts the mark.
            std::ptrdiff_t mark = std::ptrdiff_t(bytes.size());
            bytes = SkipByteOrderMark(bytes);
            mark -= std::ptrdiff_t(bytes.size());
            if (mark > 0 && bytes.empty() && !reader.ended())
                break; // a byte-order mark alone ends the input: no record
            // A CR LF line end is a line end; a CR that ends the input is text.
            if (options.records == RecordFormat::Lines && reader.ended() && !bytes.empty() &&
                bytes.back() == '\r')
                bytes.remove_suffix(1);

            if (quickRecords && quickRecords->write(out.buffer(), bytes)) {
                out.lineDone();
                finished = out.buffer().size();
                continue;
            }

            // (The reader has checked the bytes; where they are not UTF-8,
            // the offset of the fault is looked for in the record alone.)
            const bool wellFormed = reader.wellFormed();
            std::string error;
            std::string_view id;
            std::string_view message;
            if (options.records == RecordFormat::Jsonl) {
                if (parser.parse(bytes, wellFormed, mark))
                    message = parser.text();
                else
                    error = parser.error();
                id = parser.id();
            } else if (const std::ptrdiff_t bad =
                           wellFormed ? -1 : core::FirstInvalidUtf8(bytes.data(), bytes.size());
                       bad >= 0) {
                error = invalidAt(mark + bad);
            } else {
                message = bytes;
            }

            const std::int64_t number = options.records == RecordFormat::Jsonl ? 0 : record;
            const JsonRecordParser *source =
                options.records == RecordFormat::Jsonl ? &parser : nullptr;
            if (error.empty() && !writer.writeJson(out, message, id, number, true, source))
                error = NoRoom;
            if (!error.empty()) {
                MessageWriter::writeError(out.buffer(), id, record, error);
                anyFailed = true;
            }
            out.lineDone();
            finished = out.buffer().size();
        }
        out.flush();
        return anyFailed ? 1 : 0;
    } catch (const WriteFault &fault) {
        report(cannotWrite(fault));
    } catch (const ReadFault &fault) {
        report(cannotRead(options, fault));
        writeFinished();
    } catch (const core::icu::Unavailable &) {
        writeFinished(); // (the caller reports it)
        throw;
    } catch (const std::bad_alloc &) {
        // What was cut before this record goes out; this one is reported.
        report("out of memory at record " + std::to_string(record));
        out.buffer().truncate(finished);
        try {
            MessageWriter::writeError(out.buffer(), {}, record, "out of memory");
            out.flush();
        } catch (const WriteFault &) {
        } catch (const std::bad_alloc &) {
        }
    }
    return 1;
}

} // namespace tovrik::cli
