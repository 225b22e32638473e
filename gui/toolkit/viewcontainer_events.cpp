// CViewContainer event routing: mouse, wheel, keys and drag and drop, each
// handed to the children in the children's coordinates. UI thread only.
#include "gui/toolkit/drawcontext.h"
#include "gui/toolkit/viewcontainer.h"
#include "gui/toolkit/viewtree_frame.h"

namespace VSTGUI {

namespace {

// Right-button and modifier clicks on a control with a listener go to the
// listener first. This toolkit has no control type, so no child takes this
// path; the check keeps the rule in one place for when one is added.
constexpr int32_t kListenerClickFlags = kRButton | kShift | kControl | kAlt | kApple;

bool controlListenerTakesClick(CView* child, const CPoint& /*where*/, int32_t buttons) {
    if (!child->isTypeOf("CControl") || (buttons & kListenerClickFlags) == 0)
        return false;
    return false;
}

}  // namespace

CMouseEventResult CViewContainer::onMouseDown(CPoint& where, const int32_t& buttons) {
    const CPoint local(where.x - size.left, where.y - size.top);
    for (Child* child = lastChild; child; child = child->previous) {
        CView* view = child->view;
        if (!view->isVisible() || !view->getMouseEnabled() || !view->hitTest(local, buttons))
            continue;
        if (controlListenerTakesClick(view, local, buttons))
            return kMouseEventHandled;
        CPoint point(local);
        const CMouseEventResult result = view->onMouseDown(point, buttons);
        if (result == kMouseEventHandled) {
            mouseDownView = view;
            return result;
        }
        if (result == kMouseEventNotImplemented) {
            // The old entry point gets a context of the frame's window.
            auto* context = new CDrawContext(frame, nullptr, frameaccess::systemWindow(frame));
            point = local;
            view->mouse(context, point, buttons);
            context->forget();
        }
        return result;
    }
    return kMouseEventNotHandled;
}

CMouseEventResult CViewContainer::onMouseMoved(CPoint& where, const int32_t& buttons) {
    if (!mouseDownView)
        return kMouseEventNotHandled;
    CPoint point(where.x - size.left, where.y - size.top);
    if (mouseDownView->onMouseMoved(point, buttons) == kMouseEventHandled)
        return kMouseEventHandled;
    mouseDownView = nullptr;
    return kMouseEventNotHandled;
}

CMouseEventResult CViewContainer::onMouseUp(CPoint& where, const int32_t& buttons) {
    if (!mouseDownView)
        return kMouseEventNotHandled;
    CPoint point(where.x - size.left, where.y - size.top);
    CView* view = mouseDownView;
    mouseDownView = nullptr;
    view->onMouseUp(point, buttons);
    return kMouseEventHandled;
}

bool CViewContainer::onWheel(const CPoint& where, const float& distance, const int32_t& buttons) {
    const CPoint local(where.x - size.left, where.y - size.top);
    CView* view = childAt(local);
    if (!view)
        return false;
    const CMouseWheelAxis axis = kMouseWheelAxisY;
    return view->onWheel(local, axis, distance, buttons);
}

int32_t CViewContainer::offerKeyToChildren(int32_t (CView::*handler)(VstKeyCode&),
                                           VstKeyCode& keyCode) {
    for (Child* child = lastChild; child; child = child->previous) {
        const int32_t result = (child->view->*handler)(keyCode);
        if (result != kKeyNotHandled)
            return result;
    }
    return kKeyNotHandled;
}

int32_t CViewContainer::onKeyDown(VstKeyCode& keyCode) {
    return offerKeyToChildren(&CView::onKeyDown, keyCode);
}

int32_t CViewContainer::onKeyUp(VstKeyCode& keyCode) {
    return offerKeyToChildren(&CView::onKeyUp, keyCode);
}

void CViewContainer::onDragEnter(CDragContainer* drag, const CPoint& where) {
    if (!frame)
        return;
    const CPoint local(where.x - size.left, where.y - size.top);
    dragView = childAt(local);
    if (dragView)
        dragView->onDragEnter(drag, local);
}

void CViewContainer::onDragLeave(CDragContainer* drag, const CPoint& where) {
    if (!frame)
        return;
    const CPoint local(where.x - size.left, where.y - size.top);
    CView* view = dragView;
    dragView = nullptr;
    if (view)
        view->onDragLeave(drag, local);
}

void CViewContainer::onDragMove(CDragContainer* drag, const CPoint& where) {
    if (!frame)
        return;
    const CPoint local(where.x - size.left, where.y - size.top);
    CView* view = childAt(local);
    if (view == dragView) {
        if (dragView)
            dragView->onDragMove(drag, local);
        return;
    }
    if (dragView)
        dragView->onDragLeave(drag, local);
    dragView = view;
    if (dragView)
        dragView->onDragEnter(drag, local);
}

bool CViewContainer::onDrop(CDragContainer* drag, const CPoint& where) {
    if (!frame)
        return false;
    const CPoint local(where.x - size.left, where.y - size.top);
    CView* view = childAt(local);
    if (dragView && view != dragView)
        dragView->onDragLeave(drag, local);
    dragView = nullptr;
    if (!view)
        return false;
    const bool result = view->onDrop(drag, local);
    view->onDragLeave(drag, local);
    return result;
}

}  // namespace VSTGUI
