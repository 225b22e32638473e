// The per-frame loop of a processing call, as a template over the script
// class: instantiated for a final effect class, its sample section is called
// directly and inlined into the loop instead of through the virtual slot.
#pragma once

#include <cstdint>

namespace vexmold {

// Moves each frame's input samples into sampleValues, runs the sample
// section and moves sampleValues to the outputs. Null buffer arrays or
// channels read as silence and are not written. The inputs of a frame are
// read before its outputs are written, so the buffers may be the same.
template <typename Script, typename Sample>
void runFrames(Script& script, const Sample* const* inputs, Sample* const* outputs, int32_t frames,
               int32_t channels) {
    double* values = script.sampleValues.data();
    if (channels == 2) {
        const Sample* in0 = inputs ? inputs[0] : nullptr;
        const Sample* in1 = inputs ? inputs[1] : nullptr;
        Sample* out0 = outputs ? outputs[0] : nullptr;
        Sample* out1 = outputs ? outputs[1] : nullptr;
        if (in0 && in1 && out0 && out1) {
            for (int32_t i = 0; i < frames; ++i) {
                values[0] = static_cast<double>(in0[i]);
                values[1] = static_cast<double>(in1[i]);
                script.doSample();
                out0[i] = static_cast<Sample>(values[0]);
                out1[i] = static_cast<Sample>(values[1]);
            }
            return;
        }
        for (int32_t i = 0; i < frames; ++i) {
            values[0] = in0 ? static_cast<double>(in0[i]) : 0.0;
            values[1] = in1 ? static_cast<double>(in1[i]) : 0.0;
            script.doSample();
            if (out0)
                out0[i] = static_cast<Sample>(values[0]);
            if (out1)
                out1[i] = static_cast<Sample>(values[1]);
        }
        return;
    }
    for (int32_t i = 0; i < frames; ++i) {
        for (int32_t c = channels - 1; c >= 0; --c) {
            const Sample* in = inputs ? inputs[c] : nullptr;
            values[c] = in ? static_cast<double>(in[i]) : 0.0;
        }
        script.doSample();
        for (int32_t c = channels - 1; c >= 0; --c) {
            Sample* out = outputs ? outputs[c] : nullptr;
            if (out)
                out[i] = static_cast<Sample>(values[c]);
        }
    }
}

// The same loop over a sample kernel `sample(double* values)` that works on
// state the caller keeps in local variables: with nothing reachable through
// the buffer pointers, the compiler keeps that state in registers across
// frames (which needs this loop inlined into the caller that owns the state). The stereo frame
// lives in a local pair and is written back to `values` (the script's sampleValues) at the end, as
// the plain loop leaves it. A kernel that only reads the frame (kernelOnlyReads) passes the input
// samples to the outputs as they are.
template <typename Kernel, typename Sample, bool kernelOnlyReads = false>
[[gnu::always_inline]] inline void
runFramesWithKernel(Kernel&& sample, double* values, const Sample* const* inputs,
                    Sample* const* outputs, int32_t frames, int32_t channels) {
    const bool stereo =
        channels == 2 && inputs && outputs && inputs[0] && inputs[1] && outputs[0] && outputs[1];
    if (!stereo) {
        for (int32_t i = 0; i < frames; ++i) {
            for (int32_t c = channels - 1; c >= 0; --c) {
                const Sample* in = inputs ? inputs[c] : nullptr;
                values[c] = in ? static_cast<double>(in[i]) : 0.0;
            }
            sample(values);
            for (int32_t c = channels - 1; c >= 0; --c) {
                Sample* out = outputs ? outputs[c] : nullptr;
                if (out)
                    out[i] = static_cast<Sample>(values[c]);
            }
        }
        return;
    }
    const Sample* in0 = inputs[0];
    const Sample* in1 = inputs[1];
    Sample* out0 = outputs[0];
    Sample* out1 = outputs[1];
    double frame[2] = {values[0], values[1]};
    for (int32_t i = 0; i < frames; ++i) {
        const Sample left = in0[i];
        const Sample right = in1[i];
        frame[0] = static_cast<double>(left);
        frame[1] = static_cast<double>(right);
        sample(frame);
        if constexpr (kernelOnlyReads) {
            // The frame is unchanged, so the output is the input sample itself:
            // this keeps even signalling NaN payloads that a round trip
            // through double would quieten.
            out0[i] = left;
            out1[i] = right;
        } else {
            out0[i] = static_cast<Sample>(frame[0]);
            out1[i] = static_cast<Sample>(frame[1]);
        }
    }
    values[0] = frame[0];
    values[1] = frame[1];
}

}  // namespace vexmold
