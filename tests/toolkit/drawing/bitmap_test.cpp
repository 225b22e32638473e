// Bitmaps: the embedded "DATA" images of this executable (see
// fixtures/drawing_fixtures.rc), empty bitmaps, drawing with a source offset
// and alpha, copies and offscreen contexts.
#include "pixels.h"

#ifndef _WIN32
#include "gui/toolkit/embeddedresources.h"

#include <cstdio>
#include <fstream>
#include <string>
#endif

#include <gtest/gtest.h>

#include <vector>

namespace VSTGUI {
namespace {

using namespace VSTGUI::testing;

constexpr uint32_t kLogoBorder = 0xff006060;  // rgb(0, 96, 96)
constexpr uint32_t kLogoCentre = 0xff00c0c0;  // rgb(0, 192, 192), pixels 33..65

// A 99 x 99 offscreen filled opaque black.
class BlackCanvas : public COffscreenContext {
  public:
    BlackCanvas() : COffscreenContext(nullptr, 99.0, 99.0) { fillRect(CRect(0, 0, 99, 99)); }
};

TEST(Bitmap, EmbeddedImagesLoadAtTheirSize) {
    for (int32_t id : {0, 1, 2}) {
        CBitmap bitmap{CResourceDescription(id)};
        EXPECT_EQ(bitmap.getWidth(), 99) << id;
        EXPECT_EQ(bitmap.getHeight(), 99) << id;
        EXPECT_TRUE(bitmap.isLoaded());
    }
    CBitmap named(CResourceDescription("LOGO"));
    EXPECT_EQ(named.getWidth(), 99);
    EXPECT_EQ(pixelAt(&named, 50, 50), kLogoCentre);

    CBitmap absent(CResourceDescription(7));
    EXPECT_EQ(absent.getWidth(), 0);
    EXPECT_EQ(absent.getHeight(), 0);
    BlackCanvas canvas;
    absent.draw(&canvas, CRect(0, 0, 99, 99));
    EXPECT_EQ(pixelAt(canvas, 50, 50), 0xff000000);

    // Reloading replaces the image; a failed reload leaves nothing.
    CBitmap reloaded(CResourceDescription(0));
    reloaded.loadFromResource(CResourceDescription(7));
    EXPECT_EQ(reloaded.getWidth(), 0);
    EXPECT_EQ(reloaded.getPlatformImage(), nullptr);
}

TEST(Bitmap, DecodedPixelsKeepColourAndAlpha) {
    BlackCanvas canvas;
    CBitmap logo(CResourceDescription(0));
    logo.draw(&canvas, CRect(0, 0, 99, 99));
    EXPECT_EQ(pixelAt(canvas, 5, 5), kLogoBorder);
    EXPECT_EQ(pixelAt(canvas, 50, 50), kLogoCentre);

    CBitmap text(CResourceDescription(1));
    text.draw(&canvas, CRect(0, 0, 99, 99));
    EXPECT_EQ(pixelAt(canvas, 15, 15), kRed.argb());
    EXPECT_EQ(pixelAt(canvas, 50, 50), kLogoCentre);  // transparent: the logo shows

    BlackCanvas blue;
    CBitmap title(CResourceDescription(2));
    title.drawTransparent(&blue, CRect(0, 0, 99, 99));
    EXPECT_NEAR(blueOf(pixelAt(blue, 40, 40)), 128, 2);
    EXPECT_EQ(redOf(pixelAt(blue, 40, 40)), 0);
}

TEST(Bitmap, SourceOffsetAndNoScaling) {
    CBitmap logo(CResourceDescription(0));
    COffscreenContext canvas(nullptr, 60.0, 60.0);
    logo.draw(&canvas, CRect(0, 0, 10, 10), CPoint(33, 33));
    EXPECT_EQ(pixelAt(canvas, 0, 0), kLogoCentre);
    EXPECT_EQ(pixelAt(canvas, 9, 9), kLogoCentre);
    EXPECT_EQ(pixelAt(canvas, 10, 10), kNothing);

    COffscreenContext unscaled(nullptr, 60.0, 60.0);
    unscaled.setOffset(CPoint(2, 3));
    logo.draw(&unscaled, CRect(0.9, 0.9, 50.9, 50.9));  // truncated to (0, 0, 50, 50)
    EXPECT_EQ(pixelAt(unscaled, 2, 3), kLogoBorder);
    EXPECT_EQ(pixelAt(unscaled, 2 + 33, 3 + 33), kLogoCentre);
    EXPECT_EQ(pixelAt(unscaled, 2 + 32, 3 + 32), kLogoBorder);
    EXPECT_EQ(pixelAt(unscaled, 52, 53), kNothing);

    // Reversed or empty destinations draw nothing.
    COffscreenContext untouched(nullptr, 20.0, 20.0);
    logo.draw(&untouched, CRect(10, 10, 0, 0));
    logo.draw(&untouched, CRect(5, 5, 5, 15));
    EXPECT_EQ(countDrawn(untouched), 0);
}

TEST(Bitmap, AlphaBlendScalesTheSourceAlpha) {
    CBitmap logo(CResourceDescription(0));
    BlackCanvas half;
    logo.drawAlphaBlend(&half, CRect(0, 0, 99, 99), CPoint(), 128);
    EXPECT_NEAR(greenOf(pixelAt(half, 50, 50)), 96, 2);
    EXPECT_NEAR(greenOf(pixelAt(half, 5, 5)), 48, 2);
    EXPECT_EQ(alphaOf(pixelAt(half, 5, 5)), 255);

    BlackCanvas none;
    logo.drawAlphaBlend(&none, CRect(0, 0, 99, 99), CPoint(), 0);
    EXPECT_EQ(pixelAt(none, 50, 50), 0xff000000);

    BlackCanvas shifted;
    logo.drawAlphaBlend(&shifted, CRect(10, 10, 20, 20), CPoint(33, 33), 255);
    EXPECT_EQ(pixelAt(shifted, 10, 10), kLogoCentre);
    EXPECT_EQ(pixelAt(shifted, 20, 20), 0xff000000);
}

TEST(Bitmap, EmptyBitmapOfASize) {
    CBitmap bitmap(20, 30);
    EXPECT_EQ(bitmap.getWidth(), 20);
    EXPECT_EQ(bitmap.getHeight(), 30);
    EXPECT_TRUE(bitmap.getNoAlpha());
    EXPECT_EQ(bitmap.getTransparentColor(), kTransparentCColor);
    EXPECT_EQ(pixelAt(&bitmap, 19, 29), kNothing);
    CBitmap zero(0.0, 30.0);
    EXPECT_EQ(zero.getWidth(), 0);
    CBitmap negative(-4.0, -4.0);
    EXPECT_EQ(negative.getHeight(), 0);
    CBitmap fromNull(static_cast<PlatformImage*>(nullptr));
    EXPECT_EQ(fromNull.getWidth(), 0);
}

// The copied rows agree with the pixels read one by one: opaque, half
// transparent (straight colour) and empty, top row first.
TEST(Bitmap, CopiedPixelsAreEveryPixelInRows) {
    CBitmap logo(CResourceDescription(0));
    COffscreenContext canvas(nullptr, 7.0, 5.0);
    logo.drawAlphaBlend(&canvas, CRect(0, 0, 3, 5), CPoint(33, 33), 128);
    canvas.setFillColor(kRed);
    canvas.fillRect(CRect(3, 1, 6, 2));
    std::vector<uint32_t> rows(7 * 5, 0x12345678);
    ASSERT_TRUE(canvas.getBitmap()->copyPixels(rows.data()));
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 7; ++x)
            EXPECT_EQ(rows[static_cast<size_t>(y * 7 + x)], pixelAt(canvas, x, y)) << x << "," << y;
    EXPECT_EQ(rows[1 * 7 + 4], kRed.argb());
    EXPECT_EQ(rows[4 * 7 + 6], kNothing);
    EXPECT_NEAR(alphaOf(rows[0]), 128, 1);
    EXPECT_NEAR(greenOf(rows[0]), 192, 2);  // the logo's centre, not premultiplied

