// CView: geometry, drawing of the background, invalidation, attachment and
// the default answers of the event entry points. UI thread only.
#include "gui/toolkit/view.h"

#include "gui/toolkit/bitmap.h"
#include "gui/toolkit/drawcontext.h"
#include "gui/toolkit/viewcontainer.h"
#include "gui/toolkit/viewtree_frame.h"

#include <cstring>

namespace VSTGUI {

namespace {

// Parents are asked rather than cast blindly: only containers answer the
// message, and only their coordinates count as enclosing origins.
bool isContainer(CView* view, const CView* asking) {
    return view &&
           view->notify(const_cast<CView*>(asking), kMsgCheckIfViewContainer) == kMessageNotified;
}

}  // namespace

CView::CView(const CRect& rect) : size(rect), mouseableArea(rect) {}

CView::CView(const CView& other)
    : CBaseObject(other), size(other.size), mouseableArea(other.mouseableArea),
      mouseEnabled(other.mouseEnabled), transparent(other.transparent),
      wantsFocusFlag(other.wantsFocusFlag), autosizeFlags(other.autosizeFlags),
      background(other.background) {
    if (background)
        background->remember();
    copyAttributesFrom(other);
}

CView::~CView() {
    if (background)
        background->forget();
    freeAttributes();
}

void CView::draw(CDrawContext* context) {
    if (background && context) {
        if (transparent)
            background->drawTransparent(context, size);
        else
            background->draw(context, size);
    }
    setDirty(false);
}

void CView::drawRect(CDrawContext* context, const CRect& /*updateRect*/) {
    draw(context);
}

bool CView::checkUpdate(const CRect& updateRect) const {
    return size.rectOverlap(updateRect);
}

void CView::passInvalidationUp(const CRect& rect) {
    if (!isAttachedFlag || !visible)
        return;
    if (parentView)
        parentView->invalidRect(rect);
    else if (CView* frameView = frameaccess::asView(frame); frameView && frameView != this)
        frameView->invalidRect(rect);
}

void CView::invalidRect(const CRect& rect) {
    passInvalidationUp(rect);
}

void CView::invalid() {
    setDirty(false);
    invalidRect(size);
}

void CView::setVisible(bool state) {
    if (visible == state)
        return;
    // Once hidden the view can no longer invalidate, and idle passes skip
    // hidden views: ask for the repaint of the uncovered area now.
    if (!state)
        invalidRect(size);
    visible = state;
    setDirty(true);
}

CMouseEventResult CView::onMouseDown(CPoint& /*where*/, const int32_t& /*buttons*/) {
    return kMouseEventNotImplemented;
}
CMouseEventResult CView::onMouseUp(CPoint& /*where*/, const int32_t& /*buttons*/) {
    return kMouseEventNotImplemented;
}
CMouseEventResult CView::onMouseMoved(CPoint& /*where*/, const int32_t& /*buttons*/) {
    return kMouseEventNotImplemented;
}
CMouseEventResult CView::onMouseEntered(CPoint& /*where*/, const int32_t& /*buttons*/) {
    return kMouseEventNotImplemented;
}
CMouseEventResult CView::onMouseExited(CPoint& /*where*/, const int32_t& /*buttons*/) {
    return kMouseEventNotImplemented;
}

bool CView::hitTest(const CPoint& where, const int32_t& /*buttons*/) {
    return mouseableArea.pointInside(where);
}

bool CView::onWheel(const CPoint& /*where*/, const float& /*distance*/,
                    const int32_t& /*buttons*/) {
    return false;
}

bool CView::onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
                    const int32_t& buttons) {
    if (axis != kMouseWheelAxisX)
        return onWheel(where, distance, buttons);
    const float negated = -distance;
    return onWheel(where, negated, buttons);
}

CRect& CView::getMouseableArea(CRect& rect) const {
    rect = mouseableArea;
    return rect;
}

bool CView::onDrop(CDragContainer* /*drag*/, const CPoint& /*where*/) {
    return false;
}
void CView::onDragEnter(CDragContainer* /*drag*/, const CPoint& /*where*/) {}
void CView::onDragLeave(CDragContainer* /*drag*/, const CPoint& /*where*/) {}
void CView::onDragMove(CDragContainer* /*drag*/, const CPoint& /*where*/) {}

int32_t CView::onKeyDown(VstKeyCode& /*keyCode*/) {
    return kKeyNotHandled;
}
int32_t CView::onKeyUp(VstKeyCode& /*keyCode*/) {
    return kKeyNotHandled;
}

void CView::setViewSize(const CRect& rect, bool invalidate) {
    size = rect;
    if (invalidate)
        setDirty(true);
}

CRect& CView::getViewSize(CRect& rect) const {
    rect = size;
    return rect;
}

CRect CView::getVisibleSize() const {
    if (isContainer(parentView, this))
        return static_cast<const CViewContainer*>(parentView)->getVisibleSize(size);
    return size;
}

CPoint& CView::frameToLocal(CPoint& point) const {
    if (isContainer(parentView, this))
        return parentView->frameToLocal(point);
    return point;
}

CPoint& CView::localToFrame(CPoint& point) const {
    if (isContainer(parentView, this))
        return parentView->localToFrame(point);
    return point;
}

void CView::setBackground(CBitmap* bitmap) {
    // Retain first: the new bitmap may be the old one.
    if (bitmap)
        bitmap->remember();
    if (background)
        background->forget();
    background = bitmap;
    setDirty(true);
}

bool CView::removed(CView* /*parent*/) {
    if (!isAttachedFlag)
        return false;
    parentView = nullptr;
    frame = nullptr;
    isAttachedFlag = false;
    return true;
}

bool CView::attached(CView* parent) {
    if (isAttachedFlag)
        return false;
    // A root is attached with no parent (or itself); it never becomes its own parent.
    parentView = parent == this ? nullptr : parent;
    if (parentView)
        frame = parentView->getFrame();
    isAttachedFlag = true;
    return true;
}

VSTGUIEditorInterface* CView::getEditor() const {
    CView* frameView = frameaccess::asView(frame);
    if (!frameView || frameView == this)
        return nullptr;
    return frameView->getEditor();
}

bool CView::isTypeOf(const char* name) const {
    return name && std::strcmp(name, "CView") == 0;
}

void CView::mouse(CDrawContext* /*context*/, CPoint& /*where*/, int32_t /*buttons*/) {}

void CView::getMouseLocation(CDrawContext* context, CPoint& point) {
    if (!context)
        return;
    context->getMouseLocation(point);
    frameToLocal(point);
}

}  // namespace VSTGUI
