#pragma once

#include <functional>

namespace tovrik::shell {
class Desktop;
class PointerShape;
} // namespace tovrik::shell

namespace tovrik::commands {
class ResultsModel;
} // namespace tovrik::commands

namespace tovrik::output {

// What an output command works on: the results list, the window's pointer,
// the desktop, and a way to let the window process pending events.
struct ListCommand {
    commands::ResultsModel &results;
    shell::PointerShape &pointer;
    shell::Desktop &desktop;
    std::function<void()> pumpEvents;
};

} // namespace tovrik::output
