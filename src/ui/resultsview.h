#pragma once

#include <QTreeView>

class QAction;

namespace tovrik {

class ResultsModel;

// The results list in report view: one line per row, a check box on every
// row. Space ticks or unticks every selected row, Ctrl+A selects all rows,
// and the context menu ticks, unticks or inverts all rows.
class ResultsView : public QTreeView {
    Q_OBJECT

public:
    explicit ResultsView(QWidget *parent = nullptr);

    void setResults(ResultsModel *model);

    QAction *tickAllAction() const { return m_tickAll; }
    QAction *untickAllAction() const { return m_untickAll; }
    QAction *invertTicksAction() const { return m_invertTicks; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    QList<std::pair<int, int>> selectedStretches() const;

    ResultsModel *m_results = nullptr;
    QAction *m_tickAll;
    QAction *m_untickAll;
    QAction *m_invertTicks;
};

} // namespace tovrik
