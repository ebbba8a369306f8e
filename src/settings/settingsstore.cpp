#include "settingsstore.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace tovrik {

namespace {
const QString Section = u"Tovrik"_s;

QString key(const QString &name) {
    return Section + u'/' + name;
}
} // namespace

SettingsStore::SettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             u"Quandrel"_s, u"Tovrik"_s)) {}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::ReadSetting(const QString &name, const QVariant &defaultValue) const {
    const QVariant value = m_settings->value(key(name));
    if (!value.isValid())
        return defaultValue.toString();
    // A hand-edited file can hold an unquoted list ("a, b"); keep it as text.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(u", "_s);
    return value.toString();
}

void SettingsStore::WriteSetting(const QString &name, const QString &value) {
    m_settings->setValue(key(name), value);
    m_settings->sync();
    if (m_settings->status() == QSettings::NoError || m_failureTold)
        return;
    m_failureTold = true;
    if (m_onWriteFailure)
        m_onWriteFailure(failureReason());
}

void SettingsStore::onWriteFailure(std::function<void(const QString &)> handler) {
    m_onWriteFailure = std::move(handler);
}

QString SettingsStore::fileName() const {
    return m_settings->fileName();
}

// QSettings only says that access failed; ask the file system why.
QString SettingsStore::failureReason() const {
    const QString path = fileName();
    if (m_settings->status() == QSettings::FormatError)
        return path + u": the file is not in a format that can be read"_s;
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return info.absolutePath() + u": the folder cannot be created"_s;
    QSaveFile probe(path);
    if (!probe.open(QIODevice::WriteOnly))
        return path + u": "_s + probe.errorString();
    probe.cancelWriting();
    return path + u": the file cannot be written"_s;
}

} // namespace tovrik
