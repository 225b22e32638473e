#include "effects/nulltest/nulltest_effect.h"

#include <cmath>

#include "runtime/scriptvalue.h"

using vexmold::finiteOrZero;

namespace nulltest {

namespace {

constexpr double kVersionDate = 20260721.0;
constexpr double kFloorDb = -400.0;
// This exact decimal, not 20 * log10(2), which differs in the last digits.
constexpr double kDbPerBit = 6.02059991327959;
constexpr double kThreshold = 1e-20;
constexpr double kFrameWidth = 500.0, kFrameHeight = 250.0;

const char* const kEffectName = "KESTRAVON - null testing - (20260721)";

// Texts of the display, in slot order from 10000.
const char* const kDisplayTexts[] = {
    "Courier New", "v", "Arial",
    "LEFT CHANNEL", "RMS: ", " dB (", " bits)", "Peak : ", " dB (", " bits)",
    "RIGHT CHANNEL", "RMS: ", " dB (", " bits)", "Peak : ", " dB (", " bits)",
    "MID CHANNEL", "RMS: ", " dB (", " bits)", "Peak : ", " dB (", " bits)",
    "SIDE CHANNEL", "RMS: ", " dB (", " bits)", "Peak : ", " dB (", " bits)",
    "Info: Sound will null if", "exported to bit-depth less", "than shown value.",
    "Example: If bit-value", "is 20; sound will be", "identical (Null) if",
    "exported to 16 bit, but", "not if exported to 24 bit.",
    "IMPORTANT: Make", "sure test-signal", "is perfectly in phase.", "(Sample accurate)",
};
constexpr int kFirstTextSlot = 10000;

// Adds a sample to a meter; non-finite squares add nothing and a
// non-finite new peak is stored as 0.
inline void accumulate(SignalMeter& m, double x) {
    m.sumSquares = finiteOrZero(m.sumSquares + finiteOrZero(x * x));
    const double magnitude = std::fabs(x);
    if (magnitude > m.runningPeak)
        m.runningPeak = finiteOrZero(magnitude);
}

inline double levelDb(double level, const Variables& v) {
    return finiteOrZero(level > v.threshold ? 20.0 * std::log10(level) : v.floorDb);
}

void closeMeter(SignalMeter& m, const Variables& v) {
    m.rms = finiteOrZero(std::sqrt(std::fabs(m.sumSquares / v.windowSampleCount)));
    m.rmsDb = levelDb(m.rms, v);
    m.peakDb = levelDb(m.runningPeak, v);
    m.rmsBits = finiteOrZero(std::fabs(m.rmsDb) / v.dbPerBit);
    m.peakBits = finiteOrZero(std::fabs(m.peakDb) / v.dbPerBit);
    m.sumSquares = 0.0;
    m.runningPeak = 0.0;
}

} // namespace

TVexmoldEffect::TVexmoldEffect() {
    effectName = kEffectName;
    productString = kEffectName;
    programName = kEffectName;
    vendorString = "KESTRAVON";
    channelCount = 2;
    vendorVersion = 1000;
    uniqueId = 6248;

    TVexmoldSlider window;
    window.valueIndex = 1;
    window.defaultValue = 1.0;
    window.minimum = 0.1;
    window.maximum = 10.0;
    window.step = 0.1;
    window.description = "Window Duration (Seconds)";
    declareSlider(window);

    TVexmoldSlider smoothing;
    smoothing.valueIndex = 2;
    smoothing.defaultValue = 0.0;
    smoothing.minimum = 0.0;
    smoothing.maximum = 1.0;
    smoothing.step = 0.001;
    smoothing.description = "Display Smoothing";
    declareSlider(smoothing);
}

void TVexmoldEffect::doReset() {
    TVexmold::doReset();
    common = TVexmoldCommonVariables{};
    vars = Variables{};
    fileNames[0] = "KESTRAVON_LogoTealGlow.PNG";
    fileNames[1] = "KESTRAVON_WebLinkText.png";
    fileNames[2] = "KESTRAVON_LogoTealGlow_PluginTitle_Pomrik.png";
    int slot = kFirstTextSlot;
    for (const char* text : kDisplayTexts)
        assignStringSlot(slot++, text);
}

void TVexmoldEffect::doInit() {
    initialiseCommon(*this, common);
    Variables& v = vars;
    v.left = SignalMeter{};
    v.right = SignalMeter{};
    v.windowSampleCount = 0.0;
    v.versionDate = kVersionDate;
    v.floorDb = kFloorDb;
    v.dbPerBit = kDbPerBit;
    v.threshold = kThreshold;
    v.mid = SignalMeter{};
    v.side = SignalMeter{};
}

void TVexmoldEffect::doSlider() {
    refreshSectionCopies(common);
    vars.windowLength = finiteOrZero(common.sampleRate * slider(1));
}

void TVexmoldEffect::doBlock() { runBlockPrologue(*this, common); }

void TVexmoldEffect::doSample() {
    refreshSectionCopies(common);
    Variables& v = vars;
    const double l = sampleValues[0];
    const double r = sampleValues[1];
    const double m = finiteOrZero((l + r) * 0.5);
    const double s = finiteOrZero((l - r) * 0.5);
    accumulate(v.left, l);
    accumulate(v.right, r);
    accumulate(v.mid, m);
    accumulate(v.side, s);
    v.windowSampleCount += 1.0;
    if (v.windowSampleCount >= v.windowLength)
        closeWindow();
    v.frameWidth = kFrameWidth;
    v.frameHeight = kFrameHeight;
}

void TVexmoldEffect::closeWindow() {
    Variables& v = vars;
    closeMeter(v.left, v);
    closeMeter(v.right, v);
    closeMeter(v.mid, v);
    closeMeter(v.side, v);
    v.windowSampleCount = 0.0;
}

void TVexmoldEffect::doSerialize() { serializeSliderValues(*this, vars.serializeLoop); }

} // namespace nulltest
