#pragma once

#include <QString>

namespace tovrik::shell {

// The product name: the window caption.
inline constexpr char16_t ProductName[] = u"Tovrik";

// The title of every message box that has no title of its own. Start-up
// derives it from the product name; until then it is the product name.
QString ApplicationTitle();
void SetApplicationTitleText(const QString &title);

} // namespace tovrik::shell
