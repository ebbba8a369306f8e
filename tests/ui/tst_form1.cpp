// The main window on the offscreen platform: layout, focus, the hover
// pointer, the small commands, and start-up with a private settings folder.
#include "core/cutter.h"
#include "core/graphemes.h"
#include "fakesettings.h"
#include "settings/settingsstore.h"
#include "shell/applicationtitle.h"
#include "shell/files.h"
#include "testdesktop.h"
#include "ui/faces.h"
#include "ui/form1.h"
#include "ui/messageedit.h"
#include "ui/qtdesktop.h"
#include "ui/resultsview.h"
#include "ui/startup.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleHints>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace tovrik;
using namespace tovrik::commands;
using namespace tovrik::settings;
using namespace tovrik::shell;
using namespace tovrik::ui;
using tovrik::testing::TestDesktop;

namespace {

QString confFile() {
    return QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) +
           u"/Quandrel/Tovrik.conf"_s;
}

// Stored values, written the way the program stores them.
void store(const QList<QPair<QString, QString>> &values) {
    SettingsStore settings;
    for (const auto &[key, value] : values)
        settings.WriteSetting(key, value);
}

// The same, given as "key=value".
void storeKeyValues(const QStringList &keyValues) {
    QList<QPair<QString, QString>> values;
    for (const QString &kv : keyValues)
        values.append({kv.section(u'=', 0, 0), kv.section(u'=', 1)});
    store(values);
}

QString stored(const QString &key) {
    QSettings settings(confFile(), QSettings::IniFormat);
    return settings.value(u"Tovrik/"_s + key, u"<none>"_s).toString();
}

QString captionOf(QWidget *w) {
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        return b->text();
    if (auto *g = qobject_cast<QGroupBox *>(w))
        return g->title();
    if (auto *l = qobject_cast<QLabel *>(w))
        return l->text();
    return {};
}

// What assistive tools are told.
struct Heard {
    QAccessible::Event type;
    QObject *object;
    int row; // of a list item, or -1
    bool checkedChanged;
    int modelChange;
};

class ListeningDesktop : public TestDesktop {
public:
    QList<Heard> heard;
    void announce(QAccessibleEvent *event) override {
        Heard h{event->type(), event->object(), -1, false, -1};
        if (QAccessibleInterface *iface = event->accessibleInterface())
            if (QAccessibleTableCellInterface *cell = iface->tableCellInterface())
                h.row = cell->rowIndex();
        if (event->type() == QAccessible::StateChanged)
            h.checkedChanged =
                static_cast<QAccessibleStateChangeEvent *>(event)->changedStates().checked;
        if (event->type() == QAccessible::TableModelChanged)
            h.modelChange =
                static_cast<QAccessibleTableModelChangeEvent *>(event)->modelChangeType();
        heard.append(h);
    }
};

// A window over a fresh settings file, an empty program folder and a
// scripted desktop.
struct Window {
    ListeningDesktop desktop;
    SettingsStore settings;
    QTemporaryDir programFolder;
    Form1 form{settings, desktop};

    void load() { form.Form_Load(programFolder.path()); }
    // Loaded and on screen: its message box, or none when it never showed.
    MessageEdit *shownMessageBox() {
        load();
        form.showCentred();
        return QTest::qWaitForWindowExposed(&form) ? form.Text2 : nullptr;
    }
};

// Accessibility made active, as a screen reader that has just started makes
// it, with every event heard by `listen`; both undone at the end.
class ScreenReader {
public:
    explicit ScreenReader(QAccessible::UpdateHandler listen)
        : m_before(QAccessible::installUpdateHandler(listen)),
          m_platform(QGuiApplicationPrivate::platformIntegration()->accessibility()) {
        if (m_platform) {
            m_wasActive = m_platform->isActive();
            m_platform->setActive(true);
        }
    }
    ~ScreenReader() {
        QAccessible::installUpdateHandler(m_before);
        if (m_platform)
            m_platform->setActive(m_wasActive);
    }
    ScreenReader(const ScreenReader &) = delete;
    ScreenReader &operator=(const ScreenReader &) = delete;
    bool listening() const { return m_platform != nullptr; }

private:
    QAccessible::UpdateHandler m_before;
    QPlatformAccessibility *m_platform;
    bool m_wasActive = false;
};

} // namespace

class Form1Test : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    void layout_data();
    void layout();
    void window();
    void tabOrderAndFirstFocus();
    void keyboard_data();
    void keyboard();
    void enterPressesButton_data();
    void enterPressesButton();
    void listMenuFromKeyboard_data();
    void listMenuFromKeyboard();
    void placedOnScreen();
    void controlsCanBeBroughtIntoView_data();
    void controlsCanBeBroughtIntoView();
    void startupBoxesCentredOnScreen();
    void framesAreWhite();
    void accessibleNames_data();
    void accessibleNames();
    void messageAsTyped_data();
    void messageAsTyped();
    void messageBoxEditing_data();
    void messageBoxEditing();
    void messageBoxLongText();
    void messageBoxEditsWrapAsAWholeText();
    void messageBoxWrapsBetweenGraphemes_data();
    void messageBoxWrapsBetweenGraphemes();
    void messageBoxWrapsARunOfBlanks();
    void messageBoxMovesByGraphemes_data();
    void messageBoxMovesByGraphemes();
    void messageBoxKeysLandBetweenGraphemes_data();
    void messageBoxKeysLandBetweenGraphemes();
    void messageBoxRightToLeftLinesStayInside_data();
    void messageBoxRightToLeftLinesStayInside();
    void messageBoxLinesReadTheirParagraphsWay();
    void messageBoxGivesEachLetterItsBox();
    void messageBoxTellsWhenASelectionGoes();
    void messageBoxForInputMethodsAndScreenReaders();
    void textBoxesTellEveryWordToScreenReaders();
    void messageBoxContextMenu();
    void messageBoxDrawsTextAndCursor();
    void messageBoxFollowsEveryEdit();
    void messageBoxDoubleClickSelectsAWord();
    void emptyListShowsItsFocus();
    void messageBoxPointsLandInOrder();
    void messageBoxShowsWhereADropLands();
    void hover();
    void listIsGuardedWhileBusy();
    void listStaysGuardedWhileACommandRunsInAnother();
    void sampleReplacesTypedText();
    void startSplittingFillsList();
    void tickingRows();
    void tickingRepaintsTheRowsOnView();
    void rowTicksForScreenReaders_data();
    void rowTicksForScreenReaders();
    void screenReadersHearTheCurrentRow();
    void resultsAnnounced_data();
    void resultsAnnounced();
    void help();
    void folderPicker_data();
    void folderPicker();

    void firstStart();
    void settingsWrittenInOrder();
    void storedFolderWithALongHome();
    void longStoredValuesStayWhole();
    void restore_data();
    void restore();
    void badOptionTextIsReportedAndLoadingGoesOn();
    void skin_data();
    void skin();
    void captionsReadInEveryScheme_data();
    void captionsReadInEveryScheme();
    void handCursor();
    void brokenHandCursorIsReported();
    void vendorPage_data();
    void vendorPage();
    void title_data();
    void title();
    void toBoolean_data();
    void toBoolean();
};

void Form1Test::init() {
    // Emptied through QSettings, whose in-process cache stays in step.
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, u"Quandrel"_s, u"Tovrik"_s);
    settings.clear();
    settings.sync();
    QDir().mkpath(QDir::homePath()); // the default output folder
}

void Form1Test::layout_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    const auto row = [](const char *name, const QString &caption, int l, int t, int w, int h) {
        QTest::newRow(name) << QString::fromLatin1(name) << caption << QRect(l, t, w, h);
    };
    row("PushButton7", u"Help"_s, 120, 120, 3840, 405);
    row("PushButton8", u"Load Sample/Example Text"_s, 4080, 120, 3840, 405);
    row("Frame1", u"Text Message Character Limit"_s, 120, 600, 3840, 1815);
    row("Option1", u"160 Characters"_s, 240, 300, 1935, 255);
    row("Option2", u"140 Characters"_s, 240, 650, 1935, 255);
    row("Option3", u"150 Characters"_s, 240, 1000, 1935, 255);
    row("Option4", u"X Characters"_s, 240, 1350, 1695, 255);
    row("Text1", QString(), 2160, 1305, 1440, 345);
    row("Frame2", u"Split Options"_s, 4080, 600, 3840, 1815);
    row("Option5", u"Split before 160 at space"_s, 240, 300, 2775, 255);
    row("Option6", u"Split at exactly 160"_s, 240, 650, 2775, 255);
    row("Option7", u"Split after period"_s, 240, 1000, 2775, 255);
    row("Frame3", u"Paste Or Type Text Message Here"_s, 120, 2490, 7800, 1575);
    row("Text2", QString(), 240, 300, 7320, 1125);
    row("PushButton2", u"Start Splitting"_s, 120, 4170, 7800, 405);
    row("Frame4", u"Results"_s, 120, 4650, 7800, 2775);
    row("ListView1", QString(), 240, 300, 7320, 1215);
    row("PushButton1", u"Save Results To Text File"_s, 240, 1620, 3600, 405);
    row("PushButton3", u"Save Results As Excel File"_s, 3960, 1620, 3600, 405);
    row("PushButton6", u"Copy Results To Clipboard"_s, 240, 2130, 3600, 405);
    row("PushButton4", u"Clear List"_s, 3960, 2130, 3600, 405);
    row("Frame5", u"Output Option"_s, 120, 7500, 7800, 1575);
    row("Option8", u"Save Results As One Text File With Enters Dividing Messages"_s, 240, 300, 5775,
        255);
    row("Option9", u"Save Each Result To Separate File"_s, 240, 650, 3495, 255);
    row("Label1", u"Prefix for filename"_s, 600, 1080, 1575, 225);
    row("Text3", QString(), 2280, 1020, 1440, 345);
    row("Frame6", u"Save Results To This Folder"_s, 120, 9150, 7800, 800);
    row("Text4", QString(), 240, 300, 6525, 345);
    row("PushButton5", u"..."_s, 6945, 300, 630, 345);
}

void Form1Test::layout() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    Window w;
    auto *control = w.form.findChild<QWidget *>(name);
    QVERIFY(control);
    const auto px = [](int t) { return qRound(t / 15.0); };
    QCOMPARE(control->geometry(),
             QRect(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height())));
    QCOMPARE(captionOf(control), caption);
    const bool button = qobject_cast<QPushButton *>(control);
    QCOMPARE(control->font().family(), u"Arial"_s);
    QVERIFY(control->font().bold());
    QCOMPARE(control->font().pointSizeF(), button ? 11.25 : 9.0);
}

