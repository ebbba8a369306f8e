#pragma once

#include "cutrules.h"

#include <cstddef>
#include <string>

// tovrik-split's command line: every option is read here, into Options.

namespace tovrik {

inline constexpr std::size_t DefaultBlock = 256 * 1024;

struct Options {
    int limit = 160;
    SplitMode mode = SplitMode::Space;
    bool nul = false;                 // end pieces with NUL instead of a line feed
    std::string file = "-";           // "-" is standard input
    std::size_t block = DefaultBlock; // bytes brought in at a time
};

struct CommandLine {
    Options options;
    // -1: go on and cut. Otherwise exit at once with this status, after
    // printing `out` to standard output and `error` to standard error.
    int exitStatus = -1;
    std::string out;
    std::string error;
};

CommandLine ParseCommandLine(int argc, const char *const *argv);

} // namespace tovrik
