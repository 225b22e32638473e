// A process-wide count of the platform objects the drawing layer made and has
// not freed yet (graphics-library objects, device contexts, GDI bitmaps). Leak
// checks compare it before and after a piece of work.
#pragma once

#include <cstdint>

namespace VSTGUI {

int64_t liveDrawingObjectCount();

// Bookkeeping for the drawing layer's own files.
void countDrawingObjectCreated();
void countDrawingObjectFreed();

}  // namespace VSTGUI
