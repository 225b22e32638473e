// Xlib reports a failed request (a window the host destroyed under the
// frame's, a garbage parent window id) to one process-wide error handler,
// whose default ends the process. The frame's connections are its own: while
// a trap is in place, errors on them are counted and dropped, and errors on
// other connections (the host's) go to the handler that was there before.
// Every call that reads from a frame's connection (replies, events, closing)
// happens inside a trap, so an error is never processed outside one. UI
// thread only: the handler is shared by every thread of the process.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>

namespace VSTGUI::x11 {

struct ErrorTrapState {
    static constexpr int kMaxDisplays = 8;
    XErrorHandler previous = nullptr;
    int depth = 0;
    Display* displays[kMaxDisplays] = {};
    uint64_t dropped = 0;
};

inline ErrorTrapState& errorTrapState() {
    static ErrorTrapState state;
    return state;
}

inline int dropOwnErrors(Display* display, XErrorEvent* error) {
    ErrorTrapState& state = errorTrapState();
    for (int i = 0; i < state.depth && i < ErrorTrapState::kMaxDisplays; ++i) {
        if (state.displays[i] == display) {
            ++state.dropped;
            return 0;
        }
    }
    return state.previous ? state.previous(display, error) : 0;
}

class ErrorTrap {
  public:
    explicit ErrorTrap(Display* display) {
        ErrorTrapState& state = errorTrapState();
        if (state.depth < ErrorTrapState::kMaxDisplays)
            state.displays[state.depth] = display;
        if (state.depth++ == 0)
            state.previous = XSetErrorHandler(&dropOwnErrors);
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;
    ~ErrorTrap() {
        ErrorTrapState& state = errorTrapState();
        if (--state.depth < ErrorTrapState::kMaxDisplays)
            state.displays[state.depth] = nullptr;
        if (state.depth == 0) {
            XSetErrorHandler(state.previous);
            state.previous = nullptr;
        }
    }
};

// How many errors traps have dropped so far.
inline uint64_t droppedErrorCount() {
    return errorTrapState().dropped;
}

}  // namespace VSTGUI::x11
