// The editor's system side on X11: no OLE, the monotonic clock, the kernel's
// thread ids. Paints need no dispatch of their own: the frame reads its
// window's events, exposures included, on the idle call that comes just
// before (CFrame::idle), and paints what they exposed there.
#include "gui/editor/editorplatform.h"

#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

namespace plux::editorplatform {

bool initialiseOle() {
    return false;
}

void uninitialiseOle() {}

uint32_t tickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                                 static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}

uint64_t currentThreadId() {
    return static_cast<uint64_t>(syscall(SYS_gettid));
}

void sleepMilliseconds(uint32_t milliseconds) {
    timespec left{static_cast<time_t>(milliseconds / 1000u),
                  static_cast<long>(milliseconds % 1000u) * 1000000L};
    // A signal for the host's thread cuts the sleep short: sleep the rest.
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

void dispatchOnePendingPaint() {}

}  // namespace plux::editorplatform
