// Invalidation up the tree (offsets, bounding, dropping), dirty tracking and
// the idle update of dirty views.
#include "recording_views.h"

#include <gtest/gtest.h>

namespace viewtest {
namespace {

// root (0,0,300,300) > outer (100,50,200,150) > { leaf (10,10,30,30),
// inner (50,50,150,150) > deep (0,0,80,80) }
struct Tree : ::testing::Test {
    Tree() {
        outer->addView(leaf);
        inner->addView(deep);
        outer->addView(inner);
        root.addView(outer);
        root.attach();
    }
    ~Tree() override {
        for (CView* view : {static_cast<CView*>(outer), static_cast<CView*>(inner),
                            static_cast<CView*>(leaf), static_cast<CView*>(deep)})
            view->forget();
    }

    RecordingRoot root{CRect(0, 0, 300, 300)};
    CViewContainer* outer = new CViewContainer(CRect(100, 50, 200, 150), nullptr);
    CViewContainer* inner = new CViewContainer(CRect(50, 50, 150, 150), nullptr);
    RecordingView* leaf = new RecordingView(CRect(10, 10, 30, 30));
    RecordingView* deep = new RecordingView(CRect(0, 0, 80, 80));
};

TEST_F(Tree, InvalidationReachesTheRootOffsetAndBoundedByEachContainer) {
    leaf->invalid();
    deep->invalidRect(CRect(0, 0, 80, 80));
    // deep: +(50,50) in inner, +(100,50) in outer, bounded by outer's size.
    EXPECT_EQ(root.invalidations,
              (std::vector<CRect>{CRect(110, 60, 130, 80), CRect(150, 100, 200, 150)}));
}

TEST_F(Tree, RectanglesOutsideAContainerAreDropped) {
    leaf->invalidRect(CRect(150, 150, 160, 160));
    deep->invalidRect(CRect(60, 0, 80, 10));  // inside inner, beyond outer
    EXPECT_TRUE(root.invalidations.empty());
}

TEST_F(Tree, ContainerInvalidPassesItsSizeUnchanged) {
    outer->setDirty(true);
    outer->invalid();
    EXPECT_FALSE(outer->isDirty());
    EXPECT_EQ(root.invalidations, (std::vector<CRect>{CRect(100, 50, 200, 150)}));
}

TEST_F(Tree, HiddenOrDetachedViewsDoNotInvalidate) {
    inner->setVisible(false);
    root.invalidations.clear();  // hiding asks for one repaint of its area
    deep->invalid();
    EXPECT_TRUE(root.invalidations.empty());

    CView loose(CRect(0, 0, 10, 10));
    loose.invalid();  // neither parent nor frame: nothing to reach, nothing breaks
    CViewContainer detached(CRect(0, 0, 10, 10), nullptr);
    detached.invalidRect(CRect(0, 0, 5, 5));
}

TEST_F(Tree, HidingAViewInvalidatesTheAreaItUncovers) {
    leaf->setVisible(false);
    EXPECT_EQ(root.invalidations, (std::vector<CRect>{CRect(110, 60, 130, 80)}));
    leaf->setVisible(true);  // shown again: dirty, repainted at the next idle
    EXPECT_EQ(root.invalidations.size(), 1u);
    EXPECT_TRUE(leaf->isDirty());
}

TEST_F(Tree, DirtyChildMakesEveryAncestorDirty) {
    EXPECT_FALSE(root.isDirty());
    deep->setDirty(true);
    EXPECT_TRUE(inner->isDirty());
    EXPECT_TRUE(outer->isDirty());
    EXPECT_TRUE(root.isDirty());
    deep->setDirty(false);
    EXPECT_FALSE(root.isDirty());

    // A dirty child entirely outside its container's area does not count.
    leaf->setViewSize(CRect(150, 150, 160, 160), true);
    EXPECT_TRUE(leaf->isDirty());
    EXPECT_FALSE(outer->isDirty());
}

TEST_F(Tree, UpdateDirtyViewsInvalidatesDirtyLeavesAndClearsThem) {
    deep->setDirty(true);
    leaf->setDirty(true);
    root.updateDirtyViews();
    EXPECT_EQ(root.invalidations,
              (std::vector<CRect>{CRect(110, 60, 130, 80), CRect(150, 100, 200, 150)}));
    EXPECT_FALSE(deep->isDirty());
    EXPECT_FALSE(leaf->isDirty());
    EXPECT_FALSE(root.isDirty());

    root.invalidations.clear();
    root.updateDirtyViews();  // nothing left to do
    EXPECT_TRUE(root.invalidations.empty());
}

TEST_F(Tree, ADirtyContainerIsInvalidatedWhole) {
    outer->setBackgroundColor(CColor{1, 2, 3, 255});  // marks it dirty
    leaf->setDirty(true);
    root.updateDirtyViews();
    EXPECT_EQ(root.invalidations, (std::vector<CRect>{CRect(100, 50, 200, 150)}));
    EXPECT_FALSE(outer->CView::isDirty());  // its own flag
    EXPECT_TRUE(leaf->isDirty());           // covered by the container's repaint, left for its draw
}

TEST_F(Tree, HiddenDirtyChildrenAreSkipped) {
    leaf->setVisible(false);
    root.invalidations.clear();
    ASSERT_TRUE(leaf->isDirty());
    root.updateDirtyViews();
    EXPECT_TRUE(root.invalidations.empty());
}

TEST_F(Tree, ADirtyRootIsInvalidatedThroughItsParentAndCleared) {
    root.setDirty(true);
    leaf->setDirty(true);
    root.updateDirtyViews();
    EXPECT_FALSE(root.CView::isDirty());
    EXPECT_TRUE(root.invalidations.empty());  // no parent or frame above the root
    EXPECT_TRUE(leaf->isDirty());
}

}  // namespace
}  // namespace viewtest
