#pragma once

#include <QAccessible>

class QAccessibleInterface;
class QObject;
class QString;

namespace tovrik::ui {

// What assistive tools see of the results list: a list of rows that can be
// ticked. Each row reports whether it is checkable and checked, and its
// toggle action ticks or unticks it. Installed once, before the first
// results list is looked up.
void InstallResultsAccessibility();

// The accessible interface of a ResultsView.
QAccessibleInterface *ResultsAccessibleFactory(const QString &className, QObject *object);

} // namespace tovrik::ui
