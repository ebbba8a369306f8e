#pragma once

#include <QTreeView>

#include <functional>

class QAccessibleEvent;
class QAccessibleInterface;
class QAction;
class QMenu;

namespace tovrik::commands {
class ResultsModel;
} // namespace tovrik::commands

namespace tovrik::ui {

// The results list in report view: one line per row, a check box on every
// row. Space ticks or unticks every selected row, Ctrl+A selects all rows,
// and the context menu ticks, unticks or inverts all rows. Assistive tools
// see checkable rows, hear each tick and each new or cleared list, and can
// tick a row through its toggle action.
class ResultsView : public QTreeView {
    Q_OBJECT

public:
    explicit ResultsView(QWidget *parent = nullptr);

    void setResults(commands::ResultsModel *model);
    // Where ticks and new or cleared results are announced to assistive
    // tools; straight to Qt's accessibility until the window sets it.
    void setAnnouncer(std::function<void(QAccessibleEvent *)> announce);

    QAction *tickAllAction() const { return m_tickAll; }
    QAction *untickAllAction() const { return m_untickAll; }
    QAction *invertTicksAction() const { return m_invertTicks; }

    // Qt's tree view names the row of its own focus and selection events by
    // its place in Qt's accessible tree, after a row of column headers:
    // (row + 1) * columns + column. While it sends one, the list's accessible
    // reads the child it names that way.
    bool sendsTreeNumberedEvent() const { return m_treeNumbered; }

    // The selected rows as stretches (first, last), in order, each row once:
    // straight from the selection's ranges, as a list of every selected index
    // would cost a million entries for Ctrl+A on a million rows.
    QList<std::pair<int, int>> selectedStretches() const;

    // Every row, as one range: Qt's tree view walks its rows one by one.
    void selectAll() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(const QItemSelection &selected,
                          const QItemSelection &deselected) override;
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles) override;

private:
    // The selected stretches, or else the current row: the rows Space ticks
    // or unticks.
    QList<std::pair<int, int>> rowsToActOn() const;
    void announceTicks(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                       const QList<int> &roles);
    void announceRows(int change, int first, int last);
    // A row as assistive tools know it; none without accessibility.
    QAccessibleInterface *accessibleRow(int row);

    commands::ResultsModel *m_results = nullptr;
    std::function<void(QAccessibleEvent *)> m_announce;
    QAction *m_tickAll;
    QAction *m_untickAll;
    QAction *m_invertTicks;
    QMenu *m_menu;
    bool m_treeNumbered = false;
};

} // namespace tovrik::ui