    CBitmap empty;
    uint32_t untouched = 0x12345678;
    EXPECT_FALSE(empty.copyPixels(&untouched));
    EXPECT_EQ(untouched, 0x12345678u);
    EXPECT_FALSE(logo.copyPixels(nullptr));
}

TEST(Bitmap, CopyOfAnImageOutlivesTheSource) {
    auto* logo = new CBitmap(CResourceDescription(0));
    CBitmap copy(logo->getPlatformImage());
    logo->forget();
    EXPECT_EQ(copy.getWidth(), 99);
    EXPECT_EQ(pixelAt(&copy, 50, 50), kLogoCentre);
}

TEST(Offscreen, CopyFromDrawsTheBitmapWithASourceOffset) {
    COffscreenContext source(nullptr, 20.0, 20.0);
    source.setFillColor(kRed);
    source.fillRect(CRect(10, 10, 20, 20));
    COffscreenContext target(nullptr, 30.0, 30.0);
    source.copyFrom(&target, CRect(5, 5, 15, 15), CPoint(10, 10));
    EXPECT_EQ(pixelAt(target, 5, 5), kRed.argb());
    EXPECT_EQ(pixelAt(target, 14, 14), kRed.argb());
    EXPECT_EQ(countDrawn(target), 100);
}

TEST(Offscreen, CompatibleFormCopiesOrDrawsIntoTheBitmap) {
    CDrawContext screen(nullptr, nullptr, nullptr);
    CBitmap logo(CResourceDescription(0));
    {
        COffscreenContext copy(&screen, &logo, false);
        EXPECT_EQ(copy.getWidth(), 99);
        ASSERT_NE(copy.getBitmap(), &logo);
        EXPECT_EQ(pixelAt(copy, 50, 50), kLogoCentre);
        copy.setFillColor(kRed);
        copy.fillRect(CRect(0, 0, 10, 10));
        EXPECT_EQ(pixelAt(copy, 5, 5), kRed.argb());
        EXPECT_EQ(pixelAt(&logo, 5, 5), kLogoBorder);
    }
    {
        COffscreenContext direct(&screen, &logo, true);
        EXPECT_EQ(direct.getBitmap(), &logo);
        direct.setFillColor(kGreen);
        direct.fillRect(CRect(0, 0, 10, 10));
    }
    EXPECT_EQ(pixelAt(&logo, 5, 5), kGreen.argb());
    EXPECT_EQ(logo.getNbReference(), 1);

    COffscreenContext blank(&screen, nullptr);
    EXPECT_EQ(blank.getBitmap()->getWidth(), 20);
    EXPECT_EQ(pixelAt(blank, 0, 0) & 0x00ffffff, 0u);
    EXPECT_EQ(pixelAt(blank, 19, 19) & 0x00ffffff, 0u);
    COffscreenContext noContext(nullptr, nullptr);
    EXPECT_EQ(noContext.getBitmap()->getHeight(), 20);
}

#ifndef _WIN32
// The Windows build loads files in bitmap_win32_test.cpp, through UTF-8 paths.
TEST(Bitmap, PngFilesLoadAndOtherFilesDoNot) {
    const EmbeddedResource* logo = findEmbeddedResource(0);
    ASSERT_NE(logo, nullptr);
    const std::string good = ::testing::TempDir() + "drawing-logo.png";
    const std::string garbage = ::testing::TempDir() + "drawing-garbage.png";
    std::ofstream(good, std::ios::binary)
        .write(reinterpret_cast<const char*>(logo->data), static_cast<std::streamsize>(logo->size));
    std::ofstream(garbage, std::ios::binary) << "not an image";
    CBitmap* loaded = loadBitmapFromFile(good.c_str());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->getWidth(), 99);
    EXPECT_EQ(pixelAt(loaded, 50, 50), kLogoCentre);
    loaded->forget();
    EXPECT_EQ(loadBitmapFromFile(garbage.c_str()), nullptr);
    std::remove(good.c_str());
    std::remove(garbage.c_str());
}
#endif

}  // namespace
}  // namespace VSTGUI
