// The frame window inside a host window: messages sent through its window
// procedure reach the views with the right points and flags; capture, wheel,
// leave, erase, invalidation and painting behave as a host expects.
#include "event_log_views.h"
#include "test_windows_win32.h"

#include "gui/toolkit/frame_win32.h"

#include <gtest/gtest.h>

#include <ole2.h>
#include <windowsx.h>

#include <new>
#include <vector>

namespace frametest {
namespace {

// Presses keys in this thread's keyboard state, which GetKeyState reads.
class HeldKeys {
  public:
    explicit HeldKeys(std::initializer_list<int> keys) {
        GetKeyboardState(saved);
        BYTE state[256];
        GetKeyboardState(state);
        for (int key : keys)
            state[key] = 0x80;
        SetKeyboardState(state);
    }
    ~HeldKeys() { SetKeyboardState(saved); }

  private:
    BYTE saved[256] = {};
};

LPARAM at(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

// Frame 200 x 100 at the top-left of a 400 x 300 host window; view "a" at
// (10,10)-(110,60).
class FrameWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        host = createHostWindow(nullptr, 40, 30, 400, 300);
        ASSERT_NE(nullptr, host);
        frame = new CFrame(CRect(0, 0, 200, 100), host, nullptr);
        window = static_cast<HWND>(frame->getSystemWindow());
        ASSERT_NE(nullptr, window);
        a = new EventView(CRect(10, 10, 110, 60), log, "a");
        frame->addView(a);
        a->forget();
    }
    void TearDown() override {
        if (frame)
            frame->forget();
        if (host)
            DestroyWindow(host);
    }
    LRESULT send(UINT message, WPARAM wParam, LPARAM lParam) {
        return SendMessageW(window, message, wParam, lParam);
    }

    EventLog log;
    HWND host = nullptr;
    HWND window = nullptr;
    CFrame* frame = nullptr;
    EventView* a = nullptr;
};

TEST_F(FrameWindow, IsAVisibleChildOfTheSharedClass) {
    EXPECT_EQ(host, GetParent(window));
    EXPECT_EQ(host, frame->getParentWindow());
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    EXPECT_EQ(frameClassName(), name);
    EXPECT_EQ(static_cast<ULONG_PTR>(CS_DBLCLKS | CS_GLOBALCLASS),
              GetClassLongPtrW(window, GCL_STYLE));
    wchar_t title[32] = {};
    GetWindowTextW(window, title, 32);
    EXPECT_STREQ(L"Window", title);
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    const LONG wanted = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    EXPECT_EQ(wanted, style & wanted);
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    ASSERT_TRUE(GetVersionExW(&version));
    const bool composited = (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_COMPOSITED) != 0;
    EXPECT_EQ(version.dwMajorVersion >= 6, composited);
    const RECT placed = rectInParent(window);
    EXPECT_EQ(0, placed.left);
    EXPECT_EQ(0, placed.top);
    EXPECT_EQ(200, placed.right);
    EXPECT_EQ(100, placed.bottom);
    EXPECT_TRUE(frame->isDropActive());
}

TEST_F(FrameWindow, ButtonMessagesCarryPointAndFlags) {
    send(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT | MK_CONTROL, at(20, 30));
    send(WM_MOUSEMOVE, MK_LBUTTON, at(-5, 150));
    send(WM_LBUTTONUP, 0, at(25, 35));
    send(WM_RBUTTONDOWN, MK_RBUTTON, at(11, 12));
    send(WM_RBUTTONUP, 0, at(11, 12));
    send(WM_MBUTTONDOWN, MK_MBUTTON, at(13, 14));
    send(WM_MBUTTONUP, 0, at(13, 14));
    send(WM_XBUTTONDOWN, MAKEWPARAM(MK_XBUTTON1, XBUTTON1), at(15, 16));
    send(WM_XBUTTONUP, MAKEWPARAM(0, XBUTTON1), at(15, 16));
    send(WM_XBUTTONDOWN, MAKEWPARAM(MK_XBUTTON2, XBUTTON2), at(17, 18));
    send(WM_XBUTTONUP, MAKEWPARAM(0, XBUTTON2), at(17, 18));
    EXPECT_EQ((EventLog{"a down 20,30 b50", "a moved -5,150 b2", "a up 25,35 b0", "a down 11,12 b8",
                        "a up 11,12 b0", "a down 13,14 b4", "a up 13,14 b0", "a down 15,16 b256",
                        "a up 15,16 b0", "a down 17,18 b512", "a up 17,18 b0"}),
              log);
}

TEST_F(FrameWindow, AltComesFromTheKeyboardState) {
    HeldKeys alt{VK_MENU};
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(20, 30));
    send(WM_LBUTTONUP, 0, at(20, 30));
    EXPECT_EQ((EventLog{"a down 20,30 b66", "a up 20,30 b64"}), log);
}

