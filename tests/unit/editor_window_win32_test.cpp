// The editor in a real window, with the instance assembled in-process so the
// script's state can be read: window mouse messages reach the script, and
// paced redraws follow the test clock, one section run per redraw request.
#include <windows.h>

#include <gtest/gtest.h>

#include "effects/nulltest/nulltest_effect.h"
#include "gui/toolkit/drawingobjects.h"
#include "gui/toolkit/gdiplusglobals.h"
#include "platform/platform.h"
#include "tests/host/host_window_win32.h"
#include "tests/support/plux_probe.h"
#include "tests/unit/assembled_plugin.h"

namespace {

// Counts the draws that reach the script, whatever asked for them.
int gDraws = 0;
void (*gDraw)(CPlux*, VSTGUI::CDrawContext*, double, double) = nullptr;
void countingDraw(CPlux* plux, VSTGUI::CDrawContext* context, double width, double height) {
    ++gDraws;
    gDraw(plux, context, width, height);
}

int32_t gClock = 0;
int32_t testClock() {
    return gClock;
}

class EditorWindowInProcess : public ::testing::Test {
  protected:
    void SetUp() override {
        p.start();
        gDraw = CPluxProbe::replaceDraw(*p.plux, countingDraw);
        gDraws = 0;
        ASSERT_EQ(p.dispatch(effEditOpen, 0, 0, hostwindow::hostWindow()), 1);
        editor = hostwindow::asHwnd(hostwindow::editorWindow());
        ASSERT_NE(editor, nullptr);
        UpdateWindow(editor);
        hostwindow::pumpMessages();
    }
    void TearDown() override {
        p.dispatch(effEditClose);
        hostwindow::pumpMessages();
        plux::platform::setProcessClockForTesting(nullptr);
    }

    LRESULT send(UINT message, WPARAM keys, int x, int y) {
        return SendMessageW(editor, message, keys, MAKELPARAM(x, y));
    }

    AssembledPlugin<nulltest::TVexmoldEffect> p;
    HWND editor = nullptr;
};

TEST_F(EditorWindowInProcess, MouseMessagesReachTheScript) {
    nulltest::TVexmoldEffect& fx = *p.fx;
    fx.redrawRate = 0;
    EXPECT_EQ(send(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, 120, 40), 0);
    EXPECT_EQ(fx.mouseButtons, 9.0);
    EXPECT_EQ(fx.mouseX, 120.0);
    EXPECT_EQ(fx.mouseY, 40.0);
    EXPECT_EQ(fx.redrawRate, 30.0);
    EXPECT_EQ(GetCapture(), editor);

    // Dragged out of the window to the left and above: signed coordinates.
    send(WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, -30, -5);
    EXPECT_EQ(fx.mouseX, -30.0);
    EXPECT_EQ(fx.mouseY, -5.0);
    EXPECT_EQ(fx.mouseButtons, 9.0);
    send(WM_LBUTTONUP, MK_SHIFT, 610, 300);
    EXPECT_EQ(fx.mouseButtons, 0.0);
    EXPECT_EQ(fx.mouseX, 610.0);
    EXPECT_EQ(fx.mouseY, 300.0);
    EXPECT_EQ(GetCapture(), nullptr);

    // Without a button the first move only announces the view; the next arrives.
    send(WM_MOUSEMOVE, 0, 50, 60);
    EXPECT_EQ(fx.mouseX, 610.0);
    send(WM_MOUSEMOVE, 0, 51, 61);
    EXPECT_EQ(fx.mouseX, 51.0);
    EXPECT_EQ(fx.mouseY, 61.0);

    send(WM_RBUTTONDOWN, MK_RBUTTON | MK_CONTROL, 7, 8);
    EXPECT_EQ(fx.mouseButtons, 6.0);
    send(WM_RBUTTONUP, 0, 7, 8);
    EXPECT_EQ(fx.mouseButtons, 0.0);
    send(WM_MBUTTONDOWN, MK_MBUTTON, 9, 9);
    EXPECT_EQ(fx.mouseButtons, 64.0);
    send(WM_MBUTTONUP, 0, 9, 9);
    // A double click arrives as a press.
    send(WM_LBUTTONDBLCLK, MK_LBUTTON, 11, 12);
    EXPECT_EQ(fx.mouseButtons, 1.0);
    EXPECT_EQ(fx.mouseX, 11.0);
    send(WM_LBUTTONUP, 0, 11, 12);
}

// One idle request every 10 ms of the test clock, each followed by the paint
// it may have asked for; answers how many draws happened.
int idleAndPaint(AssembledPlugin<nulltest::TVexmoldEffect>& p, HWND editor, int idles) {
    const int before = gDraws;
    for (int i = 0; i < idles; ++i) {
        gClock += 10;
        p.dispatch(effEditIdle);
        UpdateWindow(editor);
    }
    return gDraws - before;
}

TEST_F(EditorWindowInProcess, PacedRepaintsFollowTheClock) {
    const int initial = gDraws;
    EXPECT_GE(initial, 1);  // the first paint of the new window
    plux::platform::setProcessClockForTesting(testClock);
    gClock = 500000;
    EXPECT_EQ(idleAndPaint(p, editor, 1), 1);
    EXPECT_EQ(idleAndPaint(p, editor, 40), 10);
    EXPECT_EQ(idleAndPaint(p, editor, 41), 10);
    p.fx->redrawRate = 0;
    EXPECT_EQ(idleAndPaint(p, editor, 100), 0);
    // A paint the system asks for shows the kept drawing again without
    // running the section.
    InvalidateRect(editor, nullptr, FALSE);
    UpdateWindow(editor);
    EXPECT_EQ(gDraws, initial + 1 + 10 + 10);
}

// Wine answers 0 for the process's GDI and USER object counts, so the
// drawing layer's own count of live objects stands in: open and close cycles
// of a painted editor leave it flat, and the last closed frame shuts GDI+ down.
TEST_F(EditorWindowInProcess, OpenAndCloseCyclesKeepTheDrawingObjectsFlat) {
    HWND host = hostwindow::asHwnd(hostwindow::hostWindow());
    auto cycle = [&] {
        p.dispatch(effEditClose);
        p.dispatch(effEditOpen, 0, 0, host);
        UpdateWindow(GetWindow(host, GW_CHILD));
        hostwindow::pumpMessages();
    };
    for (int i = 0; i < 20; ++i)
        cycle();
    const int64_t before = VSTGUI::liveDrawingObjectCount();
    const int draws = gDraws;
    for (int i = 0; i < 200; ++i)
        cycle();
    EXPECT_EQ(gDraws, draws + 200);  // every cycle painted its new window
    EXPECT_EQ(VSTGUI::liveDrawingObjectCount(), before);
    EXPECT_EQ(VSTGUI::GDIPlusGlobals::getUserCount(), 1);
    p.dispatch(effEditClose);
    EXPECT_EQ(VSTGUI::GDIPlusGlobals::getUserCount(), 0);
    EXPECT_EQ(hostwindow::countChildren(), 0);
}

}  // namespace
