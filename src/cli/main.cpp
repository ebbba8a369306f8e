// tovrik-split: the splitting engine for scripts and pipes.
#include "options.h"
#include "split.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

// Hands the whole command line to the program for whole messages; returns
// only when that program cannot be started.
int runMessagesProgram(char **argv) {
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string program = tovrik::MessagesProgram;
    if (length > 0) {
        const std::string path(self, std::size_t(length));
        program = path.substr(0, path.rfind('/') + 1) + program;
    }
    ::execv(program.c_str(), argv);
    std::fprintf(stderr, "tovrik-split: cannot start %s: %s\n", program.c_str(),
                 std::strerror(errno));
    return 1;
}

} // namespace

int main(int argc, char **argv) {
    tovrik::CommandLine line = tovrik::ParseCommandLine(argc, argv);
    std::fputs(line.out.c_str(), stdout);
    std::fputs(line.error.c_str(), stderr);
    if (line.exitStatus >= 0)
        return line.exitStatus;
    if (line.options.wantsMessages())
        return runMessagesProgram(argv);

    // Tests make reads small to cut characters and line breaks across them.
    if (const char *block = std::getenv("TOVRIK_SPLIT_BLOCK")) {
        const long bytes = std::strtol(block, nullptr, 10);
        if (bytes > 0)
            line.options.block = std::size_t(bytes);
    }
    const tovrik::Outcome outcome = tovrik::Split(line.options);
    std::fputs(outcome.error.c_str(), stderr);
    return outcome.exitStatus;
}