TEST_F(FrameWindow, HandledPressCapturesAndEveryReleaseFreesTheMouse) {
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(20, 30));
    EXPECT_EQ(window, GetCapture());
    // Released outside the window: the view still gets it.
    send(WM_LBUTTONUP, 0, at(450, -20));
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ("a up 450,-20 b0", log.back());

    SetCapture(window);
    send(WM_RBUTTONUP, 0, at(150, 80));  // nobody holds the mouse
    EXPECT_EQ(nullptr, GetCapture());
}

TEST_F(FrameWindow, PressThatNoViewTakesDoesNotCapture) {
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(150, 80));
    EXPECT_EQ(nullptr, GetCapture());
    a->downResult = kMouseEventNotHandled;
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(20, 30));
    EXPECT_EQ(nullptr, GetCapture());
    send(WM_LBUTTONUP, 0, at(20, 30));
}

TEST_F(FrameWindow, DoubleClickArrivesAsPressWithTheDoubleClickFlag) {
    send(WM_LBUTTONDBLCLK, MK_LBUTTON, at(20, 30));
    send(WM_LBUTTONUP, 0, at(20, 30));
    send(WM_RBUTTONDBLCLK, MK_RBUTTON, at(21, 31));
    send(WM_RBUTTONUP, 0, at(21, 31));
    EXPECT_EQ(
        (EventLog{"a down 20,30 b1026", "a up 20,30 b0", "a down 21,31 b1032", "a up 21,31 b0"}),
        log);
}

TEST_F(FrameWindow, WheelCountsWholeNotchesAtTheScreenPoint) {
    RECT screen = {};
    GetWindowRect(window, &screen);
    const LPARAM point = at(screen.left + 20, screen.top + 30);
    send(WM_MOUSEWHEEL, MAKEWPARAM(MK_LBUTTON, 119), point);
    EXPECT_EQ(0.0f, a->wheelDistance);
    send(WM_MOUSEWHEEL, MAKEWPARAM(0, 240), point);
    EXPECT_EQ(2.0f, a->wheelDistance);
    send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-359)), point);
    EXPECT_EQ(-2.0f, a->wheelDistance);
    {
        HeldKeys shift{VK_SHIFT};
        send(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), point);
    }
    // Button bits of the message do not count: only the keyboard's modifiers.
    EXPECT_EQ(
        (EventLog{"a wheel 20,30 b0", "a wheel 20,30 b0", "a wheel 20,30 b0", "a wheel 20,30 b16"}),
        log);
}

TEST_F(FrameWindow, EraseBackgroundAnswersOne) {
    HDC dc = GetDC(window);
    EXPECT_EQ(1, send(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0));
    ReleaseDC(window, dc);
}

TEST_F(FrameWindow, MouseLeaveExitsTheMouseOverView) {
    send(WM_MOUSEMOVE, 0, at(20, 30));
    ASSERT_EQ((EventLog{"a entered 20,30 b0"}), log);
    POINT cursor = {};
    GetCursorPos(&cursor);
    RECT screen = {};
    GetWindowRect(window, &screen);
    EXPECT_EQ(0, send(WM_MOUSELEAVE, 0, 0));
    ASSERT_EQ(2u, log.size());
    const std::string exited =
        describe("a", "exited", CPoint(cursor.x - screen.left, cursor.y - screen.top), 0);
    EXPECT_EQ(exited.substr(0, exited.rfind(' ')), log[1].substr(0, log[1].rfind(' ')));
    // The next move enters again.
    send(WM_MOUSEMOVE, 0, at(21, 30));
    EXPECT_EQ("a entered 21,30 b0", log.back());
}

