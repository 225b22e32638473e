// The frame's X11 side: the frame's own display connection and its child
// window inside the host's window, the events read from that connection on
// the host's idle calls (no thread of our own), painting of the exposed and
// invalidated areas, the pointer and cursors, the host window's geometry.
#include "gui/toolkit/frame.h"

#include "gui/toolkit/drawcontext.h"
#include "gui/toolkit/drawingbackend.h"
#include "gui/toolkit/errortrap_x11.h"
#include "gui/toolkit/pointer_x11.h"
#include "gui/toolkit/window_x11.h"
#include "platform/platform.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/keysym.h>

#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

namespace VSTGUI {

namespace {

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            EnterWindowMask | LeaveWindowMask | KeyPressMask | KeyReleaseMask |
                            StructureNotifyMask;
// More exposed rectangles than this are painted as their bounds: each one is
// a separate pass over the views.
constexpr size_t kMaxDamageRectangles = 8;
// Events handled per idle call, so that a flood of motion cannot hold the host.
constexpr int kMaxEventsPerIdle = 1000;
// A second press of the same button this soon and this close is a double click.
constexpr Time kDoubleClickTime = 400;
constexpr int kDoubleClickDistance = 2;
// Enclosing windows count as the editor's outer window while this close in size.
constexpr int kMaxOuterDifference = 60;
constexpr int kMaxWindowSide = 32767;

// What CFrame::window points to: the record the drawing layer reads, and the
// areas waiting for a paint and the last press, kept between events.
struct FrameWindow : X11WindowHandle {
    std::vector<CRect> damage;
    bool dispatching = false;
    unsigned int lastPressButton = 0;
    Time lastPressTime = 0;
    int lastPressX = 0;
    int lastPressY = 0;
};

FrameWindow* recordOf(void* window) {
    return window ? static_cast<FrameWindow*>(static_cast<X11WindowHandle*>(window)) : nullptr;
}

Display* displayOf(const FrameWindow& own) {
    return static_cast<Display*>(own.display);
}

int toDeviceCoordinate(CCoord value) {
    // Truncated toward zero and kept in range, whatever the view computed.
    if (std::isnan(value))
        return 0;
    if (value >= 1073741824.0)
        return 1073741824;
    if (value <= -1073741824.0)
        return -1073741824;
    return static_cast<int>(value);
}

// X11 windows are 1 to 32767 pixels wide and high.
unsigned int windowSide(CCoord value) {
    const int side = toDeviceCoordinate(value);
    return static_cast<unsigned int>(side < 1 ? 1 : side > kMaxWindowSide ? kMaxWindowSide : side);
}

int32_t buttonsFromState(unsigned int state) {
    int32_t buttons = 0;
    if (state & Button1Mask)
        buttons |= kLButton;
    if (state & Button2Mask)
        buttons |= kMButton;
    if (state & Button3Mask)
        buttons |= kRButton;
    if (state & ShiftMask)
        buttons |= kShift;
    if (state & ControlMask)
        buttons |= kControl;
    if (state & Mod1Mask)
        buttons |= kAlt;
    return buttons;
}

int32_t modifiersFromState(unsigned int state) {
    return buttonsFromState(state) & (kShift | kControl | kAlt);
}

// The flag of a pointer button; 0 for the wheel's buttons and unknown ones.
int32_t buttonFlag(unsigned int button) {
    switch (button) {
    case Button1:
        return kLButton;
    case Button2:
        return kMButton;
    case Button3:
        return kRButton;
    case 8:  // back
        return kButton4;
    case 9:  // forward
        return kButton5;
    default:
        return 0;
    }
}

void addDamage(FrameWindow& own, CRect area) {
    area.bound(CRect(0, 0, own.width, own.height));
    if (area.isEmpty())
        return;
    for (const CRect& pending : own.damage) {
        if (pending.left <= area.left && pending.top <= area.top && pending.right >= area.right &&
            pending.bottom >= area.bottom)
            return;
    }
    own.damage.push_back(area);
}

CRect boundsOf(const std::vector<CRect>& areas) {
    CRect bounds = areas.front();
    for (const CRect& area : areas) {
        bounds.left = std::min(bounds.left, area.left);
        bounds.top = std::min(bounds.top, area.top);
        bounds.right = std::max(bounds.right, area.right);
        bounds.bottom = std::max(bounds.bottom, area.bottom);
    }
    return bounds;
}

unsigned int cursorShape(CCursorType type) {
    switch (type) {
    case kCursorWait:
        return XC_watch;
    case kCursorHSize:
        return XC_sb_h_double_arrow;
    case kCursorVSize:
        return XC_sb_v_double_arrow;
    case kCursorSizeAll:
        return XC_fleur;
    case kCursorNESWSize:  // the core cursor font has no diagonal double arrows
        return XC_bottom_left_corner;
    case kCursorNWSESize:
        return XC_bottom_right_corner;
    case kCursorNotAllowed:
        return XC_X_cursor;
    case kCursorHand:
        return XC_hand2;
    default:
        return XC_num_glyphs;  // none: the parent's cursor
    }
}

}  // namespace

// The event handlers and what they need of the frame's inside.
struct FramePlatform {
    // True when the window is gone and the frame closed its connection.
    static bool handle(CFrame& frame, FrameWindow& own, XEvent& event);
    static void paint(CFrame& frame, FrameWindow& own);
    static void buttonDown(CFrame& frame, FrameWindow& own, const XButtonEvent& event);
    static void buttonUp(CFrame& frame, const XButtonEvent& event);
    static void key(CFrame& frame, XKeyEvent& event);
    static void endLostPress(CFrame& frame);
    static void windowDestroyed(CFrame& frame);
    static void closeConnection(CFrame& frame);
};

// ---- construction and destruction ----

void CFrame::startPlatform() {
    ownerThread = static_cast<unsigned long>(plux::platform::currentThreadId());
}

void CFrame::stopPlatform() {}

// UI thread. Without a parent window, a display or a live parent the frame
// stays windowless.
void CFrame::openSystemWindow() {
    if (!parentWindow)
        return;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return;
    auto* own = new (std::nothrow) FrameWindow;
    if (!own) {
        XCloseDisplay(display);
        return;
    }
    const auto parent = static_cast<Window>(reinterpret_cast<uintptr_t>(parentWindow));
    const unsigned int width = windowSide(size.width());
    const unsigned int height = windowSide(size.height());
    Window created = 0;
    XWindowAttributes parentAttributes{};
    {
        const x11::ErrorTrap trap(display);
        const uint64_t errorsBefore = x11::droppedErrorCount();
        if (XGetWindowAttributes(display, parent, &parentAttributes)) {
            XSetWindowAttributes settings{};
            // No background: the server does not clear what the next paint covers anyway.
            settings.background_pixmap = None;
            settings.bit_gravity = NorthWestGravity;
            settings.event_mask = kEventMask;
            created =
                XCreateWindow(display, parent, 0, 0, width, height, 0, CopyFromParent, InputOutput,
                              CopyFromParent, CWBackPixmap | CWBitGravity | CWEventMask, &settings);
            XMapWindow(display, created);
            XSync(display, False);
        }
        if (x11::droppedErrorCount() != errorsBefore)
            created = 0;  // the parent went away meanwhile
        if (!created)
            XCloseDisplay(display);
    }
    if (!created) {
        delete own;
        return;
    }
    own->display = display;
    own->window = created;
    own->visual = parentAttributes.visual;  // the child's, copied from its parent
    own->width = static_cast<int32_t>(width);
    own->height = static_cast<int32_t>(height);
    window = static_cast<X11WindowHandle*>(own);
}

void CFrame::closeSystemWindow() {
    FramePlatform::closeConnection(*this);
}

// Destroying the window may fail (the host destroyed its own window first):
// the trap drops that error when closing syncs.
void FramePlatform::closeConnection(CFrame& frame) {
    FrameWindow* own = recordOf(frame.window);
    frame.window = nullptr;
    if (!own)
        return;
    Display* display = displayOf(*own);
    {
        const x11::ErrorTrap trap(display);
        if (own->window != 0)
            XDestroyWindow(display, own->window);
        XCloseDisplay(display);
    }
    delete own;
}

// The host destroyed its window and ours with it: the frame forgets both and
// closes its connection, so nothing reaches a dead window later.
void FramePlatform::windowDestroyed(CFrame& frame) {
    frame.setOpenFlag(false);
    frame.parentWindow = nullptr;
    frame.setDropActive(false);
    frame.pressCaptured = false;
    if (FrameWindow* own = recordOf(frame.window))
        own->window = 0;
    closeConnection(frame);
}

// The connection is the frame's own and no thread of ours reads it, so the
// last release may come on any thread, as long as the frame's thread is not
// inside the frame at the same time (a host that destroys a plug-in while
// calling its editor on another thread). Nothing else is bound to a thread.
void CFrame::forgetOnOwnThread() {
    forget();
}

// No drag and drop protocol on X11 yet.
bool CFrame::switchDropTarget(bool state) {
    return !state;
}

// ---- events ----

// UI thread, on the host's idle calls.
void CFrame::dispatchSystemEvents() {
    FrameWindow* own = recordOf(window);
    if (!own)
        return;
    Display* display = displayOf(*own);
    const x11::ErrorTrap trap(display);
    if (own->dispatching) {
        // A view asked for an idle pass while it handles an event (a long
        // drag): only the paints, as the Win32 side dispatches one paint then;
        // input waits for the handler to return.
        XEvent event;
        while (XCheckTypedWindowEvent(display, own->window, Expose, &event))
            FramePlatform::handle(*this, *own, event);
        FramePlatform::paint(*this, *own);
        return;
    }
    own->dispatching = true;
    for (int handled = 0; handled < kMaxEventsPerIdle && XPending(display) > 0; ++handled) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.xany.window != own->window)
            continue;
        bool gone = false;
        // Nothing a view throws may unwind into the host: the event is lost
        // and the frame stays usable.
        try {
            gone = FramePlatform::handle(*this, *own, event);
        } catch (...) {
        }
        if (gone)
            return;
        // The editor let the frame go while a view handled the event (the
        // idle pass holds the last reference): its window goes with it, and
        // no further event reaches the views, as on Win32.
        if (getNbReference() <= 1)
            break;
    }
    try {
        FramePlatform::paint(*this, *own);
    } catch (...) {
    }
    own->dispatching = false;
}

