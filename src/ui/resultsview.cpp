#include "ui/resultsview.h"

#include "commands/resultsmodel.h"
#include "ui/resultsaccessible.h"

#include <QAccessible>
#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QScopedValueRollback>
#include <QStyleOptionFocusRect>
#include <QTimer>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tovrik::ui {

ResultsView::ResultsView(QWidget *parent)
    : QTreeView(parent), m_tickAll(new QAction(u"Tick All"_s, this)),
      m_untickAll(new QAction(u"Untick All"_s, this)),
      m_invertTicks(new QAction(u"Invert Ticks"_s, this)), m_menu(new QMenu(this)) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true); // keeps 65,000 rows cheap to lay out
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideRight);
    header()->setStretchLastSection(false);
    InstallResultsAccessibility();
    setAnnouncer({});

    // One menu for good: Qt 6.4 gives an action one accessible item, made
    // for the first menu that shows it, and a screen reader hears nothing of
    // it once that menu is gone.
    m_menu->addActions({m_tickAll, m_untickAll, m_invertTicks});

    connect(m_tickAll, &QAction::triggered, this, [this] {
        if (m_results)
            m_results->setAllChecked(true);
    });
    connect(m_untickAll, &QAction::triggered, this, [this] {
        if (m_results)
            m_results->setAllChecked(false);
    });
    connect(m_invertTicks, &QAction::triggered, this, [this] {
        if (m_results)
            m_results->invertAllChecked();
    });
}

void ResultsView::setAnnouncer(std::function<void(QAccessibleEvent *)> announce) {
    m_announce = announce ? std::move(announce) : [](QAccessibleEvent *event) {
        QAccessible::updateAccessibility(event);
    };
}

void ResultsView::setResults(commands::ResultsModel *model) {
    m_results = model;
    setModel(model);
    connect(model, &QAbstractItemModel::dataChanged, this, &ResultsView::announceTicks);
    connect(model, &QAbstractItemModel::modelReset, this,
            [this] { announceRows(QAccessibleTableModelChangeEvent::ModelReset, -1, -1); });
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) {
                announceRows(QAccessibleTableModelChangeEvent::RowsInserted, first, last);
            });
    connect(model, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex &, int first, int last) {
                announceRows(QAccessibleTableModelChangeEvent::RowsRemoved, first, last);
            });
}

// A tick or untick is announced row by row; many rows at once (Tick All on a
// long list) as one change of the list's data, and the current row's own, as
// screen readers speak of the row they are on (the first changed row's when
// the current one is not among them).
void ResultsView::announceTicks(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                const QList<int> &roles) {
    if (!roles.contains(Qt::CheckStateRole))
        return;
    constexpr int RowByRow = 64;
    const int first = topLeft.row(), last = bottomRight.row();
    const auto announceRow = [&](int row) {
        if (QAccessibleInterface *item = accessibleRow(row)) {
            QAccessible::State changed;
            changed.checked = true;
            QAccessibleStateChangeEvent event(item, changed);
            m_announce(&event);
        }
    };
    if (last - first < RowByRow) {
        for (int row = first; row <= last; ++row)
            announceRow(row);
        return;
    }
    QAccessibleTableModelChangeEvent event(this, QAccessibleTableModelChangeEvent::DataChanged);
    event.setFirstRow(first);
    event.setLastRow(last);
    m_announce(&event);
    // (Qt 6.4 passes the list's change on to no screen reader: a row's is
    // all they hear, the current row's, or else the first changed.)
    const int current = currentIndex().row();
    announceRow(current >= first && current <= last ? current : first);
}

// Ticks change no row's height: of their rows, only those on view are handed
// on to be repainted. (Qt's tree view looks at every row of the change, one by
// one, which takes seconds for Tick All over millions.)
void ResultsView::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                              const QList<int> &roles) {
    if (roles != QList<int>{Qt::CheckStateRole} || topLeft.parent().isValid())
        return QTreeView::dataChanged(topLeft, bottomRight, roles);
    const QModelIndex top = indexAt(QPoint(0, 0));
    const QModelIndex bottom = indexAt(QPoint(0, viewport()->height() - 1));
    const int first = qMax(topLeft.row(), top.isValid() ? top.row() : 0);
    const int last =
        qMin(bottomRight.row(), bottom.isValid() ? bottom.row() : model()->rowCount() - 1);
    if (first <= last)
        QTreeView::dataChanged(topLeft.siblingAtRow(first), bottomRight.siblingAtRow(last), roles);
}

