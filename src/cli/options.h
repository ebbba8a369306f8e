#pragma once

#include "cutrules.h"

#include <cstddef>
#include <optional>
#include <string>

// tovrik-split's command line: every option is read here, into Options.

namespace tovrik {

inline constexpr std::size_t DefaultBlock = 256 * 1024;

enum class SmsOption { Off, Standalone, Concat };
enum class RecordsOption { None, Lines, Nul, Jsonl };

struct Options {
    int limit = 160;
    bool limitGiven = false;
    SplitMode mode = SplitMode::Space;
    bool nul = false;                 // end pieces with NUL instead of a line feed
    bool flush = false;               // write out each piece (or JSON line) at once
    std::string file = "-";           // "-" is standard input
    std::size_t block = DefaultBlock; // bytes brought in at a time

    // Whole messages: SMS units, numbering, JSON, records. The plain cut
    // streams; these need the whole message (or record) and Qt's text
    // boundaries, so a second program does them (see MessagesProgram).
    SmsOption sms = SmsOption::Off;
    std::optional<std::string> number; // --number FMT, as given
    bool json = false;
    RecordsOption records = RecordsOption::None;

    bool wantsMessages() const {
        return sms != SmsOption::Off || number || json || records != RecordsOption::None;
    }
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

// A usage error as the tool reports it: the text, then the usage.
CommandLine UsageError(const std::string &text);

// Where the program for whole messages is, relative to tovrik-split's own
// folder: the build tree and an installation lay the two out alike.
inline constexpr const char *MessagesProgram = "../lib/tovrik/tovrik-split-messages";

} // namespace tovrik
