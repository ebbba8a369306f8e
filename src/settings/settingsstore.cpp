#include "settings/settingsstore.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace tovrik::settings {

namespace {
const QString Section = u"Tovrik"_s;

QString key(const QString &name) {
    return Section + u'/' + name;
}

std::unique_ptr<QSettings> OpenSettings() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, u"Quandrel"_s,
                                       u"Tovrik"_s);
}

// QSettings waits for its lock file for as long as it takes. One that it
// cannot take away, left by a crash in a folder that has since become
// read-only, or a folder of that name, would hang the window at the first
// write.
bool LockInTheWay(const QString &file) {
    const QFileInfo lock(file + u".lock"_s);
    if (!lock.exists() && !lock.isSymLink())
        return false;
    // With the rights the removal would have (not access()'s real ones).
    const bool removable = ::faccessat(AT_FDCWD, QFile::encodeName(lock.absolutePath()).constData(),
                                       W_OK | X_OK, AT_EACCESS) == 0;
    return !lock.isFile() || !removable;
}

QString Text(const QVariant &value) {
    // A hand-edited file can hold an unquoted list ("a, b"); keep it as text.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(u", "_s);
    return value.toString();
}
} // namespace

SettingsStore::SettingsStore() : m_settings(OpenSettings()) {}

// (Every write is synced at once, so QSettings has nothing left to flush,
// and to lock for, at its end.)
SettingsStore::~SettingsStore() = default;

QString SettingsStore::ReadSetting(const QString &name, const QVariant &defaultValue) const {
    if (const auto unsaved = m_unsaved.constFind(name); unsaved != m_unsaved.cend())
        return *unsaved;
    const QVariant value = m_settings->value(key(name));
    if (!value.isValid())
        return defaultValue.toString();
    return Text(value);
}

void SettingsStore::WriteSetting(const QString &name, const QString &value) {
    WriteSettings({{name, value}});
}

void SettingsStore::WriteSettings(const QList<QPair<QString, QString>> &values) {
    if (LockInTheWay(fileName())) {
        for (const auto &[name, value] : values)
            m_unsaved.insert(name, value); // kept for this run, and for a later write
        return writeFailed();
    }
    for (auto it = m_unsaved.cbegin(); it != m_unsaved.cend(); ++it)
        m_settings->setValue(key(it.key()), *it);
    m_unsaved.clear();
    for (const auto &[name, value] : values)
        m_settings->setValue(key(name), value);
    m_settings->sync(); // (the file is replaced whole)
    if (m_settings->status() == QSettings::NoError || m_failureTold)
        return;
    // QSettings keeps its first error for good, also one from reading a
    // damaged file it then rewrote cleanly; a fresh reader tells whether
    // these values are stored.
    std::unique_ptr<QSettings> fresh = OpenSettings();
    if (fresh->status() == QSettings::NoError &&
        std::all_of(values.cbegin(), values.cend(), [&](const QPair<QString, QString> &written) {
            return Text(fresh->value(key(written.first))) == written.second;
        })) {
        m_settings = std::move(fresh);
        return;
    }
    writeFailed();
}

void SettingsStore::writeFailed() {
    if (m_failureTold)
        return;
    m_failureTold = true;
    if (m_onWriteFailure)
        m_onWriteFailure(failureMessage());
}

void SettingsStore::onWriteFailure(std::function<void(const QString &)> handler) {
    m_onWriteFailure = std::move(handler);
}

QString SettingsStore::fileName() const {
    return m_settings->fileName();
}

// QSettings only says that access failed; ask the file system why.
QString SettingsStore::failureMessage() const {
    const QString path = fileName();
    const QFileInfo info(path);
    if (LockInTheWay(path))
        return u"Settings cannot be saved: %1 is locked by %1.lock, which cannot be removed."_s.arg(
            path);
    if (info.isDir())
        return u"Settings cannot be saved: %1 is a folder, not a file."_s.arg(path);
    // Opening, not QFileInfo: access() lets root read anything.
    QFile file(path);
    if (info.exists() && !file.open(QIODevice::ReadOnly))
        return u"Settings cannot be read or saved: %1 cannot be read (%2)."_s.arg(
            path, file.errorString());
    if (!QDir().mkpath(info.absolutePath()))
        return u"Settings cannot be saved: the folder %1 cannot be created."_s.arg(
            info.absolutePath());
    // A full disk still takes an empty file: the probe writes as much as the
    // settings hold, and is then thrown away. (Qt keeps no reason for a
    // failed write: errno has it.)
    QSaveFile probe(path);
    QString reason;
    if (!probe.open(QIODevice::WriteOnly)) {
        reason = probe.errorString();
    } else {
        const QByteArray room(qMax<qint64>(info.size(), 0) + 1, '\n');
        errno = 0;
        if (probe.write(room) != room.size() || !probe.flush())
            reason =
                errno != 0 ? QString::fromLocal8Bit(std::strerror(errno)) : probe.errorString();
        probe.cancelWriting();
    }
    if (!reason.isEmpty())
        return u"Settings cannot be saved: %1 cannot be written (%2)."_s.arg(path, reason);
    return u"Settings cannot be saved: %1 cannot be written."_s.arg(path);
}

} // namespace tovrik::settings
