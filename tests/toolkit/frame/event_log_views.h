// Test views for the frame: every event a view or observer receives becomes
// one line of a shared log, e.g. "a down 5,6 b2", so a test reads the order
// and the coordinates of what the frame delivered.
#pragma once

#include "gui/toolkit/drawcontext.h"
#include "gui/toolkit/frame.h"

#include <cstdio>
#include <string>
#include <vector>

namespace frametest {

using namespace VSTGUI;

using EventLog = std::vector<std::string>;

inline std::string describe(const char* name, const char* kind, const CPoint& where,
                            int32_t buttons) {
    char line[160];
    std::snprintf(line, sizeof line, "%s %s %g,%g b%d", name, kind, where.x, where.y,
                  static_cast<int>(buttons));
    return line;
}

class EventView : public CView {
  public:
    EventView(const CRect& rect, EventLog& eventLog, const char* viewName)
        : CView(rect), log(eventLog), name(viewName) {}
    ~EventView() override {
        if (destroyed)
            ++*destroyed;
    }

    CMouseEventResult onMouseDown(CPoint& where, const int32_t& buttons) override {
        return record("down", where, buttons, downResult);
    }
    CMouseEventResult onMouseUp(CPoint& where, const int32_t& buttons) override {
        return record("up", where, buttons, kMouseEventHandled);
    }
    CMouseEventResult onMouseMoved(CPoint& where, const int32_t& buttons) override {
        return record("moved", where, buttons, movedResult);
    }
    CMouseEventResult onMouseEntered(CPoint& where, const int32_t& buttons) override {
        return record("entered", where, buttons, kMouseEventHandled);
    }
    CMouseEventResult onMouseExited(CPoint& where, const int32_t& buttons) override {
        return record("exited", where, buttons, kMouseEventHandled);
    }
    void mouse(CDrawContext* context, CPoint& where, int32_t buttons) override {
        legacyContext = context;
        record("legacy", where, buttons, kMouseEventNotImplemented);
    }
    using CView::onWheel;
    bool onWheel(const CPoint& where, const float& distance, const int32_t& buttons) override {
        wheelDistance = distance;
        record("wheel", where, buttons, kMouseEventHandled);
        return true;
    }
    int32_t onKeyDown(VstKeyCode& key) override {
        log.push_back(std::string(name) + " keydown " + std::to_string(key.character));
        return keyResult;
    }
    int32_t onKeyUp(VstKeyCode& key) override {
        log.push_back(std::string(name) + " keyup " + std::to_string(key.character));
        return keyResult;
    }
    void looseFocus() override { log.push_back(std::string(name) + " loosefocus"); }
    void drawRect(CDrawContext* context, const CRect& updateRect) override {
        drawContext = context;
        record("draw", updateRect.topLeft(), 0, kMouseEventHandled);
        if (fill) {
            context->setFillColor(fillColor);
            context->fillRect(size);
        }
        CView::drawRect(context, updateRect);
    }
    void onDragEnter(CDragContainer* drag, const CPoint& where) override {
        lastDrag = drag;
        record("dragenter", where, 0, kMouseEventHandled);
    }
    void onDragMove(CDragContainer*, const CPoint& where) override {
        record("dragmove", where, 0, kMouseEventHandled);
    }
    void onDragLeave(CDragContainer*, const CPoint& where) override {
        record("dragleave", where, 0, kMouseEventHandled);
    }
    bool onDrop(CDragContainer* drag, const CPoint& where) override {
        lastDrag = drag;
        record("drop", where, 0, kMouseEventHandled);
        if (onDropped)
            onDropped(drag);
        return acceptsDrop;
    }

    CMouseEventResult downResult = kMouseEventHandled;
    CMouseEventResult movedResult = kMouseEventHandled;
    int32_t keyResult = kKeyNotHandled;
    float wheelDistance = -999.0f;
    CDrawContext* legacyContext = nullptr;
    CDrawContext* drawContext = nullptr;
    CDragContainer* lastDrag = nullptr;
    void (*onDropped)(CDragContainer*) = nullptr;
    bool acceptsDrop = true;
    bool fill = false;
    CColor fillColor{};
    int* destroyed = nullptr;

  private:
    CMouseEventResult record(const char* kind, const CPoint& where, int32_t buttons,
                             CMouseEventResult result) {
        log.push_back(describe(name, kind, where, buttons));
        return result;
    }

    EventLog& log;
    const char* name;
};

// A container that logs the focus messages it is sent.
class NotedContainer : public CViewContainer {
  public:
    NotedContainer(const CRect& rect, EventLog& eventLog, const char* containerName)
        : CViewContainer(rect, nullptr), log(eventLog), name(containerName) {}

    CMessageResult notify(CBaseObject* sender, const char* message) override {
        if (message == kMsgNewFocusView || message == kMsgOldFocusView) {
            const auto* view = dynamic_cast<EventView*>(sender);
            log.push_back(std::string(name) + " " + message + (view ? " from view" : " from ?"));
        }
        return CViewContainer::notify(sender, message);
    }

  private:
    EventLog& log;
    const char* name;
};

class EventObserver : public IMouseObserver {
  public:
    explicit EventObserver(EventLog& eventLog) : log(eventLog) {}
    ~EventObserver() override = default;

    void onMouseEntered(CView* view, CFrame*) override {
        log.push_back(nameOf(view) + " observed entered");
    }
    void onMouseExited(CView* view, CFrame*) override {
        log.push_back(nameOf(view) + " observed exited");
    }
    CMouseEventResult onMouseMoved(CFrame*, const CPoint& where) override {
        log.push_back(describe("observer", "moved", where, 0));
        return kMouseEventHandled;
    }
    CMouseEventResult onMouseDown(CFrame*, const CPoint& where) override {
        log.push_back(describe("observer", "down", where, 0));
        return kMouseEventHandled;
    }

    std::vector<std::pair<CView*, std::string>> names;

  private:
    std::string nameOf(CView* view) const {
        for (const auto& entry : names)
            if (entry.first == view)
                return entry.second;
        return "?";
    }
    EventLog& log;
};

inline VstKeyCode key(int32_t character, unsigned char virt = 0, unsigned char modifier = 0) {
    VstKeyCode code{};
    code.character = character;
    code.virt = virt;
    code.modifier = modifier;
    return code;
}

}  // namespace frametest
