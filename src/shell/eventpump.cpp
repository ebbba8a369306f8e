#include "shell/eventpump.h"

#include <QCoreApplication>

namespace tovrik::shell {

namespace {
constexpr qint64 IntervalMs = 20;
}

EventPump::EventPump() {
    m_sinceLast.start();
}

void EventPump::operator()() {
    if (m_sinceLast.elapsed() < IntervalMs)
        return;
    QCoreApplication::processEvents();
    m_sinceLast.restart();
}

} // namespace tovrik::shell
