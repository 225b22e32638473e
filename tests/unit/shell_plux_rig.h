// What the wrapper's tests share: a host that records every call and
// answers from a table, a script object that counts its section runs and
// notes the locks held in each, and the fixture of an assembled instance.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "effects/nulltest/nulltest_effect.h"
#include "effects/tonegen/tonegen_effect.h"
#include "runtime/vexmold.h"
#include "plugin/assembly.h"
#include "shell/plux.h"
#include "tests/support/plux_probe.h"
#include "tests/support/recording_host.h"
#include "tests/unit/lock_probe.h"

namespace shell_plux_rig {

// ---------------------------------------------------------------------------
// The recording host, answering version 2400 and watching the calls the
// wrapper's tests look into.

using plux::testing_support::HostCall;

struct Host : plux::testing_support::RecordingHost {
    // Copy of the first event of the last audioMasterProcessEvents list.
    inline static int eventsInLastList = -1;
    inline static unsigned char lastEvent[48];
    // When set, audioMasterGetTime is answered by it, given the filter.
    inline static VstIntPtr (*timeSource)(VstIntPtr filter) = nullptr;
    // When set, each call records whether this wrapper's scriptLock was held.
    inline static CPlux* lockProbe = nullptr;

    static bool watch(HostCall& call, VstIntPtr& answer) {
        call.scriptLockHeld =
            lockProbe != nullptr && heldElsewhere(CPluxProbe::scriptLock(*lockProbe));
        if (call.opcode == audioMasterGetTime && timeSource != nullptr) {
            answer = timeSource(call.value);
            return true;
        }
        if (call.opcode == audioMasterProcessEvents && call.ptr != nullptr) {
            const auto* list = static_cast<const VstEvents*>(call.ptr);
            eventsInLastList = list->numEvents;
            const VstEvent* first = list->events[0];
            const size_t size =
                first->type == kVstSysExType ? sizeof(VstMidiSysexEvent) : sizeof(VstMidiEvent);
            std::memcpy(lastEvent, first, size);
        }
        return false;
    }
    static void reset() {
        RecordingHost::reset();
        answers[audioMasterVersion] = 2400;
        intercept = watch;
        eventsInLastList = -1;
        std::memset(lastEvent, 0, sizeof lastEvent);
        timeSource = nullptr;
        lockProbe = nullptr;
    }
};

// ---------------------------------------------------------------------------
// A script object that counts its section runs.

inline std::string longText(const std::string& head, size_t length) {
    std::string text = head;
    for (size_t i = 0; text.size() < length; ++i)
        text += static_cast<char>('a' + static_cast<int>(i % 26));
    return text;
}

inline const std::string kEffectName = longText("Counting effect ", 80);
inline const std::string kVendor = longText("Vendor ", 70);
inline const std::string kProduct = longText("Product ", 64);
inline const std::string kProgram = longText("Program ", 40);
inline const std::string kParamName = longText("Parameter zero ", 90);
inline const std::string kParamLabel = "Seconds-long-label";

struct Lifetime {
    inline static int destroyed = 0;
    inline static int closed = 0;
};

inline bool lockHeldHere(CPlux* plux) {
    return plux != nullptr && heldElsewhere(CPluxProbe::scriptLock(*plux));
}

inline bool editorLockHeldHere(CPlux* plux) {
    return plux != nullptr && heldElsewhere(CPluxProbe::editorLock(*plux));
}

class CountingScript final : public TVexmold {
  public:
    CountingScript() {
        effectName = kEffectName;
        productString = kProduct;
        vendorString = kVendor;
        programName = kProgram;
        channelCount = 2;
        vendorVersion = 777;
        uniqueId = 0x54657374;

        TVexmoldSlider unit;
        unit.valueIndex = 1;
        unit.defaultValue = 0.25;
        unit.minimum = 0.0;
        unit.maximum = 1.0;
        unit.step = 0.001;
        unit.description = kParamName;
        unit.label = kParamLabel;
        declareSlider(unit);

        TVexmoldSlider big;
        big.valueIndex = 2;
        big.defaultValue = 123456.789;
        big.minimum = 0.0;
        big.maximum = 1000000.0;
        big.step = 0.01;
        big.description = "Big";
        declareSlider(big);

        TVexmoldSlider choice;
        choice.valueIndex = 3;
        choice.optionNames = {"first option long", "b"};
        choice.minimum = 0.0;
        choice.maximum = 1.0;
        choice.step = 1.0;
        choice.description = "Choice";
        declareSlider(choice);
    }
    ~CountingScript() override { ++Lifetime::destroyed; }

