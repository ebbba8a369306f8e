#include "output.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace tovrik {

Output::Output(int fd, char end, std::size_t capacity)
    : m_fd(fd), m_end(end), m_capacity(capacity), m_buffer(new char[capacity]) {}

void Output::append(std::string_view bytes) {
    std::memcpy(m_buffer.get() + m_used, bytes.data(), bytes.size());
    m_used += bytes.size();
}

void Output::part(std::string_view bytes) {
    while (bytes.size() > m_capacity - m_used) {
        const std::size_t fits = m_capacity - m_used;
        append(bytes.substr(0, fits));
        bytes.remove_prefix(fits);
        flush();
    }
    append(bytes);
}

void Output::flush() {
    WriteAll(m_fd, std::string_view(m_buffer.get(), m_used));
    m_used = 0;
}

void WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t done = ::write(fd, bytes.data(), bytes.size());
        if (done >= 0)
            bytes.remove_prefix(std::size_t(done));
        else if (errno != EINTR)
            throw WriteFault{errno};
    }
}

} // namespace tovrik
