#pragma once

#include "core/cutrules.h"

#include <QObject>
#include <QString>

#include <array>
#include <optional>

namespace tovrik::settings {
class Settings;
} // namespace tovrik::settings

namespace tovrik::commands {

// The three groups of choices that steer splitting and saving, with the X
// text, the captions that follow the limit and the enabled states:
//   Option1..Option4  limit 160, 140, 150, X      (Text1 enabled with Option4)
//   Option5..Option7  space, exact, period mode
//   Option8, Option9  one text file, one file per result (Text3 enabled with Option9)
// Every change is written to the settings store at once by its handler.
// Selecting an option, by the user or by the program, runs its click handler;
// an option that is deselected runs nothing.
class SplitSettings : public QObject {
    Q_OBJECT

public:
    explicit SplitSettings(settings::Settings &store, QObject *parent = nullptr);

    static constexpr int OptionCount = 9;

    bool option(int number) const { return m_selected.at(number - 1); }
    // Selecting clears the other members of the group and runs the click
    // handler; clearing runs nothing.
    void setOption(int number, bool selected);

    const QString &xText() const { return m_xText; }
    // Runs Text1_Change when the text changes.
    void setXText(const QString &text);

    QString caption(int number) const;
    bool text1Enabled() const { return m_text1Enabled; }
    bool text3Enabled() const { return m_text3Enabled; }

    // The first selected mode, tested in the command's order (exact, space,
    // period); none when no mode is selected.
    std::optional<core::SplitMode> mode() const;

    // The ten handlers.
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Option4_Click();
    void Option5_Click();
    void Option6_Click();
    void Option7_Click();
    void Option8_Click();
    void Option9_Click();
    void Text1_Change();

Q_SIGNALS:
    // Any state, caption or enabled flag changed: sent once by setOption()
    // and setXText(), after the handler they ran.
    void changed();

private:
    void storeGroup(int first, int last);
    void limitClick(const QString &limitText, bool text1Enabled);
    void setModeCaptions(const QString &limitText);
    void outputClick(bool text3Enabled);
    void runClick(int number);

    settings::Settings &m_store;
    std::array<bool, OptionCount> m_selected{};
    QString m_xText;
    QString m_spaceCaption;
    QString m_exactCaption;
    bool m_text1Enabled = false;
    bool m_text3Enabled = false;
};

} // namespace tovrik::commands
