// The editor of a plug-in: a fixed-size frame in the host's window holding
// one script view, which hands the drawing context and the mouse to the
// script. UI thread only.
#pragma once

#include <atomic>
#include <cstdint>

#include "gui/editor/aeffguieditor.h"

class CPlux;
class CPluxView;

class CPluxEditor : public AEffGUIEditor {
  public:
    // Attaches itself to the plug-in; width and height never change.
    CPluxEditor(CPlux* plux, int32_t width, int32_t height);

    // Makes the frame (a child window of parentWindow) with the script view.
    bool open(void* parentWindow) override;
    // Releases the frame, which destroys its window and the view.
    void close() override;
    // Runs the script's redraw pacing and the redraw it asked for, then the
    // frame's idle.
    void idle() override;
    // Notes a redraw; the next idle pass makes it (the request may come while
    // the script is locked, and the redraw runs the graphics section).
    void requestRedraw() override;

    CPluxView* getView() const { return view; }
    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }

  private:
    CPlux* plugin = nullptr;
    CPluxView* view = nullptr;  // owned by the frame
    int32_t width = 0;
    int32_t height = 0;
    std::atomic<bool> redrawRequested{false};
};
