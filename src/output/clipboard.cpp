#include "output/clipboard.h"

#include "commands/resultsmodel.h"
#include "shell/applicationtitle.h"
#include "shell/desktop.h"
#include "shell/errorreport.h"
#include "shell/pointershape.h"

#include <QList>

using namespace Qt::StringLiterals;

namespace tovrik::output {

namespace {

constexpr int MaxAttempts = 1000;

// Another program may hold the clipboard for a moment: try again at once.
template <class Attempt> bool retry(Attempt &&attempt) {
    bool done = false;
    int attempts = 0;
    do {
        done = attempt();
        ++attempts;
    } while (!done && attempts < MaxAttempts);
    return done;
}

} // namespace

void ClearClipboard(shell::Desktop &desktop) {
    retry([&] { return desktop.clearClipboard(); });
}

bool SetClipboardText(shell::Desktop &desktop, const QString &text,
                      int /*format: plain text only*/) {
    return retry([&] { return desktop.setClipboardText(text); });
}

QString ClipboardText(const commands::ResultsModel &list, const std::function<void()> &pumpEvents) {
    // Width pass: the longest cell of each column over all rows, ticked or not.
    QList<qsizetype> widths;
    const int columns = list.headerCount();
    for (int k = 1; k <= columns; ++k) {
        qsizetype widest = 0;
        for (int r = 1; r <= list.count(); ++r) {
            pumpEvents();
            widest = qMax(widest, list.cell(r, k).size());
        }
        widths.append(widest);
    }

    // Text pass: one line per ticked row.
    QString text;
    const int rows = list.count();
    for (int r = 1; r <= rows; ++r) {
        pumpEvents();
        if (!list.checked(r))
            continue;
        for (int k = 1, count = list.headerCount(); k <= count; ++k) {
            pumpEvents();
            const QStringView cell = list.cell(r, k);
            text += cell;
            // The blanks after the last cell would go again with the trailing
            // blanks below: they are not written, so that one long piece does
            // not cost every row its width.
            const qsizetype width = k <= widths.size() ? widths.at(k - 1) : 0;
            if (k < count && width >= cell.size())
                text += QString(width - cell.size(), u' ');
            text += u'\t';
        }
        text.chop(1); // the TAB after the last cell
        qsizetype end = text.size();
        while (end > 0 && text.at(end - 1) == u' ')
            --end;
        text.truncate(end);
        text += u"\r\n"_s;
    }
    return text;
}

void CopyListToClipboard(shell::Desktop &desktop, const commands::ResultsModel &list,
                         const std::function<void()> &pumpEvents) {
    if (list.count() == 0)
        return;
    const QString text = ClipboardText(list, pumpEvents);
    ClearClipboard(desktop);
    SetClipboardText(desktop, text, 0);
}

void PushButton6_Click(const ListCommand &c) {
    shell::HandlerSteps s(c.desktop, u"PushButton6_Click"_s);
    s.step(108, [&] { c.pointer.set(shell::PointerShape::Busy); });
    s.step(110, [&] { CopyListToClipboard(c.desktop, c.results, c.pumpEvents); });
    s.step(112, [&] {
        c.desktop.message(u"Results have been copied to the clipboard.\r\r"
                          u"Click a text area where you normally type and press Ctrl+V to "
                          u"paste the clipboard."_s,
                          shell::ApplicationTitle(), shell::MessageIcon::None);
    });
    s.step(114, [&] { c.pointer.set(shell::PointerShape::Default); });
}

} // namespace tovrik::output
