// Drawing contexts: the current pen, fill, font and clip state and the
// drawing operations. A context made without a system context and without a
// window has no graphics: it keeps its state but draws nothing.
// UI thread only.
#pragma once

#include "gui/toolkit/baseobject.h"
#include "gui/toolkit/geometry.h"

#include <cstddef>
#include <cstdint>

namespace VSTGUI {

class CBitmap;
class CFontDesc;
class CFrame;
class DisplayList;
struct DrawingState;
struct PlatformGraphics;
struct PlatformImage;  // the graphics library's objects of one context

enum CLineStyle : int32_t { kLineSolid = 0, kLineOnOffDash = 1 };
enum CDrawMode : int32_t { kCopyMode = 0, kOrMode = 1, kXorMode = 2, kAntialias = 3 };
enum CDrawStyle : int32_t { kDrawStroked = 0, kDrawFilled = 1, kDrawFilledAndStroked = 2 };
enum CHoriTxtAlign : int32_t { kLeftText = 0, kCenterText = 1, kRightText = 2 };

class CDrawContext : public CBaseObject {
  public:
    // systemContext is a device context (an HDC; on X11 a cairo surface) and
    // window the frame's window (an HWND; on X11 an X11WindowHandle*); either
    // may be null.
    CDrawContext(CFrame* frame, void* systemContext, void* window = nullptr);
    CDrawContext(const CDrawContext&) = delete;
    ~CDrawContext() override;

    void moveTo(const CPoint& point);
    void lineTo(const CPoint& point);
    // pairCount pairs of points: each pair is one line.
    void drawLines(const CPoint* points, int32_t pairCount);
    void drawPolygon(const CPoint* points, int32_t count, CDrawStyle style = kDrawStroked,
                     bool closed = true);
    void drawRect(const CRect& rect, CDrawStyle style = kDrawStroked);
    void fillRect(const CRect& rect);
    void drawEllipse(const CRect& rect, CDrawStyle style = kDrawStroked);
    void fillEllipse(const CRect& rect);
    // Angles in degrees.
    void drawArc(const CRect& rect, float startAngle, float endAngle,
                 CDrawStyle style = kDrawStroked);
    void drawPoint(const CPoint& point, CColor color);
    // Always opaque black.
    CColor getPoint(const CPoint& point);

    void setLineStyle(CLineStyle style);
    CLineStyle getLineStyle() const { return lineStyle; }
    void setLineWidth(CCoord width);
    CCoord getLineWidth() const { return lineWidth; }
    void setDrawMode(CDrawMode mode);
    CDrawMode getDrawMode() const { return drawMode; }

    // Clip rectangles are given and reported relative to the offset.
    void setClipRect(const CRect& clip);
    CRect& getClipRect(CRect& clip) const;
    void resetClipRect();

    void setFillColor(CColor color);
    CColor getFillColor() const { return fillColor; }
    void setFrameColor(CColor color);
    CColor getFrameColor() const { return frameColor; }
    void setFontColor(CColor color);
    CColor getFontColor() const { return fontColor; }
    // size < 1 keeps the font's size, style -1 keeps its style.
    void setFont(CFontDesc* font, CCoord size = 0, int32_t style = -1);
    CFontDesc* getFont() const { return font; }

    // -1 without text, font or graphics.
    CCoord getStringWidth(const char* utf8Text);
    // The point is the bottom of the text line.
    void drawString(const char* utf8Text, const CPoint& point, bool antialias = true);
    void drawString(const char* utf8Text, const CRect& rect, CHoriTxtAlign align = kCenterText,
                    bool antialias = true);

    // Cursor position relative to the window origin.
    void getMouseLocation(CPoint& point);
    bool waitDoubleClick();
    bool waitDrag();

    // Added to every coordinate that is drawn.
    void setOffset(const CPoint& offset) { drawOffset = offset; }
    const CPoint& getOffset() const { return drawOffset; }
    // The window's screen top-left, used for mouse positions.
    void setWindowOffset(const CPoint& origin) { windowOrigin = origin; }
    const CPoint& getWindowOffset() const { return windowOrigin; }

