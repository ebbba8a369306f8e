#include "ui/resultsaccessible.h"

#include "ui/accessiblefactory.h"
#include "ui/resultsview.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QHeaderView>
#include <QPointer>

namespace tovrik::ui {

namespace {

QModelIndex modelRow(const ResultsView *view, int row) {
    return view && view->model() ? view->model()->index(row, 0) : QModelIndex();
}

// One row: its text, whether it is selected, current and ticked.
class RowAccessible : public QAccessibleInterface,
                      public QAccessibleTableCellInterface,
                      public QAccessibleActionInterface {
public:
    RowAccessible(ResultsView *view, int row) : m_view(view), m_row(row) {}

    bool isValid() const override {
        return m_view && m_view->model() && m_row < m_view->model()->rowCount();
    }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_view ? m_view->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override {
        return QAccessible::queryAccessibleInterface(m_view.data());
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QString text(QAccessible::Text t) const override {
        if (!isValid())
            return {};
        // Qt 6.4 does not pass the row's "checkable" on to AT-SPI, and screen
        // readers say nothing of a box that is neither checkable nor checked:
        // an unticked row says so in its description.
        if (t == QAccessible::Description)
            return index().data(Qt::CheckStateRole).toInt() == Qt::Checked
                       ? QString()
                       : QStringLiteral("not ticked");
        if (t != QAccessible::Name && t != QAccessible::Value)
            return {};
        return index().data(Qt::DisplayRole).toString();
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override {
        if (!isValid())
            return {};
        const QRect r = m_view->visualRect(index());
        return r.translated(m_view->viewport()->mapToGlobal(QPoint(0, 0)));
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid())
            return s;
        const QModelIndex i = index();
        s.selectable = true;
        s.focusable = true;
        s.extSelectable = true;
        s.multiSelectable = true;
        s.selected = isSelected();
        s.focused = m_view->hasFocus() && m_view->currentIndex().row() == m_row;
        s.checkable = (i.flags() & Qt::ItemIsUserCheckable) != 0;
        s.checked = i.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        if (!m_view->viewport()->rect().intersects(m_view->visualRect(i)))
            s.invisible = true;
        return s;
    }
    void *interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface *>(this);
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface *>(this);
        return nullptr;
    }

    // QAccessibleTableCellInterface
    bool isSelected() const override {
        return isValid() && m_view->selectionModel() &&
               m_view->selectionModel()->isRowSelected(m_row, QModelIndex());
    }
    QList<QAccessibleInterface *> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return 0; }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

    // QAccessibleActionInterface: Toggle ticks or unticks the row.
    QStringList actionNames() const override { return {toggleAction()}; }
    QStringList keyBindingsForAction(const QString &name) const override {
        return name == toggleAction() ? QStringList{QStringLiteral("Space")} : QStringList();
    }
    void doAction(const QString &name) override {
        if (name != toggleAction() || !isValid())
            return;
        const QModelIndex i = index();
        const bool checked = i.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        m_view->model()->setData(i, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }

private:
    QModelIndex index() const { return modelRow(m_view, m_row); }

    QPointer<ResultsView> m_view;
    int m_row;
};

// The list: its rows as children, made when asked for and forgotten when
// the rows change, so that a million rows cost nothing until they are read.
class ResultsAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit ResultsAccessible(ResultsView *view) : QAccessibleWidget(view, QAccessible::List) {}
    ~ResultsAccessible() override { forgetRows(); }

    ResultsView *view() const { return static_cast<ResultsView *>(widget()); }

    void *interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    int childCount() const override { return rowCount(); }
    QAccessibleInterface *child(int index) const override {
        if (view()->sendsTreeNumberedEvent() && model())
            index = index / qMax(1, model()->columnCount()) - 1; // -1: the headers
        if (index < 0 || index >= rowCount())
            return nullptr;
        const auto known = m_rows.constFind(index);
        if (known != m_rows.constEnd())
            return QAccessible::accessibleInterface(*known);
        auto *row = new RowAccessible(view(), index);
        m_rows.insert(index, QAccessible::registerAccessibleInterface(row));
        return row;
    }
    int indexOfChild(const QAccessibleInterface *child) const override {
        if (const auto *cell = const_cast<QAccessibleInterface *>(child)->tableCellInterface())
            return cell->rowIndex();
        return -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override {
        const QPoint at = view()->viewport()->mapFromGlobal(QPoint(x, y));
        const QModelIndex index = view()->indexAt(at);
        return index.isValid() ? child(index.row()) : nullptr;
    }

    // QAccessibleTableInterface
    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override {
        return column == 0 ? child(row) : nullptr;
    }
    int selectedCellCount() const override { return selectedRowCount(); }
    QList<QAccessibleInterface *> selectedChildren() const {
        QList<QAccessibleInterface *> cells;
        for (int row : selectedRows())
            cells.append(child(row));
        return cells;
    }
    QList<QAccessibleInterface *> selectedCells() const override { return selectedChildren(); }
    QString columnDescription(int column) const override {
        return view()->model() ? view()->model()->headerData(column, Qt::Horizontal).toString()
                               : QString();
    }
    QString rowDescription(int) const override { return {}; }
    int columnCount() const override {
        return view()->model() ? qMin(1, model()->columnCount()) : 0;
    }
    int rowCount() const override { return view()->model() ? model()->rowCount() : 0; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override {
        int count = 0;
        for (const auto &[top, bottom] : view()->selectedStretches())
            count += bottom - top + 1;
        return count;
    }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override {
        QList<int> rows;
        for (const auto &[top, bottom] : view()->selectedStretches())
            for (int r = top; r <= bottom; ++r)
                rows.append(r);
        return rows;
    }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override {
        return view()->selectionModel() && view()->selectionModel()->isRowSelected(row, {});
    }
    bool selectRow(int row) override {
        if (!view()->selectionModel())
            return false;
        view()->selectionModel()->select(modelRow(view(), row),
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
        return true;
    }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override {
        if (!view()->selectionModel())
            return false;
        view()->selectionModel()->select(modelRow(view(), row),
                                         QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        return true;
    }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *event) override {
        if (event->modelChangeType() != QAccessibleTableModelChangeEvent::DataChanged)
            forgetRows();
    }

private:
    QAbstractItemModel *model() const { return view()->model(); }
    void forgetRows() {
        for (QAccessible::Id id : std::as_const(m_rows))
            QAccessible::deleteAccessibleInterface(id);
        m_rows.clear();
    }

    mutable QHash<int, QAccessible::Id> m_rows;
};

} // namespace

QAccessibleInterface *ResultsAccessibleFactory(const QString &className, QObject *object) {
    if (className == QLatin1String(ResultsView::staticMetaObject.className()) &&
        object->isWidgetType())
        return new ResultsAccessible(static_cast<ResultsView *>(object));
    return nullptr;
}

void InstallResultsAccessibility() {
    InstallAccessibleFactory(ResultsAccessibleFactory);
}

} // namespace tovrik::ui
