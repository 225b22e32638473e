// Checks of what an operation expects of its caller (its thread, its state)
// where a host could break the expectation. Compiled into debug and
// sanitizer builds (PLUX_CHECK_EXPECTATIONS), where a broken one stops the
// program with a message naming it; release builds, which hosts load, leave
// the condition unevaluated.
#pragma once

namespace plux::platform {

// Writes "expectation failed: what (file:line)" to the standard error and
// aborts.
[[noreturn]] void expectationFailed(const char* what, const char* file, int line);

}  // namespace plux::platform

#if defined(PLUX_CHECK_EXPECTATIONS)
#define PLUX_EXPECT(condition, what)                                                               \
    ((condition) ? static_cast<void>(0)                                                            \
                 : ::plux::platform::expectationFailed(what, __FILE__, __LINE__))
#else
#define PLUX_EXPECT(condition, what) static_cast<void>(sizeof(condition))
#endif
