// Mouse and wheel routing of a windowless frame: mouse-down view, mouse-over
// tracking with entered/exited in local coordinates, the observer and the
// modal view.
#include "event_log_views.h"

#include <gtest/gtest.h>

namespace frametest {
namespace {

// Frame 200 x 100: view "a" at (10,10)-(60,60); container c at (100,0)-(200,100)
// holding view "b" at (10,20)-(50,60), i.e. (110,20)-(150,60) in the frame.
class FrameRouting : public ::testing::Test {
  protected:
    void SetUp() override {
        frame = new CFrame(CRect(0, 0, 200, 100), nullptr, nullptr);
        a = new EventView(CRect(10, 10, 60, 60), log, "a");
        container = new CViewContainer(CRect(100, 0, 200, 100), nullptr);
        b = new EventView(CRect(10, 20, 50, 60), log, "b");
        container->addView(b);
        b->forget();
        frame->addView(a);
        a->forget();
        frame->addView(container);
        container->forget();
        observer.names = {{a, "a"}, {b, "b"}};
    }
    void TearDown() override { frame->forget(); }

    CMouseEventResult down(CCoord x, CCoord y, int32_t buttons = kLButton) {
        CPoint where(x, y);
        return frame->onMouseDown(where, buttons);
    }
    CMouseEventResult up(CCoord x, CCoord y, int32_t buttons = 0) {
        CPoint where(x, y);
        return frame->onMouseUp(where, buttons);
    }
    CMouseEventResult move(CCoord x, CCoord y, int32_t buttons = 0) {
        CPoint where(x, y);
        return frame->onMouseMoved(where, buttons);
    }
    CMouseEventResult exitFrame(CCoord x, CCoord y) {
        CPoint where(x, y);
        return frame->onMouseExited(where, 0);
    }

