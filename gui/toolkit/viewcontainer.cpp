// CViewContainer: the child list with its reference rules, attachment passed
// down the tree, copies, lookups, dirty tracking and focus order. UI thread only.
#include "gui/toolkit/viewcontainer.h"

#include "gui/toolkit/bitmap.h"
#include "gui/toolkit/drawcontext.h"
#include "gui/toolkit/viewtree_frame.h"

#include <cstring>
#include <new>
#include <vector>

namespace VSTGUI {

CViewContainer::CViewContainer(const CRect& rect, CFrame* parentFrame, CBitmap* bitmap)
    : CView(rect) {
    frame = parentFrame;
    background = bitmap;
    if (background)
        background->remember();
}

CViewContainer::CViewContainer(const CViewContainer& other)
    : CView(other), backgroundColor(other.backgroundColor),
      backgroundOffset(other.backgroundOffset), drawInOffscreen(other.drawInOffscreen) {
    for (const Child* child = other.firstChild; child; child = child->next) {
        CView* copy = child->view->newCopy();
        if (!copy)
            continue;
        // The copy starts with its own reference, which the container's
        // removal with release drops, as for any view made and added.
        if (!addView(copy))
            copy->forget();
    }
}

CViewContainer::~CViewContainer() {
    CViewContainer::removeAll(true);
    if (offscreen)
        offscreen->forget();
}

bool CViewContainer::addView(CView* view) {
    return addView(view, nullptr);
}

bool CViewContainer::addView(CView* view, const CRect& area, bool enabled) {
    if (!addView(view, nullptr))
        return false;
    view->setMouseableArea(area);
    view->setMouseEnabled(enabled);
    return true;
}

bool CViewContainer::addView(CView* view, CView* before) {
    // A view may sit in one place only; a container cannot hold itself.
    if (!view || view->isAttached() || view == this || isChild(view))
        return false;
    auto* node = new (std::nothrow) Child{view, nullptr, nullptr};
    if (!node)
        return false;
    Child* next = firstChild;
    while (next && (!before || next->view != before))
        next = next->next;
    if (next) {
        node->next = next;
        node->previous = next->previous;
        if (next->previous)
            next->previous->next = node;
        else
            firstChild = node;
        next->previous = node;
    } else {
        node->previous = lastChild;
        if (lastChild)
            lastChild->next = node;
        else
            firstChild = node;
        lastChild = node;
    }
    view->remember();
    if (isAttachedFlag)
        view->attached(this);
    return true;
}

bool CViewContainer::removeView(CView* view, bool withRelease) {
    Child* node = firstChild;
    while (node && node->view != view)
        node = node->next;
    if (!node)
        return false;
    if (node->previous)
        node->previous->next = node->next;
    else
        firstChild = node->next;
    if (node->next)
        node->next->previous = node->previous;
    else
        lastChild = node->previous;
    delete node;

    if (mouseDownView == view)
        mouseDownView = nullptr;
    if (dragView == view)
        dragView = nullptr;
    // A view deep in the tree may be the frame's focus or mouse-over view.
    if (frame && frameaccess::asView(frame) != this)
        frameaccess::viewRemoved(frame, view);
    if (view->isAttached())
        view->removed(this);
    // The second release only when the node's reference is not the last one:
    // an over-released view is not touched after it is gone.
    const bool releaseAgain = withRelease && view->getNbReference() > 1;
    view->forget();
    if (releaseAgain)
        view->forget();
    return true;
}

bool CViewContainer::removeAll(bool withRelease) {
    while (firstChild)
        removeView(firstChild->view, withRelease);
    return true;
}

bool CViewContainer::isChild(CView* view) const {
    if (!view)
        return false;
    for (const Child* child = firstChild; child; child = child->next)
        if (child->view == view)
            return true;
    return false;
}

int32_t CViewContainer::getNbViews() const {
    int32_t count = 0;
    for (const Child* child = firstChild; child; child = child->next)
        ++count;
    return count;
}

CView* CViewContainer::getView(int32_t index) const {
    if (index < 0)
        return nullptr;
    for (const Child* child = firstChild; child; child = child->next)
        if (index-- == 0)
            return child->view;
    return nullptr;
}

CView* CViewContainer::childAt(const CPoint& local) const {
    for (const Child* child = lastChild; child; child = child->previous)
        if (child->view->isVisible() && child->view->getMouseableArea().pointInside(local))
            return child->view;
    return nullptr;
}

CView* CViewContainer::getViewAt(const CPoint& where, bool deep) const {
    CPoint local(where.x - size.left, where.y - size.top);
    CView* view = childAt(local);
    if (deep && view &&
        view->notify(const_cast<CViewContainer*>(this), kMsgCheckIfViewContainer) ==
            kMessageNotified) {
        // The deepest view: the sub-container itself when none of its children is there.
        CView* inner = static_cast<CViewContainer*>(view)->getViewAt(local, true);
        if (inner)
            return inner;
    }
    return view;
}

CViewContainer* CViewContainer::getContainerAt(const CPoint& where, bool deep) const {
    CPoint local(where.x - size.left, where.y - size.top);
    for (const Child* child = lastChild; child; child = child->previous) {
        CView* view = child->view;
        if (!view->isVisible() || !view->getMouseableArea().pointInside(local) ||
            view->notify(const_cast<CViewContainer*>(this), kMsgCheckIfViewContainer) !=
                kMessageNotified)
            continue;
        auto* container = static_cast<CViewContainer*>(view);
        return deep ? container->getContainerAt(local, true) : container;
    }
    return const_cast<CViewContainer*>(this);
}

CView* CViewContainer::getCurrentView() const {
    CPoint where;
    if (!frameaccess::currentMouseLocation(frame, where))
        return nullptr;
    frameToLocal(where);
    return childAt(where);
}

bool CViewContainer::isChildVisible(CView* child, const CRect& rect) const {
    return child && child->checkUpdate(rect) && child->isVisible();
}

CMessageResult CViewContainer::notify(CBaseObject* /*sender*/, const char* message) {
    // Messages are compared by identity.
    return message == kMsgCheckIfViewContainer ? kMessageNotified : kMessageUnknown;
}

bool CViewContainer::isDirty() const {
    if (dirty)
        return true;
    const CRect area(0, 0, size.width(), size.height());
    for (const Child* child = firstChild; child; child = child->next)
        if (child->view->isDirty() && child->view->getViewSize().rectOverlap(area))
            return true;
    return false;
}

void CViewContainer::updateDirtyViews() {
    if (dirty) {
        invalid();
        return;
    }
    for (const Child* child = firstChild; child; child = child->next) {
        CView* view = child->view;
        if (!view->isVisible() || !view->isDirty())
            continue;
        if (view->notify(this, kMsgCheckIfViewContainer) == kMessageNotified)
            static_cast<CViewContainer*>(view)->updateDirtyViews();
        else
            view->invalid();
    }
}

bool CViewContainer::removed(CView* parent) {
    if (!isAttachedFlag)
        return false;
    for (Child* child = firstChild; child; child = child->next)
        child->view->removed(this);
    return CView::removed(parent);
}

bool CViewContainer::attached(CView* parent) {
    if (!CView::attached(parent))
        return false;
    if (drawInOffscreen && !offscreen)
        createOffscreen();
    for (Child* child = firstChild; child; child = child->next)
        child->view->attached(this);
    return true;
}

bool CViewContainer::isTypeOf(const char* name) const {
    return (name && std::strcmp(name, "CViewContainer") == 0) || CView::isTypeOf(name);
}

void CViewContainer::looseFocus() {
    for (Child* child = firstChild; child; child = child->next)
        child->view->looseFocus();
}

void CViewContainer::takeFocus() {
    for (Child* child = firstChild; child; child = child->next)
        child->view->takeFocus();
}

void CViewContainer::parentSizeChanged() {
    for (Child* child = firstChild; child; child = child->next)
        child->view->parentSizeChanged();
}

namespace {

// Every view of the tree below container, each container before its children.
void collectViews(const CViewContainer& container, std::vector<CView*>& views) {
    for (int32_t i = 0, n = container.getNbViews(); i < n; ++i) {
        CView* view = container.getView(i);
        views.push_back(view);
        if (view->notify(nullptr, kMsgCheckIfViewContainer) == kMessageNotified)
            collectViews(*static_cast<CViewContainer*>(view), views);
    }
}

}  // namespace

CView* CViewContainer::getNextFocusView(CView* oldFocus, bool reverse) const {
    std::vector<CView*> views;
    collectViews(*this, views);
    const auto count = static_cast<std::ptrdiff_t>(views.size());
    const std::ptrdiff_t step = reverse ? -1 : 1;
    std::ptrdiff_t index = reverse ? count - 1 : 0;
    for (std::ptrdiff_t i = 0; i < count; ++i) {
        if (views[static_cast<size_t>(i)] == oldFocus) {
            index = i + step;
            break;
        }
    }
    for (; index >= 0 && index < count; index += step) {
        CView* view = views[static_cast<size_t>(index)];
        if (view->wantsFocus())
            return view;
    }
    return nullptr;
}

bool CViewContainer::advanceNextFocusView(CView* oldFocus, bool reverse) {
    if (!frame)
        return false;
    CView* next = getNextFocusView(oldFocus, reverse);
    if (!next)
        return false;
    frameaccess::setFocusView(frame, next);
    return true;
}

}  // namespace VSTGUI
