#include "cli/options.h"

#include "core/limitvalue.h"
#include "core/numbering.h"
#include "core/utf8.h"

#include <string_view>

namespace tovrik::cli {

namespace {

const char Usage[] =
    "Usage: tovrik-split [--limit X | --sms[=concat]] [--mode space|exact|period]\n"
    "                    [--number FMT] [--replace=when-cheaper|always]\n"
    "                    [--language CODE[,CODE...]]\n"
    "                    [--json [--records lines|nul|jsonl]]\n"
    "                    [--null] [--flush] [FILE]\n"
    "\n"
    "Cuts a text message into pieces that fit a text-message character limit\n"
    "and writes each piece followed by a line feed (or a NUL with --null).\n"
    "Reads FILE, or standard input when FILE is missing or \"-\", as UTF-8.\n"
    "\n"
    "  --limit X     the character limit, 1 to 32767 (default 160); counted in\n"
    "                UTF-16 code units, as text messages count them\n"
    "  --mode M      space   whole words, cut at a blank (default)\n"
    "                exact   exactly X characters a piece\n"
    "                period  whole sentences, cut after a period\n"
    "  --sms         measure in SMS units: each piece fits one SMS, GSM-7 (160\n"
    "                septets) or, when it holds other characters, UCS-2 (70)\n"
    "  --sms=concat  cut as a phone cuts one long message: one encoding, parts\n"
    "                of 153 septets or 67 units (one part when it fits 160/70)\n"
    "  --number FMT  write each piece as FMT: %t its text (exactly once), %k its\n"
    "                number, %n the count, %% a %; e.g. \"%k/%n %t\"\n"
    "  --replace=W   replace characters that have a GSM-7 look-alike (curly\n"
    "                quotes, dashes, odd spaces, ...): when-cheaper when that\n"
    "                saves pieces, always when the message is then GSM-7\n"
    "  --language L  with --sms: let GSM-7 use these languages' national shift\n"
    "                tables, as a phone chooses them: tr es pt bn gu hi kn ml\n"
    "                or pa ta te ur (ISO 639-1 codes, separated by commas)\n"
    "  --json        one JSON line for the message: its encoding, segments and\n"
    "                parts\n"
    "  --records R   many messages, one JSON line each (needs --json):\n"
    "                lines  one message per line\n"
    "                nul    NUL-terminated messages\n"
    "                jsonl  JSON objects with \"text\" and an optional \"id\"\n"
    "  --null        end each piece with a NUL byte instead of a line feed\n"
    "  --flush       write each piece or line out as soon as it is cut\n"
    "  --help        show this help\n"
    "  --version     show the version\n";

CommandLine stop(int status, std::string out, std::string error) {
    CommandLine line;
    line.exitStatus = status;
    line.out = std::move(out);
    line.error = std::move(error);
    return line;
}

// A usage error as the tool reports it: the text, then the usage.
CommandLine usageError(const std::string &text) {
    return stop(2, {}, "tovrik-split: " + text + "\n" + Usage);
}

// What the options cannot do together, or an empty string.
std::string conflict(const Options &options) {
    if (options.sms != core::SmsUnits::Off && options.limitGiven)
        return "--limit cannot be given with --sms: an SMS sets its own limit";
    if (options.languages != 0 && options.sms == core::SmsUnits::Off)
        return "--language needs --sms or --sms=concat";
    if (options.records != RecordFormat::None && !options.json)
        return "--records needs --json";
    if (options.json && options.null)
        return "--null cannot be given with --json";
    if (options.number) {
        std::string error;
        if (!core::NumberFormat::parse(*options.number, &error))
            return "--number: " + error;
    }
    return {};
}

} // namespace

CommandLine ParseCommandLine(int argc, const char *const *argv) {
    CommandLine line;
    Options &options = line.options;
    std::string_view limitText = "160";
    bool optionsEnded = false;
    bool haveFile = false;

    // The value of --name VALUE or --name=VALUE, when arg is that option.
    int i = 1;
    std::string_view value;
    bool missing = false;
    const auto valued = [&](std::string_view arg, std::string_view name) {
        if (arg == name) {
            missing = i + 1 >= argc;
            value = missing ? std::string_view() : std::string_view(argv[++i]);
            return true;
        }
        if (arg.size() > name.size() && arg.starts_with(name) && arg[name.size()] == '=') {
            value = arg.substr(name.size() + 1);
            return true;
        }
        return false;
    };

    for (; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (optionsEnded || arg == "-" || !arg.starts_with('-')) {
            if (haveFile)
                return usageError("only one FILE can be given");
            options.file = arg;
            haveFile = true;
        } else if (arg == "--help" || arg == "-h") {
            return stop(0, Usage, {});
        } else if (arg == "--version") {
            return stop(0, "tovrik-split " TOVRIK_VERSION "\n", {});
        } else if (valued(arg, "--limit")) {
            if (missing)
                return usageError("--limit needs a value");
            limitText = value;
            options.limitGiven = true;
        } else if (valued(arg, "--mode")) {
            if (missing)
                return usageError("--mode needs a value");
            if (value == "space")
                options.mode = core::SplitMode::Space;
            else if (value == "exact")
                options.mode = core::SplitMode::Exact;
            else if (value == "period")
                options.mode = core::SplitMode::Period;
            else
                return usageError("unknown mode '" + core::Shown(value) +
                                  "' (space, exact or period)");
        } else if (arg == "--null") {
            options.null = true;
        } else if (arg == "--flush") {
            options.flush = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--sms") {
            options.sms = core::SmsUnits::Standalone;
        } else if (arg.starts_with("--sms=")) {
            if (arg == "--sms=concat")
                options.sms = core::SmsUnits::Concat;
            else
                return usageError("unknown SMS way '" + core::Shown(arg.substr(6)) +
                                  "' (only --sms=concat)");
        } else if (valued(arg, "--number")) {
            if (missing)
                return usageError("--number needs a format");
            options.number = std::string(value);
        } else if (valued(arg, "--replace")) {
            if (missing)
                return usageError("--replace needs a value");
            if (value == "when-cheaper")
                options.replace = core::Replacement::WhenCheaper;
            else if (value == "always")
                options.replace = core::Replacement::Always;
            else
                return usageError("unknown replacement '" + core::Shown(value) +
                                  "' (when-cheaper or always)");
        } else if (valued(arg, "--language")) {
            if (missing)
                return usageError("--language needs a value");
            std::string error;
            if (!core::ParseLanguages(value, options.languages, error))
                return usageError("--language: " + error);
        } else if (valued(arg, "--records")) {
            if (missing)
                return usageError("--records needs a value");
            if (value == "lines")
                options.records = RecordFormat::Lines;
            else if (value == "nul")
                options.records = RecordFormat::Nul;
            else if (value == "jsonl")
                options.records = RecordFormat::Jsonl;
            else
                return usageError("unknown records '" + core::Shown(value) +
                                  "' (lines, nul or jsonl)");
        } else if (arg == "--") {
            optionsEnded = true;
        } else {
            return usageError("unknown option '" + core::Shown(arg) + "'");
        }
    }

    const core::ParsedLimit limit = core::ParseLimitC(limitText);
    if (limit.error == core::LimitError::NotNumeric)
        return stop(2, {}, "Character limit must be numeric entry.\n");
    if (limit.error == core::LimitError::OutOfRange)
        return stop(2, {}, "Character limit must be between 1 and 32767.\n");
    options.limit = limit.limit;
    if (const std::string error = conflict(options); !error.empty())
        return usageError(error);
    return line;
}

} // namespace tovrik::cli
