#pragma once

#include "core/cutrules.h"
#include "core/pieces.h"
#include "core/utf8.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// tovrik-split's command line: every option is read here, into Options.

namespace tovrik::cli {

inline constexpr std::size_t DefaultBlock = 256 * 1024;

// How the input is split into messages.
enum class RecordFormat : std::uint8_t {
    None,  // the whole input is one message
    Lines, // one message per line
    Nul,   // NUL-terminated messages
    Jsonl, // one JSON object per line: "text" and an optional "id"
};

struct Options {
    int limit = 160;
    bool limitGiven = false;
    core::SplitMode mode = core::SplitMode::Space;
    core::SmsUnits sms = core::SmsUnits::Off;
    std::optional<std::string> number; // --number FMT, as given (checked)
    core::Replacement replace = core::Replacement::Never;
    core::LanguageSet languages = 0; // --language: national shift tables allowed
    bool json = false;
    RecordFormat records = RecordFormat::None;
    bool null = false;                // end pieces with NUL instead of a line feed
    bool flush = false;               // write out each piece (or JSON line) at once
    std::string file = "-";           // "-" is standard input
    std::size_t block = DefaultBlock; // bytes brought in at a time

    // The input as messages name it (a control character in it shown as \xHH).
    std::string inputName() const { return file == "-" ? "standard input" : core::Shown(file); }

    // The plain cut streams; these need the whole message (or record).
    bool wantsMessages() const {
        return sms != core::SmsUnits::Off || number || json || records != RecordFormat::None ||
               replace != core::Replacement::Never;
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

// Reads and checks every option: what comes back with exitStatus -1 is a
// run that can start.
CommandLine ParseCommandLine(int argc, const char *const *argv);

} // namespace tovrik::cli
