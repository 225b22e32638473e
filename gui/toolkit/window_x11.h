// What a frame's system window is on X11: the frame's own child window, the
// display connection it lives on and its visual. CFrame::getSystemWindow()
// answers a pointer to this record; the drawing layer makes cairo surfaces on
// it (a "device context" on this platform is a cairo_surface_t*). Kept free of
// X11 headers so portable code may pass it around.
#pragma once

#include <cstdint>

namespace VSTGUI {

struct X11WindowHandle {
    void* display = nullptr;   // Display*
    unsigned long window = 0;  // Window
    void* visual = nullptr;    // Visual*
    int32_t width = 0;
    int32_t height = 0;
};

}  // namespace VSTGUI
