#pragma once

#include <QAccessibleInterface>
#include <QAccessibleWidget>
#include <QString>

namespace tovrik::ui {

// The text around an offset that an assistive tool asks for (the word at
// the caret, the sentence after it), as Qt's text interface gives it, less
// its endless loop: Qt 6.4 looks past the end of the text for ever when
// asked for the word or the sentence at, or after, the very end. There, the
// word or sentence at the end is the one that ends there, and nothing comes
// after it. -2 is the caret's offset, -1 the end's.
QString TextAtOffset(const QAccessibleTextInterface &text, int offset,
                     QAccessible::TextBoundaryType type, int *startOffset, int *endOffset);
QString TextAfterOffset(const QAccessibleTextInterface &text, int offset,
                        QAccessible::TextBoundaryType type, int *startOffset, int *endOffset);

// What the interfaces of our text boxes for assistive tools share: an
// editable text, whose edits are replacements, with no attributes.
class EditableTextAccessible : public QAccessibleWidget,
                               public QAccessibleTextInterface,
                               public QAccessibleEditableTextInterface {
public:
    explicit EditableTextAccessible(QWidget *widget)
        : QAccessibleWidget(widget, QAccessible::EditableText) {}

    void *interface_cast(QAccessible::InterfaceType type) override;
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    QString attributes(int offset, int *startOffset, int *endOffset) const override;
    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString &text) override;
};

// Every line edit of the program (ours and those of the file dialogs) answers
// assistive tools through an interface of ours, which asks for text as above.
// Installed once; later calls do nothing.
void InstallLineEditAccessible();

} // namespace tovrik::ui
