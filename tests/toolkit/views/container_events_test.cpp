// Event routing in containers: mouse results and the mouse-down view, the
// wheel, keys from last to first, focus and drag entry points.
#include "recording_views.h"

#include <gtest/gtest.h>

namespace viewtest {
namespace {

struct MouseTree : ::testing::Test {
    MouseTree() {
        root.attach();
        root.addView(container);
        container->addView(back);
        container->addView(front);
    }
    ~MouseTree() override {
        container->forget();
        back->forget();
        front->forget();
    }

    CMouseEventResult down(CPoint where, int32_t buttons = kLButton) {
        return root.onMouseDown(where, buttons);
    }
    CMouseEventResult moved(CPoint where, int32_t buttons = kLButton) {
        return root.onMouseMoved(where, buttons);
    }
    CMouseEventResult up(CPoint where, int32_t buttons = kLButton) {
        return root.onMouseUp(where, buttons);
    }

    std::vector<std::string> log;
    RecordingRoot root{CRect(0, 0, 300, 300)};
    CViewContainer* container = new CViewContainer(CRect(100, 50, 200, 150), nullptr);
    RecordingView* back = new RecordingView(CRect(0, 0, 100, 100), &log, "back");
    RecordingView* front = new RecordingView(CRect(10, 10, 30, 30), &log, "front");
};

TEST_F(MouseTree, NoChildHitAnswersNotHandledAndSoDoesTheLaterUp) {
    EXPECT_EQ(down(CPoint(5, 5)), kMouseEventNotHandled);
    EXPECT_EQ(root.getMouseDownView(), nullptr);
    EXPECT_EQ(up(CPoint(5, 5)), kMouseEventNotHandled);
    EXPECT_EQ(moved(CPoint(5, 5)), kMouseEventNotHandled);
    EXPECT_TRUE(log.empty());
}

TEST_F(MouseTree, HandledChildBecomesMouseDownViewAndGetsMovesAndUpLocally) {
    EXPECT_EQ(down(CPoint(115, 65), kLButton | kShift), kMouseEventHandled);
    EXPECT_EQ(root.getMouseDownView(), container);
    EXPECT_EQ(container->getMouseDownView(), front);
    ASSERT_EQ(front->mice.size(), 1u);
    EXPECT_EQ(front->mice[0].where, CPoint(15, 15));
    EXPECT_EQ(front->mice[0].buttons, kLButton | kShift);

    // Moves and the release go to it even outside its rectangle.
    EXPECT_EQ(moved(CPoint(290, 290)), kMouseEventHandled);
    EXPECT_EQ(up(CPoint(250, 10), kRButton), kMouseEventHandled);
    ASSERT_EQ(front->mice.size(), 3u);
    EXPECT_EQ(front->mice[1].kind, "moved");
    EXPECT_EQ(front->mice[1].where, CPoint(190, 240));
    EXPECT_EQ(front->mice[2].kind, "up");
    EXPECT_EQ(front->mice[2].where, CPoint(150, -40));
    EXPECT_EQ(front->mice[2].buttons, kRButton);
    EXPECT_EQ(root.getMouseDownView(), nullptr);
    EXPECT_EQ(container->getMouseDownView(), nullptr);
    EXPECT_TRUE(back->mice.empty());
    EXPECT_EQ(up(CPoint(115, 65)), kMouseEventNotHandled);
}

TEST_F(MouseTree, TheFirstHitChildDecidesEvenWhenItDoesNotHandle) {
    front->downResult = kMouseEventNotHandled;
    EXPECT_EQ(down(CPoint(115, 65)), kMouseEventNotHandled);
    EXPECT_EQ(container->getMouseDownView(), nullptr);
    EXPECT_TRUE(back->mice.empty());
}

TEST_F(MouseTree, NotImplementedFallsBackToTheLegacyEntryAndAnswersZero) {
    front->downResult = kMouseEventNotImplemented;
    EXPECT_EQ(down(CPoint(115, 65), kLButton), kMouseEventNotImplemented);
    ASSERT_EQ(front->mice.size(), 2u);
    EXPECT_EQ(front->mice[1].kind, "legacy");
    EXPECT_EQ(front->mice[1].where, CPoint(15, 15));
    ASSERT_EQ(front->legacyContexts.size(), 1u);
    EXPECT_NE(front->legacyContexts[0], nullptr);
    EXPECT_EQ(container->getMouseDownView(), nullptr);
}

TEST_F(MouseTree, HiddenOrDisabledChildrenAreSkipped) {
    front->setMouseEnabled(false);
    EXPECT_EQ(down(CPoint(115, 65)), kMouseEventHandled);
    EXPECT_EQ(container->getMouseDownView(), back);
    EXPECT_EQ(up(CPoint(0, 0)), kMouseEventHandled);
    front->setMouseEnabled(true);
    front->setVisible(false);
    EXPECT_EQ(down(CPoint(115, 65)), kMouseEventHandled);
    EXPECT_EQ(container->getMouseDownView(), back);
    EXPECT_TRUE(front->mice.empty());
}

TEST_F(MouseTree, AMoveNotHandledEndsTheMouseDownView) {
    ASSERT_EQ(down(CPoint(115, 65)), kMouseEventHandled);
    front->movedResult = kMouseEventNotImplemented;
    EXPECT_EQ(moved(CPoint(116, 66)), kMouseEventNotHandled);
    EXPECT_EQ(container->getMouseDownView(), nullptr);
    EXPECT_EQ(root.getMouseDownView(), nullptr);
    EXPECT_EQ(up(CPoint(116, 66)), kMouseEventNotHandled);
    EXPECT_EQ(front->mice.size(), 2u);
}

TEST_F(MouseTree, RemovingTheMouseDownViewForgetsIt) {
    ASSERT_EQ(down(CPoint(115, 65)), kMouseEventHandled);
    ASSERT_TRUE(container->removeView(front, false));
    EXPECT_EQ(container->getMouseDownView(), nullptr);
    EXPECT_EQ(up(CPoint(115, 65)),
              kMouseEventHandled);  // the root's mouse-down view is the container
    EXPECT_EQ(front->mice.size(), 1u);
    EXPECT_EQ(front->getNbReference(), 1);  // the fixture's own, released at the end
}

TEST_F(MouseTree, WheelGoesToTheChildUnderThePointOnTheVerticalAxis) {
    const float distance = 3;
    const int32_t buttons = kControl;
    EXPECT_TRUE(root.onWheel(CPoint(115, 65), distance, buttons));
    ASSERT_EQ(front->wheels.size(), 1u);
    EXPECT_EQ(front->wheels[0].first, CPoint(15, 15));
    EXPECT_EQ(front->wheels[0].second, 3.0f);
    EXPECT_EQ(front->mice[0].buttons, kControl);

    // Through the axis entry, horizontal arrives negated at the target.
    EXPECT_TRUE(root.onWheel(CPoint(150, 100), kMouseWheelAxisX, distance, buttons));
    ASSERT_EQ(back->wheels.size(), 1u);
    EXPECT_EQ(back->wheels[0].first, CPoint(50, 50));
    EXPECT_EQ(back->wheels[0].second, -3.0f);

    back->wheelResult = false;
    EXPECT_FALSE(root.onWheel(CPoint(150, 100), distance, buttons));
    EXPECT_FALSE(root.onWheel(CPoint(5, 5), distance, buttons));  // nothing there
}

TEST_F(MouseTree, HitTestOfChildrenUsesLocalPoints) {
    EXPECT_TRUE(container->hitTestSubViews(CPoint(115, 65)));
    EXPECT_FALSE(container->hitTestSubViews(CPoint(15, 15)));
    EXPECT_TRUE(container->hitTest(CPoint(100, 50)));
    EXPECT_FALSE(container->hitTest(CPoint(99, 50)));
}

TEST(ContainerKeys, OfferedLastToFirstUntilOneAnswers) {
    std::vector<std::string> log;
    CViewContainer container(CRect(0, 0, 10, 10), nullptr);
    auto* first = new RecordingView(CRect(0, 0, 1, 1), &log, "first");
    auto* second = new RecordingView(CRect(0, 0, 1, 1), &log, "second");
    auto* third = new RecordingView(CRect(0, 0, 1, 1), &log, "third");
    container.addView(first);
    container.addView(second);
    container.addView(third);
    VstKeyCode key{'k', 0, 0};

    EXPECT_EQ(container.onKeyDown(key), -1);
    EXPECT_EQ(log, (std::vector<std::string>{"third keydown", "second keydown", "first keydown"}));

    log.clear();
    second->keyResult = 0;  // any answer other than -1 wins, zero included
    EXPECT_EQ(container.onKeyDown(key), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"third keydown", "second keydown"}));

