#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

// The bytes of the message as they come in: a regular file is mapped and
// looked at a stretch at a time, anything else (a pipe, a terminal) is read
// in blocks. Either way only a bounded stretch is held in memory.

namespace tovrik {

// A read that failed; errno's value.
struct ReadFault {
    int error;
};

class ByteSource {
public:
    virtual ~ByteSource() = default;

    // What is held: the bytes from offset base() to end(), at data().
    const char *data() const { return m_data; }
    std::int64_t base() const { return m_base; }
    std::int64_t end() const { return m_end; }

    // Lets go of everything before `keep` and brings in more bytes; false
    // when the input has no more. May move data(). Throws ReadFault.
    virtual bool fill(std::int64_t keep) = 0;

    // Whether the input holds the byte anywhere, asked before anything is
    // brought in; nullopt when that cannot be known in advance (a pipe).
    virtual std::optional<bool> holds(char byte) = 0;

protected:
    const char *m_data = nullptr;
    std::int64_t m_base = 0;
    std::int64_t m_end = 0;
};

// One read(2) of up to `size` bytes into `into`, again when a signal
// interrupts it: the bytes read, 0 at the end of the input. Throws ReadFault.
std::size_t ReadSome(int fd, char *into, std::size_t size);

// The source for fd: mapped when it is a regular file with a size, read from
// its start, read in blocks otherwise. `block` is the stretch brought in by each fill; `reserve`
// is how much before the newest bytes a caller may still hold on to.
std::unique_ptr<ByteSource> OpenByteSource(int fd, std::size_t block, std::size_t reserve);

} // namespace tovrik
