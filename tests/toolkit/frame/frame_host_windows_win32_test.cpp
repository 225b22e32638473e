// The frame and the host's windows around it: position and size queries and
// a resize that grows the windows hugging the frame.
#include "test_windows_win32.h"

#include "gui/toolkit/frame.h"

#include <gtest/gtest.h>

#include <utility>

namespace frametest {
namespace {

using namespace VSTGUI;

// Width and height of the window with its decorations.
std::pair<long, long> outerSize(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

std::pair<long, long> size(long width, long height) {
    return {width, height};
}

// top (400 x 300) holds middle at (10,10), middle holds inner at (30,20)
// (200 x 100), and inner holds the 200 x 100 frame.
class HostWindows : public ::testing::Test {
  protected:
    void build(int middleWidth, int middleHeight, int topWidth = 400, int topHeight = 300) {
        top = createHostWindow(nullptr, 50, 40, topWidth, topHeight);
        middle = createHostWindow(top, 10, 10, middleWidth, middleHeight);
        inner = createHostWindow(middle, 30, 20, 200, 100);
        frame = new CFrame(CRect(0, 0, 200, 100), inner, nullptr);
        ASSERT_NE(nullptr, frame->getSystemWindow());
    }
    void TearDown() override {
        if (frame)
            frame->forget();
        if (top)
            DestroyWindow(top);
    }

    HWND top = nullptr;
    HWND middle = nullptr;
    HWND inner = nullptr;
    CFrame* frame = nullptr;
};

TEST_F(HostWindows, SizeIsTheParentsRectangleInItsGrandparentsClientArea) {
    build(300, 200);
    CRect rect;
    ASSERT_TRUE(frame->getSize(rect));
    EXPECT_EQ(CRect(40, 30, 240, 130), rect);
    CRect byPointer;
    ASSERT_TRUE(frame->getSize(&byPointer));
    EXPECT_EQ(rect, byPointer);
}

TEST_F(HostWindows, PositionIsThatOfTheOutermostWindowHuggingTheFrame) {
    build(300, 200);  // middle is 100 wider than the frame: inner is the outer window
    CCoord x = -1;
    CCoord y = -1;
    ASSERT_TRUE(frame->getPosition(x, y));
    EXPECT_EQ(30, x);
    EXPECT_EQ(20, y);
}

TEST_F(HostWindows, PositionWalksUpWhileWindowsAreAtMostSixtyPixelsLarger) {
    build(260, 160);
    CCoord x = -1;
    CCoord y = -1;
    ASSERT_TRUE(frame->getPosition(x, y));
    EXPECT_EQ(10, x);
    EXPECT_EQ(10, y);
}

TEST_F(HostWindows, ResizeStopsAtAWindowWithWideDecorations) {
    build(300, 200);
    ASSERT_TRUE(frame->setSize(250, 120));
    EXPECT_EQ(CRect(0, 0, 250, 120), frame->getViewSize());
    EXPECT_EQ(size(250, 120), outerSize(static_cast<HWND>(frame->getSystemWindow())));
    EXPECT_EQ(size(250, 120), outerSize(inner));
    EXPECT_EQ(size(300, 200), outerSize(middle));
}

TEST_F(HostWindows, ResizeGrowsHuggingWindowsByTheirDecorations) {
    build(220, 110);
    ASSERT_TRUE(frame->setSize(250, 120));
    EXPECT_EQ(size(270, 130), outerSize(middle));
    EXPECT_EQ(size(400, 300), outerSize(top));
}

TEST_F(HostWindows, ResizeEndsWhereTheDecorationIsTwoDialogFrames) {
    const int dialogFrame = GetSystemMetrics(SM_CYDLGFRAME);
    if (dialogFrame == 0 || 2 * dialogFrame > 60)
        GTEST_SKIP() << "dialog frame metric " << dialogFrame;
    // top hugs middle too: without the stop it would grow as well.
    build(200 + 2 * dialogFrame, 104, 200 + 2 * dialogFrame + 20, 124);
    ASSERT_TRUE(frame->setSize(250, 120));
    EXPECT_EQ(size(250 + 2 * dialogFrame, 124), outerSize(middle));
    EXPECT_EQ(size(200 + 2 * dialogFrame + 20, 124), outerSize(top));
}

TEST_F(HostWindows, ResizeDoesNotGrowAnMdiClient) {
    top = createHostWindow(nullptr, 50, 40, 400, 300);
    CLIENTCREATESTRUCT client = {};
    middle = CreateWindowExW(0, L"MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 200, 100, top,
                             nullptr, GetModuleHandleW(nullptr), &client);
    if (!middle)
        GTEST_SKIP() << "no MDI client window";
    inner = createHostWindow(middle, 0, 0, 200, 100);
    frame = new CFrame(CRect(0, 0, 200, 100), inner, nullptr);
    ASSERT_TRUE(frame->setSize(230, 110));
    EXPECT_EQ(size(230, 110), outerSize(inner));
    EXPECT_EQ(size(200, 100), outerSize(middle));
}

}  // namespace
}  // namespace frametest