TEST_F(FrameWindow, CurrentMouseLocationIsRelativeToTheFrameWindow) {
    RECT screen = {};
    GetWindowRect(window, &screen);
    ASSERT_TRUE(SetCursorPos(screen.left + 33, screen.top + 44));
    CPoint where;
    ASSERT_TRUE(frame->getCurrentMouseLocation(where));
    EXPECT_EQ(CPoint(33, 44), where);
}

TEST_F(FrameWindow, InvalidationTruncatesToWholePixels) {
    ValidateRect(window, nullptr);
    frame->invalidRect(CRect(10.7, 10.2, 20.9, 20.5));
    RECT update = {};
    ASSERT_TRUE(GetUpdateRect(window, &update, FALSE));
    EXPECT_EQ(10, update.left);
    EXPECT_EQ(10, update.top);
    EXPECT_EQ(20, update.right);
    EXPECT_EQ(20, update.bottom);

    frame->setVisible(false);
    ValidateRect(window, nullptr);
    frame->invalidRect(CRect(0, 0, 50, 50));
    EXPECT_FALSE(GetUpdateRect(window, &update, FALSE));
    frame->setVisible(true);
}

TEST_F(FrameWindow, PaintFillsTheWindowThroughTheViews) {
    a->fill = true;
    a->fillColor = CColor{0, 200, 80, 255};
    frame->setBackgroundColor(CColor{30, 40, 200, 255});
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    EXPECT_FALSE(frame->isFirstDraw());
    EXPECT_EQ(RGB(0, 200, 80), pixelAt(window, 50, 30));
    EXPECT_EQ(RGB(30, 40, 200), pixelAt(window, 150, 80));

    // Only the update region is painted.
    a->fillColor = CColor{250, 10, 10, 255};
    log.clear();
    RECT corner = {120, 70, 200, 100};
    InvalidateRect(window, &corner, FALSE);
    UpdateWindow(window);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(RGB(0, 200, 80), pixelAt(window, 50, 30));
}

TEST_F(FrameWindow, PaintWithEmptyUpdateRegionDrawsNothing) {
    ValidateRect(window, nullptr);
    EXPECT_EQ(0, send(WM_PAINT, 0, 0));
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(frame->isFirstDraw());
}

TEST_F(FrameWindow, LostCaptureEndsThePressWhereTheMouseWasLast) {
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(20, 30));
    send(WM_MOUSEMOVE, MK_LBUTTON, at(60, 45));
    SetCapture(host);  // a host dialog takes the mouse
    EXPECT_EQ((EventLog{"a down 20,30 b2", "a moved 60,45 b2", "a up 60,45 b0"}), log);
    EXPECT_EQ(nullptr, frame->getMouseDownView());
    ReleaseCapture();
    // The release that went elsewhere reaches no view when it comes after all.
    send(WM_LBUTTONUP, 0, at(70, 50));
    EXPECT_EQ(3u, log.size());

    // Cancel mode (Alt-Tab, a menu) ends the press and frees the mouse too.
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(21, 31));
    ASSERT_EQ(window, GetCapture());
    send(WM_CANCELMODE, 0, 0);
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ("a up 21,31 b0", log.back());
    // The frame's own release of the capture after a button-up ends nothing twice.
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(22, 32));
    send(WM_LBUTTONUP, 0, at(23, 33));
    send(WM_CANCELMODE, 0, 0);
    EXPECT_EQ((EventLog{"a down 22,32 b2", "a up 23,33 b0"}), EventLog(log.end() - 2, log.end()));
}

