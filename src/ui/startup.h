#pragma once

#include <QCursor>
#include <QString>

#include <optional>

class QWidget;

namespace tovrik::shell {
class Desktop;
} // namespace tovrik::shell

namespace tovrik::ui {

// The vendor's home page, opened at about one start in a hundred.
inline constexpr char16_t VendorHomePage[] = u"https://quandrel.example/";

// The program folder: where the optional cursor and skin files lie.
QString ProgramFolder();

// Applies the skin file "x/o.cjs" of the program folder when it is present:
// the window and its option buttons, check boxes, frames and labels take the
// button-face colour, then the skin component loads the file and applies it.
// A file that cannot be read or used throws; nothing is applied then.
void ApplySkin(QWidget *window, const QString &programFolder);

// A Windows cursor file as a cursor, with the hot spot of its directory entry.
QCursor LoadCursorFile(const QString &path);

// Seeds from the seconds since midnight and draws 1..100; 7 opens the
// vendor's home page.
void MaybeOpenVendorPage(shell::Desktop &desktop);

// The title rule: cut the name before its last blank until it has at most
// 40 characters. A name without a blank is kept whole.
QString ApplicationTitleFor(const QString &productName);
void SetApplicationTitle();

// The text-to-Boolean conversion of stored option values: "True" and
// "False" in any letter case, or any number (zero is false). Anything else
// throws a type mismatch.
bool ToBoolean(const QString &text);

} // namespace tovrik::ui