// New results and a cleared list are announced.
void ResultsView::announceRows(int change, int first, int last) {
    QAccessibleTableModelChangeEvent event(
        this, QAccessibleTableModelChangeEvent::ModelChangeType(change));
    event.setFirstRow(first);
    event.setLastRow(last);
    m_announce(&event);
}

void ResultsView::selectAll() {
    const int rows = model() ? model()->rowCount() : 0;
    if (rows == 0 || !selectionModel() || selectionMode() != ExtendedSelection)
        return QTreeView::selectAll();
    selectionModel()->select(
        QItemSelection(model()->index(0, 0), model()->index(rows - 1, model()->columnCount() - 1)),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QList<std::pair<int, int>> ResultsView::selectedStretches() const {
    QList<std::pair<int, int>> stretches;
    if (!selectionModel())
        return stretches;
    const QItemSelection selection = selectionModel()->selection();
    for (const QItemSelectionRange &range : selection)
        stretches.append({range.top(), range.bottom()});
    // Ranges of one row from several columns, or that overlap, count once.
    std::sort(stretches.begin(), stretches.end());
    QList<std::pair<int, int>> merged;
    for (const auto &s : std::as_const(stretches)) {
        if (!merged.isEmpty() && s.first <= merged.last().second + 1)
            merged.last().second = qMax(merged.last().second, s.second);
        else
            merged.append(s);
    }
    return merged;
}

QList<std::pair<int, int>> ResultsView::rowsToActOn() const {
    QList<std::pair<int, int>> stretches = selectedStretches();
    if (stretches.isEmpty() && currentIndex().isValid())
        stretches.append({currentIndex().row(), currentIndex().row()});
    return stretches;
}

void ResultsView::keyPressEvent(QKeyEvent *event) {
    // Shift+F10 opens the context menu, as the Menu key does.
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        const QRect current = visualRect(currentIndex());
        const QPoint at = current.isValid() ? current.center() : viewport()->rect().center();
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, viewport()->mapToGlobal(at));
        contextMenuEvent(&menu);
        event->accept();
        return;
    }
    if (m_results && event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        m_results->toggleCheckedRows(rowsToActOn());
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void ResultsView::focusInEvent(QFocusEvent *event) {
    {
        const QScopedValueRollback numbered(m_treeNumbered, true);
        QTreeView::focusInEvent(event);
    }
    if (model() && model()->rowCount() == 0)
        viewport()->update();
    // The row the list is on (the first, the first time) is named once more
    // after the list's own focus, which comes after this, so that the row is
    // what a screen reader says last.
    QTimer::singleShot(0, this, [this] {
        if (!hasFocus() || !currentIndex().isValid())
            return;
        if (QAccessibleInterface *item = accessibleRow(currentIndex().row())) {
            QAccessibleEvent focus(item, QAccessible::Focus);
            m_announce(&focus);
        }
    });
}

QAccessibleInterface *ResultsView::accessibleRow(int row) {
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(this);
    return list ? list->child(row) : nullptr;
}

void ResultsView::focusOutEvent(QFocusEvent *event) {
    QTreeView::focusOutEvent(event);
    if (model() && model()->rowCount() == 0)
        viewport()->update();
}

void ResultsView::paintEvent(QPaintEvent *event) {
    QTreeView::paintEvent(event);
    // With no row, no row's outline shows where the focus is: the list's
    // inside does, as the style draws a focus frame (after a key moved it).
    if (!hasFocus() || !model() || model()->rowCount() > 0)
        return;
    QPainter painter(viewport());
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = viewport()->rect().adjusted(1, 1, -1, -1);
    option.backgroundColor = palette().color(QPalette::Base);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

void ResultsView::currentChanged(const QModelIndex &current, const QModelIndex &previous) {
    const QScopedValueRollback numbered(m_treeNumbered, true);
    QTreeView::currentChanged(current, previous);
}

void ResultsView::selectionChanged(const QItemSelection &selected,
                                   const QItemSelection &deselected) {
    const QScopedValueRollback numbered(m_treeNumbered, true);
    QTreeView::selectionChanged(selected, deselected);
}

void ResultsView::contextMenuEvent(QContextMenuEvent *event) {
    // Opened from the keyboard, the menu is on its first item, which a
    // screen reader then names (Qt 6.4 opens it on none, and says nothing).
    if (event->reason() == QContextMenuEvent::Keyboard)
        QTimer::singleShot(0, m_menu, [this] { m_menu->setActiveAction(m_tickAll); });
    m_menu->exec(event->globalPos());
}

} // namespace tovrik::ui
