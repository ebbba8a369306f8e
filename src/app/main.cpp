// tovrik: the window.
#include "output/calcbackend.h"
#include "settings/settingsstore.h"
#include "shell/applicationtitle.h"
#include "ui/form1.h"
#include "ui/qtdesktop.h"
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

    tovrik::ui::QtDesktop desktop;
    tovrik::settings::SettingsStore settings;
    settings.onWriteFailure([&desktop](const QString &message) {
        desktop.message(message, tovrik::shell::ApplicationTitle(),
                        tovrik::shell::MessageIcon::Warning);
    });

    tovrik::ui::Form1 form(settings, desktop);
    desktop.setOwner(&form);
    form.Form_Load(tovrik::ui::ProgramFolder());
    form.showCentred();
    const int status = app.exec();
    // What earlier exports left for Calc, read by now.
    tovrik::output::RemoveOldSpreadsheetFiles();
    return status;
}
