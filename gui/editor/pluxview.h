// The script view: the only view of a plug-in's frame. Its draw runs the
// script's graphics section on the paint's context, and its mouse and key
// events go to the script through the wrapper's callback table.
#pragma once

#include "gui/toolkit/view.h"

class CPlux;

class CPluxView : public VSTGUI::CView {
  public:
    CPluxView(const VSTGUI::CRect& area, CPlux* plux);

    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where, const int32_t& buttons) override;
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where, const int32_t& buttons) override;
    VSTGUI::CMouseEventResult onMouseMoved(VSTGUI::CPoint& where, const int32_t& buttons) override;
    int32_t onKeyDown(VstKeyCode& keyCode) override;
    int32_t onKeyUp(VstKeyCode& keyCode) override;

  private:
    CPlux* plugin = nullptr;
    // The script's surface: width and height are taken from here.
    double left = 0, top = 0, right = 0, bottom = 0;
};
