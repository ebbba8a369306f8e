#pragma once

#include "commands/resultsmodel.h"
#include "commands/splitsettings.h"
#include "shell/pointershape.h"

#include <QCursor>
#include <QHash>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScreen;
class QScrollArea;

namespace tovrik::shell {
class Desktop;
} // namespace tovrik::shell

namespace tovrik::settings {
class Settings;
} // namespace tovrik::settings

namespace tovrik::ui {

class MessageEdit;
class ResultsView;

// The main window. Its controls keep their designer names; each user command
// is a handler of the window. Every side effect the tests cannot watch goes
// through the Desktop it is given; the settings through the store.
class Form1 : public QWidget {
    Q_OBJECT

public:
    Form1(settings::Settings &settings, shell::Desktop &desktop, QWidget *parent = nullptr);
    ~Form1() override;

    // Start-up: skin, cursor, vendor page, caption, column, remembered values.
    // programFolder is where the optional cursor and skin files are looked for.
    void Form_Load(const QString &programFolder);
    // Shows the window centred on its screen, the focus in the message area.
    // On a screen whose free area is smaller than the window, the window
    // takes the free area and its controls scroll.
    void showCentred();

    // The command handlers.
    void PushButton1_Click(); // Save Results To Text File
    void PushButton2_Click(); // Start Splitting
    void PushButton3_Click(); // Save Results As Excel File
    void PushButton4_Click(); // Clear List
    void PushButton5_Click(); // "..." output folder
    void PushButton6_Click(); // Copy Results To Clipboard
    void PushButton7_Click(); // Help
    void PushButton8_Click(); // Load Sample/Example Text

    void Text3_Change();
    void Text4_Change();

    commands::ResultsModel &results() { return m_results; }
    commands::SplitSettings &splitSettings() { return m_split; }
    shell::PointerShape &pointer() { return m_pointer; }
    // The shape shown for pointer value 99.
    QCursor handCursor() const;
    bool hasLoadedHandCursor() const { return m_handCursor.has_value(); }

    // Controls, by their designer names.
    QPushButton *PushButton1, *PushButton2, *PushButton3, *PushButton4, *PushButton5, *PushButton6,
        *PushButton7, *PushButton8;
    QGroupBox *Frame1, *Frame2, *Frame3, *Frame4, *Frame5, *Frame6;
    std::array<QRadioButton *, 9> Option{}; // Option[0] is Option1
    QLineEdit *Text1;
    MessageEdit *Text2;
    QLineEdit *Text3;
    QLineEdit *Text4;
    QLabel *Label1;
    ResultsView *ListView1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void fitToScreen(const QScreen *screen);
    void scrollToFocus(QWidget *focused);
    void buildTabOrder();
    void prepareHover();
    void syncFromSettings();
    void keepTabStopsOnSelection();
    QString messageText() const;
    void applyPointer(int value);
    void readList(const std::function<void()> &command);

    // The controls lie on a client of fixed size inside a frameless scroll
    // area that fills the window; it scrolls only when the screen is smaller.
    QScrollArea *m_scroll = nullptr;
    QWidget *m_client = nullptr;
    QMetaObject::Connection m_followFocus;
    settings::Settings &m_settings;
    shell::Desktop &m_desktop;
    commands::ResultsModel m_results;
    commands::SplitSettings m_split;
    shell::PointerShape m_pointer;
    std::optional<QCursor> m_handCursor;
    QString m_saveFileName; // the save dialog keeps its name for the run
    int m_listReaders = 0;  // output commands running, one inside another
    bool m_syncing = false;
    // Pointer value that hovering each control sets; -1 sets nothing.
    QHash<const QWidget *, int> m_hover;
    // Cursors the controls bring themselves (the text boxes' I-beam).
    QHash<QWidget *, QCursor> m_ownCursors;
};

// The sample message of "Load Sample/Example Text".
extern const char16_t SampleText[];
// Where "Help" sends people.
inline constexpr char16_t ContactPage[] = u"https://quandrel.example/contact";

} // namespace tovrik::ui
