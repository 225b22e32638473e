// Opening and closing many frames leaves nothing behind: GDI objects, the
// drawing layer's live objects, the graphics start-up and process memory stay
// flat after a warm-up. The numbers are printed for the record.
#include "event_log_views.h"
#include "test_windows_win32.h"

#include "gui/toolkit/drawingobjects.h"
#include "gui/toolkit/gdiplusglobals.h"

#include <gtest/gtest.h>

#include <psapi.h>

#include <cstdio>

namespace frametest {
namespace {

struct Usage {
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;
    int64_t drawingObjects = 0;
    int32_t graphicsUsers = 0;
    int32_t graphicsStartups = 0;
    SIZE_T pagefile = 0;
    SIZE_T workingSet = 0;
};

Usage measure() {
    Usage usage;
    usage.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    usage.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    usage.drawingObjects = liveDrawingObjectCount();
    usage.graphicsUsers = GDIPlusGlobals::getUserCount();
    usage.graphicsStartups = GDIPlusGlobals::getStartupCount();
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters))) {
        usage.pagefile = counters.PagefileUsage;
        usage.workingSet = counters.WorkingSetSize;
    }
    return usage;
}

void print(const char* when, const Usage& usage) {
    std::printf("[frame lifetime] %-6s GDI objects %lu, USER objects %lu, drawing objects %lld, "
                "GDI+ users %d, GDI+ start-ups %d, pagefile %zu KiB, working set %zu KiB\n",
                when, static_cast<unsigned long>(usage.gdiObjects),
                static_cast<unsigned long>(usage.userObjects),
                static_cast<long long>(usage.drawingObjects), static_cast<int>(usage.graphicsUsers),
                static_cast<int>(usage.graphicsStartups), usage.pagefile / 1024,
                usage.workingSet / 1024);
}

// One editor session: open, paint, click, close.
void openPaintAndClose(HWND host, EventLog& log) {
    auto* frame = new CFrame(CRect(0, 0, 200, 100), host, nullptr);
    auto* view = new EventView(CRect(10, 10, 110, 60), log, "v");
    view->fill = true;
    view->fillColor = CColor{10, 120, 200, 255};
    frame->addView(view);
    view->forget();
    HWND window = static_cast<HWND>(frame->getSystemWindow());
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
    frame->forget();
    pumpMessages();
    log.clear();
}

constexpr int kWarmUp = 100;
constexpr int kFrames = 1000;
constexpr SIZE_T kMemoryTolerance = 8 * 1024 * 1024;

TEST(FrameLifetime, ThousandFramesLeaveNothingBehind) {
    HWND host = createHostWindow(nullptr, 0, 0, 300, 200);
    EventLog log;
    for (int i = 0; i < kWarmUp; ++i)
        openPaintAndClose(host, log);
    const Usage before = measure();
    for (int i = 0; i < kFrames; ++i)
        openPaintAndClose(host, log);
    const Usage after = measure();
    print("before", before);
    print("after", after);

    // Wine reports 0 for both counts; Windows reports the real ones.
    EXPECT_EQ(before.gdiObjects, after.gdiObjects);
    EXPECT_EQ(before.userObjects, after.userObjects);
    EXPECT_EQ(before.drawingObjects, after.drawingObjects);
    EXPECT_EQ(0, after.graphicsUsers);
    // Each frame was the only user: it started the graphics library and shut it down.
    EXPECT_EQ(before.graphicsStartups + kFrames, after.graphicsStartups);
    EXPECT_LT(after.pagefile, before.pagefile + kMemoryTolerance);
    EXPECT_LT(after.workingSet, before.workingSet + kMemoryTolerance);
    EXPECT_FALSE(frameClassRegistered());
    DestroyWindow(host);
}

TEST(FrameLifetime, FramesOpenedBesideALiveOneShareItsStartUp) {
    HWND host = createHostWindow(nullptr, 0, 0, 300, 200);
    auto* resident = new CFrame(CRect(0, 0, 50, 50), host, nullptr);
    const Usage before = measure();
    EventLog log;
    for (int i = 0; i < kWarmUp; ++i)
        openPaintAndClose(host, log);
    const Usage after = measure();
    EXPECT_EQ(1, after.graphicsUsers);
    EXPECT_EQ(before.graphicsStartups, after.graphicsStartups);
    EXPECT_TRUE(frameClassRegistered());
    resident->forget();
    EXPECT_EQ(0, GDIPlusGlobals::getUserCount());
    EXPECT_FALSE(frameClassRegistered());
    DestroyWindow(host);
}

}  // namespace
}  // namespace frametest
