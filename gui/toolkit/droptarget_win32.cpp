// CDropTarget: OLE drag notifications to the frame's drag operations.
#include "gui/toolkit/droptarget_win32.h"

#include "gui/toolkit/drawcontext.h"
#include "gui/toolkit/frame.h"
#include "gui/toolkit/windragcontainer_win32.h"

namespace VSTGUI {

namespace {

// Process-wide: at most one drag is under way at a time. UI thread only.
CDragContainer* currentDragContainer = nullptr;

void dropCurrentDragContainer() {
    if (currentDragContainer) {
        currentDragContainer->forget();
        currentDragContainer = nullptr;
    }
}

CPoint currentLocation(CFrame* frame) {
    CPoint where;
    frame->getCurrentMouseLocation(where);
    return where;
}

}  // namespace

DWORD reduceDropEffect(DWORD allowed) {
    if (allowed & DROPEFFECT_COPY)
        return DROPEFFECT_COPY;
    if (allowed & DROPEFFECT_MOVE)
        return DROPEFFECT_MOVE;
    if (allowed & DROPEFFECT_LINK)
        return DROPEFFECT_LINK;
    return allowed;
}

CDragContainer* CDropTarget::getCurrentDragContainer() {
    return currentDragContainer;
}

CDropTarget::CDropTarget(CFrame* owner) : frame(owner) {}

STDMETHODIMP CDropTarget::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IDropTarget) || IsEqualIID(iid, IID_IUnknown)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CDropTarget::AddRef() {
    return static_cast<ULONG>(++referenceCount);
}

STDMETHODIMP_(ULONG) CDropTarget::Release() {
    if (referenceCount <= 1) {
        delete this;
        return 0;
    }
    return static_cast<ULONG>(--referenceCount);
}

// UI thread
STDMETHODIMP CDropTarget::DragEnter(IDataObject* dataObject, DWORD, POINTL, DWORD* effect) {
    if (!dataObject || !frame) {
        if (effect)
            *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    // A drag that never saw its leave or drop (the source went away) ends here.
    dropCurrentDragContainer();
    currentDragContainer = new WinDragContainer(dataObject);
    const CPoint where = currentLocation(frame);
    CDrawContext* context = new CDrawContext(frame, nullptr, frame->getSystemWindow());
    frame->onDragEnter(currentDragContainer, where);
    context->forget();
    if (effect)
        *effect = reduceDropEffect(*effect);
    return S_OK;
}

// UI thread
STDMETHODIMP CDropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
    if (!currentDragContainer || !frame)
        return S_OK;
    frame->onDragMove(currentDragContainer, currentLocation(frame));
    if (effect)
        *effect = reduceDropEffect(*effect);
    return S_OK;
}

// UI thread
STDMETHODIMP CDropTarget::DragLeave() {
    if (!currentDragContainer || !frame)
        return S_OK;
    frame->onDragLeave(currentDragContainer, currentLocation(frame));
    dropCurrentDragContainer();
    return S_OK;
}

// UI thread
STDMETHODIMP CDropTarget::Drop(IDataObject*, DWORD, POINTL, DWORD*) {
    if (!currentDragContainer || !frame)
        return S_OK;
    frame->onDrop(currentDragContainer, currentLocation(frame));
    dropCurrentDragContainer();
    return S_OK;
}

}  // namespace VSTGUI
