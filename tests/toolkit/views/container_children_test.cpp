// CViewContainer children: references through add, remove and release,
// failures, order, lookups and attachment passed down the tree.
#include "recording_views.h"

#include <gtest/gtest.h>

namespace viewtest {
namespace {

TEST(ContainerReferences, AddGainsOneRemoveWithoutReleaseKeepsOne) {
    int destroyed = 0;
    CViewContainer container(CRect(0, 0, 100, 100), nullptr);
    auto* view = new CountingView(CRect(0, 0, 10, 10), destroyed);
    ASSERT_TRUE(container.addView(view));
    EXPECT_EQ(view->getNbReference(), 2);
    ASSERT_TRUE(container.removeView(view, false));
    EXPECT_EQ(view->getNbReference(), 1);
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(container.getNbViews(), 0);
    view->forget();
    EXPECT_EQ(destroyed, 1);
}

TEST(ContainerReferences, RemoveWithReleaseDestroysAViewMadeAndAdded) {
    int destroyed = 0;
    CViewContainer container(CRect(0, 0, 100, 100), nullptr);
    auto* view = new CountingView(CRect(0, 0, 10, 10), destroyed);
    ASSERT_TRUE(container.addView(view));
    ASSERT_TRUE(container.removeView(view, true));
    EXPECT_EQ(destroyed, 1);
}

TEST(ContainerReferences, AnExtraReferenceSurvivesRemovalWithRelease) {
    int destroyed = 0;
    CViewContainer container(CRect(0, 0, 100, 100), nullptr);
    auto* view = new CountingView(CRect(0, 0, 10, 10), destroyed);
    view->remember();
    ASSERT_TRUE(container.addView(view));
    EXPECT_EQ(view->getNbReference(), 3);
    ASSERT_TRUE(container.removeView(view));
    EXPECT_EQ(view->getNbReference(), 1);
    EXPECT_EQ(destroyed, 0);
    view->forget();
    EXPECT_EQ(destroyed, 1);
}

TEST(ContainerReferences, AViewHeldOnlyByTheContainerIsReleasedOnce) {
    // The caller gave up its own reference: removal with release must not
    // release a view that the first release destroyed.
    int destroyed = 0;
    CViewContainer container(CRect(0, 0, 100, 100), nullptr);
    auto* view = new CountingView(CRect(0, 0, 10, 10), destroyed);
    ASSERT_TRUE(container.addView(view));
    view->forget();
    EXPECT_EQ(destroyed, 0);
    ASSERT_TRUE(container.removeView(view, true));
    EXPECT_EQ(destroyed, 1);
}

TEST(ContainerReferences, DestroyingTheContainerDestroysTheWholeTree) {
    int destroyed = 0;
    auto* outer = new CViewContainer(CRect(0, 0, 100, 100), nullptr);
    auto* inner = new CViewContainer(CRect(10, 10, 50, 50), nullptr);
    outer->addView(new CountingView(CRect(0, 0, 10, 10), destroyed));
    inner->addView(new CountingView(CRect(0, 0, 10, 10), destroyed));
    inner->addView(new CountingView(CRect(0, 0, 10, 10), destroyed));
    outer->addView(inner);
    outer->forget();
    EXPECT_EQ(destroyed, 3);
}

TEST(ContainerReferences, RemoveAllWithoutReleaseLeavesTheCallersReferences) {
    int destroyed = 0;
    CViewContainer container(CRect(0, 0, 100, 100), nullptr);
    auto* a = new CountingView(CRect(0, 0, 10, 10), destroyed);
    auto* b = new CountingView(CRect(0, 0, 10, 10), destroyed);
    container.addView(a);
    container.addView(b);
    EXPECT_TRUE(container.removeAll(false));
    EXPECT_EQ(container.getNbViews(), 0);
    EXPECT_EQ(a->getNbReference(), 1);
    EXPECT_EQ(b->getNbReference(), 1);
    a->forget();
    b->forget();
    EXPECT_EQ(destroyed, 2);
}

TEST(ContainerChildren, AddingNullAttachedOrTwiceFailsAndRemovingAStrangerFails) {
    RecordingRoot root(CRect(0, 0, 100, 100));
    root.attach();
    CViewContainer detached(CRect(0, 0, 100, 100), nullptr);
    auto* view = new CView(CRect(0, 0, 10, 10));
    EXPECT_FALSE(root.addView(nullptr));
    EXPECT_FALSE(root.addView(nullptr, CRect(0, 0, 1, 1)));
    ASSERT_TRUE(root.addView(view));
    EXPECT_TRUE(view->isAttached());
    EXPECT_FALSE(detached.addView(view));  // already attached elsewhere
    EXPECT_FALSE(root.addView(view));      // already a child
    EXPECT_EQ(view->getNbReference(), 2);
    EXPECT_EQ(root.getNbViews(), 1);

    // In a detached container the view stays detached, and still only once.
    auto* loose = new CView(CRect(0, 0, 10, 10));
    ASSERT_TRUE(detached.addView(loose));
    EXPECT_FALSE(loose->isAttached());
    EXPECT_FALSE(detached.addView(loose));
    EXPECT_FALSE(detached.addView(&detached));
    EXPECT_EQ(detached.getNbViews(), 1);

    CView stranger(CRect(0, 0, 1, 1));
    EXPECT_FALSE(root.removeView(&stranger));
    EXPECT_FALSE(root.removeView(nullptr));
    view->forget();
    loose->forget();
}

TEST(ContainerChildren, OrderIndexAndInsertBefore) {
    CViewContainer container(CRect(0, 0, 100, 100), nullptr);
    auto* a = new CView(CRect(0, 0, 1, 1));
    auto* b = new CView(CRect(0, 0, 1, 1));
    auto* c = new CView(CRect(0, 0, 1, 1));
    auto* d = new CView(CRect(0, 0, 1, 1));
    CView stranger(CRect(0, 0, 1, 1));
    container.addView(a);
    container.addView(c);
    container.addView(b, c);          // before c
    container.addView(d, &stranger);  // not a child: appended
    ASSERT_EQ(container.getNbViews(), 4);
    EXPECT_EQ(container.getView(0), a);
    EXPECT_EQ(container.getView(1), b);
    EXPECT_EQ(container.getView(2), c);
    EXPECT_EQ(container.getView(3), d);
    EXPECT_EQ(container.getView(4), nullptr);
    EXPECT_EQ(container.getView(-1), nullptr);
    EXPECT_TRUE(container.isChild(b));
    EXPECT_FALSE(container.isChild(&stranger));
    EXPECT_FALSE(container.isChild(nullptr));

    container.removeView(a, false);
    container.removeView(d, false);
    ASSERT_EQ(container.getNbViews(), 2);
    EXPECT_EQ(container.getView(0), b);
    EXPECT_EQ(container.getView(1), c);
    auto* e = new CView(CRect(0, 0, 1, 1));
    container.addView(e, b);  // before the first
    EXPECT_EQ(container.getView(0), e);
    for (CView* view : {a, b, c, d, e})
        view->forget();
}

TEST(ContainerChildren, AddWithMouseableAreaSetsAreaAndEnabledFlag) {
    CViewContainer container(CRect(0, 0, 100, 100), nullptr);
    auto* view = new CView(CRect(0, 0, 10, 10));
    ASSERT_TRUE(container.addView(view, CRect(2, 2, 4, 4), false));
    EXPECT_EQ(view->getMouseableArea(), CRect(2, 2, 4, 4));
    EXPECT_FALSE(view->getMouseEnabled());
}

TEST(ContainerAttachment, AttachingAndRemovingPassDownTheTree) {
    RecordingRoot root(CRect(0, 0, 100, 100));
    auto* inner = new CViewContainer(CRect(10, 10, 50, 50), nullptr);
    auto* leaf = new CView(CRect(0, 0, 5, 5));
    inner->addView(leaf);
    root.addView(inner);
    EXPECT_FALSE(inner->isAttached());
    EXPECT_FALSE(leaf->isAttached());

    root.attach();
    EXPECT_TRUE(root.isAttached());
    EXPECT_EQ(root.getParentView(), nullptr);
    EXPECT_TRUE(inner->isAttached());
    EXPECT_EQ(inner->getParentView(), &root);
    EXPECT_TRUE(leaf->isAttached());
    EXPECT_EQ(leaf->getParentView(), inner);
    EXPECT_FALSE(root.attached(nullptr));  // once only

    inner->remember();
    ASSERT_TRUE(root.removeView(inner));
    EXPECT_FALSE(inner->isAttached());
    EXPECT_EQ(inner->getParentView(), nullptr);
    EXPECT_FALSE(leaf->isAttached());
    EXPECT_EQ(leaf->getParentView(), nullptr);
    EXPECT_FALSE(inner->removed(nullptr));  // already detached

    // A root attached with itself does not become its own parent.
    CViewContainer self(CRect(0, 0, 1, 1), nullptr);
    EXPECT_TRUE(self.attached(&self));
    EXPECT_EQ(self.getParentView(), nullptr);
    inner->forget();
}

TEST(ContainerNotify, AnswersOnlyTheContainerCheckByIdentity) {
    CViewContainer container(CRect(0, 0, 1, 1), nullptr);
    EXPECT_EQ(container.notify(nullptr, kMsgCheckIfViewContainer), kMessageNotified);
    const char sameText[] = "kMsgCheckIfViewContainer";
    EXPECT_EQ(container.notify(nullptr, sameText), kMessageUnknown);
    EXPECT_EQ(container.notify(nullptr, kMsgNewFocusView), kMessageUnknown);
    EXPECT_EQ(container.notify(nullptr, nullptr), kMessageUnknown);
}

TEST(ContainerLookup, ViewAndContainerAtPointTopmostFirstAndDeep) {
    CViewContainer root(CRect(0, 0, 200, 200), nullptr);
    auto* lower = new CView(CRect(0, 0, 100, 100));
    auto* upper = new CView(CRect(50, 50, 80, 80));
    auto* inner = new CViewContainer(CRect(100, 100, 200, 200), nullptr);
    auto* deep = new CView(CRect(10, 10, 20, 20));
    inner->addView(deep);
    root.addView(lower);
    root.addView(upper);
    root.addView(inner);

    EXPECT_EQ(root.getViewAt(CPoint(60, 60)), upper);
    EXPECT_EQ(root.getViewAt(CPoint(10, 10)), lower);
    EXPECT_EQ(root.getViewAt(CPoint(115, 115)), inner);
    EXPECT_EQ(root.getViewAt(CPoint(115, 115), true), deep);
    EXPECT_EQ(root.getViewAt(CPoint(150, 150), true), inner);  // no child there
    upper->setVisible(false);
    EXPECT_EQ(root.getViewAt(CPoint(60, 60)), lower);

    EXPECT_EQ(root.getContainerAt(CPoint(10, 10)), &root);
    EXPECT_EQ(root.getContainerAt(CPoint(115, 115)), inner);

    // Points are in the container's parent's coordinates.
    CViewContainer shifted(CRect(100, 100, 200, 200), nullptr);
    auto* child = new CView(CRect(0, 0, 10, 10));
    shifted.addView(child);
    EXPECT_EQ(shifted.getViewAt(CPoint(105, 105)), child);
    EXPECT_EQ(shifted.getViewAt(CPoint(5, 5)), nullptr);
    for (CView* view : std::initializer_list<CView*>{lower, upper, inner, deep, child})
        view->forget();
}

TEST(ContainerCopy, CopiesChildrenByTheirOwnCopies) {
    CViewContainer original(CRect(0, 0, 100, 100), nullptr);
    original.setBackgroundColor(CColor{1, 2, 3, 4});
    original.setBackgroundOffset(CPoint(5, 6));
    auto* inner = new CViewContainer(CRect(10, 10, 50, 50), nullptr);
    auto* leaf = new CView(CRect(1, 2, 3, 4));
    inner->addView(leaf);
    original.addView(inner);

    CView* copied = original.newCopy();
    ASSERT_NE(copied, nullptr);
    ASSERT_TRUE(copied->isTypeOf("CViewContainer"));
    auto* copy = static_cast<CViewContainer*>(copied);
    EXPECT_EQ(copy->getBackgroundColor(), (CColor{1, 2, 3, 4}));
    EXPECT_EQ(copy->getBackgroundOffset(), CPoint(5, 6));
    ASSERT_EQ(copy->getNbViews(), 1);
    CView* innerCopy = copy->getView(0);
    EXPECT_NE(innerCopy, inner);
    ASSERT_TRUE(innerCopy->isTypeOf("CViewContainer"));
    auto* innerCopyContainer = static_cast<CViewContainer*>(innerCopy);
    ASSERT_EQ(innerCopyContainer->getNbViews(), 1);
    EXPECT_NE(innerCopyContainer->getView(0), leaf);
    EXPECT_EQ(innerCopyContainer->getView(0)->getViewSize(), CRect(1, 2, 3, 4));
    // Made and added like any child: destroyed with the copy.
    EXPECT_EQ(innerCopy->getNbReference(), 2);
    copied->forget();
    inner->forget();
    leaf->forget();
}

}  // namespace
}  // namespace viewtest
