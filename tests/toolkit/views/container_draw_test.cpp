// Container drawing: children outside the update rectangle are skipped, each
// child is drawn under its own clip with the container's origin as offset,
// the background rule, the offscreen cache and dirty flags.
#include "recording_views.h"

#include <gtest/gtest.h>

namespace viewtest {
namespace {

constexpr CRect kNoFrameClip(0, 0, 1000, 1000);

struct DrawTree : ::testing::Test {
    DrawTree() {
        root.attach();
        root.addView(container);
        container->addView(a);
        container->addView(b);
    }
    ~DrawTree() override {
        for (CView* view :
             {static_cast<CView*>(container), static_cast<CView*>(a), static_cast<CView*>(b)})
            view->forget();
    }

    CDrawContext context{nullptr, nullptr, nullptr};
    RecordingRoot root{CRect(0, 0, 200, 200)};
    InspectableContainer* container = new InspectableContainer(CRect(10, 20, 110, 120));
    RecordingView* a = new RecordingView(CRect(0, 0, 50, 50));
    RecordingView* b = new RecordingView(CRect(60, 60, 100, 100));
};

TEST_F(DrawTree, UpdateMissingAChildSkipsItAndClipsTheOther) {
    root.drawRect(&context, CRect(10, 20, 50, 60));
    EXPECT_TRUE(b->draws.empty());
    ASSERT_EQ(a->draws.size(), 1u);
    const DrawRecord& drawn = a->draws[0];
    EXPECT_EQ(drawn.context, &context);
    EXPECT_EQ(drawn.offset, CPoint(10, 20));
    EXPECT_EQ(drawn.windowOffset, CPoint(10, 20));
    EXPECT_EQ(drawn.update, CRect(0, 0, 40, 40));
    EXPECT_EQ(drawn.clip, CRect(0, 0, 40, 40));

    // Everything is restored afterwards.
    CRect clip;
    EXPECT_EQ(context.getClipRect(clip), kNoFrameClip);
    EXPECT_EQ(context.getOffset(), CPoint(0, 0));
    EXPECT_EQ(context.getWindowOffset(), CPoint(0, 0));
}

TEST_F(DrawTree, EachChildIsClippedToItsRectangleWithinTheUpdate) {
    root.drawRect(&context, CRect(0, 0, 200, 200));
    ASSERT_EQ(a->draws.size(), 1u);
    ASSERT_EQ(b->draws.size(), 1u);
    EXPECT_EQ(a->draws[0].clip, CRect(0, 0, 50, 50));
    EXPECT_EQ(b->draws[0].clip, CRect(60, 60, 100, 100));
    EXPECT_EQ(b->draws[0].update, CRect(0, 0, 100, 100));  // the container's local update

    // A partial overlap is clipped to the overlap.
    root.drawRect(&context, CRect(80, 90, 200, 200));
    ASSERT_EQ(b->draws.size(), 2u);
    EXPECT_EQ(b->draws[1].clip, CRect(70, 70, 100, 100));
    EXPECT_EQ(b->draws[1].update, CRect(70, 70, 100, 100));
    EXPECT_EQ(a->draws.size(), 1u);
}

TEST_F(DrawTree, TheSavedClipBoundsEveryChildClip) {
    context.setClipRect(CRect(0, 0, 30, 40));
    root.drawRect(&context, CRect(0, 0, 200, 200));
    ASSERT_EQ(a->draws.size(), 1u);
    // (0, 0, 30, 40) in the root is (-10, -20, 20, 20) in the container.
    EXPECT_EQ(a->draws[0].clip, CRect(0, 0, 20, 20));
    EXPECT_TRUE(b->draws.empty());
    CRect clip;
    EXPECT_EQ(context.getClipRect(clip), CRect(0, 0, 30, 40));
}

TEST_F(DrawTree, AChildOnlyTouchingTheUpdateEdgeIsNotDrawn) {
    // b starts at x = 60 in the container, 70 in the root.
    root.drawRect(&context, CRect(55, 20, 70, 200));
    EXPECT_TRUE(b->draws.empty());
    EXPECT_EQ(a->draws.size(), 1u);
}

TEST_F(DrawTree, HiddenChildrenAreNotDrawn) {
    a->setVisible(false);
    root.draw(&context);
    EXPECT_TRUE(a->draws.empty());
    EXPECT_EQ(b->draws.size(), 1u);
}

TEST_F(DrawTree, ChildrenDrawFirstToLast) {
    std::vector<std::string> order;
    auto* first = new RecordingView(CRect(0, 0, 10, 10), &order, "first");
    auto* second = new RecordingView(CRect(0, 0, 10, 10), &order, "second");
    root.addView(first);
    root.addView(second);
    CPoint where(5, 5);
    const int32_t buttons = 0;
    // Drawing order is list order; the mouse tries the last first.
    root.drawRect(&context, CRect(0, 0, 10, 10));
    root.onMouseDown(where, buttons);
    EXPECT_EQ(order, (std::vector<std::string>{"first draw", "second draw", "second down"}));
    first->forget();
    second->forget();
}

TEST_F(DrawTree, DrawingClearsDirtyFlags) {
    container->setDirty(true);
    a->setDirty(true);
    b->setDirty(true);
    root.drawRect(&context, CRect(10, 20, 50, 60));
    EXPECT_FALSE(a->isDirty());
    EXPECT_TRUE(b->isDirty());          // not drawn
    EXPECT_TRUE(container->isDirty());  // through b
    b->setDirty(false);
    EXPECT_FALSE(container->isDirty());
}

TEST_F(DrawTree, BackgroundIsFilledWithTheColourUnlessTransparentAndOpaque) {
    const CColor colour{10, 20, 30, 255};
    const CColor marker{1, 1, 1, 255};
    root.setTransparency(true);  // its opaque black is not drawn
    container->setBackgroundColor(colour);
    context.setFillColor(marker);
    context.setFrameColor(marker);
    root.drawRect(&context, CRect(0, 0, 200, 200));
    EXPECT_EQ(context.getFillColor(), colour);
    EXPECT_EQ(context.getFrameColor(), colour);

    context.setFillColor(marker);
    context.setFrameColor(marker);
    container->setTransparency(true);
    root.drawRect(&context, CRect(0, 0, 200, 200));
    EXPECT_EQ(context.getFillColor(), marker);
    EXPECT_EQ(context.getFrameColor(), marker);

    const CColor translucent{10, 20, 30, 128};
    container->setBackgroundColor(translucent);
    root.drawRect(&context, CRect(0, 0, 200, 200));
    EXPECT_EQ(context.getFillColor(), translucent);
}

TEST_F(DrawTree, NullContextDrawsNothing) {
    root.drawRect(nullptr, CRect(0, 0, 200, 200));
    container->drawBackgroundRect(nullptr, CRect(0, 0, 10, 10));
    EXPECT_TRUE(a->draws.empty());
}

TEST(ContainerOffscreen, CreatedOnAttachUsedForChildrenReleasedWhenSwitchedOff) {
    RecordingRoot root(CRect(0, 0, 200, 200));
    auto* container = new InspectableContainer(CRect(10, 20, 110, 70));
    auto* child = new RecordingView(CRect(5, 5, 20, 20));
    container->addView(child);
    container->setDrawInOffscreen(true);
    EXPECT_EQ(container->getOffscreen(), nullptr);
    root.addView(container);
    root.attach();
    COffscreenContext* offscreen = container->getOffscreen();
    ASSERT_NE(offscreen, nullptr);
    EXPECT_EQ(offscreen->getWidth(), 100);
    EXPECT_EQ(offscreen->getHeight(), 50);
    EXPECT_EQ(offscreen->getBackgroundColor(), kBlackCColor);

    CDrawContext context(nullptr, nullptr, nullptr);
    root.drawRect(&context, CRect(0, 0, 200, 200));
    ASSERT_EQ(child->draws.size(), 1u);
    EXPECT_EQ(child->draws[0].context, offscreen);
    EXPECT_EQ(child->draws[0].offset, CPoint(0, 0));
    EXPECT_EQ(child->draws[0].clip, CRect(5, 5, 20, 20));
    EXPECT_EQ(context.getOffset(), CPoint(0, 0));

    // A resize re-creates it at the new size.
    container->setViewSize(CRect(10, 20, 70, 100));
    ASSERT_NE(container->getOffscreen(), nullptr);
    EXPECT_EQ(container->getOffscreen()->getWidth(), 60);
    EXPECT_EQ(container->getOffscreen()->getHeight(), 80);

    container->setDrawInOffscreen(false);
    EXPECT_EQ(container->getOffscreen(), nullptr);
    root.drawRect(&context, CRect(0, 0, 200, 200));
    ASSERT_EQ(child->draws.size(), 2u);
    EXPECT_EQ(child->draws[1].context, &context);
    EXPECT_EQ(child->draws[1].offset, CPoint(10, 20));
    container->forget();
    child->forget();
}

TEST(ContainerOffscreen, MadeOnFirstDrawWhenSwitchedOnWhileAttached) {
    RecordingRoot root(CRect(0, 0, 50, 50));
    root.attach();
    root.setDrawInOffscreen(true);
    EXPECT_EQ(root.getOffscreen(), nullptr);
    CDrawContext context(nullptr, nullptr, nullptr);
    root.draw(&context);
    EXPECT_NE(root.getOffscreen(), nullptr);

    // An empty container has nothing to cache and draws directly.
    RecordingRoot empty(CRect(0, 0, 0, 10));
    empty.setDrawInOffscreen(true);
    empty.attach();
    empty.draw(&context);
    EXPECT_EQ(empty.getOffscreen(), nullptr);
}

}  // namespace
}  // namespace viewtest
