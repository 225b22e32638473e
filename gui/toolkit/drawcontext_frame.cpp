// The one place where the drawing layer asks a frame for its size. Kept apart
// so that the drawing library needs nothing from the view libraries (UBSan's
// dynamic type check is off for this file, see gui/toolkit/CMakeLists.txt).
#include "gui/toolkit/drawingbackend.h"
#include "gui/toolkit/frame.h"

namespace VSTGUI::backend {

CRect frameSizeOrDefault(CFrame* frame) {
    return frame ? frame->getViewSize() : CRect(0, 0, 1000, 1000);
}

}  // namespace VSTGUI::backend
