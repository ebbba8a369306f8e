#pragma once

#include <QAccessible>
#include <QList>

namespace tovrik::ui {

// Installs a factory of interfaces for assistive tools once, however often
// it is asked (each widget of a kind asks as it is made). The interface
// thread's.
inline void InstallAccessibleFactory(QAccessible::InterfaceFactory factory) {
    static QList<QAccessible::InterfaceFactory> installed;
    if (installed.contains(factory))
        return;
    installed.append(factory);
    QAccessible::installFactory(factory);
}

} // namespace tovrik::ui
