// The script view: the only view of a plug-in's frame. Its draw runs the
// script's graphics section, and its mouse and key events go to the script,
// both through the wrapper's editor operations (CPlux::drawGraphics, ...).
//
// With the frame's retained drawing, what the section draws is recorded and
// kept: a redraw asked for by the pacing runs the section into a new
// recording, compares it with the one the frame's buffer shows, and draws and
// shows only the areas that changed, from the new recording. A paint the
// system asks for (an uncovered window) replays the kept recording into its
// area without running the section. Everything else (the first paint of a
// buffer, a host's own draw, a frame without a buffer) runs the section and
// draws at once. UI thread only.
#pragma once

#include "gui/toolkit/damageregion.h"
#include "gui/toolkit/displaylist.h"
#include "gui/toolkit/view.h"

#include <cstdint>

class CPlux;
namespace VSTGUI {
class COffscreenContext;
}

class CPluxView : public VSTGUI::CView {
  public:
    CPluxView(const VSTGUI::CRect& area, CPlux* plux);
    ~CPluxView() override;

    void draw(VSTGUI::CDrawContext* context) override;
    // A redraw the pacing asks for: the section runs now when the frame's
    // buffer holds this view's last recording, else the whole view is
    // invalidated and the section runs on the paint.
    void redraw();
    // The areas the last redraw invalidated, in frame coordinates.
    const VSTGUI::DamageRegion& getLastDamage() const { return lastDamage; }
    // True when the last redraw could compare recordings.
    bool lastRedrawWasPartial() const { return lastRedrawPartial; }

    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where, const int32_t& buttons) override;
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where, const int32_t& buttons) override;
    VSTGUI::CMouseEventResult onMouseMoved(VSTGUI::CPoint& where, const int32_t& buttons) override;
    int32_t onKeyDown(VstKeyCode& keyCode) override;
    int32_t onKeyUp(VstKeyCode& keyCode) override;

  private:
    void runSection(VSTGUI::CDrawContext* context);
    // Runs the section into a recording on the frame's buffer, in the state
    // a paint starts it in, without drawing.
    void recordSection(VSTGUI::CDrawContext* buffer, VSTGUI::DisplayList& into);
    bool bufferShowsRecording() const;
    // Draws area of the frame's buffer from the kept recording, starting from
    // the underlay when there is one, and shows it in the window.
    void redrawArea(const VSTGUI::CRect& area);
    void keepUnderlay(size_t items);
    void dropUnderlay();

    CPlux* plugin = nullptr;
    // The script's surface: width and height are taken from here.
    double left = 0, top = 0, right = 0, bottom = 0;
    VSTGUI::DisplayList shown;     // what the frame's buffer holds of this view
    uint32_t shownGeneration = 0;  // the buffer shown was drawn into; 0 none
    VSTGUI::DamageRegion lastDamage;
    bool lastRedrawPartial = false;
    // What the buffer holds under the first item that changes from redraw to
    // redraw (a pulsing fade, say): the frame's background and the items
    // before it, drawn once over the whole view. Redraws that change nothing
    // before that item copy it back instead of drawing those items again.
    VSTGUI::COffscreenContext* underlay = nullptr;
    size_t underlayItems = 0;
    uint32_t underlayGeneration = 0;
    size_t lastFirstChange = 0;
};
