// Calls on the frame from the view tree. This file builds without the
// sanitizer's dynamic type check (see gui/toolkit/CMakeLists.txt), which
// would need the frame's type information in every program that links the
// view library.
#include "gui/toolkit/viewtree_frame.h"

#include "gui/toolkit/frame.h"

namespace VSTGUI {
namespace frameaccess {

CView* asView(CFrame* frame) {
    return frame;
}

void* systemWindow(CFrame* frame) {
    return frame ? frame->getSystemWindow() : nullptr;
}

bool currentMouseLocation(CFrame* frame, CPoint& where) {
    return frame && frame->getCurrentMouseLocation(where);
}

void setFocusView(CFrame* frame, CView* view) {
    if (frame)
        frame->setFocusView(view);
}

void viewRemoved(CFrame* frame, CView* view) {
    if (frame)
        frame->onViewRemoved(view);
}

}  // namespace frameaccess
}  // namespace VSTGUI
