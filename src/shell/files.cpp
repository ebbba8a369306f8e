#include "shell/files.h"

#include "shell/failure.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace tovrik::shell {

namespace {

constexpr qsizetype PathBufferLength = 512;

// The desktop folder as the desktop environment defines it (user-dirs.dirs).
// Like GLib, fall back to the home folder when that folder does not exist:
// a minimal install has no Desktop, and an output folder that is missing
// would block every split.
QString desktopFolder() {
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!desktop.isEmpty() && QFileInfo(desktop).isDir())
        return QDir::cleanPath(desktop);
    return QDir::homePath();
}

} // namespace

QString GetSpecialFolderPath(int folder) {
    QString path;
    if (folder == CsidlDesktop)
        path = desktopFolder();
    if (path.isEmpty())
        return {};
    // Paths here may be longer than the buffer: it then ends at the NUL.
    QString buffer = path;
    buffer += QChar(u'\0');
    buffer += QString(qMax(PathBufferLength - buffer.size(), qsizetype(0)), u' ');
    return buffer;
}

QString GetDefaultOutputFolder() {
    const QString buffer = GetSpecialFolderPath(CsidlDesktop);
    const qsizetype nul = buffer.lastIndexOf(QChar(u'\0'));
    if (nul < 0)
        throw Failure(u"Invalid procedure call or argument"_s);
    return buffer.left(nul) + u'/';
}

bool FileExists(const QString &path) {
    if (path.isEmpty())
        return false;
    // Whatever exists has a time stamp to read. (Not QFileInfo::lastModified:
    // it reads the stamp 1970-01-01 00:00:00, which archives often give
    // their files, as none.)
    return QFileInfo::exists(path);
}

} // namespace tovrik::shell
