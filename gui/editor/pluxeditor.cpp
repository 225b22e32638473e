#include "gui/editor/pluxeditor.h"

#include <new>

#include "gui/editor/pluxview.h"
#include "gui/toolkit/frame.h"
#include "shell/plux.h"

CPluxEditor::CPluxEditor(CPlux* plux, int32_t editorWidth, int32_t editorHeight)
    : AEffGUIEditor(plux), plugin(plux), width(editorWidth), height(editorHeight) {
    rect.top = 0;
    rect.left = 0;
    rect.bottom = static_cast<VstInt16>(height);
    rect.right = static_cast<VstInt16>(width);
}

// Every open makes a new frame and view; nothing of an earlier opening is
// kept but the script's own state. The frame exists even when the window
// cannot be made; it then draws nothing.
bool CPluxEditor::open(void* parentWindow) {
    const VSTGUI::CRect size(0, 0, width, height);
    auto* newFrame = new (std::nothrow) VSTGUI::CFrame(size, parentWindow, this);
    if (!newFrame)
        return false;
    auto* newView = new (std::nothrow) CPluxView(size, plugin);
    if (!newView) {
        newFrame->forget();
        return false;
    }
    // A second open without a close replaces the first frame instead of
    // leaking it and its window.
    if (frame)
        close();
    frame = newFrame;
    view = newView;
    takeUiThread();
    frame->setRetainedDrawing(true);
    frame->addView(view);  // the frame takes the view's only reference
    return true;
}

void CPluxEditor::close() {
    if (!frame)
        return;
    VSTGUI::CFrame* closing = frame;
    frame = nullptr;
    view = nullptr;
    // A host may close from another thread than the one that opened.
    closing->forgetOnOwnThread();
}

void CPluxEditor::idle() {
    expectUiThread("editor idle on the thread that opened the editor");
    if (view && frame && plugin)
        plugin->editorIdle();
    if (redrawRequested.exchange(false) && view)
        view->redraw();
    AEffGUIEditor::idle();
}

void CPluxEditor::requestRedraw() {
    redrawRequested = true;
}
