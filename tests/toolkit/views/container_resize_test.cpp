// Container resize by the children's autosize flags and the container's
// column and row sharing.
#include "recording_views.h"

#include <gtest/gtest.h>

namespace viewtest {
namespace {

struct Resize : ::testing::Test {
    RecordingView* add(const CRect& rect, int32_t flags) {
        auto* view = new RecordingView(rect);
        view->setAutosizeFlags(flags);
        container.addView(view);
        view->forget();  // the container's reference keeps it
        return view;
    }

    CViewContainer container{CRect(0, 0, 100, 50), nullptr};
};

TEST_F(Resize, RightFlagAloneMovesTheChild) {
    RecordingView* child = add(CRect(60, 10, 90, 20), kAutosizeRight);
    container.setViewSize(CRect(0, 0, 130, 50));
    EXPECT_EQ(child->getViewSize(), CRect(90, 10, 120, 20));
    EXPECT_EQ(child->getMouseableArea(), CRect(90, 10, 120, 20));
    EXPECT_TRUE(child->isDirty());
}

TEST_F(Resize, RightWithLeftStretchesTheChild) {
    RecordingView* child = add(CRect(60, 10, 90, 20), kAutosizeRight | kAutosizeLeft);
    container.setViewSize(CRect(0, 0, 80, 50));  // shrinks by 20
    EXPECT_EQ(child->getViewSize(), CRect(60, 10, 70, 20));
    EXPECT_EQ(child->getMouseableArea(), CRect(60, 10, 70, 20));
}

TEST_F(Resize, BottomAndTopFlagsWorkVertically) {
    RecordingView* moved = add(CRect(0, 30, 10, 40), kAutosizeBottom);
    RecordingView* stretched = add(CRect(0, 30, 10, 40), kAutosizeBottom | kAutosizeTop);
    RecordingView* still = add(CRect(0, 30, 10, 40), kAutosizeLeft | kAutosizeTop);
    container.setViewSize(CRect(0, 0, 100, 60));
    EXPECT_EQ(moved->getViewSize(), CRect(0, 40, 10, 50));
    EXPECT_EQ(stretched->getViewSize(), CRect(0, 30, 10, 50));
    EXPECT_EQ(still->getViewSize(), CRect(0, 30, 10, 40));
    EXPECT_EQ(still->setViewSizeCalls, 0);  // unchanged children are left alone
    EXPECT_EQ(still->parentSizeChanges, 1);
}

TEST_F(Resize, ColumnFlagSharesTheWidthChangeEquallyAmongChildren) {
    container.setAutosizeFlags(kAutosizeColumn);
    RecordingView* first = add(CRect(0, 0, 30, 50), kAutosizeNone);
    RecordingView* second = add(CRect(30, 0, 60, 50), kAutosizeRight);  // ignored in columns
    RecordingView* third = add(CRect(60, 0, 100, 50), kAutosizeNone);
    container.setViewSize(CRect(0, 0, 130, 50));
    // share = 30 / 3 = 10: child i moves by i x 10 and widens by 10.
    EXPECT_EQ(first->getViewSize(), CRect(0, 0, 40, 50));
    EXPECT_EQ(second->getViewSize(), CRect(40, 0, 80, 50));
    EXPECT_EQ(third->getViewSize(), CRect(80, 0, 130, 50));
    EXPECT_EQ(third->getMouseableArea(), CRect(80, 0, 130, 50));
}

TEST_F(Resize, RowFlagSharesTheHeightChange) {
    container.setAutosizeFlags(kAutosizeRow);
    RecordingView* top = add(CRect(0, 0, 100, 25), kAutosizeRight);
    RecordingView* bottom = add(CRect(0, 25, 100, 50), kAutosizeNone);
    container.setViewSize(CRect(0, 0, 120, 40));           // dw = 20, dh = -10
    EXPECT_EQ(top->getViewSize(), CRect(20, 0, 120, 20));  // flag 4 still moves it horizontally
    EXPECT_EQ(bottom->getViewSize(), CRect(0, 20, 100, 40));
}

TEST_F(Resize, AMoveWithoutSizeChangeLeavesChildrenAlone) {
    RecordingView* child = add(CRect(60, 10, 90, 20), kAutosizeAll);
    container.setViewSize(CRect(5, 5, 105, 55));
    EXPECT_EQ(container.getViewSize(), CRect(5, 5, 105, 55));
    EXPECT_TRUE(container.isDirty());
    EXPECT_EQ(child->getViewSize(), CRect(60, 10, 90, 20));
    EXPECT_EQ(child->parentSizeChanges, 0);
}

TEST_F(Resize, TheSameRectangleDoesNothing) {
    RecordingView* child = add(CRect(60, 10, 90, 20), kAutosizeRight);
    container.setViewSize(CRect(0, 0, 100, 50));
    EXPECT_FALSE(container.isDirty());
    EXPECT_EQ(child->parentSizeChanges, 0);

    // Without invalidation the container stays clean; a moved child is
    // always resized with invalidation.
    container.setViewSize(CRect(0, 0, 110, 50), false);
    EXPECT_EQ(child->getViewSize(), CRect(70, 10, 100, 20));
    EXPECT_TRUE(child->isDirty());
    EXPECT_EQ(child->parentSizeChanges, 1);
    child->setDirty(false);
    EXPECT_FALSE(container.isDirty());
}

TEST_F(Resize, ColumnsInAnEmptyContainerAreHarmless) {
    container.setAutosizeFlags(kAutosizeColumn | kAutosizeRow);
    container.setViewSize(CRect(0, 0, 10, 10));
    EXPECT_EQ(container.getViewSize(), CRect(0, 0, 10, 10));
}

TEST_F(Resize, NestedContainersFollowTheirOwnFlags) {
    auto* inner = new CViewContainer(CRect(0, 0, 100, 50), nullptr);
    inner->setAutosizeFlags(kAutosizeLeft | kAutosizeRight | kAutosizeColumn);
    auto* leaf = new RecordingView(CRect(0, 0, 50, 50));
    auto* leaf2 = new RecordingView(CRect(50, 0, 100, 50));
    inner->addView(leaf);
    inner->addView(leaf2);
    container.addView(inner);
    container.setViewSize(CRect(0, 0, 140, 50));
    EXPECT_EQ(inner->getViewSize(), CRect(0, 0, 140, 50));
    EXPECT_EQ(leaf->getViewSize(), CRect(0, 0, 70, 50));
    EXPECT_EQ(leaf2->getViewSize(), CRect(70, 0, 140, 50));
    // Once from the inner resize, once passed down from the outer one.
    EXPECT_EQ(leaf->parentSizeChanges, 2);
    inner->forget();
    leaf->forget();
    leaf2->forget();
}

}  // namespace
}  // namespace viewtest
