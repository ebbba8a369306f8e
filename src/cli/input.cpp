#include "cli/input.h"

#include "cli/ready.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <stdexcept>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovrik::cli {

namespace {

// A file searched for a byte is read this much at a time.
constexpr std::size_t SearchBlock = 1 << 20;

class BlockReader final : public ByteSource {
public:
    BlockReader(int fd, std::size_t block, std::size_t reserve)
        : m_fd(fd), m_block(block), m_capacity(block + reserve), m_buffer(new char[m_capacity]) {
        m_data = m_buffer.get();
    }

    bool fill(std::int64_t keep) override {
        if (m_atEnd)
            return false;
        std::size_t used = std::size_t(m_end - m_base);
        if (fillMoves()) {
            // Move what is still wanted to the front.
            const std::size_t dropped = std::size_t(keep - m_base);
            used -= dropped;
            std::memmove(m_buffer.get(), m_buffer.get() + dropped, used);
            m_base = keep;
        }
        if (used == m_capacity)
            throw std::logic_error("tovrik-split holds more than it reserved");
        const std::size_t got =
            ReadSome(m_fd, m_buffer.get() + used, std::min(m_block, m_capacity - used));
        m_end += std::int64_t(got);
        m_atEnd = got == 0;
        return !m_atEnd;
    }

    // New bytes go after those held while a quarter of a block fits there
    // (a pipe gives less than a block at a time).
    bool fillMoves() const override {
        return !m_atEnd && m_capacity - std::size_t(m_end - m_base) < (m_block + 3) / 4;
    }

    // A regular file is searched from where it is read from, without moving
    // there; a pipe cannot be searched in advance.
    std::optional<bool> holds(char byte) override {
        struct stat status {};
        const off_t offset = ::lseek(m_fd, 0, SEEK_CUR);
        if (::fstat(m_fd, &status) != 0 || !S_ISREG(status.st_mode) || offset < 0)
            return std::nullopt;
        std::unique_ptr<char[]> buffer(new char[SearchBlock]);
        for (off_t at = offset;;) {
            const ssize_t got = ::pread(m_fd, buffer.get(), SearchBlock, at);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                throw ReadFault{errno};
            if (got == 0)
                return false;
            if (std::memchr(buffer.get(), byte, std::size_t(got)))
                return true;
            at += got;
        }
    }

private:
    int m_fd;
    std::size_t m_block;
    std::size_t m_capacity;
    std::unique_ptr<char[]> m_buffer;
    bool m_atEnd = false;
};

} // namespace

std::size_t ReadSome(int fd, char *into, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(fd, into, size);
        if (got >= 0)
            return std::size_t(got);
        if (errno == EINTR || (WouldBlock(errno) && AwaitReady(fd, POLLIN)))
            continue;
        throw ReadFault{errno};
    }
}

std::unique_ptr<ByteSource> OpenByteSource(int fd, std::size_t block, std::size_t reserve) {
    return std::make_unique<BlockReader>(fd, block, reserve);
}

GrowingBuffer::~GrowingBuffer() {
    if (m_data)
        ::munmap(m_data, m_capacity);
}

void GrowingBuffer::reserve(std::size_t size) {
    if (size <= m_capacity)
        return;
    // Whole pages, an eighth more than asked, so growing a byte at a time
    // costs few calls.
    const std::size_t page = std::size_t(::sysconf(_SC_PAGESIZE));
    const std::size_t wanted = (size + size / 8 + page - 1) / page * page;
    void *room = m_data ? ::mremap(m_data, m_capacity, wanted, MREMAP_MAYMOVE)
                        : ::mmap(nullptr, wanted, PROT_READ | PROT_WRITE,
                                 MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (room == MAP_FAILED)
        throw std::bad_alloc();
    m_data = static_cast<char *>(room);
    m_capacity = wanted;
}

std::string_view SkipByteOrderMark(std::string_view start) {
    if (start.starts_with(ByteOrderMark))
        start.remove_prefix(ByteOrderMark.size());
    return start;
}

} // namespace tovrik::cli