void Form1Test::window() {
    Window w;
    w.load();
    QCOMPARE(w.form.size(), QSize(536, 671));
    QCOMPARE(w.form.minimumSize(), w.form.maximumSize()); // fixed
    QVERIFY(!(w.form.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(w.form.windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(w.form.windowTitle(), u"Tovrik"_s);
    QCOMPARE(w.form.palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(w.form.ListView1->header()->sectionSize(0), 467); // 7000 twips
    QCOMPARE(w.form.results().headerText(1), u"Results"_s);
    QVERIFY(!w.form.windowIcon().isNull());
}

void Form1Test::tabOrderAndFirstFocus() {
    Window w;
    w.load();
    const QStringList expected = {
        u"Text2"_s,       u"Option1"_s,     u"Option2"_s,     u"Option3"_s,     u"Option4"_s,
        u"Text1"_s,       u"Option5"_s,     u"Option6"_s,     u"Option7"_s,     u"ListView1"_s,
        u"PushButton1"_s, u"PushButton3"_s, u"PushButton4"_s, u"Option8"_s,     u"Option9"_s,
        u"Text3"_s,       u"Text4"_s,       u"PushButton5"_s, u"PushButton2"_s, u"PushButton6"_s,
        u"PushButton7"_s, u"PushButton8"_s,
    };
    QStringList chain;
    QWidget *widget = w.form.Text2;
    do {
        if (expected.contains(widget->objectName()) && !chain.contains(widget->objectName()))
            chain.append(widget->objectName());
        widget = widget->nextInFocusChain();
    } while (widget != w.form.Text2);
    QCOMPARE(chain, expected);
    for (const char *name : {"Frame1", "Frame2", "Frame3", "Frame4", "Frame5", "Frame6", "Label1"})
        QCOMPARE(w.form.findChild<QWidget *>(QString::fromLatin1(name))->focusPolicy(),
                 Qt::NoFocus);

    w.form.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.form.Text2));
}

void Form1Test::hover() {
    Window w;
    w.load();
    w.form.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    PointerShape &pointer = w.form.pointer();
    const auto over = [](QWidget *widget, QPoint at = {}) {
        QTest::mouseMove(widget, at.isNull() ? widget->rect().center() : at);
    };

    over(w.form.PushButton2);
    QCOMPARE(pointer.value(), 99);
    // Option buttons, text boxes and the label set nothing...
    over(w.form.Option[0]);
    QCOMPARE(pointer.value(), 99);
    over(w.form.Text2);
    QCOMPARE(pointer.value(), 99);
    over(w.form.Label1);
    QCOMPARE(pointer.value(), 99);
    // ...and the window shows the hand over a text box too.
    QCOMPARE(w.form.Text2->viewport()->cursor().shape(), Qt::PointingHandCursor);
    // A bare spot of a frame, the list and the window set the default.
    over(w.form.Frame1, QPoint(w.form.Frame1->width() - 3, w.form.Frame1->height() - 3));
    QCOMPARE(pointer.value(), 0);
    QCOMPARE(w.form.Text2->viewport()->cursor().shape(), Qt::IBeamCursor);
    over(w.form.PushButton4);
    QCOMPARE(pointer.value(), 99);
    over(w.form.ListView1->viewport());
    QCOMPARE(pointer.value(), 0);
    over(w.form.PushButton7);
    over(&w.form, QPoint(2, 300));
    QCOMPARE(pointer.value(), 0);

    // Busy is never replaced by hovering.
    pointer.set(11);
    QCOMPARE(w.form.PushButton2->cursor().shape(), Qt::WaitCursor);
    over(w.form.PushButton2);
    over(w.form.Frame2, QPoint(3, w.form.Frame2->height() - 3));
    QCOMPARE(pointer.value(), 11);
}

// While a command reads the list (busy), neither "Clear List" nor "Start
// Splitting" changes it.
void Form1Test::listIsGuardedWhileBusy() {
    Window w;
    w.load();
    w.form.results().appendRow(u"one"_s);
    w.form.pointer().set(11);
    QTest::mouseClick(w.form.PushButton4, Qt::LeftButton);
    w.form.Text2->setPlainText(u"a new message"_s);
    QTest::mouseClick(w.form.PushButton2, Qt::LeftButton);
    QCOMPARE(w.form.results().count(), 1);
    QCOMPARE(w.form.results().text(1), u"one"_s);
    QCOMPARE(w.form.pointer().value(), 11);
    w.form.pointer().set(0);
    QTest::mouseClick(w.form.PushButton4, Qt::LeftButton);
    QCOMPARE(w.form.results().count(), 0);
    QTest::mouseClick(w.form.PushButton4, Qt::LeftButton); // empty: nothing to say
    QVERIFY(w.desktop.messages.isEmpty());
}

// A click let in while an export reads the list can start a copy, which ends
// with the default pointer; the export still reads the list, which stays
// guarded until it is done.
void Form1Test::listStaysGuardedWhileACommandRunsInAnother() {
    Window w;
    w.load();
    for (const QString &text : {u"one"_s, u"two"_s}) {
        w.form.results().appendRow(text);
        w.form.results().setChecked(w.form.results().count(), true);
    }
    w.form.Text2->setPlainText(u"a new message"_s);
    int clicks = 0;
    w.desktop.spreadsheetCalled = [&](const QString &call) {
        if (!call.startsWith(u"Cells(2,"_s) || clicks++ > 0)
            return;
        QTest::mouseClick(w.form.PushButton6, Qt::LeftButton); // copy
        QTest::mouseClick(w.form.PushButton2, Qt::LeftButton); // Start Splitting
        QTest::mouseClick(w.form.PushButton4, Qt::LeftButton); // Clear List
    };
    QTest::mouseClick(w.form.PushButton3, Qt::LeftButton);
    QCOMPARE(clicks, 1);
    QVERIFY(w.desktop.clipboard.contains(u"two"_s));
    QVERIFY(w.desktop.spreadsheetLog.contains(u"Cells(3,1)=two"_s));
    QCOMPARE(w.form.results().count(), 2);
    QCOMPARE(w.form.results().checked(2), true);
    QCOMPARE(w.form.pointer().value(), 0);
}

void Form1Test::sampleReplacesTypedText() {
    Window w;
    w.load();
    w.form.Text2->setPlainText(u"typed by hand"_s);
    w.form.results().appendRow(u"kept"_s);
    QTest::mouseClick(w.form.PushButton8, Qt::LeftButton);
    const QString sample = w.form.Text2->toPlainText();
    QCOMPARE(sample, QString::fromUtf16(SampleText));
    QCOMPARE(sample.size(), 223);
    QCOMPARE(sample.count(u' '), 40);
    QCOMPARE(sample.count(u'.'), 3);
    QCOMPARE(w.form.results().count(), 1); // the list is not touched
    QCOMPARE(w.form.Text2->cursorPosition(), 0);
    // The typed text is not lost: Ctrl+Z on the button, which keeps the
    // focus, takes the sample back, however often it was loaded.
    w.form.show();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.form.PushButton8->setFocus();
    QTest::keyClick(w.form.PushButton8, Qt::Key_Space);
    QTest::keyClick(w.form.PushButton8, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w.form.Text2->toPlainText(), u"typed by hand"_s);
    QTest::keyClick(w.form.PushButton8, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(w.form.Text2->toPlainText(), sample);
}

void Form1Test::startSplittingFillsList() {
    Window w;
    w.load();
    QTest::mouseClick(w.form.PushButton8, Qt::LeftButton);
    QTest::mouseClick(w.form.PushButton2, Qt::LeftButton);
    QVERIFY2(w.desktop.messages.isEmpty(), qPrintable(w.desktop.messageTexts().join(u'|')));
    ResultsModel &list = w.form.results();
    QCOMPARE(list.count(), 2);
    QCOMPARE(list.text(1).size(), 157);
    QVERIFY(list.text(1).endsWith(u"frightened. But"));
    QCOMPARE(list.text(2).size(), 65);
    QVERIFY(list.text(2).startsWith(u"no price"));
    QVERIFY(!list.checked(1) && !list.checked(2));
    QCOMPARE(w.form.ListView1->model()->rowCount(), 2);
    QCOMPARE(w.form.pointer().value(), 0);

    // The exact mode, picked with the mouse.
    QTest::mouseClick(w.form.Option[5], Qt::LeftButton);
    QTest::mouseClick(w.form.PushButton2, Qt::LeftButton);
    QCOMPARE(list.count(), 2);
    QCOMPARE(list.text(1).size(), 160);
    QCOMPARE(stored(u"Option6"_s), u"True"_s);
}

void Form1Test::tickingRows() {
    Window w;
    w.load();
    w.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    ResultsModel &list = w.form.results();
    for (const QString &t : {u"a"_s, u"b"_s, u"c"_s})
        list.appendRow(t);
    ResultsView *view = w.form.ListView1;
    view->setFocus();

    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(view->selectionModel()->selectedRows().size(), 3);
    QAccessibleTableInterface *table =
        QAccessible::queryAccessibleInterface(view)->tableInterface();
    QCOMPARE(table->selectedRows(), (QList<int>{0, 1, 2}));
    QCOMPARE(table->selectedRowCount(), 3);
    QTest::keyClick(view, Qt::Key_Space);
    QVERIFY(list.checked(1) && list.checked(2) && list.checked(3));
    QTest::keyClick(view, Qt::Key_Space);
    QVERIFY(!list.checked(1) && !list.checked(2) && !list.checked(3));

    // Space on a selection of one row ticks that row only.
    view->clearSelection();
    QCOMPARE(table->selectedRowCount(), 0); // (the current row is not selected)
    view->selectionModel()->select(list.index(1, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QCOMPARE(table->selectedRows(), QList<int>{1});
    QTest::keyClick(view, Qt::Key_Space);
    QVERIFY(!list.checked(1) && list.checked(2) && !list.checked(3));

    view->invertTicksAction()->trigger();
    QVERIFY(list.checked(1) && !list.checked(2) && list.checked(3));
    view->tickAllAction()->trigger();
    QVERIFY(list.checked(1) && list.checked(2) && list.checked(3));
    view->untickAllAction()->trigger();
    QVERIFY(!list.checked(1) && !list.checked(2) && !list.checked(3));

    // A click on a row's box ticks it; a second click unticks it.
    QStyleOptionViewItem item;
    item.initFrom(view);
    item.rect = view->visualRect(list.index(1, 0));
    item.features = QStyleOptionViewItem::HasCheckIndicator;
    const QPoint box =
        view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &item, view).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, box);
    QVERIFY(!list.checked(1) && list.checked(2) && !list.checked(3));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, box);
    QVERIFY(!list.checked(2));

    // Ticks of many rows at once still name the current row's own.
    for (int i = 0; i < 100; ++i)
        list.appendRow(u"r"_s);
    view->setCurrentIndex(list.index(70, 0));
    w.desktop.heard.clear();
    view->tickAllAction()->trigger();
    QVERIFY(std::any_of(w.desktop.heard.cbegin(), w.desktop.heard.cend(), [](const Heard &h) {
        return h.type == QAccessible::StateChanged && h.checkedChanged && h.row == 70;
    }));
    // Or the first changed row's, when the current row is not among them.
    view->selectionModel()->select(QItemSelection(list.index(0, 0), list.index(99, 0)),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->selectionModel()->setCurrentIndex(list.index(102, 0), QItemSelectionModel::NoUpdate);
    w.desktop.heard.clear();
    QTest::keyClick(view, Qt::Key_Space);
    QVERIFY(std::any_of(w.desktop.heard.cbegin(), w.desktop.heard.cend(), [](const Heard &h) {
        return h.type == QAccessible::StateChanged && h.checkedChanged && h.row == 0;
    }));
}

// Ticks of a long list repaint the rows on view, wherever it is scrolled.
void Form1Test::tickingRepaintsTheRowsOnView() {
    Window w;
    w.load();
    w.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    ResultsModel &list = w.form.results();
    for (int i = 0; i < 1000; ++i)
        list.appendRow(u"row"_s);
    ResultsView *view = w.form.ListView1;
    view->scrollTo(list.index(500, 0), QAbstractItemView::PositionAtTop);
    struct Painted : QObject {
        QRegion region;
        bool eventFilter(QObject *, QEvent *event) override {
            if (event->type() == QEvent::Paint)
                region += static_cast<QPaintEvent *>(event)->region();
            return false;
        }
    } painted;
    view->viewport()->installEventFilter(&painted);
    QTest::qWait(50); // the paints of the scroll
    painted.region = {};
    view->tickAllAction()->trigger();
    QCoreApplication::processEvents();
    const QModelIndex last = view->indexAt(QPoint(0, view->viewport()->height() - 1));
    QVERIFY(last.row() > 501);
    for (const int row : {500, last.row()})
        QVERIFY2(painted.region.contains(view->visualRect(list.index(row, 0))),
                 qPrintable(QString::number(row)));
}

void Form1Test::rowTicksForScreenReaders_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("a click on the box") << u"click"_s;
    QTest::newRow("Space") << u"space"_s;
    QTest::newRow("the row's toggle action") << u"action"_s;
}

void Form1Test::rowTicksForScreenReaders() {
    QFETCH(QString, how);
    Window w;
    w.load();
    w.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    ResultsModel &list = w.form.results();
    for (const QString &t : {u"a"_s, u"b"_s, u"c"_s})
        list.appendRow(t);
    ResultsView *view = w.form.ListView1;
    view->setFocus();
    view->selectionModel()->setCurrentIndex(list.index(1, 0), QItemSelectionModel::ClearAndSelect |
                                                                  QItemSelectionModel::Rows);
    w.desktop.heard.clear();
    QAccessibleInterface *listIface = QAccessible::queryAccessibleInterface(view);
    QVERIFY(listIface);
    QCOMPARE(listIface->childCount(), 3);
    QAccessibleInterface *row = listIface->child(1);
    QVERIFY(row && row->actionInterface());
    QVERIFY(row->state().checkable);
    QVERIFY(!row->state().checked);
    QCOMPARE(row->text(QAccessible::Name), u"b"_s);
    QCOMPARE(row->text(QAccessible::Description), u"not ticked"_s);

    if (how == u"click") {
        QStyleOptionViewItem item;
        item.initFrom(view);
        item.rect = view->visualRect(list.index(1, 0));
        item.features = QStyleOptionViewItem::HasCheckIndicator;
        const QPoint box = view->style()
                               ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &item, view)
                               .center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, box);
    } else if (how == u"space") {
        QTest::keyClick(view, Qt::Key_Space);
    } else {
        QCOMPARE(row->actionInterface()->actionNames(),
                 QStringList{QAccessibleActionInterface::toggleAction()});
        row->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    }
    QVERIFY(list.checked(2) && !list.checked(1) && !list.checked(3));
    QVERIFY(listIface->child(1)->state().checked);
    QCOMPARE(listIface->child(1)->text(QAccessible::Description), QString());
    QVERIFY(listIface->child(0)->state().checkable && !listIface->child(0)->state().checked);
    const auto told =
        std::find_if(w.desktop.heard.cbegin(), w.desktop.heard.cend(), [](const Heard &h) {
            return h.type == QAccessible::StateChanged && h.checkedChanged;
        });
    QVERIFY(told != w.desktop.heard.cend());
    QCOMPARE(told->row, 1);

    // The current row is focused only while the list has the focus.
    w.form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    view->setFocus();
    QVERIFY(listIface->child(1)->state().focused);
    w.form.Text2->setFocus();
    QVERIFY(!listIface->child(1)->state().focused);
}

