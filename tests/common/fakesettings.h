#pragma once

#include "settings/settingsstore.h"

#include <QList>
#include <QPair>
#include <QString>

namespace tovrik::testing {

// Logs every write in order, and how many writes of one or more values
// there were; reads give the default.
class FakeSettings : public settings::Settings {
public:
    QList<QPair<QString, QString>> writes;
    int rewrites = 0;

    QString ReadSetting(const QString &, const QVariant &defaultValue) const override {
        return defaultValue.toString();
    }
    void WriteSetting(const QString &key, const QString &value) override {
        writes.append({key, value});
        ++rewrites;
    }
    void WriteSettings(const QList<QPair<QString, QString>> &values) override {
        writes.append(values);
        ++rewrites;
    }
    QList<QPair<QString, QString>> take() {
        rewrites = 0;
        return std::exchange(writes, {});
    }
};

} // namespace tovrik::testing