TEST_F(FrameWindow, PaintWithoutARegionStillValidatesTheWindow) {
    // Use up the GDI objects so that the paint cannot make its region.
    std::vector<HRGN> hoard;
    for (HRGN region; hoard.size() < 200000 && (region = CreateRectRgn(0, 0, 1, 1));)
        hoard.push_back(region);
    const bool exhausted = hoard.size() < 200000;
    InvalidateRect(window, nullptr, FALSE);
    const LRESULT answer = send(WM_PAINT, 0, 0);
    const BOOL pending = GetUpdateRect(window, nullptr, FALSE);
    for (HRGN region : hoard)
        DeleteObject(region);
    ASSERT_TRUE(exhausted) << "no limit to GDI objects here";
    EXPECT_EQ(0, answer);
    EXPECT_FALSE(pending);  // else WM_PAINT would come again and again
}

// Throws from its mouse handler, as a view may on a failed allocation.
class ThrowingView : public EventView {
  public:
    using EventView::EventView;
    CMouseEventResult onMouseDown(CPoint&, const int32_t&) override { throw std::bad_alloc(); }
};

TEST_F(FrameWindow, NothingThrownReachesTheHostAndTheFrameStaysUsable) {
    a->fill = true;
    a->fillColor = CColor{0, 200, 80, 255};
    InvalidateRect(window, nullptr, FALSE);
    failAllocation(1);
    EXPECT_EQ(0, send(WM_PAINT, 0, 0));
    failAllocation(0);
    EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));
    EXPECT_TRUE(log.empty());
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    EXPECT_EQ(RGB(0, 200, 80), pixelAt(window, 50, 30));

    auto* throwing = new ThrowingView(CRect(150, 70, 200, 100), log, "throwing");
    frame->addView(throwing);
    throwing->forget();
    EXPECT_EQ(0, send(WM_LBUTTONDOWN, MK_LBUTTON, at(160, 80)));
    EXPECT_EQ(nullptr, GetCapture());
    log.clear();
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(20, 30));
    EXPECT_EQ(window, GetCapture());
    send(WM_LBUTTONUP, 0, at(20, 30));
    EXPECT_EQ((EventLog{"a down 20,30 b2", "a up 20,30 b0"}), log);
}

TEST_F(FrameWindow, CursorShapesAndRestoreOfTheFirstCursor) {
    HCURSOR arrow = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    SetCursor(arrow);
    frame->setCursor(kCursorHand);
    EXPECT_EQ(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)), GetCursor());
    frame->setCursor(kCursorHSize);
    EXPECT_EQ(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_SIZEWE)), GetCursor());
    frame->setCursor(kCursorCopy);  // no shape of its own: the saved cursor
    EXPECT_EQ(arrow, GetCursor());
    frame->setCursor(kCursorNotAllowed);
    frame->forget();
    frame = nullptr;
    EXPECT_EQ(arrow, GetCursor());
}

TEST_F(FrameWindow, HostDestroyingItsWindowClosesTheFrame) {
    DestroyWindow(host);
    host = nullptr;
    EXPECT_FALSE(frame->isOpen());
    EXPECT_EQ(nullptr, frame->getParentWindow());
    EXPECT_EQ(nullptr, frame->getSystemWindow());
    EXPECT_FALSE(frame->isDropActive());
    EXPECT_FALSE(frame->setSize(300, 300));
    frame->invalid();  // nothing left to invalidate
    frame->forget();
    frame = nullptr;
    EXPECT_FALSE(frameClassRegistered());
}

TEST_F(FrameWindow, WindowOfTheClassWithoutAFrameGetsDefaultProcessing) {
    HWND bare = CreateWindowExW(0, frameClassName().c_str(), L"bare", WS_CHILD, 0, 0, 10, 10, host,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, bare);
    HDC dc = GetDC(bare);
    EXPECT_EQ(0, SendMessageW(bare, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0));
    ReleaseDC(bare, dc);
    SendMessageW(bare, WM_LBUTTONDOWN, MK_LBUTTON, at(1, 1));
    EXPECT_EQ(nullptr, GetCapture());
    DestroyWindow(bare);
    EXPECT_TRUE(log.empty());
}

// Closes the editor when pressed: gives away the frame's last reference.
class ClosingView : public EventView {
  public:
    using EventView::EventView;
    CMouseEventResult onMouseDown(CPoint& where, const int32_t& buttons) override {
        EventView::onMouseDown(where, buttons);
        getFrame()->forget();
        return kMouseEventHandled;
    }
};

