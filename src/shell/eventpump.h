#pragma once

#include <QElapsedTimer>

namespace tovrik::shell {

// Lets the window process pending events during a long loop, but at most
// every 20 ms, so that the loop itself stays fast.
class EventPump {
public:
    EventPump();
    void operator()();

private:
    QElapsedTimer m_sinceLast;
};

} // namespace tovrik::shell
