// Test views that record what the view tree hands them.
#pragma once

#include "gui/toolkit/drawcontext.h"
#include "gui/toolkit/view.h"
#include "gui/toolkit/viewcontainer.h"

#include <string>
#include <vector>

namespace viewtest {

using namespace VSTGUI;

// Counts its own destruction.
class CountingView : public CView {
  public:
    CountingView(const CRect& rect, int& destroyedCount) : CView(rect), destroyed(destroyedCount) {}
    ~CountingView() override { ++destroyed; }

  private:
    int& destroyed;
};

struct DrawRecord {
    CDrawContext* context;
    CRect clip;  // relative to the offset, as the context reports it
    CPoint offset;
    CPoint windowOffset;
    CRect update;
};

struct MouseRecord {
    std::string kind;
    CPoint where;
    int32_t buttons;
};

// Records draws, mouse, wheel and key events, answering what the test sets.
class RecordingView : public CView {
  public:
    explicit RecordingView(const CRect& rect, std::vector<std::string>* sharedLog = nullptr,
                           std::string viewName = {})
        : CView(rect), log(sharedLog), name(std::move(viewName)) {}

    void drawRect(CDrawContext* context, const CRect& updateRect) override {
        CRect clip;
        context->getClipRect(clip);
        draws.push_back(
            {context, clip, context->getOffset(), context->getWindowOffset(), updateRect});
        note("draw");
        CView::drawRect(context, updateRect);
    }
    CMouseEventResult onMouseDown(CPoint& where, const int32_t& buttons) override {
        return recordMouse("down", where, buttons, downResult);
    }
    CMouseEventResult onMouseUp(CPoint& where, const int32_t& buttons) override {
        return recordMouse("up", where, buttons, upResult);
    }
    CMouseEventResult onMouseMoved(CPoint& where, const int32_t& buttons) override {
        return recordMouse("moved", where, buttons, movedResult);
    }
    void mouse(CDrawContext* context, CPoint& where, int32_t buttons) override {
        legacyContexts.push_back(context);
        recordMouse("legacy", where, buttons, kMouseEventNotImplemented);
    }
    using CView::onWheel;
    bool onWheel(const CPoint& where, const float& distance, const int32_t& buttons) override {
        wheels.push_back({where, distance});
        recordMouse("wheel", CPoint(where), buttons, kMouseEventHandled);
        return wheelResult;
    }
    int32_t onKeyDown(VstKeyCode& key) override {
        note("keydown");
        keys.push_back(key.character);
        return keyResult;
    }
    int32_t onKeyUp(VstKeyCode& key) override {
        note("keyup");
        keys.push_back(key.character);
        return keyResult;
    }
    void onDragEnter(CDragContainer*, const CPoint& where) override { recordDrag("enter", where); }
    void onDragLeave(CDragContainer*, const CPoint& where) override { recordDrag("leave", where); }
    void onDragMove(CDragContainer*, const CPoint& where) override { recordDrag("move", where); }
    bool onDrop(CDragContainer*, const CPoint& where) override {
        recordDrag("drop", where);
        return dropResult;
    }
    void parentSizeChanged() override { ++parentSizeChanges; }
    void looseFocus() override { note("loose"); }
    void takeFocus() override { note("take"); }
    void setViewSize(const CRect& rect, bool invalidate) override {
        ++setViewSizeCalls;
        CView::setViewSize(rect, invalidate);
    }

    CMouseEventResult downResult = kMouseEventHandled;
    CMouseEventResult upResult = kMouseEventHandled;
    CMouseEventResult movedResult = kMouseEventHandled;
    bool wheelResult = true;
    bool dropResult = true;
    int32_t keyResult = kKeyNotHandled;

    std::vector<DrawRecord> draws;
    std::vector<MouseRecord> mice;
    std::vector<CDrawContext*> legacyContexts;
    std::vector<std::pair<CPoint, float>> wheels;
    std::vector<int32_t> keys;
    std::vector<MouseRecord> drags;
    int parentSizeChanges = 0;
    int setViewSizeCalls = 0;

  private:
    CMouseEventResult recordMouse(const char* kind, CPoint where, int32_t buttons,
                                  CMouseEventResult result) {
        mice.push_back({kind, where, buttons});
        note(kind);
        return result;
    }
    void recordDrag(const char* kind, const CPoint& where) {
        drags.push_back({kind, where, 0});
        note(std::string("drag ") + kind);
    }
    void note(const std::string& what) {
        if (log)
            log->push_back(name + " " + what);
    }

    std::vector<std::string>* log;
    std::string name;
};

// A root container that keeps the invalidations reaching it instead of
// passing them to a frame. attach() makes it the attached top of a tree.
class RecordingRoot : public CViewContainer {
  public:
    explicit RecordingRoot(const CRect& rect) : CViewContainer(rect, nullptr) {}

    void attach() { attached(nullptr); }
    void invalidRect(const CRect& rect) override { invalidations.push_back(rect); }
    COffscreenContext* getOffscreen() const { return offscreen; }

    std::vector<CRect> invalidations;
};

// A container whose offscreen the test can see.
class InspectableContainer : public CViewContainer {
  public:
    explicit InspectableContainer(const CRect& rect) : CViewContainer(rect, nullptr) {}
    COffscreenContext* getOffscreen() const { return offscreen; }
    CView* getDragView() const { return dragView; }
};

}  // namespace viewtest
