// A reference-counted view: a rectangle in its parent's coordinates that
// draws, takes the mouse and keys, and tracks whether it needs a repaint.
// UI thread only.
#pragma once

#include "gui/toolkit/baseobject.h"
#include "gui/toolkit/geometry.h"
#include "gui/toolkit/mouseevents.h"
#include "shell/vst/aeffectx.h"

#include <cstdint>

namespace VSTGUI {

class CBitmap;
class CDragContainer;
class CDrawContext;
class CFrame;
class CViewContainer;
class VSTGUIEditorInterface;

using CViewAttributeID = int32_t;

class CView : public CBaseObject {
  public:
    explicit CView(const CRect& size);
    // Copies rectangles, flags (dirty and attached cleared, visible set), the
    // background (retained) and the attributes; not the parent or frame.
    CView(const CView& other);
    CView& operator=(const CView&) = delete;
    ~CView() override;

    virtual void draw(CDrawContext* context);
    virtual void drawRect(CDrawContext* context, const CRect& updateRect);
    virtual bool checkUpdate(const CRect& updateRect) const;
    virtual bool isDirty() const { return dirty; }
    virtual void setDirty(bool state = true) { dirty = state; }
    virtual void invalidRect(const CRect& rect);
    virtual void invalid();
    virtual void setVisible(bool state);
    bool isVisible() const { return visible; }

    virtual CMouseEventResult onMouseDown(CPoint& where, const int32_t& buttons);
    virtual CMouseEventResult onMouseUp(CPoint& where, const int32_t& buttons);
    virtual CMouseEventResult onMouseMoved(CPoint& where, const int32_t& buttons);
    virtual CMouseEventResult onMouseEntered(CPoint& where, const int32_t& buttons);
    virtual CMouseEventResult onMouseExited(CPoint& where, const int32_t& buttons);
    virtual bool hitTest(const CPoint& where, const int32_t& buttons = -1);
    virtual bool onWheel(const CPoint& where, const float& distance, const int32_t& buttons);
    // A non-zero axis calls the plain wheel; axis 0 calls it with the distance negated.
    virtual bool onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
                         const int32_t& buttons);
    virtual void setMouseEnabled(bool state = true) { mouseEnabled = state; }
    virtual bool getMouseEnabled() const { return mouseEnabled; }
    virtual void setMouseableArea(const CRect& rect) { mouseableArea = rect; }
    virtual CRect& getMouseableArea(CRect& rect) const;
    virtual const CRect& getMouseableArea() const { return mouseableArea; }

    virtual bool onDrop(CDragContainer* drag, const CPoint& where);
    virtual void onDragEnter(CDragContainer* drag, const CPoint& where);
    virtual void onDragLeave(CDragContainer* drag, const CPoint& where);
    virtual void onDragMove(CDragContainer* drag, const CPoint& where);

    // -1 when not handled.
    virtual int32_t onKeyDown(VstKeyCode& keyCode);
    virtual int32_t onKeyUp(VstKeyCode& keyCode);

    virtual void setViewSize(const CRect& rect, bool invalidate = true);
    virtual CRect& getViewSize(CRect& rect) const;
    virtual const CRect& getViewSize() const { return size; }
    // The size clipped by every ancestor, in the parent's coordinates.
    virtual CRect getVisibleSize() const;
    virtual void parentSizeChanged() {}
    virtual CPoint& frameToLocal(CPoint& point) const;
    virtual CPoint& localToFrame(CPoint& point) const;
    virtual void setAutosizeFlags(int32_t flags) { autosizeFlags = flags; }
    virtual int32_t getAutosizeFlags() const { return autosizeFlags; }

    virtual void looseFocus() {}
    virtual void takeFocus() {}
    virtual bool wantsFocus() const { return wantsFocusFlag; }
    virtual void setWantsFocus(bool state) { wantsFocusFlag = state; }

    virtual void setBackground(CBitmap* background);
    virtual CBitmap* getBackground() const { return background; }
    virtual void setTransparency(bool state) { transparent = state; }
    virtual bool getTransparency() const { return transparent; }

    virtual bool removed(CView* parent);
    virtual bool attached(CView* parent);
    bool isAttached() const { return isAttachedFlag; }

    virtual VSTGUIEditorInterface* getEditor() const;
    virtual bool isTypeOf(const char* name) const;
    virtual CView* newCopy() const { return new CView(*this); }
    // The old single mouse entry point; does nothing.
    virtual void mouse(CDrawContext* context, CPoint& where, int32_t buttons = -1);
    // The context's cursor position, shifted by the origins of the enclosing containers.
    virtual void getMouseLocation(CDrawContext* context, CPoint& point);
    virtual void setParentView(CView* parent) { parentView = parent; }
    virtual void setFrame(CFrame* newFrame) { frame = newFrame; }

    CView* getParentView() const { return parentView; }
    CFrame* getFrame() const { return frame; }

    // Attributes: a replaced identifier keeps its block unless the new data is larger.
    bool setAttribute(CViewAttributeID id, int32_t inSize, const void* data);
    bool getAttributeSize(CViewAttributeID id, int32_t& outSize) const;
    bool getAttribute(CViewAttributeID id, int32_t inSize, void* data, int32_t& outSize) const;
    bool removeAttribute(CViewAttributeID id);

  protected:
    // Hands a rectangle in the parent's coordinates to the parent, or
    // without one to the frame; only while attached and visible.
    void passInvalidationUp(const CRect& rect);

    CRect size;
    CRect mouseableArea;
    CFrame* frame = nullptr;
    CView* parentView = nullptr;
    bool dirty = false;
    bool mouseEnabled = true;
    bool transparent = false;
    bool wantsFocusFlag = false;
    bool isAttachedFlag = false;
    bool visible = true;
    int32_t autosizeFlags = 0;
    CBitmap* background = nullptr;

  private:
    struct Attribute;
    void copyAttributesFrom(const CView& other);
    void freeAttributes();

    Attribute* attributes = nullptr;
};

// Autosize flags of a child (how it follows its container's resize) and of a
// container (whether the change is shared as columns or rows).
enum CViewAutosizing : int32_t {
    kAutosizeNone = 0,
    kAutosizeLeft = 1 << 0,
    kAutosizeTop = 1 << 1,
    kAutosizeRight = 1 << 2,
    kAutosizeBottom = 1 << 3,
    kAutosizeColumn = 1 << 4,
    kAutosizeRow = 1 << 5,
    kAutosizeAll = kAutosizeLeft | kAutosizeTop | kAutosizeRight | kAutosizeBottom,
};

}  // namespace VSTGUI
