#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

// The bytes of the message as they come in, read in blocks, so only a
// bounded stretch is held in memory. Files are read, not mapped: a file
// that shrinks while it is read (a log being rotated) simply ends sooner.

namespace tovrik::cli {

// A read that failed; errno's value.
struct ReadFault {
    int error;
};

class ByteSource {
public:
    virtual ~ByteSource() = default;

    // What is held: the bytes from offset base() to end(), at data(). A
    // byte that is never read again may be written over (a blank that a cut
    // drops becomes the end byte of the piece before it).
    char *data() const { return m_data; }
    std::int64_t base() const { return m_base; }
    std::int64_t end() const { return m_end; }

    // Lets go of everything before `keep` and brings in more bytes; false
    // when the input has no more. May move data(). Throws ReadFault.
    virtual bool fill(std::int64_t keep) = 0;
    // Whether the next fill may move the bytes held or write over them.
    virtual bool fillMoves() const = 0;

    // Whether the input holds the byte anywhere from where it is read,
    // asked before anything is brought in; nullopt when that cannot be known
    // in advance (a pipe).
    virtual std::optional<bool> holds(char byte) = 0;

protected:
    char *m_data = nullptr;
    std::int64_t m_base = 0;
    std::int64_t m_end = 0;
};

// One read(2) of up to `size` bytes into `into`, again when a signal
// interrupts it: the bytes read, 0 at the end of the input. Throws ReadFault.
std::size_t ReadSome(int fd, char *into, std::size_t size);

// The source for fd. `block` is the stretch brought in by each fill;
// `reserve` is how much before the newest bytes a caller may still hold on to.
std::unique_ptr<ByteSource> OpenByteSource(int fd, std::size_t block, std::size_t reserve);

// Room for a message or a record of any length: it grows in place (the
// kernel moves pages, it never copies bytes), so a message costs about its
// own size in memory however it arrives. Throws std::bad_alloc when the room
// cannot be had.
class GrowingBuffer {
public:
    GrowingBuffer() = default;
    GrowingBuffer(const GrowingBuffer &) = delete;
    GrowingBuffer &operator=(const GrowingBuffer &) = delete;
    ~GrowingBuffer();

    char *data() const { return m_data; }
    std::size_t capacity() const { return m_capacity; }
    // Room for at least `size` bytes; what was there stays.
    void reserve(std::size_t size);

private:
    char *m_data = nullptr;
    std::size_t m_capacity = 0;
};

// A byte-order mark at the start of the input marks the encoding; it is not
// part of the message (or of the first record). Only one is dropped.
inline constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
std::string_view SkipByteOrderMark(std::string_view start);

} // namespace tovrik::cli
