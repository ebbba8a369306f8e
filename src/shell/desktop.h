#pragma once

#include "shell/spreadsheet.h"

#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>

class QAccessibleEvent;

namespace tovrik::shell {

enum class MessageIcon { None, Warning };

// Every side effect that a test cannot watch directly goes through here:
// message boxes, file and folder dialogs, the clipboard, the spreadsheet
// application, opening web pages, the random numbers of start-up and what
// screen readers are told.
// The window gets the real one; tests pass a fake.
class Desktop {
public:
    virtual ~Desktop() = default;

    // A modal box with one OK button.
    virtual void message(const QString &text, const QString &title, MessageIcon icon) = 0;

    // Save dialog: returns the chosen name, or an empty text on Cancel.
    virtual QString saveFileName(const QString &title, const QStringList &filters,
                                 const QString &initialName) = 0;
    // Folder browser: returns the chosen folder without a trailing separator
    // (the root stays "/"), or an empty text on Cancel.
    virtual QString browseForFolder(const QString &prompt, const QString &startFolder) = 0;

    // One attempt each; false when the platform refused.
    virtual bool clearClipboard() = 0;
    virtual bool setClipboardText(const QString &text) = 0;

    // Starts the spreadsheet application; nullptr when there is none.
    virtual std::unique_ptr<SpreadsheetApplication> createSpreadsheet() = 0;

    virtual bool openUrl(const QUrl &url) = 0;

    // Tells assistive tools (screen readers) of a change they cannot see
    // for themselves. Nothing listens by default.
    virtual void announce(QAccessibleEvent *event) { (void)event; }

    virtual void seedRandom(quint32 seed) = 0;
    // Uniform in [0, 1).
    virtual double random() = 0;
};

} // namespace tovrik::shell
