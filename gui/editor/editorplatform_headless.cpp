// Without a window system there is no OLE and no paint to dispatch.
#include <chrono>
#include <functional>
#include <thread>

#include "gui/editor/editorplatform.h"

namespace plux::editorplatform {

bool initialiseOle() {
    return false;
}

void uninitialiseOle() {}

uint32_t tickCount() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

uint64_t currentThreadId() {
    return std::hash<std::thread::id>{}(std::this_thread::get_id());
}

void sleepMilliseconds(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void dispatchOnePendingPaint() {}

}  // namespace plux::editorplatform
