// The frame's Win32 side: the window class shared by every frame of the
// process, the frame's child window and its window procedure, painting through
// the update region, capture, leave tracking, cursors, the host windows' sizes
// and the drop target registration.
#include "gui/toolkit/frame.h"

#include "gui/toolkit/drawcontext.h"
#include "gui/toolkit/droptarget_win32.h"
#include "gui/toolkit/frame_win32.h"
#include "platform/platform.h"

#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <new>
#include <cmath>
#include <cstdlib>
#include <cwchar>
#include <vector>

namespace VSTGUI {

namespace {

// Process-wide, touched only from UI threads.
wchar_t windowClassName[64] = {};
int32_t liveFrameCount = 0;
bool mouseButtonsSwapped = false;
OSVERSIONINFOEXW systemVersion = {};
unsigned overriddenMajorVersion = 0;

constexpr UINT kClassStyle = CS_DBLCLKS | CS_GLOBALCLASS;
constexpr DWORD kWindowStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
// Enclosing windows are grown only while they hug the frame this closely.
constexpr LONG kMaxDecoration = 80;
constexpr LONG kMaxOuterDifference = 60;
constexpr int kWheelNotch = 120;
// Sent by another thread to have the window's thread release the frame named
// in lParam; the answer says it was done.
constexpr UINT kReleaseFrameMessage = WM_USER + 0x504;
constexpr LRESULT kFrameReleased = 0x504C5558;

HWND asWindow(void* handle) {
    return static_cast<HWND>(handle);
}

LONG toDeviceCoordinate(CCoord value) {
    // Truncated toward zero and kept in range, whatever the view computed.
    if (std::isnan(value))
        return 0;
    if (value >= 1073741824.0)
        return 1073741824;
    if (value <= -1073741824.0)
        return -1073741824;
    return static_cast<LONG>(value);
}

LONG widthOf(const RECT& r) {
    return r.right - r.left;
}
LONG heightOf(const RECT& r) {
    return r.bottom - r.top;
}

bool pressed(int virtualKey) {
    return GetKeyState(virtualKey) < 0;
}

int32_t buttonsFromKeyState(WPARAM keyState) {
    int32_t buttons = 0;
    if (keyState & MK_LBUTTON)
        buttons |= kLButton;
    if (keyState & MK_RBUTTON)
        buttons |= kRButton;
    if (keyState & MK_MBUTTON)
        buttons |= kMButton;
    if (keyState & MK_SHIFT)
        buttons |= kShift;
    if (keyState & MK_CONTROL)
        buttons |= kControl;
    if (keyState & MK_XBUTTON1)
        buttons |= kButton4;
    if (keyState & MK_XBUTTON2)
        buttons |= kButton5;
    if (pressed(VK_MENU))
        buttons |= kAlt;
    return buttons;
}

int32_t modifiersFromKeyboard() {
    int32_t buttons = 0;
    if (pressed(VK_SHIFT))
        buttons |= kShift;
    if (pressed(VK_CONTROL))
        buttons |= kControl;
    if (pressed(VK_MENU))
        buttons |= kAlt;
    return buttons;
}

CPoint clientPoint(LPARAM position) {
    return CPoint(static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position)));
}

void resizeWithoutMoving(HWND window, LONG width, LONG height) {
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// BeginPaint and its EndPaint, which must come whatever the drawing does.
class PaintScope {
  public:
    explicit PaintScope(HWND painted) : window(painted) { dc = BeginPaint(window, &ps); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope() { EndPaint(window, &ps); }
    HDC deviceContext() const { return dc; }
    CRect area() const {
        return CRect(ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom);
    }

  private:
    HWND window;
    PAINTSTRUCT ps{};
    HDC dc = nullptr;
};

bool isMdiClient(HWND window) {
    wchar_t name[1024] = {};
    return GetClassNameW(window, name, 1024) > 0 && std::wcscmp(name, L"MDIClient") == 0;
}

}  // namespace

// The window procedure and what it needs of the frame's inside.
struct FramePlatform {
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT dispatch(CFrame* frame, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT paint(CFrame& frame, HWND window);
    static void buttonDown(CFrame& frame, HWND window, WPARAM wParam, LPARAM lParam, int32_t extra);
    static void buttonUp(CFrame& frame, WPARAM wParam, LPARAM lParam);
    static void endLostPress(CFrame& frame);
    static void windowDestroyed(CFrame& frame, HWND window);
    static bool useBackBuffer() { return systemVersion.dwMajorVersion <= 5; }
};

// ---- construction and destruction ----

void CFrame::startPlatform() {
    ownerThread = GetCurrentThreadId();
    const HRESULT result = OleInitialize(nullptr);
    oleStarted = SUCCEEDED(result);  // S_FALSE too: every success needs its uninitialize
    systemVersion = OSVERSIONINFOEXW{};
    systemVersion.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
    static_assert(sizeof(OSVERSIONINFOEXW) == 284, "the extended version record");
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&systemVersion)))
        systemVersion.dwMajorVersion = 6;
    if (overriddenMajorVersion != 0)
        systemVersion.dwMajorVersion = overriddenMajorVersion;
}