// The row a focus or selection event names is the row that became current
// or selected, as the keyboard moves through the list.
void Form1Test::screenReadersHearTheCurrentRow() {
    static QList<std::pair<QAccessible::Event, int>> heard; // the event, its row
    const auto listen = [](QAccessibleEvent *event) {
        const QAccessible::Event type = event->type();
        if (type != QAccessible::Focus && type != QAccessible::SelectionAdd)
            return;
        // (Those about the list as a whole name no row.)
        if (QAccessibleInterface *iface = event->accessibleInterface())
            if (QAccessibleTableCellInterface *cell = iface->tableCellInterface())
                heard.append({type, cell->rowIndex()});
    };
    const ScreenReader reader(listen);
    QVERIFY(reader.listening());

    Window w;
    w.load();
    for (const QString &t : {u"a"_s, u"b"_s, u"c"_s})
        w.form.results().appendRow(t);
    w.form.show();
    w.form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    ResultsView *view = w.form.ListView1;
    QVERIFY(!view->currentIndex().isValid());
    heard.clear();
    w.desktop.heard.clear();
    view->setFocus(Qt::TabFocusReason); // the first row becomes current
    QCOMPARE(heard, (QList{std::pair(QAccessible::Focus, 0)}));
    // ...and is named again after the list's own focus.
    QTRY_VERIFY(std::any_of(w.desktop.heard.cbegin(), w.desktop.heard.cend(), [](const Heard &h) {
        return h.type == QAccessible::Focus && h.row == 0;
    }));
    for (const auto &[key, row] :
         {std::pair(Qt::Key_Down, 1), std::pair(Qt::Key_Down, 2), std::pair(Qt::Key_Up, 1)}) {
        heard.clear();
        QTest::keyClick(view, key);
        QCOMPARE(view->currentIndex().row(), row);
        QVERIFY(heard.contains(std::pair(QAccessible::Focus, row)));
        QVERIFY(heard.contains(std::pair(QAccessible::SelectionAdd, row)));
        for (const auto &[type, at] : std::as_const(heard))
            QCOMPARE(at, row);
    }
    // Back in the list from elsewhere, its current row is named again.
    w.form.Text2->setFocus(Qt::TabFocusReason);
    w.desktop.heard.clear();
    view->setFocus(Qt::BacktabFocusReason);
    QTRY_VERIFY(std::any_of(w.desktop.heard.cbegin(), w.desktop.heard.cend(), [](const Heard &h) {
        return h.type == QAccessible::Focus && h.row == 1;
    }));
}

void Form1Test::resultsAnnounced_data() {
    QTest::addColumn<int>("button"); // 2: Start Splitting, 4: Clear List
    QTest::addColumn<int>("rows");
    QTest::newRow("Start Splitting") << 2 << 2;
    QTest::newRow("Clear List") << 4 << 0;
}

void Form1Test::resultsAnnounced() {
    QFETCH(int, button);
    QFETCH(int, rows);
    Window w;
    w.load();
    w.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    w.form.results().appendRow(u"older"_s);
    QTest::mouseClick(w.form.PushButton8, Qt::LeftButton);
    w.desktop.heard.clear();
    QTest::mouseClick(button == 2 ? w.form.PushButton2 : w.form.PushButton4, Qt::LeftButton);
    QCOMPARE(w.form.results().count(), rows);
    const auto told =
        std::find_if(w.desktop.heard.cbegin(), w.desktop.heard.cend(), [&](const Heard &h) {
            return h.type == QAccessible::TableModelChanged && h.object == w.form.ListView1;
        });
    QVERIFY(told != w.desktop.heard.cend());
    QCOMPARE(QAccessible::queryAccessibleInterface(w.form.ListView1)->childCount(), rows);
}

void Form1Test::help() {
    Window w;
    w.load();
    QTest::mouseClick(w.form.PushButton7, Qt::LeftButton);
    QCOMPARE(w.desktop.messages.size(), 1);
    QCOMPARE(w.desktop.messages.first().text,
             u"Questions? Please contact Team Quandrel at https://quandrel.example/contact"_s);
    QCOMPARE(w.desktop.messages.first().title, u"Tovrik"_s);
    QCOMPARE(w.desktop.messages.first().icon, MessageIcon::None);
}

void Form1Test::folderPicker_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("expected");
    QTest::newRow("a folder gets one separator") << u"/data/out"_s << u"/data/out/"_s;
    QTest::newRow("the root stays the root") << u"/"_s << u"/"_s;
    QTest::newRow("cancel keeps the folder") << QString() << u"/kept/"_s;
}

void Form1Test::folderPicker() {
    QFETCH(QString, answer);
    QFETCH(QString, expected);
    Window w;
    w.load();
    w.form.Text4->setText(u"/kept/"_s);
    w.desktop.folderAnswer = answer;
    QTest::mouseClick(w.form.PushButton5, Qt::LeftButton);
    QCOMPARE(w.desktop.folderPrompt, u"Please select folder:"_s);
    QCOMPARE(w.form.Text4->text(), expected);
    QCOMPARE(stored(u"Output Folder"_s), expected); // stored at once
}

void Form1Test::keyboard_data() {
    QTest::addColumn<QStringList>("storedValues"); // key=value
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("to");
    const QStringList defaults;
    const QStringList second = {u"Option1=False"_s, u"Option2=True"_s,  u"Option5=False"_s,
                                u"Option7=True"_s,  u"Option8=False"_s, u"Option9=True"_s};
    QTest::newRow("Tab leaves the message")
        << defaults << u"Text2"_s << int(Qt::Key_Tab) << u"Option1"_s;
    QTest::newRow("Shift+Tab leaves the message")
        << defaults << u"Text2"_s << int(Qt::Key_Backtab) << u"PushButton8"_s;
    QTest::newRow("Tab enters the limits at the selection")
        << second << u"Text2"_s << int(Qt::Key_Tab) << u"Option2"_s;
    QTest::newRow("Tab enters the output options at the selection")
        << second << u"PushButton4"_s << int(Qt::Key_Tab) << u"Option9"_s;
    QTest::newRow("Shift+Tab enters them at the selection too")
        << second << u"Text3"_s << int(Qt::Key_Backtab) << u"Option9"_s;
    QTest::newRow("Tab goes from a group to the next one's selection")
        << second << u"Option2"_s << int(Qt::Key_Tab) << u"Option7"_s;
    QTest::newRow("arrows move within a group")
        << second << u"Option9"_s << int(Qt::Key_Up) << u"Option8"_s;
}

void Form1Test::keyboard() {
    QFETCH(QStringList, storedValues);
    QFETCH(QString, from);
    QFETCH(int, key);
    QFETCH(QString, to);
    storeKeyValues(storedValues);
    Window w;
    w.load();
    w.form.showCentred();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.form.Text2->setPlainText(u"typed"_s);
    auto *start = w.form.findChild<QWidget *>(from);
    start->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), start);

    QTest::keyClick(start, Qt::Key(key),
                    key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
    QCOMPARE(QApplication::focusWidget()->objectName(), to);
    QCOMPARE(w.form.Text2->toPlainText(), u"typed"_s); // no TAB went into the message
}

void Form1Test::enterPressesButton_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Return") << int(Qt::Key_Return) << int(Qt::NoModifier);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
    QTest::newRow("Space, as before") << int(Qt::Key_Space) << int(Qt::NoModifier);
}

void Form1Test::enterPressesButton() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    Window w;
    w.load();
    w.form.showCentred();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.form.PushButton7->setFocus(); // Help
    QTRY_VERIFY(w.form.PushButton7->hasFocus());
    QTest::keyClick(w.form.PushButton7, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(w.desktop.messages.size(), 1);
    QVERIFY(w.desktop.messages.first().text.startsWith(u"Questions?"_s));
}

void Form1Test::listMenuFromKeyboard_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier);
}

void Form1Test::listMenuFromKeyboard() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    Window w;
    w.load();
    w.form.showCentred();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.form.results().appendRow(u"a"_s);
    ResultsView *view = w.form.ListView1;
    view->setFocus();
    QTRY_VERIFY(view->hasFocus());
    // Twice: a screen reader names the first item of every opening, not of
    // the first alone.
    for (int opening = 0; opening < 2; ++opening) {
        QStringList shown;
        QString active;
        QString named; // the first item as a screen reader finds it in the menu
        int ticks = 0;
        QTimer closer; // reads and closes the menu once it is on an item (or in a second)
        connect(&closer, &QTimer::timeout, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (menu && (menu->activeAction() || ++ticks > 100)) {
                for (QAction *a : menu->actions())
                    shown.append(a->text());
                active = menu->activeAction() ? menu->activeAction()->text() : QString();
                QAccessibleInterface *item = QAccessible::queryAccessibleInterface(menu)->child(0);
                if (item && item->parent() && item->parent()->object() == menu)
                    named = item->text(QAccessible::Name);
                menu->close();
                closer.stop();
            }
        });
        closer.start(10);
        // Through the window, as the platform delivers keys.
        QTest::keyClick(w.form.windowHandle(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTRY_COMPARE_WITH_TIMEOUT(
            shown, (QStringList{u"Tick All"_s, u"Untick All"_s, u"Invert Ticks"_s}), 2000);
        QCOMPARE(active, u"Tick All"_s);
        QCOMPARE(named, u"Tick All"_s);
    }
}

void Form1Test::placedOnScreen() {
    Window w;
    w.load();
    w.form.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    const QRect area = w.form.screen()->availableGeometry();
    const QRect frame = w.form.frameGeometry();
    // Centred; on a screen too small for the window (run again at twice the
    // scale) its title bar stays on the screen, where it can be grabbed.
    QVERIFY2(frame.top() >= area.top(), qPrintable(QString::number(frame.top())));
    QVERIFY(frame.left() >= area.left());
    if (frame.width() <= area.width())
        QVERIFY(qAbs(frame.center().x() - area.center().x()) <= 1);
    if (frame.height() <= area.height())
        QVERIFY(qAbs(frame.center().y() - area.center().y()) <= 1);
    const QRect client = w.form.geometry();
    const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                           frame.right() - client.right(), frame.bottom() - client.bottom());
    if (area.width() >= 536 + margins.left() + margins.right() &&
        area.height() >= 671 + margins.top() + margins.bottom()) {
        // Where the window fits, it is as it always was: its controls lie
        // where they are placed on it.
        QCOMPARE(w.form.size(), QSize(536, 671));
        for (QWidget *c :
             w.form.findChildren<QWidget *>(QRegularExpression(u"^(Frame\\d|PushButton[278])$"_s)))
            QCOMPARE(c->mapTo(&w.form, QPoint(0, 0)), c->pos());
    } else {
        // Else it takes no more than the free area.
        QVERIFY(area.contains(frame));
    }
}

