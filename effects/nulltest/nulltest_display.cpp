// The null-test panel: four channel groups with an RMS and a peak line each,
// usage notes, the logo under a pulsing dimmer, the web address and title
// pictures, the build date and a red frame.
#include <cmath>

#include "effects/nulltest/nulltest_effect.h"

namespace nulltest {

namespace {

constexpr double kCodeFontSlot = 0, kTextFontSlot = 1;
constexpr double kCodeFamilySlot = 10000, kVersionPrefixSlot = 10001, kTextFamilySlot = 10002;
constexpr double kCodeFontSize = 13, kTextFontSize = 16;
constexpr double kLogoImage = 0, kWebAddressImage = 1, kTitleImage = 2;
// Header slots of the four groups; each is followed by its six line pieces.
constexpr double kLeftGroup = 10003, kRightGroup = 10010, kMidGroup = 10017, kSideGroup = 10024;
constexpr double kFirstNoteSlot = 10031;
// Bit counts this large are whole already; ceil would only slow them down.
constexpr double kWholeBitsLimit = 4503599627370496.0;  // 2^52

MeterReading readingOf(const SignalMeter& m) {
    return {m.rmsDb, m.rmsBits, m.peakDb, m.peakBits};
}

// "RMS: -400.00 dB (67 bits)": label, dB with two decimals, whole bits.
void drawResultLine(TVexmold& s, double labelSlot, double db, double bits) {
    s.drawText(labelSlot);
    s.drawNumber(db, 2);
    s.drawText(labelSlot + 1);
    s.drawNumber(std::fabs(bits) < kWholeBitsLimit ? std::ceil(bits) : bits, 0);
    s.drawText(labelSlot + 2);
}

// Header in light blue at (x, y); the two lines in white, 20 pixels further left.
void drawChannelGroup(TVexmold& s, double x, double y, double headerSlot, const MeterReading& r) {
    setDrawingColour(s, 0.4, 0.7, 1, 1);
    setPen(s, x, y);
    s.drawText(headerSlot);
    setDrawingColour(s, 1, 1, 1, 1);
    setPen(s, x - 20, y + 25);
    drawResultLine(s, headerSlot + 1, r.rmsDb, r.rmsBits);
    setPen(s, x - 20, y + 45);
    drawResultLine(s, headerSlot + 4, r.peakDb, r.peakBits);
}

void drawNote(TVexmold& s, double slot, double x, double y) {
    setPen(s, x, y);
    s.drawText(slot);
}

}  // namespace

TVexmold* TVexmoldEffect::newDrawingCopy() const {
    return new TVexmoldEffect;
}

void TVexmoldEffect::publishDisplayValues() {
    DisplayValues values;
    values.left = readingOf(vars.left);
    values.right = readingOf(vars.right);
    values.mid = readingOf(vars.mid);
    values.side = readingOf(vars.side);
    copyPanelFrame(values, vars);
    published.publish(values);
}

void TVexmoldEffect::takeDisplayValues(TVexmold& drawing) {
    published.read(static_cast<TVexmoldEffect&>(drawing).shown);
}

void TVexmoldEffect::doGfx() {
    Variables& v = vars;
    beginGraphicsSection(v.sectionMouse.buttons, v.sectionMouse.x, v.sectionMouse.y);

    setDrawingColour(*this, 0, 0, 0, 1);
    setPen(*this, 0, 0);
    selectFont(kCodeFontSlot, kCodeFamilySlot, kCodeFontSize, 0);
    setDrawingColour(*this, 1, 1, 1, 1);
    v.blockX = 200;
    v.blockY = 75;
    v.glowAlpha = advanceGlow(v.glowPhase);

    // The logo, dimmed together with the empty area right of and below it.
    setPen(*this, v.blockX, v.blockY);
    drawImage(kLogoImage);
    setDrawingColour(*this, 0, 0, 0, v.glowAlpha);
    fillRect(v.blockX, v.blockY, v.blockX + 120, v.blockY + 110);

    setPen(*this, v.blockX - 160, v.blockY - 130);
    setDrawingColour(*this, 1, 1, 1, 1);
    drawImage(kWebAddressImage);
    setPen(*this, v.blockX - 160, v.blockY - 50);
    setDrawingColour(*this, 1, 1, 1, 1);
    drawImage(kTitleImage);

    setPen(*this, v.blockX - 142, v.blockY - 25);
    setDrawingColour(*this, 0, 0.5, 0.95, 0.5);
    drawVersionLine(*this, kVersionPrefixSlot, shown.versionDate);

    v.blockX = 30;
    v.blockY = 90;
    setPen(*this, v.blockX, v.blockY);
    selectFont(kTextFontSlot, kTextFamilySlot, kTextFontSize, 0);
    drawChannelGroup(*this, v.blockX, v.blockY, kLeftGroup, shown.left);
    v.blockX = 30 + 320;
    drawChannelGroup(*this, v.blockX, v.blockY, kRightGroup, shown.right);
    v.blockX = 200;
    v.blockY = 10;
    drawChannelGroup(*this, v.blockX, v.blockY, kMidGroup, shown.mid);
    v.blockY = 180;
    drawChannelGroup(*this, v.blockX, v.blockY, kSideGroup, shown.side);

    setDrawingColour(*this, 0.25, 0.75, 1, 0.55);
    v.blockX = 10;
    v.blockY = 195;
    for (int line = 0; line < 3; ++line)
        drawNote(*this, kFirstNoteSlot + line, v.blockX, v.blockY + 15 * line);
    v.blockX = 350;
    v.blockY = 105;
    for (int line = 0; line < 5; ++line)
        drawNote(*this, kFirstNoteSlot + 3 + line, v.blockX, v.blockY + 60 + 15 * line);
    v.blockX = 360;
    v.blockY = 15;
    for (int line = 0; line < 4; ++line)
        drawNote(*this, kFirstNoteSlot + 8 + line, v.blockX, v.blockY + 15 * line);

    drawRedFrame(*this, shown.frameWidth, shown.frameHeight);
}

}  // namespace nulltest
