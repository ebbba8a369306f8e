#pragma once

#include <algorithm>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

// Everything tovrik-split writes goes through one buffered writer: pieces
// each followed by their end byte, or JSON lines. The buffer goes out when it
// passes a threshold and at the end; what is still in it when cutting fails
// is never written. A write that fails stops the run.
//
// Pieces that follow one another in the input, each with the blank after it
// dropped, need no copy: that blank becomes the piece's end byte, and the
// run of pieces goes out straight from the input's own bytes.

namespace tovrik::cli {

// A write that failed; errno's value.
struct WriteFault {
    int error;
};

// Writes all of bytes to fd, again after a signal or a short write. Throws
// WriteFault.
void WriteAll(int fd, std::string_view bytes);

// While it lives (and when asked), the signals that end the process by
// default wait: the kernel stops a write to a file part of the way once such
// a signal comes, and a batch must go out whole, so that a file cut short by
// a killed process ends where a line does. (SIGKILL cannot wait. A pipe may
// block the write for good, so it is not held for one.)
class HeldSignals {
public:
    explicit HeldSignals(bool hold);
    ~HeldSignals();
    HeldSignals(const HeldSignals &) = delete;
    HeldSignals &operator=(const HeldSignals &) = delete;

private:
    bool m_held;
    sigset_t m_before;
};

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
    // Drops what was appended after the first `size` bytes.
    void truncate(std::size_t size) { m_size = std::min(m_size, size); }

private:
    void grow(std::size_t extra);
    std::unique_ptr<char[]> m_data;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

class Output {
public:
    // Pieces end with `end`; the buffer goes out once it holds `threshold`
    // bytes, or after every piece or line with eachLine.
    Output(int fd, char end, std::size_t threshold, bool eachLine = false)
        : m_fd(fd), m_end(end), m_threshold(threshold), m_eachLine(eachLine),
          m_fileOffset(fileOffset(fd)) {}

    ByteBuffer &buffer() { return m_buffer; }

    // A whole piece, or what is left of one whose start went out with part().
    void piece(std::string_view bytes) {
        settle();
        m_buffer.append(bytes);
        m_buffer.append(m_end);
        lineDone();
    }
    // A whole piece whose next byte, at `after`, is dropped by the cut: it
    // becomes the end byte, and the piece joins the run held in place, which
    // must stay untouched until settle() or flush().
    void pieceBefore(std::string_view bytes, char *after) {
        if (bytes.data() != m_runEnd) {
            settle();
            m_run = bytes.data();
        }
        *after = m_end;
        m_runEnd = after + 1;
        if (m_eachLine || m_buffer.size() + std::size_t(m_runEnd - m_run) >= m_threshold)
            flush();
    }
    // The start of a piece that is still being cut, or of a JSON line. It goes
    // out before its end only when it alone makes a batch: otherwise batches
    // end where pieces and lines do, so output cut short (a killed process)
    // ends with a whole one.
    void part(std::string_view bytes) {
        settle();
        m_buffer.append(bytes);
        if (m_buffer.size() >= m_lineStart + m_threshold)
            flush();
    }
    // What part() does once the start of a line is in the buffer already.
    void spill() {
        if (m_buffer.size() >= m_lineStart + m_threshold)
            flush();
    }
    // Lets go of the run held in place, before its bytes change. It goes
    // out after the buffer when the two make a batch, or when it is a
    // quarter of one and a batch has gone out; otherwise it joins the
    // buffer, so that writes stay large and a message whose pieces take less
    // than a batch still gives no output when it turns out bad.
    void settle() {
        const std::string_view run = takeRun();
        if (run.empty())
            return;
        if (m_buffer.size() + run.size() >= m_threshold ||
            (m_wrote && run.size() >= m_threshold / 4))
            write(run);
        else
            m_buffer.append(run);
        m_lineStart = m_buffer.size(); // the run holds whole pieces
    }
    // A piece or a JSON line is complete in the buffer.
    void lineDone() {
        if (m_eachLine || m_buffer.size() >= m_threshold)
            flush();
        m_lineStart = m_buffer.size();
    }
    // Throws WriteFault.
    void flush() { write(takeRun()); }

private:
    std::string_view takeRun() {
        const std::string_view run(m_run, std::size_t(m_runEnd - m_run));
        m_run = m_runEnd = nullptr;
        return run;
    }
    // The buffer, then the run.
    void write(std::string_view run) {
        // The kernel looks for the signal between the pages it writes: a
        // write within one page (a line at a time, with --flush) goes whole.
        const std::size_t size = m_buffer.size() + run.size();
        const bool onePage =
            m_fileOffset >= 0 && std::size_t(m_fileOffset) % PageSize + size <= PageSize;
        const HeldSignals held(m_fileOffset != NotAFile && !onePage);
        if (m_fileOffset >= 0)
            m_fileOffset += std::int64_t(size);
        WriteAll(m_fd, m_buffer.view());
        m_wrote = m_wrote || m_buffer.size() > 0 || !run.empty();
        m_buffer.clear();
        m_lineStart = 0;
        if (!run.empty())
            WriteAll(m_fd, run);
    }

    int m_fd;
    char m_end;
    std::size_t m_threshold;
    bool m_eachLine;
    ByteBuffer m_buffer;
    std::size_t m_lineStart = 0; // where the piece or line being written starts
    const char *m_run = nullptr; // the run held in place, after the buffer
    const char *m_runEnd = nullptr;
    static constexpr std::size_t PageSize = 4096; // the smallest there is
    // Where the next write lands in a regular file; Unknown when it is
    // appended to, NotAFile for a pipe or a device.
    static constexpr std::int64_t Unknown = -1;
    static constexpr std::int64_t NotAFile = -2;
    static std::int64_t fileOffset(int fd);
    std::int64_t m_fileOffset;
    bool m_wrote = false; // a batch has gone out
};

} // namespace tovrik::cli
