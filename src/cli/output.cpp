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
    const char *p = m_buffer.get();
    while (m_used > 0) {
        const ssize_t done = ::write(m_fd, p, m_used);
        if (done < 0) {
            if (errno == EINTR)
                continue;
            throw WriteFault{errno};
        }
        p += done;
        m_used -= std::size_t(done);
    }
}

} // namespace tovrik
