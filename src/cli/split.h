#pragma once

#include "cli/options.h"

#include <string>

// One run of tovrik-split once its options are known: the input cut as it
// is read, each piece written as soon as it is decided.

namespace tovrik::cli {

struct Outcome {
    int exitStatus = 0;
    std::string error; // for standard error, with its line feed
};

// Cuts what comes from `in` into `out`.
Outcome SplitStream(const Options &options, int in, int out);

// Cuts options.file (or standard input) into standard output.
Outcome Split(const Options &options);

} // namespace tovrik::cli