    log.clear();
    third->keyResult = 7;
    EXPECT_EQ(container.onKeyUp(key), 7);
    EXPECT_EQ(log, (std::vector<std::string>{"third keyup"}));
    EXPECT_EQ(third->keys.back(), 'k');

    CViewContainer empty(CRect(0, 0, 1, 1), nullptr);
    EXPECT_EQ(empty.onKeyDown(key), -1);
    first->forget();
    second->forget();
    third->forget();
}

TEST(ContainerFocus, LooseAndTakeFocusReachEveryChild) {
    std::vector<std::string> log;
    CViewContainer container(CRect(0, 0, 10, 10), nullptr);
    auto* inner = new CViewContainer(CRect(0, 0, 5, 5), nullptr);
    auto* a = new RecordingView(CRect(0, 0, 1, 1), &log, "a");
    auto* b = new RecordingView(CRect(0, 0, 1, 1), &log, "b");
    container.addView(a);
    inner->addView(b);
    container.addView(inner);
    container.takeFocus();
    container.looseFocus();
    EXPECT_EQ(log, (std::vector<std::string>{"a take", "b take", "a loose", "b loose"}));
    for (CView* view : {static_cast<CView*>(inner), static_cast<CView*>(a), static_cast<CView*>(b)})
        view->forget();
}

