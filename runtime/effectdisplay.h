// Steps of the graphics section that both effects share: the prologue, the
// pulsing dimmer of the logo and the red frame along the surface edges.
// UI thread only.
#pragma once

class TVexmold;

// The section's own copies of the mouse state, taken by every prologue.
struct TVexmoldSectionMouse {
    double buttons = 0, x = 0, y = 0;
};

// The glow alpha for this draw, 0.5 + 0.3 cos(phase), then the phase moves
// on by 0.07 and wraps at 2 pi: a pulse of about 90 draws.
double advanceGlow(double& phase);

// Drawing colour, pen position and colour in one step.
void setDrawingColour(TVexmold& script, double red, double green, double blue, double alpha);
void setPen(TVexmold& script, double x, double y);

// A one-pixel red outline through (0, 0), (w - 1, 0), (w - 1, h - 1),
// (0, h - 1); the pen ends at (0, 0).
void drawRedFrame(TVexmold& script, double width, double height);

// Text of a string slot followed by a number with 0 decimals, chained on one
// line (the build date: "v" then the date).
void drawVersionLine(TVexmold& script, double prefixSlot, double versionDate);

// What every panel shows of the audio side besides its own values: the
// build date and the size of the red frame.
template <typename Shown, typename Variables>
void copyPanelFrame(Shown& to, const Variables& from) {
    to.versionDate = from.versionDate;
    to.frameWidth = from.frameWidth;
    to.frameHeight = from.frameHeight;
}