void overrideSystemMajorVersion(unsigned major) {
    overriddenMajorVersion = major;
}

// Another thread's uninitialise would undo its own OLE, not this frame's: the
// frame's share then stays with its thread.
void CFrame::stopPlatform() {
    if (oleStarted && GetCurrentThreadId() == ownerThread)
        OleUninitialize();
    oleStarted = false;
}

// UI thread. Without a parent window the frame stays windowless.
void CFrame::openSystemWindow() {
    if (!parentWindow)
        return;
    const auto instance = static_cast<HINSTANCE>(plux::platform::pluginModule());
    if (liveFrameCount == 0) {
        wsprintfW(windowClassName, L"Plugin%p", static_cast<void*>(instance));
        WNDCLASSW windowClass = {};
        windowClass.style = kClassStyle;
        windowClass.lpfnWndProc = FramePlatform::windowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.lpszClassName = windowClassName;
        RegisterClassW(&windowClass);
        mouseButtonsSwapped = GetSystemMetrics(SM_SWAPBUTTON) > 0;
    }
    ++liveFrameCount;
    windowCounted = true;
    const DWORD extendedStyle = systemVersion.dwMajorVersion >= 6 ? WS_EX_COMPOSITED : 0;
    HWND created =
        CreateWindowExW(extendedStyle, windowClassName, L"Window", kWindowStyle, 0, 0,
                        toDeviceCoordinate(size.width()), toDeviceCoordinate(size.height()),
                        asWindow(parentWindow), nullptr, instance, nullptr);
    if (!created)
        return;
    window = created;
    SetWindowLongPtrW(created, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void CFrame::closeSystemWindow() {
    if (window) {
        HWND own = asWindow(window);
        window = nullptr;
        SetWindowLongPtrW(own, GWLP_USERDATA, 0);
        // Only its own thread can destroy a window; one left behind by
        // another thread gets a procedure outside this module, which may be
        // unloaded before that window goes.
        if (GetCurrentThreadId() == ownerThread)
            DestroyWindow(own);
        else if (IsWindow(own))
            SetWindowLongPtrW(own, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcW));
    }
    if (windowCounted) {
        windowCounted = false;
        if (--liveFrameCount == 0)
            UnregisterClassW(windowClassName,
                             static_cast<HINSTANCE>(plux::platform::pluginModule()));
    }
}

// The window is gone (the host destroyed its own window first): forget it, so
// nothing reaches a dead or reused handle later.
void FramePlatform::windowDestroyed(CFrame& frame, HWND window) {
    frame.setOpenFlag(false);
    frame.parentWindow = nullptr;
    frame.setDropActive(false);
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    frame.window = nullptr;
}

void CFrame::forgetOnOwnThread() {
    HWND own = asWindow(window);
    if (own && GetCurrentThreadId() != ownerThread &&
        GetWindowThreadProcessId(own, nullptr) == ownerThread &&
        SendMessageW(own, kReleaseFrameMessage, 0, reinterpret_cast<LPARAM>(this)) ==
            kFrameReleased)
        return;
    forget();
}

bool CFrame::switchDropTarget(bool state) {
    HWND own = asWindow(window);
    if (dropTarget) {
        RevokeDragDrop(own);
        dropTarget->detachFrame();
        dropTarget->Release();  // the frame's own reference
        dropTarget = nullptr;
    }
    if (!state)
        return true;
    auto* target = new (std::nothrow) CDropTarget(this);
    if (!target)
        return false;
    target->AddRef();
    if (FAILED(RegisterDragDrop(own, target))) {
        target->Release();
        return false;
    }
    dropTarget = target;
    return true;
}

// The host's message loop delivers the window's messages.
void CFrame::dispatchSystemEvents() {}

// ---- invalidation and painting ----

void CFrame::invalidateSystemWindow(const CRect& rect) {
    if (!window)
        return;
    const RECT area = {toDeviceCoordinate(rect.left), toDeviceCoordinate(rect.top),
                       toDeviceCoordinate(rect.right), toDeviceCoordinate(rect.bottom)};
    InvalidateRect(asWindow(window), &area, TRUE);
}

namespace {

// The rectangles of an update region; its bounds when there are many (each
// rectangle is a separate pass over the views) or the rectangles cannot be read.
std::vector<CRect> regionRectangles(HRGN region, const CRect& bounds) {
    constexpr DWORD kMaxRectangles = 8;
    std::vector<CRect> areas;
    const DWORD bytes = region ? GetRegionData(region, 0, nullptr) : 0;
    std::vector<char> data(bytes);
    if (bytes != 0 && GetRegionData(region, bytes, reinterpret_cast<RGNDATA*>(data.data())) != 0) {
        const auto* header = reinterpret_cast<const RGNDATA*>(data.data());
        if (header->rdh.nCount <= kMaxRectangles) {
            const auto* rects = reinterpret_cast<const RECT*>(header->Buffer);
            for (DWORD i = 0; i < header->rdh.nCount; ++i)
                areas.emplace_back(rects[i].left, rects[i].top, rects[i].right, rects[i].bottom);
        }
    }
    if (areas.empty())
        areas.push_back(bounds);
    return areas;
}

}  // namespace

void CFrame::presentSystemWindow(const CRect& area) {
    HWND own = asWindow(window);
    HDC deviceContext = own && backBuffer ? GetDC(own) : nullptr;
    if (!deviceContext)
        return;
    backBuffer->copyToSystemContext(deviceContext, area, area.topLeft());
    ReleaseDC(own, deviceContext);
}

// A window drawn outside its paints (a kept buffer copied in) must not be
// composed by the system, which shows only what paints draw.
void CFrame::setSystemComposition(bool state) {
    HWND own = asWindow(window);
    if (!own || systemVersion.dwMajorVersion < 6)
        return;
    const LONG_PTR style = GetWindowLongPtrW(own, GWL_EXSTYLE);
    const LONG_PTR wanted =
        state ? (style | WS_EX_COMPOSITED) : (style & ~LONG_PTR{WS_EX_COMPOSITED});
    if (wanted != style)
        SetWindowLongPtrW(own, GWL_EXSTYLE, wanted);
}

LRESULT FramePlatform::paint(CFrame& frame, HWND window) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    // Without a region (no GDI objects left) the update rectangle answers;
    // the paint must still come, as only BeginPaint validates the window.
    const bool empty = region ? GetUpdateRgn(window, region, FALSE) == NULLREGION
                              : !GetUpdateRect(window, nullptr, FALSE);
    RECT bounds{};
    if (region)
        GetRgnBox(region, &bounds);
    std::vector<CRect> areas;
    if (!empty)
        areas =
            regionRectangles(region, CRect(bounds.left, bounds.top, bounds.right, bounds.bottom));
    if (region)
        DeleteObject(region);
    if (empty)
        return 0;
    const PaintScope painting(window);
    if (!region)
        areas.assign(1, painting.area());
    COffscreenContext* buffer =
        frame.retainedDrawing || useBackBuffer() ? frame.makeBackBuffer() : nullptr;
    if (buffer) {
        // A new buffer is drawn whole before any part of it is shown.
        if (!frame.backBufferComplete)
            areas.assign(1, CRect(0, 0, frame.size.width(), frame.size.height()));
        CDrawContext* screen = buffer->isWindowBuffer()
                                   ? nullptr
                                   : new CDrawContext(&frame, painting.deviceContext(), window);
        for (const CRect& area : areas) {
            frame.drawRect(buffer, area);
            if (screen)
                buffer->copyFrom(screen, area, area.topLeft());
            else
                buffer->copyToSystemContext(painting.deviceContext(), area, area.topLeft());
        }
        if (screen)
            screen->forget();
        frame.backBufferComplete = true;
    } else {
        const CRect update = painting.area();
        CDrawContext* context = frame.frameContext
                                    ? frame.acquireContext()
                                    : new CDrawContext(&frame, painting.deviceContext(), window);
        const Forgetting release(context);
        frame.drawRect(context, update);
    }
    return 0;
}

