#pragma once

#include <QString>

#include <functional>

namespace tovrik::shell {
class Desktop;
class PointerShape;
} // namespace tovrik::shell

namespace tovrik::commands {

class ResultsModel;
class SplitSettings;

// True only when the path names an existing folder; never fails.
bool FolderExists(const QString &path);

// What "Start Splitting" works on. The two texts are read from their boxes
// when the command needs them.
struct SplitCommand {
    SplitSettings &settings;
    ResultsModel &results;
    shell::PointerShape &pointer;
    shell::Desktop &desktop;
    std::function<QString()> outputFolder; // Text4
    std::function<QString()> message;      // Text2
};

// "Start Splitting": checks the output folder, clears the list, takes the
// limit and the mode and appends one row per piece.
void PushButton2_Click(const SplitCommand &command);

} // namespace tovrik::commands
