#include "commands/splitsettings.h"

#include "commands/limit.h"
#include "settings/settingsstore.h"

using namespace Qt::StringLiterals;

namespace tovrik::commands {

namespace {

QString optionKey(int number) {
    return u"Option"_s + QString::number(number);
}

// First and last member of the group that holds an option.
std::pair<int, int> groupOf(int number) {
    if (number <= 4)
        return {1, 4};
    if (number <= 7)
        return {5, 7};
    return {8, 9};
}

QString boolText(bool value) {
    return value ? u"True"_s : u"False"_s;
}

} // namespace

SplitSettings::SplitSettings(settings::Settings &store, QObject *parent)
    : QObject(parent), m_store(store), m_spaceCaption(u"Split before 160 at space"_s),
      m_exactCaption(u"Split at exactly 160"_s) {}

void SplitSettings::setOption(int number, bool selected) {
    Q_ASSERT(number >= 1 && number <= OptionCount);
    if (option(number) == selected)
        return;
    if (!selected) {
        m_selected[number - 1] = false;
        Q_EMIT changed();
        return;
    }
    const auto [first, last] = groupOf(number);
    for (int i = first; i <= last; ++i)
        m_selected[i - 1] = (i == number);
    runClick(number);
    Q_EMIT changed();
}

void SplitSettings::setXText(const QString &text) {
    if (text == m_xText)
        return;
    m_xText = text;
    Text1_Change();
    Q_EMIT changed();
}

QString SplitSettings::caption(int number) const {
    switch (number) {
    case 1:
        return u"160 Characters"_s;
    case 2:
        return u"140 Characters"_s;
    case 3:
        return u"150 Characters"_s;
    case 4:
        return u"X Characters"_s;
    case 5:
        return m_spaceCaption;
    case 6:
        return m_exactCaption;
    case 7:
        return u"Split after period"_s;
    case 8:
        return u"Save Results As One Text File With Enters Dividing Messages"_s;
    case 9:
        return u"Save Each Result To Separate File"_s;
    }
    return {};
}

std::optional<core::SplitMode> SplitSettings::mode() const {
    if (option(6))
        return core::SplitMode::Exact;
    if (option(5))
        return core::SplitMode::Space;
    if (option(7))
        return core::SplitMode::Period;
    return std::nullopt;
}

void SplitSettings::runClick(int number) {
    switch (number) {
    case 1:
        return Option1_Click();
    case 2:
        return Option2_Click();
    case 3:
        return Option3_Click();
    case 4:
        return Option4_Click();
    case 5:
        return Option5_Click();
    case 6:
        return Option6_Click();
    case 7:
        return Option7_Click();
    case 8:
        return Option8_Click();
    case 9:
        return Option9_Click();
    }
}

// The whole group is stored, not only the clicked button, so the store never
// holds a stale member of the group.
void SplitSettings::storeGroup(int first, int last) {
    // In one write: a crash between two states would leave the group with
    // two choices or none.
    QList<QPair<QString, QString>> states;
    for (int i = first; i <= last; ++i)
        states.append({optionKey(i), boolText(option(i))});
    m_store.WriteSettings(states);
}

void SplitSettings::setModeCaptions(const QString &limitText) {
    m_spaceCaption = u"Split before "_s + limitText + u" at space"_s;
    m_exactCaption = u"Split at exactly "_s + limitText;
}

void SplitSettings::limitClick(const QString &limitText, bool text1Enabled) {
    storeGroup(1, 4);              // 1. the group's states
    setModeCaptions(limitText);    // 2., 3. the two captions
    m_text1Enabled = text1Enabled; // 4.
}

void SplitSettings::outputClick(bool text3Enabled) {
    storeGroup(8, 9);
    m_text3Enabled = text3Enabled;
}

void SplitSettings::Option1_Click() {
    limitClick(u"160"_s, false);
}
void SplitSettings::Option2_Click() {
    limitClick(u"140"_s, false);
}
void SplitSettings::Option3_Click() {
    limitClick(u"150"_s, false);
}
// The X text is used as it stands: no numeric test, no trimming.
void SplitSettings::Option4_Click() {
    limitClick(m_xText, true);
}

void SplitSettings::Option5_Click() {
    storeGroup(5, 7);
}
void SplitSettings::Option6_Click() {
    storeGroup(5, 7);
}
void SplitSettings::Option7_Click() {
    storeGroup(5, 7);
}

void SplitSettings::Option8_Click() {
    outputClick(false);
}
void SplitSettings::Option9_Click() {
    outputClick(true);
}

void SplitSettings::Text1_Change() {
    m_store.WriteSetting(u"X Character"_s, m_xText); // 1. before any test
    if (IsNumeric(m_xText))                          // 2.
        setModeCaptions(m_xText);
}

} // namespace tovrik::commands