// ---- window procedure ----

void FramePlatform::buttonDown(CFrame& frame, HWND window, WPARAM wParam, LPARAM lParam,
                               int32_t extra) {
    CPoint where = clientPoint(lParam);
    frame.lastMouse = where;
    const int32_t buttons = buttonsFromKeyState(wParam) | extra;
    if (frame.onMouseDown(where, buttons) == kMouseEventHandled &&
        frame.getSystemWindow() == window) {
        frame.pressCaptured = true;
        SetCapture(window);
    }
}

void FramePlatform::buttonUp(CFrame& frame, WPARAM wParam, LPARAM lParam) {
    CPoint where = clientPoint(lParam);
    frame.lastMouse = where;
    frame.pressCaptured = false;
    frame.onMouseUp(where, buttonsFromKeyState(wParam));
}

// Another window took the mouse (a host dialog, Alt-Tab) before the release
// came: the press ends where the mouse was last seen, so the view that took
// it does not wait for a release that goes elsewhere.
void FramePlatform::endLostPress(CFrame& frame) {
    if (!frame.pressCaptured)
        return;
    frame.pressCaptured = false;
    CPoint where = frame.lastMouse;
    frame.onMouseUp(where, 0);
}

LRESULT CALLBACK FramePlatform::windowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    auto* frame = reinterpret_cast<CFrame*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!frame)
        return DefWindowProcW(window, message, wParam, lParam);
    // A view may make the editor close while it handles the event: the frame
    // stays alive until the message is done (its last release then destroys
    // the window, which Win32 allows from inside the window procedure).
    frame->remember();
    LRESULT result = 0;
    // Nothing a view throws may unwind into the host's message loop: the
    // message gets its default answer and the frame stays usable.
    try {
        result = dispatch(frame, window, message, wParam, lParam);
    } catch (...) {
        result = DefWindowProcW(window, message, wParam, lParam);
    }
    frame->forget();
    return result;
}