TEST_F(FrameWindow, FrameReleasedByAViewDuringAMessageGoesAfterIt) {
    auto* closing = new ClosingView(CRect(150, 70, 200, 100), log, "closing");
    frame->addView(closing);
    closing->forget();
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(160, 80));
    frame = nullptr;
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_FALSE(frameClassRegistered());
    EXPECT_EQ((EventLog{"closing down 160,80 b2"}), log);
}

TEST(FrameWindowClass, SharedByFramesAndUnregisteredWithTheLast) {
    ASSERT_FALSE(frameClassRegistered());
    HWND host = createHostWindow(nullptr, 0, 0, 300, 200);
    auto* first = new CFrame(CRect(0, 0, 100, 100), host, nullptr);
    auto* second = new CFrame(CRect(0, 0, 50, 50), host, nullptr);
    wchar_t firstClass[64] = {};
    wchar_t secondClass[64] = {};
    GetClassNameW(static_cast<HWND>(first->getSystemWindow()), firstClass, 64);
    GetClassNameW(static_cast<HWND>(second->getSystemWindow()), secondClass, 64);
    EXPECT_STREQ(firstClass, secondClass);
    first->forget();
    EXPECT_TRUE(frameClassRegistered());
    // The second frame still works after the first one's class share went.
    EventLog log;
    auto* view = new EventView(CRect(0, 0, 50, 50), log, "v");
    second->addView(view);
    view->forget();
    SendMessageW(static_cast<HWND>(second->getSystemWindow()), WM_LBUTTONDOWN, MK_LBUTTON,
                 at(5, 6));
    SendMessageW(static_cast<HWND>(second->getSystemWindow()), WM_LBUTTONUP, 0, at(5, 6));
    EXPECT_EQ((EventLog{"v down 5,6 b2", "v up 5,6 b0"}), log);
    second->forget();
    EXPECT_FALSE(frameClassRegistered());
    // And the next frame registers it again.
    auto* third = new CFrame(CRect(0, 0, 50, 50), host, nullptr);
    EXPECT_NE(nullptr, third->getSystemWindow());
    EXPECT_TRUE(frameClassRegistered());
    third->forget();
    EXPECT_FALSE(frameClassRegistered());
    DestroyWindow(host);
}

class BufferedFrame : public CFrame {
  public:
    using CFrame::CFrame;
    COffscreenContext* buffer() const { return backBuffer; }
};

TEST(FrameOnOlderSystems, PaintsThroughABackBufferWithoutComposition) {
    overrideSystemMajorVersion(5);
    HWND host = createHostWindow(nullptr, 0, 0, 300, 200);
    auto* frame = new BufferedFrame(CRect(0, 0, 200, 100), host, nullptr);
    overrideSystemMajorVersion(0);  // frames made from now on read the real version
    HWND window = static_cast<HWND>(frame->getSystemWindow());
    EXPECT_EQ(0, GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_COMPOSITED);
    EXPECT_EQ(nullptr, frame->buffer());
    EventLog log;
    auto* view = new EventView(CRect(10, 10, 110, 60), log, "a");
    view->fill = true;
    view->fillColor = CColor{200, 100, 0, 255};
    frame->addView(view);
    view->forget();
    frame->setBackgroundColor(CColor{0, 0, 120, 255});
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    ASSERT_NE(nullptr, frame->buffer());
    EXPECT_NE(view->drawContext, nullptr);
    EXPECT_EQ(RGB(200, 100, 0), pixelAt(window, 50, 30));
    EXPECT_EQ(RGB(0, 0, 120), pixelAt(window, 150, 80));
    // A new size needs a new buffer.
    EXPECT_TRUE(frame->setSize(220, 110));
    EXPECT_EQ(nullptr, frame->buffer());
    frame->forget();
    DestroyWindow(host);
}

