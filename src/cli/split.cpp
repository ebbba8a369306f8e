#include "cli/split.h"

#include "cli/input.h"
#include "cli/output.h"
#include "cli/utf8text.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <unistd.h>

namespace tovrik::cli {

namespace {

// Pieces go out in batches of this: small enough that the batch and the
// block being cut stay in the processor's cache together.
constexpr std::size_t OutputBuffer = 256 * 1024;

std::string failure(const std::string &text) {
    return "tovrik-split: " + text + "\n";
}

} // namespace

Outcome SplitStream(const Options &options, int in, int out) {
    const std::string refusedNul = "the input holds a NUL byte; --null output would be ambiguous";
    try {
        // The rules look at most `limit` units ahead, three bytes each at
        // worst, plus a character cut off at the end of a read.
        const std::size_t reserve = 3 * std::size_t(options.limit) + 16;
        const auto source = OpenByteSource(in, options.block, reserve);
        // A file can be searched before anything is written; a pipe cannot.
        if (options.null && source->holds('\0').value_or(false))
            return {1, failure(refusedNul)};

        Output output(out, options.null ? '\0' : '\n', OutputBuffer);
        Utf8Text text(*source, output, options.null);
        const bool dropsBlanks = options.mode == core::SplitMode::Space;
        core::rules::Cut(text, options.limit, options.mode, [&](std::string_view piece) {
            // The blank a cut drops becomes the piece's end byte, in place.
            if (char *after = dropsBlanks ? text.delimiterAfter(piece, ' ') : nullptr)
                output.pieceBefore(piece, after);
            else
                output.piece(piece);
            if (options.flush)
                output.flush();
        });
        output.flush();
        return {};
    } catch (const Utf8Fault &fault) {
        if (fault.nul)
            return {1, failure(refusedNul)};
        return {1, failure("invalid UTF-8 at byte " + std::to_string(fault.offset))};
    } catch (const ReadFault &fault) {
        return {1, failure(options.inputName() + ": " + std::strerror(fault.error))};
    } catch (const WriteFault &fault) {
        return {1, failure(std::string("cannot write the output: ") + std::strerror(fault.error))};
    } catch (const std::bad_alloc &) {
        return {1, failure("out of memory: cannot hold a block of " +
                           std::to_string(options.block) + " bytes")};
    }
}

Outcome Split(const Options &options) {
    if (options.file == "-")
        return SplitStream(options, STDIN_FILENO, STDOUT_FILENO);
    const int fd = ::open(options.file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {1, failure(options.inputName() + ": " + std::strerror(errno))};
    Outcome outcome = SplitStream(options, fd, STDOUT_FILENO);
    ::close(fd);
    return outcome;
}

} // namespace tovrik::cli
