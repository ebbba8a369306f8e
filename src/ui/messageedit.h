#pragma once

#include "core/graphemes.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QString>

#include <memory>
#include <unordered_map>
#include <vector>

class QMenu;
class QMimeData;
class QTextLayout;

namespace tovrik::ui {

// The message box: plain text of any length, wrapped to the box's width.
//
// A stock text edit lays out a whole paragraph whenever a key changes it,
// and a pasted message is often one paragraph of millions of characters.
// Here the text is one string; its wrap points come from a table of
// character widths, which is cheap enough for the whole text, and only the
// lines on view are shaped and drawn. An edit re-wraps the lines it can
// change only.
//
// The text is kept exactly as typed or pasted, with one exception: a line
// break, however it came (CR LF, CR, LF or a paragraph separator), is one
// line feed.
class MessageEdit : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit MessageEdit(QWidget *parent = nullptr);
    ~MessageEdit() override;

    const QString &text() const { return m_text; }
    QString toPlainText() const { return m_text; }
    // Replaces the text; nothing to undo afterwards.
    void setPlainText(const QString &text);
    // Replaces the whole text as one edit the user can undo; the cursor goes
    // to the start.
    void replaceAll(const QString &text);
    // Puts the text in place of the selection, as a paste does.
    void insertPlainText(const QString &text);
    void clear() { setPlainText(QString()); }

    // Tab and Backtab move the focus on; a pasted TAB stays in the text.
    // They always do here; the setter keeps the stock edit's interface.
    void setTabChangesFocus(bool) {}
    bool tabChangesFocus() const { return true; }

    qsizetype cursorPosition() const { return m_cursor; }
    qsizetype anchorPosition() const { return m_anchor; }
    // Moves the cursor; keepAnchor extends the selection.
    void setCursorPosition(qsizetype position, bool keepAnchor = false);
    bool hasSelection() const { return m_cursor != m_anchor; }
    qsizetype selectionStart() const { return qMin(m_cursor, m_anchor); }
    qsizetype selectionEnd() const { return qMax(m_cursor, m_anchor); }
    QString selectedText() const;
    void selectAll();

    bool isUndoAvailable() const { return !m_undo.empty(); }
    bool isRedoAvailable() const { return !m_redo.empty(); }
    void undo();
    void redo();
    void cut();
    void copy() const;
    void paste();

    // Undo, Redo, Cut, Copy, Paste, Delete and Select All, each enabled
    // when it can do something.
    QMenu *createStandardContextMenu(QWidget *parent = nullptr);

    // Visual lines, for tests and the accessibility interface.
    int lineCount() const { return int(m_lines.size()); }
    int lineOf(qsizetype position) const;
    qsizetype lineStart(int line) const { return m_lines[std::size_t(line)]; }
    // The box-relative rectangle of the character at position; empty when
    // its line is not on view.
    QRect characterRect(qsizetype position) const;
    // The box of the character at position as it is drawn, for assistive
    // tools (characterRect's left edge is where the cursor stands, which in
    // right-to-left text is the character's right edge).
    QRect glyphRect(qsizetype position) const;
    qsizetype positionAt(const QPoint &point) const;

Q_SIGNALS:
    void textChanged();
    void cursorPositionChanged();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent *event) override;

