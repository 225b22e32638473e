// Container rules that need a frame above them: drag and drop routing with
// the drag view, focus advance, the editor and invalidation of a view whose
// only link upwards is its frame. The frame here has no window.
#include "recording_views.h"

#include "gui/toolkit/frame.h"

#include <gtest/gtest.h>

namespace viewtest {
namespace {

class Editor : public VSTGUIEditorInterface {};

// A windowless frame that keeps the invalidations reaching it.
class RecordingFrame : public CFrame {
  public:
    RecordingFrame(const CRect& rect, VSTGUIEditorInterface* editorInterface)
        : CFrame(rect, nullptr, editorInterface) {}
    void invalidRect(const CRect& rect) override { invalidations.push_back(rect); }
    std::vector<CRect> invalidations;
};

// frame (0,0,200,200) > { a (0,0,100,100), b (100,0,200,100),
// inner (0,100,200,200) > deep (50,0,100,50) }
struct FrameTree : ::testing::Test {
    FrameTree() {
        frame->addView(a);
        frame->addView(b);
        inner->addView(deep);
        frame->addView(inner);
        for (CView* view : std::initializer_list<CView*>{a, b, inner, deep})
            view->forget();  // the containers hold them
    }
    ~FrameTree() override { frame->forget(); }

    std::vector<std::string> log;
    Editor editor;
    RecordingFrame* frame = new RecordingFrame(CRect(0, 0, 200, 200), &editor);
    RecordingView* a = new RecordingView(CRect(0, 0, 100, 100), &log, "a");
    RecordingView* b = new RecordingView(CRect(100, 0, 200, 100), &log, "b");
    CViewContainer* inner = new CViewContainer(CRect(0, 100, 200, 200), nullptr);
    RecordingView* deep = new RecordingView(CRect(50, 0, 100, 50), &log, "deep");
};

TEST_F(FrameTree, DragMovesBetweenChildrenWithLeaveAndEnter) {
    frame->onDragEnter(nullptr, CPoint(50, 50));
    frame->onDragMove(nullptr, CPoint(60, 60));
    frame->onDragMove(nullptr, CPoint(150, 50));
    frame->onDragLeave(nullptr, CPoint(150, 50));
    EXPECT_EQ(log, (std::vector<std::string>{"a drag enter", "a drag move", "a drag leave",
                                             "b drag enter", "b drag leave"}));
    ASSERT_EQ(b->drags.size(), 2u);
    EXPECT_EQ(b->drags[0].where, CPoint(150, 50));
}

TEST_F(FrameTree, DropGoesToTheChildUnderThePointThenLeaves) {
    frame->onDragEnter(nullptr, CPoint(50, 50));
    b->dropResult = true;
    EXPECT_TRUE(frame->onDrop(nullptr, CPoint(150, 50)));
    EXPECT_EQ(log, (std::vector<std::string>{"a drag enter", "a drag leave", "b drag drop",
                                             "b drag leave"}));
    log.clear();
    b->dropResult = false;
    frame->onDragEnter(nullptr, CPoint(150, 50));
    EXPECT_FALSE(frame->onDrop(nullptr, CPoint(150, 50)));
    EXPECT_EQ(log, (std::vector<std::string>{"b drag enter", "b drag drop", "b drag leave"}));
}

TEST_F(FrameTree, DragIntoASubContainerReachesItsChildInLocalCoordinates) {
    frame->onDragEnter(nullptr, CPoint(60, 110));
    frame->onDragMove(nullptr, CPoint(70, 120));
    frame->onDragMove(nullptr, CPoint(150, 150));  // inside inner, on no child
    ASSERT_EQ(deep->drags.size(), 3u);
    EXPECT_EQ(deep->drags[0].kind, "enter");
    EXPECT_EQ(deep->drags[0].where, CPoint(60, 10));
    EXPECT_EQ(deep->drags[1].kind, "move");
    EXPECT_EQ(deep->drags[1].where, CPoint(70, 20));
    EXPECT_EQ(deep->drags[2].kind, "leave");
    EXPECT_FALSE(frame->onDrop(nullptr, CPoint(150, 150)));
    EXPECT_EQ(deep->drags.size(), 3u);
}

TEST_F(FrameTree, DropOnNothingAnswersFalse) {
    EXPECT_FALSE(frame->onDrop(nullptr, CPoint(-5, -5)));
    EXPECT_TRUE(log.empty());
}

TEST_F(FrameTree, RemovingTheDragViewForgetsIt) {
    frame->onDragEnter(nullptr, CPoint(50, 50));
    a->remember();
    ASSERT_TRUE(frame->removeView(a, false));
    frame->onDragLeave(nullptr, CPoint(50, 50));
    EXPECT_EQ(log, (std::vector<std::string>{"a drag enter"}));
    a->forget();
}

TEST_F(FrameTree, AdvanceFocusGivesTheFrameTheNextViewThatWantsIt) {
    b->setWantsFocus(true);
    deep->setWantsFocus(true);
    EXPECT_TRUE(frame->advanceNextFocusView(nullptr));
    EXPECT_EQ(frame->getFocusView(), b);
    EXPECT_TRUE(frame->advanceNextFocusView(b));
    EXPECT_EQ(frame->getFocusView(), deep);
    EXPECT_FALSE(frame->advanceNextFocusView(deep));
    EXPECT_EQ(frame->getFocusView(), deep);
    EXPECT_TRUE(frame->advanceNextFocusView(deep, true));
    EXPECT_EQ(frame->getFocusView(), b);
}

TEST_F(FrameTree, ViewsReachTheFramesEditor) {
    EXPECT_EQ(deep->getEditor(), &editor);
    EXPECT_EQ(deep->getFrame(), frame);
    EXPECT_EQ(inner->getEditor(), &editor);
    a->remember();
    frame->removeView(a, false);
    EXPECT_EQ(a->getEditor(), nullptr);
    a->forget();
}

TEST_F(FrameTree, InvalidationReachesTheFrame) {
    deep->invalid();
    EXPECT_EQ(frame->invalidations, (std::vector<CRect>{CRect(50, 100, 100, 150)}));

    // A view linked to the frame without a parent invalidates straight into it.
    CView loose(CRect(1, 2, 3, 4));
    loose.setFrame(frame);
    loose.invalid();  // detached: nothing
    ASSERT_TRUE(loose.attached(nullptr));
    loose.invalid();
    EXPECT_EQ(frame->invalidations.back(), CRect(1, 2, 3, 4));
    EXPECT_EQ(frame->invalidations.size(), 2u);
}

}  // namespace
}  // namespace viewtest
