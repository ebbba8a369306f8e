#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

// The pieces on their way out: each followed by its end byte, gathered in a
// buffer that goes out whenever it is full and once at the end. What is still
// in the buffer when cutting fails is never written.

namespace tovrik {

// A write that failed; errno's value.
struct WriteFault {
    int error;
};

// Writes all of bytes to fd, again after a signal or a short write. Throws
// WriteFault.
void WriteAll(int fd, std::string_view bytes);

class Output {
public:
    Output(int fd, char end, std::size_t capacity);

    // A whole piece, or what is left of one whose start went out with part().
    void piece(std::string_view bytes) {
        if (bytes.size() < m_capacity - m_used) {
            append(bytes);
            m_buffer[m_used++] = m_end;
        } else {
            part(bytes);
            part(std::string_view(&m_end, 1));
        }
    }
    // The start of a piece that is still being cut.
    void part(std::string_view bytes);
    // Throws WriteFault.
    void flush();

private:
    void append(std::string_view bytes);

    int m_fd;
    char m_end;
    std::size_t m_capacity;
    std::size_t m_used = 0;
    std::unique_ptr<char[]> m_buffer;
};

} // namespace tovrik
