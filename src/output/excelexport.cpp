#include "output/excelexport.h"

#include "commands/resultsmodel.h"
#include "shell/applicationtitle.h"
#include "shell/desktop.h"
#include "shell/errorreport.h"
#include "shell/failure.h"
#include "shell/pointershape.h"
#include "shell/spreadsheet.h"

#include <memory>

using namespace Qt::StringLiterals;

namespace tovrik::output {

namespace {

void tell(shell::Desktop &desktop, const QString &text) {
    desktop.message(text, shell::ApplicationTitle(), shell::MessageIcon::None);
}

template <class T> T &object(T *pointer) {
    if (!pointer)
        throw shell::Failure(u"Object variable or With block variable not set"_s);
    return *pointer;
}

} // namespace

bool SaveResultsAsExcelFileIsExcelInstalled(shell::Desktop &desktop) {
    bool installed = true;
    bool failed = false;
    std::unique_ptr<shell::SpreadsheetApplication> probe;
    try {
        probe = desktop.createSpreadsheet();
    } catch (...) {
        failed = true;
    }
    if (!probe)
        tell(desktop, u"Excel is not installed on this computer. You need to have it installed "
                      u"to use this software without error."_s);
    probe.reset();
    if (failed)
        installed = false;
    return installed;
}

void PushButton3_Click(const ListCommand &c) {
    shell::HandlerSteps s(c.desktop, u"PushButton3_Click"_s);
    if (s.test(100, [&] { return !SaveResultsAsExcelFileIsExcelInstalled(c.desktop); })) {
        s.step(176, [&] {
            tell(c.desktop, u"Excel is not installed on this computer. You need to have it "
                            u"installed to use this feature."_s);
        });
        return;
    }
    if (s.test(108, [&] { return c.results.count() == 0; }))
        return;
    if (s.test(110, [&] { return c.results.count() > MaxSpreadsheetRows; })) {
        s.step(174, [&] { tell(c.desktop, u"Excel can hold only 65,000 rows."_s); });
        return;
    }
    s.step(112, [&] { c.pointer.set(shell::PointerShape::Busy); });

    std::unique_ptr<shell::SpreadsheetApplication> application;
    shell::Workbook *workbook = nullptr;
    s.step(114, [&] { application = c.desktop.createSpreadsheet(); });
    s.step(116, [&] { workbook = &object(application.get()).addWorkbook(); });
    const auto sheet = [&]() -> shell::Worksheet & { return object(workbook).activeSheet(); };

    int column = 0;
    s.step(118, [&] { column = 1; });
    int headers = 0;
    s.step(120, [&] { headers = c.results.headerCount(); });
    for (int i = 1; i <= headers; ++i) {
        s.step(122, [&] { c.pumpEvents(); });
        s.step(i == 1 ? 126 : 130, [&] { sheet().setCell(1, column, c.results.headerText(i)); });
        s.step(i == 1 ? 128 : 132, [&] { ++column; });
        s.step(134, [&] { sheet().autofitColumn(i); });
        // [136] next i
    }

    int sheetRow = 0;
    s.step(138, [&] { sheetRow = 2; });
    int rows = 0;
    s.step(140, [&] { rows = c.results.count(); });
    for (int r = 1; r <= rows; ++r) {
        s.step(142, [&] { c.pumpEvents(); });
        if (s.test(144, [&] { return c.results.checked(r); })) {
            s.step(146, [&] { column = 1; });
            for (int k = 1; k <= c.results.headerCount(); ++k) { // [148]
                s.step(150, [&] { c.pumpEvents(); });
                if (s.test(152, [&] { return k == 1; })) {
                    s.step(154, [&] {
                        sheet().setCell(sheetRow, column, c.results.text(r).toString());
                    });
                    s.step(156, [&] { ++column; });
                } else {
                    s.step(158, [&] {
                        sheet().setCell(sheetRow, column, c.results.subItem(r, k - 1).remove(u'='));
                    });
                    s.step(160, [&] { ++column; });
                }
                // [162] next k
            }
        }
        s.step(164, [&] { ++sheetRow; });
        // [166] next r
    }
    s.step(168, [&] { sheet().autofitColumns(); });
    s.step(170, [&] { object(application.get()).setVisible(true); });
    s.step(172, [&] { c.pointer.set(shell::PointerShape::Default); });
}

} // namespace tovrik::output
