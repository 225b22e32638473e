#include "tools/vsthost/editor_platform_x11.h"

#include "tools/vsthost/png_file.h"
#include "tools/vsthost/window_pixels_x11.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace plux::vsthost {
namespace {

// A window manager may take a moment to map the window; Xvfb maps at once.
constexpr double kMapWaitMs = 2000.0;

Display* asDisplay(void* display) {
    return static_cast<Display*>(display);
}

double monotonicMs() {
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

void sleepMs(double ms) {
    if (ms <= 0.0)
        return;
    timespec wait = {};
    wait.tv_sec = static_cast<time_t>(ms / 1000.0);
    wait.tv_nsec = static_cast<long>((ms - static_cast<double>(wait.tv_sec) * 1000.0) * 1e6);
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

}  // namespace

X11EditorPlatform::~X11EditorPlatform() {
    closeWindow();
}

void* X11EditorPlatform::openWindow(int width, int height, std::string& error) {
    closeWindow();
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        const char* name = std::getenv("DISPLAY");
        error = std::string("cannot open the X display ") +
                (name && *name ? std::string("'") + name + "'" : "(DISPLAY is not set)") +
                "; the editor needs one (a virtual display will do: xvfb-run -a vsthost ...)";
        return nullptr;
    }
    const int screen = DefaultScreen(display);
    // At the screen's origin, so every editor pixel lies on the display and
    // can be read back.
    XSetWindowAttributes attributes = {};
    attributes.background_pixel = BlackPixel(display, screen);
    attributes.event_mask = StructureNotifyMask | ExposureMask;
    const Window window =
        XCreateWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
                      static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                      CWBackPixel | CWEventMask, &attributes);
    if (!window) {
        XCloseDisplay(display);
        error = "cannot create the host window";
        return nullptr;
    }
    XStoreName(display, window, "vsthost editor");
    // A fixed size: the editor does not follow a resized host window.
    XSizeHints* hints = XAllocSizeHints();
    if (hints) {
        hints->flags = PPosition | PMinSize | PMaxSize;
        hints->min_width = hints->max_width = width;
        hints->min_height = hints->max_height = height;
        XSetWMNormalHints(display, window, hints);
        XFree(hints);
    }
    Atom deleteAtom = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteAtom, 1);
    XMapWindow(display, window);
    XFlush(display);
    display_ = display;
    window_ = window;

    const double start = monotonicMs();
    XEvent event;
    for (;;) {
        if (XCheckTypedWindowEvent(display, window, MapNotify, &event))
            break;
        if (monotonicMs() - start > kMapWaitMs) {
            closeWindow();
            error = "the host window was never shown";
            return nullptr;
        }
        sleepMs(1.0);
    }
    return reinterpret_cast<void*>(window);
}

void X11EditorPlatform::pumpMessages() {
    Display* display = asDisplay(display_);
    if (!display)
        return;
    // Only this connection's events arrive here: the window's own. The
    // editor's window belongs to the plug-in's connection, which reads its
    // events on the host's idle calls. A request to close is ignored: the
    // run ends when its time is up.
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
    }
}

bool X11EditorPlatform::saveEditorImage(const std::string& path, int& width, int& height,
                                        std::string& error) {
    Display* display = asDisplay(display_);
    const Window editor = display ? x11::firstChild(display, window_) : 0;
    if (!editor) {
        error = "the plug-in opened no editor window inside the host window";
        return false;
    }
    pumpMessages();
    std::vector<std::uint32_t> pixels;
    if (!x11::readWindowPixels(display, editor, width, height, pixels, error)) {
        error = "cannot read the editor's pixels: " + error;
        return false;
    }
    return writePngFile(path, width, height, pixels.data(), error);
}

void X11EditorPlatform::closeWindow() {
    Display* display = asDisplay(display_);
    if (!display)
        return;
    XDestroyWindow(display, window_);
    XCloseDisplay(display);
    display_ = nullptr;
    window_ = 0;
}

double X11EditorPlatform::milliseconds() {
    return monotonicMs();
}

void X11EditorPlatform::sleep(double ms) {
    sleepMs(ms);
}

}  // namespace plux::vsthost