bool FramePlatform::handle(CFrame& frame, FrameWindow& own, XEvent& event) {
    switch (event.type) {
    case Expose: {
        const XExposeEvent& expose = event.xexpose;
        addDamage(own,
                  CRect(expose.x, expose.y, expose.x + expose.width, expose.y + expose.height));
        return false;
    }
    case ButtonPress:
        buttonDown(frame, own, event.xbutton);
        return false;
    case ButtonRelease:
        buttonUp(frame, event.xbutton);
        return false;
    case MotionNotify: {
        CPoint where(event.xmotion.x, event.xmotion.y);
        frame.lastMouse = where;
        frame.onMouseMoved(where, buttonsFromState(event.xmotion.state));
        return false;
    }
    case EnterNotify:
        // Entering is the first move: the view under the pointer is entered now.
        if (event.xcrossing.mode == NotifyNormal) {
            CPoint where(event.xcrossing.x, event.xcrossing.y);
            frame.lastMouse = where;
            frame.onMouseMoved(where, buttonsFromState(event.xcrossing.state));
        }
        return false;
    case LeaveNotify: {
        const XCrossingEvent& crossing = event.xcrossing;
        // Another client grabbed the pointer (a host menu or dialog): the
        // press ends where the pointer was last seen.
        if (crossing.mode == NotifyGrab)
            endLostPress(frame);
        if (crossing.detail != NotifyInferior) {
            CPoint where(crossing.x, crossing.y);
            frame.onMouseExited(where, buttonsFromState(crossing.state));
        }
        return false;
    }
    case KeyPress:
    case KeyRelease:
        key(frame, event.xkey);
        return false;
    case ConfigureNotify:
        own.width = event.xconfigure.width;
        own.height = event.xconfigure.height;
        return false;
    case UnmapNotify:
        endLostPress(frame);
        return false;
    case DestroyNotify:
        windowDestroyed(frame);
        return true;
    default:
        return false;
    }
}

