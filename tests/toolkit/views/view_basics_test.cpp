// CView on its own: hit testing, wheel axes, dirty flags, background
// references, attributes and copies.
#include "recording_views.h"

#include "gui/toolkit/bitmap.h"

#include <gtest/gtest.h>

#include <cstring>

namespace viewtest {
namespace {

TEST(ViewHitTest, InclusiveOnAllFourEdgesOfTheMouseableArea) {
    CView view(CRect(10, 20, 30, 40));
    EXPECT_TRUE(view.hitTest(CPoint(10, 20)));
    EXPECT_TRUE(view.hitTest(CPoint(30, 40)));
    EXPECT_TRUE(view.hitTest(CPoint(10, 40)));
    EXPECT_TRUE(view.hitTest(CPoint(30, 20)));
    EXPECT_FALSE(view.hitTest(CPoint(9.999, 30)));
    EXPECT_FALSE(view.hitTest(CPoint(30.001, 30)));
    EXPECT_FALSE(view.hitTest(CPoint(20, 19.999)));
    EXPECT_FALSE(view.hitTest(CPoint(20, 40.001)));

    // The mouseable area, not the size, decides.
    view.setMouseableArea(CRect(0, 0, 5, 5));
    EXPECT_TRUE(view.hitTest(CPoint(5, 5)));
    EXPECT_FALSE(view.hitTest(CPoint(20, 30)));
    CRect area;
    EXPECT_EQ(view.getMouseableArea(area), CRect(0, 0, 5, 5));
    EXPECT_EQ(view.getViewSize(), CRect(10, 20, 30, 40));
}

TEST(ViewWheel, HorizontalAxisNegatesTheDistanceVerticalPassesIt) {
    RecordingView view(CRect(0, 0, 10, 10));
    const CPoint where(3, 4);
    const float distance = 2.5f;
    EXPECT_TRUE(view.onWheel(where, kMouseWheelAxisX, distance, 0));
    EXPECT_TRUE(view.onWheel(where, kMouseWheelAxisY, distance, 0));
    const CMouseWheelAxis otherAxis = static_cast<CMouseWheelAxis>(7);
    view.wheelResult = false;
    EXPECT_FALSE(view.onWheel(where, otherAxis, distance, 0));
    ASSERT_EQ(view.wheels.size(), 3u);
    EXPECT_EQ(view.wheels[0].second, -2.5f);
    EXPECT_EQ(view.wheels[1].second, 2.5f);
    EXPECT_EQ(view.wheels[2].second, 2.5f);
    EXPECT_EQ(view.wheels[0].first, where);
}

TEST(ViewDirty, SizeAndVisibilityChangesMarkTheViewDirty) {
    CView view(CRect(0, 0, 10, 10));
    EXPECT_FALSE(view.isDirty());
    view.setViewSize(CRect(1, 1, 5, 5), false);
    EXPECT_EQ(view.getViewSize(), CRect(1, 1, 5, 5));
    EXPECT_FALSE(view.isDirty());
    view.setViewSize(CRect(2, 2, 5, 5), true);
    EXPECT_TRUE(view.isDirty());

    view.setDirty(false);
    view.setVisible(true);  // unchanged
    EXPECT_FALSE(view.isDirty());
    view.setVisible(false);
    EXPECT_FALSE(view.isVisible());
    EXPECT_TRUE(view.isDirty());

    view.setDirty(true);
    view.invalid();  // clears dirty even when detached
    EXPECT_FALSE(view.isDirty());

    // Drawing clears it too, with or without a context.
    view.setDirty(true);
    view.draw(nullptr);
    EXPECT_FALSE(view.isDirty());
}

TEST(ViewBackground, HoldsOneReferenceAndMarksDirty) {
    auto* bitmap = new CBitmap();
    CView* view = new CView(CRect(0, 0, 10, 10));
    view->setBackground(bitmap);
    EXPECT_EQ(bitmap->getNbReference(), 2);
    EXPECT_TRUE(view->isDirty());
    view->setBackground(bitmap);  // the same bitmap again keeps one reference
    EXPECT_EQ(bitmap->getNbReference(), 2);

    CView* copy = view->newCopy();
    EXPECT_EQ(copy->getBackground(), bitmap);
    EXPECT_EQ(bitmap->getNbReference(), 3);
    copy->forget();
    view->setBackground(nullptr);
    EXPECT_EQ(bitmap->getNbReference(), 1);
    view->setBackground(bitmap);
    view->forget();
    EXPECT_EQ(bitmap->getNbReference(), 1);
    bitmap->forget();
}

TEST(ViewAttributes, ReplaceGrowAndFailRules) {
    CView view(CRect(0, 0, 1, 1));
    int32_t size = -7;
    char buffer[16] = {};
    EXPECT_FALSE(view.getAttributeSize(42, size));
    EXPECT_FALSE(view.getAttribute(42, sizeof buffer, buffer, size));
    EXPECT_EQ(size, -7);

    ASSERT_TRUE(view.setAttribute(42, 4, "abcd"));
    ASSERT_TRUE(view.setAttribute(7, 2, "xy"));
    ASSERT_TRUE(view.getAttributeSize(42, size));
    EXPECT_EQ(size, 4);

    // Shorter data replaces the old and reports the new size.
    ASSERT_TRUE(view.setAttribute(42, 2, "QR"));
    ASSERT_TRUE(view.getAttribute(42, sizeof buffer, buffer, size));
    EXPECT_EQ(size, 2);
    EXPECT_EQ(std::memcmp(buffer, "QR", 2), 0);

    // Longer data grows the block.
    const char longer[] = "0123456789abc";
    ASSERT_TRUE(view.setAttribute(42, 13, longer));
    ASSERT_TRUE(view.getAttribute(42, 13, buffer, size));
    EXPECT_EQ(size, 13);
    EXPECT_EQ(std::memcmp(buffer, longer, 13), 0);

    // A buffer smaller than the stored size fails and leaves the output alone.
    char small[12] = {};
    size = -1;
    EXPECT_FALSE(view.getAttribute(42, sizeof small, small, size));
    EXPECT_EQ(size, -1);
    EXPECT_EQ(small[0], 0);

    // The other identifier is untouched.
    ASSERT_TRUE(view.getAttribute(7, 2, buffer, size));
    EXPECT_EQ(std::memcmp(buffer, "xy", 2), 0);

    // Bad input.
    EXPECT_FALSE(view.setAttribute(9, -1, "a"));
    EXPECT_FALSE(view.setAttribute(9, 3, nullptr));
    EXPECT_TRUE(view.setAttribute(9, 0, nullptr));
    ASSERT_TRUE(view.getAttributeSize(9, size));
    EXPECT_EQ(size, 0);

    EXPECT_TRUE(view.removeAttribute(42));
    EXPECT_FALSE(view.removeAttribute(42));
    EXPECT_FALSE(view.getAttributeSize(42, size));
    EXPECT_TRUE(view.getAttributeSize(7, size));
}

TEST(ViewCopy, CopiesStateButNotAttachmentDirtOrVisibility) {
    RecordingRoot root(CRect(0, 0, 100, 100));
    root.attach();
    auto* original = new CView(CRect(1, 2, 3, 4));
    original->setMouseableArea(CRect(0, 0, 9, 9));
    original->setMouseEnabled(false);
    original->setTransparency(true);
    original->setWantsFocus(true);
    original->setAutosizeFlags(kAutosizeRight | kAutosizeBottom);
    ASSERT_TRUE(original->setAttribute(5, 3, "abc"));
    ASSERT_TRUE(root.addView(original));
    original->setVisible(false);
    ASSERT_TRUE(original->isDirty());

    CView* copy = original->newCopy();
    EXPECT_EQ(copy->getViewSize(), CRect(1, 2, 3, 4));
    EXPECT_EQ(copy->getMouseableArea(), CRect(0, 0, 9, 9));
    EXPECT_FALSE(copy->getMouseEnabled());
    EXPECT_TRUE(copy->getTransparency());
    EXPECT_TRUE(copy->wantsFocus());
    EXPECT_EQ(copy->getAutosizeFlags(), kAutosizeRight | kAutosizeBottom);
    EXPECT_TRUE(copy->isVisible());
    EXPECT_FALSE(copy->isDirty());
    EXPECT_FALSE(copy->isAttached());
    EXPECT_EQ(copy->getParentView(), nullptr);
    EXPECT_EQ(copy->getNbReference(), 1);

    // The attributes are the copy's own.
    char buffer[3];
    int32_t size = 0;
    ASSERT_TRUE(original->setAttribute(5, 3, "xyz"));
    ASSERT_TRUE(copy->getAttribute(5, 3, buffer, size));
    EXPECT_EQ(std::memcmp(buffer, "abc", 3), 0);
    copy->forget();
}

}  // namespace
}  // namespace viewtest
