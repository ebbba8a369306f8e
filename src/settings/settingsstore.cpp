#include "settings/settingsstore.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStringList>

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

QString Text(const QVariant &value) {
    // A hand-edited file can hold an unquoted list ("a, b"); keep it as text.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(u", "_s);
    return value.toString();
}
} // namespace

SettingsStore::SettingsStore() : m_settings(OpenSettings()) {}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::ReadSetting(const QString &name, const QVariant &defaultValue) const {
    const QVariant value = m_settings->value(key(name));
    if (!value.isValid())
        return defaultValue.toString();
    return Text(value);
}

void SettingsStore::WriteSetting(const QString &name, const QString &value) {
    m_settings->setValue(key(name), value);
    m_settings->sync();
    if (m_settings->status() == QSettings::NoError || m_failureTold)
        return;
    // QSettings keeps its first error for good, also one from reading a
    // damaged file it then rewrote cleanly; a fresh reader tells whether
    // this value is stored.
    std::unique_ptr<QSettings> fresh = OpenSettings();
    if (fresh->status() == QSettings::NoError && Text(fresh->value(key(name))) == value) {
        m_settings = std::move(fresh);
        return;
    }
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
    QSaveFile probe(path);
    if (!probe.open(QIODevice::WriteOnly))
        return u"Settings cannot be saved: %1 cannot be written (%2)."_s.arg(path,
                                                                             probe.errorString());
    probe.cancelWriting();
    return u"Settings cannot be saved: %1 cannot be written."_s.arg(path);
}

} // namespace tovrik::settings
