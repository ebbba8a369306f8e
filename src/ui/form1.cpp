#include "ui/form1.h"

#include "commands/startsplitting.h"
#include "output/clipboard.h"
#include "output/excelexport.h"
#include "output/textfiles.h"
#include "settings/settingsstore.h"
#include "shell/applicationtitle.h"
#include "shell/desktop.h"
#include "shell/errorreport.h"
#include "shell/eventpump.h"
#include "shell/files.h"
#include "ui/accessiblefactory.h"
#include "ui/faces.h"
#include "ui/framestyle.h"
#include "ui/messageedit.h"
#include "ui/resultsview.h"
#include "ui/startup.h"
#include "ui/textaccessible.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QVBoxLayout>
#include <QWindow>

#include <limits>

using namespace Qt::StringLiterals;

namespace tovrik::ui {

const char16_t SampleText[] =
    u"The individual has always had to struggle to keep from being overwhelmed by the tribe. "
    u"If you try it, you will be lonely often, and sometimes frightened. But no price is too "
    u"high to pay for the privilege of owning yourself.";

namespace {

// Layout is given in twips; at 15 twips a pixel.
constexpr int px(int twips) {
    return (twips + 7) / 15;
}

void place(QWidget *widget, int left, int top, int width, int height) {
    widget->setGeometry(px(left), px(top), px(width), px(height));
}

QFont controlFont() {
    QFont font(u"Arial"_s);
    font.setPointSizeF(9);
    font.setBold(true);
    return font;
}

QFont buttonFont() {
    QFont font(u"Arial"_s);
    font.setPointSizeF(11.25);
    font.setBold(true);
    return font;
}

// The window scrolls a control that takes the focus into view itself (see
// scrollToFocus), by one rule for Tab, the program and assistive tools; the
// scroll area's own scrolling on Tab would move it again by another.
class ClientScrollArea : public QScrollArea {
public:
    using QScrollArea::QScrollArea;

protected:
    bool focusNextPrevChild(bool next) override {
        return QAbstractScrollArea::focusNextPrevChild(next);
    }
};

// One axis of scrollToFocus: where a view of `span` pixels, now at `at`,
// starts so as to show the control [c0, c1) in its frame [f0, f1) (the
// control itself where no frame holds it): the whole frame where it fits;
// else the frame's start, where its caption is, and the control with a
// margin; else the control with a margin; else, the control being longer
// than the view, the frame's start. The view moves as little as it can.
constexpr int margin = 8;
int scrolledTo(int at, int span, int c0, int c1, int f0, int f1) {
    int from = f0;
    int to = f1;
    if (f1 - f0 > span) {
        to = c1 + margin;
        if (to - f0 > span)
            from = c0 - margin;
        if (to - from > span) {
            from = c0 - f0 <= span / 2 ? f0 : c0;
            to = from + span;
        }
    }
    if (from < at)
        return from;
    if (to > at + span)
        return to - span;
    return at;
}

// The window as screen readers know windows: a plain widget would be a
// "filler", and its title would not be spoken when it comes up.
QAccessibleInterface *windowFactory(const QString &className, QObject *object) {
    if (className == QLatin1String(Form1::staticMetaObject.className()) && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

Form1::Form1(settings::Settings &settings, shell::Desktop &desktop, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_settings(settings), m_desktop(desktop), m_split(settings) {
    InstallAccessibleFactory(windowFactory);
    InstallLineEditAccessible();
    setObjectName(u"Form1"_s);
    buildControls();
    buildTabOrder();
    prepareHover();
    connect(&m_split, &commands::SplitSettings::changed, this, &Form1::syncFromSettings);
    m_pointer.onChanged([this](int value) { applyPointer(value); });
    syncFromSettings();
}

// The children go after this body has run, and focus moves as they go: the
// window no longer follows it by then.
Form1::~Form1() {
    disconnect(m_followFocus);
}

void Form1::buildControls() {
    // The client area: 8040 x 10065 twips, fixed, white.
    setFixedSize(px(8040), px(10065));
    QPalette white = palette();
    SetFace(white, QPalette::Window, Qt::white, QPalette::WindowText);
    setPalette(white);
    setAutoFillBackground(true);
    setFont(controlFont());

    m_scroll = new ClientScrollArea(this);
    m_scroll->setObjectName(u"ClientScroll"_s);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scroll);
    m_client = new QWidget;
    m_client->setObjectName(u"Client"_s);
    m_client->setFixedSize(size());
    m_scroll->setWidget(m_client);
    // A control that takes the focus, by Tab, by the program or by an
    // assistive tool, is scrolled into view.
    m_followFocus = connect(qApp, &QApplication::focusChanged, this,
                            [this](QWidget *, QWidget *now) { scrollToFocus(now); });

    const auto button = [](const QString &name, const QString &caption, QWidget *parent) {
        auto *b = new QPushButton(caption, parent);
        b->setObjectName(name);
        b->setFont(buttonFont());
        b->setAutoDefault(false);
        QPalette face = b->palette();
        SetFace(face, QPalette::Button, Qt::white, QPalette::ButtonText);
        b->setPalette(face);
        return b;
    };
    auto *frameStyle = new FrameStyle(QApplication::style()->name());
    frameStyle->setParent(this);
    const auto frame = [this, frameStyle](const QString &name, const QString &caption) {
        auto *f = new QGroupBox(caption, m_client);
        f->setObjectName(name);
        f->setStyle(frameStyle); // white inside, like the window
        return f;
    };

    PushButton7 = button(u"PushButton7"_s, u"Help"_s, m_client);
    place(PushButton7, 120, 120, 3840, 405);
    PushButton8 = button(u"PushButton8"_s, u"Load Sample/Example Text"_s, m_client);
    place(PushButton8, 4080, 120, 3840, 405);

    Frame1 = frame(u"Frame1"_s, u"Text Message Character Limit"_s);
    place(Frame1, 120, 600, 3840, 1815);
    Frame2 = frame(u"Frame2"_s, u"Split Options"_s);
    place(Frame2, 4080, 600, 3840, 1815);
    Frame3 = frame(u"Frame3"_s, u"Paste Or Type Text Message Here"_s);
    place(Frame3, 120, 2490, 7800, 1575);
    Frame4 = frame(u"Frame4"_s, u"Results"_s);
    place(Frame4, 120, 4650, 7800, 2775);
    Frame5 = frame(u"Frame5"_s, u"Output Option"_s);
    place(Frame5, 120, 7500, 7800, 1575);
    Frame6 = frame(u"Frame6"_s, u"Save Results To This Folder"_s);
    place(Frame6, 120, 9150, 7800, 800);

    struct OptionPlace {
        QGroupBox *frame;
        int left, top, width, height;
    };
    const OptionPlace options[9] = {
        {Frame1, 240, 300, 1935, 255},  {Frame1, 240, 650, 1935, 255},
        {Frame1, 240, 1000, 1935, 255}, {Frame1, 240, 1350, 1695, 255},
        {Frame2, 240, 300, 2775, 255},  {Frame2, 240, 650, 2775, 255},
        {Frame2, 240, 1000, 2775, 255}, {Frame5, 240, 300, 5775, 255},
        {Frame5, 240, 650, 3495, 255},
    };
    for (int i = 0; i < 9; ++i) {
        auto *option = new QRadioButton(m_split.caption(i + 1), options[i].frame);
        option->setObjectName(u"Option"_s + QString::number(i + 1));
        place(option, options[i].left, options[i].top, options[i].width, options[i].height);
        Option[i] = option;
        connect(option, &QRadioButton::toggled, this, [this, i](bool checked) {
            if (checked && !m_syncing)
                m_split.setOption(i + 1, true);
        });
    }

    Text1 = new QLineEdit(Frame1);
    Text1->setObjectName(u"Text1"_s);
    Text1->setAccessibleName(u"X Characters"_s);
    place(Text1, 2160, 1305, 1440, 345);
    connect(Text1, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (!m_syncing)
            m_split.setXText(text);
    });

    Text2 = new MessageEdit(Frame3);
    Text2->setObjectName(u"Text2"_s);
    Text2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves on, as in any multi-line box of a dialog; a pasted TAB stays.
    Text2->setTabChangesFocus(true);
    place(Text2, 240, 300, 7320, 1125);

    PushButton2 = button(u"PushButton2"_s, u"Start Splitting"_s, m_client);
    place(PushButton2, 120, 4170, 7800, 405);

    ListView1 = new ResultsView(Frame4);
    ListView1->setObjectName(u"ListView1"_s);
    ListView1->setAccessibleName(u"Results"_s);
    ListView1->setResults(&m_results);
    ListView1->setAnnouncer([this](QAccessibleEvent *event) { m_desktop.announce(event); });
    place(ListView1, 240, 300, 7320, 1215);
    PushButton1 = button(u"PushButton1"_s, u"Save Results To Text File"_s, Frame4);
    place(PushButton1, 240, 1620, 3600, 405);
    PushButton3 = button(u"PushButton3"_s, u"Save Results As Excel File"_s, Frame4);
    place(PushButton3, 3960, 1620, 3600, 405);
    PushButton6 = button(u"PushButton6"_s, u"Copy Results To Clipboard"_s, Frame4);
    place(PushButton6, 240, 2130, 3600, 405);
    PushButton4 = button(u"PushButton4"_s, u"Clear List"_s, Frame4);
    place(PushButton4, 3960, 2130, 3600, 405);

    Label1 = new QLabel(u"Prefix for filename"_s, Frame5);
    Label1->setObjectName(u"Label1"_s);
    place(Label1, 600, 1080, 1575, 225);
    Text3 = new QLineEdit(Frame5);
    Text3->setObjectName(u"Text3"_s);
    Label1->setBuddy(Text3);
    Text3->setAccessibleName(Label1->text());
    place(Text3, 2280, 1020, 1440, 345);
    connect(Text3, &QLineEdit::textChanged, this, &Form1::Text3_Change);

    Text4 = new QLineEdit(Frame6);
    Text4->setObjectName(u"Text4"_s);
    place(Text4, 240, 300, 6525, 345);
    connect(Text4, &QLineEdit::textChanged, this, &Form1::Text4_Change);
    PushButton5 = button(u"PushButton5"_s, u"..."_s, Frame6);
    PushButton5->setAccessibleName(u"Choose the output folder"_s);
    place(PushButton5, 6945, 300, 630, 345);

    connect(PushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(PushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(PushButton3, &QPushButton::clicked, this, &Form1::PushButton3_Click);
    connect(PushButton4, &QPushButton::clicked, this, &Form1::PushButton4_Click);
    connect(PushButton5, &QPushButton::clicked, this, &Form1::PushButton5_Click);
    connect(PushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
    connect(PushButton7, &QPushButton::clicked, this, &Form1::PushButton7_Click);
    connect(PushButton8, &QPushButton::clicked, this, &Form1::PushButton8_Click);
    // The button keeps the focus after it replaced the message: Ctrl+Z there
    // takes the replacement back, as it would in the message box.
    const auto onLoadSample = [this](QKeySequence::StandardKey key, void (MessageEdit::*act)()) {
        auto *shortcut = new QShortcut(key, PushButton8, nullptr, nullptr, Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, Text2, act);
    };
    onLoadSample(QKeySequence::Undo, &MessageEdit::undo);
    onLoadSample(QKeySequence::Redo, &MessageEdit::redo);

    // A stored prefix or folder is shown whole and written back unchanged; the
    // line edit's default limit would cut it at 32,767 characters.
    for (QLineEdit *box : {Text1, Text3, Text4})
        box->setMaxLength(std::numeric_limits<int>::max());

    // Frames and the label take no focus.
    for (QWidget *w : {static_cast<QWidget *>(Frame1), static_cast<QWidget *>(Frame2),
                       static_cast<QWidget *>(Frame3), static_cast<QWidget *>(Frame4),
                       static_cast<QWidget *>(Frame5), static_cast<QWidget *>(Frame6),
                       static_cast<QWidget *>(Label1)})
        w->setFocusPolicy(Qt::NoFocus);
}

void Form1::buildTabOrder() {
    const QList<QWidget *> order = {
        Text2,       Option[0],   Option[1],   Option[2],   Option[3],   Text1,
        Option[4],   Option[5],   Option[6],   ListView1,   PushButton1, PushButton3,
        PushButton4, Option[7],   Option[8],   Text3,       Text4,       PushButton5,
        PushButton2, PushButton6, PushButton7, PushButton8,
    };
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
}

// Hovering a push button shows the hand, the bare window, a frame or the list
// the default pointer; option buttons, text boxes and the label set nothing.
// Every control tracks the mouse so that the rule applies as it moves.
void Form1::prepareHover() {
    for (QPushButton *b : {PushButton1, PushButton2, PushButton3, PushButton4, PushButton5,
                           PushButton6, PushButton7, PushButton8})
        m_hover.insert(b, shell::PointerShape::Hand);
    for (QWidget *w : {static_cast<QWidget *>(this), static_cast<QWidget *>(Frame1),
                       static_cast<QWidget *>(Frame2), static_cast<QWidget *>(Frame3),
                       static_cast<QWidget *>(Frame4), static_cast<QWidget *>(Frame5),
                       static_cast<QWidget *>(Frame6), static_cast<QWidget *>(ListView1)})
        m_hover.insert(w, shell::PointerShape::Default);
    for (QWidget *w : {static_cast<QWidget *>(Text1), static_cast<QWidget *>(Text2),
                       static_cast<QWidget *>(Text3), static_cast<QWidget *>(Text4),
                       static_cast<QWidget *>(Label1)})
        m_hover.insert(w, -1);
    for (QRadioButton *o : Option)
        m_hover.insert(o, -1);

    QList<QWidget *> all = findChildren<QWidget *>();
    all.append(this);
    for (QWidget *w : all) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
        if (w->testAttribute(Qt::WA_SetCursor))
            m_ownCursors.insert(w, w->cursor());
    }
}

bool Form1::eventFilter(QObject *watched, QEvent *event) {
    // Enter, on the main keyboard or the keypad, presses the focused push
    // button, as Space does.
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        auto *button = qobject_cast<QPushButton *>(watched);
        if (button && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && button->isEnabled()) {
            button->click();
            return true;
        }
    }
    if (event->type() == QEvent::MouseMove) {
        auto *widget = static_cast<QWidget *>(watched);
        const auto *move = static_cast<QMouseEvent *>(event);
        QWidget *under = widget->childAt(move->position().toPoint());
        if (!under)
            under = widget;
        for (QWidget *w = under; w; w = w->parentWidget()) {
            const auto found = m_hover.constFind(w);
            if (found == m_hover.constEnd())
                continue;
            if (*found >= 0)
                m_pointer.hover(*found);
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

QCursor Form1::handCursor() const {
    return m_handCursor ? *m_handCursor : QCursor(Qt::PointingHandCursor);
}

// The pointer is the window's: its shape shows over every control, the text
// boxes included. The default gives each control back its own cursor.
void Form1::applyPointer(int value) {
    QList<QWidget *> all = findChildren<QWidget *>();
    all.append(this);
    for (QWidget *w : all) {
        if (value == shell::PointerShape::Default) {
            const auto own = m_ownCursors.constFind(w);
            if (own != m_ownCursors.constEnd())
                w->setCursor(*own);
            else
                w->unsetCursor();
        } else if (value == shell::PointerShape::Busy) {
            w->setCursor(Qt::WaitCursor);
        } else {
            w->setCursor(handCursor());
        }
    }
}

void Form1::syncFromSettings() {
    m_syncing = true;
    for (int i = 0; i < 9; ++i) {
        QRadioButton *option = Option[i];
        option->setText(m_split.caption(i + 1));
        const bool selected = m_split.option(i + 1);
        if (option->isChecked() != selected) {
            // An exclusive button cannot be cleared directly.
            option->setAutoExclusive(false);
            option->setChecked(selected);
            option->setAutoExclusive(true);
        }
    }
    keepTabStopsOnSelection();
    if (Text1->text() != m_split.xText())
        Text1->setText(m_split.xText());
    Text1->setEnabled(m_split.text1Enabled());
    Text3->setEnabled(m_split.text3Enabled());
    m_syncing = false;
}

// Tab enters an option group at its selected button; the arrow keys move
// within the group. Qt moves the group's one tab stop only when a button takes
// the focus, so a selection made by the program moves it here.
void Form1::keepTabStopsOnSelection() {
    const auto group = [this](int first, int last) {
        QRadioButton *selected = nullptr;
        for (int i = first; i <= last; ++i)
            if (Option[i - 1]->isChecked())
                selected = Option[i - 1];
        for (int i = first; i <= last; ++i) {
            QRadioButton *b = Option[i - 1];
            const bool stop = !selected || b == selected;
            b->setFocusPolicy(stop ? Qt::FocusPolicy(b->focusPolicy() | Qt::TabFocus)
                                   : Qt::FocusPolicy(b->focusPolicy() & ~Qt::TabFocus));
        }
    };
    group(1, 4);
    group(5, 7);
    group(8, 9);
}

// Where the screen's free area, less the window's frame, is smaller than the
// client, the window shrinks to it and the client scrolls; the scroll bars
// are added to the size where there is room for them. Where the client fits,
// the window is exactly the client.
void Form1::fitToScreen(const QScreen *screen) {
    const QMargins margins = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    const QSize room = screen->availableGeometry().size().shrunkBy(margins);
    const QSize client = m_client->size();
    const int bar = m_scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scroll);
    bool across = false; // a horizontal scroll bar
    bool down = false;   // a vertical one
    QSize fitted = client;
    for (int round = 0; round < 3; ++round) { // each bar can call for the other
        fitted = QSize(qMin(client.width() + (down ? bar : 0), room.width()),
                       qMin(client.height() + (across ? bar : 0), room.height()));
        across = fitted.width() - (down ? bar : 0) < client.width();
        down = fitted.height() - (across ? bar : 0) < client.height();
    }
    setFixedSize(fitted.expandedTo(QSize(1, 1)));
}

// A control that takes the focus is scrolled into view, with the frame that
// holds it as far as the view allows (see scrolledTo); a control outside any
// frame counts as its own frame, with a margin around it.
void Form1::scrollToFocus(QWidget *focused) {
    if (!focused || !m_client->isAncestorOf(focused))
        return;
    const QRect control(focused->mapTo(m_client, QPoint(0, 0)), focused->size());
    QRect frame = control.marginsAdded(QMargins(margin, margin, margin, margin));
    for (QWidget *w = focused->parentWidget(); w && w != m_client; w = w->parentWidget())
        if (qobject_cast<QGroupBox *>(w))
            frame = QRect(w->mapTo(m_client, QPoint(0, 0)), w->size());
    const QSize view = m_scroll->viewport()->size();
    QScrollBar *across = m_scroll->horizontalScrollBar();
    QScrollBar *down = m_scroll->verticalScrollBar();
    across->setValue(scrolledTo(across->value(), view.width(), control.left(), control.right() + 1,
                                frame.left(), frame.right() + 1));
    down->setValue(scrolledTo(down->value(), view.height(), control.top(), control.bottom() + 1,
                              frame.top(), frame.bottom() + 1));
}

void Form1::showCentred() {
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        // The frame is centred in the free area, as far as the platform
        // knows it before showing; on a screen too small for the window its
        // title bar stays on the screen, where it can be grabbed.
        winId();
        fitToScreen(screen);
        const QMargins margins = windowHandle() ? windowHandle()->frameMargins() : QMargins();
        const QSize frame = size().grownBy(margins);
        const QRect area = screen->availableGeometry();
        const QPoint centred = area.center() - QPoint(frame.width() / 2, frame.height() / 2);
        move(qMax(centred.x(), area.left()), qMax(centred.y(), area.top()));
    }
    show();
    activateWindow();
    Text2->setFocus(Qt::ActiveWindowFocusReason);
}

void Form1::Form_Load(const QString &programFolder) {
    shell::HandlerSteps s(m_desktop, u"Form_Load"_s);
    s.step(100, [&] { ApplySkin(this, programFolder); });
    const QString cursorFile = programFolder + u"/HAND-M.CUR"_s;
    if (s.test(104, [&] { return shell::FileExists(cursorFile); }))
        s.step(106, [&] { m_handCursor = LoadCursorFile(cursorFile); });
    s.step(108, [&] { MaybeOpenVendorPage(m_desktop); });
    s.step(126, [&] {
        setWindowTitle(QString::fromUtf16(shell::ProductName));
        setWindowIcon(QIcon(u":/tovrik/tovrik.svg"_s));
        SetApplicationTitle();
    });
    s.step(128, [&] { m_results.addColumn(u"Results"_s); });
    s.step(130, [&] { ListView1->header()->resizeSection(0, px(7000)); });
    s.step(132, [&] { m_split.setXText(m_settings.ReadSetting(u"X Character"_s, 160)); });
    s.step(134, [&] { Text3->setText(m_settings.ReadSetting(u"Prefix"_s, u"Split_"_s)); });
    s.step(136, [&] {
        const QString fallback = shell::GetDefaultOutputFolder(); // worked out at every start
        Text4->setText(m_settings.ReadSetting(u"Output Folder"_s, fallback));
    });
    // The nine are read before any is set: setting one stores its whole
    // group, and a group stored only in part (a hand-edited file) would lose
    // the choices not read yet.
    const int defaults[9] = {1, 0, 0, 0, 1, 0, 0, 1, 0};
    QString stored[9];
    for (int i = 0; i < 9; ++i)
        stored[i] = m_settings.ReadSetting(u"Option"_s + QString::number(i + 1), defaults[i]);
    for (int i = 0; i < 9; ++i)
        s.step(138 + 2 * i, [&] { m_split.setOption(i + 1, ToBoolean(stored[i])); });
}

// The message exactly as typed or pasted: no-break spaces and line
// separators stay; only line breaks, however they came, are line feeds.
QString Form1::messageText() const {
    return Text2->text();
}

void Form1::Text3_Change() {
    m_settings.WriteSetting(u"Prefix"_s, Text3->text());
}
void Form1::Text4_Change() {
    m_settings.WriteSetting(u"Output Folder"_s, Text4->text());
}

void Form1::PushButton2_Click() {
    // While a save, copy or export reads the list row by row (the busy
    // pointer), cutting anew would swap the rows under it and the command
    // would finish with others than the user ticked: the click does nothing
    // then, as "Clear List" does.
    if (m_pointer.busy())
        return;
    commands::PushButton2_Click({m_split, m_results, m_pointer, m_desktop,
                                 [this] { return Text4->text(); },
                                 [this] { return messageText(); }});
}

void Form1::PushButton4_Click() {
    shell::HandlerSteps s(m_desktop, u"PushButton4_Click"_s);
    if (s.test(100, [&] { return !m_pointer.busy(); }))
        s.more([&] { m_results.clear(); });
}

void Form1::PushButton7_Click() {
    shell::HandlerSteps s(m_desktop, u"PushButton7_Click"_s);
    s.step(100, [&] {
        m_desktop.message(u"Questions? Please contact Team Quandrel at "_s +
                              QString::fromUtf16(ContactPage),
                          shell::ApplicationTitle(), shell::MessageIcon::None);
    });
}

void Form1::PushButton8_Click() {
    shell::HandlerSteps s(m_desktop, u"PushButton8_Click"_s);
    s.step(100, [&] { Text2->replaceAll(QString::fromUtf16(SampleText)); });
}

void Form1::PushButton5_Click() {
    shell::HandlerSteps s(m_desktop, u"PushButton5_Click"_s);
    QString folder;
    s.step(100, [&] { folder = m_desktop.browseForFolder(u"Please select folder:"_s, QString()); });
    // Cancel leaves the output folder as it was.
    if (folder.isEmpty())
        return;
    bool endsInSeparator = false;
    s.step(102, [&] { endsInSeparator = folder.endsWith(u'/'); });
    if (!endsInSeparator)
        s.step(104, [&] { Text4->setText(folder + u'/'); });
    else
        s.step(106, [&] { Text4->setText(folder); });
}

// The output commands read the list row by row and let clicks in meanwhile;
// one of those may start another output command, which ends by putting the
// default pointer back. While the first still reads the list, its busy
// pointer returns with it, and with it the guard of the list.
void Form1::readList(const std::function<void()> &command) {
    const int shape = m_pointer.value();
    const bool inside = m_listReaders++ > 0;
    const auto done = qScopeGuard([&] {
        --m_listReaders;
        if (inside)
            m_pointer.set(shape);
    });
    command();
}

void Form1::PushButton6_Click() {
    readList([this] {
        shell::EventPump pump;
        output::PushButton6_Click({m_results, m_pointer, m_desktop, [&] { pump(); }});
    });
}

void Form1::PushButton1_Click() {
    readList([this] {
        shell::EventPump pump;
        output::PushButton1_Click({{m_results, m_pointer, m_desktop, [&] { pump(); }},
                                   m_split,
                                   [this] { return Text4->text(); },
                                   [this] { return Text3->text(); },
                                   m_saveFileName});
    });
}

void Form1::PushButton3_Click() {
    readList([this] {
        shell::EventPump pump;
        output::PushButton3_Click({m_results, m_pointer, m_desktop, [&] { pump(); }});
    });
}

} // namespace tovrik::ui
