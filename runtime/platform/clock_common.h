// Process clock shared by both platform files: steady time since first use,
// which happens while the library loads.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

#include "runtime/platform/platform.h"

namespace vexmold::platform::detail {

inline std::chrono::steady_clock::time_point processStart() {
    static const auto start = std::chrono::steady_clock::now();
    return start;
}

inline std::atomic<ClockFunction>& clockOverride() {
    static std::atomic<ClockFunction> override{nullptr};
    return override;
}

inline int32_t steadyMillisecondsSinceStart() {
    if (ClockFunction fn = clockOverride().load(std::memory_order_acquire))
        return fn();
    const auto elapsed = std::chrono::steady_clock::now() - processStart();
    return static_cast<int32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

} // namespace vexmold::platform::detail
