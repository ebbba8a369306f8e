#include "resultsview.h"

#include "resultsmodel.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>

using namespace Qt::StringLiterals;

namespace tovrik {

ResultsView::ResultsView(QWidget *parent)
    : QTreeView(parent), m_tickAll(new QAction(u"Tick All"_s, this)),
      m_untickAll(new QAction(u"Untick All"_s, this)),
      m_invertTicks(new QAction(u"Invert Ticks"_s, this)) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true); // keeps 65,000 rows cheap to lay out
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideRight);
    header()->setStretchLastSection(false);

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

void ResultsView::setResults(ResultsModel *model) {
    m_results = model;
    setModel(model);
}

QList<int> ResultsView::selectedRowNumbers() const {
    QList<int> rows;
    if (!selectionModel())
        return rows;
    const QModelIndexList selected = selectionModel()->selectedRows();
    rows.reserve(selected.size());
    for (const QModelIndex &index : selected)
        rows.append(index.row());
    if (rows.isEmpty() && currentIndex().isValid())
        rows.append(currentIndex().row());
    return rows;
}

void ResultsView::keyPressEvent(QKeyEvent *event) {
    if (m_results && event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        m_results->toggleCheckedRows(selectedRowNumbers());
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void ResultsView::contextMenuEvent(QContextMenuEvent *event) {
    QMenu menu(this);
    menu.addAction(m_tickAll);
    menu.addAction(m_untickAll);
    menu.addAction(m_invertTicks);
    menu.exec(event->globalPos());
}

} // namespace tovrik
