// CDropTarget: OLE drag notifications to the frame's drag operations.
#include "gui/toolkit/droptarget_win32.h"

#include "gui/toolkit/drawcontext.h"
#include "gui/toolkit/frame.h"
#include "gui/toolkit/windragcontainer_win32.h"

#include <new>

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
    return DROPEFFECT_NONE;
}

CDragContainer* CDropTarget::getCurrentDragContainer() {
    return currentDragContainer;
}

CDropTarget::CDropTarget(CFrame* owner) : frame(owner) {}

// The frame goes: a drag it started may never see its leave or drop, so its
// container (and the data object it holds) goes now.
void CDropTarget::detachFrame() {
    frame = nullptr;
    endDrag();
}

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

bool CDropTarget::isDragging() const {
    return drag && drag == currentDragContainer;
}

void CDropTarget::endDrag() {
    if (isDragging())
        dropCurrentDragContainer();
    drag = nullptr;
}

// Nothing a view throws may reach OLE: the drag ends, the source is told that
// nothing was accepted, and the next drag starts afresh.
HRESULT CDropTarget::failed(DWORD* effect, HRESULT result) {
    endDrag();
    if (effect)
        *effect = DROPEFFECT_NONE;
    return result;
}

// UI thread
STDMETHODIMP CDropTarget::DragEnter(IDataObject* dataObject, DWORD, POINTL, DWORD* effect) {
    try {
        // A drag that never saw its leave or drop (the source went away) ends here.
        endDrag();
        dropCurrentDragContainer();
        if (!dataObject || !frame) {
            if (effect)
                *effect = DROPEFFECT_NONE;
            return S_OK;
        }
        currentDragContainer = new WinDragContainer(dataObject);
        drag = currentDragContainer;
        const CPoint where = currentLocation(frame);
        const Forgetting context(new CDrawContext(frame, nullptr, frame->getSystemWindow()));
        frame->onDragEnter(currentDragContainer, where);
        if (effect)
            *effect = reduceDropEffect(*effect);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return failed(effect, E_OUTOFMEMORY);
    } catch (...) {
        return failed(effect, E_UNEXPECTED);
    }
}

// UI thread
STDMETHODIMP CDropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
    try {
        if (!isDragging() || !frame) {
            if (effect)
                *effect = DROPEFFECT_NONE;
            return S_OK;
        }
        frame->onDragMove(currentDragContainer, currentLocation(frame));
        if (effect)
            *effect = reduceDropEffect(*effect);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return failed(effect, E_OUTOFMEMORY);
    } catch (...) {
        return failed(effect, E_UNEXPECTED);
    }
}

// UI thread
STDMETHODIMP CDropTarget::DragLeave() {
    try {
        if (isDragging() && frame)
            frame->onDragLeave(currentDragContainer, currentLocation(frame));
        endDrag();
        return S_OK;
    } catch (const std::bad_alloc&) {
        return failed(nullptr, E_OUTOFMEMORY);
    } catch (...) {
        return failed(nullptr, E_UNEXPECTED);
    }
}

// UI thread. The effect tells the source what happened to its data: one
// effect when a view took the drop, none otherwise (a source that deletes
// after a move must not lose what nobody took).
STDMETHODIMP CDropTarget::Drop(IDataObject*, DWORD, POINTL, DWORD* effect) {
    try {
        bool accepted = false;
        if (isDragging() && frame)
            accepted = frame->onDrop(currentDragContainer, currentLocation(frame));
        endDrag();
        if (effect)
            *effect = accepted ? reduceDropEffect(*effect) : DROPEFFECT_NONE;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return failed(effect, E_OUTOFMEMORY);
    } catch (...) {
        return failed(effect, E_UNEXPECTED);
    }
}

}  // namespace VSTGUI
