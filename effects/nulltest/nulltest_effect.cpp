#include "effects/nulltest/nulltest_effect.h"

#include <cmath>
#include <limits>

#include "runtime/frameloop.h"
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
constexpr double kLargestSum = std::numeric_limits<double>::max();

const char* const kEffectName = "KESTRAVON - null testing - (20260721)";

// Texts of the display, in slot order from 10000.
const char* const kDisplayTexts[] = {
    "Courier New",
    "v",
    "Arial",
    "LEFT CHANNEL",
    "RMS: ",
    " dB (",
    " bits)",
    "Peak : ",
    " dB (",
    " bits)",
    "RIGHT CHANNEL",
    "RMS: ",
    " dB (",
    " bits)",
    "Peak : ",
    " dB (",
    " bits)",
    "MID CHANNEL",
    "RMS: ",
    " dB (",
    " bits)",
    "Peak : ",
    " dB (",
    " bits)",
    "SIDE CHANNEL",
    "RMS: ",
    " dB (",
    " bits)",
    "Peak : ",
    " dB (",
    " bits)",
    "Info: Sound will null if",
    "exported to bit-depth less",
    "than shown value.",
    "Example: If bit-value",
    "is 20; sound will be",
    "identical (Null) if",
    "exported to 16 bit, but",
    "not if exported to 24 bit.",
    "IMPORTANT: Make",
    "sure test-signal",
    "is perfectly in phase.",
    "(Sample accurate)",
};
constexpr int kFirstTextSlot = 10000;

// The running part of the measurement: sums of squares, running peaks and
// the window's frame count. Small enough for the frame loop to keep in
// registers; it lives in the meters between calls.
struct Running {
    double sumSquares;
    double peak;
};
struct WindowAccumulation {
    Running left, right, mid, side;
    double count;
};

inline WindowAccumulation takeAccumulation(const Variables& v) {
    return {{v.left.sumSquares, v.left.runningPeak},
            {v.right.sumSquares, v.right.runningPeak},
            {v.mid.sumSquares, v.mid.runningPeak},
            {v.side.sumSquares, v.side.runningPeak},
            v.windowSampleCount};
}

inline void storeRunning(const Running& r, SignalMeter& m) {
    m.sumSquares = r.sumSquares;
    m.runningPeak = r.peak;
}

inline void storeAccumulation(const WindowAccumulation& a, Variables& v) {
    storeRunning(a.left, v.left);
    storeRunning(a.right, v.right);
    storeRunning(a.mid, v.mid);
    storeRunning(a.side, v.side);
    v.windowSampleCount = a.count;
}

// Adds a sample to one signal. A non-finite sample counts as full scale
// (magnitude 1.0), so a NaN or an infinity can never read as silence, and a
// square or sum too large for a double stays at the largest double instead
// of dropping to nothing.
inline void accumulate(Running& r, double x) {
    const double magnitude = std::isfinite(x) ? std::fabs(x) : 1.0;
    const double sum = r.sumSquares + magnitude * magnitude;  // never NaN
    r.sumSquares = sum <= kLargestSum ? sum : kLargestSum;
    if (magnitude > r.peak)
        r.peak = magnitude;
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

// Closes the measuring window: results of all four signals, then a new window.
void closeWindow(Variables& v) {
    closeMeter(v.left, v);
    closeMeter(v.right, v);
    closeMeter(v.mid, v);
    closeMeter(v.side, v);
    v.windowSampleCount = 0.0;
}

// The measurement of one frame against a window of windowLength frames. It
// only reads the frame, so the output of the plug-in is its input.
inline void measureFrame(WindowAccumulation& a, Variables& v, double windowLength, double l,
                         double r) {
    // Sum or difference first, then the factor. A channel that is not
    // finite makes mid and side non-finite too, and so full scale.
    const double m = (l + r) * 0.5;
    const double s = (l - r) * 0.5;
    accumulate(a.left, l);
    accumulate(a.right, r);
    accumulate(a.mid, m);
    accumulate(a.side, s);
    a.count += 1.0;
    if (a.count >= windowLength) {
        storeAccumulation(a, v);
        closeWindow(v);
        a = takeAccumulation(v);
    }
}
}  // namespace

double meterDb(double level) {
    return finiteOrZero(level > kThreshold ? 20.0 * std::log10(level) : kFloorDb);
}

double meterBits(double db) {
    return finiteOrZero(std::fabs(db) / kDbPerBit);
}

TVexmoldEffect::TVexmoldEffect() {
    describeKestravonEffect(*this, kEffectName, kUniqueId);
    editorWidth = kEditorWidth;
    editorHeight = kEditorHeight;

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
    shown = DisplayValues{};
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

void TVexmoldEffect::doBlock() {
    runBlockPrologue(*this, common);
}

void TVexmoldEffect::doSample() {
    refreshSectionCopies(common);
    WindowAccumulation a = takeAccumulation(vars);
    measureFrame(a, vars, vars.windowLength, sampleValues[0], sampleValues[1]);
    storeAccumulation(a, vars);
    vars.frameWidth = kFrameWidth;
    vars.frameHeight = kFrameHeight;
}

void TVexmoldEffect::closeWindowEarly() {
    if (vars.windowSampleCount > 0.0)
        closeWindow(vars);
}

void TVexmoldEffect::doSerialize() {
    serializeSliderValues(*this, vars.serializeLoop);
}

// The frame loop runs the sample section with the accumulation in local
// variables. Within a block nothing changes the section copies or the frame
// size, so refreshing and setting them once per block gives the state that
// refreshing them on every frame gives.
template <typename Sample>
void TVexmoldEffect::runFramesLocally(const Sample* const* inputs, Sample* const* outputs,
                                      int32_t frames, int32_t channels) {
    refreshSectionCopies(common);
    WindowAccumulation a = takeAccumulation(vars);
    Variables& v = vars;
    const double windowLength = vars.windowLength;  // only the slider section changes it
    auto measure = [&](const double* values) {
        measureFrame(a, v, windowLength, values[0], values[1]);
    };
    vexmold::runFramesWithKernel<decltype(measure)&, Sample, true>(
        measure, sampleValues.data(), inputs, outputs, frames, channels);
    storeAccumulation(a, vars);
    vars.frameWidth = kFrameWidth;
    vars.frameHeight = kFrameHeight;
}

void TVexmoldEffect::runFrames(const float* const* inputs, float* const* outputs, int32_t frames,
                               int32_t channels) {
    runFramesLocally(inputs, outputs, frames, channels);
}

void TVexmoldEffect::runFrames(const double* const* inputs, double* const* outputs, int32_t frames,
                               int32_t channels) {
    runFramesLocally(inputs, outputs, frames, channels);
}

}  // namespace nulltest
