#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

class QWidget;

namespace tovrik::ui {

// The skinning component. Start-up reaches it by member number, as it would
// an automation object:
//   1  Options (int, bit flags; bit 1: apply the skin's colours)
//   2  LoadSkin(path, section): reads and checks the skin file
//   3  ApplyWindow(window): applies the loaded skin to a window
//   5  ApplyMetrics (bool)
//   10 ApplyFrames (bool)
// A skin file holds Qt style-sheet text.
class SkinFramework {
public:
    QVariant get(int member) const;
    void set(int member, const QVariant &value);
    QVariant call(int member, const QVariantList &arguments);

    // Direct access for callers that know the component.
    void loadSkin(const QString &path);
    void applyWindow(QWidget *window) const;
    const QString &styleSheet() const { return m_styleSheet; }

private:
    QString m_styleSheet;
    qint32 m_options = 0;
    bool m_applyMetrics = false;
    bool m_applyFrames = false;
};

// A syntax check of style-sheet text: every block has a selector, braces
// pair up, strings and comments are closed. Returns an empty text when the
// text is sound, else what is wrong.
QString StyleSheetProblem(const QString &text);

} // namespace tovrik::ui
