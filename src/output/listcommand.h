#pragma once

#include <functional>

namespace tovrik {

class Desktop;
class PointerShape;
class ResultsModel;

// What an output command works on: the results list, the window's pointer,
// the desktop, and a way to let the window process pending events.
struct ListCommand {
    ResultsModel &results;
    PointerShape &pointer;
    Desktop &desktop;
    std::function<void()> pumpEvents;
};

} // namespace tovrik
