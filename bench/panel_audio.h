// What both drawing benchmarks do to a null-test instance before they draw:
// a minimal host callback, the dispatcher call, and audio that gives every
// group of the panel a real reading.
#pragma once

#include <cmath>
#include <vector>

#include "shell/vst/aeffectx.h"

namespace drawbench {

inline VstIntPtr dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                          void* ptr = nullptr, float opt = 0.0f) {
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}

// 1.2 s of two slightly different sines: every group gets a real reading;
// each call's level differs from the last one's, so every value changes.
inline void processAudio(AEffect* e) {
    static int calls = 0;
    const double level = 0.5 - 0.01 * (calls++ % 20);
    std::vector<float> left(512), right(512), outLeft(512), outRight(512);
    for (int done = 0; done < 52920; done += 512) {
        for (int i = 0; i < 512; ++i) {
            const double t = (done + i) / 44100.0;
            left[i] = static_cast<float>(level * std::sin(6.283185307179586 * 997.0 * t));
            right[i] = left[i] * 0.999f;
        }
        float* in[2] = {left.data(), right.data()};
        float* out[2] = {outLeft.data(), outRight.data()};
        e->processReplacing(e, in, out, 512);
    }
}

}  // namespace drawbench
