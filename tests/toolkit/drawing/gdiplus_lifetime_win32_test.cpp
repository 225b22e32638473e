// GDI+ is started by the first user (frame or bitmap) and shut down by the
// last; fonts are dropped at every shutdown and work again after a restart.
#include "gui/toolkit/drawingbackend.h"
#include "gui/toolkit/drawingobjects.h"
#include "gui/toolkit/fontdesc.h"
#include "pixels.h"

#include <gtest/gtest.h>

namespace VSTGUI {
namespace {

using namespace VSTGUI::testing;

double measureHello() {
    COffscreenContext context(nullptr, 10.0, 10.0);
    return context.getStringWidth("Hello");
}

TEST(GdiplusLifetime, ABitmapKeepsGdiplusAfterTheLastFrame) {
    ASSERT_EQ(GDIPlusGlobals::getUserCount(), 0);
    const int32_t startups = GDIPlusGlobals::getStartupCount();
    const int64_t objects = liveDrawingObjectCount();

    GDIPlusGlobals::enter();  // a frame opens
    auto* logo = new CBitmap(CResourceDescription(0));
    GDIPlusGlobals::exit();  // the frame closes while the script holds the image
    EXPECT_EQ(GDIPlusGlobals::getUserCount(), 1);
    EXPECT_EQ(logo->getWidth(), 99);
    EXPECT_EQ(pixelAt(logo, 50, 50), 0xff00c0c0u);  // the image is still usable
    logo->forget();
    EXPECT_EQ(GDIPlusGlobals::getUserCount(), 0);
    EXPECT_EQ(GDIPlusGlobals::getGeneration(), 0);
    EXPECT_EQ(GDIPlusGlobals::getStartupCount(), startups + 1);
    EXPECT_EQ(liveDrawingObjectCount(), objects);

    // The next use starts it again.
    CBitmap again(CResourceDescription(0));
    EXPECT_EQ(GDIPlusGlobals::getStartupCount(), startups + 2);
    EXPECT_EQ(again.getWidth(), 99);
}

TEST(GdiplusLifetime, FontsAreDroppedAtShutdownAndMadeAgainAfterRestart) {
    ASSERT_EQ(GDIPlusGlobals::getUserCount(), 0);
    const int64_t objects = liveDrawingObjectCount();
    auto* scriptFont = new CFontDesc("Arial", 20);

    GDIPlusGlobals::enter();
    const double first = measureHello();
    ASSERT_GT(first, 0);
    ASSERT_NE(kSystemFont->getPlatformFont(), nullptr);
    ASSERT_NE(scriptFont->getPlatformFont(), nullptr);
    EXPECT_GT(liveDrawingObjectCount(), objects);
    GDIPlusGlobals::exit();
    // Every platform font went with the shutdown.
    EXPECT_EQ(liveDrawingObjectCount(), objects);
    EXPECT_EQ(kSystemFont->getPlatformFont(), nullptr);

    GDIPlusGlobals::enter();
    EXPECT_EQ(measureHello(), first);
    PlatformFont* remade = scriptFont->getPlatformFont();
    ASSERT_NE(remade, nullptr);
    EXPECT_TRUE(backend::isFontCurrent(remade));
    EXPECT_NE(remade->get(), nullptr);
    GDIPlusGlobals::exit();
    scriptFont->forget();
    EXPECT_EQ(liveDrawingObjectCount(), objects);
}

TEST(GdiplusLifetime, AContextOutlivingTheShutdownNoLongerTouchesGdiplus) {
    ASSERT_EQ(GDIPlusGlobals::getUserCount(), 0);
    HDC memory = CreateCompatibleDC(nullptr);
    ASSERT_NE(memory, nullptr);
    GDIPlusGlobals::enter();
    auto* context = new CDrawContext(nullptr, memory);
    ASSERT_NE(context->getPlatformGraphics(), nullptr);
    EXPECT_GT(context->getStringWidth("Hello"), 0);
    GDIPlusGlobals::exit();

    // Dead graphics count as none: nothing is measured or drawn.
    EXPECT_EQ(context->getStringWidth("Hello"), -1);
    context->setFrameColor(kRed);
    context->drawRect(CRect(0, 0, 5, 5), kDrawFilledAndStroked);
    context->drawString("Hello", CPoint(0, 10));
    context->forget();
    DeleteDC(memory);
    EXPECT_EQ(GDIPlusGlobals::getUserCount(), 0);
}

TEST(GdiplusLifetime, WithoutAUserNothingIsMade) {
    ASSERT_EQ(GDIPlusGlobals::getUserCount(), 0);
    HDC memory = CreateCompatibleDC(nullptr);
    CDrawContext context(nullptr, memory);
    EXPECT_EQ(context.getPlatformGraphics(), nullptr);
    EXPECT_EQ(context.getStringWidth("Hello"), -1);
    DeleteDC(memory);
}

TEST(GdiplusLifetime, RepeatedWorkLeavesNoObjectsBehind) {
    ASSERT_EQ(GDIPlusGlobals::getUserCount(), 0);
    const int64_t objects = liveDrawingObjectCount();
    const int32_t startups = GDIPlusGlobals::getStartupCount();
    for (int i = 0; i < 50; ++i) {
        GDIPlusGlobals::enter();
        {
            COffscreenContext offscreen(nullptr, 30.0, 30.0);
            CBitmap logo(CResourceDescription(0));
            logo.drawAlphaBlend(&offscreen, CRect(0, 0, 30, 30), CPoint(), 100);
            offscreen.drawString("Hello", CRect(0, 0, 30, 30));
            offscreen.drawArc(CRect(0, 0, 30, 30), 10, 200, kDrawFilledAndStroked);
            COffscreenContext copy(&offscreen, &logo);
        }
        GDIPlusGlobals::exit();
    }
    EXPECT_EQ(liveDrawingObjectCount(), objects);
    EXPECT_EQ(GDIPlusGlobals::getStartupCount(), startups + 50);
}

}  // namespace
}  // namespace VSTGUI
