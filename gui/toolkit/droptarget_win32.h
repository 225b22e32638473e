// The OLE drop target of a frame window: turns the system's drag notifications
// into the frame's drag enter, move, leave and drop, with a WinDragContainer
// over the dragged data. OLE calls it on the frame window's thread.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstdint>

namespace VSTGUI {

class CDragContainer;
class CFrame;

// The one effect a drag gets: copy if allowed, else move, else link, else none.
DWORD reduceDropEffect(DWORD allowed);

// COM interfaces have no virtual destructor: the object deletes itself in
// Release, never through an interface pointer.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class CDropTarget : public IDropTarget {
  public:
    // Starts with no reference: registration adds the first one.
    explicit CDropTarget(CFrame* frame);
    CDropTarget(const CDropTarget&) = delete;
    CDropTarget& operator=(const CDropTarget&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    // Deletes the object when the count was 1 or less.
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP DragEnter(IDataObject* dataObject, DWORD keyState, POINTL point,
                           DWORD* effect) override;
    STDMETHODIMP DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    STDMETHODIMP DragLeave() override;
    STDMETHODIMP Drop(IDataObject* dataObject, DWORD keyState, POINTL point,
                      DWORD* effect) override;

    // The frame is going away: its drag's container is released and later
    // notifications do nothing.
    void detachFrame();
    int32_t getReferenceCount() const { return referenceCount; }

    // The drag in progress in this process; null outside a drag.
    static CDragContainer* getCurrentDragContainer();

  protected:
    virtual ~CDropTarget() = default;

  private:
    bool isDragging() const;
    // Releases the container of this target's drag, if it has one.
    void endDrag();
    HRESULT failed(DWORD* effect, HRESULT result);

    int32_t referenceCount = 0;  // not interlocked: OLE calls on one thread
    CFrame* frame = nullptr;
    CDragContainer* drag = nullptr;  // this target's drag, while it is the current one
};
#pragma GCC diagnostic pop

}  // namespace VSTGUI
