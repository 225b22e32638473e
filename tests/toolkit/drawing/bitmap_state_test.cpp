// Bitmaps and offscreen contexts: what holds on every platform.
#include "gui/toolkit/bitmap.h"
#include "gui/toolkit/drawcontext.h"

#include <gtest/gtest.h>

#include <string>

namespace VSTGUI {
namespace {

TEST(BitmapState, AbsentResourceGivesZeroSizeAndStoredDescription) {
    CBitmap bitmap(CResourceDescription(7));
    EXPECT_EQ(bitmap.getWidth(), 0);
    EXPECT_EQ(bitmap.getHeight(), 0);
    EXPECT_FALSE(bitmap.isLoaded());
    EXPECT_EQ(bitmap.getResourceDescription().type, CResourceDescription::kIntegerType);
    EXPECT_EQ(bitmap.getResourceDescription().id, 7);
    EXPECT_EQ(bitmap.getPlatformImage(), nullptr);

    // Loading answers true whatever happens; the size tells.
    EXPECT_TRUE(bitmap.loadFromResource(CResourceDescription(-3)));
    EXPECT_TRUE(bitmap.loadFromResource(CResourceDescription(70000)));
    EXPECT_TRUE(bitmap.loadFromResource(CResourceDescription(static_cast<const char*>(nullptr))));
    EXPECT_EQ(bitmap.getResourceDescription().type, CResourceDescription::kUnknownType);
    EXPECT_EQ(bitmap.getWidth(), 0);
}

TEST(BitmapState, NamedDescriptionKeepsItsOwnCopyOfTheName) {
    std::string name = "NOSUCHIMAGE";
    CBitmap bitmap(CResourceDescription(name.c_str()));
    name = "changed";
    EXPECT_STREQ(bitmap.getResourceDescription().name, "NOSUCHIMAGE");
}

TEST(BitmapState, StoredFlagsAndDispose) {
    CBitmap bitmap;
    EXPECT_EQ(bitmap.getTransparentColor(), kTransparentCColor);
    EXPECT_TRUE(bitmap.getNoAlpha());
    bitmap.setTransparentColor(CColor{1, 2, 3, 4});
    EXPECT_EQ(bitmap.getTransparentColor(), (CColor{1, 2, 3, 4}));
    bitmap.dispose();
    EXPECT_FALSE(bitmap.getNoAlpha());
    EXPECT_EQ(bitmap.getWidth(), 0);
    EXPECT_FALSE(bitmap.loadFromPath("anything"));
    EXPECT_FALSE(bitmap.loadFromPath(nullptr));
}

TEST(BitmapState, DrawingWithoutContextOrImageIsHarmless) {
    CBitmap bitmap(CResourceDescription(7));
    bitmap.draw(nullptr, CRect(0, 0, 10, 10));
    bitmap.drawAlphaBlend(nullptr, CRect(0, 0, 10, 10), CPoint(), 10);
    CDrawContext context(nullptr, nullptr, nullptr);
    bitmap.drawTransparent(&context, CRect(0, 0, 10, 10));
    EXPECT_EQ(bitmap.getWidth(), 0);
}

TEST(BitmapState, FileLoaderRejectsNullAndMissingFiles) {
    EXPECT_EQ(loadBitmapFromFile(nullptr), nullptr);
    EXPECT_EQ(loadBitmapFromFile(""), nullptr);
    EXPECT_EQ(loadBitmapFromFile("no/such/file.png"), nullptr);
}

TEST(OffscreenState, SizeClipAndBackgroundAreKept) {
    COffscreenContext offscreen(nullptr, 64, 48, CColor{10, 20, 30, 255});
    EXPECT_EQ(offscreen.getWidth(), 64);
    EXPECT_EQ(offscreen.getHeight(), 48);
    CRect clip;
    EXPECT_EQ(offscreen.getClipRect(clip), CRect(0, 0, 64, 48));
    EXPECT_EQ(offscreen.getBackgroundColor(), (CColor{10, 20, 30, 255}));
    ASSERT_NE(offscreen.getBitmap(), nullptr);
    EXPECT_EQ(offscreen.getBitmap()->getWidth(), 64);
    EXPECT_EQ(offscreen.getBitmap()->getHeight(), 48);
    EXPECT_NE(offscreen.getPlatformGraphics(), nullptr);
}

TEST(OffscreenState, ZeroAndNegativeSizesAreHarmless) {
    COffscreenContext empty(nullptr, 0.0, 0.0);
    EXPECT_EQ(empty.getBitmap()->getWidth(), 0);
    EXPECT_EQ(empty.getPlatformGraphics(), nullptr);
    empty.fillRect(CRect(0, 0, 10, 10));
    COffscreenContext negative(nullptr, -5, 3);
    EXPECT_EQ(negative.getPlatformGraphics(), nullptr);
    negative.copyFrom(nullptr, CRect(0, 0, 1, 1));
    negative.copyFrom(&empty, CRect(0, 0, 1, 1));
    CRect clip;
    EXPECT_EQ(negative.getClipRect(clip), CRect(0, 0, -5, 3));
}

TEST(OffscreenState, CompatibleFormTakesTheBitmapSizeOrTwentySquare) {
    COffscreenContext withoutBitmap(nullptr, nullptr);
    EXPECT_EQ(withoutBitmap.getWidth(), 20);
    EXPECT_EQ(withoutBitmap.getHeight(), 20);
    CRect clip;
    EXPECT_EQ(withoutBitmap.getClipRect(clip), CRect(0, 0, 20, 20));

    auto* source = new CBitmap(30, 40);
    {
        CDrawContext context(nullptr, nullptr, nullptr);
        COffscreenContext copy(&context, source, false);
        COffscreenContext direct(&context, source, true);
        EXPECT_EQ(copy.getWidth(), 30);
        EXPECT_EQ(copy.getHeight(), 40);
        EXPECT_EQ(direct.getBitmap(), source);
        EXPECT_EQ(source->getNbReference(), 2);
        EXPECT_NE(copy.getBitmap(), source);
    }
    EXPECT_EQ(source->getNbReference(), 1);
    source->forget();
}

}  // namespace
}  // namespace VSTGUI
