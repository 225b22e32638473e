// Hosts call parameters and state from other threads while audio runs, and
// the editor works on the UI thread. This drives an instance from four
// threads at once; run it under
// ThreadSanitizer to see that every shared value is protected.
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "effects/nulltest/nulltest_effect.h"
#include "effects/tonegen/tonegen_effect.h"
#include "shell/assembly.h"
#include "shell/plux.h"
#include "tests/unit/assembled_plugin.h"

namespace {

VstTimeInfo gTime = [] {
    VstTimeInfo t{};
    t.sampleRate = 48000.0;
    t.tempo = 120.0;
    t.timeSigNumerator = 4;
    t.timeSigDenominator = 4;
    t.flags = kVstTempoValid | kVstTimeSigValid | kVstTransportPlaying | kVstPpqPosValid;
    return t;
}();

VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion)
        return 2400;
    if (opcode == audioMasterGetTime)
        return reinterpret_cast<VstIntPtr>(&gTime);  // read-only for everyone
    return 0;
}

VstIntPtr dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f) {
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}

struct Outcome {
    bool audioTransparent = true;
    bool chunksWellFormed = true;
    int blocks = 0;
};

Outcome hammer(AEffect* e, bool transparent, int rounds) {
    const TestDebugLog log;  // the draws miss the pictures: log them aside
    dispatch(e, effOpen);
    dispatch(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    dispatch(e, effSetBlockSize, 0, 256);
    dispatch(e, effMainsChanged, 0, 1);

    Outcome outcome;
    std::atomic<bool> running{true};

    std::thread audio([&] {
        std::vector<float> inL(256), inR(256), outL(256), outR(256);
        std::vector<double> dL(256), dR(256), doL(256), doR(256);
        int block = 0;
        while (running.load()) {
            for (size_t i = 0; i < 256; ++i) {
                inL[i] = static_cast<float>((block + static_cast<int>(i)) % 97) / 97.0f;
                inR[i] = -inL[i];
                dL[i] = inL[i];
                dR[i] = inR[i];
            }
            float* in[2] = {inL.data(), inR.data()};
            float* out[2] = {outL.data(), outR.data()};
            e->processReplacing(e, in, out, 256);
            double* din[2] = {dL.data(), dR.data()};
            double* dout[2] = {doL.data(), doR.data()};
            e->processDoubleReplacing(e, din, dout, 256);
            if (transparent && (outL != inL || outR != inR || doL != dL || doR != dR))
                outcome.audioTransparent = false;
            ++block;
        }
        outcome.blocks = block;
    });

    std::thread parameters([&] {
        char text[kVstMaxNameLen] = {};
        for (int i = 0; i < rounds; ++i) {
            const float value = static_cast<float>(i % 100) / 100.0f;
            for (VstInt32 index = 0; index < e->numParams; ++index) {
                e->setParameter(e, index, value);
                (void)e->getParameter(e, index);
                dispatch(e, effGetParamDisplay, index, 0, text);
                dispatch(e, effGetParamName, index, 0, text);
            }
            dispatch(e, effGetProgramName, 0, 0, text);
            dispatch(e, effEditIdle);
        }
    });

    std::thread state([&] {
        for (int i = 0; i < rounds; ++i) {
            void* data = nullptr;
            const VstIntPtr size = dispatch(e, effGetChunk, 0, 0, &data);
            float marker = 0.0f;
            if (size != 4 * 65 || data == nullptr) {
                outcome.chunksWellFormed = false;
                continue;
            }
            std::memcpy(&marker, data, 4);
            if (marker != -1000.0f)
                outcome.chunksWellFormed = false;
            // The host keeps its own copy before handing it back.
            std::vector<unsigned char> copy(static_cast<const unsigned char*>(data),
                                            static_cast<const unsigned char*>(data) + size);
            dispatch(e, effSetChunk, 0, size, copy.data());
            char name[16];
            std::snprintf(name, sizeof name, "state %d", i % 10);
            dispatch(e, effSetProgramName, 0, 0, name);
        }
    });

    // The editor's thread: idle ticks, draws and mouse events.
    std::thread editor([&] {
        auto* plux = static_cast<CPlux*>(e->object);
        for (int i = 0; i < rounds; ++i) {
            const double x = i % 500, y = i % 250;
            plux->callbacks.idle(plux);
            plux->callbacks.mouseDown(plux, x, y, 0x2 | 0x10);
            plux->callbacks.mouseMove(plux, x + 1, y + 1, 0);
            plux->callbacks.draw(plux, 500.0, 250.0);
            plux->callbacks.mouseUp(plux, x, y, 0);
        }
    });

    parameters.join();
    state.join();
    editor.join();
    running.store(false);
    audio.join();
    dispatch(e, effMainsChanged, 0, 0);
    dispatch(e, effClose);
    return outcome;
}

TEST(StressThreads, NullTestStaysTransparentWhileParametersAndStateChange) {
    AEffect* e = assemblePlugin(host, new nulltest::TVexmoldEffect);
    ASSERT_NE(e, nullptr);
    const Outcome outcome = hammer(e, true, 2000);
    EXPECT_TRUE(outcome.audioTransparent);
    EXPECT_TRUE(outcome.chunksWellFormed);
    EXPECT_GT(outcome.blocks, 0);
}

TEST(StressThreads, ToneGeneratorWithStateTraffic) {
    AEffect* e = assemblePlugin(host, new tonegen::TVexmoldEffect);
    ASSERT_NE(e, nullptr);
    const Outcome outcome = hammer(e, false, 2000);
    EXPECT_TRUE(outcome.chunksWellFormed);
    EXPECT_GT(outcome.blocks, 0);
}

}  // namespace
