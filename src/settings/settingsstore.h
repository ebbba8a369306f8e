#pragma once

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

class QSettings;

namespace tovrik::settings {

// The per-user store of the remembered choices: texts under the application
// "Quandrel", the section "Tovrik" and a key.
class Settings {
public:
    virtual ~Settings() = default;
    // The stored text, or the default converted to text when nothing is stored.
    virtual QString ReadSetting(const QString &key, const QVariant &defaultValue) const = 0;
    virtual void WriteSetting(const QString &key, const QString &value) = 0;
    // Values that hold together (the states of a group of option buttons),
    // in order: on disk all of them or none, never a mix of old and new.
    virtual void WriteSettings(const QList<QPair<QString, QString>> &values) {
        for (const auto &[key, value] : values)
            WriteSetting(key, value);
    }
};

// The real store: QSettings in the platform's native format, on disk the
// moment a value is written.
class SettingsStore final : public Settings {
public:
    SettingsStore();
    ~SettingsStore() override;

    QString ReadSetting(const QString &key, const QVariant &defaultValue) const override;
    void WriteSetting(const QString &key, const QString &value) override;
    // One rewrite of the file for them all.
    void WriteSettings(const QList<QPair<QString, QString>> &values) override;

    // Called once per run, with a message for the user that says why, the
    // first time a write does not reach the disk. The program keeps working
    // with the values it shows.
    void onWriteFailure(std::function<void(const QString &message)> handler);

    QString fileName() const;

private:
    QString failureMessage() const;
    void writeFailed();

    std::unique_ptr<QSettings> m_settings;
    std::function<void(const QString &)> m_onWriteFailure;
    bool m_failureTold = false;
    QHash<QString, QString> m_unsaved; // values the disk could not take yet
};

} // namespace tovrik::settings
