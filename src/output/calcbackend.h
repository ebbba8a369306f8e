#pragma once

#include "shell/spreadsheet.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace tovrik::output {

// Excel's sheet limits; a workbook beyond them could not be opened anyway.
inline constexpr int MaxSheetRows = 1048576;
inline constexpr int MaxSheetColumns = 16384;
inline constexpr int MaxCellTextLength = 32767;
// Widest column Excel allows, in characters.
inline constexpr int MaxColumnWidth = 255;

// Starts a program without waiting for it; false when it could not start.
using ProgramLauncher = std::function<bool(const QString &program, const QStringList &arguments)>;

// LibreOffice's launcher on PATH: "soffice", else "libreoffice"; empty when
// neither is installed.
QString FindCalcProgram();

// The width, in characters, that fitting a column gives to this text: its
// longest line, East Asian wide characters counting two, clamped to
// MaxColumnWidth.
int TextWidth(const QString &text);

// A sheet kept in memory until its workbook is shown.
class CalcWorksheet : public shell::Worksheet {
public:
    void setCell(int row, int column, const QString &text) override;
    void autofitColumn(int column) override;
    void autofitColumns() override;

    // The width the last fit gave the column, 0 when it keeps the default.
    int columnWidth(int column) const;

    // Writes the sheet as the only one of a new .xlsx file; throws Failure.
    void writeXlsx(const QString &path) const;

private:
    // Rows and columns 0-based; a null text is an empty cell.
    std::vector<std::vector<QString>> m_rows;
    std::vector<int> m_widths;
};

class CalcWorkbook : public shell::Workbook {
public:
    shell::Worksheet &activeSheet() override { return m_sheet; }
    const CalcWorksheet &sheet() const { return m_sheet; }

private:
    CalcWorksheet m_sheet;
};

// LibreOffice Calc in place of Excel automation: workbooks are built in
// memory; showing writes each one to a private .xlsx and opens it in Calc as
// the template of a new, untitled document, so the user still decides where
// (and whether) to save it.
class CalcApplication : public shell::SpreadsheetApplication {
public:
    explicit CalcApplication(QString program, ProgramLauncher launcher = {});

    shell::Workbook &addWorkbook() override;
    void setVisible(bool visible) override;

private:
    struct Entry {
        std::unique_ptr<CalcWorkbook> workbook;
        bool shown = false;
    };

    QString m_program;
    ProgramLauncher m_launcher;
    std::vector<Entry> m_workbooks;
};

// Removes the folders that earlier exports of this user left in the
// temporary folder, once Calc has surely read them. Run at every export and
// at exit.
void RemoveOldSpreadsheetFiles();

// nullptr when LibreOffice is not installed.
std::unique_ptr<shell::SpreadsheetApplication> CreateCalcApplication();

} // namespace tovrik::output
