// Counting of the process-wide graphics start-up (the same on every platform).
#include "gui/toolkit/bitmap.h"
#include "gui/toolkit/drawcontext.h"
#include "gui/toolkit/drawingobjects.h"
#include "gui/toolkit/gdiplusglobals.h"

#include <gtest/gtest.h>

namespace VSTGUI {
namespace {

TEST(GDIPlusGlobals, FirstUserStartsAndLastUserStops) {
    ASSERT_EQ(GDIPlusGlobals::getUserCount(), 0);
    const int32_t startups = GDIPlusGlobals::getStartupCount();
    EXPECT_EQ(GDIPlusGlobals::getGeneration(), 0);

    GDIPlusGlobals::enter();
    EXPECT_EQ(GDIPlusGlobals::getStartupCount(), startups + 1);
    EXPECT_EQ(GDIPlusGlobals::getGeneration(), startups + 1);
    GDIPlusGlobals::enter();
    EXPECT_EQ(GDIPlusGlobals::getUserCount(), 2);
    EXPECT_EQ(GDIPlusGlobals::getStartupCount(), startups + 1);
    GDIPlusGlobals::exit();
    EXPECT_EQ(GDIPlusGlobals::getUserCount(), 1);
    EXPECT_NE(GDIPlusGlobals::getGeneration(), 0);
    GDIPlusGlobals::exit();
    EXPECT_EQ(GDIPlusGlobals::getUserCount(), 0);
    EXPECT_EQ(GDIPlusGlobals::getGeneration(), 0);

    // The next user starts again, under a new generation.
    GDIPlusGlobals::enter();
    EXPECT_EQ(GDIPlusGlobals::getStartupCount(), startups + 2);
    EXPECT_EQ(GDIPlusGlobals::getGeneration(), startups + 2);
    GDIPlusGlobals::exit();
}

TEST(GDIPlusGlobals, UnbalancedExitIsIgnored) {
    ASSERT_EQ(GDIPlusGlobals::getUserCount(), 0);
    GDIPlusGlobals::exit();
    EXPECT_EQ(GDIPlusGlobals::getUserCount(), 0);
    GDIPlusGlobals::enter();
    EXPECT_EQ(GDIPlusGlobals::getUserCount(), 1);
    GDIPlusGlobals::exit();
}

TEST(GDIPlusGlobals, EveryBitmapIsAUserForItsLife) {
    ASSERT_EQ(GDIPlusGlobals::getUserCount(), 0);
    const int32_t startups = GDIPlusGlobals::getStartupCount();
    GDIPlusGlobals::enter();  // stands for a frame
    auto* bitmap = new CBitmap(CResourceDescription(7));
    EXPECT_EQ(GDIPlusGlobals::getUserCount(), 2);
    GDIPlusGlobals::exit();  // the frame goes; the bitmap keeps the library started
    EXPECT_EQ(GDIPlusGlobals::getUserCount(), 1);
    EXPECT_NE(GDIPlusGlobals::getGeneration(), 0);
    bitmap->forget();
    EXPECT_EQ(GDIPlusGlobals::getUserCount(), 0);
    EXPECT_EQ(GDIPlusGlobals::getStartupCount(), startups + 1);

    // An offscreen context owns a bitmap, hence keeps the library started.
    auto* offscreen = new COffscreenContext(nullptr, 10, 10);
    EXPECT_EQ(GDIPlusGlobals::getUserCount(), 1);
    offscreen->forget();
    EXPECT_EQ(GDIPlusGlobals::getUserCount(), 0);
}

TEST(DrawingObjects, CountReturnsToItsStartAfterWork) {
    const int64_t before = liveDrawingObjectCount();
    {
        auto* offscreen = new COffscreenContext(nullptr, 32, 16);
        offscreen->setFillColor(kWhiteCColor);
        offscreen->fillRect(CRect(0, 0, 5, 5));
        offscreen->getStringWidth("abc");
        offscreen->forget();
    }
    EXPECT_EQ(liveDrawingObjectCount(), before);
}

}  // namespace
}  // namespace VSTGUI