TEST(ContainerFocus, NextFocusViewInTreeOrderBothWays) {
    CViewContainer root(CRect(0, 0, 10, 10), nullptr);
    auto* a = new CView(CRect(0, 0, 1, 1));
    auto* inner = new CViewContainer(CRect(0, 0, 5, 5), nullptr);
    auto* b = new CView(CRect(0, 0, 1, 1));
    auto* skipped = new CView(CRect(0, 0, 1, 1));
    auto* c = new CView(CRect(0, 0, 1, 1));
    for (CView* view : {a, b, c})
        view->setWantsFocus(true);
    root.addView(a);
    inner->addView(b);
    inner->addView(skipped);
    root.addView(inner);
    root.addView(c);

    EXPECT_EQ(root.getNextFocusView(nullptr), a);
    EXPECT_EQ(root.getNextFocusView(a), b);
    EXPECT_EQ(root.getNextFocusView(b), c);
    EXPECT_EQ(root.getNextFocusView(skipped), c);
    EXPECT_EQ(root.getNextFocusView(c), nullptr);
    EXPECT_EQ(root.getNextFocusView(nullptr, true), c);
    EXPECT_EQ(root.getNextFocusView(c, true), b);
    EXPECT_EQ(root.getNextFocusView(b, true), a);
    EXPECT_EQ(root.getNextFocusView(a, true), nullptr);
    // Without a frame nobody can take the focus.
    EXPECT_FALSE(root.advanceNextFocusView(a));
    for (CView* view : {a, static_cast<CView*>(inner), b, skipped, c})
        view->forget();
}

TEST(ContainerDrag, NothingHappensWithoutAFrame) {
    RecordingRoot root(CRect(0, 0, 100, 100));
    root.attach();
    auto* child = new RecordingView(CRect(0, 0, 50, 50));
    root.addView(child);
    root.onDragEnter(nullptr, CPoint(10, 10));
    root.onDragMove(nullptr, CPoint(10, 10));
    EXPECT_FALSE(root.onDrop(nullptr, CPoint(10, 10)));
    root.onDragLeave(nullptr, CPoint(10, 10));
    EXPECT_TRUE(child->drags.empty());
    child->forget();
}

}  // namespace
}  // namespace viewtest