namespace {

// The part of a control that can be seen: inside every widget that holds it
// and inside the free area of the screen, in screen coordinates.
QRect shownPart(QWidget *control) {
    QRect shown(control->mapToGlobal(QPoint(0, 0)), control->size());
    for (QWidget *w = control->parentWidget(); w; w = w->parentWidget())
        shown &= QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
    return shown & control->screen()->availableGeometry();
}

// In view: the control's top left corner is seen, and the control whole or,
// where the window is too small for it, at least half of what the window
// shows. A frame is in view when its caption is.
bool inView(QWidget *control) {
    const QRect shown = shownPart(control);
    if (!control->isVisible() || shown.topLeft() != control->mapToGlobal(QPoint(0, 0)))
        return false;
    QSize want = control->size();
    if (auto *frame = qobject_cast<QGroupBox *>(control)) {
        const QFontMetrics metrics(frame->font());
        want =
            want.boundedTo(QSize(metrics.horizontalAdvance(frame->title()) + 16, metrics.height()));
    }
    const int bar = control->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QSize half = (control->window()->size() - QSize(bar, bar)) / 2;
    return (shown.width() >= want.width() || shown.width() >= half.width()) &&
           (shown.height() >= want.height() || shown.height() >= half.height());
}

} // namespace

void Form1Test::controlsCanBeBroughtIntoView_data() {
    QTest::addColumn<int>("way"); // Qt::Key_Tab, Qt::Key_Backtab, or 0: focus set directly
    QTest::newRow("Tab") << int(Qt::Key_Tab);
    QTest::newRow("Shift+Tab") << int(Qt::Key_Backtab);
    QTest::newRow("focus given by the program or an assistive tool") << 0;
}

// Run on the screen at hand, and again on screens smaller than the window
// (tests/ui/CMakeLists.txt): every control is in view when it has the focus,
// and every frame, option and the label are in view at some time.
void Form1Test::controlsCanBeBroughtIntoView() {
    QFETCH(int, way);
    // The X box and the prefix box enabled: every box is a Tab stop.
    storeKeyValues({u"Option1=False"_s, u"Option4=True"_s, u"Option8=False"_s, u"Option9=True"_s});
    Window w;
    w.load();
    w.form.showCentred();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    const QRegularExpression named(u"^(Frame|Option|Text|PushButton|ListView|Label)\\d$"_s);
    QList<QWidget *> controls;
    for (QWidget *c : w.form.findChildren<QWidget *>(named))
        controls.append(c);
    QCOMPARE(controls.size(), 6 + 9 + 4 + 8 + 1 + 1);

    QSet<QWidget *> seen;
    const auto look = [&](QWidget *focused) {
        QVERIFY2(inView(focused), qPrintable(focused->objectName()));
        for (QWidget *c : controls)
            if (inView(c))
                seen.insert(c);
    };
    if (way == 0) {
        for (QWidget *c : controls) {
            if (c->focusPolicy() == Qt::NoFocus)
                continue;
            c->setFocus(Qt::OtherFocusReason);
            QTRY_COMPARE(QApplication::focusWidget(), c);
            look(c);
            if (QTest::currentTestFailed())
                return;
        }
    } else {
        w.form.Text2->setFocus(Qt::OtherFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.form.Text2));
        int stops = 0;
        do {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(way),
                            way == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
            look(QApplication::focusWidget());
            if (QTest::currentTestFailed())
                return;
        } while (QApplication::focusWidget() != w.form.Text2 && ++stops < 40);
        QCOMPARE(stops, 15); // 16 stops: Text2, one option of each group, ...
    }
    QStringList unseen;
    for (QWidget *c : controls)
        if (!seen.contains(c))
            unseen.append(c->objectName());
    QCOMPARE(unseen, QStringList());
}

void Form1Test::startupBoxesCentredOnScreen() {
    // The settings warning and start-up reports come before the window shows.
    QWidget hidden;
    hidden.resize(536, 671);
    QtDesktop desktop;
    desktop.setOwner(&hidden);
    QRect box;
    QTimer::singleShot(0, this, [&] {
        if (auto *shown = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            box = shown->frameGeometry();
            shown->accept();
        }
    });
    desktop.message(u"Settings cannot be saved"_s, u"Tovrik"_s, MessageIcon::Warning);
    QVERIFY(box.isValid());
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY2((box.center() - centre).manhattanLength() <= 2,
             qPrintable(u"%1,%2"_s.arg(box.center().x()).arg(box.center().y())));
}

void Form1Test::framesAreWhite() {
    Window w;
    w.load();
    const QImage picture = w.form.grab().toImage();
    for (QGroupBox *frame : w.form.findChildren<QGroupBox *>()) {
        // A bare spot inside the frame, near its lower right corner.
        const QPoint spot = frame->mapTo(&w.form, QPoint(frame->width() - 8, frame->height() - 8));
        QCOMPARE(QColor(picture.pixel(spot)), QColor(Qt::white));
    }
}

void Form1Test::accessibleNames_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::newRow("X box") << u"Text1"_s << u"X Characters"_s;
    QTest::newRow("prefix box") << u"Text3"_s << u"Prefix for filename"_s;
    QTest::newRow("folder button") << u"PushButton5"_s << u"Choose the output folder"_s;
    QTest::newRow("results list") << u"ListView1"_s << u"Results"_s;
    QTest::newRow("message box says its frame")
        << u"Text2"_s << u"Paste Or Type Text Message Here"_s;
    QTest::newRow("a button says its caption") << u"PushButton2"_s << u"Start Splitting"_s;
}

void Form1Test::accessibleNames() {
    QFETCH(QString, control);
    QFETCH(QString, name);
    Window w;
    w.load();
    QAccessibleInterface *a =
        QAccessible::queryAccessibleInterface(w.form.findChild<QWidget *>(control));
    QVERIFY(a);
    QCOMPARE(a->text(QAccessible::Name), name);
    QCOMPARE(captionOf(w.form.PushButton5), u"..."_s); // the captions stay
    QCOMPARE(QAccessible::queryAccessibleInterface(&w.form)->role(), QAccessible::Window);
}

void Form1Test::messageAsTyped_data() {
    QTest::addColumn<QString>("typed");   // as it reaches the box
    QTest::addColumn<QString>("message"); // as the cutter must get it
    QTest::addColumn<int>("limit");
    QTest::newRow("no-break spaces are no blanks")
        << u"Price:\u00A0100\u00A0EUR is fair"_s << u"Price:\u00A0100\u00A0EUR is fair"_s << 8;
    QTest::newRow("line separator") << u"one\u2028two three"_s << u"one\u2028two three"_s << 6;
    QTest::newRow("TAB and U+0001") << u"a\tb \u0001c d"_s << u"a\tb \u0001c d"_s << 4;
    QTest::newRow("CR LF and CR are one line feed")
        << u"ab\r\ncd\ref gh"_s << u"ab\ncd\nef gh"_s << 6;
}

void Form1Test::messageAsTyped() {
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(int, limit);
    Window w;
    w.load();
    w.form.Option[3]->click();
    w.form.Text1->setText(QString::number(limit));
    for (int mode : {6, 5, 7}) {
        w.form.Option[mode - 1]->click();
        w.form.Text2->clear();
        w.form.Text2->insertPlainText(typed); // as a paste does
        QTest::mouseClick(w.form.PushButton2, Qt::LeftButton);
        QStringList expected;
        const QStringView view(message);
        core::CutMessage(std::u16string_view(view.utf16(), std::size_t(view.size())), limit,
                         mode == 6   ? core::SplitMode::Exact
                         : mode == 5 ? core::SplitMode::Space
                                     : core::SplitMode::Period,
                         [&](std::u16string_view piece) {
                             expected.append(
                                 QString::fromUtf16(piece.data(), qsizetype(piece.size())));
                         });
        QStringList rows;
        for (int r = 1; r <= w.form.results().count(); ++r)
            rows.append(w.form.results().text(r).toString());
        QCOMPARE(rows, expected);
    }
}

void Form1Test::messageBoxEditing_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("cursor");
    // Each step is a key sequence, or "=" and text to type, or ">" and text
    // to put on the clipboard.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("selected");
    QTest::newRow("typing is undone as one step, then redone")
        << u"x"_s << 1 << QStringList{u"=hello world"_s, u"Ctrl+Z"_s} << u"x"_s << QString();
    QTest::newRow("redo") << u"x"_s << 1 << QStringList{u"=ab"_s, u"Ctrl+Z"_s, u"Ctrl+Shift+Z"_s}
                          << u"xab"_s << QString();
    QTest::newRow("backspace and delete")
        << u"abcd"_s << 4 << QStringList{u"Backspace"_s, u"Home"_s, u"Del"_s} << u"bc"_s
        << QString();
    QTest::newRow("shift and arrows select, typing replaces")
        << u"hello"_s << 5 << QStringList{u"Shift+Left"_s, u"Shift+Left"_s, u"=p!"_s} << u"help!"_s
        << QString();
    QTest::newRow("a selection") << u"hello"_s << 0 << QStringList{u"Right"_s, u"Shift+End"_s}
                                 << u"hello"_s << u"ello"_s;
    QTest::newRow("cut and paste twice")
        << u"abc"_s << 0 << QStringList{u"Ctrl+A"_s, u"Ctrl+X"_s, u"Ctrl+V"_s, u"Ctrl+V"_s}
        << u"abcabc"_s << QString();
    QTest::newRow("a pasted CR LF is one line break, a TAB stays")
        << u"[]"_s << 1 << QStringList{u">x\r\ny\tz"_s, u"Ctrl+V"_s} << u"[x\ny\tz]"_s << QString();
    QTest::newRow("a paste is undone, the selection back")
        << u"keep"_s << 0 << QStringList{u">new"_s, u"Ctrl+A"_s, u"Ctrl+V"_s, u"Ctrl+Z"_s}
        << u"keep"_s << u"keep"_s;
    QTest::newRow("Enter and Shift+Enter are a line feed")
        << u"ab"_s << 2 << QStringList{u"Return"_s, u"=c"_s, u"Shift+Return"_s} << u"ab\nc\n"_s
        << QString();
    QTest::newRow("Down keeps the column")
        << u"abc\ndef"_s << 1 << QStringList{u"Down"_s, u"=X"_s} << u"abc\ndXef"_s << QString();
    QTest::newRow("Ctrl+Backspace takes a word")
        << u"one two"_s << 7 << QStringList{u"Ctrl+Backspace"_s} << u"one "_s << QString();
    QTest::newRow("Backspace takes a selection")
        << u"hello"_s << 5 << QStringList{u"Shift+Left"_s, u"Shift+Left"_s, u"Backspace"_s}
        << u"hel"_s << QString();
    QTest::newRow("a surrogate pair goes whole")
        << u"a\U0001F600"_s << 3 << QStringList{u"Backspace"_s} << u"a"_s << QString();
}

void Form1Test::messageBoxEditing() {
    QFETCH(QString, before);
    QFETCH(int, cursor);
    QFETCH(QStringList, steps);
    QFETCH(QString, after);
    QFETCH(QString, selected);
    Window w;
    w.load();
    w.form.showCentred();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    MessageEdit *box = w.form.Text2;
    box->setPlainText(before);
    box->setCursorPosition(cursor);
    for (const QString &step : std::as_const(steps)) {
        if (step.startsWith(u'='))
            QTest::keyClicks(box, step.mid(1));
        else if (step.startsWith(u'>'))
            QGuiApplication::clipboard()->setText(step.mid(1));
        else
            QTest::keySequence(box, QKeySequence(step));
    }
    QCOMPARE(box->text(), after);
    QCOMPARE(box->selectedText(), selected);
    // The cutter gets the text as the box holds it.
    QTest::mouseClick(w.form.PushButton2, Qt::LeftButton);
    QString rows;
    for (int r = 1; r <= w.form.results().count(); ++r)
        rows += w.form.results().text(r);
    QCOMPARE(rows.remove(u' ').remove(u'\n'), QString(after).remove(u' ').remove(u'\n'));
}

// Where each visual line starts, as Home finds it line after line.
static QList<qsizetype> lineStarts(MessageEdit *box) {
    QList<qsizetype> starts;
    box->setCursorPosition(0);
    for (;;) {
        starts.append(box->cursorPosition());
        QTest::keyClick(box, Qt::Key_Down);
        QTest::keyClick(box, Qt::Key_Home);
        if (box->cursorPosition() == starts.last())
            return starts;
    }
}

