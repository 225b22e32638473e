#include "test_host_x11.h"

#include "gui/toolkit/window_x11.h"

#include <X11/Xutil.h>

#include <dirent.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace frametest {

Display* testDisplay() {
    static Display* display = XOpenDisplay(nullptr);
    return display;
}

Window createHostWindow(int x, int y, int width, int height) {
    Display* display = testDisplay();
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = XWhitePixel(display, XDefaultScreen(display));
    const Window window =
        XCreateWindow(display, XDefaultRootWindow(display), x, y, static_cast<unsigned>(width),
                      static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                      CWOverrideRedirect | CWBackPixel, &attributes);
    XMapWindow(display, window);
    XSync(display, False);
    return window;
}

void* asParent(Window window) {
    return reinterpret_cast<void*>(static_cast<uintptr_t>(window));
}

Window frameWindowOf(const VSTGUI::CFrame* frame) {
    const auto* handle = static_cast<const VSTGUI::X11WindowHandle*>(frame->getSystemWindow());
    return handle ? handle->window : 0;
}

std::vector<Window> childrenOf(Window window) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    std::vector<Window> found;
    if (XQueryTree(testDisplay(), window, &root, &parent, &children, &count)) {
        found.assign(children, children + count);
        if (children)
            XFree(children);
    }
    return found;
}

namespace {

void send(Window window, XEvent& event) {
    event.xany.display = testDisplay();
    event.xany.window = window;
    XSendEvent(testDisplay(), window, False, 0, &event);
    XSync(testDisplay(), False);
}

}  // namespace

void sendButton(Window window, int type, unsigned button, int x, int y, unsigned state, Time time) {
    XEvent event{};
    event.type = type;
    event.xbutton.button = button;
    event.xbutton.x = x;
    event.xbutton.y = y;
    event.xbutton.state = state;
    event.xbutton.time = time;
    event.xbutton.same_screen = True;
    send(window, event);
}

void sendMotion(Window window, int x, int y, unsigned state) {
    XEvent event{};
    event.type = MotionNotify;
    event.xmotion.x = x;
    event.xmotion.y = y;
    event.xmotion.state = state;
    event.xmotion.same_screen = True;
    send(window, event);
}

void sendCrossing(Window window, int type, int x, int y, int mode, unsigned state) {
    XEvent event{};
    event.type = type;
    event.xcrossing.x = x;
    event.xcrossing.y = y;
    event.xcrossing.mode = mode;
    event.xcrossing.detail = NotifyAncestor;
    event.xcrossing.state = state;
    event.xcrossing.same_screen = True;
    send(window, event);
}

void sendKey(Window window, int type, KeySym symbol, unsigned state) {
    XEvent event{};
    event.type = type;
    event.xkey.keycode = XKeysymToKeycode(testDisplay(), symbol);
    event.xkey.state = state;
    event.xkey.same_screen = True;
    send(window, event);
}

bool waitForEvents(const VSTGUI::CFrame* frame) {
    const auto* handle = static_cast<const VSTGUI::X11WindowHandle*>(frame->getSystemWindow());
    if (!handle)
        return false;
    auto* display = static_cast<Display*>(handle->display);
    if (XEventsQueued(display, QueuedAlready) > 0)
        return true;
    pollfd connection{XConnectionNumber(display), POLLIN, 0};
    return poll(&connection, 1, 2000) == 1;
}

void syncFrame(const VSTGUI::CFrame* frame) {
    if (const auto* handle = static_cast<const VSTGUI::X11WindowHandle*>(frame->getSystemWindow()))
        XSync(static_cast<Display*>(handle->display), False);
}

bool idleUntil(VSTGUI::CFrame* frame, const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (;;) {
        frame->idle();
        if (done())
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

uint32_t pixelAt(Window window, int x, int y) {
    XImage* image = XGetImage(testDisplay(), window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return UINT32_MAX;
    const auto pixel = static_cast<uint32_t>(XGetPixel(image, 0, 0) & 0xffffff);
    XDestroyImage(image);
    return pixel;
}

int openFileCount() {
    int count = 0;
    if (DIR* directory = opendir("/proc/self/fd")) {
        while (readdir(directory))
            ++count;
        closedir(directory);
    }
    return count;
}

size_t residentKiB() {
    size_t pages = 0;
    size_t resident = 0;
    if (FILE* file = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(file, "%zu %zu", &pages, &resident) != 2)
            resident = 0;
        std::fclose(file);
    }
    return resident * static_cast<size_t>(sysconf(_SC_PAGESIZE)) / 1024;
}

}  // namespace frametest
