// Recorded drawings and the areas two recordings differ in. The contexts here
// have no graphics: recording needs none, and nothing is drawn.
#include "gui/toolkit/damageregion.h"
#include "gui/toolkit/displaylist.h"
#include "gui/toolkit/drawcontext.h"
#include "gui/toolkit/fontdesc.h"

#include <gtest/gtest.h>

#include <limits>

namespace VSTGUI {
namespace {

TEST(DamageRegion, SnapsOutwardsMergesOverlapsAndKeepsDistantAreasApart) {
    DamageRegion region;
    region.add(CRect(10.5, 10.2, 20.1, 20.9));
    ASSERT_EQ(region.getRects().size(), 1u);
    EXPECT_EQ(region.getRects()[0], CRect(10, 10, 21, 21));
    // Mostly overlapping: one area.
    region.add(CRect(12, 12, 22, 22));
    ASSERT_EQ(region.getRects().size(), 1u);
    EXPECT_EQ(region.getRects()[0], CRect(10, 10, 22, 22));
    // Far away: a second area, not the bounds of both.
    region.add(CRect(300, 200, 310, 210));
    EXPECT_EQ(region.getRects().size(), 2u);
    EXPECT_EQ(region.area(), 144.0 + 100.0);
    EXPECT_EQ(region.bounds(), CRect(10, 10, 310, 210));
    // Empty, reversed and non-finite rectangles add nothing.
    region.add(CRect(5, 5, 5, 9));
    region.add(CRect(9, 9, 5, 5));
    region.add(CRect(0, 0, std::numeric_limits<double>::infinity(), 4));
    region.add(CRect(std::numeric_limits<double>::quiet_NaN(), 0, 4, 4));
    EXPECT_EQ(region.getRects().size(), 2u);
    region.clipTo(CRect(0, 0, 100, 100));
    ASSERT_EQ(region.getRects().size(), 1u);
    EXPECT_EQ(region.getRects()[0], CRect(10, 10, 22, 22));
}

TEST(DamageRegion, ManyAreasBecomeTheirBounds) {
    DamageRegion region;
    for (int i = 0; i <= static_cast<int>(DamageRegion::kMaxRects); ++i)
        region.add(CRect(i * 20, 0, i * 20 + 5, 5));
    ASSERT_EQ(region.getRects().size(), 1u);
    EXPECT_EQ(region.getRects()[0], CRect(0, 0, DamageRegion::kMaxRects * 20 + 5, 5));
}

// A context recording a small panel: a background fill, a picture stand-in
// (a filled square), a fade over it, a line and a text.
struct Panel {
    double fadeAlpha = 0.5;
    CColor fadeColour = kBlackCColor;
    double squareX = 20;
    const char* text = "-9.03";
    bool extraLine = false;