// A message far longer than the box wraps within it, and the cursor stays
// on view wherever it goes.
void Form1Test::messageBoxLongText() {
    Window w;
    MessageEdit *box = w.shownMessageBox();
    QVERIFY(box);
    const QRect inside = box->viewport()->rect();
    for (const QString &text : {QString(5000, u'w'), QString(u"word "_s).repeated(1000)}) {
        box->setPlainText(text);
        QVERIFY(box->lineCount() > 20);
        for (qsizetype at : {qsizetype(0), text.size() / 2, text.size() - 1}) {
            box->setCursorPosition(at);
            const QRect r = box->characterRect(at);
            QVERIFY2(inside.contains(r), qPrintable(u"%1 at %2"_s.arg(text.left(5)).arg(at)));
        }
        QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(box->cursorPosition(), text.size());
        QVERIFY(!box->characterRect(text.size()).isEmpty());
        // The page keys go a page down and back; Down within the view
        // leaves it where it is.
        QTest::keyClick(box, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_PageDown);
        QVERIFY(box->cursorPosition() > 0);
        QTest::keyClick(box, Qt::Key_PageUp);
        QCOMPARE(box->cursorPosition(), 0);
        QTest::keyClick(box, Qt::Key_Down);
        QCOMPARE(box->verticalScrollBar()->value(), 0);
    }
    // Blanks are where lines end: no word is cut.
    box->setPlainText(QString(u"word "_s).repeated(1000));
    for (qsizetype at = 0; at < 5000; at += 5) {
        box->setCursorPosition(at);
        QCOMPARE(box->characterRect(at + 3).top(), box->characterRect(at).top());
    }
    // Down from a wrapped line keeps the column: every line starts a word.
    box->setCursorPosition(2);
    QTest::keyClick(box, Qt::Key_Down);
    const qsizetype second = box->cursorPosition() - 2;
    QCOMPARE(box->text().mid(second, 5), u"word "_s);
    QVERIFY(second > 0);
    // A grapheme wider than a line (a chain of joined emoji) is broken
    // between its code points, each line holding some.
    box->setPlainText(u"\U0001F468\u200D"_s.repeated(400) + u"\U0001F468"_s);
    QVERIFY(box->lineCount() > 1);
    QCOMPARE(lineStarts(box).size(), qsizetype(box->lineCount()));
    // Emoji are measured in the font of the day too.
    box->setPlainText(u"\U0001F600"_s.repeated(400));
    const int lines = box->lineCount();
    QFont big = box->font();
    big.setPointSizeF(big.pointSizeF() * 2);
    box->setFont(big);
    QVERIFY2(box->lineCount() >= lines * 3 / 2,
             qPrintable(u"%1 then %2"_s.arg(lines).arg(box->lineCount())));
    // A line ends before its line break, of either kind.
    box->setPlainText(u"one\ntwo\u2028three"_s);
    for (const auto &[at, line] : {std::pair(0, u"one"_s), std::pair(4, u"two"_s)}) {
        box->setCursorPosition(at);
        QCOMPARE(static_cast<QWidget *>(box)->inputMethodQuery(Qt::ImSurroundingText).toString(),
                 line);
    }
}

// An edit wraps again only the lines it can change; they come out as the
// whole text wraps: a first word shortened or split may join the line
// before, a word lengthened moves on, a line break starts a paragraph.
void Form1Test::messageBoxEditsWrapAsAWholeText() {
    Window w;
    MessageEdit *box = w.shownMessageBox();
    QVERIFY(box);
    QString text;
    for (int i = 0; i < 120; ++i)
        text += QString(1 + i * 7 % 11, QChar(u'a' + i % 26)) + u' ';
    text += u"\nsecond paragraph\n"_s + text + u'\n' + u"word "_s.repeated(300);
    box->setPlainText(text);
    // Each edit at a place on the k-th line (from the end when negative), as
    // keys typed there. (In the last paragraph every line holds as many
    // words: one word more leaves the lines after it where they were.)
    const struct {
        int line;
        int offset;
        const char *keys; // '<' is Backspace, '\n' Return; after '|', pasted
    } edits[] = {{3, 3, "<<<"},          {4, 1, " "},  {5, 0, "<"},
                 {6, 2, "zzzzzzzzzzzz"}, {2, 0, "\n"}, {8, 4, "<<<<<<<<<<<<"},
                 {1, 1, " x "},          {9, 0, "<<"}, {-6, 0, "|word "}};
    for (const auto &edit : edits) {
        const QList<qsizetype> before = lineStarts(box);
        const int line = edit.line < 0 ? int(before.size()) + edit.line : edit.line;
        box->setCursorPosition(before[line] + edit.offset);
        if (edit.keys[0] == '|') {
            QGuiApplication::clipboard()->setText(QString::fromLatin1(edit.keys + 1));
            QTest::keySequence(box, QKeySequence::Paste);
        } else {
            for (const char *k = edit.keys; *k; ++k) {
                if (*k == '<')
                    QTest::keyClick(box, Qt::Key_Backspace);
                else if (*k == '\n')
                    QTest::keyClick(box, Qt::Key_Return);
                else
                    QTest::keyClicks(box, QString(QLatin1Char(*k)));
            }
        }
        const QList<qsizetype> edited = lineStarts(box);
        box->setPlainText(box->text()); // wrapped whole
        QCOMPARE(edited, lineStarts(box));
    }
    // A word too long for a line, after a blank: where the blank leaves room
    // for as much of it as a line does, a blank typed where its second line
    // starts lets that much join the blank's line, two lines up; and a key
    // typed on its third line wraps from its second as the whole text does.
    for (int width = 200; width < 240; ++width) {
        box->resize(width, box->height());
        for (const auto &[line, offset, key] :
             {std::tuple(2, 0, Qt::Key_Space), {2, 3, Qt::Key_Y}}) {
            box->setPlainText(u" "_s + QString(300, u'x'));
            const QList<qsizetype> starts = lineStarts(box);
            QVERIFY(starts.size() > 3);
            box->setCursorPosition(starts[line] + offset);
            QTest::keyClick(box, key);
            const QList<qsizetype> edited = lineStarts(box);
            box->setPlainText(box->text());
            QCOMPARE(edited, lineStarts(box));
        }
    }
}

void Form1Test::messageBoxWrapsBetweenGraphemes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("measured"); // this machine has fonts for it
    const QString thumbs = u"\U0001F44D\U0001F3FD"_s.repeated(60);
    QTest::newRow("skin tones") << thumbs << true;
    QTest::newRow("after a blank") << u" "_s + thumbs << true;
    QTest::newRow("flags") << u"x\U0001F1EF\U0001F1F5"_s.repeated(60) << true;
    QTest::newRow("family") << u"\U0001F468\u200D\U0001F469\u200D\U0001F467"_s.repeated(40) << true;
    QTest::newRow("marks") << u"e\u0301\u0323"_s.repeated(120) << true;
    QTest::newRow("Thai") << u"\u0E17\u0E35\u0E48\u0E19\u0E35\u0E48"_s.repeated(50) << false;
    QTest::newRow("Devanagari") << u"\u0928\u092E\u0938\u094D\u0924\u0947"_s.repeated(50) << false;
}

// A word longer than a line wraps between graphemes: no line starts with a
// skin tone, half a flag, a joiner or a mark, and none passes the edge.
void Form1Test::messageBoxWrapsBetweenGraphemes() {
    QFETCH(QString, text);
    QFETCH(bool, measured);
    Window w;
    MessageEdit *box = w.shownMessageBox();
    QVERIFY(box);
    core::GraphemeBoundaries<char16_t> graphemes;
    graphemes.setText(std::u16string_view(reinterpret_cast<const char16_t *>(text.utf16()),
                                          std::size_t(text.size())));
    for (int width = 60; width < 160; width += 7) {
        box->resize(width, box->height());
        box->setPlainText(text);
        const QList<qsizetype> starts = lineStarts(box);
        QVERIFY(starts.size() > 3);
        for (const qsizetype start : starts) {
            QVERIFY2(graphemes.isBoundary(start), qPrintable(u"%1 at %2"_s.arg(width).arg(start)));
            if (!measured || start == 0)
                continue;
            const qsizetype last = start - (text[start - 1].isLowSurrogate() ? 2 : 1);
            box->setCursorPosition(last); // in view
            QVERIFY(box->characterRect(last).right() < box->viewport()->width());
        }
    }
}

// A run of blanks hangs past the edge a line's width at most, and goes on on
// new lines: one line of all of them would be laid out whole on every paint.
void Form1Test::messageBoxWrapsARunOfBlanks() {
    Window w;
    MessageEdit *box = w.shownMessageBox();
    QVERIFY(box);
    box->resize(120, box->height());
    for (const QString &blanks : {QString(3000, u' '), QString(300, u'\t')}) {
        box->setPlainText(u"a"_s + blanks + u"b"_s);
        const QList<qsizetype> starts = lineStarts(box);
        QVERIFY2(starts.size() > 10, qPrintable(QString::number(starts.size())));
        for (qsizetype k = 1; k < starts.size(); ++k)
            QVERIFY(box->characterRect(starts[k] - 1).right() < 3 * box->viewport()->width());
    }
}

void Form1Test::messageBoxMovesByGraphemes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<qsizetype>>("stops");
    const QString family = u"\U0001F468\u200D\U0001F469\u200D\U0001F467"_s;
    QTest::newRow("family after Devanagari")
        << u"\u0928\u0928"_s + family + u" x"_s << QList<qsizetype>{0, 1, 2, 10, 11, 12};
    QTest::newRow("flag after Thai")
        << u"\u0E01\u0E01\U0001F1EF\U0001F1F5 x"_s << QList<qsizetype>{0, 1, 2, 6, 7, 8};
    QTest::newRow("family after Latin") << u"ab"_s + family << QList<qsizetype>{0, 1, 2, 10};
}

// The arrow keys and Delete go by whole graphemes, after every script: the
// cursor never stops inside an emoji or a surrogate pair.
void Form1Test::messageBoxMovesByGraphemes() {
    QFETCH(QString, text);
    QFETCH(QList<qsizetype>, stops);
    Window w;
    MessageEdit *box = w.shownMessageBox();
    QVERIFY(box);
    box->setPlainText(text);
    box->setCursorPosition(0);
    QList<qsizetype> right{0};
    for (qsizetype i = 1; i < stops.size(); ++i) {
        QTest::keyClick(box, Qt::Key_Right);
        right.append(box->cursorPosition());
    }
    QCOMPARE(right, stops);
    QList<qsizetype> left{box->cursorPosition()};
    for (qsizetype i = 1; i < stops.size(); ++i) {
        QTest::keyClick(box, Qt::Key_Left);
        left.prepend(box->cursorPosition());
    }
    QCOMPARE(left, stops);
    // A position set inside a surrogate pair goes to its start.
    box->setCursorPosition(3);
    QCOMPARE(box->cursorPosition(), 2);
    // Delete takes the emoji whole.
    box->setCursorPosition(2);
    QTest::keyClick(box, Qt::Key_Delete);
    QCOMPARE(box->text(), text.left(2) + text.mid(stops[3]));
}

void Form1Test::messageBoxKeysLandBetweenGraphemes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<qsizetype>(
        "at"); // where a key typed then lands; -1: anywhere between graphemes
    const QString devanagari = u"\u0915"_s + u"\u0915\U0001F600"_s.repeated(40);
    const QString thai = u"\u0E01"_s + u"\u0E01\U0001F600"_s.repeated(40);
    QTest::newRow("End, wrapped after Devanagari")
        << devanagari << QKeySequence(u"Ctrl+Home, End"_s) << qsizetype(-1);
    QTest::newRow("End, wrapped after Thai")
        << thai << QKeySequence(u"Ctrl+Home, End"_s) << qsizetype(-1);
    QTest::newRow("Up onto a wrapped line's end")
        << devanagari + u'\n' + QString(66, u'x') << QKeySequence(u"Ctrl+End, Up, Up, Up"_s)
        << qsizetype(-1);
    QTest::newRow("word back over a keycap")
        << u"x #\uFE0F\u20E3"_s << QKeySequence(u"Ctrl+End, Ctrl+Left"_s) << qsizetype(2);
    QTest::newRow("word on over a keycap")
        << u"call *\uFE0F\u20E3 now"_s << QKeySequence(u"Ctrl+Home, Ctrl+Right, Ctrl+Right"_s)
        << qsizetype(-1);
    QTest::newRow("word back onto a marked bracket")
        << u"a (\u0301b"_s << QKeySequence(u"Ctrl+End, Ctrl+Left"_s) << qsizetype(-1);
    QTest::newRow("End, right to left")
        << u"\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD 2024"_s
        << QKeySequence(u"Ctrl+Home, End"_s) << qsizetype(14);
}

