// The script's drawing state and primitives. A graphics section sets the
// colour and the pen and calls the primitives, which draw on the context its
// pass gives it (TVexmold::runGraphicsSection). Outside a pass, or with a
// pass without a context, every primitive draws nothing and answers false
// (fill rectangle and line to still move the pen).
// UI thread only: the graphics section runs there.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "runtime/graphics/fonts.h"
#include "runtime/graphics/images.h"

namespace VSTGUI {
struct CColor;
}

class CVexmoldGraphics : public CVexmoldFonts {
  public:
    // Drawing colour, nominally 0 to 1 per component.
    double drawRed = 0.0, drawGreen = 0.0, drawBlue = 0.0, drawAlpha = 0.0;
    double penX = 0.0;
    double penY = 0.0;
    double clearColour = 0.0;  // packed 0xBBGGRR; 0 = no clearing
    double surfaceWidth = 0.0, surfaceHeight = 0.0;
    double redrawRate = 0.0;  // timed redraws per second; 0 or less = none
    // Size of the surface the draw binding was given by the view.
    double viewWidth = 0.0;
    double viewHeight = 0.0;
    std::map<int32_t, TVexmoldImageEntry> loadedImages;

    // One colour component as a byte: v * 255 nudged by 0.0001 away from
    // zero, cut to an integer and clamped to 0 .. 255 (NaN gives 0).
    static uint8_t colourByte(double component);
    VSTGUI::CColor drawingColour() const;

    // The primitives the effects use.
    bool fillRect(double x, double y, double width, double height);
    bool lineTo(double x, double y);
    // Text of a string slot, line by line from the pen; see drawTextLines.
    bool drawText(double stringSlotNumber);
    // "%.*f" of value with the given decimals, drawn as text.
    bool drawNumber(double value, double decimals);
    bool drawTextLines(const std::string& text);
    // The image of a slot at the pen, at its own size; the pen stays.
    bool drawImage(double imageSlot);
    double imageWidth(double imageSlot);
    double imageHeight(double imageSlot);
    // The entry of an image slot, loading its image on first need: from the
    // plug-in's embedded images, else from its file name.
    TVexmoldImageEntry& lookupImage(double imageSlot);

    // Further primitives of the family. Styles: 0 stroked, 1 filled, 2 both.
    bool drawRectangle(double x, double y, double width, double height, int32_t style);
    bool drawEllipse(double x, double y, double width, double height, int32_t style);
    bool drawArc(double x, double y, double width, double height, double startDegrees,
                 double endDegrees, int32_t style);
    // The text's line ends at the point.
    bool drawTextAtPoint(const std::string& text, double x, double y, bool antialias);
    // Clipped to the rectangle; align 0 left, 1 centred, 2 right.
    bool drawTextInRect(const std::string& text, double x, double y, double width, double height,
                        int32_t align);
    bool setPixel(double x, double y, double red, double green, double blue, double alpha);
    // Always opaque black when there is a context.
    bool getPixel(double x, double y, double rgba[4]);
    bool textWidth(const std::string& text, double& width);
    bool fontSize(double& size);
    // 3 switches anti-aliasing on, anything else off.
    bool setDrawMode(int32_t mode);

  protected:
    CVexmoldGraphics() = default;
    ~CVexmoldGraphics() = default;

    // Clears the surface to clearColour when it is set (prologue of every
    // graphics section).
    void clearSurface();

  private:
    void drawErrorMark(VSTGUI::CDrawContext* context, double left, double top, double right,
                       double bottom);
};
