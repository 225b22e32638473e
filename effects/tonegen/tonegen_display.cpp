// The tone generator's picture: the logo under a pulsing dimmer, the web
// address and title pictures over it, the build date and a red frame.
#include "effects/tonegen/tonegen_effect.h"

namespace tonegen {

namespace {
constexpr double kFontSlot = 0;
constexpr double kFamilySlot = 10000, kVersionPrefixSlot = 10001;
constexpr double kFontSize = 13;
constexpr double kLogoImage = 0, kWebAddressImage = 1, kTitleImage = 2;
}  // namespace

void TVexmoldEffect::publishDisplayValues() {
    DisplayValues values;
    copyPanelFrame(values, vars);
    published.publish(values);
}

void TVexmoldEffect::takeDisplayValues(TVexmold& drawing) {
    published.read(static_cast<TVexmoldEffect&>(drawing).shown);
}

TVexmold* TVexmoldEffect::newDrawingCopy() const {
    return new TVexmoldEffect;
}

void TVexmoldEffect::doGfx() {
    Variables& v = vars;
    beginGraphicsSection(v.sectionMouse.buttons, v.sectionMouse.x, v.sectionMouse.y);

    setDrawingColour(*this, 0, 0, 0, 1);
    setPen(*this, 0, 0);
    selectFont(kFontSlot, kFamilySlot, kFontSize, 0);
    v.blockX = 0;
    v.blockY = 0;
    v.glowAlpha = advanceGlow(v.glowPhase);

    // Drawing order is the layering: logo, dimmer, pictures, date, frame.
    setPen(*this, 0, 0);
    drawImage(kLogoImage);
    setDrawingColour(*this, 0, 0, 0, v.glowAlpha);
    fillRect(v.blockX, v.blockY, v.blockX + 120, v.blockY + 110);

    setPen(*this, v.blockX, v.blockY);
    setDrawingColour(*this, 1, 1, 1, 1);
    drawImage(kWebAddressImage);
    setPen(*this, 0, 0);
    setDrawingColour(*this, 1, 1, 1, 1);
    drawImage(kTitleImage);

    setPen(*this, v.blockX + 15, v.blockY + 85);
    setDrawingColour(*this, 0, 0.5, 0.95, 0.5);
    drawVersionLine(*this, kVersionPrefixSlot, shown.versionDate);

    drawRedFrame(*this, shown.frameWidth, shown.frameHeight);
}

}  // namespace tonegen