void FramePlatform::buttonDown(CFrame& frame, FrameWindow& own, const XButtonEvent& event) {
    const int32_t flag = buttonFlag(event.button);
    CPoint where(event.x, event.y);
    if (flag == 0) {
        // Buttons 4 and 5 are the wheel's notches, 6 and 7 the horizontal wheel's.
        const int32_t modifiers = modifiersFromState(event.state);
        if (event.button == Button4 || event.button == Button5)
            frame.onWheel(where, event.button == Button4 ? 1.0f : -1.0f, modifiers);
        else if (event.button == 6 || event.button == 7)
            frame.onWheel(where, kMouseWheelAxisX, event.button == 6 ? 1.0f : -1.0f, modifiers);
        return;
    }
    frame.lastMouse = where;
    // The state holds the buttons down before this press.
    int32_t buttons = buttonsFromState(event.state) | flag;
    if (event.button == own.lastPressButton && event.time - own.lastPressTime <= kDoubleClickTime &&
        std::abs(event.x - own.lastPressX) <= kDoubleClickDistance &&
        std::abs(event.y - own.lastPressY) <= kDoubleClickDistance) {
        buttons |= kDoubleClick;
        own.lastPressButton = 0;  // a third press starts again
    } else {
        own.lastPressButton = event.button;
        own.lastPressTime = event.time;
        own.lastPressX = event.x;
        own.lastPressY = event.y;
    }
    // The server sends the pointer's events to this window until the release.
    if (frame.onMouseDown(where, buttons) == kMouseEventHandled)
        frame.pressCaptured = true;
}

