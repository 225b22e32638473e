#include "runtime/effectcommon.h"

#include "platform/platform.h"
#include "runtime/scriptvalue.h"
#include "runtime/vexmold.h"

using vexmold::finiteOrZero;

namespace {
constexpr double kDisplayCheckSeconds = 0.25;
constexpr double kEffectRedrawRate = 30.0;
}  // namespace

void initialiseCommon(TVexmold& script, TVexmoldCommonVariables& v) {
    script.redrawRate = kEffectRedrawRate;
    script.drawRed = script.drawGreen = script.drawBlue = script.drawAlpha = 0.0;
    v.sampleRateValue = finiteOrZero(script.hostSampleRate());
    v.inputChannelsValue = finiteOrZero(script.hostChannelCount());
    v.blockSizeValue = finiteOrZero(script.hostBlockSize());
    v.tempoValue = finiteOrZero(script.hostTempo());
}

void runBlockPrologue(TVexmold& script, TVexmoldCommonVariables& v) {
    const double now = plux::platform::wallClockSeconds();
    if (now - v.lastDisplayCheck > kDisplayCheckSeconds) {
        if (!vexmold::scriptEquals(v.displayUpdateRequest, 0.0)) {
            v.displayUpdateRequest = 0.0;
            script.hostUpdateDisplay();
        }
        v.lastDisplayCheck = finiteOrZero(now);
    }

    if (!vexmold::scriptEquals(v.latencySamples, v.latencySamplesSeen)) {
        v.latencySamplesSeen = v.latencySamples;
        script.hostSetLatency(vexmold::scriptIndex(v.latencySamples));
    }

    double tempo = v.tempoValue;
    double numerator = v.timeSigNumeratorValue;
    double denominator = v.timeSigDenominatorValue;
    script.hostTempoAndSignature(&tempo, &numerator, &denominator);
    v.tempoValue = finiteOrZero(tempo);
    v.timeSigNumeratorValue = finiteOrZero(numerator);
    v.timeSigDenominatorValue = finiteOrZero(denominator);
    v.playState =
        finiteOrZero(script.hostIsPlaying() + (script.hostIsRecording() != 0.0 ? 4.0 : 0.0));
    v.playPosition = finiteOrZero(script.hostQuarterPosition());

    refreshSectionCopies(v);
}

void serializeSliderValues(TVexmold& script, double& loopVariable) {
    constexpr double kFirstSlider = 1.0, kLastSlider = 64.0;
    int rounds = 0;
    for (loopVariable = kFirstSlider;
         loopVariable <= kLastSlider && rounds < vexmold::kMaxLoopIterations;
         loopVariable += 1.0, ++rounds)
        script.transferValue(0.0, script.slider(loopVariable));
}
