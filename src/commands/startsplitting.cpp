#include "commands/startsplitting.h"

#include "commands/limit.h"
#include "commands/resultsmodel.h"
#include "commands/splitsettings.h"
#include "core/cutter.h"
#include "shell/applicationtitle.h"
#include "shell/desktop.h"
#include "shell/errorreport.h"
#include "shell/pointershape.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace tovrik::commands {

bool FolderExists(const QString &path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

void PushButton2_Click(const SplitCommand &c) {
    shell::HandlerSteps s(c.desktop, u"PushButton2_Click"_s);
    const auto tell = [&](const QString &text) {
        c.desktop.message(text, shell::ApplicationTitle(), shell::MessageIcon::None);
    };
    // Refusing a limit: the list is already cleared; the pointer goes back.
    const auto refuse = [&](const QString &text) {
        tell(text);
        c.pointer.set(shell::PointerShape::Default);
    };

    if (s.test(100, [&] { return !FolderExists(c.outputFolder()); })) {
        s.step(186, [&] { tell(u"Folder does not exist. Please select another folder."_s); });
        return;
    }
    s.step(102, [&] { c.pointer.set(shell::PointerShape::Busy); });
    s.step(104, [&] { c.results.clear(); });

    int limit = 0;
    if (s.test(106, [&] { return c.settings.option(1); })) {
        s.step(108, [&] { limit = 160; });
    } else if (s.test(110, [&] { return c.settings.option(2); })) {
        s.step(112, [&] { limit = 140; });
    } else if (s.test(114, [&] { return c.settings.option(3); })) {
        s.step(116, [&] { limit = 150; });
    } else if (s.test(118, [&] { return c.settings.option(4); })) {
        const QString xText = c.settings.xText();
        if (s.test(120, [&] { return !IsNumeric(xText); })) {
            s.step(122, [&] { refuse(u"Character limit must be numeric entry."_s); });
            return;
        }
        bool inRange = true;
        s.step(124, [&] {
            const core::ParsedLimit parsed = ParseLimit(xText);
            inRange = parsed.error == core::LimitError::None;
            if (inRange)
                limit = parsed.limit;
            else
                refuse(u"Character limit must be between 1 and 32767."_s);
        });
        if (!inRange)
            return;
    } else {
        // Only stored values can select no limit at all.
        s.more([&] { refuse(u"Please choose a character limit."_s); });
        return;
    }

    // Each mode's routine appends its pieces as it cuts them; they reach the
    // list's views in one insertion at the end of the step.
    const auto cut = [&](core::SplitMode mode) {
        const QString message = c.message();
        ResultsModel::Batch rows(c.results, message);
        core::CutMessage(
            std::u16string_view(QStringView(message).utf16(), std::size_t(message.size())), limit,
            mode, [&](std::u16string_view piece) {
                rows.append(QStringView(piece.data(), qsizetype(piece.size())));
            });
    };
    if (s.test(126, [&] { return c.settings.option(6); })) {
        s.step(128, [&] { cut(core::SplitMode::Exact); });
    } else if (s.test(140, [&] { return c.settings.option(5); })) {
        s.step(142, [&] { cut(core::SplitMode::Space); });
    } else if (s.test(162, [&] { return c.settings.option(7); })) {
        s.step(164, [&] { cut(core::SplitMode::Period); });
    }
    s.step(184, [&] { c.pointer.set(shell::PointerShape::Default); });
}

} // namespace tovrik::commands
