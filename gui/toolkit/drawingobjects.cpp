#include "gui/toolkit/drawingobjects.h"

namespace VSTGUI {

namespace {
int64_t gLiveObjects = 0;  // UI thread only
}

int64_t liveDrawingObjectCount() {
    return gLiveObjects;
}
void countDrawingObjectCreated() {
    ++gLiveObjects;
}
void countDrawingObjectFreed() {
    --gLiveObjects;
}

}  // namespace VSTGUI
