// Keys, Tab focus advance, focus notifications with the re-entry guard, and
// the frame forgetting removed views.
#include "event_log_views.h"

#include <gtest/gtest.h>

namespace frametest {
namespace {

// Frame 200 x 100 with "f1" (wants focus) and "plain" at the top level and a
// container "c" holding "f2" (wants focus).
class FrameFocus : public ::testing::Test {
  protected:
    void SetUp() override {
        frame = new CFrame(CRect(0, 0, 200, 100), nullptr, nullptr);
        f1 = add(frame, new EventView(CRect(0, 0, 40, 40), log, "f1"), true);
        plain = add(frame, new EventView(CRect(40, 0, 80, 40), log, "plain"), false);
        container = new NotedContainer(CRect(100, 0, 200, 100), log, "c");
        f2 = add(container, new EventView(CRect(0, 0, 40, 40), log, "f2"), true);
        frame->addView(container);
        container->forget();
    }
    void TearDown() override { frame->forget(); }

    static EventView* add(CViewContainer* parent, EventView* view, bool wantsFocus) {
        view->setWantsFocus(wantsFocus);
        parent->addView(view);
        view->forget();
        return view;
    }

    EventLog log;
    CFrame* frame = nullptr;
    EventView* f1 = nullptr;
    EventView* f2 = nullptr;
    EventView* plain = nullptr;
    NotedContainer* container = nullptr;
};

TEST_F(FrameFocus, KeysGoToTheFocusViewThenTheModalView) {
    VstKeyCode code = key('x');
    EXPECT_EQ(kKeyNotHandled, frame->onKeyDown(code));
    EXPECT_TRUE(log.empty());  // children are not offered keys without focus

    frame->setFocusView(f1);
    f1->keyResult = 7;
    EXPECT_EQ(7, frame->onKeyDown(code));
    EXPECT_EQ(7, frame->onKeyUp(code));

    auto* modal = new EventView(CRect(0, 0, 10, 10), log, "m");
    modal->keyResult = 9;
    ASSERT_TRUE(frame->setModalView(modal));
    f1->keyResult = kKeyNotHandled;
    log.clear();
    EXPECT_EQ(9, frame->onKeyDown(code));
    EXPECT_EQ(9, frame->onKeyUp(code));
    EXPECT_EQ((EventLog{"f1 keydown 120", "m keydown 120", "f1 keyup 120", "m keyup 120"}), log);
    frame->setModalView(nullptr);
    modal->forget();
}

TEST_F(FrameFocus, UnhandledTabMovesTheFocusForwardAndShiftTabBack) {
    frame->setFocusView(f1);
    VstKeyCode tab = key(0, VKEY_TAB);
    EXPECT_EQ(1, frame->onKeyDown(tab));
    EXPECT_EQ(f2, frame->getFocusView());
    // No focusable view after the last one.
    EXPECT_EQ(kKeyNotHandled, frame->onKeyDown(tab));
    EXPECT_EQ(f2, frame->getFocusView());
    VstKeyCode backTab = key(0, VKEY_TAB, MODIFIER_SHIFT);
    EXPECT_EQ(1, frame->onKeyDown(backTab));
    EXPECT_EQ(f1, frame->getFocusView());
    // Only Tab moves the focus.
    VstKeyCode other = key(0, VKEY_TAB + 1);
    EXPECT_EQ(kKeyNotHandled, frame->onKeyDown(other));
    EXPECT_EQ(f1, frame->getFocusView());
}

TEST_F(FrameFocus, TabThatTheFocusViewHandlesDoesNotMoveTheFocus) {
    frame->setFocusView(f1);
    f1->keyResult = 1;
    VstKeyCode tab = key(0, VKEY_TAB);
    EXPECT_EQ(1, frame->onKeyDown(tab));
    EXPECT_EQ(f1, frame->getFocusView());
}

TEST_F(FrameFocus, ContainersHearOfNewAndOldFocusAndTheOldViewLosesFocus) {
    frame->setFocusView(f2);
    EXPECT_TRUE(f2->isDirty());
    EXPECT_EQ((EventLog{"c kMsgNewFocusView from view"}), log);
    log.clear();
    f2->setDirty(false);
    frame->setFocusView(f1);
    EXPECT_EQ(f1, frame->getFocusView());
    EXPECT_TRUE(f1->isDirty());
    EXPECT_TRUE(f2->isDirty());
    EXPECT_EQ((EventLog{"c kMsgOldFocusView from view", "f2 loosefocus"}), log);
}

TEST_F(FrameFocus, ViewThatDoesNotWantFocusIsStillSetButNotAnnounced) {
    frame->setFocusView(plain);
    EXPECT_EQ(plain, frame->getFocusView());
    EXPECT_FALSE(plain->isDirty());
    frame->setFocusView(nullptr);
    EXPECT_EQ((EventLog{"plain loosefocus"}), log);
    EXPECT_FALSE(plain->isDirty());
}

TEST_F(FrameFocus, SettingTheSameFocusViewAgainChangesNothing) {
    frame->setFocusView(f1);
    log.clear();
    frame->setFocusView(f1);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(f1, frame->getFocusView());
}

// Takes the focus back when it loses it.
class ClingingView : public EventView {
  public:
    using EventView::EventView;
    void looseFocus() override {
        EventView::looseFocus();
        getFrame()->setFocusView(this);
    }
};

TEST_F(FrameFocus, FocusChangeDuringAFocusChangeIsIgnored) {
    auto* clinging = new ClingingView(CRect(0, 50, 20, 70), log, "cling");
    clinging->setWantsFocus(true);
    frame->addView(clinging);
    clinging->forget();
    frame->setFocusView(clinging);
    frame->setFocusView(f1);
    EXPECT_EQ(f1, frame->getFocusView());
    // The guard is released afterwards.
    frame->setFocusView(f2);
    EXPECT_EQ(f2, frame->getFocusView());
}

TEST_F(FrameFocus, PressDropsTheFocus) {
    frame->setFocusView(f1);
    CPoint where(50, 90);
    frame->onMouseDown(where, kLButton);
    EXPECT_EQ(nullptr, frame->getFocusView());
}

// f2 becomes the focus view and the mouse-over view; then remove() must
// destroy it and leave no frame pointer to it.
class FrameFocusRemoval : public FrameFocus {
  protected:
    template <typename Remove> void expectForgottenAfter(Remove remove) {
        frame->setFocusView(f2);
        CPoint where(110, 10);
        frame->onMouseMoved(where, 0);
        ASSERT_EQ(EventLog({"c kMsgNewFocusView from view", "f2 entered 10,10 b0"}), log);
        int destroyed = 0;
        f2->destroyed = &destroyed;
        EXPECT_TRUE(remove());
        EXPECT_EQ(1, destroyed);
        EXPECT_EQ(nullptr, frame->getFocusView());
        // Neither a key nor a move may reach the destroyed view.
        VstKeyCode code = key('k');
        EXPECT_EQ(kKeyNotHandled, frame->onKeyDown(code));
        CPoint elsewhere(20, 20);
        frame->onMouseMoved(elsewhere, 0);
        EXPECT_EQ("f1 entered 20,20 b0", log.back());
    }
};

TEST_F(FrameFocusRemoval, RemovingAContainerForgetsFocusAndMouseOverViewsInside) {
    expectForgottenAfter([this] { return frame->removeView(container); });
}

TEST_F(FrameFocusRemoval, RemovingAViewFromANestedContainerForgetsItToo) {
    expectForgottenAfter([this] { return container->removeView(f2); });
}

TEST_F(FrameFocus, RemoveAllForgetsEveryPointer) {
    frame->setFocusView(f1);
    auto* modal = new EventView(CRect(0, 0, 10, 10), log, "m");
    ASSERT_TRUE(frame->setModalView(modal));
    modal->remember();  // survives the release of removal with release
    EXPECT_TRUE(frame->removeAll());
    EXPECT_EQ(nullptr, frame->getFocusView());
    EXPECT_EQ(nullptr, frame->getModalView());
    EXPECT_EQ(0, frame->getNbViews());
    EXPECT_EQ(1, modal->getNbReference());
    modal->forget();
}

}  // namespace
}  // namespace frametest
