#pragma once

#include <functional>

namespace tovrik::shell {

// The window's mouse pointer value. Long commands show Busy; hovering never
// replaces it, so a command's hourglass lasts until the command puts 0 back.
class PointerShape {
public:
    enum Value { Default = 0, Busy = 11, Hand = 99 };

    int value() const { return m_value; }
    void set(int value) {
        if (value == m_value)
            return;
        m_value = value;
        if (m_changed)
            m_changed(m_value);
    }
    // The hover rule: any value but the busy one is replaced.
    void hover(int value) {
        if (m_value != Busy)
            set(value);
    }
    bool busy() const { return m_value == Busy; }
    void onChanged(std::function<void(int)> changed) { m_changed = std::move(changed); }

private:
    int m_value = Default;
    std::function<void(int)> m_changed;
};

} // namespace tovrik::shell
