// Images without a graphics library: nothing decodes, nothing is made, every
// bitmap stays 0 x 0.
#include "gui/toolkit/drawingbackend.h"

namespace VSTGUI::backend {

PlatformImage* loadResourceImage(const CResourceDescription& /*description*/) {
    return nullptr;
}
PlatformImage* loadImageFile(const char* /*utf8Path*/) {
    return nullptr;
}
PlatformImage* createImage(int32_t /*width*/, int32_t /*height*/) {
    return nullptr;
}
PlatformImage* copyImage(PlatformImage* /*source*/) {
    return nullptr;
}
PlatformImage* createImageFromGdiData(const uint32_t* /*pixelRows*/, void* /*gdiBitmap*/,
                                      int32_t /*width*/, int32_t /*height*/) {
    return nullptr;
}
void destroyImage(PlatformImage* /*image*/) {}
int32_t imageWidth(PlatformImage* /*image*/) {
    return 0;
}
int32_t imageHeight(PlatformImage* /*image*/) {
    return 0;
}
void drawImage(PlatformGraphics* /*graphics*/, PlatformImage* /*image*/, int32_t /*x*/,
               int32_t /*y*/, int32_t /*width*/, int32_t /*height*/, int32_t /*sourceX*/,
               int32_t /*sourceY*/, uint8_t /*alpha*/) {}
void deleteGdiBitmap(void* /*gdiBitmap*/) {}

CompatibleSurface createCompatibleSurface(void* /*referenceDeviceContext*/, int32_t /*width*/,
                                          int32_t /*height*/, PlatformImage* /*drawInto*/) {
    return {};
}
void destroyCompatibleSurface(CompatibleSurface& surface) {
    surface = {};
}

}  // namespace VSTGUI::backend
