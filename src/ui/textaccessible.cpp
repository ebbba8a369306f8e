#include "ui/textaccessible.h"

#include "ui/accessiblefactory.h"

#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QLineEdit>
#include <QStyle>
#include <QValidator>

namespace tovrik::ui {

namespace {

// Where Qt 6.4 would loop: a word or a sentence asked for at the end.
bool atTheEnd(const QAccessibleTextInterface &text, int &offset,
              QAccessible::TextBoundaryType type) {
    if (offset == -2)
        offset = text.cursorPosition();
    else if (offset == -1)
        offset = text.characterCount();
    return offset == text.characterCount() &&
           (type == QAccessible::WordBoundary || type == QAccessible::SentenceBoundary);
}

} // namespace

QString TextAtOffset(const QAccessibleTextInterface &text, int offset,
                     QAccessible::TextBoundaryType type, int *startOffset, int *endOffset) {
    if (atTheEnd(text, offset, type)) {
        if (offset == 0) {
            *startOffset = *endOffset = -1;
            return {};
        }
        --offset; // the item that ends at the end
    }
    return text.QAccessibleTextInterface::textAtOffset(offset, type, startOffset, endOffset);
}

QString TextAfterOffset(const QAccessibleTextInterface &text, int offset,
                        QAccessible::TextBoundaryType type, int *startOffset, int *endOffset) {
    if (atTheEnd(text, offset, type)) {
        *startOffset = *endOffset = offset;
        return {};
    }
    return text.QAccessibleTextInterface::textAfterOffset(offset, type, startOffset, endOffset);
}

void *EditableTextAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString EditableTextAccessible::attributes(int, int *startOffset, int *endOffset) const {
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

void EditableTextAccessible::deleteText(int startOffset, int endOffset) {
    replaceText(startOffset, endOffset, QString());
}

void EditableTextAccessible::insertText(int offset, const QString &text) {
    replaceText(offset, offset, text);
}

namespace {

// What Qt's own interface of a line edit gives, from the line edit's public
// interface, with the text around an offset as above.
class LineEditAccessible : public EditableTextAccessible {
public:
    explicit LineEditAccessible(QLineEdit *edit) : EditableTextAccessible(edit) {}

    QLineEdit *edit() const { return static_cast<QLineEdit *>(widget()); }
    bool shown() const { return edit()->echoMode() == QLineEdit::Normal; }

    QString text(QAccessible::Text t) const override {
        QString text;
        if (t == QAccessible::Value) {
            if (shown())
                text = edit()->text();
            else if (edit()->echoMode() != QLineEdit::NoEcho)
                text = QString(edit()->text().size(),
                               QChar(edit()->style()->styleHint(
                                   QStyle::SH_LineEdit_PasswordCharacter, nullptr, edit())));
        }
        if (text.isEmpty())
            text = QAccessibleWidget::text(t);
        if (text.isEmpty() && t == QAccessible::Description)
            text = edit()->placeholderText();
        return text;
    }
    void setText(QAccessible::Text t, const QString &text) override {
        if (t != QAccessible::Value) {
            QAccessibleWidget::setText(t, text);
            return;
        }
        QString value = text;
        int position = 0;
        if (const QValidator *validator = edit()->validator();
            validator && validator->validate(value, position) != QValidator::Acceptable)
            return;
        edit()->setText(value);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        if (edit()->isReadOnly())
            s.readOnly = true;
        else
            s.editable = true;
        s.passwordEdit = !shown();
        s.selectableText = true;
        return s;
    }

    // QAccessibleTextInterface
    int cursorPosition() const override { return edit()->cursorPosition(); }
    // A character's box: its place in the text measured from the caret's
    // (the middle of the caret's rectangle, which is wider than the caret).
    QRect characterRect(int offset) const override {
        const QString all = edit()->displayText();
        if (offset < 0 || offset >= all.size())
            return {};
        const QFontMetrics metrics(edit()->font());
        const QRect caret = edit()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        const int x = caret.x() + caret.width() / 2 + metrics.horizontalAdvance(all.left(offset)) -
                      metrics.horizontalAdvance(all.left(edit()->cursorPosition()));
        const QRect box(x, caret.y(), metrics.horizontalAdvance(all.mid(offset, 1)),
                        caret.height());
        return box.translated(edit()->mapToGlobal(QPoint(0, 0)));
    }
    int selectionCount() const override { return edit()->hasSelectedText() ? 1 : 0; }
    int offsetAtPoint(const QPoint &point) const override {
        return edit()->cursorPositionAt(edit()->mapFromGlobal(point));
    }
    // With nothing selected, the selection is the caret's empty one.
    void selection(int index, int *startOffset, int *endOffset) const override {
        *startOffset = *endOffset = 0;
        if (index != 0)
            return;
        *startOffset = *endOffset = edit()->cursorPosition();
        if (edit()->hasSelectedText()) {
            *startOffset = edit()->selectionStart();
            *endOffset = *startOffset + edit()->selectionLength();
        }
    }
    QString text(int startOffset, int endOffset) const override {
        if (!shown())
            return {};
        return edit()->text().mid(startOffset, qMax(0, endOffset - startOffset));
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                             int *endOffset) const override {
        if (hidden(startOffset, endOffset))
            return {};
        if (offset == -2)
            offset = cursorPosition();
        return QAccessibleTextInterface::textBeforeOffset(offset, type, startOffset, endOffset);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                            int *endOffset) const override {
        if (hidden(startOffset, endOffset))
            return {};
        return TextAfterOffset(*this, offset, type, startOffset, endOffset);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                         int *endOffset) const override {
        if (hidden(startOffset, endOffset))
            return {};
        return TextAtOffset(*this, offset, type, startOffset, endOffset);
    }
    void removeSelection(int index) override {
        if (index == 0)
            edit()->deselect();
    }
    void setCursorPosition(int position) override { edit()->setCursorPosition(position); }
    void setSelection(int index, int startOffset, int endOffset) override {
        if (index == 0)
            edit()->setSelection(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(edit()->text().size()); }
    void scrollToSubstring(int startIndex, int endIndex) override {
        edit()->setCursorPosition(endIndex);
        edit()->setCursorPosition(startIndex);
    }

    // QAccessibleEditableTextInterface
    // As typed there, so that it can be undone; a stretch that ends before it
    // starts is none, and offsets past the end are the end.
    void replaceText(int startOffset, int endOffset, const QString &text) override {
        if (endOffset < startOffset)
            return;
        startOffset = qBound(0, startOffset, characterCount());
        endOffset = qBound(0, endOffset, characterCount());
        edit()->setSelection(startOffset, endOffset - startOffset);
        edit()->insert(text);
    }

private:
    // A hidden text (a password's) gives none of its words.
    bool hidden(int *startOffset, int *endOffset) const {
        if (shown())
            return false;
        *startOffset = *endOffset = -1;
        return true;
    }
};

QAccessibleInterface *lineEditFactory(const QString &className, QObject *object) {
    if (className == QLatin1String("QLineEdit") && object->isWidgetType())
        return new LineEditAccessible(static_cast<QLineEdit *>(object));
    return nullptr;
}

} // namespace

void InstallLineEditAccessible() {
    InstallAccessibleFactory(lineEditFactory);
}

} // namespace tovrik::ui
