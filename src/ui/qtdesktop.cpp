#include "ui/qtdesktop.h"

#include "output/calcbackend.h"
#include "shell/failure.h"
#include "shell/folderpicker.h"

#include <QAccessible>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>

using namespace Qt::StringLiterals;

namespace tovrik::ui {

void QtDesktop::message(const QString &text, const QString &title, shell::MessageIcon icon) {
    // A box is centred on its owner; during start-up the window is not shown
    // yet and its place means nothing, so the box is centred on the screen.
    QWidget *owner = m_owner && m_owner->isVisible() ? m_owner : nullptr;
    QMessageBox box(icon == shell::MessageIcon::Warning ? QMessageBox::Warning
                                                        : QMessageBox::NoIcon,
                    title, text, QMessageBox::Ok, owner);
    box.exec();
}

QString QtDesktop::saveFileName(const QString &title, const QStringList &filters,
                                const QString &initialName) {
    // No overwrite question and no suffix added: the name is used as typed.
    return QFileDialog::getSaveFileName(m_owner, title, initialName, filters.join(u";;"_s), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

QString QtDesktop::browseForFolder(const QString &prompt, const QString &startFolder) {
    return shell::BrowseForFolder(m_owner, prompt, startFolder);
}

// QClipboard does not say whether the platform took the data; reading it
// back does.
bool QtDesktop::clearClipboard() {
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->clear();
    return clipboard->text().isEmpty();
}

bool QtDesktop::setClipboardText(const QString &text) {
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->setText(text);
    return clipboard->ownsClipboard() || clipboard->text() == text;
}

std::unique_ptr<shell::SpreadsheetApplication> QtDesktop::createSpreadsheet() {
    std::unique_ptr<shell::SpreadsheetApplication> application = output::CreateCalcApplication();
    if (!application)
        throw shell::Failure(u"ActiveX component can't create object: LibreOffice Calc (soffice) "
                             u"is not installed"_s);
    return application;
}

void QtDesktop::announce(QAccessibleEvent *event) {
    QAccessible::updateAccessibility(event);
}

bool QtDesktop::openUrl(const QUrl &url) {
    return QDesktopServices::openUrl(url);
}

void QtDesktop::seedRandom(quint32 seed) {
    m_random.seed(seed);
}

double QtDesktop::random() {
    return std::uniform_real_distribution<double>(0.0, 1.0)(m_random);
}

} // namespace tovrik::ui