// Every key that moves the cursor leaves it between graphemes, so a key typed
// there never splits a character; End goes to the line's logical end.
void Form1Test::messageBoxKeysLandBetweenGraphemes() {
    QFETCH(QString, text);
    QFETCH(QKeySequence, keys);
    QFETCH(qsizetype, at);
    Window w;
    MessageEdit *box = w.shownMessageBox();
    QVERIFY(box);
    box->setPlainText(text);
    QTest::keySequence(box, keys);
    const qsizetype cursor = box->cursorPosition();
    core::GraphemeBoundaries<char16_t> graphemes;
    graphemes.setText(std::u16string_view(reinterpret_cast<const char16_t *>(text.utf16()),
                                          std::size_t(text.size())));
    QVERIFY2(cursor > 0 && cursor < text.size() ? graphemes.isBoundary(cursor) : true,
             qPrintable(QString::number(cursor)));
    if (at >= 0)
        QCOMPARE(cursor, at);
    QTest::keyClicks(box, u"Z"_s);
    QCOMPARE(box->text(), text.left(cursor) + u'Z' + text.mid(cursor));
}

void Form1Test::messageBoxRightToLeftLinesStayInside_data() {
    QTest::addColumn<QString>("text");
    const QString hebrewArabic = u"\u05E9\u05DC\u05D5\u05DD \u0645\u0631\u062D\u0628\u0627 "_s;
    QTest::newRow("tabs") << u"\u05E9\u05DC\u05D5\u05DD\t"_s.repeated(12);
    QTest::newRow("many blanks") << hebrewArabic.repeated(5) + QString(60, u' ') + hebrewArabic;
    QTest::newRow("a number at the end") << u"\u05E9\u05DC\u05D5\u05DD 100"_s;
    QTest::newRow("a word at the end") << u"\u05E9\u05DC\u05D5\u05DD hello"_s;
}

// A right-to-left line lies against the right edge, and the blanks that end
// it hang past the left one, as those of a left-to-right line hang past its
// right one: no word is pushed out.
void Form1Test::messageBoxRightToLeftLinesStayInside() {
    QFETCH(QString, text);
    Window w;
    MessageEdit *box = w.shownMessageBox();
    QVERIFY(box);
    box->setPlainText(text);
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (text[at] == u' ' || text[at] == u'\t')
            continue;
        box->setCursorPosition(at); // in view
        const QRect r = box->characterRect(at);
        QVERIFY2(r.left() >= 0 && r.right() < box->viewport()->width(),
                 qPrintable(u"%1 at %2"_s.arg(r.right()).arg(at)));
    }
}

// Each line reads its paragraph's way. After a line separator, "hello"
// starts the second line: it lies right of the Hebrew in a paragraph that
// reads right to left, and in one that reads left to right, after it.
// Screen readers and magnifiers get each letter's own box, in either
// direction and where the direction changes.
void Form1Test::messageBoxGivesEachLetterItsBox() {
    Window w;
    MessageEdit *box = w.shownMessageBox();
    QVERIFY(box);
    QAccessibleTextInterface *text = QAccessible::queryAccessibleInterface(box)->textInterface();
    QVERIFY(text);
    for (const QString &line : {u"\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD"_s,
                                u"Hello \u05E9\u05DC\u05D5\u05DD world"_s}) {
        box->setPlainText(line);
        for (int at = 0; at + 1 < line.size(); ++at) {
            const QRect here = text->characterRect(at), next = text->characterRect(at + 1);
            QVERIFY2(here.width() > 2 && here.width() < 20, qPrintable(QString::number(at)));
            // A letter and the next of its word, in the word's direction.
            if (line[at].isLetter() && line[at + 1].isLetter())
                QVERIFY(line[at].script() == QChar::Script_Hebrew
                            ? next.right() <= here.left() + 1
                            : next.left() >= here.right() - 1);
        }
    }
}

// Screen readers hear a selection made and one that goes, by a move or a
// deletion.
void Form1Test::messageBoxTellsWhenASelectionGoes() {
    static QList<std::pair<int, int>> told; // selections: start, end
    const ScreenReader reader([](QAccessibleEvent *event) {
        if (event->type() == QAccessible::TextSelectionChanged) {
            const auto *selection = static_cast<QAccessibleTextSelectionEvent *>(event);
            told.append({selection->selectionStart(), selection->selectionEnd()});
        }
    });
    QVERIFY(reader.listening());
    Window w;
    MessageEdit *box = w.shownMessageBox();
    QVERIFY(box);
    box->setPlainText(u"one two"_s);
    for (const int key : {int(Qt::Key_Right), int(Qt::Key_Delete)}) {
        box->setCursorPosition(0);
        told.clear();
        QTest::keyClick(box, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(told, (QList{std::pair(0, 1)}));
        QTest::keyClick(box, Qt::Key(key));
        QCOMPARE(told.size(), 2);
        QCOMPARE(told.last().first, told.last().second); // none left
        QTest::keyClick(box, Qt::Key_Right);
        QCOMPARE(told.size(), 2); // and nothing more to tell
    }
}

void Form1Test::messageBoxLinesReadTheirParagraphsWay() {
    Window w;
    MessageEdit *box = w.shownMessageBox();
    QVERIFY(box);
    for (const auto &[paragraph, hello, hebrew] :
         {std::tuple(u"\u05E9\u05DC\u05D5\u05DD\u2028hello \u05E9\u05DC\u05D5\u05DD"_s, 5, 11),
          // (a letter inside an isolate does not decide)
          {u"\u2067\u05E9\u2069 hello\u2028\u05E9\u05DC\u05D5\u05DD hello"_s, 15, 10},
          {u"hello\u2028\u05E9\u05DC\u05D5\u05DD hello"_s, 11, 6},
          // (a right-to-left letter past the BMP decides too: Adlam)
          {u"\U0001E900\u2028hello \u05E9\u05DC\u05D5\u05DD"_s, 3, 9}}) {
        box->setPlainText(paragraph);
        QVERIFY(box->characterRect(hello).x() > box->characterRect(hebrew).x());
    }
    // A Hebrew letter put at its start turns it, second line and all.
    box->setCursorPosition(0);
    QGuiApplication::clipboard()->setText(u"\u05E9"_s);
    QTest::keySequence(box, QKeySequence::Paste);
    QVERIFY(box->characterRect(12).x() < box->characterRect(7).x());
}

// A screen reader reads the box's text; an input method's unfinished word
// leaves the selection alone, and the word it commits replaces it.
// A screen reader asks for the word or sentence at the caret, which is often
// at the end of the text: every text box answers, at every offset, with text
// that is where it says (Qt 6.4's own answer at the end never came).
void Form1Test::textBoxesTellEveryWordToScreenReaders() {
    Window w;
    w.load();
    w.form.Option[3]->click(); // (the X box takes text)
    const QList<QString> texts = {u"Hello there world"_s, u"Hi."_s,        u"x"_s, u""_s,
                                  u"one. two 😀"_s,        u"ก👍🏽"_s};
    using Ask = QString (QAccessibleTextInterface::*)(int, QAccessible::TextBoundaryType, int *,
                                                      int *) const;
    const Ask asks[] = {&QAccessibleTextInterface::textBeforeOffset,
                        &QAccessibleTextInterface::textAtOffset,
                        &QAccessibleTextInterface::textAfterOffset};
    for (QWidget *box :
         {static_cast<QWidget *>(w.form.Text1), static_cast<QWidget *>(w.form.Text2),
          static_cast<QWidget *>(w.form.Text3), static_cast<QWidget *>(w.form.Text4)}) {
        QAccessibleTextInterface *text =
            QAccessible::queryAccessibleInterface(box)->textInterface();
        QVERIFY(text);
        for (const QString &value : texts) {
            if (auto *line = qobject_cast<QLineEdit *>(box))
                line->setText(value);
            else
                w.form.Text2->setPlainText(value);
            for (int type = QAccessible::CharBoundary; type <= QAccessible::NoBoundary; ++type)
                for (int offset = -2; offset <= int(value.size()) + 1; ++offset)
                    for (const Ask ask : asks) {
                        int start = 0;
                        int end = 0;
                        const QString got =
                            (text->*ask)(offset, QAccessible::TextBoundaryType(type), &start, &end);
                        if (start >= 0)
                            QCOMPARE(got, value.mid(start, end - start));
                    }
        }
        // At the end: the word that ends there, and nothing after it.
        if (auto *line = qobject_cast<QLineEdit *>(box))
            line->setText(texts[0]);
        else
            w.form.Text2->setPlainText(texts[0]);
        int start = 0;
        int end = 0;
        QCOMPARE(text->textAtOffset(17, QAccessible::WordBoundary, &start, &end), u"world"_s);
        QCOMPARE(start, 12);
        QCOMPARE(text->textAfterOffset(-1, QAccessible::SentenceBoundary, &start, &end), QString());
        QCOMPARE(start, 17);
        QCOMPARE(end, 17);
    }
    // Edits by an assistive tool in a line edit: as typed, within the text.
    QAccessibleInterface *folder = QAccessible::queryAccessibleInterface(w.form.Text4);
    w.form.Text4->setText(u"abc"_s);
    int start = 0;
    int end = 0;
    folder->textInterface()->selection(0, &start, &end);
    QCOMPARE((std::pair{start, end}), (std::pair{3, 3})); // the caret's
    w.form.Text4->setCursorPosition(1);
    folder->editableTextInterface()->deleteText(2, 1);        // ends before it starts
    folder->editableTextInterface()->insertText(100, u"d"_s); // past the end
    QCOMPARE(w.form.Text4->text(), u"abcd"_s);
    w.form.Text4->undo();
    QCOMPARE(w.form.Text4->text(), u"abc"_s);
    // Its characters' boxes lie in order, and there are none past the text.
    QAccessibleTextInterface *text = folder->textInterface();
    QVERIFY(text->characterRect(-1).isEmpty() && text->characterRect(3).isEmpty());
    QVERIFY(!text->characterRect(0).isEmpty());
    QVERIFY(text->characterRect(0).left() < text->characterRect(1).left());
    // Only its value is its text.
    folder->setText(QAccessible::Description, u"elsewhere"_s);
    QCOMPARE(w.form.Text4->text(), u"abc"_s);
    folder->setText(QAccessible::Value, u"/tmp/"_s);
    QCOMPARE(w.form.Text4->text(), u"/tmp/"_s);
}

void Form1Test::messageBoxForInputMethodsAndScreenReaders() {
    Window w;
    MessageEdit *box = w.shownMessageBox();
    QVERIFY(box);
    box->setPlainText(u"one two"_s);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(box);
    QVERIFY(accessible && accessible->textInterface());
    QCOMPARE(accessible->textInterface()->text(0, 7), u"one two"_s);
    // A line is a line on screen, not the paragraph.
    box->setPlainText(u"word "_s.repeated(200).trimmed() + u"\nlast"_s);
    QVERIFY(box->lineCount() > 3);
    QAccessibleTextInterface *text = accessible->textInterface();
    int start = 0, end = 0;
    const int second = int(box->lineStart(1));
    QCOMPARE(text->textAtOffset(second + 2, QAccessible::LineBoundary, &start, &end),
             box->text().mid(second, box->lineStart(2) - second));
    QCOMPARE(start, second);
    text->textBeforeOffset(second + 2, QAccessible::LineBoundary, &start, &end);
    QCOMPARE(std::pair(start, end), std::pair(0, second));
    text->textAfterOffset(second, QAccessible::LineBoundary, &start, &end);
    QCOMPARE(start, int(box->lineStart(2)));
    const int size = int(box->text().size());
    QCOMPARE(text->textAtOffset(size, QAccessible::LineBoundary, &start, &end), u"last"_s);
    QCOMPARE(std::pair(start, end), std::pair(size - 4, size));
    QCOMPARE(text->textAfterOffset(size, QAccessible::LineBoundary, &start, &end), QString());
    QCOMPARE(std::pair(start, end), std::pair(-1, -1));
    box->setPlainText(u"one two"_s);
    box->setCursorPosition(4);
    box->setCursorPosition(7, true);
    QInputMethodEvent preedit(u"ka"_s, {});
    QCoreApplication::sendEvent(box, &preedit);
    QCOMPARE(box->text(), u"one two"_s);
    QInputMethodEvent commit;
    commit.setCommitString(u"\u304B"_s);
    QCoreApplication::sendEvent(box, &commit);
    QCOMPARE(box->text(), u"one \u304B"_s);
    // With a selection, its anchor's place is not the cursor's.
    box->setCursorPosition(0);
    box->setCursorPosition(3, true);
    const QWidget *widget = box;
    QVERIFY(widget->inputMethodQuery(Qt::ImAnchorRectangle).toRect().x() <
            widget->inputMethodQuery(Qt::ImCursorRectangle).toRect().x());
}

// Wherever on a word's letters the pointer is, its last letter's right
// half too, a double click selects that word.
void Form1Test::messageBoxDoubleClickSelectsAWord() {
    Window w;
    MessageEdit *box = w.shownMessageBox();
    QVERIFY(box);
    box->setPlainText(u"alpha beta gamma"_s);
    QVERIFY(!box->grab().isNull()); // (painted: one line, far fewer than the box holds)
    // A click puts the cursor there.
    QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, box->characterRect(6).center());
    QCOMPARE(box->cursorPosition(), 6);
    for (const QPoint at :
         {box->characterRect(6).topLeft() + QPoint(1, 2), box->characterRect(8).center(),
          box->characterRect(9).topRight() + QPoint(-1, 2)}) {
        box->setCursorPosition(0);
        QTest::mouseDClick(box->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(box->viewport(), Qt::LeftButton, {}, at); // (QTest leaves it down)
        QCOMPARE(box->selectedText(), u"beta"_s);
    }
    // A click on the selection (a drag's press that did not move) places
    // the cursor.
    QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, box->characterRect(8).center());
    QVERIFY(!box->hasSelection());
    QCOMPARE(box->cursorPosition(), 8);
    // A third click soon after selects the paragraph with its line feed; a
    // later one places the cursor.
    box->setPlainText(u"one\nalpha beta gamma\nthree"_s);
    const QPoint at = box->characterRect(11).center();
    quint64 time = 10000;
    const auto send = [&](QEvent::Type type, quint64 after) {
        QMouseEvent event(type, at, box->viewport()->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        event.setTimestamp(time += after);
        QCoreApplication::sendEvent(box->viewport(), &event);
    };
    const quint64 interval = quint64(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    for (const quint64 third : {interval / 2, interval + 1}) {
        send(QEvent::MouseButtonPress, 10000);
        send(QEvent::MouseButtonRelease, 10);
        send(QEvent::MouseButtonDblClick, 10);
        send(QEvent::MouseButtonRelease, 10);
        QCOMPARE(box->selectedText(), u"beta"_s);
        send(QEvent::MouseButtonPress, third);
        send(QEvent::MouseButtonRelease, 10);
        QCOMPARE(box->selectedText(), third < interval ? u"alpha beta gamma\n"_s : QString());
    }
}

// An empty list that the keyboard gives the focus to shows it: with no row,
// no row's outline can.
void Form1Test::emptyListShowsItsFocus() {
    Window w;
    QVERIFY(w.shownMessageBox());
    ResultsView *list = w.form.ListView1;
    QCOMPARE(list->model()->rowCount(), 0);
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    const QImage unfocused = list->grab().toImage();
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Backtab); // away and back by the keyboard
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY(list->hasFocus());
    QVERIFY(list->grab().toImage() != unfocused);
}

// Along a left-to-right line, the place a point lands on never goes back,
// also over characters drawn with several glyphs (with no emoji font here, a
// skin tone is a box of its own).
void Form1Test::messageBoxPointsLandInOrder() {
    Window w;
    MessageEdit *box = w.shownMessageBox();
    QVERIFY(box);
    for (const QString &text : {u"ab e\u0323\u0302 cd ef gh"_s,
                                u"ab \U0001F44D\U0001F3FD cd \U0001F469\u200D\U0001F467 ef"_s}) {
        box->setPlainText(text);
        qsizetype before = 0;
        for (int x = 0; x < box->characterRect(text.size()).x(); ++x) {
            const qsizetype at = box->positionAt(QPoint(x, box->characterRect(0).center().y()));
            QVERIFY2(at >= before, qPrintable(u"x %1: %2 after %3"_s.arg(x).arg(at).arg(before)));
            before = at;
        }
        QCOMPARE(before, text.size());
    }
}

// Text dragged over the box shows where it would land, and near the bottom
// edge the box scrolls on; the mark goes when the drag leaves.
void Form1Test::messageBoxShowsWhereADropLands() {
    Window w;
    MessageEdit *box = w.shownMessageBox();
    QVERIFY(box);
    box->setPlainText(u"one two three\n"_s.repeated(20));
    const QImage still = box->viewport()->grab().toImage(); // (no focus: no cursor)
    QMimeData data;
    data.setText(u"x"_s);
    const QRect letter = box->characterRect(5);
    QDragEnterEvent enter(letter.topLeft() + QPoint(1, 2), Qt::CopyAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(box->viewport(), &enter);
    QVERIFY(enter.isAccepted());
    const QImage marked = box->viewport()->grab().toImage();
    // (The caret may fall a pixel either side of the letter's edge.)
    const auto edge = [&](const QImage &image) {
        return image.copy(letter.left() - 1, letter.top(), 3, letter.height());
    };
    QVERIFY(edge(marked) != edge(still));
    QCOMPARE(box->verticalScrollBar()->value(), 0);
    QDragMoveEvent bottom(QPoint(10, box->viewport()->height() - 1), Qt::CopyAction, &data,
                          Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box->viewport(), &bottom);
    QCOMPARE(box->verticalScrollBar()->value(), 1);
    box->verticalScrollBar()->setValue(0);
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(box->viewport(), &leave);
    QCOMPARE(box->viewport()->grab().toImage(), still);
}

// The box draws its text, and the cursor on the cursor's line only.
void Form1Test::messageBoxDrawsTextAndCursor() {
    Window w;
    MessageEdit *box = w.shownMessageBox();
    QVERIFY(box);
    box->setFocus();
    const auto inked = [&](const QRect &area) {
        const QImage image = box->viewport()->grab().toImage();
        const QRgb base = image.pixel(image.width() - 2, image.height() - 2);
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (image.pixel(x, y) != base)
                    return true;
        return false;
    };
    box->setPlainText(u"\n\n"_s);
    box->setCursorPosition(1);
    const QRect cursor = box->characterRect(1); // on the second line
    QVERIFY(inked(cursor));
    QVERIFY(!inked(box->characterRect(0))); // none on the others
    box->setPlainText(u"WWWW"_s);
    QVERIFY(inked(box->characterRect(0).adjusted(2, 0, 30, 0)));
}

// What the box draws and measures follows every edit, also one that keeps
// the line's length, and the input method's text as it changes.
void Form1Test::messageBoxFollowsEveryEdit() {
    Window w;
    MessageEdit *box = w.shownMessageBox();
    QVERIFY(box);
    box->setPlainText(u"iiii"_s);
    const int narrow = box->characterRect(4).x();
    box->setCursorPosition(0);
    box->setCursorPosition(4, true);
    box->insertPlainText(u"WWWW"_s);
    QVERIFY(box->characterRect(4).x() > narrow);
    QInputMethodEvent thin(u"ii"_s, {});
    QCoreApplication::sendEvent(box, &thin);
    const QImage before = box->viewport()->grab().toImage();
    QInputMethodEvent wide(u"WW"_s, {});
    QCoreApplication::sendEvent(box, &wide);
    QVERIFY(box->viewport()->grab().toImage() != before);
}

void Form1Test::messageBoxContextMenu() {
    Window w;
    MessageEdit *box = w.shownMessageBox();
    QVERIFY(box);
    box->setPlainText(u"some text"_s);
    QGuiApplication::clipboard()->setText(u"on the clipboard"_s);
    QStringList shown;
    QTimer::singleShot(0, [&] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            for (QAction *a : menu->actions())
                if (!a->isSeparator())
                    shown.append(a->text().section(u'\t', 0, 0) +
                                 (a->isEnabled() ? u"+"_s : u"-"_s));
            menu->close();
        }
    });
    QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, QPoint(5, 5),
                                box->viewport()->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(box->viewport(), &menuEvent);
    QCOMPARE(shown, (QStringList{u"&Undo-"_s, u"&Redo-"_s, u"Cu&t-"_s, u"&Copy-"_s, u"&Paste+"_s,
                                 u"Delete-"_s, u"Select All+"_s}));
    // Its commands work on the box.
    std::unique_ptr<QMenu> menu(box->createStandardContextMenu());
    menu->actions().constLast()->trigger(); // Select All
    QCOMPARE(box->selectedText(), u"some text"_s);
}

