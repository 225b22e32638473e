#include "gui/editor/pluxview.h"

#include "shell/plux.h"

using VSTGUI::CMouseEventResult;
using VSTGUI::kMouseEventHandled;

CPluxView::CPluxView(const VSTGUI::CRect& area, CPlux* plux)
    : CView(area), plugin(plux), left(area.left), top(area.top), right(area.right),
      bottom(area.bottom) {}

// The context is the script's only while its graphics section runs.
void CPluxView::draw(VSTGUI::CDrawContext* context) {
    setDirty(false);
    if (!plugin || !plugin->callbacks.draw)
        return;
    plugin->drawContext = context;
    plugin->callbacks.draw(plugin, right - left, bottom - top);
    plugin->drawContext = nullptr;
}

CMouseEventResult CPluxView::onMouseDown(VSTGUI::CPoint& where, const int32_t& buttons) {
    if (plugin && plugin->callbacks.mouseDown)
        plugin->callbacks.mouseDown(plugin, where.x, where.y, buttons);
    return kMouseEventHandled;
}

CMouseEventResult CPluxView::onMouseUp(VSTGUI::CPoint& where, const int32_t& buttons) {
    if (plugin && plugin->callbacks.mouseUp)
        plugin->callbacks.mouseUp(plugin, where.x, where.y, buttons);
    return kMouseEventHandled;
}

CMouseEventResult CPluxView::onMouseMoved(VSTGUI::CPoint& where, const int32_t& buttons) {
    if (plugin && plugin->callbacks.mouseMove)
        plugin->callbacks.mouseMove(plugin, where.x, where.y, buttons);
    return kMouseEventHandled;
}

int32_t CPluxView::onKeyDown(VstKeyCode& keyCode) {
    if (plugin && plugin->callbacks.keyDown)
        plugin->callbacks.keyDown(plugin, keyCode.character, keyCode.modifier, keyCode.virt);
    return 1;
}

int32_t CPluxView::onKeyUp(VstKeyCode& keyCode) {
    if (plugin && plugin->callbacks.keyUp)
        plugin->callbacks.keyUp(plugin, keyCode.character, keyCode.modifier, keyCode.virt);
    return 1;
}
