// The root container: owns a native child window inside the host's window,
// turns window messages into view events and view invalidations into window
// invalidations. Without a parent window the frame has no window: it still
// routes events given to it, but invalidation, painting and capture do nothing.
// UI thread only.
#pragma once

#include "gui/toolkit/editorinterface.h"
#include "gui/toolkit/viewcontainer.h"

#include <cstdint>

namespace VSTGUI {

class CDrawContext;
class CDropTarget;
class COffscreenContext;

// Notified of the mouse entering, leaving, moving over and pressing views.
class IMouseObserver {
  public:
    virtual void onMouseEntered(CView* view, CFrame* frame) = 0;
    virtual void onMouseExited(CView* view, CFrame* frame) = 0;
    virtual CMouseEventResult onMouseMoved(CFrame* frame, const CPoint& where) = 0;
    virtual CMouseEventResult onMouseDown(CFrame* frame, const CPoint& where) = 0;

  protected:
    virtual ~IMouseObserver() = default;
};

class CFrame : public CViewContainer {
  public:
    // parentWindow is the host's window (HWND on Windows, a Window id on X11);
    // null gives a windowless frame.
    CFrame(const CRect& size, void* parentWindow, VSTGUIEditorInterface* editor);
    CFrame(const CFrame&) = delete;
    ~CFrame() override;

    virtual bool isOpen() const { return openFlag; }
    virtual void idle();
    virtual void doIdleStuff();
    // The platform's clock (plux::platform::processClockMilliseconds).
    virtual uint32_t getTicks() const;
    virtual int32_t getKnobMode() const;
    virtual int32_t kIdleQuery() const { return 0; }
    // Top-left of the outer window in its parent's client coordinates.
    virtual bool getPosition(CCoord& x, CCoord& y) const;
    virtual bool setSize(CCoord width, CCoord height);
    // The rectangle of the frame window's parent in the host window's coordinates.
    virtual bool getSize(CRect& rect) const;
    virtual bool getSize(CRect* rect) const;
    virtual bool setModalView(CView* view);
    virtual CView* getModalView() const { return modalView; }
    virtual void beginEdit(int32_t index);
    virtual void endEdit(int32_t index);
    // Cursor position relative to the frame window.
    virtual bool getCurrentMouseLocation(CPoint& where) const;
    virtual int32_t getCurrentMouseButtons() const;
    virtual void setCursor(CCursorType type);
    virtual void setFocusView(CView* view);
    virtual CView* getFocusView() const { return focusView; }
    // Forgets view as mouse-over and focus view.
    virtual void onViewRemoved(CView* view);
    virtual bool setDropActive(bool state);
    virtual bool isDropActive() const { return dropActive; }
    virtual void setOpenFlag(bool state) { openFlag = state; }
    virtual bool getOpenFlag() const { return openFlag; }
    virtual void invalidateDirtyViews(const CRect& rect);
    virtual IMouseObserver* getMouseObserver() const { return mouseObserver; }
    virtual void setMouseObserver(IMouseObserver* observer) { mouseObserver = observer; }

    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    void invalidRect(const CRect& rect) override;
    void invalid() override;
    CMouseEventResult onMouseDown(CPoint& where, const int32_t& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const int32_t& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const int32_t& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const int32_t& buttons) override;
    using CViewContainer::onWheel;
    bool onWheel(const CPoint& where, const float& distance, const int32_t& buttons) override;
    int32_t onKeyDown(VstKeyCode& keyCode) override;
    int32_t onKeyUp(VstKeyCode& keyCode) override;
    bool removeView(CView* view, bool withRelease = true) override;
    bool removeAll(bool withRelease = true) override;
    bool isTypeOf(const char* name) const override;
    CView* newCopy() const override { return nullptr; }
    VSTGUIEditorInterface* getEditor() const override { return editor; }

    // Gives away one reference so that a last release happens on the thread
    // that made the frame: only that thread can destroy its window and undo
    // its OLE initialisation. Called on another thread, it waits while the
    // window's thread does the release; when that thread has no window left,
    // the frame goes here without the steps bound to that thread.
    void forgetOnOwnThread();

