#pragma once

#include "output/listcommand.h"

#include <QString>

namespace tovrik::output {

// Empties the clipboard: up to 1,000 attempts, no sign of failure.
void ClearClipboard(shell::Desktop &desktop);
// Puts text on the clipboard (format 0: plain text): up to 1,000 attempts.
bool SetClipboardText(shell::Desktop &desktop, const QString &text, int format);

// The ticked rows as column-aligned plain text, one CR LF-ended line each.
QString ClipboardText(const commands::ResultsModel &list, const std::function<void()> &pumpEvents);
// Puts that text on the clipboard; an empty list leaves the clipboard alone.
void CopyListToClipboard(shell::Desktop &desktop, const commands::ResultsModel &list,
                         const std::function<void()> &pumpEvents);

// "Copy Results To Clipboard".
void PushButton6_Click(const ListCommand &command);

} // namespace tovrik::output
