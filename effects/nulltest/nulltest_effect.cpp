#include "effects/nulltest/nulltest_effect.h"

#include <cmath>
#include <cstring>

#include "effects/kestravon_identity.h"
#include "runtime/frameloop.h"
#include "runtime/scriptvalue.h"

using vexmold::finiteOrZero;

namespace nulltest {

namespace {

constexpr double kVersionDate = 20260721.0;
constexpr double kFrameWidth = 500.0, kFrameHeight = 250.0;

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

// The window's running sums live in the meters' variables between calls,
// and in a WindowSums (registers) while frames are measured.
inline WindowSums takeSums(const Variables& v) {
    WindowSums s;
    s.sumLR = Lanes{v.left.sumSquares, v.right.sumSquares};
    s.sumMS = Lanes{v.mid.sumSquares, v.side.sumSquares};
    s.peakLR = Lanes{v.left.runningPeak, v.right.runningPeak};
    s.peakMS = Lanes{v.mid.runningPeak, v.side.runningPeak};
    s.frames = v.windowSampleCount;
    return s;
}

inline void storeSums(const WindowSums& s, Variables& v) {
    v.left.sumSquares = WindowSums::clampedSum(s.sumLR[0]);
    v.right.sumSquares = WindowSums::clampedSum(s.sumLR[1]);
    v.mid.sumSquares = WindowSums::clampedSum(s.sumMS[0]);
    v.side.sumSquares = WindowSums::clampedSum(s.sumMS[1]);
    v.left.runningPeak = s.peakLR[0];
    v.right.runningPeak = s.peakLR[1];
    v.mid.runningPeak = s.peakMS[0];
    v.side.runningPeak = s.peakMS[1];
    v.windowSampleCount = s.frames;
}

void showReading(const SignalReading& r, SignalMeter& m) {
    m.rms = r.rms;
    m.rmsDb = r.rmsDb;
    m.rmsBits = r.rmsBits;
    m.peakDb = r.peakDb;
    m.peakBits = r.peakBits;
}

// Closes the measuring window: results of all four signals, then a new
// window, in the variables and in `s`.
void closeWindow(WindowSums& s, Variables& v) {
    const WindowReadings w = nulltest::closeWindow(s);
    showReading(w.left, v.left);
    showReading(w.right, v.right);
    showReading(w.mid, v.mid);
    showReading(w.side, v.side);
    storeSums(s, v);
}

// The measurement of one frame against a window of windowLength frames. It
// only reads the frame, so the output of the plug-in is its input.
inline void measureFrame(WindowSums& s, Variables& v, double windowLength, double l, double r) {
    addFrame(s, l, r);
    if (s.frames >= windowLength)
        closeWindow(s, v);
}

// The plug-in's output is its input, bit for bit (a round trip through
// double would quieten signalling NaN payloads). Buffers that are the same
// need no copy; crossed ones (left out on right in) are copied frame by
// frame, each frame read before it is written.
template <typename Sample>
void passThrough(const Sample* in0, const Sample* in1, Sample* out0, Sample* out1,
                 int32_t frames) {
    if (out0 == in1 || out1 == in0) {
        for (int32_t i = 0; i < frames; ++i) {
            const Sample l = in0[i], r = in1[i];
            out0[i] = l;
            out1[i] = r;
        }
        return;
    }
    const size_t bytes = static_cast<size_t>(frames) * sizeof(Sample);
    if (out0 != in0)
        std::memmove(out0, in0, bytes);
    if (out1 != in1)
        std::memmove(out1, in1, bytes);
}
}  // namespace

TVexmoldEffect::TVexmoldEffect() {
    kestravon::describeEffect(*this, kEffectName, kUniqueId);
    editorWidth = kEditorWidth;
    editorHeight = kEditorHeight;

    TVexmoldSlider window;
    window.valueIndex = 1;
    window.defaultValue = 1.0;
    window.minimum = kMinWindowSeconds;
    window.maximum = kMaxWindowSeconds;
    window.step = kWindowStepSeconds;
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
    v.threshold = kLevelThreshold;
    v.mid = SignalMeter{};
    v.side = SignalMeter{};
}

void TVexmoldEffect::doSlider() {
    refreshSectionCopies(common);
    vars.windowLength = windowLengthFrames(common.sampleRate, slider(1));
}

void TVexmoldEffect::doBlock() {
    runBlockPrologue(*this, common);
}

void TVexmoldEffect::doSample() {
    refreshSectionCopies(common);
    WindowSums s = takeSums(vars);
    measureFrame(s, vars, vars.windowLength, sampleValues[0], sampleValues[1]);
    storeSums(s, vars);
    vars.frameWidth = kFrameWidth;
    vars.frameHeight = kFrameHeight;
}

void TVexmoldEffect::closeWindowEarly() {
    if (vars.windowSampleCount > 0.0) {
        WindowSums s = takeSums(vars);
        closeWindow(s, vars);
    }
}

void TVexmoldEffect::doSerialize() {
    serializeSliderValues(*this, vars.serializeLoop);
}

// The frame loop runs the sample section with the window's sums in local
// variables. Within a block nothing changes the section copies or the frame
// size, so refreshing and setting them once per block gives the state that
// refreshing them on every frame gives. In the usual stereo case the frames
// are measured a window's stretch at a time, then passed through.
template <typename Sample>
void TVexmoldEffect::runFramesLocally(const Sample* const* inputs, Sample* const* outputs,
                                      int32_t frames, int32_t channels) {
    refreshSectionCopies(common);
    WindowSums s = takeSums(vars);
    Variables& v = vars;
    const double windowLength = vars.windowLength;  // only the slider section changes it
    const bool stereo =
        channels == 2 && inputs && outputs && inputs[0] && inputs[1] && outputs[0] && outputs[1];
    if (stereo) {
        const Sample* in0 = inputs[0];
        const Sample* in1 = inputs[1];
        for (int32_t done = 0; done < frames;) {
            done += static_cast<int32_t>(
                addFrames(s, in0 + done, in1 + done, frames - done, windowLength));
            if (s.frames >= windowLength)
                closeWindow(s, v);
        }
        if (frames > 0) {
            // The sample section leaves the last frame in sampleValues.
            sampleValues[0] = static_cast<double>(in0[frames - 1]);
            sampleValues[1] = static_cast<double>(in1[frames - 1]);
        }
        passThrough(in0, in1, outputs[0], outputs[1], frames);
    } else {
        auto measure = [&](const double* values) {
            measureFrame(s, v, windowLength, values[0], values[1]);
        };
        vexmold::runFramesWithKernel<decltype(measure)&, Sample, true>(
            measure, sampleValues.data(), inputs, outputs, frames, channels);
    }
    storeSums(s, vars);
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