    // Paints go through a back buffer that is kept between paints, so that a
    // view may draw only what changed into it (off by default: current
    // systems compose the window themselves, which the frame's window then no
    // longer asks for). The buffer is made by the first paint and drawn whole
    // then; a new size makes a new one.
    void setRetainedDrawing(bool state);
    // With a kept buffer drawn whole: draws area (frame coordinates) into it
    // now and copies it to the window, without waiting for a paint. False
    // when there is no such buffer; the area is then invalidated instead.
    bool redrawAreaNow(const CRect& area);
    // Copies area of the kept buffer, drawn by the caller, to the window now.
    void showBackBufferArea(const CRect& area) { presentSystemWindow(area); }
    bool hasRetainedDrawing() const { return retainedDrawing; }
    COffscreenContext* getBackBuffer() const { return backBuffer; }
    // Changes whenever a new back buffer is made, so that a view can tell
    // whether the buffer still holds what it drew.
    uint32_t getBackBufferGeneration() const { return backBufferGeneration; }

    void* getParentWindow() const { return parentWindow; }
    // The frame's own child window (HWND; on X11 an X11WindowHandle*); null
    // without one.
    void* getSystemWindow() const { return window; }
    bool isFirstDraw() const { return firstDraw; }

  protected:
    VSTGUIEditorInterface* editor = nullptr;
    IMouseObserver* mouseObserver = nullptr;
    void* parentWindow = nullptr;
    CView* modalView = nullptr;
    CView* focusView = nullptr;
    CView* mouseOverView = nullptr;
    bool firstDraw = true;
    bool openFlag = true;
    bool dropActive = false;
    void* window = nullptr;
    CDropTarget* dropTarget = nullptr;
    COffscreenContext* backBuffer = nullptr;
    uint32_t backBufferGeneration = 0;
    bool backBufferComplete = false;  // the buffer has been drawn whole once
    bool retainedDrawing = false;
    bool mouseTracking = false;
    CDrawContext* frameContext = nullptr;
    void* savedCursor = nullptr;

    // The frame context (retained) when set, else a new context on the window;
    // the caller releases it.
    CDrawContext* acquireContext();
    // The back buffer, made when missing; null when it cannot be made.
    COffscreenContext* makeBackBuffer();
    void dropBackBuffer();

    // The platform side, one definition per platform (frame_win32.cpp,
    // frame_x11.cpp).
    // OLE for the frame's thread (the frame is its only owner in the plug-in:
    // the drop target needs it), system version.
    void startPlatform();
    void stopPlatform();
    void openSystemWindow();  // nothing without a parent window
    void closeSystemWindow();
    // Handles the window's pending events, then paints the areas exposed or
    // invalidated since the last paint; called first by idle(), for systems
    // where no message loop of the host delivers them (X11).
    void dispatchSystemEvents();
    void invalidateSystemWindow(const CRect& rect);
    // Copies area of the back buffer to the window now.
    void presentSystemWindow(const CRect& area);
    // Whether the system composes the window itself.
    void setSystemComposition(bool state);
    // Grows the frame window and the host's windows around it.
    void resizeSystemWindows(CCoord width, CCoord height);
    void requestLeaveNotification();
    void restoreSavedCursor();
    // Registers (true) or revokes (false) the drop target; false on failure.
    bool switchDropTarget(bool state);

  private:
    // Sends mouse exited to the mouse-over view (and the observer) and forgets it.
    void leaveMouseOverView(const CPoint& where, int32_t buttons);
    // The focus view, then the modal view; the first answer other than -1 wins.
    int32_t offerKey(int32_t (CView::*handler)(VstKeyCode&), VstKeyCode& keyCode);

    friend struct FramePlatform;  // the window procedure and its helpers
    bool oleStarted = false;
    bool windowCounted = false;     // holds a share of the window class
    unsigned long ownerThread = 0;  // the system's id of the thread that made the frame
    // A press that took the mouse capture and has not seen its release, and
    // the last point of the mouse in the window: losing the capture ends the
    // press there.
    bool pressCaptured = false;
    CPoint lastMouse;
};

// Removes at most one pending paint message of the calling thread and
// dispatches it (Win32); nothing on X11, where a frame's idle pass paints what
// its window's events exposed. UI thread.
void dispatchOnePendingPaint();

}  // namespace VSTGUI