void FramePlatform::buttonUp(CFrame& frame, const XButtonEvent& event) {
    const int32_t flag = buttonFlag(event.button);
    if (flag == 0)
        return;
    CPoint where(event.x, event.y);
    frame.lastMouse = where;
    frame.pressCaptured = false;
    // The state holds the buttons down before this release.
    frame.onMouseUp(where, buttonsFromState(event.state) & ~flag);
}

void FramePlatform::endLostPress(CFrame& frame) {
    if (!frame.pressCaptured)
        return;
    frame.pressCaptured = false;
    CPoint where = frame.lastMouse;
    frame.onMouseUp(where, 0);
}

// Printable characters and Tab; other keys have no code here and are left to
// the host, which may send them through the editor's key calls.
void FramePlatform::key(CFrame& frame, XKeyEvent& event) {
    char text[8] = {};
    KeySym symbol = NoSymbol;
    XLookupString(&event, text, sizeof text, &symbol, nullptr);
    VstKeyCode code{};
    if (symbol == XK_Tab || symbol == XK_ISO_Left_Tab)
        code.virt = VKEY_TAB;
    else if (symbol >= XK_space && symbol <= XK_asciitilde)
        code.character = static_cast<VstInt32>(symbol);
    else
        return;
    if (event.state & ShiftMask)
        code.modifier |= MODIFIER_SHIFT;
    if (event.state & ControlMask)
        code.modifier |= MODIFIER_CONTROL;
    if (event.state & Mod1Mask)
        code.modifier |= MODIFIER_ALTERNATE;
    if (event.type == KeyPress)
        frame.onKeyDown(code);
    else
        frame.onKeyUp(code);
}

// ---- invalidation and painting ----

void CFrame::invalidateSystemWindow(const CRect& rect) {
    if (FrameWindow* own = recordOf(window))
        addDamage(*own, CRect(toDeviceCoordinate(rect.left), toDeviceCoordinate(rect.top),
                              toDeviceCoordinate(rect.right), toDeviceCoordinate(rect.bottom)));
}

// The exposed and invalidated areas, as the Win32 side paints its update
// region: through the kept buffer when there is one (a new buffer is drawn
// whole first), else through a context on the window.
void FramePlatform::paint(CFrame& frame, FrameWindow& own) {
    std::vector<CRect> areas;
    areas.swap(own.damage);
    if (areas.empty())
        return;
    if (areas.size() > kMaxDamageRectangles)
        areas.assign(1, boundsOf(areas));
    COffscreenContext* buffer = frame.retainedDrawing ? frame.makeBackBuffer() : nullptr;
    if (buffer) {
        if (!frame.backBufferComplete)
            areas.assign(1, CRect(0, 0, frame.size.width(), frame.size.height()));
        void* screen = backend::acquireWindowDeviceContext(&own);
        for (const CRect& area : areas) {
            frame.drawRect(buffer, area);
            if (screen)
                buffer->copyToSystemContext(screen, area, area.topLeft());
        }
        backend::releaseWindowDeviceContext(&own, screen);
        frame.backBufferComplete = true;
    } else {
        CDrawContext* context = frame.acquireContext();
        const Forgetting release(context);
        frame.drawRect(context, boundsOf(areas));
    }
}

void CFrame::presentSystemWindow(const CRect& area) {
    FrameWindow* own = recordOf(window);
    if (!own || !backBuffer)
        return;
    const x11::ErrorTrap trap(displayOf(*own));
    void* screen = backend::acquireWindowDeviceContext(own);
    if (!screen)
        return;
    backBuffer->copyToSystemContext(screen, area, area.topLeft());
    backend::releaseWindowDeviceContext(own, screen);
}

