// The seam between the portable drawing logic and the graphics library: the
// portable files (drawcontext.cpp, offscreencontext.cpp, bitmap.cpp,
// fontdesc.cpp, gdiplusglobals.cpp) keep state and decide what to draw; these
// functions do it. GDI+ implements them in the *_win32.cpp files, cairo in the
// *_cairo.cpp files (with the window functions in drawcontext_x11.cpp, where a
// device context is a cairo surface). Every function accepts null objects and
// then does nothing. Private to the drawing layer. UI thread only.
#pragma once

#include "gui/toolkit/bitmap.h"
#include "gui/toolkit/geometry.h"

#include <cmath>
#include <cstdint>

namespace VSTGUI {

class CFrame;
struct PlatformFont;
struct PlatformGraphics;
struct PlatformImage;

namespace backend {

// Truncation toward zero that stays defined for any input: NaN gives 0 and
// values beyond the 32-bit range saturate.
inline int32_t truncateToInt(double value) {
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0)
        return INT32_MAX;
    if (value <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

inline int32_t addSaturated(int32_t a, int32_t b) {
    const int64_t sum = int64_t{a} + int64_t{b};
    return sum > INT32_MAX ? INT32_MAX : sum < INT32_MIN ? INT32_MIN : static_cast<int32_t>(sum);
}

struct FloatPoint {
    float x;
    float y;
};

// The frame's size, or (0, 0, 1000, 1000) without a frame: the initial and
// the reset clip of a context.
CRect frameSizeOrDefault(CFrame* frame);

// Start-up and shutdown of the graphics library.
bool startup(uintptr_t& token);
void shutdown(uintptr_t token);

// Graphics with a pen (black, width 1), a fill brush and a font brush (both
// black); null when the library cannot make one.
PlatformGraphics* createGraphicsOnDeviceContext(void* deviceContext);
PlatformGraphics* createGraphicsOnImage(PlatformImage* image);
void destroyGraphics(PlatformGraphics* graphics);

// The frame's window (an HWND, on X11 an X11WindowHandle*) and the mouse over
// it; a window's device context is an HDC, on X11 a cairo surface.
void* acquireWindowDeviceContext(void* window);
void releaseWindowDeviceContext(void* window, void* deviceContext);
CPoint windowScreenOrigin(void* window);
CPoint cursorScreenPosition();
// Mouse watching with a 2-pixel tolerance; start is in screen coordinates.
bool waitForDoubleClick(void* window, const CPoint& start);
bool waitForDrag(void* window, const CPoint& start);

// State.
void setPenColor(PlatformGraphics* graphics, uint32_t argb);
void setFillColor(PlatformGraphics* graphics, uint32_t argb);
void setFontColor(PlatformGraphics* graphics, uint32_t argb);
void setPenWidth(PlatformGraphics* graphics, float width);
void setPenDotted(PlatformGraphics* graphics, bool dotted);
void setAntialias(PlatformGraphics* graphics, bool antialias);
void setClip(PlatformGraphics* graphics, int32_t x, int32_t y, int32_t width, int32_t height);

// Shapes, in absolute coordinates.
void drawLine(PlatformGraphics* graphics, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
void fillRectangle(PlatformGraphics* graphics, float x, float y, float width, float height);
void strokeRectangle(PlatformGraphics* graphics, float x, float y, float width, float height);
void fillEllipse(PlatformGraphics* graphics, int32_t x, int32_t y, int32_t width, int32_t height);
void strokeEllipse(PlatformGraphics* graphics, int32_t x, int32_t y, int32_t width, int32_t height);
void drawArc(PlatformGraphics* graphics, float x, float y, float width, float height,
             float startAngle, float sweepAngle, bool fill, bool stroke);
void drawPolygon(PlatformGraphics* graphics, const FloatPoint* points, int32_t count, bool fill,
                 bool stroke, bool closed);

// Fonts and text. A font whose family does not exist is still made, without
// a native font: it measures 0 and draws nothing.
PlatformFont* createFont(const char* name, double size, int32_t style);
void destroyFont(PlatformFont* font);
bool isFontCurrent(const PlatformFont* font);
double measureStringWidth(PlatformGraphics* graphics, PlatformFont* font, const char* utf8Text);
double fontHeight(PlatformGraphics* graphics, PlatformFont* font);
void drawString(PlatformGraphics* graphics, PlatformFont* font, const char* utf8Text, float x,
                float top, bool antialias);

// Images.
PlatformImage* loadResourceImage(const CResourceDescription& description);
PlatformImage* loadImageFile(const char* utf8Path);
PlatformImage* createImage(int32_t width, int32_t height);
// A 32-bit ARGB copy of the whole image; null when it fails.
PlatformImage* copyImage(PlatformImage* source);
// From raw 32-bit premultiplied rows when given, else from a GDI bitmap.
PlatformImage* createImageFromGdiData(const uint32_t* pixelRows, void* gdiBitmap, int32_t width,
                                      int32_t height);
void destroyImage(PlatformImage* image);
int32_t imageWidth(PlatformImage* image);
int32_t imageHeight(PlatformImage* image);
// Every pixel as straight 0xAARRGGBB, rows top first, into imageWidth x
// imageHeight values; false when there is no image or it cannot be read.
bool readImagePixels(PlatformImage* image, uint32_t* argbRows);
void drawImage(PlatformGraphics* graphics, PlatformImage* image, int32_t x, int32_t y,
               int32_t width, int32_t height, int32_t sourceX, int32_t sourceY, uint8_t alpha);
void deleteGdiBitmap(void* gdiBitmap);

// The surface of an offscreen context made compatible with another context's
// device context: a memory device context, and either graphics on an existing
// image or a new GDI bitmap wrapped as an image with graphics on it.
struct CompatibleSurface {
    void* memoryDeviceContext = nullptr;
    void* gdiBitmap = nullptr;
    PlatformImage* image = nullptr;  // the new image (null when drawing into an existing one)
    PlatformGraphics* graphics = nullptr;
};
CompatibleSurface createCompatibleSurface(void* referenceDeviceContext, int32_t width,
                                          int32_t height, PlatformImage* drawInto);
void destroyCompatibleSurface(CompatibleSurface& surface);

// A window's kept buffer: a 32-bit device-independent bitmap in a memory
// device context, whose pixels are also an image of the graphics library.
// The library draws into the image as into any offscreen bitmap, and the
// buffer reaches the window by a plain copy of pixels.
struct WindowBuffer {
    void* memoryDeviceContext = nullptr;
    void* bitmap = nullptr;
    void* replacedBitmap = nullptr;  // selected into the memory context before
    PlatformImage* image = nullptr;  // over the bitmap's pixels
};
WindowBuffer createWindowBuffer(int32_t width, int32_t height);
void destroyWindowBuffer(WindowBuffer& buffer);
// Copies width x height pixels from (sourceX, sourceY) of the buffer to (x, y)
// of the target.
void copyWindowBuffer(const WindowBuffer& buffer, void* targetDeviceContext, int32_t x, int32_t y,
                      int32_t width, int32_t height, int32_t sourceX, int32_t sourceY);

}  // namespace backend
}  // namespace VSTGUI
