// The parts of the platform seam that are the same everywhere: the recorded
// module handle and the process clock (steady time since the library loaded).
#include <atomic>
#include <chrono>

#include "runtime/platform/platform.h"

namespace vexmold::platform {

namespace {

std::atomic<void*> gModule{nullptr};
std::atomic<ClockFunction> gClockOverride{nullptr};

// Read while the library loads. A namespace-scope value rather than a local
// static: the guard of a local static goes through the threading runtime,
// which leaves handles behind in a DLL that is unloaded.
const std::chrono::steady_clock::time_point gProcessStart = std::chrono::steady_clock::now();

}  // namespace

void setPluginModule(void* moduleHandle) {
    gModule.store(moduleHandle);
}
void* pluginModule() {
    return gModule.load();
}

int32_t processClockMilliseconds() {
    if (ClockFunction fn = gClockOverride.load(std::memory_order_acquire))
        return fn();
    const auto elapsed = std::chrono::steady_clock::now() - gProcessStart;
    return static_cast<int32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void setProcessClockForTesting(ClockFunction clock) {
    gClockOverride.store(clock, std::memory_order_release);
}

}  // namespace vexmold::platform
