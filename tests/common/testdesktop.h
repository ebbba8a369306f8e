#pragma once

#include "shell/desktop.h"
#include "shell/failure.h"
#include "shell/spreadsheet.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace tovrik::testing {

// A spreadsheet application that logs its calls; it can be told to fail one.
class RecordingSpreadsheet : public shell::SpreadsheetApplication,
                             shell::Workbook,
                             shell::Worksheet {
public:
    explicit RecordingSpreadsheet(QStringList &log, QString failOn = {},
                                  std::function<void(const QString &)> called = {})
        : m_log(log), m_failOn(std::move(failOn)), m_called(std::move(called)) {}
    shell::Workbook &addWorkbook() override {
        record(QStringLiteral("Workbooks.add"));
        return *this;
    }
    void setVisible(bool visible) override {
        record(visible ? QStringLiteral("Visible=True") : QStringLiteral("Visible=False"));
    }
    shell::Worksheet &activeSheet() override { return *this; }
    void setCell(int row, int column, const QString &text) override {
        record(QStringLiteral("Cells(%1,%2)=%3").arg(row).arg(column).arg(text));
    }
    void autofitColumn(int column) override {
        record(QStringLiteral("Columns(%1).Autofit").arg(column));
    }
    void autofitColumns() override { record(QStringLiteral("Columns.Autofit")); }

private:
    void record(const QString &call) {
        m_log.append(call);
        if (m_called)
            m_called(call);
        if (!m_failOn.isEmpty() && call.startsWith(m_failOn))
            throw shell::Failure(QStringLiteral("Automation error"));
    }
    QStringList &m_log;
    QString m_failOn;
    std::function<void(const QString &)> m_called;
};

// Every side effect recorded or scripted.
class TestDesktop : public shell::Desktop {
public:
    struct Message {
        QString text;
        QString title;
        shell::MessageIcon icon;
    };
    QList<Message> messages;
    QStringList messageTexts() const {
        QStringList texts;
        for (const Message &m : messages)
            texts.append(m.text);
        return texts;
    }

    // Save dialog: the names it gives, in turn ("" is Cancel); what it was shown.
    QStringList saveAnswers;
    QStringList saveInitialNames;
    QString saveTitle;
    QStringList saveFilters;

    // Folder browser.
    QString folderAnswer;
    QString folderPrompt;
    int folderCalls = 0;

    // Clipboard: attempts fail while the counters are above zero.
    QString clipboard = QStringLiteral("before");
    int clearFailures = 0;
    int setFailures = 0;
    int clearAttempts = 0;
    int setAttempts = 0;

    // Spreadsheet application.
    bool spreadsheetInstalled = true;
    QString spreadsheetFailOn;
    QStringList spreadsheetLog;
    std::function<void(const QString &)> spreadsheetCalled; // after each call is logged
    int spreadsheetsCreated = 0;

    QList<QUrl> openedUrls;
    double randomValue = 0.5;
    QList<quint32> seeds;

    void message(const QString &text, const QString &title, shell::MessageIcon icon) override {
        messages.append({text, title, icon});
    }
    QString saveFileName(const QString &title, const QStringList &filters,
                         const QString &initialName) override {
        saveTitle = title;
        saveFilters = filters;
        saveInitialNames.append(initialName);
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    }
    QString browseForFolder(const QString &prompt, const QString &) override {
        ++folderCalls;
        folderPrompt = prompt;
        return folderAnswer;
    }
    bool clearClipboard() override {
        ++clearAttempts;
        if (clearFailures > 0) {
            --clearFailures;
            return false;
        }
        clipboard.clear();
        return true;
    }
    bool setClipboardText(const QString &text) override {
        ++setAttempts;
        if (setFailures > 0) {
            --setFailures;
            return false;
        }
        clipboard = text;
        return true;
    }
    std::unique_ptr<shell::SpreadsheetApplication> createSpreadsheet() override {
        if (!spreadsheetInstalled)
            throw shell::Failure(QStringLiteral("ActiveX component can't create object"));
        ++spreadsheetsCreated;
        spreadsheetLog.append(QStringLiteral("create"));
        return std::make_unique<RecordingSpreadsheet>(spreadsheetLog, spreadsheetFailOn,
                                                      spreadsheetCalled);
    }
    bool openUrl(const QUrl &url) override {
        openedUrls.append(url);
        return true;
    }
    void seedRandom(quint32 seed) override { seeds.append(seed); }
    double random() override { return randomValue; }
};

} // namespace tovrik::testing
