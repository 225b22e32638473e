// Variables that every effect of the framework keeps ahead of its own, and
// the steps every effect shares: the refresh of the section copies, the read
// of the host's settings and the common block prologue.
#pragma once

#include <cstdint>

#include "runtime/scriptvalue.h"

class TVexmold;

struct TVexmoldCommonVariables {
    double displayUpdateRequest = 0;
    // Each host value as a section copy (what section code reads) and the
    // runtime value it is refreshed from at the start of every section.
    double sampleRate = 0, sampleRateValue = 0;
    double inputChannels = 0, inputChannelsValue = 0;
    double blockSize = 0, blockSizeValue = 0;
    double tempo = 0, tempoValue = 0;
    double timeSigNumerator = 0, timeSigNumeratorValue = 0;
    double timeSigDenominator = 0, timeSigDenominatorValue = 0;
    // State of the block prologue.
    double lastDisplayCheck = 0;
    double latencySamples = 0, latencySamplesSeen = 0;
    double playState = 0;     // 0 stopped, 1 playing, +4 recording
    double playPosition = 0;  // quarter notes
};

// Start of the slider, block and sample sections: every section copy takes
// its runtime value (non-finite values become 0). Inline: the sample
// section runs it on every frame.
inline void refreshSectionCopies(TVexmoldCommonVariables& v) {
    using vexmold::finiteOrZero;
    v.sampleRate = finiteOrZero(v.sampleRateValue);
    v.inputChannels = finiteOrZero(v.inputChannelsValue);
    v.blockSize = finiteOrZero(v.blockSizeValue);
    v.tempo = finiteOrZero(v.tempoValue);
    v.timeSigNumerator = finiteOrZero(v.timeSigNumeratorValue);
    v.timeSigDenominator = finiteOrZero(v.timeSigDenominatorValue);
}

// Initialisation: redrawRate 30, drawing colour cleared, sample rate, input
// channel count, block size and tempo read from the host.
void initialiseCommon(TVexmold& script, TVexmoldCommonVariables& v);

// The block prologue: display-refresh request every 0.25 s, latency changes,
// transport values, then the section copies.
void runBlockPrologue(TVexmold& script, TVexmoldCommonVariables& v);

// The serialisation section every effect shares: slider numbers 1 to 64
// through the state stream, in order. Leaves the loop variable at 65.
void serializeSliderValues(TVexmold& script, double& loopVariable);
