// tovrik-split: the splitting engine for scripts and pipes.
#include "options.h"
#include "split.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

int main(int argc, char **argv) {
    tovrik::CommandLine line = tovrik::ParseCommandLine(argc, argv);
    std::fputs(line.out.c_str(), stdout);
    std::fputs(line.error.c_str(), stderr);
    if (line.exitStatus >= 0)
        return line.exitStatus;

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
