// A frame without a parent window: construction, editor forwarding, drawing
// through the update rectangle, dirty bookkeeping, resizing and destruction.
#include "event_log_views.h"

#include "gui/toolkit/drawcontext.h"
#include "gui/toolkit/gdiplusglobals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace frametest {
namespace {

class RecordingEditor : public VSTGUIEditorInterface {
  public:
    ~RecordingEditor() override = default;
    void doIdleStuff() override { log.push_back("idle"); }
    int32_t getKnobMode() const override { return 2; }
    bool beginEdit(int32_t index) override {
        log.push_back("begin " + std::to_string(index));
        return true;
    }
    bool endEdit(int32_t index) override {
        log.push_back("end " + std::to_string(index));
        return true;
    }
    EventLog log;
};

TEST(WindowlessFrame, IsOpenAttachedAndItsOwnFrameButHasNoWindow) {
    RecordingEditor editor;
    auto* frame = new CFrame(CRect(0, 0, 300, 200), nullptr, &editor);
    EXPECT_EQ(nullptr, frame->getSystemWindow());
    EXPECT_EQ(nullptr, frame->getParentWindow());
    EXPECT_TRUE(frame->isOpen());
    EXPECT_TRUE(frame->isAttached());
    EXPECT_EQ(frame, frame->getFrame());
    EXPECT_TRUE(frame->isFirstDraw());
    EXPECT_EQ(&editor, frame->getEditor());
    EXPECT_TRUE(frame->isTypeOf("CFrame"));
    EXPECT_TRUE(frame->isTypeOf("CViewContainer"));
    EXPECT_TRUE(frame->isTypeOf("CView"));
    EXPECT_FALSE(frame->isTypeOf("CControl"));
    EXPECT_FALSE(frame->isTypeOf(nullptr));
    EXPECT_EQ(nullptr, frame->newCopy());
    // Dropping needs a window; switching it off when it is off is fine.
    EXPECT_TRUE(frame->setDropActive(false));
    EXPECT_FALSE(frame->setDropActive(true));
    EXPECT_FALSE(frame->isDropActive());
    CRect hostRect(1, 2, 3, 4);
    EXPECT_FALSE(frame->getSize(hostRect));
    EXPECT_FALSE(frame->getSize(nullptr));
    frame->setCursor(kCursorHand);
    frame->invalid();
    frame->invalidRect(CRect(0, 0, 1e300, std::numeric_limits<double>::quiet_NaN()));
    frame->forget();
}

TEST(WindowlessFrame, ForwardsEditorCallsAndSurvivesWithoutAnEditor) {
    RecordingEditor editor;
    auto* frame = new CFrame(CRect(0, 0, 10, 10), nullptr, &editor);
    EXPECT_EQ(2, frame->getKnobMode());
    frame->beginEdit(3);
    frame->endEdit(3);
    frame->doIdleStuff();
    EXPECT_EQ((EventLog{"begin 3", "end 3", "idle"}), editor.log);
    frame->forget();

    auto* bare = new CFrame(CRect(0, 0, 10, 10), nullptr, nullptr);
    EXPECT_EQ(0, bare->getKnobMode());
    bare->beginEdit(1);
    bare->doIdleStuff();
    bare->forget();
}

TEST(WindowlessFrame, HoldsTheGraphicsStartUpForItsLife) {
    const int32_t users = GDIPlusGlobals::getUserCount();
    auto* first = new CFrame(CRect(0, 0, 10, 10), nullptr, nullptr);
    auto* second = new CFrame(CRect(0, 0, 10, 10), nullptr, nullptr);
    EXPECT_EQ(users + 2, GDIPlusGlobals::getUserCount());
    first->forget();
    EXPECT_EQ(users + 1, GDIPlusGlobals::getUserCount());
    second->forget();
    EXPECT_EQ(users, GDIPlusGlobals::getUserCount());
}

TEST(WindowlessFrame, DestructionReleasesChildrenButNotTheCallersModalView) {
    EventLog log;
    int destroyed = 0;
    auto* frame = new CFrame(CRect(0, 0, 100, 100), nullptr, nullptr);
    auto* owned = new EventView(CRect(0, 0, 10, 10), log, "owned");
    owned->destroyed = &destroyed;
    frame->addView(owned);
    owned->forget();
    auto* kept = new EventView(CRect(10, 0, 20, 10), log, "kept");
    frame->addView(kept);
    kept->remember();  // the extra reference that removal with release drops
    auto* modal = new EventView(CRect(0, 0, 50, 50), log, "modal");
    ASSERT_TRUE(frame->setModalView(modal));
    frame->forget();
    EXPECT_EQ(1, destroyed);
    EXPECT_EQ(1, kept->getNbReference());
    EXPECT_FALSE(kept->isAttached());
    EXPECT_EQ(nullptr, kept->getFrame());
    EXPECT_EQ(1, modal->getNbReference());
    EXPECT_FALSE(modal->isAttached());
    kept->forget();
    modal->forget();
}

class FrameDrawing : public ::testing::Test {
  protected:
    void SetUp() override {
        frame = new CFrame(CRect(0, 0, 200, 100), nullptr, nullptr);
        left = new EventView(CRect(0, 0, 50, 50), log, "left");
        right = new EventView(CRect(150, 50, 200, 100), log, "right");
        frame->addView(left);
        frame->addView(right);
        left->forget();
        right->forget();
    }
    void TearDown() override { frame->forget(); }

