// The window side of the drawing layer on X11: a "device context" on a
// frame's window is a cairo surface over it, and screen positions come from
// the window's display connection.
#include "gui/toolkit/drawingbackend.h"
#include "gui/toolkit/errortrap_x11.h"
#include "gui/toolkit/pointer_x11.h"
#include "gui/toolkit/window_x11.h"

#include <X11/Xlib.h>
#include <X11/Xlibint.h>
#include <cairo-xlib.h>
#include <cairo.h>

namespace VSTGUI::backend {

namespace {

// The display of the window the last context was made on: the cursor is
// asked there, as a context without a window has no display of its own. A
// frame closes its display when it goes; closing tells this file (a hook on
// the display, as extensions get), so the pointer never outlives it.
Display* lastDisplay = nullptr;

// The displays with that hook; a plain array, as a display may close after
// this file's objects are destroyed at exit.
constexpr int kMaxWatched = 16;
Display* watched[kMaxWatched] = {};

int displayClosing(Display* display, XExtCodes* /*codes*/) {
    if (lastDisplay == display)
        lastDisplay = nullptr;
    for (Display*& entry : watched) {
        if (entry == display)
            entry = nullptr;
    }
    return 0;
}

// False when the display cannot be watched: it is then not remembered.
bool watchClosing(Display* display) {
    Display** freeEntry = nullptr;
    for (Display*& entry : watched) {
        if (entry == display)
            return true;
        if (!entry && !freeEntry)
            freeEntry = &entry;
    }
    if (!freeEntry)
        return false;
    XExtCodes* codes = XAddExtension(display);
    if (!codes)
        return false;
    XESetCloseDisplay(display, codes->extension, &displayClosing);
    *freeEntry = display;
    return true;
}

const X11WindowHandle* asHandle(void* window) {
    const auto* handle = static_cast<const X11WindowHandle*>(window);
    return handle && handle->display && handle->window != 0 ? handle : nullptr;
}

}  // namespace

void* acquireWindowDeviceContext(void* window) {
    const X11WindowHandle* handle = asHandle(window);
    if (!handle || handle->width <= 0 || handle->height <= 0)
        return nullptr;
    auto* display = static_cast<Display*>(handle->display);
    const x11::ErrorTrap trap(display);
    cairo_surface_t* surface =
        cairo_xlib_surface_create(display, handle->window, static_cast<Visual*>(handle->visual),
                                  handle->width, handle->height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    if (watchClosing(display))
        lastDisplay = display;
    return surface;
}

void releaseWindowDeviceContext(void* window, void* deviceContext) {
    auto* surface = static_cast<cairo_surface_t*>(deviceContext);
    if (!surface)
        return;
    const X11WindowHandle* handle = asHandle(window);
    auto* display = handle ? static_cast<Display*>(handle->display) : nullptr;
    const x11::ErrorTrap trap(display);
    cairo_surface_flush(surface);
    cairo_surface_destroy(surface);
    if (display)
        XFlush(display);
}

CPoint windowScreenOrigin(void* window) {
    const X11WindowHandle* handle = asHandle(window);
    if (!handle)
        return {};
    auto* display = static_cast<Display*>(handle->display);
    const x11::ErrorTrap trap(display);
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(display, handle->window, DefaultRootWindow(display), 0, 0, &x, &y,
                          &child);
    return CPoint(x, y);
}

CPoint cursorScreenPosition() {
    if (!lastDisplay)
        return {};
    const x11::PointerState pointer =
        x11::queryPointer(lastDisplay, DefaultRootWindow(lastDisplay));
    return pointer.sameScreen ? CPoint(pointer.rootX, pointer.rootY) : CPoint();
}

// The frame reads presses from its event queue on idle calls, where a wait
// for a second click or a drag would stall the host: neither is watched for.
bool waitForDoubleClick(void* /*window*/, const CPoint& /*start*/) {
    return false;
}

bool waitForDrag(void* /*window*/, const CPoint& /*start*/) {
    return false;
}

}  // namespace VSTGUI::backend