// A compositing manager composes whole windows; there is nothing to ask for.
void CFrame::setSystemComposition(bool) {}

// ---- mouse and cursor ----

// Leaving is always reported: the window selects it from the start.
void CFrame::requestLeaveNotification() {}

// Relative to the frame window; false without one (there is no display to ask).
bool CFrame::getCurrentMouseLocation(CPoint& where) const {
    where = CPoint();
    FrameWindow* own = recordOf(window);
    if (!own)
        return false;
    const x11::PointerState pointer = x11::queryPointer(displayOf(*own), own->window);
    if (!pointer.sameScreen)
        return false;
    where = CPoint(pointer.x, pointer.y);
    return true;
}

int32_t CFrame::getCurrentMouseButtons() const {
    FrameWindow* own = recordOf(window);
    if (!own)
        return 0;
    // The buttons answer even when the pointer is on another screen.
    return buttonsFromState(x11::queryPointer(displayOf(*own), own->window).mask);
}

// The cursor belongs to the frame window; shapes without a glyph of the core
// cursor font (copy, default) show the parent's cursor.
void CFrame::setCursor(CCursorType type) {
    FrameWindow* own = recordOf(window);
    if (!own)
        return;
    Display* display = displayOf(*own);
    const x11::ErrorTrap trap(display);
    const unsigned int shape = cursorShape(type);
    if (shape == XC_num_glyphs) {
        XUndefineCursor(display, own->window);
    } else {
        // The window keeps the cursor alive for as long as it shows it.
        const Cursor cursor = XCreateFontCursor(display, shape);
        XDefineCursor(display, own->window, cursor);
        XFreeCursor(display, cursor);
    }
    XFlush(display);
}

void CFrame::restoreSavedCursor() {
    FrameWindow* own = recordOf(window);
    if (!own)
        return;
    Display* display = displayOf(*own);
    const x11::ErrorTrap trap(display);
    XUndefineCursor(display, own->window);
    XFlush(display);
}

// The frame's idle pass reads its window's events, exposures included, and
// paints what they exposed (CFrame::idle): nothing is left to dispatch.
void dispatchOnePendingPaint() {}

// ---- host windows ----

// UI thread. Only the frame's own window: hosts resize theirs when the
// plug-in asks through the host interface.
void CFrame::resizeSystemWindows(CCoord width, CCoord height) {
    FrameWindow* own = recordOf(window);
    if (!own)
        return;
    Display* display = displayOf(*own);
    const x11::ErrorTrap trap(display);
    const unsigned int w = windowSide(width);
    const unsigned int h = windowSide(height);
    XResizeWindow(display, own->window, w, h);
    XFlush(display);
    own->width = static_cast<int32_t>(w);
    own->height = static_cast<int32_t>(h);
}

// The outermost enclosing window below the root that hugs the frame window,
// and its position in its own parent.
bool CFrame::getPosition(CCoord& x, CCoord& y) const {
    FrameWindow* own = recordOf(window);
    if (!own)
        return false;
    Display* display = displayOf(*own);
    const x11::ErrorTrap trap(display);
    XWindowAttributes outer{};
    if (!XGetWindowAttributes(display, own->window, &outer))
        return false;
    const int frameWidth = outer.width;
    const int frameHeight = outer.height;
    Window current = own->window;
    for (;;) {
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, current, &root, &parent, &children, &count))
            break;
        if (children)
            XFree(children);
        XWindowAttributes parentAttributes{};
        if (parent == 0 || parent == root ||
            !XGetWindowAttributes(display, parent, &parentAttributes) ||
            std::abs(parentAttributes.width - frameWidth) > kMaxOuterDifference ||
            std::abs(parentAttributes.height - frameHeight) > kMaxOuterDifference)
            break;
        current = parent;
        outer = parentAttributes;
    }
    x = outer.x;
    y = outer.y;
    return true;
}

// The host's window, in its own parent's coordinates.
bool CFrame::getSize(CRect& rect) const {
    FrameWindow* own = recordOf(window);
    if (!own || !parentWindow)
        return false;
    Display* display = displayOf(*own);
    const x11::ErrorTrap trap(display);
    XWindowAttributes host{};
    const auto parent = static_cast<Window>(reinterpret_cast<uintptr_t>(parentWindow));
    if (!XGetWindowAttributes(display, parent, &host))
        return false;
    rect = CRect(host.x, host.y, host.x + host.width, host.y + host.height);
    return true;
}

}  // namespace VSTGUI
