#pragma once

#include "shell/desktop.h"

#include <random>

class QWidget;

namespace tovrik::ui {

// The real side effects: Qt's message boxes, file dialogs and clipboard,
// LibreOffice Calc, the web browser.
class QtDesktop final : public shell::Desktop {
public:
    // Dialogs and message boxes are owned by this window once it is set.
    void setOwner(QWidget *owner) { m_owner = owner; }

    void message(const QString &text, const QString &title, shell::MessageIcon icon) override;
    QString saveFileName(const QString &title, const QStringList &filters,
                         const QString &initialName) override;
    QString browseForFolder(const QString &prompt, const QString &startFolder) override;
    bool clearClipboard() override;
    bool setClipboardText(const QString &text) override;
    std::unique_ptr<shell::SpreadsheetApplication> createSpreadsheet() override;
    bool openUrl(const QUrl &url) override;
    void announce(QAccessibleEvent *event) override;
    void seedRandom(quint32 seed) override;
    double random() override;

private:
    QWidget *m_owner = nullptr;
    std::mt19937 m_random;
};

} // namespace tovrik::ui