    EventLog log;
    EventObserver observer{log};
    CFrame* frame = nullptr;
    EventView* a = nullptr;
    EventView* b = nullptr;
    CViewContainer* container = nullptr;
};

TEST_F(FrameRouting, ButtonPressMovesAndReleaseGoToTheViewThatTookTheDown) {
    EXPECT_EQ(kMouseEventHandled, down(20, 30, kLButton | kShift));
    EXPECT_EQ(a, frame->getMouseDownView());
    EXPECT_EQ(kMouseEventHandled, move(25, 35, kLButton));
    // Released far outside the frame: still delivered to the view.
    EXPECT_EQ(kMouseEventHandled, up(300, -40, 0));
    EXPECT_EQ(nullptr, frame->getMouseDownView());
    EXPECT_EQ((EventLog{"a down 20,30 b18", "a moved 25,35 b2", "a up 300,-40 b0"}), log);
    EXPECT_EQ(kMouseEventNotHandled, up(20, 30));
}

TEST_F(FrameRouting, NestedViewGetsItsContainersCoordinates) {
    EXPECT_EQ(kMouseEventHandled, down(120, 30, kRButton));
    EXPECT_EQ(kMouseEventHandled, up(130, 50, kRButton));
    EXPECT_EQ((EventLog{"b down 20,30 b8", "b up 30,50 b8"}), log);
}

TEST_F(FrameRouting, PressWhereNoViewTakesItIsNotHandled) {
    EXPECT_EQ(kMouseEventNotHandled, down(80, 80));
    EXPECT_EQ(kMouseEventNotHandled, up(80, 80));
    a->downResult = kMouseEventNotHandled;
    EXPECT_EQ(kMouseEventNotHandled, down(20, 20));
    EXPECT_EQ(nullptr, frame->getMouseDownView());
}

TEST_F(FrameRouting, MouseOverViewGetsEnteredMovedAndExitedInLocalCoordinates) {
    frame->setMouseObserver(&observer);
    move(20, 30);
    move(21, 31, kLButton);  // no mouse-down view: the move carries no buttons
    move(125, 40);
    exitFrame(126, 41);
    move(126, 41);
    EXPECT_EQ((EventLog{"observer moved 20,30 b0", "a entered 20,30 b0", "a observed entered",
                        "observer moved 21,31 b0", "a moved 21,31 b0", "observer moved 125,40 b0",
                        "a exited 125,40 b0", "a observed exited", "b entered 25,40 b0",
                        "b observed entered", "b exited 26,41 b0", "b observed exited",
                        "observer moved 126,41 b0", "b entered 26,41 b0", "b observed entered"}),
              log);
}

TEST_F(FrameRouting, MovingOffEveryViewOnlyExits) {
    move(20, 30);
    move(80, 80);
    move(81, 81);
    EXPECT_EQ((EventLog{"a entered 20,30 b0", "a exited 80,80 b0"}), log);
}

TEST_F(FrameRouting, PressLeavesTheMouseOverViewFirst) {
    frame->setMouseObserver(&observer);
    move(20, 30);
    log.clear();
    EXPECT_EQ(kMouseEventHandled, down(120, 30));
    EXPECT_EQ((EventLog{"a exited 120,30 b2", "a observed exited", "observer down 120,30 b0",
                        "b down 20,30 b2"}),
              log);
}

TEST_F(FrameRouting, MovesWhileAViewHoldsTheMouseDoNotChangeTheMouseOverView) {
    down(20, 30);
    move(120, 30, kLButton);
    EXPECT_EQ((EventLog{"a down 20,30 b2", "a moved 120,30 b2"}), log);
    // A move the view refuses ends its hold: then the view under the mouse is entered.
    log.clear();
    a->movedResult = kMouseEventNotHandled;
    EXPECT_EQ(kMouseEventNotHandled, move(121, 30, kLButton));
    EXPECT_EQ(nullptr, frame->getMouseDownView());
    EXPECT_EQ((EventLog{"a moved 121,30 b2", "b entered 21,30 b2"}), log);
}

TEST_F(FrameRouting, WheelGoesToTheViewUnderThePointUnlessAViewHoldsTheMouse) {
    EXPECT_TRUE(frame->onWheel(CPoint(20, 30), 2.0f, kControl));
    EXPECT_EQ(2.0f, a->wheelDistance);
    EXPECT_FALSE(frame->onWheel(CPoint(80, 80), 1.0f, 0));
    down(20, 30);
    log.clear();
    EXPECT_FALSE(frame->onWheel(CPoint(20, 30), 3.0f, 0));
    EXPECT_TRUE(log.empty());
    up(20, 30);
    EXPECT_TRUE(frame->onWheel(CPoint(120, 30), -1.0f, 0));
    EXPECT_EQ(-1.0f, b->wheelDistance);
}

class FrameModal : public FrameRouting {
  protected:
    void SetUp() override {
        FrameRouting::SetUp();
        modal = new EventView(CRect(0, 0, 50, 50), log, "m");
    }
    void TearDown() override {
        frame->setModalView(nullptr);
        modal->forget();
        FrameRouting::TearDown();
    }
    EventView* modal = nullptr;
};

TEST_F(FrameModal, SettingFailsForAnAttachedViewOrWhileOneIsSet) {
    EXPECT_FALSE(frame->setModalView(a));
    ASSERT_TRUE(frame->setModalView(modal));
    EXPECT_EQ(modal, frame->getModalView());
    EXPECT_TRUE(frame->isChild(modal));
    EXPECT_EQ(2, modal->getNbReference());
    auto* other = new EventView(CRect(0, 0, 5, 5), log, "o");
    EXPECT_FALSE(frame->setModalView(other));
    other->forget();
    // Clearing removes the child without releasing the caller's reference.
    EXPECT_TRUE(frame->setModalView(nullptr));
    EXPECT_EQ(nullptr, frame->getModalView());
    EXPECT_FALSE(frame->isChild(modal));
    EXPECT_FALSE(modal->isAttached());
    EXPECT_EQ(1, modal->getNbReference());
}

TEST_F(FrameModal, ModalViewAloneGetsTheMouse) {
    ASSERT_TRUE(frame->setModalView(modal));          // added last: "a" lies under it at (20,20)
    EXPECT_EQ(kMouseEventNotHandled, down(120, 30));  // not on the modal view
    EXPECT_EQ(kMouseEventHandled, down(20, 20));
    EXPECT_EQ(modal, frame->getMouseDownView());
    EXPECT_EQ(kMouseEventHandled, move(130, 40, kLButton));
    EXPECT_EQ(kMouseEventHandled, up(130, 40));
    EXPECT_EQ((EventLog{"m down 20,20 b2", "m moved 130,40 b2", "m up 130,40 b0"}), log);
}

TEST_F(FrameModal, ModalResultsMapToHandledOrNotHandled) {
    ASSERT_TRUE(frame->setModalView(modal));
    modal->downResult = kMouseEventNotHandled;
    EXPECT_EQ(kMouseEventNotHandled, down(5, 5));
    EXPECT_EQ(nullptr, frame->getMouseDownView());
    // A view without the new entry points gets the old one, with a context.
    modal->downResult = kMouseEventNotImplemented;
    EXPECT_EQ(kMouseEventHandled, down(6, 7, kMButton));
    EXPECT_EQ(nullptr, frame->getMouseDownView());
    EXPECT_NE(nullptr, modal->legacyContext);
    EXPECT_EQ((EventLog{"m down 5,5 b2", "m down 6,7 b4", "m legacy 6,7 b4"}), log);
}

TEST_F(FrameModal, ModalViewGetsMovesAndTheWheelEverywhere) {
    ASSERT_TRUE(frame->setModalView(modal));
    move(120, 30);
    EXPECT_TRUE(frame->onWheel(CPoint(120, 30), 1.0f, 0));
    EXPECT_EQ(1.0f, modal->wheelDistance);
    EXPECT_EQ(-999.0f, b->wheelDistance);
    EXPECT_EQ((EventLog{"m moved 120,30 b0", "m wheel 120,30 b0"}), log);
}

TEST_F(FrameModal, RemovingTheModalViewClearsIt) {
    ASSERT_TRUE(frame->setModalView(modal));
    EXPECT_TRUE(frame->removeView(modal, false));
    EXPECT_EQ(nullptr, frame->getModalView());
    EXPECT_EQ(kMouseEventHandled, down(20, 20));
    EXPECT_EQ((EventLog{"a down 20,20 b2"}), log);
}

}  // namespace
}  // namespace frametest
