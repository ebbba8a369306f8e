#include "output/textfiles.h"

#include "commands/resultsmodel.h"
#include "commands/splitsettings.h"
#include "shell/applicationtitle.h"
#include "shell/desktop.h"
#include "shell/errorreport.h"
#include "shell/failure.h"
#include "shell/pointershape.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QStringEncoder>

#include <cerrno>
#include <cstring>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace tovrik::output {

void WriteTextFile(const QString &content, const QString &fileName) {
    const auto fail = [&](const QString &reason) {
        throw shell::Failure(u"Cannot write "_s + fileName + u": "_s + reason);
    };
    if (fileName.isEmpty())
        fail(u"no file name"_s);
    // The new file takes the old one's place by a rename, which would put it
    // in the place of a pipe or a device (/dev/null) as well.
    if (const QFileInfo existing(fileName); existing.exists() && !existing.isFile())
        fail(u"it is not a regular file"_s);
    QSaveFile file(fileName);
    // Unbuffered: a full disk shows at write(). A buffered write succeeds
    // and the error at commit()'s flush goes unnoticed, and commit() then
    // puts the short file in the old one's place.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        fail(file.errorString());
    QStringEncoder encode(QStringConverter::System);
    const QByteArray bytes = encode(content);
    // A write cut short (the disk filled up partway) sets no error; the
    // write of the rest then fails and names the cause.
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 wrote = file.write(bytes.constData() + done, bytes.size() - done);
        if (wrote <= 0)
            fail(file.errorString());
        done += wrote;
    }
    // commit() syncs too but ignores the result; the data must be on disk
    // before the rename.
    if (::fdatasync(file.handle()) != 0 && errno != EINVAL)
        fail(QString::fromLocal8Bit(std::strerror(errno)));
    if (!file.commit())
        fail(file.errorString());
}

namespace {
// A file's path in the output folder. A folder typed without its final
// separator (the picker and the default give one) still holds the file:
// "/home/u/Out" and "Split_1.txt" are not "/home/u/OutSplit_1.txt".
QString InFolder(const QString &folder, const QString &name) {
    if (folder.isEmpty() || folder.endsWith(u'/'))
        return folder + name;
    return folder + u'/' + name;
}

// The message that refuses a prefix that would put a file outside the output
// folder, or cut its name short; empty when it is fine. "." and ".." are
// fine: the row number and ".txt" follow them, so ".1.txt" stays inside.
QString PrefixRefusal(const QString &prefix) {
    if (prefix.contains(u'/'))
        return u"The prefix cannot contain /."_s;
    if (prefix.contains(QChar(0)))
        return u"The prefix cannot contain a NUL character."_s;
    return {};
}
} // namespace

QString ListAsText(const commands::ResultsModel &list, const std::function<void()> &pumpEvents) {
    QString text;
    for (int c = 1; c <= list.headerCount(); ++c) {
        pumpEvents();
        text += list.headerText(c);
        text += u'\t';
    }
    text += u"\r\n"_s;
    const int rows = list.count();
    for (int r = 1; r <= rows; ++r) {
        pumpEvents();
        if (list.checked(r)) {
            for (int c = 1; c <= list.headerCount(); ++c) {
                pumpEvents();
                text += list.cell(r, c);
                text += u'\t';
            }
        }
        text += u"\r\n"_s;
    }
    return text;
}

void SaveListToTextFile(const commands::ResultsModel &list, const QString &fileName,
                        const std::function<void()> &pumpEvents) {
    WriteTextFile(ListAsText(list, pumpEvents), fileName);
}

void PushButton1_Click(const SaveCommand &c) {
    const ListCommand &l = c.list;
    shell::HandlerSteps s(l.desktop, u"PushButton1_Click"_s);

    if (s.test(106, [&] { return c.settings.option(8); })) {
        // The dialog: no overwrite question, no default suffix, opened with
        // the name chosen at the previous save of this run.
        QString title;
        QStringList filters;
        QString chosen;
        QString fileName;
        // [108] the flags: the Desktop's save dialog asks no overwrite question
        // and adds no suffix.
        s.step(110, [&] { title = u"Save List"_s; });
        s.step(112, [&] { filters = {u"Text Files (*.txt)"_s, u"All Files (*)"_s}; });
        s.step(114, [&] { chosen = l.desktop.saveFileName(title, filters, c.dialogFileName); });
        s.step(116, [&] {
            fileName = chosen;
            if (!chosen.isEmpty())
                c.dialogFileName = chosen;
        });
        if (s.test(118, [&] { return fileName.isEmpty(); }))
            return; // cancelled
        s.step(120, [&] { l.pointer.set(shell::PointerShape::Busy); });
        s.step(122, [&] { SaveListToTextFile(l.results, fileName, l.pumpEvents); });
        s.step(124, [&] { l.pointer.set(shell::PointerShape::Default); });
        return;
    }
    if (s.test(126, [&] { return c.settings.option(9); })) {
        // Refused before any file is written; also when the check itself fails.
        bool refused = true;
        s.more([&] {
            const QString refusal = PrefixRefusal(c.prefix());
            if (refusal.isEmpty())
                refused = false;
            else
                l.desktop.message(refusal, shell::ApplicationTitle(), shell::MessageIcon::None);
        });
        if (refused)
            return;
        int rows = 0;
        s.step(128, [&] { rows = l.results.count(); });
        for (int i = 1; i <= rows; ++i) {
            // A file that cannot be written ends the save, reported once and
            // not followed by "Done Saved.": a missing folder or a full disk
            // would fail every row in turn, a message box each.
            if (!s.step(130, [&] {
                    WriteTextFile(
                        l.results.text(i).toString(),
                        InFolder(c.outputFolder(), c.prefix() + QString::number(i) + u".txt"_s));
                }))
                return;
            // [132] next i
        }
        s.step(134, [&] {
            l.desktop.message(u"Done Saved."_s, shell::ApplicationTitle(),
                              shell::MessageIcon::None);
        });
    }
}

} // namespace tovrik::output
