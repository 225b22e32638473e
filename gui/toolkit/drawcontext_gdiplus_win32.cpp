// Drawing contexts over GDI+: graphics with their pen and brushes, state,
// shapes and text; window device contexts and mouse positions.
#include "gui/toolkit/drawingbackend.h"
#include "gui/toolkit/gdiplus_win32.h"
#include "gui/toolkit/textconversion_win32.h"
#include "platform/platform.h"

#include <cstdlib>

namespace VSTGUI::backend {

namespace {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

constexpr ARGB kOpaqueBlack = 0xff000000;
constexpr LONG kDragTolerance = 2;

GpGraphics* nativeGraphics(PlatformGraphics* graphics) {
    return graphics && graphics->graphics ? graphics->graphics->get() : nullptr;
}

template <class Wrapper> auto nativeOf(Wrapper* wrapper) -> decltype(wrapper->get()) {
    return wrapper ? wrapper->get() : nullptr;
}

// Pen and brushes of a new context: black, the pen 1 wide in world units.
PlatformGraphics* completeGraphics(GdipGraphicsObject* graphics) {
    if (!graphics)
        return nullptr;
    auto* platform = new (std::nothrow) PlatformGraphics;
    if (!platform) {
        gdipDestroy(graphics);
        return nullptr;
    }
    platform->graphics = graphics;
    platform->pen = gdipMake<GdipPenObject>(
        [](GpPen** pen) { return GdipCreatePen1(kOpaqueBlack, 1.0f, UnitWorld, pen); });
    const auto blackBrush = [](GpSolidFill** brush) {
        return GdipCreateSolidFill(kOpaqueBlack, brush);
    };
    platform->fillBrush = gdipMake<GdipBrushObject>(blackBrush);
    platform->fontBrush = gdipMake<GdipBrushObject>(blackBrush);
    return platform;
}

// Calls draw(graphics, pen) when the context has both; records a failure.
template <class Draw> void strokeWith(PlatformGraphics* graphics, Draw&& draw) {
    GpGraphics* native = nativeGraphics(graphics);
    GpPen* pen = native ? nativeOf(graphics->pen) : nullptr;
    if (pen)
        graphics->graphics->check(draw(native, pen));
}

// Calls draw(graphics, fill brush) when the context has both; records a failure.
template <class Draw> void fillWith(PlatformGraphics* graphics, Draw&& draw) {
    GpGraphics* native = nativeGraphics(graphics);
    GpSolidFill* brush = native ? nativeOf(graphics->fillBrush) : nullptr;
    if (brush)
        graphics->graphics->check(draw(native, brush));
}

bool buttonIsDown(int virtualKey) {
    return (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

bool withinTolerance(const POINT& point, const CPoint& start) {
    return std::labs(point.x - truncateToInt(start.x)) <= kDragTolerance &&
           std::labs(point.y - truncateToInt(start.y)) <= kDragTolerance;
}

}  // namespace

PlatformGraphics* createGraphicsOnDeviceContext(void* deviceContext) {
    if (!deviceContext)
        return nullptr;
    auto* graphics = gdipMake<GdipGraphicsObject>([&](GpGraphics** created) {
        return GdipCreateFromHDC(static_cast<HDC>(deviceContext), created);
    });
    if (!graphics)
        return nullptr;
    GpGraphics* native = graphics->native;
    graphics->check(GdipSetInterpolationMode(native, InterpolationModeLowQuality));
    graphics->check(GdipSetPageUnit(native, UnitPixel));
    graphics->check(GdipSetPixelOffsetMode(native, PixelOffsetModeNone));
    return completeGraphics(graphics);
}

PlatformGraphics* createGraphicsOnImage(PlatformImage* image) {
    GpBitmap* bitmap = nativeOf(image);
    if (!bitmap)
        return nullptr;
    auto* graphics = gdipMake<GdipGraphicsObject>(
        [&](GpGraphics** created) { return GdipGetImageGraphicsContext(bitmap, created); });
    if (!graphics)
        return nullptr;
    GpGraphics* native = graphics->native;
    graphics->check(GdipSetInterpolationMode(native, InterpolationModeLowQuality));
    graphics->check(GdipSetPageUnit(native, UnitPixel));
    return completeGraphics(graphics);
}

void destroyGraphics(PlatformGraphics* graphics) {
    if (!graphics)
        return;
    gdipDestroy(graphics->fontBrush);
    gdipDestroy(graphics->fillBrush);
    gdipDestroy(graphics->pen);
    gdipDestroy(graphics->graphics);
    delete graphics;
}

void* acquireWindowDeviceContext(void* window) {
    HDC deviceContext = window ? GetDC(static_cast<HWND>(window)) : nullptr;
    if (deviceContext)
        countDrawingObjectCreated();
    return deviceContext;
}

void releaseWindowDeviceContext(void* window, void* deviceContext) {
    if (!deviceContext)
        return;
    ReleaseDC(static_cast<HWND>(window), static_cast<HDC>(deviceContext));
    countDrawingObjectFreed();
}

CPoint windowScreenOrigin(void* window) {
    RECT rect{};
    if (!window || !GetWindowRect(static_cast<HWND>(window), &rect))
        return {};
    return CPoint(rect.left, rect.top);
}

CPoint cursorScreenPosition() {
    POINT point{};
    if (!GetCursorPos(&point))
        return {};
    return CPoint(point.x, point.y);
}

bool waitForDoubleClick(void* window, const CPoint& start) {  // UI thread
    if (!window)
        return false;
    const uint32_t begin = static_cast<uint32_t>(plux::platform::processClockMilliseconds());
    const uint32_t limit = GetDoubleClickTime();
    MSG message;
    while (static_cast<uint32_t>(plux::platform::processClockMilliseconds()) - begin < limit) {
        if (PeekMessageW(&message, static_cast<HWND>(window), WM_LBUTTONDOWN, WM_MBUTTONDBLCLK,
                         PM_REMOVE)) {
            const bool press =
                message.message == WM_LBUTTONDOWN || message.message == WM_RBUTTONDOWN ||
                message.message == WM_MBUTTONDOWN || message.message == WM_LBUTTONDBLCLK ||
                message.message == WM_RBUTTONDBLCLK || message.message == WM_MBUTTONDBLCLK;
            if (press)
                return withinTolerance(message.pt, start);
        }
        Sleep(1);
    }
    return false;
}

bool waitForDrag(void* window, const CPoint& start) {  // UI thread
    if (!window)
        return false;
    while (buttonIsDown(VK_LBUTTON) || buttonIsDown(VK_RBUTTON) || buttonIsDown(VK_MBUTTON)) {
        POINT point{};
        if (GetCursorPos(&point) && !withinTolerance(point, start))
            return true;
        Sleep(1);
    }
    return false;
}

void setPenColor(PlatformGraphics* graphics, uint32_t argb) {
    if (GpPen* pen = graphics ? nativeOf(graphics->pen) : nullptr)
        graphics->pen->check(GdipSetPenColor(pen, argb));
}

void setFillColor(PlatformGraphics* graphics, uint32_t argb) {
    if (GpSolidFill* brush = graphics ? nativeOf(graphics->fillBrush) : nullptr)
        graphics->fillBrush->check(GdipSetSolidFillColor(brush, argb));
}

void setFontColor(PlatformGraphics* graphics, uint32_t argb) {
    if (GpSolidFill* brush = graphics ? nativeOf(graphics->fontBrush) : nullptr)
        graphics->fontBrush->check(GdipSetSolidFillColor(brush, argb));
}

void setPenWidth(PlatformGraphics* graphics, float width) {
    if (GpPen* pen = graphics ? nativeOf(graphics->pen) : nullptr)
        graphics->pen->check(GdipSetPenWidth(pen, width));
}

void setPenDotted(PlatformGraphics* graphics, bool dotted) {
    if (GpPen* pen = graphics ? nativeOf(graphics->pen) : nullptr)
        graphics->pen->check(GdipSetPenDashStyle(pen, dotted ? DashStyleDot : DashStyleSolid));
}

void setAntialias(PlatformGraphics* graphics, bool antialias) {
    if (GpGraphics* native = nativeGraphics(graphics))
        graphics->graphics->check(
            GdipSetSmoothingMode(native, antialias ? SmoothingModeAntiAlias : SmoothingModeNone));
}

void setClip(PlatformGraphics* graphics, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (GpGraphics* native = nativeGraphics(graphics))
        graphics->graphics->check(
            GdipSetClipRectI(native, x, y, width, height, CombineModeReplace));
}

void drawLine(PlatformGraphics* graphics, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    strokeWith(graphics, [&](GpGraphics* native, GpPen* pen) {
        return GdipDrawLineI(native, pen, x1, y1, x2, y2);
    });
}

void fillRectangle(PlatformGraphics* graphics, float x, float y, float width, float height) {
    fillWith(graphics, [&](GpGraphics* native, GpSolidFill* brush) {
        return GdipFillRectangle(native, brush, x, y, width, height);
    });
}

void strokeRectangle(PlatformGraphics* graphics, float x, float y, float width, float height) {
    strokeWith(graphics, [&](GpGraphics* native, GpPen* pen) {
        return GdipDrawRectangle(native, pen, x, y, width, height);
    });
}

void fillEllipse(PlatformGraphics* graphics, int32_t x, int32_t y, int32_t width, int32_t height) {
    fillWith(graphics, [&](GpGraphics* native, GpSolidFill* brush) {
        return GdipFillEllipseI(native, brush, x, y, width, height);
    });
}

void strokeEllipse(PlatformGraphics* graphics, int32_t x, int32_t y, int32_t width,
                   int32_t height) {
    strokeWith(graphics, [&](GpGraphics* native, GpPen* pen) {
        return GdipDrawEllipseI(native, pen, x, y, width, height);
    });
}

void drawArc(PlatformGraphics* graphics, float x, float y, float width, float height,
             float startAngle, float sweepAngle, bool fill, bool stroke) {
    GpGraphics* native = nativeGraphics(graphics);
    if (!native || (!fill && !stroke))
        return;
    auto* path = gdipMake<GdipObject<GpPath>>(
        [](GpPath** created) { return GdipCreatePath(FillModeAlternate, created); });
    if (!path)
        return;
    GpPath* nativePath = path->native;
    if (path->check(GdipAddPathArc(nativePath, x, y, width, height, startAngle, sweepAngle))) {
        if (fill)
            fillWith(graphics, [&](GpGraphics* target, GpSolidFill* brush) {
                return GdipFillPath(target, brush, nativePath);
            });
        if (stroke)
            strokeWith(graphics, [&](GpGraphics* target, GpPen* pen) {
                return GdipDrawPath(target, pen, nativePath);
            });
    }
    gdipDestroy(path);
}

void drawPolygon(PlatformGraphics* graphics, const FloatPoint* points, int32_t count, bool fill,
                 bool stroke, bool closed) {
    GpGraphics* native = nativeGraphics(graphics);
    if (!native || !points || count <= 0)
        return;
    static_assert(sizeof(FloatPoint) == sizeof(GpPointF), "the same two floats");
    const auto* gdipPoints = reinterpret_cast<const GpPointF*>(points);
    if (fill)
        fillWith(graphics, [&](GpGraphics* target, GpSolidFill* brush) {
            return GdipFillPolygon(target, brush, gdipPoints, count, FillModeAlternate);
        });
    if (stroke)
        strokeWith(graphics, [&](GpGraphics* target, GpPen* pen) {
            return closed ? GdipDrawPolygon(target, pen, gdipPoints, count)
                          : GdipDrawLines(target, pen, gdipPoints, count);
        });
}

double measureStringWidth(PlatformGraphics* graphics, PlatformFont* font, const char* utf8Text) {
    GpGraphics* native = nativeGraphics(graphics);
    if (!native || !utf8Text)
        return -1;
    GpFont* nativeFont = nativeOf(font);
    if (!nativeFont)
        return 0;
    REAL dpi = 0;
    if (!graphics->graphics->check(GdipGetDpiY(native, &dpi)))
        return 0;
    if (font->widthsDpi != dpi) {
        font->widths.clear();
        font->widthsDpi = dpi;
    }
    const auto kept = font->widths.find(utf8Text);
    if (kept != font->widths.end())
        return kept->second;
    // Measured as the texts are drawn (anti-aliased), whatever the last
    // drawing left set, so that a width does not depend on what came before.
    graphics->graphics->check(GdipSetTextRenderingHint(native, TextRenderingHintClearTypeGridFit));
    const std::wstring text = utf8ToWide(utf8Text);
    const RectF layout(0, 0, 0, 0);
    RectF bounds(0, 0, 0, 0);
    if (!graphics->graphics->check(GdipMeasureString(native, text.c_str(),
                                                     static_cast<INT>(text.size()), nativeFont,
                                                     &layout, nullptr, &bounds, nullptr, nullptr)))
        return 0;
    if (font->widths.size() >= PlatformFont::kMaxKeptWidths)
        font->widths.clear();
    font->widths.emplace(utf8Text, bounds.Width);
    return bounds.Width;
}

double fontHeight(PlatformGraphics* graphics, PlatformFont* font) {
    GpGraphics* native = nativeGraphics(graphics);
    GpFont* nativeFont = nativeOf(font);
    if (!native || !nativeFont)
        return 0;
    REAL dpi = 0;
    if (!graphics->graphics->check(GdipGetDpiY(native, &dpi)))
        return 0;
    if (font->heightDpi == dpi && font->height > 0)
        return font->height;
    REAL height = 0;
    if (!font->check(GdipGetFontHeightGivenDPI(nativeFont, dpi, &height)))
        return 0;
    font->height = height;
    font->heightDpi = dpi;
    return height;
}

void drawString(PlatformGraphics* graphics, PlatformFont* font, const char* utf8Text, float x,
                float top, bool antialias) {
    GpGraphics* native = nativeGraphics(graphics);
    GpFont* nativeFont = nativeOf(font);
    GpSolidFill* brush = native ? nativeOf(graphics->fontBrush) : nullptr;
    if (!nativeFont || !brush || !utf8Text)
        return;
    graphics->graphics->check(GdipSetTextRenderingHint(
        native, antialias ? TextRenderingHintClearTypeGridFit : TextRenderingHintSystemDefault));
    const std::wstring text = utf8ToWide(utf8Text);
    const RectF layout(x, top, 0, 0);
    graphics->graphics->check(GdipDrawString(native, text.c_str(), static_cast<INT>(text.size()),
                                             nativeFont, &layout, nullptr, brush));
}

}  // namespace VSTGUI::backend
