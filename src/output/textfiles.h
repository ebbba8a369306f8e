#pragma once

#include "output/listcommand.h"

#include <QString>

namespace tovrik::commands {
class SplitSettings;
} // namespace tovrik::commands

namespace tovrik::output {

// The one routine that writes a file: the content in the system's encoding,
// without a byte-order mark, replacing any file of that name. The new content
// takes the old file's place only once it is wholly written; on any failure
// the old file stays as it was and a Failure is thrown.
void WriteTextFile(const QString &content, const QString &fileName);

// The list as tab-and-line-end text: the header line, then one line per row
// (the cells of a ticked row, an empty line for an unticked one).
QString ListAsText(const commands::ResultsModel &list, const std::function<void()> &pumpEvents);
void SaveListToTextFile(const commands::ResultsModel &list, const QString &fileName,
                        const std::function<void()> &pumpEvents);

struct SaveCommand {
    ListCommand list;
    const commands::SplitSettings &settings;
    std::function<QString()> outputFolder; // Text4
    std::function<QString()> prefix;       // Text3
    QString &dialogFileName;               // the save dialog's name, kept for the run
};

// "Save Results To Text File".
void PushButton1_Click(const SaveCommand &command);

} // namespace tovrik::output