LRESULT FramePlatform::dispatch(CFrame* frame, HWND window, UINT message, WPARAM wParam,
                                LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        windowDestroyed(*frame, window);
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_PAINT:
        return paint(*frame, window);
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEMOVE: {
        CPoint where = clientPoint(lParam);
        frame->lastMouse = where;
        frame->onMouseMoved(where, buttonsFromKeyState(wParam));
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
        buttonDown(*frame, window, wParam, lParam, 0);
        return 0;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDBLCLK:
        buttonDown(*frame, window, wParam, lParam, kDoubleClick);
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_XBUTTONUP:
        buttonUp(*frame, wParam, lParam);
        ReleaseCapture();
        return 0;
    case WM_MOUSEWHEEL: {
        RECT windowRect = {};
        GetWindowRect(window, &windowRect);
        // Screen coordinates: signed, as monitors left of or above the
        // primary one have negative positions.
        const CPoint where(static_cast<short>(LOWORD(lParam)) - windowRect.left,
                           static_cast<short>(HIWORD(lParam)) - windowRect.top);
        const float distance = static_cast<float>(static_cast<short>(HIWORD(wParam)) / kWheelNotch);
        frame->onWheel(where, distance, modifiersFromKeyboard());
        return DefWindowProcW(window, message, wParam, lParam);
    }
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != window)
            endLostPress(*frame);
        return 0;
    case WM_CANCELMODE:
        endLostPress(*frame);
        return DefWindowProcW(window, message, wParam, lParam);
    case kReleaseFrameMessage:
        // The reference handed over by another thread; the procedure's own
        // reference keeps the frame until the message is done.
        if (lParam != reinterpret_cast<LPARAM>(frame))
            return 0;
        frame->forget();
        return kFrameReleased;
    case WM_MOUSELEAVE: {
        CPoint where;
        frame->getCurrentMouseLocation(where);
        frame->onMouseExited(where, frame->getCurrentMouseButtons());
        return 0;
    }
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

// ---- mouse and cursor ----

void CFrame::requestLeaveNotification() {
    if (!window)
        return;
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = asWindow(window);
    track.dwHoverTime = 0;
    TrackMouseEvent(&track);
}

bool CFrame::getCurrentMouseLocation(CPoint& where) const {
    POINT cursor = {};
    if (!GetCursorPos(&cursor))
        return false;
    where = CPoint(cursor.x, cursor.y);
    RECT windowRect = {};
    if (window && GetWindowRect(asWindow(window), &windowRect))
        where.offset(-windowRect.left, -windowRect.top);
    return true;
}

int32_t CFrame::getCurrentMouseButtons() const {
    auto down = [](int virtualKey) { return GetAsyncKeyState(virtualKey) < 0; };
    int32_t buttons = 0;
    if (down(VK_LBUTTON))
        buttons |= mouseButtonsSwapped ? kRButton : kLButton;
    if (down(VK_MBUTTON))
        buttons |= kMButton;
    if (down(VK_RBUTTON))
        buttons |= mouseButtonsSwapped ? kLButton : kRButton;
    if (down(VK_SHIFT))
        buttons |= kShift;
    if (down(VK_CONTROL))
        buttons |= kControl;
    if (down(VK_MENU))
        buttons |= kAlt;
    return buttons;
}

void CFrame::setCursor(CCursorType type) {
    if (!savedCursor)
        savedCursor = GetCursor();
    LPCWSTR shape = nullptr;
    switch (type) {
    case kCursorWait:
        shape = reinterpret_cast<LPCWSTR>(IDC_WAIT);
        break;
    case kCursorHSize:
        shape = reinterpret_cast<LPCWSTR>(IDC_SIZEWE);
        break;
    case kCursorVSize:
        shape = reinterpret_cast<LPCWSTR>(IDC_SIZENS);
        break;
    case kCursorSizeAll:
        shape = reinterpret_cast<LPCWSTR>(IDC_SIZEALL);
        break;
    case kCursorNESWSize:
        shape = reinterpret_cast<LPCWSTR>(IDC_SIZENESW);
        break;
    case kCursorNWSESize:
        shape = reinterpret_cast<LPCWSTR>(IDC_SIZENWSE);
        break;
    case kCursorNotAllowed:
        shape = reinterpret_cast<LPCWSTR>(IDC_NO);
        break;
    case kCursorHand:
        shape = reinterpret_cast<LPCWSTR>(IDC_HAND);
        break;
    default:
        break;
    }
    SetCursor(shape ? LoadCursorW(nullptr, shape) : static_cast<HCURSOR>(savedCursor));
}

void CFrame::restoreSavedCursor() {
    if (savedCursor)
        SetCursor(static_cast<HCURSOR>(savedCursor));
}

void dispatchOnePendingPaint() {  // UI thread
    MSG message;
    if (PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
        DispatchMessageW(&message);
}

// ---- host windows ----

// UI thread. Grows each enclosing window that hugs the one inside it, up to
// an MDI client, a window with wide decorations or the dialog-frame border.
void CFrame::resizeSystemWindows(CCoord width, CCoord height) {
    if (!window)
        return;
    const LONG w = toDeviceCoordinate(width);
    const LONG h = toDeviceCoordinate(height);
    const LONG dialogFrame = GetSystemMetrics(SM_CYDLGFRAME);
    LONG dx = 0;
    LONG dy = 0;
    HWND current = asWindow(window);
    for (HWND parent = GetParent(current); parent && !isMdiClient(parent);
         parent = GetParent(current)) {
        RECT inner = {};
        RECT outer = {};
        GetWindowRect(current, &inner);
        GetWindowRect(parent, &outer);
        resizeWithoutMoving(current, w + dx, h + dy);
        dx += widthOf(outer) - widthOf(inner);
        dy += heightOf(outer) - heightOf(inner);
        if (dx > kMaxDecoration || dy > kMaxDecoration)
            return;
        dx = std::max<LONG>(dx, 0);
        dy = std::max<LONG>(dy, 0);
        current = parent;
        if (dialogFrame != 0 && dx == 2 * dialogFrame)
            break;
    }
    resizeWithoutMoving(current, w + dx, h + dy);
}

bool CFrame::getPosition(CCoord& x, CCoord& y) const {
    if (!window)
        return false;
    HWND own = asWindow(window);
    RECT frameRect = {};
    GetWindowRect(own, &frameRect);
    HWND outer = own;
    for (;;) {
        if (GetWindowLongW(outer, GWL_STYLE) & WS_CAPTION)
            break;
        HWND parent = GetParent(outer);
        if (!parent)
            break;
        RECT parentRect = {};
        GetWindowRect(parent, &parentRect);
        if (std::labs(widthOf(parentRect) - widthOf(frameRect)) > kMaxOuterDifference ||
            std::labs(heightOf(parentRect) - heightOf(frameRect)) > kMaxOuterDifference)
            break;
        outer = parent;
    }
    RECT outerRect = {};
    GetWindowRect(outer, &outerRect);
    POINT topLeft = {outerRect.left, outerRect.top};
    MapWindowPoints(HWND_DESKTOP, GetParent(outer), &topLeft, 1);
    x = topLeft.x;
    y = topLeft.y;
    return true;
}

bool CFrame::getSize(CRect& rect) const {
    if (!window)
        return false;
    HWND parent = GetParent(asWindow(window));
    if (!parent)
        return false;
    HWND grandparent = GetParent(parent);
    HWND reference = grandparent ? GetParent(grandparent) : nullptr;
    RECT parentRect = {};
    GetWindowRect(parent, &parentRect);
    POINT topLeft = {parentRect.left, parentRect.top};
    MapWindowPoints(HWND_DESKTOP, reference, &topLeft, 1);
    rect = CRect(topLeft.x, topLeft.y, topLeft.x + widthOf(parentRect),
                 topLeft.y + heightOf(parentRect));
    return true;
}

}  // namespace VSTGUI
