// CViewContainer drawing, offscreen cache, invalidation and coordinates.
// UI thread only.
#include "gui/toolkit/bitmap.h"
#include "gui/toolkit/drawcontext.h"
#include "gui/toolkit/viewcontainer.h"

namespace VSTGUI {

namespace {

// Moves a context's drawing offset and window origin by a container's
// top-left for the time of a draw.
class ShiftedOrigin {
  public:
    ShiftedOrigin(CDrawContext* target, const CPoint& shift)
        : context(target), offset(target->getOffset()), windowOffset(target->getWindowOffset()) {
        context->setOffset(CPoint(offset.x + shift.x, offset.y + shift.y));
        context->setWindowOffset(CPoint(windowOffset.x + shift.x, windowOffset.y + shift.y));
    }
    ShiftedOrigin(const ShiftedOrigin&) = delete;
    ShiftedOrigin& operator=(const ShiftedOrigin&) = delete;
    ~ShiftedOrigin() {
        context->setOffset(offset);
        context->setWindowOffset(windowOffset);
    }

  private:
    CDrawContext* context;
    CPoint offset;
    CPoint windowOffset;
};

}  // namespace

void CViewContainer::createOffscreen() {
    if (offscreen) {
        offscreen->forget();
        offscreen = nullptr;
    }
    // An empty container has nothing to cache; it draws straight into the given context.
    if (size.isEmpty())
        return;
    offscreen = new COffscreenContext(frame, size.width(), size.height(), kBlackCColor);
}

void CViewContainer::setDrawInOffscreen(bool state) {
    drawInOffscreen = state;
    if (!state && offscreen) {
        offscreen->forget();
        offscreen = nullptr;
    }
}

void CViewContainer::setBackgroundColor(CColor color) {
    backgroundColor = color;
    setDirty(true);
}

void CViewContainer::draw(CDrawContext* context) {
    CViewContainer::drawRect(context, size);
}

void CViewContainer::drawRect(CDrawContext* context, const CRect& updateRect) {
    if (!context)
        return;
    if (drawInOffscreen && !offscreen)
        createOffscreen();
    const bool viaOffscreen = drawInOffscreen && offscreen;
    CDrawContext* target = viaOffscreen ? offscreen : context;
    {
        // The offscreen is already in the container's coordinates.
        ShiftedOrigin shift(target, viaOffscreen ? CPoint() : size.topLeft());

        CRect localUpdate(updateRect);
        localUpdate.bound(size);
        localUpdate.offset(-size.left, -size.top);
        CRect savedClip;
        target->getClipRect(savedClip);
        CRect clip(localUpdate);
        clip.bound(savedClip);
        target->setClipRect(clip);

        drawBackgroundRect(target, clip);

        for (Child* child = firstChild; child; child = child->next) {
            CView* view = child->view;
            if (!view->isVisible() || !view->checkUpdate(localUpdate))
                continue;
            CRect childClip(view->getViewSize());
            childClip.bound(clip);
            if (childClip.isEmpty())
                continue;
            target->setClipRect(childClip);
            view->drawRect(target, localUpdate);
        }
        target->setClipRect(savedClip);

        if (viaOffscreen) {
            CRect destination(updateRect);
            destination.bound(size);
            offscreen->copyFrom(context, destination, localUpdate.topLeft());
        }
    }
    setDirty(false);
}

void CViewContainer::drawBackgroundRect(CDrawContext* context, const CRect& updateRect) {
    if (!context)
        return;
    if (background) {
        CRect savedClip;
        context->getClipRect(savedClip);
        CRect clip(updateRect);
        clip.bound(savedClip);
        context->setClipRect(clip);
        const CRect area(0, 0, background->getWidth(), background->getHeight());
        if (transparent)
            background->drawTransparent(context, area, backgroundOffset);
        else
            background->draw(context, area, backgroundOffset);
        context->setClipRect(savedClip);
        return;
    }
    if (transparent && backgroundColor.alpha == 255)
        return;
    context->setFillColor(backgroundColor);
    context->setFrameColor(backgroundColor);
    context->drawRect(CRect(0, 0, size.width(), size.height()), kDrawFilledAndStroked);
}

void CViewContainer::invalidRect(const CRect& rect) {
    CRect inParent(rect);
    inParent.offset(size.left, size.top);
    inParent.bound(size);
    if (!inParent.isEmpty())
        passInvalidationUp(inParent);
}

void CViewContainer::invalid() {
    setDirty(false);
    // The size is already in the parent's coordinates: pass it up unchanged.
    passInvalidationUp(size);
}

CRect CViewContainer::getVisibleSize(const CRect& rect) const {
    CRect result(rect);
    result.offset(size.left, size.top);
    result.bound(size);
    if (parentView && parentView->notify(const_cast<CViewContainer*>(this),
                                         kMsgCheckIfViewContainer) == kMessageNotified)
        result = static_cast<const CViewContainer*>(parentView)->getVisibleSize(result);
    result.offset(-size.left, -size.top);
    return result;
}

bool CViewContainer::hitTest(const CPoint& where, const int32_t& buttons) {
    return CView::hitTest(where, buttons);
}

bool CViewContainer::hitTestSubViews(const CPoint& where, const int32_t& buttons) {
    const CPoint local(where.x - size.left, where.y - size.top);
    for (Child* child = lastChild; child; child = child->previous)
        if (child->view->isVisible() && child->view->hitTest(local, buttons))
            return true;
    return false;
}

CPoint& CViewContainer::frameToLocal(CPoint& point) const {
    point.offset(-size.left, -size.top);
    return CView::frameToLocal(point);
}

CPoint& CViewContainer::localToFrame(CPoint& point) const {
    point.offset(size.left, size.top);
    return CView::localToFrame(point);
}

void CViewContainer::getMouseLocation(CDrawContext* context, CPoint& point) {
    // frameToLocal of a container reaches its inside: children's coordinates.
    CView::getMouseLocation(context, point);
}

}  // namespace VSTGUI
