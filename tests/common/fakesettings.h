#pragma once

#include "settings/settingsstore.h"

#include <QList>
#include <QPair>
#include <QString>

namespace tovrik::testing {

// Logs every write in order; reads give the default.
class FakeSettings : public settings::Settings {
public:
    QList<QPair<QString, QString>> writes;

    QString ReadSetting(const QString &, const QVariant &defaultValue) const override {
        return defaultValue.toString();
    }
    void WriteSetting(const QString &key, const QString &value) override {
        writes.append({key, value});
    }
    QList<QPair<QString, QString>> take() { return std::exchange(writes, {}); }
};

} // namespace tovrik::testing
