#include "effects/tonegen/tonegen_effect.h"

#include <cmath>

#include "effects/kestravon_identity.h"
#include "runtime/frameloop.h"
#include "runtime/math/sine.h"
#include "runtime/scriptvalue.h"

using vexmold::finiteOrZero;

namespace tonegen {

namespace {

constexpr double kVersionDate = 20260720.0;
constexpr double kToneFrequency = 997.0;
constexpr double kToneAmplitude = 0.12589254117941673;  // 10^(-18/20), -18 dB FS
constexpr double kTwoPi = 6.283185307179586;
// The counter restarts before a double stops holding whole numbers exactly.
constexpr double kLastCounter = 9007199254740990.0;  // 2^53 - 2
constexpr double kFrameSize = 100.0;

const char* const kEffectName = "KESTRAVON - Tone Generator, 997 Hz, -18 dB FS - (20260720)";

// The sample section over one frame: the tone replaces both channels.
inline void sampleSection(TVexmoldCommonVariables& c, Variables& v, double* values) {
    refreshSectionCopies(c);
    // The phase comes from the frame index, not an accumulator: no drift.
    const double angle = v.sampleCounter * v.phaseIncrement;
    // The portable sine: the Linux and Windows builds make the same bits.
    const double tone = std::isfinite(angle) ? vexmold::portableSin(angle) : 0.0;
    const double out = finiteOrZero(tone * v.toneAmplitude);
    values[0] = out;
    values[1] = out;
    v.sampleCounter = v.sampleCounter + 1.0 > kLastCounter ? 0.0 : v.sampleCounter + 1.0;
    v.frameWidth = kFrameSize;
    v.frameHeight = kFrameSize;
}
}  // namespace

TVexmoldEffect::TVexmoldEffect() {
    kestravon::describeEffect(*this, kEffectName, kUniqueId);
    editorWidth = kEditorWidth;
    editorHeight = kEditorHeight;
}

void TVexmoldEffect::doReset() {
    TVexmold::doReset();
    common = TVexmoldCommonVariables{};
    vars = Variables{};
    shown = DisplayValues{};
    fileNames[0] = "KESTRAVON_LogoTealGlow.PNG";
    fileNames[1] = "KESTRAVON_WebLinkText.png";
    fileNames[2] = "KESTRAVON_LogoTealGlow_PluginTitle_997HzToneGenerator.png";
    assignStringSlot(10000, "Courier New");
    assignStringSlot(10001, "v");
}

void TVexmoldEffect::doInit() {
    initialiseCommon(*this, common);
    vars.sampleCounter = 0.0;
    vars.versionDate = kVersionDate;
    vars.toneFrequency = kToneFrequency;
    vars.toneAmplitude = kToneAmplitude;
    vars.twoPi = kTwoPi;
}

void TVexmoldEffect::doSlider() {
    refreshSectionCopies(common);
}

void TVexmoldEffect::doBlock() {
    // The host's rate is read on every block, so a rate change takes effect
    // at the next block even when the host does not re-initialise.
    common.sampleRateValue = finiteOrZero(hostSampleRate());
    runBlockPrologue(*this, common);
    vars.phaseIncrement = finiteOrZero((vars.twoPi * vars.toneFrequency) / common.sampleRate);
}

void TVexmoldEffect::doSample() {
    sampleSection(common, vars, sampleValues.data());
}

void TVexmoldEffect::doSerialize() {
    serializeSliderValues(*this, vars.serializeLoop);
}

// The frame loop runs the sample section on local copies of the variables,
// which the compiler can keep in registers; the results are the same. Only
// the fields the sample section uses are copied in and out: the display
// fields belong to the editor's thread, which may be drawing meanwhile.
template <typename Sample>
void TVexmoldEffect::runFramesLocally(const Sample* const* inputs, Sample* const* outputs,
                                      int32_t frames, int32_t channels) {
    TVexmoldCommonVariables c = common;
    Variables v;
    v.sampleCounter = vars.sampleCounter;
    v.phaseIncrement = vars.phaseIncrement;
    v.toneAmplitude = vars.toneAmplitude;
    v.frameWidth = vars.frameWidth;
    v.frameHeight = vars.frameHeight;
    vexmold::runFramesWithKernel([&](double* values) { sampleSection(c, v, values); },
                                 sampleValues.data(), inputs, outputs, frames, channels);
    common = c;
    vars.sampleCounter = v.sampleCounter;
    vars.frameWidth = v.frameWidth;
    vars.frameHeight = v.frameHeight;
}

void TVexmoldEffect::runFrames(const float* const* inputs, float* const* outputs, int32_t frames,
                               int32_t channels) {
    runFramesLocally(inputs, outputs, frames, channels);
}

void TVexmoldEffect::runFrames(const double* const* inputs, double* const* outputs, int32_t frames,
                               int32_t channels) {
    runFramesLocally(inputs, outputs, frames, channels);
}

}  // namespace tonegen
