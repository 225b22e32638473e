// One plug-in instance assembled in-process exactly as its DLL assembles it
// (standard bindings, the editor attached by the create binding), with the
// effect object at hand so tests can read what the host cannot.
#pragma once

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "gui/editor/pluxeditor.h"
#include "runtime/debuglog.h"
#include "plugin/assembly.h"
#include "shell/plux.h"
#include "tests/support/minimal_host.h"
#include "tests/support/plux_probe.h"

// Points the debug log at a file of the tests' own while it lives: the
// effects' pictures are not beside the test programs, and their misses must
// not end up in the log at the root of the drive.
class TestDebugLog {
  public:
    TestDebugLog()
        : path((std::filesystem::temp_directory_path() / "plux_editor_tests_debug.log").string()) {
        vexmold::setDebugLogPath(path);
    }
    ~TestDebugLog() {
        vexmold::setDebugLogPath("");
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
    TestDebugLog(const TestDebugLog&) = delete;
    TestDebugLog& operator=(const TestDebugLog&) = delete;

    const std::string path;
};

template <typename Effect> class AssembledPlugin {
  public:
    AssembledPlugin()
        : fx(new Effect), effect(assemblePlugin(plux::testing_support::minimalHost, fx)) {
        plux = effect ? static_cast<CPlux*>(effect->object) : nullptr;
    }
    ~AssembledPlugin() {
        if (effect)
            dispatch(effClose);
    }
    AssembledPlugin(const AssembledPlugin&) = delete;
    AssembledPlugin& operator=(const AssembledPlugin&) = delete;

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }

    // Open, 44.1 kHz, blocks of 512, resumed: the usual host start-up.
    void start() {
        dispatch(effOpen);
        dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
        dispatch(effSetBlockSize, 0, 512);
        dispatch(effMainsChanged, 0, 1);
    }

    // `seconds` of a 997 Hz sine at half scale on both inputs, in blocks of 512
    // through the record's processReplacing: the side signal is exactly 0.
    void processIdenticalInputs(double seconds) {
        const int total = static_cast<int>(seconds * 44100.0);
        std::vector<float> left(512), right(512), outLeft(512), outRight(512);
        for (int done = 0; done < total; done += 512) {
            const int frames = std::min(512, total - done);
            for (int i = 0; i < frames; ++i)
                left[i] = right[i] =
                    static_cast<float>(0.5 * std::sin(kTwoPi * 997.0 * (done + i) / 44100.0));
            float* in[2] = {left.data(), right.data()};
            float* out[2] = {outLeft.data(), outRight.data()};
            effect->processReplacing(effect, in, out, frames);
        }
    }

    CPluxEditor* editor() const { return static_cast<CPluxEditor*>(plux->getEditor()); }

    TestDebugLog log;  // first in, last out: outlives the instance
    // The effect's copy that the editor's draws run on.
    Effect* drawn() const {
        return plux ? static_cast<Effect*>(CPluxProbe::drawScript(*plux)) : nullptr;
    }

    Effect* fx;  // owned by the instance
    AEffect* effect;
    CPlux* plux = nullptr;

  private:
    static constexpr double kTwoPi = 6.283185307179586;
};
