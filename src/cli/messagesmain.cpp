// tovrik-split-messages: what tovrik-split does with whole messages (SMS
// units, numbering, JSON, records). tovrik-split starts it in its own place
// when one of those options is given, with the same command line.
#include "options.h"
#include "records.h"

#include <QString>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

tovrik::RecordOptions recordOptions(const tovrik::Options &options) {
    using namespace tovrik;
    RecordOptions record;
    record.sms = options.sms == SmsOption::Concat       ? SmsUnits::Concat
                 : options.sms == SmsOption::Standalone ? SmsUnits::Standalone
                                                        : SmsUnits::Off;
    record.mode = options.mode;
    record.limit = options.limit;
    record.limitGiven = options.limitGiven;
    if (options.number)
        record.number = QString::fromUtf8(*options.number);
    record.json = options.json;
    record.records = options.records == RecordsOption::Lines   ? RecordFormat::Lines
                     : options.records == RecordsOption::Nul   ? RecordFormat::Nul
                     : options.records == RecordsOption::Jsonl ? RecordFormat::Jsonl
                                                               : RecordFormat::None;
    record.flush = options.flush;
    record.null = options.nul;
    return record;
}

} // namespace

int main(int argc, char **argv) {
    tovrik::CommandLine line = tovrik::ParseCommandLine(argc, argv);
    const tovrik::RecordOptions options = recordOptions(line.options);
    if (line.exitStatus < 0) {
        if (const QString error = tovrik::OptionsError(options); !error.isEmpty())
            line = tovrik::UsageError(error.toStdString());
    }
    std::fputs(line.out.c_str(), stdout);
    std::fputs(line.error.c_str(), stderr);
    if (line.exitStatus >= 0)
        return line.exitStatus;

    int input = STDIN_FILENO;
    const std::string &file = line.options.file;
    if (file != "-") {
        input = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        if (input < 0) {
            std::fprintf(stderr, "tovrik-split: %s: %s\n", file.c_str(), std::strerror(errno));
            return 1;
        }
    }
    if (options.records != tovrik::RecordFormat::None)
        return tovrik::RunRecords(options, input, STDOUT_FILENO);
    return tovrik::RunMessageFrom(options, input, STDOUT_FILENO);
}
