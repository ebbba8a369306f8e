#pragma once

#include <QString>

namespace tovrik::shell {

// The automation surface of a spreadsheet application, as the export uses
// it: a new workbook, text cells on its active sheet, column fitting, and
// showing the application. Every call may throw shell::Failure.
class Worksheet {
public:
    virtual ~Worksheet() = default;
    // ActiveSheet.Cells(row, column) := text, always as a text value.
    virtual void setCell(int row, int column, const QString &text) = 0;
    // ActiveSheet.Columns(column).Autofit
    virtual void autofitColumn(int column) = 0;
    // ActiveSheet.Columns.Autofit
    virtual void autofitColumns() = 0;
};

class Workbook {
public:
    virtual ~Workbook() = default;
    virtual Worksheet &activeSheet() = 0;
};

class SpreadsheetApplication {
public:
    virtual ~SpreadsheetApplication() = default;
    // Workbooks.add: a new, empty workbook, owned by the application.
    virtual Workbook &addWorkbook() = 0;
    // Visible := value. Showing hands the workbooks to the user, unsaved.
    virtual void setVisible(bool visible) = 0;
};

} // namespace tovrik::shell
