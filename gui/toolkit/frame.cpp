// The frame's portable part: construction order, event routing (mouse with the
// modal and mouse-over views, wheel, keys), focus, the modal view, idle and
// invalidation bookkeeping. The window itself is in frame_win32.cpp or
// frame_x11.cpp.
#include "gui/toolkit/frame.h"

#include "gui/toolkit/drawcontext.h"
#include "gui/toolkit/gdiplusglobals.h"
#include "platform/platform.h"

#include <cmath>
#include <cstring>
#include <new>

namespace VSTGUI {

namespace {

// Process-wide: a focus change that triggers another one (a view taking or
// losing focus sets the focus again) is ignored. UI thread only.
bool focusChangeInProgress = false;

CPoint toLocal(const CView* view, CPoint point) {
    view->frameToLocal(point);
    return point;
}

bool isInside(const CView* view, const CView* ancestor) {
    for (const CView* parent = view->getParentView(); parent; parent = parent->getParentView()) {
        if (parent == ancestor)
            return true;
    }
    return false;
}

// Tells every container between view and the frame.
void notifyContainers(CView* view, const char* message, const CFrame* frame) {
    for (CView* receiver = view->getParentView(); receiver && receiver != frame;
         receiver = receiver->getParentView())
        receiver->notify(view, message);
}

}  // namespace

// UI thread
CFrame::CFrame(const CRect& rect, void* parent, VSTGUIEditorInterface* editorInterface)
    : CViewContainer(rect, nullptr, nullptr), editor(editorInterface), parentWindow(parent) {
    frame = this;
    isAttachedFlag = true;
    startPlatform();
    GDIPlusGlobals::enter();
    openSystemWindow();
    if (window)
        setDropActive(true);
}

// UI thread. The order matters: views go while the window and the graphics
// library still exist; the window goes before the graphics library.
CFrame::~CFrame() {
    if (modalView)
        removeView(modalView, false);
    restoreSavedCursor();
    setDropActive(false);
    if (frameContext) {
        frameContext->forget();
        frameContext = nullptr;
    }
    frame = nullptr;
    modalView = nullptr;
    focusView = nullptr;
    mouseOverView = nullptr;
    removeAll(true);
    stopPlatform();
    dropBackBuffer();
    closeSystemWindow();
    GDIPlusGlobals::exit();
}

CDrawContext* CFrame::acquireContext() {
    if (frameContext) {
        frameContext->remember();
        return frameContext;
    }
    return new CDrawContext(this, nullptr, window);
}

COffscreenContext* CFrame::makeBackBuffer() {
    if (backBuffer)
        return backBuffer;
    // A kept buffer is drawn as the window itself would be and shown by a
    // copy of its pixels; the older form draws into a bitmap.
    if (retainedDrawing)
        backBuffer = COffscreenContext::newWindowBuffer(this, size.width(), size.height());
    else
        backBuffer =
            new (std::nothrow) COffscreenContext(this, size.width(), size.height(), kBlackCColor);
    if (backBuffer && !backBuffer->getPlatformGraphics()) {
        backBuffer->forget();
        backBuffer = nullptr;
    }
    if (backBuffer) {
        ++backBufferGeneration;
        backBufferComplete = false;
    }
    return backBuffer;
}

void CFrame::setRetainedDrawing(bool state) {
    if (state == retainedDrawing)
        return;
    retainedDrawing = state;
    dropBackBuffer();
    setSystemComposition(!state);
}

bool CFrame::redrawAreaNow(const CRect& area) {
    if (!retainedDrawing || !backBuffer || !backBufferComplete || !window) {
        invalidRect(area);
        return false;
    }
    CRect inside(area);
    inside.bound(CRect(0, 0, size.width(), size.height()));
    if (inside.isEmpty())
        return true;
    drawRect(backBuffer, inside);
    presentSystemWindow(inside);
    return true;
}

void CFrame::dropBackBuffer() {
    if (!backBuffer)
        return;
    backBuffer->forget();
    backBuffer = nullptr;
    backBufferComplete = false;
}

// A view may give away the frame's last reference while it handles an event:
// the frame stays until the idle pass is done.
void CFrame::idle() {
    if (!openFlag)
        return;
    remember();
    dispatchSystemEvents();
    if (openFlag)
        updateDirtyViews();
    forget();
}

void CFrame::doIdleStuff() {
    if (editor)
        editor->doIdleStuff();
}

uint32_t CFrame::getTicks() const {
    return static_cast<uint32_t>(plux::platform::processClockMilliseconds());
}

int32_t CFrame::getKnobMode() const {
    return editor ? editor->getKnobMode() : 0;
}

void CFrame::beginEdit(int32_t index) {
    if (editor)
        editor->beginEdit(index);
}

void CFrame::endEdit(int32_t index) {
    if (editor)
        editor->endEdit(index);
}

// UI thread. Neither plug-in resizes its editor, but a host may ask for it.
bool CFrame::setSize(CCoord width, CCoord height) {
    if (!openFlag || !std::isfinite(width) || !std::isfinite(height) || width < 0 || height < 0)
        return false;
    if (width == size.width() && height == size.height())
        return true;
    dropBackBuffer();
    resizeSystemWindows(width, height);
    setViewSize(CRect(size.left, size.top, size.left + width, size.top + height));
    return true;
}

bool CFrame::getSize(CRect* rect) const {
    return rect ? getSize(*rect) : false;
}

bool CFrame::setDropActive(bool state) {
    if (!dropActive && !state)
        return true;
    if (!window)
        return false;
    const bool done = switchDropTarget(state);
    dropActive = state && done;
    return done;
}

// ---- drawing and invalidation ----

void CFrame::draw(CDrawContext* context) {
    drawRect(context, size);
}

void CFrame::drawRect(CDrawContext* context, const CRect& updateRect) {
    firstDraw = false;
    CDrawContext* target = context;
    if (target)
        target->remember();
    else
        target = acquireContext();
    CRect savedClip;
    target->getClipRect(savedClip);
    CRect clip(updateRect);
    clip.bound(savedClip);
    target->setClipRect(clip);
    if (!updateRect.isEmpty())
        CViewContainer::drawRect(target, updateRect);
    target->setClipRect(savedClip);
    target->forget();
}

void CFrame::invalidRect(const CRect& rect) {
    if (!visible)
        return;
    invalidateSystemWindow(rect);
}

void CFrame::invalid() {
    setDirty(false);
    invalidRect(size);
}

void CFrame::invalidateDirtyViews(const CRect& rect) {
    for (Child* child = firstChild; child; child = child->next) {
        if (child->view->getViewSize().rectOverlap(rect))
            child->view->setDirty(true);
    }
}

// ---- mouse ----

void CFrame::leaveMouseOverView(const CPoint& where, int32_t buttons) {
    CView* previous = mouseOverView;
    if (!previous)
        return;
    mouseOverView = nullptr;
    CPoint local = toLocal(previous, where);
    previous->onMouseExited(local, buttons);
    if (mouseObserver)
        mouseObserver->onMouseExited(previous, this);
}

CMouseEventResult CFrame::onMouseDown(CPoint& where, const int32_t& buttons) {
    mouseDownView = nullptr;
    setFocusView(nullptr);
    leaveMouseOverView(where, buttons);
    if (mouseObserver)
        mouseObserver->onMouseDown(this, where);

    if (!modalView) {
        CPoint point(where);
        return CViewContainer::onMouseDown(point, buttons);
    }
    CView* modal = modalView;
    CPoint local(where);
    local.offset(-size.left, -size.top);
    if (!modal->hitTest(local, buttons))
        return kMouseEventNotHandled;
    const CMouseEventResult result = modal->onMouseDown(local, buttons);
    if (result == kMouseEventHandled) {
        mouseDownView = modal;
        return kMouseEventHandled;
    }
    if (result != kMouseEventNotImplemented)
        return kMouseEventNotHandled;
    // The view only knows the old single mouse entry point.
    CDrawContext* context = acquireContext();
    modal->mouse(context, local, buttons);
    context->forget();
    return kMouseEventHandled;
}

CMouseEventResult CFrame::onMouseUp(CPoint& where, const int32_t& buttons) {
    CPoint point(where);
    return CViewContainer::onMouseUp(point, buttons);
}

CMouseEventResult CFrame::onMouseMoved(CPoint& where, const int32_t& buttons) {
    if (!mouseTracking) {
        requestLeaveNotification();
        mouseTracking = true;
    }
    if (mouseObserver)
        mouseObserver->onMouseMoved(this, where);
    if (modalView) {
        CPoint local(where);
        local.offset(-size.left, -size.top);
        return modalView->onMouseMoved(local, buttons);
    }
    CPoint point(where);
    const CMouseEventResult result = CViewContainer::onMouseMoved(point, buttons);
    if (result != kMouseEventNotHandled)
        return result;

    CView* under = getViewAt(where, true);
    if (under == mouseOverView) {
        if (under) {
            CPoint local = toLocal(under, where);
            const int32_t passed = mouseDownView ? buttons : 0;
            under->onMouseMoved(local, passed);
        }
        return result;
    }
    const bool previousExists = mouseOverView != nullptr;
    leaveMouseOverView(where, buttons);
    // The exit handler may have changed the tree: look again.
    under = previousExists ? getViewAt(where, true) : under;
    if (under) {
        mouseOverView = under;
        CPoint local = toLocal(under, where);
        under->onMouseEntered(local, buttons);
        if (mouseObserver && mouseOverView == under)
            mouseObserver->onMouseEntered(under, this);
    }
    return result;
}

CMouseEventResult CFrame::onMouseExited(CPoint& where, const int32_t& buttons) {
    leaveMouseOverView(where, buttons);
    mouseTracking = false;
    return kMouseEventHandled;
}

bool CFrame::onWheel(const CPoint& where, const float& distance, const int32_t& buttons) {
    if (mouseDownView)
        return false;
    if (modalView) {
        CPoint local(where);
        local.offset(-size.left, -size.top);
        return modalView->onWheel(local, kMouseWheelAxisY, distance, buttons);
    }
    return CViewContainer::onWheel(where, distance, buttons);
}

// ---- keys and focus ----

int32_t CFrame::offerKey(int32_t (CView::*handler)(VstKeyCode&), VstKeyCode& keyCode) {
    int32_t result = kKeyNotHandled;
    if (focusView)
        result = (focusView->*handler)(keyCode);
    if (result == kKeyNotHandled && modalView)
        result = (modalView->*handler)(keyCode);
    return result;
}

int32_t CFrame::onKeyDown(VstKeyCode& keyCode) {
    int32_t result = offerKey(&CView::onKeyDown, keyCode);
    if (result == kKeyNotHandled && keyCode.virt == VKEY_TAB) {
        const bool reverse = (keyCode.modifier & MODIFIER_SHIFT) != 0;
        result = advanceNextFocusView(focusView, reverse) ? 1 : kKeyNotHandled;
    }
    return result;
}

int32_t CFrame::onKeyUp(VstKeyCode& keyCode) {
    return offerKey(&CView::onKeyUp, keyCode);
}

void CFrame::setFocusView(CView* view) {
    // Setting the focus view again would tell it that it lost the focus it keeps.
    if (focusChangeInProgress || view == focusView)
        return;
    focusChangeInProgress = true;
    CView* previous = focusView;
    focusView = view;
    if (view && view->wantsFocus()) {
        view->setDirty(true);
        notifyContainers(view, kMsgNewFocusView, this);
    }
    if (previous) {
        if (previous->wantsFocus()) {
            previous->setDirty(true);
            notifyContainers(previous, kMsgOldFocusView, this);
        }
        previous->looseFocus();
    }
    focusChangeInProgress = false;
}

// ---- modal view and removal bookkeeping ----

bool CFrame::setModalView(CView* view) {
    if (view && (modalView || view->isAttached()))
        return false;
    if (modalView)
        removeView(modalView, false);
    modalView = nullptr;
    if (view) {
        if (!addView(view))
            return false;
        modalView = view;
    }
    return true;
}

void CFrame::onViewRemoved(CView* view) {
    if (!view)
        return;
    if (mouseOverView && (mouseOverView == view || isInside(mouseOverView, view)))
        mouseOverView = nullptr;
    if (focusView && (focusView == view || isInside(focusView, view)))
        focusView = nullptr;
}

bool CFrame::removeView(CView* view, bool withRelease) {
    if (view && isChild(view)) {
        if (view == modalView)
            modalView = nullptr;
        if (view == mouseDownView)
            mouseDownView = nullptr;
        onViewRemoved(view);
    }
    return CViewContainer::removeView(view, withRelease);
}

bool CFrame::removeAll(bool withRelease) {
    modalView = nullptr;
    focusView = nullptr;
    mouseOverView = nullptr;
    mouseDownView = nullptr;
    return CViewContainer::removeAll(withRelease);
}

bool CFrame::isTypeOf(const char* name) const {
    if (name && std::strcmp(name, "CFrame") == 0)
        return true;
    return CViewContainer::isTypeOf(name);
}

}  // namespace VSTGUI