private:
    struct Edit {
        qsizetype position;
        QString removed;
        QString inserted;
        qsizetype cursorBefore;
        qsizetype anchorBefore;
        bool typed;
        bool withPrevious; // undone and redone with the edit before it (a move)
    };

    // The one place that changes the text.
    void replace(qsizetype position, qsizetype length, const QString &text, bool typed = false);
    void apply(qsizetype position, qsizetype length, const QString &text);
    void insertFromMimeData(const QMimeData *source);
    void deleteSelection();
    // Whether point lies on the selected text.
    bool onSelection(const QPoint &point) const;
    // Drags the selection out: moved, or copied with Ctrl.
    void dragSelection();

    // Wrapping.
    qreal advance(char32_t code) const;
    qreal wrapWidth() const;
    // Appends the line starts of text[from, end); false when meets(start)
    // stopped it at a line start known already (which is not appended).
    template <class Meets>
    bool wrapParagraph(qsizetype from, qsizetype end, std::vector<qsizetype> &lines,
                       Meets &&meets) const;
    void wrapAll();
    void updateScrollBar();

    // Lines.
    qsizetype lineEnd(int line) const; // before its line feed, if any
    bool lineWraps(int line) const;    // ends without a line feed, more text follows
    // A line laid out and shaped for drawing and measuring. The last few
    // are kept while their text, the font, the width and the input method's
    // text stay the same: the cursor's blink and each paint ask again, and
    // shaping a letter under many thousand accents takes seconds.
    const QTextLayout &layoutOf(int line) const;
    // The direction of a line's paragraph, from its first strong letter.
    Qt::LayoutDirection paragraphDirection(int line) const;
    int lineHeight() const;
    int firstVisibleLine() const;
    int visibleLineCount() const;
    qsizetype positionOnLine(int line, qreal x) const;
    qreal xOf(qsizetype position) const;

    // Moves.
    qsizetype nextPosition(qsizetype position, bool word) const;
    qsizetype previousPosition(qsizetype position, bool word) const;
    // The nearest grapheme boundary of a line from position, towards its
    // end when forward, else towards its start; either end counts.
    qsizetype graphemeBoundary(int line, qsizetype position, bool forward) const;
    // The same between start and end, in the text m_graphemes holds, which
    // starts at base.
    qsizetype towardsGrapheme(qsizetype base, qsizetype start, qsizetype end, qsizetype position,
                              bool forward) const;
    // Whether position lies inside a grapheme (or a surrogate pair) of the
    // text m_graphemes holds, which starts at base.
    bool insideGrapheme(qsizetype base, qsizetype position) const;
    bool moveByKey(QKeyEvent *event);
    void ensureCursorVisible();
    void cursorMoved(bool keepGoalX = false);
    void restartBlink();
    void notifyAccessibility(qsizetype position, const QString &removed, const QString &inserted);

    QString m_text;
    std::vector<qsizetype> m_lines{0}; // start of each visual line
    qsizetype m_cursor = 0;
    qsizetype m_anchor = 0;
    qreal m_goalX = -1; // kept over Up and Down
    std::vector<Edit> m_undo;
    std::vector<Edit> m_redo;
    QString m_preedit;
    QBasicTimer m_blink;
    bool m_cursorShown = false;
    bool m_selectionTold = false; // the last cursor move had a selection
    bool m_selecting = false;
    // A press on the selection: a drag once the pointer moves far enough,
    // else a click where it was pressed.
    bool m_dragPending = false;
    QPoint m_pressAt;
    bool m_dragging = false;    // the selection is being dragged
    bool m_droppedHere = false; // and was dropped in this box
    qsizetype m_dropAt = -1;    // where text dragged over the box would land
    // A press here before this time (a third click) selects the paragraph.
    QPoint m_tripleClickAt;
    quint64 m_tripleClickBefore = 0;
    mutable std::vector<float> m_advances;                      // for BMP characters; < 0 unknown
    mutable std::unordered_map<char32_t, float> m_wideAdvances; // for the others (emoji)
    struct Direction {
        int first = 0; // the paragraph's lines, as far as they are known
        int last = -1;
        qsizetype decided = -1; // where its first strong letter is (or its end)
        Qt::LayoutDirection value = Qt::LeftToRight;
    };
    mutable Direction m_direction; // of the paragraph last asked about
    struct LaidOut;
    mutable std::vector<std::unique_ptr<LaidOut>> m_laidOut; // most recent last
    mutable core::GraphemeBoundaries<char16_t> m_graphemes;  // of the paragraph being wrapped
};

} // namespace tovrik::ui
