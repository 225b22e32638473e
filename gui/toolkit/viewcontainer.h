// A view holding child views, drawn first to last and hit last to first.
// Each child holds one reference. UI thread only.
#pragma once

#include "gui/toolkit/view.h"

namespace VSTGUI {

class COffscreenContext;

class CViewContainer : public CView {
  public:
    CViewContainer(const CRect& size, CFrame* frame, CBitmap* background = nullptr);
    // Copies the children by their own copies.
    CViewContainer(const CViewContainer& other);
    // Removes every child with release and releases the offscreen.
    ~CViewContainer() override;

    virtual bool addView(CView* view);
    virtual bool addView(CView* view, const CRect& mouseableArea, bool mouseEnabled = true);
    virtual bool addView(CView* view, CView* before);
    virtual bool removeView(CView* view, bool withRelease = true);
    virtual bool removeAll(bool withRelease = true);
    virtual bool isChild(CView* view) const;
    virtual int32_t getNbViews() const;
    virtual CView* getView(int32_t index) const;
    // Points are in this container's parent's coordinates, like its size and
    // every event it receives. The topmost visible child whose mouseable area
    // holds the point; deep descends into sub-containers (the sub-container
    // itself when none of its children is there).
    virtual CView* getViewAt(const CPoint& where, bool deep = false) const;
    // The container under the point: a child container, or this one.
    virtual CViewContainer* getContainerAt(const CPoint& where, bool deep = true) const;
    virtual void setBackgroundColor(CColor color);
    virtual CColor getBackgroundColor() const { return backgroundColor; }
    virtual void setBackgroundOffset(const CPoint& offset) { backgroundOffset = offset; }
    virtual const CPoint& getBackgroundOffset() const { return backgroundOffset; }
    virtual void drawBackgroundRect(CDrawContext* context, const CRect& updateRect);
    virtual void setDrawInOffscreen(bool state);
    virtual bool getDrawInOffscreen() const { return drawInOffscreen; }
    // Gives the frame's focus to the view after (or before) oldFocus in tree
    // order that wants focus; false when there is none or no frame.
    virtual bool advanceNextFocusView(CView* oldFocus, bool reverse = false);
    // That view: depth first, a container before its children; from the start
    // (or end) when oldFocus is null or not in the tree.
    CView* getNextFocusView(CView* oldFocus, bool reverse = false) const;
    virtual void updateDirtyViews();
    // rect bounded by the visible part of this container.
    virtual CRect getVisibleSize(const CRect& rect) const;
    virtual CView* getCurrentView() const;
    virtual bool isChildVisible(CView* child, const CRect& rect) const;
    virtual bool hitTestSubViews(const CPoint& where, const int32_t& buttons = -1);

    CMessageResult notify(CBaseObject* sender, const char* message) override;
    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    bool hitTest(const CPoint& where, const int32_t& buttons = -1) override;
    void invalidRect(const CRect& rect) override;
    void invalid() override;
    bool isDirty() const override;
    CMouseEventResult onMouseDown(CPoint& where, const int32_t& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const int32_t& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const int32_t& buttons) override;
    using CView::onWheel;
    bool onWheel(const CPoint& where, const float& distance, const int32_t& buttons) override;
    bool onDrop(CDragContainer* drag, const CPoint& where) override;
    void onDragEnter(CDragContainer* drag, const CPoint& where) override;
    void onDragLeave(CDragContainer* drag, const CPoint& where) override;
    void onDragMove(CDragContainer* drag, const CPoint& where) override;
    int32_t onKeyDown(VstKeyCode& keyCode) override;
    int32_t onKeyUp(VstKeyCode& keyCode) override;
    void looseFocus() override;
    void takeFocus() override;
    void parentSizeChanged() override;
    void setViewSize(const CRect& rect, bool invalidate = true) override;
    CPoint& frameToLocal(CPoint& point) const override;
    CPoint& localToFrame(CPoint& point) const override;
    bool removed(CView* parent) override;
    bool attached(CView* parent) override;
    bool isTypeOf(const char* name) const override;
    CView* newCopy() const override { return new CViewContainer(*this); }
    void getMouseLocation(CDrawContext* context, CPoint& point) override;
    using CView::getVisibleSize;

    CView* getMouseDownView() const { return mouseDownView; }
    void setMouseDownView(CView* view) { mouseDownView = view; }

  protected:
    // The topmost visible child whose mouseable area holds a point given in
    // this container's own coordinates.
    CView* childAt(const CPoint& local) const;
    // (Re)creates the offscreen at the current size, opaque black.
    void createOffscreen();
    // Offers a key to the children from last to first; the first answer
    // other than "not handled" wins.
    int32_t offerKeyToChildren(int32_t (CView::*handler)(VstKeyCode&), VstKeyCode& keyCode);

    struct Child {
        CView* view;
        Child* next;
        Child* previous;
    };
    Child* firstChild = nullptr;
    Child* lastChild = nullptr;
    COffscreenContext* offscreen = nullptr;
    CColor backgroundColor = kBlackCColor;
    CPoint backgroundOffset;
    bool drawInOffscreen = false;
    CView* dragView = nullptr;
    CView* mouseDownView = nullptr;
};

}  // namespace VSTGUI
