// tovrik: the window.
#include "shell/applicationtitle.h"
#include "output/calcbackend.h"
#include "ui/form1.h"
#include "ui/qtdesktop.h"
#include "settings/settingsstore.h"
#include "ui/startup.h"

#include <QApplication>
#include <QIcon>

using namespace Qt::StringLiterals;

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(ui);
    QApplication::setApplicationName(u"Tovrik"_s);
    QApplication::setOrganizationName(u"Quandrel"_s);
    QApplication::setApplicationVersion(QStringLiteral(TOVRIK_VERSION));
    QApplication::setDesktopFileName(u"io.quandrel.Tovrik"_s);
    QApplication::setWindowIcon(QIcon(u":/tovrik/tovrik.svg"_s));

    tovrik::QtDesktop desktop;
    tovrik::SettingsStore settings;
    settings.onWriteFailure([&desktop](const QString &message) {
        desktop.message(message, tovrik::ApplicationTitle(), tovrik::MessageIcon::Warning);
    });

    tovrik::Form1 form(settings, desktop);
    desktop.setOwner(&form);
    form.Form_Load(tovrik::ProgramFolder());
    form.showCentred();
    const int status = app.exec();
    // What earlier exports left for Calc, read by now.
    tovrik::RemoveOldSpreadsheetFiles();
    return status;
}