void Form1Test::firstStart() {
    Window w;
    w.load();
    QVERIFY2(w.desktop.messages.isEmpty(), qPrintable(w.desktop.messageTexts().join(u'|')));
    QCOMPARE(w.form.Text1->text(), u"160"_s);
    QCOMPARE(w.form.Text3->text(), u"Split_"_s);
    QCOMPARE(w.form.Text4->text(), GetDefaultOutputFolder());
    QVERIFY(w.form.Text4->text().endsWith(u'/'));
    const QList<bool> selected = {true, false, false, false, true, false, false, true, false};
    for (int i = 0; i < 9; ++i) {
        QCOMPARE(w.form.Option[i]->isChecked(), selected.at(i));
        QCOMPARE(stored(u"Option"_s + QString::number(i + 1)),
                 selected.at(i) ? u"True"_s : u"False"_s);
    }
    QCOMPARE(w.form.Option[4]->text(), u"Split before 160 at space"_s);
    QVERIFY(!w.form.Text1->isEnabled());
    QVERIFY(!w.form.Text3->isEnabled());
    QCOMPARE(stored(u"X Character"_s), u"160"_s);
    QCOMPARE(stored(u"Prefix"_s), u"Split_"_s);
    QCOMPARE(stored(u"Output Folder"_s), GetDefaultOutputFolder());
    // The file is an INI file with the group [Tovrik].
    QFile file(confFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith("[Tovrik]\n"));
}

void Form1Test::settingsWrittenInOrder() {
    testing::FakeSettings settings;
    TestDesktop desktop;
    QTemporaryDir programFolder;
    Form1 form(settings, desktop);
    form.Form_Load(programFolder.path());
    QStringList keys;
    for (const auto &[key, value] : settings.writes)
        keys.append(key);
    QCOMPARE(keys, (QStringList{u"X Character"_s, u"Prefix"_s, u"Output Folder"_s, u"Option1"_s,
                                u"Option2"_s, u"Option3"_s, u"Option4"_s, u"Option5"_s,
                                u"Option6"_s, u"Option7"_s, u"Option8"_s, u"Option9"_s}));
}

void Form1Test::storedFolderWithALongHome() {
    // A home folder of 600 characters is the default like any other, and
    // the stored folder is shown.
    store({{u"Output Folder"_s, u"/srv/out/"_s}});
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", QByteArray(home + '/' + QByteArray(600, 'h')));
    Window w;
    w.load();
    qputenv("HOME", home);
    QCOMPARE(w.desktop.messages.size(), 0);
    QCOMPARE(w.form.Text4->text(), u"/srv/out/"_s);
    QCOMPARE(stored(u"Output Folder"_s), u"/srv/out/"_s);
}

void Form1Test::longStoredValuesStayWhole() {
    const QString prefix(40000, u'p');
    const QString folder = u"/"_s + QString(40000, u'f') + u"/"_s;
    const QString x = QString(39999, u'0') + u"7"_s;
    store({{u"Prefix"_s, prefix}, {u"Output Folder"_s, folder}, {u"X Character"_s, x}});
    Window w;
    w.load();
    QCOMPARE(w.form.Text3->text(), prefix);
    QCOMPARE(w.form.Text4->text(), folder);
    QCOMPARE(w.form.Text1->text(), x);
    QCOMPARE(stored(u"Prefix"_s), prefix);
    QCOMPARE(stored(u"Output Folder"_s), folder);
    QCOMPARE(stored(u"X Character"_s), x);
}

void Form1Test::restore_data() {
    QTest::addColumn<QStringList>("storedValues"); // key=value
    QTest::addColumn<QString>("x");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("checked"); // 9 flags
    QTest::addColumn<QString>("spaceCaption");

    QTest::newRow("X 200 restored before the options")
        << QStringList{u"Option1=False"_s, u"Option4=True"_s, u"X Character=200"_s} << u"200"_s
        << u"Split_"_s << QString() << u"000110010"_s << u"Split before 200 at space"_s;
    QTest::newRow("non-numeric X kept as text")
        << QStringList{u"X Character=abc"_s} << u"abc"_s << u"Split_"_s << QString()
        << u"100010010"_s << u"Split before 160 at space"_s;
    QTest::newRow("empty prefix, folder without separator")
        << QStringList{u"Prefix="_s, u"Output Folder=/srv/out"_s} << u"160"_s << QString()
        << u"/srv/out"_s << u"100010010"_s << u"Split before 160 at space"_s;
    QTest::newRow("a group stored in part keeps its choice")
        << QStringList{u"Option2=True"_s, u"Option6=True"_s, u"Option9=True"_s} << u"160"_s
        << u"Split_"_s << QString() << u"010001001"_s << u"Split before 140 at space"_s;
    QTest::newRow("a group stored all false stays unselected")
        << QStringList{u"Option5=False"_s, u"Option6=FALSE"_s, u"Option7=0"_s, u"Option9=true"_s,
                       u"Option8=false"_s}
        << u"160"_s << u"Split_"_s << QString() << u"100000001"_s << u"Split before 160 at space"_s;
}

