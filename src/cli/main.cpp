// tovrik-split: the splitting engine for scripts and pipes.
#include "cli/options.h"
#include "cli/output.h"
#include "cli/records.h"
#include "cli/split.h"
#include "core/icu.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <string>
#include <unistd.h>

namespace {

// Text for standard output or standard error; false when it could not be
// written.
bool tell(int fd, const std::string &text) {
    try {
        tovrik::cli::WriteAll(fd, text);
        return true;
    } catch (const tovrik::cli::WriteFault &fault) {
        if (fd == STDOUT_FILENO)
            std::fprintf(stderr, "tovrik-split: cannot write the output: %s\n",
                         std::strerror(fault.error));
        return false;
    }
}

int runMessages(const tovrik::cli::Options &options) {
    using namespace tovrik::cli;
    int input = STDIN_FILENO;
    if (options.file != "-") {
        input = ::open(options.file.c_str(), O_RDONLY | O_CLOEXEC);
        if (input < 0) {
            std::fprintf(stderr, "tovrik-split: %s: %s\n", options.inputName().c_str(),
                         std::strerror(errno));
            return 1;
        }
    }
    int status = 1;
    try {
        status = options.records != RecordFormat::None
                     ? RunRecords(options, input, STDOUT_FILENO)
                     : RunMessageFrom(options, input, STDOUT_FILENO);
    } catch (const tovrik::core::icu::Unavailable &missing) {
        // A broken installation: the lines written so far are whole.
        std::fprintf(stderr, "tovrik-split: %s\n", missing.what());
    }
    if (input != STDIN_FILENO)
        ::close(input);
    return status;
}

} // namespace

int main(int argc, char **argv) {
    tovrik::cli::CommandLine line = tovrik::cli::ParseCommandLine(argc, argv);
    if (!line.out.empty() && !tell(STDOUT_FILENO, line.out))
        return 1;
    if (!line.error.empty())
        tell(STDERR_FILENO, line.error);
    if (line.exitStatus >= 0)
        return line.exitStatus;
    if (line.options.wantsMessages())
        return runMessages(line.options);

    // Tests make reads small to cut characters and line breaks across them.
    if (const char *block = std::getenv("TOVRIK_SPLIT_BLOCK")) {
        const long bytes = std::strtol(block, nullptr, 10);
        if (bytes > 0)
            line.options.block = std::size_t(bytes);
    }
    const tovrik::cli::Outcome outcome = tovrik::cli::Split(line.options);
    std::fputs(outcome.error.c_str(), stderr);
    return outcome.exitStatus;
}
