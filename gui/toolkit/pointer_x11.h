// The pointer as one window of a display sees it, read inside an error trap
// (the window may be gone). UI thread only.
#pragma once

#include "gui/toolkit/errortrap_x11.h"

#include <X11/Xlib.h>

namespace VSTGUI::x11 {

struct PointerState {
    bool sameScreen = false;  // false: on another screen, or no answer
    int rootX = 0;            // on the root window
    int rootY = 0;
    int x = 0;  // relative to the window asked about
    int y = 0;
    unsigned int mask = 0;  // buttons and modifiers held
};

inline PointerState queryPointer(Display* display, Window window) {
    PointerState state;
    const ErrorTrap trap(display);
    Window root = 0;
    Window child = 0;
    state.sameScreen = XQueryPointer(display, window, &root, &child, &state.rootX, &state.rootY,
                                     &state.x, &state.y, &state.mask) != 0;
    return state;
}

}  // namespace VSTGUI::x11