void Form1Test::restore() {
    QFETCH(QStringList, storedValues);
    QFETCH(QString, x);
    QFETCH(QString, prefix);
    QFETCH(QString, folder);
    QFETCH(QString, checked);
    QFETCH(QString, spaceCaption);
    storeKeyValues(storedValues);

    Window w;
    w.load();
    QVERIFY2(w.desktop.messages.isEmpty(), qPrintable(w.desktop.messageTexts().join(u'|')));
    QCOMPARE(w.form.Text1->text(), x);
    QCOMPARE(w.form.Text3->text(), prefix);
    QCOMPARE(w.form.Text4->text(), folder.isEmpty() ? GetDefaultOutputFolder() : folder);
    QString flags;
    for (QRadioButton *o : w.form.Option)
        flags += o->isChecked() ? u'1' : u'0';
    QCOMPARE(flags, checked);
    QCOMPARE(w.form.Option[4]->text(), spaceCaption);
    QCOMPARE(w.form.Text1->isEnabled(), checked.at(3) == u'1');
    QCOMPARE(w.form.Text3->isEnabled(), checked.at(8) == u'1');
    QCOMPARE(stored(u"X Character"_s), x);
    QCOMPARE(stored(u"Prefix"_s), prefix);
}

void Form1Test::badOptionTextIsReportedAndLoadingGoesOn() {
    store({{u"Option1"_s, u"maybe"_s}, {u"Option8"_s, u"yes"_s}});
    Window w;
    w.load();
    QVERIFY2(w.desktop.messages.size() == 2, qPrintable(w.desktop.messageTexts().join(u'|')));
    QCOMPARE(w.desktop.messages.at(0).text,
             u"Type mismatch\r\nin Tovrik2021/08/31.Form1.Form_Load at line 138\r\r"
             u"Please email screenshot of this message to support@quandrel.example"_s);
    QCOMPARE(w.desktop.messages.at(0).title, u"Application Error"_s);
    QCOMPARE(w.desktop.messages.at(0).icon, MessageIcon::Warning);
    QVERIFY(w.desktop.messages.at(1).text.contains(u"Form_Load at line 152"_s));
    // The failed options kept their state; the steps after each failure ran.
    QVERIFY(!w.form.Option[0]->isChecked());
    QCOMPARE(w.form.Text3->text(), u"Split_"_s);
    QVERIFY(w.form.Option[4]->isChecked());
    QVERIFY(!w.form.Option[7]->isChecked() && !w.form.Option[8]->isChecked());
}

void Form1Test::skin_data() {
    QTest::addColumn<QByteArray>("skin"); // empty: no file; "/": a folder
    QTest::addColumn<bool>("reported");
    QTest::newRow("no skin file") << QByteArray() << false;
    QTest::newRow("a folder in the skin file's place") << QByteArray("/") << false;
    QTest::newRow("a sound skin") << QByteArray("QPushButton { color: #123456; }\n") << false;
    QTest::newRow("a broken skin") << QByteArray("QPushButton { color: red;\n") << true;
    QTest::newRow("a quoted font name")
        << QByteArray("QPushButton { font-family: \"DejaVu Sans\"; }\n") << false;
    QTest::newRow("a string not closed")
        << QByteArray("QPushButton { font-family: \"DejaVu Sans; }\n") << true;
}

void Form1Test::skin() {
    QFETCH(QByteArray, skin);
    QFETCH(bool, reported);
    Window w;
    const bool folder = skin == "/";
    if (folder) {
        QVERIFY(QDir(w.programFolder.path()).mkpath(u"x/o.cjs"_s));
    } else if (!skin.isEmpty()) {
        QVERIFY(QDir(w.programFolder.path()).mkdir(u"x"_s));
        QFile file(w.programFolder.filePath(u"x/o.cjs"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(skin);
    }
    w.load();
    QCOMPARE(w.desktop.messages.size(), reported ? 1 : 0);
    if (reported)
        QVERIFY(w.desktop.messages.first().text.contains(u"Form_Load at line 100"_s));
    const QColor face = w.form.palette().color(QPalette::Button);
    const QColor expected = skin.isEmpty() || folder ? QColor(Qt::white) : face;
    QCOMPARE(w.form.palette().color(QPalette::Window), expected);
    QCOMPARE(w.form.Frame1->palette().color(QPalette::Window), expected);
    QCOMPARE(w.form.Option[0]->palette().color(QPalette::Window), expected);
    QCOMPARE(w.form.Label1->palette().color(QPalette::Window), expected);
    QCOMPARE(w.form.styleSheet(), reported || folder ? QString() : QString::fromUtf8(skin));
    // Loading went on either way.
    QCOMPARE(w.form.Text3->text(), u"Split_"_s);
}

void Form1Test::captionsReadInEveryScheme_data() {
    QTest::addColumn<QColor>("base");
    QTest::addColumn<QColor>("text");
    QTest::addColumn<bool>("skinned");
    QTest::addColumn<bool>("textKept");       // the scheme's own text colour shows...
    QTest::addColumn<bool>("buttonTextKept"); // ...on the push buttons (white still)
    const QColor dark(0x31, 0x36, 0x3b);
    const QColor light(0xef, 0xf0, 0xf1);
    QTest::newRow("light scheme") << light << QColor(0x1f, 0x3a, 0x93) << false << true << true;
    QTest::newRow("dark scheme") << dark << light << false << false << false;
    QTest::newRow("dark scheme, skinned") << dark << light << true << true << false;
}

// The design's white faces with the scheme's text colours, unless those
// cannot be read on white; a skin's button face takes them as they are.
void Form1Test::captionsReadInEveryScheme() {
    QFETCH(QColor, base);
    QFETCH(QColor, text);
    QFETCH(bool, skinned);
    QFETCH(bool, textKept);
    QFETCH(bool, buttonTextKept);
    const QPalette before = QApplication::palette();
    const auto restore = qScopeGuard([&] { QApplication::setPalette(before); });
    QPalette scheme;
    for (const auto role : {QPalette::Window, QPalette::Button, QPalette::Base})
        scheme.setColor(role, base);
    for (const auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        scheme.setColor(role, text);
    QApplication::setPalette(scheme);
    Window w;
    if (skinned) {
        QVERIFY(QDir(w.programFolder.path()).mkdir(u"x"_s));
        QFile file(w.programFolder.filePath(u"x/o.cjs"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    w.load();
    const auto check = [&](QWidget *widget, QPalette::ColorRole face, QPalette::ColorRole role,
                           bool kept) {
        const QPalette palette = widget->palette();
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            const double contrast =
                Contrast(palette.color(group, role), palette.color(group, face));
            QVERIFY2(contrast >= (group == QPalette::Disabled ? 3 : 4.5),
                     qPrintable(widget->objectName() + u' ' + QString::number(contrast)));
        }
        if (kept)
            QCOMPARE(palette.color(QPalette::Active, role), scheme.color(role));
    };
    for (QWidget *widget :
         {static_cast<QWidget *>(&w.form), static_cast<QWidget *>(w.form.Frame1),
          static_cast<QWidget *>(w.form.Option[0]), static_cast<QWidget *>(w.form.Label1)})
        check(widget, QPalette::Window, QPalette::WindowText, textKept);
    check(w.form.PushButton2, QPalette::Button, QPalette::ButtonText, buttonTextKept);
}

void Form1Test::handCursor() {
    Window w;
    QVERIFY(QFile::copy(QStringLiteral(TOVRIK_ASSETS "/HAND-M.CUR"),
                        w.programFolder.filePath(u"HAND-M.CUR"_s)));
    w.load();
    QVERIFY2(w.desktop.messages.isEmpty(), qPrintable(w.desktop.messageTexts().join(u'|')));
    QVERIFY(w.form.hasLoadedHandCursor());
    const QCursor hand = w.form.handCursor();
    QCOMPARE(hand.pixmap().size(), QSize(32, 32));
    QFile file(w.programFolder.filePath(u"HAND-M.CUR"_s));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray header = file.read(14);
    QCOMPARE(hand.hotSpot(), QPoint(quint8(header[10]) | quint8(header[11]) << 8,
                                    quint8(header[12]) | quint8(header[13]) << 8));
    w.form.pointer().set(99);
    QCOMPARE(w.form.PushButton1->cursor().pixmap().size(), QSize(32, 32));

    // Without the file, 99 is the system's pointing hand.
    Window plain;
    plain.load();
    QVERIFY(!plain.form.hasLoadedHandCursor());
    QCOMPARE(plain.form.handCursor().shape(), Qt::PointingHandCursor);
}

void Form1Test::brokenHandCursorIsReported() {
    Window w;
    QFile file(w.programFolder.filePath(u"HAND-M.CUR"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a cursor at all");
    file.close();
    w.load();
    QCOMPARE(w.desktop.messages.size(), 1);
    QVERIFY(w.desktop.messages.first().text.contains(u"Form_Load at line 106"_s));
    QVERIFY(!w.form.hasLoadedHandCursor());
    QCOMPARE(w.form.windowTitle(), u"Tovrik"_s); // loading went on

    // A pipe of that name is told too, not opened: opening one waits for a
    // writer for good.
    Window piped;
    const QString pipe = piped.programFolder.filePath(u"HAND-M.CUR"_s);
    QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    piped.load();
    QCOMPARE(piped.desktop.messages.size(), 1);
    QVERIFY(piped.desktop.messages.first().text.contains(u"not a regular file"_s));
    QCOMPARE(piped.form.windowTitle(), u"Tovrik"_s);
}

void Form1Test::vendorPage_data() {
    QTest::addColumn<double>("draw");
    QTest::addColumn<bool>("opened");
    QTest::newRow("7 opens the page") << 0.06 << true;
    QTest::newRow("7.99 is still 7") << 0.0699 << true;
    QTest::newRow("6") << 0.0599 << false;
    QTest::newRow("8") << 0.07 << false;
    QTest::newRow("1") << 0.0 << false;
    QTest::newRow("100") << 0.9999 << false;
}

void Form1Test::vendorPage() {
    QFETCH(double, draw);
    QFETCH(bool, opened);
    TestDesktop desktop;
    desktop.randomValue = draw;
    MaybeOpenVendorPage(desktop);
    QCOMPARE(desktop.seeds.size(), 1);
    QVERIFY(desktop.seeds.first() < 86400); // seconds since midnight
    QCOMPARE(desktop.openedUrls,
             opened ? QList<QUrl>{QUrl(u"https://quandrel.example/"_s)} : QList<QUrl>{});
}

void Form1Test::title_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::newRow("one word is kept whole") << u"Tovrik"_s << u"Tovrik"_s;
    QTest::newRow("four short words lose one")
        << u"Tovrik Text Message Splitter"_s << u"Tovrik Text Message"_s;
    QTest::newRow("long name loses words to 40")
        << u"Tovrik Text Message Splitter For Long Messages Everywhere"_s
        << u"Tovrik Text Message Splitter For Long"_s;
}

void Form1Test::title() {
    QFETCH(QString, name);
    QFETCH(QString, title);
    QCOMPARE(ApplicationTitleFor(name), title);
}

void Form1Test::toBoolean_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value"); // -1: type mismatch
    QTest::newRow("True") << u"True"_s << 1;
    QTest::newRow("fAlSe") << u"fAlSe"_s << 0;
    QTest::newRow("1") << u"1"_s << 1;
    QTest::newRow("0") << u"0"_s << 0;
    QTest::newRow("-2.5") << u"-2.5"_s << 1;
    QTest::newRow("yes") << u"yes"_s << -1;
    QTest::newRow("empty") << QString() << -1;
}

void Form1Test::toBoolean() {
    QFETCH(QString, text);
    QFETCH(int, value);
    if (value < 0)
        QVERIFY_THROWS_EXCEPTION(Failure, ToBoolean(text));
    else
        QCOMPARE(ToBoolean(text), value == 1);
}

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(ui);
    Form1Test test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_form1.moc"