    void doReset() override {
        TVexmold::doReset();
        ++resets;
        probe("reset");
    }
    void doInit() override {
        ++inits;
        order += 'I';
        initSampleRate = hostSampleRate();
        initBlockSize = hostBlockSize();
        hostCallsAtInit = Host::calls.size();
        probe("init");
        if (inInit)
            inInit();
    }
    void doSlider() override {
        ++sliders;
        order += 'S';
        probe("slider");
    }
    void doBlock() override {
        ++blocks;
        probe("block");
        if (inBlock)
            inBlock();
    }
    void doSample() override {
        ++samples;
        sampleValues[0] *= 2.0;
        sampleValues[1] = -sampleValues[1];
        if (samples == 1)
            probe("sample");
    }
    void doSerialize() override {
        ++serializes;
        order += 'Z';
        transferValue(0.0, stateA);
        transferValue(0.0, stateB);
        probe("serialize");
    }
    void doIdle() override {
        ++idles;
        probe("idle");
    }
    void doGfx() override {
        ++gfx;
        probe("gfx");
        if (inGfx)
            inGfx();
    }
    void doSuspend() override {
        ++suspends;
        probe("suspend");
    }
    void doClose() override { ++Lifetime::closed; }

    void probe(const char* section) {
        if (probeLock) {
            // The host of every script here is a wrapper.
            lockHeld[section] = lockHeldHere(static_cast<CPlux*>(plux));
            editorLockHeld[section] = editorLockHeldHere(static_cast<CPlux*>(plux));
        }
    }

    int resets = 0, inits = 0, sliders = 0, blocks = 0, samples = 0, serializes = 0, idles = 0,
        gfx = 0, suspends = 0;
    std::string order;
    double initSampleRate = -1.0;
    double initBlockSize = -1.0;
    size_t hostCallsAtInit = 99;
    double stateA = 1.5;
    double stateB = -2.25;
    bool probeLock = false;
    // Run inside the initialisation, block and graphics sections.
    std::function<void()> inInit, inBlock, inGfx;
    std::map<std::string, bool> lockHeld;
    std::map<std::string, bool> editorLockHeld;
};

// ---------------------------------------------------------------------------

class ShellPlux : public ::testing::Test {
  protected:
    void SetUp() override {
        Host::reset();
        Lifetime::destroyed = 0;
        Lifetime::closed = 0;
        record = assemblePlugin(Host::callback, new CountingScript);
        ASSERT_NE(record, nullptr);
        plux = static_cast<CPlux*>(record->object);
        script = static_cast<CountingScript*>(plux->script());
        Host::calls.clear();
    }
    void TearDown() override {
        if (record != nullptr)
            record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
        Host::reset();
    }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) {
        return record->dispatcher(record, opcode, index, value, ptr, opt);
    }
    // Fills a buffer with canary bytes, runs the text opcode and checks the
    // text and that nothing was written past the host buffer of hostSize bytes.
    void expectBoundedText(VstInt32 opcode, VstInt32 index, size_t hostSize,
                           const std::string& full, VstIntPtr expectedResult) {
        SCOPED_TRACE(testing::Message() << "opcode " << opcode << " index " << index);
        char buffer[160];
        std::memset(buffer, '~', sizeof buffer);
        EXPECT_EQ(dispatch(opcode, index, 0, buffer), expectedResult);
        const void* end = std::memchr(buffer, '\0', hostSize);
        ASSERT_NE(end, nullptr) << "no terminator inside the host buffer";
        EXPECT_EQ(std::string(buffer), full.substr(0, hostSize - 1));
        for (size_t i = hostSize; i < sizeof buffer; ++i)
            ASSERT_EQ(buffer[i], '~') << "written beyond the host buffer at " << i;
    }
    int sectionRuns() const {
        return script->resets + script->inits + script->sliders + script->blocks + script->samples +
               script->serializes + script->idles + script->gfx + script->suspends;
    }

    AEffect* record = nullptr;
    CPlux* plux = nullptr;
    CountingScript* script = nullptr;
};

}  // namespace shell_plux_rig
