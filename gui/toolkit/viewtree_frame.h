// The frame as the view tree reaches it. The view library calls the frame
// only through the CView interface or through these functions, so it links
// without the frame's code or type information (the frame library builds on
// this one, not the other way round).
#pragma once

#include "gui/toolkit/geometry.h"

namespace VSTGUI {

class CFrame;
class CView;

namespace frameaccess {

// The frame as a view; null for null.
CView* asView(CFrame* frame);
// The frame's own window handle; null without a frame or window.
void* systemWindow(CFrame* frame);
// Cursor position relative to the frame window; false without a frame.
bool currentMouseLocation(CFrame* frame, CPoint& where);
void setFocusView(CFrame* frame, CView* view);
// Lets the frame forget a removed view (and its subtree) as focus or mouse-over view.
void viewRemoved(CFrame* frame, CView* view);

}  // namespace frameaccess
}  // namespace VSTGUI
