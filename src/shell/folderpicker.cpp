#include "shell/folderpicker.h"

#include <QDir>
#include <QFileDialog>

namespace tovrik::shell {

QString BrowseForFolder(QWidget *owner, const QString &prompt, const QString &startFolder) {
    // Without a start folder the dialog opens in the working folder, and
    // Return alone would store that.
    const QString chosen = QFileDialog::getExistingDirectory(
        owner, prompt, startFolder.isEmpty() ? QDir::homePath() : startFolder,
        QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (chosen.isEmpty())
        return {};
    return QDir::cleanPath(chosen);
}

} // namespace tovrik::shell
