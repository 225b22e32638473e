// The X11 side of the host window: a connection of the tests' own (the
// plug-in opens another for its editor), a mapped top-level window, and the
// editor's pixels through XGetImage.
#include "tests/host/host_window.h"

#include "tools/vsthost/window_pixels_x11.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include <dirent.h>

#include "tests/host/memory_in_use.h"

namespace hostwindow {
namespace {

Display* display() {
    static Display* connection = XOpenDisplay(nullptr);
    if (!connection) {
        std::fprintf(stderr, "host_window_x11: cannot open the X display; run under xvfb-run -a\n");
        std::abort();
    }
    return connection;
}

Window asWindow(void* window) {
    return reinterpret_cast<Window>(window);
}

int countOpenFiles() {
    DIR* dir = opendir("/proc/self/fd");
    if (!dir)
        return -1;
    int count = 0;
    while (readdir(dir))
        ++count;
    closedir(dir);
    return count - 3;  // ".", ".." and the directory's own descriptor
}

}  // namespace

void* hostWindow() {
    static Window window = [] {
        Display* d = display();
        const int screen = DefaultScreen(d);
        XSetWindowAttributes attributes = {};
        attributes.background_pixel = WhitePixel(d, screen);
        attributes.event_mask = StructureNotifyMask;
        const Window created =
            XCreateWindow(d, RootWindow(d, screen), 0, 0, 640, 360, 0, CopyFromParent, InputOutput,
                          CopyFromParent, CWBackPixel | CWEventMask, &attributes);
        XMapWindow(d, created);
        XEvent event;
        do
            XWindowEvent(d, created, StructureNotifyMask, &event);
        while (event.type != MapNotify);
        return created;
    }();
    return reinterpret_cast<void*>(window);
}

void pumpMessages() {
    Display* d = display();
    XSync(d, False);
    while (XPending(d) > 0) {
        XEvent event;
        XNextEvent(d, &event);
    }
}

void* editorWindow() {
    XSync(display(), False);
    return reinterpret_cast<void*>(plux::x11::firstChild(display(), asWindow(hostWindow())));
}

int countChildren() {
    XSync(display(), False);
    return plux::x11::countChildren(display(), asWindow(hostWindow()));
}

bool windowExists(void* window) {
    int width = 0, height = 0;
    return plux::x11::windowSize(display(), asWindow(window), width, height);
}

std::pair<int, int> clientSize(void* window) {
    int width = 0, height = 0;
    plux::x11::windowSize(display(), asWindow(window), width, height);
    return {width, height};
}

bool click(void* window, int x, int y) {
    if (!windowExists(window))
        return false;
    Display* d = display();
    XEvent event = {};
    XButtonEvent& button = event.xbutton;
    button.display = d;
    button.window = asWindow(window);
    button.root = DefaultRootWindow(d);
    button.x = x;
    button.y = y;
    button.x_root = x;  // the editor lies at the screen's origin
    button.y_root = y;
    button.button = Button1;
    button.same_screen = True;
    button.time = CurrentTime;
    button.type = ButtonPress;
    XSendEvent(d, button.window, True, ButtonPressMask, &event);
    button.type = ButtonRelease;
    button.state = Button1Mask;
    XSendEvent(d, button.window, True, ButtonReleaseMask, &event);
    XSync(d, False);
    return true;
}

void paintOverAndExpose(void* window) {
    if (!windowExists(window))
        return;
    Display* d = display();
    GC gc = XCreateGC(d, asWindow(window), 0, nullptr);
    XSetForeground(d, gc, WhitePixel(d, DefaultScreen(d)));
    XFillRectangle(d, asWindow(window), gc, 0, 0, 0x7fff, 0x7fff);
    XFreeGC(d, gc);
    // An exposure of the whole window, without clearing it to its background.
    XEvent event = {};
    event.xexpose.type = Expose;
    event.xexpose.display = d;
    event.xexpose.window = asWindow(window);
    const std::pair<int, int> size = clientSize(window);
    event.xexpose.width = size.first;
    event.xexpose.height = size.second;
    XSendEvent(d, asWindow(window), False, ExposureMask, &event);
    XSync(d, False);
}

void finishPaints(void*) {
    pumpMessages();
}

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

double nowMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool readPicture(void* window, Picture& picture) {
    std::string error;
    XSync(display(), False);
    if (!plux::x11::readWindowPixels(display(), asWindow(window), picture.width, picture.height,
                                     picture.pixels, error)) {
        std::fprintf(stderr, "host_window_x11: %s\n", error.c_str());
        return false;
    }
    return true;
}

Usage measureUsage() {
    Usage usage;
    usage.counts.emplace_back("open files", countOpenFiles());
    usage.counts.emplace_back("host window children", countChildren());
    usage.memoryBytes = memoryInUse();
    return usage;
}

}  // namespace hostwindow
