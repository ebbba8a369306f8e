#include "folderpicker.h"

#include <QDir>
#include <QFileDialog>

namespace tovrik {

QString BrowseForFolder(QWidget *owner, const QString &prompt, const QString &startFolder) {
    const QString chosen = QFileDialog::getExistingDirectory(
        owner, prompt, startFolder, QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (chosen.isEmpty())
        return {};
    return QDir::cleanPath(chosen);
}

} // namespace tovrik
