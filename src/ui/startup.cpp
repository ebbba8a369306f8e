#include "ui/startup.h"

#include "commands/limit.h"
#include "shell/applicationtitle.h"
#include "shell/desktop.h"
#include "shell/failure.h"
#include "ui/faces.h"
#include "ui/skinframework.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QRadioButton>
#include <QTime>
#include <QWidget>
#include <QtEndian>

using namespace Qt::StringLiterals;

namespace tovrik::ui {

QString ProgramFolder() {
    return QCoreApplication::applicationDirPath();
}

namespace {

void setButtonFace(QWidget *widget) {
    QPalette palette = widget->palette();
    SetFace(palette, QPalette::Window, palette.color(QPalette::Button), QPalette::WindowText);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

void ApplySkin(QWidget *window, const QString &programFolder) {
    const QString path = programFolder + u"/x/o.cjs"_s; // 1.
    if (!QFileInfo(path).isFile()) // 2. (a folder of that name is no skin file)
        return;
    setButtonFace(window); // 3.
    const auto children = window->findChildren<QWidget *>();
    for (QWidget *child : children) // 4.
        if (qobject_cast<QRadioButton *>(child) || qobject_cast<QCheckBox *>(child) ||
            qobject_cast<QGroupBox *>(child) || qobject_cast<QLabel *>(child))
            setButtonFace(child);
    SkinFramework skin; // 5.
    skin.call(2, {path, QString()});
    skin.set(1, skin.get(1).toInt() | 1);
    skin.set(5, true);
    skin.set(10, true);
    skin.call(3, {QVariant::fromValue(window)});
}

QCursor LoadCursorFile(const QString &path) {
    // (A folder is told by the opening; a pipe or a device would hold it up.)
    if (const QFileInfo info(path); info.exists() && !info.isFile() && !info.isDir())
        throw shell::Failure(u"The cursor file "_s + path +
                             u" cannot be read: it is not a regular file"_s);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw shell::Failure(u"The cursor file "_s + path + u" cannot be read: "_s +
                             file.errorString());
    // ICONDIR (type 2: cursor) and the first entry, whose planes and bit
    // count fields hold the hot spot. A fixed buffer: GCC with -fsanitize
    // takes reads from a QByteArray past its empty state for overruns.
    uchar header[14] = {};
    const bool whole = file.read(reinterpret_cast<char *>(header), sizeof header) == sizeof header;
    file.seek(0);
    if (!whole || qFromLittleEndian<quint16>(header + 2) != 2)
        throw shell::Failure(u"The cursor file "_s + path + u" is not a cursor"_s);
    const int hotX = qFromLittleEndian<quint16>(header + 10);
    const int hotY = qFromLittleEndian<quint16>(header + 12);
    QImageReader reader(&file, "cur");
    const QImage image = reader.read();
    if (image.isNull())
        throw shell::Failure(u"The cursor file "_s + path + u" cannot be read: "_s +
                             reader.errorString());
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

void MaybeOpenVendorPage(shell::Desktop &desktop) {
    desktop.seedRandom(quint32(QTime::currentTime().msecsSinceStartOfDay() / 1000)); // 1.
    const int number = int(desktop.random() * 100) + 1;                              // 2.
    if (number == 7)                                                                 // 3.
        desktop.openUrl(QUrl(QString::fromUtf16(VendorHomePage)));
}

QString ApplicationTitleFor(const QString &productName) {
    QString title = productName;
    do {
        const qsizetype blank = title.lastIndexOf(u' ');
        if (blank < 0) // one word: the whole name is the title
            break;
        title.truncate(blank);
    } while (title.size() > 40);
    return title;
}

void SetApplicationTitle() {
    shell::SetApplicationTitleText(ApplicationTitleFor(QString::fromUtf16(shell::ProductName)));
}

bool ToBoolean(const QString &text) {
    const QString word = text.trimmed();
    if (word.compare(u"True"_s, Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(u"False"_s, Qt::CaseInsensitive) == 0)
        return false;
    if (const std::optional<double> number = commands::NumericValue(text))
        return *number != 0;
    throw shell::Failure(u"Type mismatch"_s);
}

} // namespace tovrik::ui