    EventLog log;
    CFrame* frame = nullptr;
    EventView* left = nullptr;
    EventView* right = nullptr;
};

TEST_F(FrameDrawing, DrawsOnlyChildrenInTheUpdateAndRestoresTheClip) {
    auto* context = new CDrawContext(nullptr, nullptr, nullptr);
    context->setClipRect(CRect(0, 0, 180, 90));
    frame->drawRect(context, CRect(100, 40, 300, 300));
    EXPECT_FALSE(frame->isFirstDraw());
    EXPECT_EQ((EventLog{"right draw 100,40 b0"}), log);
    EXPECT_EQ(context, right->drawContext);
    CRect clip;
    context->getClipRect(clip);
    EXPECT_EQ(CRect(0, 0, 180, 90), clip);
    EXPECT_EQ(1, context->getNbReference());
    context->forget();
}

TEST_F(FrameDrawing, EmptyUpdateDrawsNothingButCountsAsFirstDraw) {
    auto* context = new CDrawContext(nullptr, nullptr, nullptr);
    frame->drawRect(context, CRect(10, 10, 10, 90));
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(frame->isFirstDraw());
    context->forget();
}

TEST_F(FrameDrawing, DrawWithoutAContextMakesOneForTheWholeFrame) {
    frame->draw(nullptr);
    ASSERT_EQ(2u, log.size());
    EXPECT_NE(nullptr, left->drawContext);
    EXPECT_EQ(left->drawContext, right->drawContext);
}

TEST_F(FrameDrawing, MarksOverlappingChildrenDirtyAndIdleRepaintsThem) {
    frame->invalidateDirtyViews(CRect(140, 60, 160, 70));
    EXPECT_FALSE(left->isDirty());
    EXPECT_TRUE(right->isDirty());
    frame->setOpenFlag(false);
    frame->idle();
    EXPECT_TRUE(right->isDirty());  // a closed frame does not update
    frame->setOpenFlag(true);
    frame->idle();
    EXPECT_FALSE(right->isDirty());  // invalidated whole, which clears dirty
}

TEST_F(FrameDrawing, InvalidateAllClearsTheFramesDirtyFlag) {
    frame->setDirty(true);
    frame->invalid();
    EXPECT_FALSE(frame->CView::isDirty());
}

TEST_F(FrameDrawing, SetSizeResizesTheContainerAndItsChildren) {
    right->setAutosizeFlags(kAutosizeLeft | kAutosizeRight | kAutosizeTop | kAutosizeBottom);
    EXPECT_TRUE(frame->setSize(240, 130));
    EXPECT_EQ(CRect(0, 0, 240, 130), frame->getViewSize());
    EXPECT_EQ(CRect(150, 50, 240, 130), right->getViewSize());
    EXPECT_EQ(CRect(0, 0, 50, 50), left->getViewSize());
    EXPECT_TRUE(frame->setSize(240, 130));  // unchanged
    EXPECT_TRUE(frame->setSize(0, 0));
    EXPECT_EQ(CRect(0, 0, 0, 0), frame->getViewSize());
}

TEST_F(FrameDrawing, SetSizeRefusesBadSizesAndAClosedFrame) {
    EXPECT_FALSE(frame->setSize(-1, 10));
    EXPECT_FALSE(frame->setSize(10, std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(frame->setSize(std::numeric_limits<double>::infinity(), 10));
    frame->setOpenFlag(false);
    EXPECT_FALSE(frame->setSize(300, 300));
    EXPECT_EQ(CRect(0, 0, 200, 100), frame->getViewSize());
}

}  // namespace
}  // namespace frametest
