#include "shell/eventpump.h"

#include <QTest>
#include <QTimer>

using tovrik::shell::EventPump;

class EventPumpTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pumpsOnceTheIntervalHasPassed();
};

// The window must get its events once 20 ms have passed, however long the
// loop took to call first.
void EventPumpTest::pumpsOnceTheIntervalHasPassed() {
    EventPump pump;
    for (int call = 0; call < 2; ++call) {
        bool ran = false;
        QTimer::singleShot(0, this, [&] { ran = true; });
        QTest::qSleep(30);
        pump();
        QVERIFY(ran);
    }
}

QTEST_GUILESS_MAIN(EventPumpTest)
#include "tst_eventpump.moc"