    void* getSystemContext() const { return systemContext; }
    void* getWindow() const { return window; }
    CFrame* getFrame() const { return frame; }
    // The graphics library's objects; null when the context cannot draw.
    PlatformGraphics* getPlatformGraphics() const { return graphics; }
    // While a recording is set, drawing operations (bitmaps included) are
    // appended to it instead of drawn; state changes and measuring still
    // reach the graphics library. The list is the caller's.
    void setRecording(DisplayList* list) { recording = list; }
    DisplayList* getRecording() const { return recording; }
    // The state an operation drawn now would be drawn in.
    DrawingState currentDrawingState() const;
    // Draws the items of a recording in [firstItem, endItem) that meet area
    // (absolute coordinates), each in its own state and clipped to area, then
    // brings the graphics library back to this context's state.
    void replay(const DisplayList& list, const CRect& area, size_t firstItem = 0,
                size_t endItem = SIZE_MAX);

    // How many pen, brush, mode and clip changes the context has sent towards
    // the graphics library (setters that find the value unchanged send none).
    int64_t getStateUpdateCount() const { return stateUpdateCount; }

  protected:
    // For offscreen contexts, which make their graphics themselves: takes
    // ownership and applies the current pen, brush and mode state to it.
    void attachGraphics(PlatformGraphics* newGraphics);

    CPoint windowOrigin;
    CPoint drawOffset;
    void* systemContext = nullptr;
    void* window = nullptr;
    CFrame* frame = nullptr;
    CFontDesc* font = nullptr;
    CColor fontColor{0, 0, 0, 0};
    CPoint penPosition;  // absolute, offset included
    CCoord lineWidth = 0;
    CColor frameColor{0, 0, 0, 0};
    CColor fillColor{0, 0, 0, 0};
    CLineStyle lineStyle = kLineOnOffDash;
    CDrawMode drawMode = kAntialias;
    CRect clipRect;  // absolute
    PlatformGraphics* graphics = nullptr;
    bool ownsWindowContext = false;

  private:
    void setAbsoluteClip(const CRect& clip);
    // Sends the cached pen, brushes, mode and clip to the graphics library.
    void applyCachedState();
    int64_t stateUpdateCount = 0;
    DisplayList* recording = nullptr;
};

// A drawing context whose surface is a bitmap.
class COffscreenContext : public CDrawContext {
  public:
    // A new width x height 32-bit bitmap owned by the context.
    COffscreenContext(CFrame* frame, CCoord width, CCoord height,
                      CColor backgroundColor = kBlackCColor);
    // Over a device context compatible with context's; drawInBitmap draws
    // straight into bitmap.
    COffscreenContext(CDrawContext* context, CBitmap* bitmap, bool drawInBitmap = false);
    ~COffscreenContext() override;

    // A window's kept buffer of width x height, drawn as a window is drawn
    // and copied to it pixel for pixel; it has no bitmap. Null when it cannot
    // be made.
    static COffscreenContext* newWindowBuffer(CFrame* frame, CCoord width, CCoord height);
    bool isWindowBuffer() const { return windowBuffer; }
    // A window buffer's pixels from srcOffset onto destRect of a device context.
    void copyToSystemContext(void* deviceContext, const CRect& destRect, const CPoint& srcOffset);

    // Draws the bitmap onto destination into destRect, taking the pixels
    // from srcOffset.
    void copyFrom(CDrawContext* destination, const CRect& destRect,
                  const CPoint& srcOffset = CPoint(0, 0));

    CCoord getWidth() const { return width; }
    CCoord getHeight() const { return height; }
    CBitmap* getBitmap() const { return bitmap; }
    CColor getBackgroundColor() const { return backgroundColor; }

  private:
    CBitmap* bitmap = nullptr;         // one reference held
    void* memoryContext = nullptr;     // HDC of the compatible form
    void* compatibleBitmap = nullptr;  // HBITMAP of the compatible form
    CBitmap* sourceBitmap = nullptr;
    CCoord height = 20;
    CCoord width = 20;
    bool destroyBitmap = false;
    bool drawInSourceBitmap = false;
    CColor backgroundColor = kBlackCColor;
    void* replacedBitmap = nullptr;  // of a window buffer's memory context
    PlatformImage* windowBufferImage = nullptr;
    bool windowBuffer = false;

    struct WindowBufferTag {};
    COffscreenContext(CFrame* frame, CCoord width, CCoord height, WindowBufferTag);
};

}  // namespace VSTGUI