    DisplayList record() const {
        DisplayList list;
        CDrawContext context(nullptr, nullptr, nullptr);
        context.setRecording(&list);
        context.setFillColor(CColor{40, 40, 40, 255});
        context.fillRect(CRect(10, 10, 30, 30));  // drawn before the panel's square
        context.setFillColor(CColor{200, 100, 0, 255});
        context.fillRect(CRect(squareX, 50, squareX + 40, 90));
        CColor fade = fadeColour;
        fade.alpha = static_cast<uint8_t>(fadeAlpha * 255);
        context.setFillColor(fade);
        context.fillRect(CRect(0, 40, 200, 150));
        if (extraLine) {
            context.moveTo(CPoint(300, 10));
            context.lineTo(CPoint(340, 10));
        }
        context.setFrameColor(kWhiteCColor);
        context.moveTo(CPoint(0, 199));
        context.lineTo(CPoint(399, 199));
        context.drawString(text, CRect(250, 100, 300, 118), kLeftText);
        context.setRecording(nullptr);
        return list;
    }
};

const SurfaceBackground kBlackBackground{true, 0x000000};
// The fade's rectangle with the pixel an edge may touch, inside the surface.
const CRect kFadeBounds(0, 39, 201, 151);

TEST(Recording, DrawsNothingAndKeepsWhatEachItemIsDrawnWith) {
    const DisplayList list = Panel{}.record();
    ASSERT_EQ(list.size(), 5u);
    const DisplayItem& square = list.items()[1];
    EXPECT_EQ(square.kind, DisplayItem::Kind::fillRectangle);
    EXPECT_EQ(square.state.fillColor, (CColor{200, 100, 0, 255}.argb()));
    EXPECT_EQ(square.state.penColor, 0u);  // a fill does not read the pen
    EXPECT_TRUE(square.bounds.rectOverlap(CRect(20, 50, 60, 90)));
    const DisplayItem& text = list.items()[4];
    EXPECT_EQ(text.kind, DisplayItem::Kind::text);
    EXPECT_EQ(text.text, "-9.03");
    EXPECT_EQ(text.font.get(), kSystemFont);
    // Clipped to its rectangle: the bounds stay inside it.
    EXPECT_EQ(text.bounds, CRect(250, 100, 300, 118));
}

TEST(ChangedAreas, EqualRecordingsDifferNowhereWhateverColourIsLeftSet) {
    EXPECT_TRUE(changedAreas(Panel{}.record(), Panel{}.record()).isEmpty());
    // The fade's colour stays set on the context for the line and the text,
    // which do not read it: a new fade changes only the fade.
    Panel faded;
    faded.fadeColour = CColor{0, 0, 90, 255};
    const DamageRegion changed = changedAreas(Panel{}.record(), faded.record());
    ASSERT_FALSE(changed.isEmpty());
    EXPECT_EQ(changed.bounds(), kFadeBounds);
}

TEST(ChangedAreas, AMovedItemDamagesWhereItWasAndWhereItIs) {
    Panel moved;
    moved.squareX = 120;
    const DamageRegion changed = changedAreas(Panel{}.record(), moved.record());
    double covered = 0;
    for (const CRect& r : changed.getRects())
        covered += r.width() * r.height();
    EXPECT_GE(covered, 2 * 40 * 40);
    const CRect all = changed.bounds();
    EXPECT_LE(all.left, 20);
    EXPECT_GE(all.right, 160);
    // The text and the line far below were not touched.
    EXPECT_LE(all.bottom, 91);
}

TEST(ChangedAreas, AnItemPutInDamagesOnlyItself) {
    Panel withLine;
    withLine.extraLine = true;
    const DamageRegion changed = changedAreas(Panel{}.record(), withLine.record());
    ASSERT_EQ(changed.getRects().size(), 1u);
    EXPECT_TRUE(CRect(290, 0, 350, 20).rectOverlap(changed.getRects()[0]));
    EXPECT_LE(changed.getRects()[0].right, 350);
    EXPECT_GE(changed.getRects()[0].left, 290);
}

TEST(ChangedAreas, AFadeOfTheBackgroundColourDamagesOnlyWhatLiesUnderIt) {
    Panel dimmer;
    dimmer.fadeAlpha = 0.8;
    const DamageRegion changed = changedAreas(Panel{}.record(), dimmer.record(), kBlackBackground);
    // Only the square (20..60 x 50..90, with a pixel of margin): the first
    // fill ends above the fade.
    ASSERT_FALSE(changed.isEmpty());
    const CRect all = changed.bounds();
    EXPECT_GE(all.left, 18);
    EXPECT_GE(all.top, 40);
    EXPECT_LE(all.right, 62);
    EXPECT_LE(all.bottom, 92);
    // Without a known background the whole fade is damaged.
    EXPECT_EQ(changedAreas(Panel{}.record(), dimmer.record()).bounds(), kFadeBounds);
    // A fade of another colour than the background's changes the whole area.
    Panel grey = dimmer, greyBefore;
    grey.fadeColour = greyBefore.fadeColour = CColor{80, 80, 80, 255};
    EXPECT_EQ(changedAreas(greyBefore.record(), grey.record(), kBlackBackground).bounds(),
              kFadeBounds);
}

TEST(ChangedAreas, ANewTextDamagesItsOwnBox) {
    Panel newValue;
    newValue.text = "-12.41";
    const DamageRegion changed = changedAreas(Panel{}.record(), newValue.record());
    EXPECT_EQ(changed.bounds(), CRect(250, 100, 300, 118));
}

}  // namespace
}  // namespace VSTGUI
