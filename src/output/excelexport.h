#pragma once

#include "output/listcommand.h"

namespace tovrik::output {

// The most rows a sheet takes from the list.
inline constexpr int MaxSpreadsheetRows = 65000;

// Whether the spreadsheet application can be started; tells the user when not.
bool SaveResultsAsExcelFileIsExcelInstalled(shell::Desktop &desktop);

// "Save Results As Excel File": the header in sheet row 1, list row r in
// sheet row r + 1 (empty when unticked), shown to the user unsaved.
void PushButton3_Click(const ListCommand &command);

} // namespace tovrik::output