TEST(FrameWithoutParent, HasNoWindowButRoutesEvents) {
    EventLog log;
    auto* frame = new CFrame(CRect(0, 0, 100, 100), nullptr, nullptr);
    EXPECT_EQ(nullptr, frame->getSystemWindow());
    EXPECT_FALSE(frame->setDropActive(true));
    EXPECT_FALSE(frameClassRegistered());
    auto* view = new EventView(CRect(0, 0, 50, 50), log, "v");
    frame->addView(view);
    view->forget();
    CPoint where(5, 6);
    EXPECT_EQ(kMouseEventHandled, frame->onMouseDown(where, kLButton));
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ(kMouseEventHandled, frame->onMouseUp(where, 0));
    frame->invalid();
    frame->draw(nullptr);
    EXPECT_EQ("v draw 0,0 b0", log.back());
    // Mouse queries fall back to screen coordinates.
    POINT cursor = {};
    GetCursorPos(&cursor);
    CPoint location;
    EXPECT_TRUE(frame->getCurrentMouseLocation(location));
    EXPECT_EQ(CPoint(cursor.x, cursor.y), location);
    CCoord x = -1;
    CCoord y = -1;
    EXPECT_FALSE(frame->getPosition(x, y));
    frame->forget();
}

// Waits for handle while handling what other threads send to this one (the
// owner thread's host window is a child of this thread's test desktop).
void waitHandlingSentMessages(HANDLE handle) {
    while (MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE) !=
           WAIT_OBJECT_0) {
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    }
}

// A frame made on a thread of its own, which runs its messages until told to stop.
struct OwnerThread {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = nullptr;
    DWORD id = 0;
    bool pump = true;
    HWND host = nullptr;
    CFrame* frame = nullptr;
    HWND window = nullptr;
    HRESULT oleAfterwards = E_FAIL;

    static DWORD WINAPI run(void* self) {
        auto& owner = *static_cast<OwnerThread*>(self);
        owner.host = createHostWindow(nullptr, 0, 0, 100, 100);
        owner.frame = new CFrame(CRect(0, 0, 50, 50), owner.host, nullptr);
        owner.window = static_cast<HWND>(owner.frame->getSystemWindow());
        SetEvent(owner.ready);
        MSG message;
        while (owner.pump && GetMessageW(&message, nullptr, 0, 0) > 0)
            DispatchMessageW(&message);
        // A fresh initialisation shows whether the frame's was undone here.
        owner.oleAfterwards = OleInitialize(nullptr);
        if (SUCCEEDED(owner.oleAfterwards))
            OleUninitialize();
        if (owner.pump)
            DestroyWindow(owner.host);
        return 0;
    }
    void start() {
        thread = CreateThread(nullptr, 0, run, this, 0, &id);
        waitHandlingSentMessages(ready);
    }
    void finish() {
        PostThreadMessageW(id, WM_QUIT, 0, 0);
        waitHandlingSentMessages(thread);
        CloseHandle(thread);
        CloseHandle(ready);
    }
};

TEST(FrameThreads, ReleasedOnAnotherThreadTheFrameGoesOnItsOwn) {
    const HRESULT mine = OleInitialize(nullptr);
    ASSERT_TRUE(SUCCEEDED(mine));
    OwnerThread owner;
    owner.start();
    ASSERT_NE(nullptr, owner.window);
    owner.frame->forgetOnOwnThread();
    // Gone before the call returned: only the owner thread can destroy it.
    EXPECT_FALSE(IsWindow(owner.window));
    EXPECT_FALSE(frameClassRegistered());
    owner.finish();
    EXPECT_EQ(S_OK, owner.oleAfterwards);
    // This thread's OLE is untouched.
    EXPECT_EQ(S_FALSE, OleInitialize(nullptr));
    OleUninitialize();
    OleUninitialize();
}

TEST(FrameThreads, FrameOutlivingItsThreadIsReleasedWithoutIt) {
    OwnerThread owner;
    owner.pump = false;
    owner.start();
    waitHandlingSentMessages(owner.thread);
    EXPECT_FALSE(IsWindow(owner.window));  // the system took the thread's windows
    owner.frame->forgetOnOwnThread();
    EXPECT_FALSE(frameClassRegistered());
    owner.finish();
}

}  // namespace
}  // namespace frametest
