// Conversions between frame and local coordinates, the visible part of a
// view and the mouse location seen from a view.
#include "recording_views.h"

#include <gtest/gtest.h>

namespace viewtest {
namespace {

// root (5,7,305,307) > outer (100,50,200,150) > inner (50,50,150,150) > deep (0,0,80,80)
struct Nested : ::testing::Test {
    Nested() {
        inner->addView(deep);
        outer->addView(inner);
        root.addView(outer);
        root.attach();
    }
    ~Nested() override {
        for (CView* view : {static_cast<CView*>(outer), static_cast<CView*>(inner), deep})
            view->forget();
    }

    RecordingRoot root{CRect(5, 7, 305, 307)};
    CViewContainer* outer = new CViewContainer(CRect(100, 50, 200, 150), nullptr);
    CViewContainer* inner = new CViewContainer(CRect(50, 50, 150, 150), nullptr);
    CView* deep = new CView(CRect(0, 0, 80, 80));
};

TEST_F(Nested, FrameToLocalSubtractsEveryEnclosingOrigin) {
    CPoint point(200, 170);
    // A view's local coordinates are its parent's: minus inner, outer and root.
    deep->frameToLocal(point);
    EXPECT_EQ(point, CPoint(45, 63));
    deep->localToFrame(point);
    EXPECT_EQ(point, CPoint(200, 170));

    // A container's local coordinates are its inside.
    CPoint insideInner(200, 170);
    inner->frameToLocal(insideInner);
    EXPECT_EQ(insideInner, CPoint(45, 63));
    CPoint insideOuter(200, 170);
    outer->frameToLocal(insideOuter);
    EXPECT_EQ(insideOuter, CPoint(95, 113));
    outer->localToFrame(insideOuter);
    EXPECT_EQ(insideOuter, CPoint(200, 170));
}

TEST_F(Nested, AParentThatIsNoContainerAddsNoOrigin) {
    CView plainParent(CRect(40, 40, 50, 50));
    CView child(CRect(0, 0, 1, 1));
    ASSERT_TRUE(child.attached(&plainParent));
    CPoint point(3, 4);
    child.frameToLocal(point);
    EXPECT_EQ(point, CPoint(3, 4));
    EXPECT_EQ(child.getVisibleSize(), CRect(0, 0, 1, 1));
    EXPECT_TRUE(child.removed(&plainParent));
}

TEST_F(Nested, VisibleSizeIsClippedByEveryAncestor) {
    // inner reaches past outer's right and bottom edges by 50.
    EXPECT_EQ(deep->getVisibleSize(), CRect(0, 0, 50, 50));
    EXPECT_EQ(inner->getVisibleSize(), CRect(50, 50, 100, 100));
    EXPECT_EQ(outer->getVisibleSize(), CRect(100, 50, 200, 150));
    EXPECT_EQ(inner->getVisibleSize(CRect(-10, 20, 30, 200)), CRect(0, 20, 30, 50));

    CView detached(CRect(1, 2, 3, 4));
    EXPECT_EQ(detached.getVisibleSize(), CRect(1, 2, 3, 4));
}

TEST_F(Nested, MouseLocationIsTheContextsShiftedByEnclosingOrigins) {
    CDrawContext context(nullptr, nullptr, nullptr);
    context.setWindowOffset(CPoint(-1000, -2000));
    CPoint expected;
    context.getMouseLocation(expected);

    CPoint seenByDeep(-1, -1);
    deep->getMouseLocation(&context, seenByDeep);
    EXPECT_EQ(seenByDeep, CPoint(expected.x - 155, expected.y - 107));
    CPoint seenByOuter;
    outer->getMouseLocation(&context, seenByOuter);
    EXPECT_EQ(seenByOuter, CPoint(expected.x - 105, expected.y - 57));

    CPoint untouched(9, 9);
    deep->getMouseLocation(nullptr, untouched);
    EXPECT_EQ(untouched, CPoint(9, 9));
}

}  // namespace
}  // namespace viewtest
