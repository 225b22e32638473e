// Contexts without a graphics library: no graphics, no windows, no fonts.
// The portable context keeps its state; nothing is drawn or measured.
#include "gui/toolkit/drawingbackend.h"

namespace VSTGUI::backend {

PlatformGraphics* createGraphicsOnDeviceContext(void* /*deviceContext*/) {
    return nullptr;
}
PlatformGraphics* createGraphicsOnImage(PlatformImage* /*image*/) {
    return nullptr;
}
void destroyGraphics(PlatformGraphics* /*graphics*/) {}

void* acquireWindowDeviceContext(void* /*window*/) {
    return nullptr;
}
void releaseWindowDeviceContext(void* /*window*/, void* /*deviceContext*/) {}
CPoint windowScreenOrigin(void* /*window*/) {
    return {};
}
CPoint cursorScreenPosition() {
    return {};
}
bool waitForDoubleClick(void* /*window*/, const CPoint& /*start*/) {
    return false;
}
bool waitForDrag(void* /*window*/, const CPoint& /*start*/) {
    return false;
}

void setPenColor(PlatformGraphics* /*graphics*/, uint32_t /*argb*/) {}
void setFillColor(PlatformGraphics* /*graphics*/, uint32_t /*argb*/) {}
void setFontColor(PlatformGraphics* /*graphics*/, uint32_t /*argb*/) {}
void setPenWidth(PlatformGraphics* /*graphics*/, float /*width*/) {}
void setPenDotted(PlatformGraphics* /*graphics*/, bool /*dotted*/) {}
void setAntialias(PlatformGraphics* /*graphics*/, bool /*antialias*/) {}
void setClip(PlatformGraphics* /*graphics*/, int32_t /*x*/, int32_t /*y*/, int32_t /*width*/,
             int32_t /*height*/) {}

void drawLine(PlatformGraphics* /*graphics*/, int32_t /*x1*/, int32_t /*y1*/, int32_t /*x2*/,
              int32_t /*y2*/) {}
void fillRectangle(PlatformGraphics* /*graphics*/, float /*x*/, float /*y*/, float /*width*/,
                   float /*height*/) {}
void strokeRectangle(PlatformGraphics* /*graphics*/, float /*x*/, float /*y*/, float /*width*/,
                     float /*height*/) {}
void fillEllipse(PlatformGraphics* /*graphics*/, int32_t /*x*/, int32_t /*y*/, int32_t /*width*/,
                 int32_t /*height*/) {}
void strokeEllipse(PlatformGraphics* /*graphics*/, int32_t /*x*/, int32_t /*y*/, int32_t /*width*/,
                   int32_t /*height*/) {}
void drawArc(PlatformGraphics* /*graphics*/, float /*x*/, float /*y*/, float /*width*/,
             float /*height*/, float /*startAngle*/, float /*sweepAngle*/, bool /*fill*/,
             bool /*stroke*/) {}
void drawPolygon(PlatformGraphics* /*graphics*/, const FloatPoint* /*points*/, int32_t /*count*/,
                 bool /*fill*/, bool /*stroke*/, bool /*closed*/) {}

PlatformFont* createFont(const char* /*name*/, double /*size*/, int32_t /*style*/) {
    return nullptr;
}
void destroyFont(PlatformFont* /*font*/) {}
bool isFontCurrent(const PlatformFont* /*font*/) {
    return false;
}
double measureStringWidth(PlatformGraphics* /*graphics*/, PlatformFont* /*font*/,
                          const char* /*utf8Text*/) {
    return -1;
}
double fontHeight(PlatformGraphics* /*graphics*/, PlatformFont* /*font*/) {
    return 0;
}
void drawString(PlatformGraphics* /*graphics*/, PlatformFont* /*font*/, const char* /*utf8Text*/,
                float /*x*/, float /*top*/, bool /*antialias*/) {}

WindowBuffer createWindowBuffer(int32_t /*width*/, int32_t /*height*/) {
    return {};
}
void destroyWindowBuffer(WindowBuffer& buffer) {
    buffer = {};
}
void copyWindowBuffer(const WindowBuffer& /*buffer*/, void* /*targetDeviceContext*/, int32_t /*x*/,
                      int32_t /*y*/, int32_t /*width*/, int32_t /*height*/, int32_t /*sourceX*/,
                      int32_t /*sourceY*/) {}

}  // namespace VSTGUI::backend
