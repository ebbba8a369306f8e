#pragma once

#include "desktop.h"
#include "spreadsheet.h"

#include <QList>
#include <QString>

namespace tovrik::testing {

// Records every message box; the other side effects do nothing.
class FakeDesktop : public Desktop {
public:
    struct Message {
        QString text;
        QString title;
        MessageIcon icon;
    };
    QList<Message> messages;

    QStringList texts() const {
        QStringList result;
        for (const Message &m : messages)
            result.append(m.text);
        return result;
    }

    void message(const QString &text, const QString &title, MessageIcon icon) override {
        messages.append({text, title, icon});
    }
    QString saveFileName(const QString &, const QStringList &, const QString &) override {
        return {};
    }
    QString browseForFolder(const QString &, const QString &) override { return {}; }
    bool clearClipboard() override { return false; }
    bool setClipboardText(const QString &) override { return false; }
    std::unique_ptr<SpreadsheetApplication> createSpreadsheet() override { return nullptr; }
    bool openUrl(const QUrl &) override { return false; }
    void seedRandom(quint32) override {}
    double random() override { return 0; }
};

} // namespace tovrik::testing
