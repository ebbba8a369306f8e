#include "input.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovrik {

namespace {

// Mapped pages already cut are handed back this often, so the resident size
// stays small whatever the file's size.
constexpr std::int64_t ReleaseStep = 1 << 20;

class MappedFile final : public ByteSource {
public:
    MappedFile(void *map, std::int64_t size, std::size_t block)
        : m_map(static_cast<char *>(map)), m_size(size), m_block(std::int64_t(block)) {
        m_data = m_map;
        ::madvise(m_map, std::size_t(m_size), MADV_SEQUENTIAL);
    }
    ~MappedFile() override { ::munmap(m_map, std::size_t(m_size)); }

    bool fill(std::int64_t keep) override {
        release(keep);
        if (m_end == m_size)
            return false;
        const std::int64_t from = m_end;
        m_end = std::min(m_size, m_end + m_block);
#ifdef MADV_POPULATE_READ
        // One call maps the stretch instead of a page fault for every page.
        const std::int64_t page = from & ~std::int64_t(4095);
        ::madvise(m_map + page, std::size_t(m_end - page), MADV_POPULATE_READ);
#endif
        return true;
    }

    std::optional<bool> holds(char byte) override {
        for (std::int64_t at = 0; at < m_size; at += ReleaseStep) {
            const std::size_t length = std::size_t(std::min(ReleaseStep, m_size - at));
            const bool found = std::memchr(m_map + at, byte, length) != nullptr;
            ::madvise(m_map + at, length, MADV_DONTNEED);
            if (found)
                return true;
        }
        return false;
    }

private:
    void release(std::int64_t keep) {
        const std::int64_t upTo = keep & ~(ReleaseStep - 1);
        if (upTo > m_released) {
            ::madvise(m_map + m_released, std::size_t(upTo - m_released), MADV_DONTNEED);
            m_released = upTo;
        }
    }

    char *m_map;
    std::int64_t m_size;
    std::int64_t m_block;
    std::int64_t m_released = 0;
};

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
        if (used + m_block > m_capacity) {
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

    std::optional<bool> holds(char) override { return std::nullopt; }

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
        if (errno != EINTR)
            throw ReadFault{errno};
    }
}

std::unique_ptr<ByteSource> OpenByteSource(int fd, std::size_t block, std::size_t reserve) {
    struct stat status {};
    // Files that report no size (as in /proc) are read like a pipe, and so is
    // a file a caller has already read from.
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0 &&
        ::lseek(fd, 0, SEEK_CUR) == 0) {
        void *map = ::mmap(nullptr, std::size_t(status.st_size), PROT_READ, MAP_SHARED, fd, 0);
        if (map != MAP_FAILED)
            return std::make_unique<MappedFile>(map, status.st_size, block);
    }
    return std::make_unique<BlockReader>(fd, block, reserve);
}

} // namespace tovrik
