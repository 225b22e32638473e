// Mouse state as the editor's view reports it to the script.
#pragma once

#include <cstdint>

#include "runtime/graphics/graphicsstate.h"

class CVexmoldMouse : public CVexmoldGraphics {
  public:
    double mouseButtons = 0.0;  // left 1, right 2, control 4, shift 8, alt 16, middle 64
    double mouseX = 0.0;
    double mouseY = 0.0;

    // Converts the view toolkit's button flags to the script's mouse bits.
    static double scriptMouseButtons(int32_t toolkitButtons);

    void mouseDown(double x, double y, int32_t toolkitButtons);
    void mouseUp(double x, double y);
    void mouseMove(double x, double y);

    // Opening steps of every graphics section: the surface takes the editor's
    // size (when the section's pass has one), the mouse state is copied into the
    // section's own variables (non-finite values as 0), and the surface is
    // cleared when clearColour is set.
    void beginGraphicsSection(double& sectionButtons, double& sectionX, double& sectionY);

  protected:
    CVexmoldMouse() = default;
    ~CVexmoldMouse() = default;
};
