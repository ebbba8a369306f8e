#include "cli/output.h"

#include "cli/ready.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovrik::cli {

void ByteBuffer::grow(std::size_t extra) {
    const std::size_t capacity = std::max({m_capacity * 2, m_size + extra, std::size_t(4096)});
    std::unique_ptr<char[]> data(new char[capacity]);
    if (m_size > 0)
        std::memcpy(data.get(), m_data.get(), m_size);
    m_data = std::move(data);
    m_capacity = capacity;
}

void ByteBuffer::appendNumber(long long value) {
    char *out = tail(20); // "-9223372036854775808"
    setEnd(std::to_chars(out, out + 20, value).ptr);
}

std::int64_t Output::fileOffset(int fd) {
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        return NotAFile;
    const int flags = ::fcntl(fd, F_GETFL);
    const off_t at = ::lseek(fd, 0, SEEK_CUR);
    return flags < 0 || (flags & O_APPEND) != 0 || at < 0 ? Unknown : std::int64_t(at);
}

HeldSignals::HeldSignals(bool hold) : m_held(hold) {
    if (!m_held)
        return;
    sigset_t ending;
    sigemptyset(&ending);
    for (const int signal :
         {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGALRM, SIGUSR1, SIGUSR2, SIGXCPU, SIGVTALRM, SIGPROF})
        sigaddset(&ending, signal);
    m_held = ::pthread_sigmask(SIG_BLOCK, &ending, &m_before) == 0;
}

HeldSignals::~HeldSignals() {
    if (m_held)
        ::pthread_sigmask(SIG_SETMASK, &m_before, nullptr);
}

void WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t done = ::write(fd, bytes.data(), bytes.size());
        if (done >= 0)
            bytes.remove_prefix(std::size_t(done));
        else if (errno != EINTR && !(WouldBlock(errno) && AwaitReady(fd, POLLOUT)))
            throw WriteFault{errno};
    }
}

} // namespace tovrik::cli
