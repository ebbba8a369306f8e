#pragma once

#include <QString>

class QWidget;

namespace tovrik::shell {

// The system's folder browser: folders only; when startFolder is empty it
// opens at the home folder with nothing chosen. Returns the path without a trailing separator (the
// root stays "/"), or an empty text when the user cancels.
QString BrowseForFolder(QWidget *owner, const QString &prompt, const QString &startFolder);

} // namespace tovrik::shell
