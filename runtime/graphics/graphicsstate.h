// Drawing state of the script that outlives a single draw: text height, pen
// position and the redraw rate of the editor.
#pragma once

#include "runtime/graphics/fonts.h"

class CVexmoldGraphics : public CVexmoldFonts {
  public:
    double textHeight = 0.0;
    double penX = 0.0;
    double penY = 0.0;
    double redrawRate = 0.0;  // timed redraws per second; 0 = none
    // Size of the surface the graphics section draws on, given by the view.
    double viewWidth = 0.0;
    double viewHeight = 0.0;

  protected:
    CVexmoldGraphics() = default;
    ~CVexmoldGraphics() = default;
};
