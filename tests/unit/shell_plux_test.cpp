// The host wrapper CPlux with the standard bindings: the dispatcher as the
// host sees it, the text bounds of the host buffers, the MIDI ring, the
// editor-side bindings, the host queries of script sections and the assembly
// of an instance.
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
#include "tests/unit/lock_probe.h"

namespace {

// ---------------------------------------------------------------------------
// A host callback that records every call and answers from a table.

struct HostCall {
    AEffect* effect;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
    bool scriptLockHeld;  // by the calling thread; only with Host::lockProbe set
};

struct Host {
    static std::vector<HostCall> calls;
    static std::map<VstInt32, VstIntPtr> answers;
    // Copy of the first event of the last audioMasterProcessEvents list.
    static int eventsInLastList;
    static unsigned char lastEvent[48];
    // When set, audioMasterGetTime is answered by it, given the filter.
    static VstIntPtr (*timeSource)(VstIntPtr filter);
    // When set, each call records whether this wrapper's scriptLock was held.
    static CPlux* lockProbe;

    static VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                              void* ptr, float opt) {
        const bool locked =
            lockProbe != nullptr && heldElsewhere(CPluxProbe::scriptLock(*lockProbe));
        calls.push_back(HostCall{effect, opcode, index, value, ptr, opt, locked});
        if (opcode == audioMasterGetTime && timeSource != nullptr)
            return timeSource(value);
        if (opcode == audioMasterProcessEvents && ptr != nullptr) {
            const auto* list = static_cast<const VstEvents*>(ptr);
            eventsInLastList = list->numEvents;
            const VstEvent* first = list->events[0];
            const size_t size =
                first->type == kVstSysExType ? sizeof(VstMidiSysexEvent) : sizeof(VstMidiEvent);
            std::memcpy(lastEvent, first, size);
        }
        const auto it = answers.find(opcode);
        return it == answers.end() ? 0 : it->second;
    }
    static void reset() {
        calls.clear();
        answers.clear();
        answers[audioMasterVersion] = 2400;
        eventsInLastList = -1;
        std::memset(lastEvent, 0, sizeof lastEvent);
        timeSource = nullptr;
        lockProbe = nullptr;
    }
    static size_t countOf(VstInt32 opcode) {
        size_t n = 0;
        for (const HostCall& c : calls)
            n += c.opcode == opcode ? 1 : 0;
        return n;
    }
};

std::vector<HostCall> Host::calls;
std::map<VstInt32, VstIntPtr> Host::answers;
int Host::eventsInLastList = -1;
unsigned char Host::lastEvent[48];
VstIntPtr (*Host::timeSource)(VstIntPtr) = nullptr;
CPlux* Host::lockProbe = nullptr;

// ---------------------------------------------------------------------------
// A script object that counts its section runs.

std::string longText(const std::string& head, size_t length) {
    std::string text = head;
    for (size_t i = 0; text.size() < length; ++i)
        text += static_cast<char>('a' + static_cast<int>(i % 26));
    return text;
}

const std::string kEffectName = longText("Counting effect ", 80);
const std::string kVendor = longText("Vendor ", 70);
const std::string kProduct = longText("Product ", 64);
const std::string kProgram = longText("Program ", 40);
const std::string kParamName = longText("Parameter zero ", 90);
const std::string kParamLabel = "Seconds-long-label";

struct Lifetime {
    static int destroyed;
    static int closed;
};
int Lifetime::destroyed = 0;
int Lifetime::closed = 0;

TEST(PlatformLocks, ARecursiveLockStaysHeldForOthersUntilItsLastUnlock) {
    plux::platform::RecursiveLock lock;
    EXPECT_FALSE(heldElsewhere(lock));
    lock.lock();
    ASSERT_TRUE(lock.try_lock());  // the holder takes it again
    lock.unlock();
    EXPECT_TRUE(heldElsewhere(lock));
    lock.unlock();
    EXPECT_FALSE(heldElsewhere(lock));
}

TEST(PlatformLocks, ALockIsRefusedToOthersWhileHeld) {
    plux::platform::Lock lock;
    EXPECT_FALSE(heldElsewhere(lock));
    lock.lock();
    EXPECT_TRUE(heldElsewhere(lock));
    lock.unlock();
    EXPECT_FALSE(heldElsewhere(lock));
}

bool lockHeldHere(CPlux* plux) {
    return plux != nullptr && heldElsewhere(CPluxProbe::scriptLock(*plux));
}

bool editorLockHeldHere(CPlux* plux) {
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

TEST_F(ShellPlux, FixedDispatcherAnswers) {
    EXPECT_EQ(dispatch(effIdentify), 0x4E764566);
    EXPECT_EQ(dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(dispatch(effGetPlugCategory), 0);
    EXPECT_EQ(dispatch(effGetVendorVersion), 777);
    EXPECT_EQ(dispatch(effGetCurrentMidiProgram), -1);
    for (VstInt32 index : {0, 2, 3, 1000, -1}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(dispatch(effCanBeAutomated, index), 1);
    }
    EXPECT_EQ(dispatch(effSetTotalSampleToProcess, 0, 4096), 4096);
    EXPECT_EQ(dispatch(effSetTotalSampleToProcess, 0, 0), 0);
    EXPECT_EQ(dispatch(effSetTotalSampleToProcess, 0, 1234567), 1234567);
    EXPECT_TRUE(Host::calls.empty());
    EXPECT_EQ(sectionRuns(), 0);
}

TEST_F(ShellPlux, SpeakerArrangementQueryStoresNullInBothPlaces) {
    VstSpeakerArrangement dummy{};
    VstSpeakerArrangement* inputs = &dummy;
    VstSpeakerArrangement* outputs = &dummy;
    EXPECT_EQ(dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&inputs), &outputs),
              0);
    EXPECT_EQ(inputs, nullptr);
    EXPECT_EQ(outputs, nullptr);
    EXPECT_EQ(dispatch(effGetSpeakerArrangement, 0, 0, nullptr), 0);
}

TEST_F(ShellPlux, ProgramNumberFollowsEffSetProgram) {
    EXPECT_EQ(dispatch(effGetProgram), 0);
    EXPECT_EQ(dispatch(effSetProgram, 0, 0), 0);
    EXPECT_EQ(dispatch(effGetProgram), 0);
    EXPECT_EQ(dispatch(effSetProgram, 0, 5), 0);  // not below numPrograms 1: ignored
    EXPECT_EQ(dispatch(effGetProgram), 0);
    EXPECT_EQ(dispatch(effSetProgram, 0, 1), 0);
    EXPECT_EQ(dispatch(effGetProgram), 0);
    EXPECT_EQ(dispatch(effSetProgram, 0, -1), 0);  // signed comparison
    EXPECT_EQ(dispatch(effGetProgram), -1);
    EXPECT_EQ(sectionRuns(), 0);
}

TEST_F(ShellPlux, UnansweredOpcodesReturnZeroAndDoNothing) {
    const VstInt32 deprecated[] = {9,  16, 17, 18, 20, 21, 28, 30, 31,
                                   32, 36, 37, 43, 46, 53, 54, 55, 57};
    const VstInt32 answeredWithZero[] = {27, 33, 34, 38, 39, 40, 41, 42, 44, 50, 52, 56, 62, 64,
                                         65, 66, 67, 68, 70, 71, 72, 74, 75, 76, 77, 78, 79};
    const VstInt32 unknown[] = {80, 81, 100, 1000, 0x7FFFFFFF, -1, -100};
    std::vector<VstInt32> opcodes(std::begin(deprecated), std::end(deprecated));
    opcodes.insert(opcodes.end(), std::begin(answeredWithZero), std::end(answeredWithZero));
    opcodes.insert(opcodes.end(), std::begin(unknown), std::end(unknown));

    for (VstInt32 opcode : opcodes) {
        SCOPED_TRACE(opcode);
        char buffer[256];
        std::memset(buffer, '~', sizeof buffer);
        buffer[sizeof buffer - 1] = '\0';
        EXPECT_EQ(dispatch(opcode, 1, 48000, buffer, 48000.0f), 0);
        for (size_t i = 0; i + 1 < sizeof buffer; ++i)
            ASSERT_EQ(buffer[i], '~') << "byte " << i;
    }
    EXPECT_TRUE(Host::calls.empty());
    EXPECT_EQ(sectionRuns(), 0);
    EXPECT_EQ(plux->getSampleRate(), 44100.0f);
    EXPECT_EQ(plux->getBlockSize(), 1024);
    EXPECT_EQ(dispatch(effGetProgram), 0);
    EXPECT_EQ(script->sliderValues[1], 0.25);
}

TEST_F(ShellPlux, CanDoAnswersOnlyMidiInput) {
    char yes[] = "receiveVstMidiEvent";
    EXPECT_EQ(dispatch(effCanDo, 0, 0, yes), 1);
    const char* const others[] = {"bypass",
                                  "offline",
                                  "receiveVstTimeInfo",
                                  "midiProgramNames",
                                  "sendVstMidiEvent",
                                  "",
                                  "receiveVstMidiEven",
                                  "receiveVstMidiEventX",
                                  "receiveVstMidiEvents",
                                  "ReceiveVstMidiEvent"};
    for (const char* text : others) {
        SCOPED_TRACE(text);
        std::string copy = text;
        EXPECT_EQ(dispatch(effCanDo, 0, 0, &copy[0]), -1);
    }
    EXPECT_EQ(dispatch(effCanDo, 0, 0, nullptr), 0);

    // A short text in a buffer of its own size is not read beyond its end.
    std::unique_ptr<char[]> shortText(new char[4]);
    std::memcpy(shortText.get(), "rec", 4);
    EXPECT_EQ(dispatch(effCanDo, 0, 0, shortText.get()), -1);
    EXPECT_TRUE(Host::calls.empty());
}

TEST_F(ShellPlux, HostTextsAreBoundedToTheirBuffers) {
    ASSERT_GT(kEffectName.size(), 63u);
    ASSERT_GT(kVendor.size(), 63u);
    ASSERT_GT(kProgram.size(), 23u);
    ASSERT_GT(kParamName.size(), 63u);
    ASSERT_GT(kParamLabel.size(), 7u);
    expectBoundedText(effGetEffectName, 0, 64, kEffectName, 1);
    expectBoundedText(effGetVendorString, 0, 64, kVendor, 1);
    expectBoundedText(effGetProductString, 0, 64, kProduct, 1);
    expectBoundedText(effGetProgramName, 0, 24, kProgram, 0);
    expectBoundedText(effGetParamName, 0, 64, kParamName, 0);
    expectBoundedText(effGetParamLabel, 0, 8, kParamLabel, 0);
    // "%.2f" of 123456.789 is "123456.79"; the host buffer holds seven characters.
    expectBoundedText(effGetParamDisplay, 1, 8, "123456.79", 0);
    expectBoundedText(effGetParamDisplay, 2, 8, "first option long", 0);
    expectBoundedText(effGetParamDisplay, 0, 8, "0.25", 0);
    expectBoundedText(effGetParamLabel, 1, 8, "", 0);
    // Indices without a slider give empty texts.
    expectBoundedText(effGetParamName, 3, 64, "", 0);
    expectBoundedText(effGetParamDisplay, -1, 8, "", 0);
}

TEST_F(ShellPlux, TextOpcodesWithNullPtrAnswerZero) {
    for (VstInt32 opcode :
         {effGetEffectName, effGetVendorString, effGetProductString, effGetProgramName,
          effGetParamName, effGetParamLabel, effGetParamDisplay, effSetProgramName,
          effGetProgramNameIndexed, effCanDo, effGetChunk, effSetChunk}) {
        SCOPED_TRACE(opcode);
        EXPECT_EQ(dispatch(opcode, 0, 16, nullptr), 0);
    }
    EXPECT_EQ(script->programName, kProgram);
    EXPECT_EQ(sectionRuns(), 0);
}

TEST_F(ShellPlux, ProgramNameIndexedWritesNothing) {
    char buffer[32];
    std::memset(buffer, '~', sizeof buffer);
    EXPECT_EQ(dispatch(effGetProgramNameIndexed, 0, 0, buffer), 0);
    for (char c : buffer)
        ASSERT_EQ(c, '~');
}

TEST_F(ShellPlux, ProgramNameRoundTripIsBoundedToTwentyThree) {
    char name[] = "Warm";
    EXPECT_EQ(dispatch(effSetProgramName, 0, 0, name), 0);
    char buffer[64];
    EXPECT_EQ(dispatch(effGetProgramName, 0, 0, buffer), 0);
    EXPECT_STREQ(buffer, "Warm");

    // A host buffer of 24 bytes without a terminator: 23 characters are taken
    // and nothing beyond the buffer is read.
    std::unique_ptr<char[]> full(new char[24]);
    std::memset(full.get(), 'N', 24);
    EXPECT_EQ(dispatch(effSetProgramName, 0, 0, full.get()), 0);
    EXPECT_EQ(script->programName, std::string(23, 'N'));
    EXPECT_EQ(dispatch(effGetProgramName, 0, 0, buffer), 0);
    EXPECT_EQ(std::string(buffer), std::string(23, 'N'));
}

TEST_F(ShellPlux, MainsOnSendsWantMidiBeforeTheResumeSections) {
    EXPECT_EQ(dispatch(effMainsChanged, 0, 1), 0);
    // Then the time, asked for before the sections take the lock.
    ASSERT_EQ(Host::calls.size(), 2u);
    EXPECT_EQ(Host::calls[0].effect, record);
    EXPECT_EQ(Host::calls[0].opcode, audioMasterWantMidi);
    EXPECT_EQ(Host::calls[1].opcode, audioMasterGetTime);
    EXPECT_EQ(Host::calls[0].value, 1);
    EXPECT_EQ(script->hostCallsAtInit, 2u);  // both before the section
    EXPECT_EQ(script->order, "IS");

    // Every resume repeats both; a suspend runs only the suspend hook.
    EXPECT_EQ(dispatch(effMainsChanged, 0, 1), 0);
    EXPECT_EQ(script->order, "ISIS");
    EXPECT_EQ(Host::countOf(audioMasterWantMidi), 2u);
    EXPECT_EQ(dispatch(effMainsChanged, 0, 0), 0);
    EXPECT_EQ(script->suspends, 1);
    EXPECT_EQ(script->order, "ISIS");
    EXPECT_EQ(Host::calls.size(), 4u);  // wanting MIDI and the time, twice
}

TEST_F(ShellPlux, SampleRateAndBlockSizeReachTheNextInitialisation) {
    dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(script->initSampleRate, 44100.0);
    EXPECT_EQ(script->initBlockSize, 1024.0);

    const int before = sectionRuns();
    EXPECT_EQ(dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f), 0);
    EXPECT_EQ(dispatch(effSetBlockSize, 0, 512), 0);
    EXPECT_EQ(sectionRuns(), before);  // only stored
    EXPECT_EQ(script->initSampleRate, 44100.0);

    dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(script->initSampleRate, 48000.0);
    EXPECT_EQ(script->initBlockSize, 512.0);
    EXPECT_EQ(script->hostSampleRate(), 48000.0);
    EXPECT_EQ(script->hostBlockSize(), 512.0);
}

TEST_F(ShellPlux, LifecycleOpcodesRunTheirSections) {
    EXPECT_EQ(dispatch(effOpen), 0);
    EXPECT_EQ(script->resets, 1);
    EXPECT_EQ(sectionRuns(), 1);

    float inL[3] = {0.5f, -0.25f, 1.0f};
    float inR[3] = {0.125f, 0.75f, -1.0f};
    float outL[3] = {9, 9, 9};
    float outR[3] = {9, 9, 9};
    float* inputs[2] = {inL, inR};
    float* outputs[2] = {outL, outR};
    record->processReplacing(record, inputs, outputs, 3);
    EXPECT_EQ(script->blocks, 1);
    EXPECT_EQ(script->samples, 3);
    EXPECT_EQ(outL[0], 1.0f);
    EXPECT_EQ(outL[1], -0.5f);
    EXPECT_EQ(outL[2], 2.0f);
    EXPECT_EQ(outR[0], -0.125f);
    EXPECT_EQ(outR[1], -0.75f);
    EXPECT_EQ(outR[2], 1.0f);

    record->processReplacing(record, inputs, outputs, 0);
    EXPECT_EQ(script->blocks, 2);
    EXPECT_EQ(script->samples, 3);

    double dL[2] = {0.5, 0.25};
    double dR[2] = {1.0, 2.0};
    double* dChannels[2] = {dL, dR};
    record->processDoubleReplacing(record, dChannels, dChannels, 2);  // in place
    EXPECT_EQ(script->blocks, 3);
    EXPECT_EQ(script->samples, 5);
    EXPECT_EQ(dL[0], 1.0);
    EXPECT_EQ(dL[1], 0.5);
    EXPECT_EQ(dR[0], -1.0);
    EXPECT_EQ(dR[1], -2.0);
    EXPECT_EQ(Host::calls.size(), 3u);  // only the time, once a block
    EXPECT_EQ(Host::countOf(audioMasterGetTime), 3u);
}

TEST_F(ShellPlux, ParametersThroughTheRecord) {
    record->setParameter(record, 0, 0.5f);
    EXPECT_EQ(script->sliderValues[1], 0.5);
    EXPECT_EQ(script->sliders, 1);
    EXPECT_EQ(record->getParameter(record, 0), 0.5f);
    record->setParameter(record, 0, 0.5f);  // unchanged: no slider section
    EXPECT_EQ(script->sliders, 1);

    // Indices without a slider touch nothing.
    record->setParameter(record, 3, 1.0f);
    record->setParameter(record, -1, 1.0f);
    EXPECT_EQ(script->sliders, 1);
    EXPECT_EQ(record->getParameter(record, 3), 0.0f);
    EXPECT_EQ(record->getParameter(record, -1), 0.0f);
}

TEST_F(ShellPlux, StateChunkRoundTrip) {
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, 0, 0, &data);
    ASSERT_EQ(size, 12);  // marker and two values
    ASSERT_NE(data, nullptr);
    const unsigned char marker[4] = {0x00, 0x00, 0x7A, 0xC4};
    EXPECT_EQ(std::memcmp(data, marker, 4), 0);
    EXPECT_EQ(script->serializes, 1);

    std::vector<unsigned char> saved(static_cast<const unsigned char*>(data),
                                     static_cast<const unsigned char*>(data) + size);
    script->stateA = 0.0;
    script->stateB = 0.0;
    script->order.clear();
    EXPECT_EQ(dispatch(effSetChunk, 1, size, saved.data()), size);
    EXPECT_EQ(script->stateA, 1.5);
    EXPECT_EQ(script->stateB, -2.25);
    EXPECT_EQ(script->order, "IZS");  // first restore initialises first

    script->order.clear();
    EXPECT_EQ(dispatch(effSetChunk, 0, size, saved.data()), size);
    EXPECT_EQ(script->order, "ZS");

    // Too short for the marker: accepted, nothing runs.
    script->order.clear();
    EXPECT_EQ(dispatch(effSetChunk, 0, 3, saved.data()), 3);
    EXPECT_EQ(script->order, "");
}

// ---------------------------------------------------------------------------
// MIDI input.

// A host's event list with room for n pointers.
class EventList {
  public:
    explicit EventList(size_t n)
        : storage_(new unsigned char[offsetof(VstEvents, events) +
                                     (n < 2 ? 2 : n) * sizeof(VstEvent*)]()) {
        list()->numEvents = static_cast<VstInt32>(n);
    }
    VstEvents* list() { return reinterpret_cast<VstEvents*>(storage_.get()); }
    void set(size_t i, void* event) {
        VstEvent** slots = list()->events;
        slots[i] = static_cast<VstEvent*>(event);
    }

  private:
    std::unique_ptr<unsigned char[]> storage_;
};

VstMidiEvent midiEvent(VstInt32 deltaFrames, unsigned char d0, unsigned char d1, unsigned char d2) {
    VstMidiEvent e{};
    e.type = kVstMidiType;
    e.byteSize = sizeof(VstMidiEvent);
    e.deltaFrames = deltaFrames;
    e.flags = 1;
    e.noteLength = 480;
    e.noteOffset = 3;
    e.midiData[0] = static_cast<char>(d0);
    e.midiData[1] = static_cast<char>(d1);
    e.midiData[2] = static_cast<char>(d2);
    e.midiData[3] = 0x11;
    e.detune = -5;
    e.noteOffVelocity = 64;
    e.reserved1 = 1;
    e.reserved2 = 2;
    return e;
}

TEST_F(ShellPlux, MidiRingKeepsVerbatimCopiesAndSkipsOtherEvents) {
    VstMidiEvent a = midiEvent(17, 0x90, 0x3C, 0x7F);
    VstMidiEvent b = midiEvent(200, 0x80, 0x3C, 0x00);
    VstMidiSysexEvent sysex{};
    sysex.type = kVstSysExType;
    sysex.byteSize = sizeof sysex;
    EventList events(4);
    events.set(0, &a);
    events.set(1, &sysex);
    events.set(2, nullptr);
    events.set(3, &b);
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, events.list()), 1);
    EXPECT_EQ(CPluxProbe::midiWrite(*plux), 2);
    EXPECT_EQ(CPluxProbe::midiRead(*plux), 0);
    EXPECT_EQ(std::memcmp(&CPluxProbe::midiRing(*plux)[0], &a, sizeof a), 0);
    EXPECT_EQ(std::memcmp(&CPluxProbe::midiRing(*plux)[1], &b, sizeof b), 0);

    double delta = 99, d1 = 99, d2 = 99, d3 = 99;
    EXPECT_TRUE(script->midiReceive(&delta, &d1, &d2, &d3));
    EXPECT_EQ(delta, 17.0);
    EXPECT_EQ(d1, -112.0);  // 0x90 read as a signed byte
    EXPECT_EQ(d2, 60.0);
    EXPECT_EQ(d3, 127.0);
    EXPECT_TRUE(script->midiReceive(&delta, &d1, &d2, &d3));
    EXPECT_EQ(delta, 200.0);
    EXPECT_EQ(d1, -128.0);
    EXPECT_EQ(d2, 60.0);
    EXPECT_EQ(d3, 0.0);

    delta = d1 = d2 = d3 = 99;
    EXPECT_FALSE(script->midiReceive(&delta, &d1, &d2, &d3));
    EXPECT_EQ(delta, 0.0);
    EXPECT_EQ(d1, 0.0);
    EXPECT_EQ(d2, 0.0);
    EXPECT_EQ(d3, 0.0);
    EXPECT_TRUE(Host::calls.empty());
}

TEST_F(ShellPlux, EventListsWithoutEventsAnswerOne) {
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, nullptr), 1);
    EventList empty(0);
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, empty.list()), 1);
    EventList negative(2);
    VstMidiEvent a = midiEvent(1, 0x90, 1, 1);
    negative.set(0, &a);
    negative.set(1, &a);
    negative.list()->numEvents = -3;
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, negative.list()), 1);
    EXPECT_EQ(CPluxProbe::midiWrite(*plux), 0);
    EXPECT_FALSE(script->midiReceive(nullptr, nullptr, nullptr, nullptr));
}

TEST_F(ShellPlux, ThousandAndOneUnreadEventsOverwriteTheFirstEntry) {
    std::vector<VstMidiEvent> midi;
    midi.reserve(1001);
    EventList events(1001);
    for (int i = 0; i < 1001; ++i)
        midi.push_back(midiEvent(i, 0x90, static_cast<unsigned char>(i & 0x7F), 0x40));
    for (size_t i = 0; i < midi.size(); ++i)
        events.set(i, &midi[i]);
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, events.list()), 1);
    EXPECT_EQ(CPluxProbe::midiWrite(*plux), 1);
    EXPECT_EQ(CPluxProbe::midiRead(*plux), 0);
    EXPECT_EQ(std::memcmp(&CPluxProbe::midiRing(*plux)[0], &midi[1000], sizeof(VstMidiEvent)), 0);
    EXPECT_EQ(std::memcmp(&CPluxProbe::midiRing(*plux)[1], &midi[1], sizeof(VstMidiEvent)), 0);
    EXPECT_EQ(std::memcmp(&CPluxProbe::midiRing(*plux)[999], &midi[999], sizeof(VstMidiEvent)), 0);
    EXPECT_EQ(CPluxProbe::midiRing(*plux).size(), 1000u);

    // The reader finds only the newest event: the older ones are lost.
    double delta = -1;
    EXPECT_TRUE(script->midiReceive(&delta, nullptr, nullptr, nullptr));
    EXPECT_EQ(delta, 1000.0);
    EXPECT_FALSE(script->midiReceive(&delta, nullptr, nullptr, nullptr));
}

TEST_F(ShellPlux, MidiRingWrapsForWriterAndReader) {
    std::vector<VstMidiEvent> midi;
    for (int i = 0; i < 999; ++i)
        midi.push_back(midiEvent(i, 0xB0, 7, 100));
    EventList first(midi.size());
    for (size_t i = 0; i < midi.size(); ++i)
        first.set(i, &midi[i]);
    dispatch(effProcessEvents, 0, 0, first.list());
    for (int i = 0; i < 999; ++i)
        ASSERT_TRUE(script->midiReceive(nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(CPluxProbe::midiRead(*plux), 999);

    VstMidiEvent x = midiEvent(5000, 0x90, 1, 2);
    VstMidiEvent y = midiEvent(5001, 0x90, 3, 4);
    EventList second(2);
    second.set(0, &x);
    second.set(1, &y);
    dispatch(effProcessEvents, 0, 0, second.list());
    EXPECT_EQ(CPluxProbe::midiWrite(*plux), 1);
    double delta = 0, d1 = 0;
    EXPECT_TRUE(script->midiReceive(&delta, &d1, nullptr, nullptr));
    EXPECT_EQ(delta, 5000.0);
    EXPECT_EQ(d1, -112.0);
    EXPECT_TRUE(script->midiReceive(&delta, nullptr, nullptr, nullptr));
    EXPECT_EQ(delta, 5001.0);
    EXPECT_EQ(CPluxProbe::midiRead(*plux), 1);
    EXPECT_FALSE(script->midiReceive(&delta, nullptr, nullptr, nullptr));
}

// ---------------------------------------------------------------------------
// Editor-side bindings.

TEST_F(ShellPlux, MouseBindingsStorePositionButtonsAndRaiseTheRedrawRate) {
    ASSERT_NE(CPluxProbe::callbacks(*plux).mouseDown, nullptr);
    script->redrawRate = 0.0;
    plux->mouseDown(10.5, 20.25, 0x2 | 0x10);  // left + shift
    EXPECT_EQ(script->mouseX, 10.5);
    EXPECT_EQ(script->mouseY, 20.25);
    EXPECT_EQ(script->mouseButtons, 9.0);
    EXPECT_EQ(script->redrawRate, 30.0);

    plux->mouseMove(11.0, 21.0, 0);
    EXPECT_EQ(script->mouseX, 11.0);
    EXPECT_EQ(script->mouseY, 21.0);
    EXPECT_EQ(script->mouseButtons, 9.0);  // a move keeps the buttons

    plux->mouseUp(12.0, 22.0, 0x2);
    EXPECT_EQ(script->mouseX, 12.0);
    EXPECT_EQ(script->mouseY, 22.0);
    EXPECT_EQ(script->mouseButtons, 0.0);

    // Every toolkit bit: left 1 + right 2 + control 4 + shift 8 + alt 16 + middle 64.
    script->redrawRate = 45.0;
    plux->mouseDown(0.0, 0.0, 0x2 | 0x4 | 0x8 | 0x10 | 0x20 | 0x40);
    EXPECT_EQ(script->mouseButtons, 95.0);
    EXPECT_EQ(script->redrawRate, 45.0);    // a higher rate is kept
    plux->mouseDown(0.0, 0.0, 0x8 | 0x20);  // right + control
    EXPECT_EQ(script->mouseButtons, 6.0);
    plux->mouseDown(0.0, 0.0, 0x4 | 0x40);  // middle + alt
    EXPECT_EQ(script->mouseButtons, 80.0);

    script->redrawRate = 0.0;
    plux->mouseUp(0.0, 0.0, 0);
    EXPECT_EQ(script->redrawRate, 30.0);
    script->redrawRate = 0.0;
    plux->mouseMove(0.0, 0.0, 0);
    EXPECT_EQ(script->redrawRate, 30.0);
}

TEST_F(ShellPlux, IdleAndDrawBindingsRunTheirSections) {
    EXPECT_TRUE(plux->drawsGraphics());
    plux->editorIdle();
    EXPECT_EQ(script->idles, 1);
    plux->drawGraphics(nullptr, 500.0, 250.0);
    EXPECT_EQ(script->gfx, 1);
    EXPECT_EQ(script->viewWidth, 500.0);
    EXPECT_EQ(script->viewHeight, 250.0);
    EXPECT_EQ(CPluxProbe::callbacks(*plux).keyDown, nullptr);
    EXPECT_EQ(CPluxProbe::callbacks(*plux).keyUp, nullptr);
}

TEST_F(ShellPlux, SectionsRunUnderTheWrapperLock) {
    script->probeLock = true;
    dispatch(effOpen);
    dispatch(effMainsChanged, 0, 1);
    float l[1] = {0}, r[1] = {0};
    float* channels[2] = {l, r};
    record->processReplacing(record, channels, channels, 1);
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, 0, 0, &data);
    std::vector<unsigned char> saved(static_cast<unsigned char*>(data),
                                     static_cast<unsigned char*>(data) + size);
    script->lockHeld.erase("serialize");
    dispatch(effSetChunk, 0, size, saved.data());
    plux->editorIdle();
    plux->drawGraphics(nullptr, 1.0, 1.0);
    dispatch(effMainsChanged, 0, 0);

    // Sections of the audio side hold the script lock; those that reset or
    // initialise the editor's state as well hold both.
    for (const char* section :
         {"reset", "init", "slider", "block", "sample", "serialize", "suspend"}) {
        SCOPED_TRACE(section);
        ASSERT_EQ(script->lockHeld.count(section), 1u);
        EXPECT_TRUE(script->lockHeld[section]);
    }
    for (const char* section : {"reset", "init", "suspend"})
        EXPECT_TRUE(script->editorLockHeld[section]) << section;
    EXPECT_FALSE(script->editorLockHeld["block"]);
    EXPECT_FALSE(script->editorLockHeld["sample"]);
    // The editor's sections hold only the editor lock: a draw never holds up audio.
    for (const char* section : {"idle", "gfx"}) {
        SCOPED_TRACE(section);
        ASSERT_EQ(script->editorLockHeld.count(section), 1u);
        EXPECT_TRUE(script->editorLockHeld[section]);
        EXPECT_FALSE(script->lockHeld[section]);
    }
    // Both locks are free again afterwards.
    EXPECT_FALSE(lockHeldHere(plux));
    EXPECT_FALSE(editorLockHeldHere(plux));
}

// ---------------------------------------------------------------------------
// Host queries of script sections.

class ShellPluxHostQueries : public ShellPlux {
  protected:
    void SetUp() override {
        ShellPlux::SetUp();
        time = VstTimeInfo{};
        time.tempo = 128.5;
        time.ppqPos = 33.75;
        time.barStartPos = 32.0;
        time.timeSigNumerator = 7;
        time.timeSigDenominator = 8;
        time.smpteOffset = 99;
        time.samplesToNextClock = 77;
        time.flags = kVstTransportPlaying | kVstTransportRecording;
        Host::answers[audioMasterGetTime] = 1;  // answered by filteredTime
        Host::timeSource = filteredTime;
    }

    // A host that fills only the fields the filter asks for, as hosts may:
    // the others read 0, and only the asked ones are flagged valid. The
    // transport state is always there.
    static VstIntPtr filteredTime(VstIntPtr filter) {
        if (Host::answers.count(audioMasterGetTime) == 0)
            return 0;
        answered = VstTimeInfo{};
        answered.flags = time.flags & (kVstTransportPlaying | kVstTransportRecording);
        const auto asked = [filter](VstInt32 flag) { return (filter & flag) != 0; };
        if (asked(kVstTempoValid))
            answered.tempo = time.tempo;
        if (asked(kVstPpqPosValid))
            answered.ppqPos = time.ppqPos;
        if (asked(kVstBarsValid))
            answered.barStartPos = time.barStartPos;
        if (asked(kVstTimeSigValid)) {
            answered.timeSigNumerator = time.timeSigNumerator;
            answered.timeSigDenominator = time.timeSigDenominator;
        }
        if (asked(kVstSmpteValid))
            answered.smpteOffset = time.smpteOffset;
        if (asked(kVstClockValid))
            answered.samplesToNextClock = time.samplesToNextClock;
        answered.flags |= static_cast<VstInt32>(filter) & 0xFF00;
        return reinterpret_cast<VstIntPtr>(&answered);
    }

    // One processing block of one frame.
    void block() {
        float l[1] = {0}, r[1] = {0};
        float* channels[2] = {l, r};
        record->processReplacing(record, channels, channels, 1);
    }

    // Runs a block, checks that it asked the host for the time exactly once,
    // and answers that request's filter.
    VstIntPtr blockTimeFilter() {
        Host::calls.clear();
        block();
        EXPECT_EQ(Host::calls.size(), 1u);
        if (Host::calls.size() != 1)
            return -1;
        EXPECT_EQ(Host::calls[0].opcode, audioMasterGetTime);
        EXPECT_EQ(Host::calls[0].effect, record);
        const VstIntPtr filter = Host::calls[0].value;
        Host::calls.clear();
        return filter;
    }

    static VstTimeInfo time;      // what the host knows
    static VstTimeInfo answered;  // what it hands out for the last filter
};

VstTimeInfo ShellPluxHostQueries::time{};
VstTimeInfo ShellPluxHostQueries::answered{};

// Each query has its filter; the block asks once with their union, before
// the sections run, and the queries inside read that answer.
TEST_F(ShellPluxHostQueries, TimeInformationWithFilters) {
    double tempo = -1, playing = -1, recording = -1, quarter = -1, bar = -1;
    size_t hostCallsInside = 99;
    script->inBlock = [&] {
        tempo = script->hostTempo();
        playing = script->hostIsPlaying();
        recording = script->hostIsRecording();
        quarter = script->hostQuarterPosition();
        bar = script->hostBarStart();
        hostCallsInside = Host::calls.size();
    };
    // The filters the queries ask with: tempo 0x400, playing 0x2, recording
    // 0x8, quarter position 0x200, bar start 0x800, signature 0x2000. Not
    // SMPTE (0x4000), clock (0x8000), nanoseconds or cycle.
    EXPECT_EQ(blockTimeFilter(), 0x400 | 0x2 | 0x8 | 0x200 | 0x800 | 0x2000);
    EXPECT_EQ(hostCallsInside, 1u);  // the request before; none from the queries
    EXPECT_EQ(tempo, 128.5);
    EXPECT_EQ(playing, 1.0);
    EXPECT_EQ(recording, 1.0);
    EXPECT_EQ(quarter, 33.75);
    EXPECT_EQ(bar, 32.0);

    // Outside a section the queries read what the last block was told, and
    // the host's later changes arrive with the next block.
    time.tempo = 90.0;
    time.flags = 0;
    EXPECT_EQ(script->hostTempo(), 128.5);
    EXPECT_EQ(script->hostIsPlaying(), 1.0);
    EXPECT_TRUE(Host::calls.empty());
    EXPECT_EQ(blockTimeFilter(), CPlux::kScriptTimeFilter);
    EXPECT_EQ(tempo, 90.0);
    EXPECT_EQ(playing, 0.0);
    EXPECT_EQ(recording, 0.0);

    time.flags = kVstTransportRecording;
    blockTimeFilter();
    EXPECT_EQ(playing, 0.0);
    EXPECT_EQ(recording, 1.0);
    time.flags = kVstTransportPlaying;
    blockTimeFilter();
    EXPECT_EQ(playing, 1.0);
    EXPECT_EQ(recording, 0.0);
}

// A resume asks for the time before the initialisation section as well.
TEST_F(ShellPluxHostQueries, ResumeAsksForTheTimeBeforeTheInitialisation) {
    double tempo = -1, quarter = -1;
    size_t hostCallsInside = 99;
    script->inInit = [&] {
        tempo = script->hostTempo();
        quarter = script->hostQuarterPosition();
        hostCallsInside = Host::calls.size();
    };
    EXPECT_EQ(dispatch(effMainsChanged, 0, 1), 0);
    EXPECT_EQ(tempo, 128.5);
    EXPECT_EQ(quarter, 33.75);
    ASSERT_EQ(Host::calls.size(), 2u);  // wanting MIDI, then the time
    EXPECT_EQ(hostCallsInside, 2u);
    EXPECT_EQ(Host::calls[1].opcode, audioMasterGetTime);
    EXPECT_EQ(Host::calls[1].value, CPlux::kScriptTimeFilter);
}

TEST_F(ShellPluxHostQueries, TempoAndSignatureWriteOnlyGivenDestinations) {
    EXPECT_EQ(blockTimeFilter() & 0x2400, 0x2400);
    double tempo = -1, numerator = -1, denominator = -1;
    EXPECT_TRUE(script->hostTempoAndSignature(&tempo, &numerator, &denominator));
    EXPECT_EQ(tempo, 128.5);
    EXPECT_EQ(numerator, 7.0);
    EXPECT_EQ(denominator, 8.0);

    tempo = numerator = denominator = -1;
    EXPECT_TRUE(script->hostTempoAndSignature(nullptr, &numerator, nullptr));
    EXPECT_EQ(numerator, 7.0);
    EXPECT_EQ(tempo, -1.0);
    EXPECT_EQ(denominator, -1.0);
    EXPECT_TRUE(script->hostTempoAndSignature(&tempo, nullptr, &denominator));
    EXPECT_EQ(tempo, 128.5);
    EXPECT_EQ(denominator, 8.0);
    EXPECT_TRUE(script->hostTempoAndSignature(nullptr, nullptr, nullptr));
    EXPECT_TRUE(Host::calls.empty());  // all from the block's one request

    // Inside the next section, with the signature the host has by then.
    time.timeSigNumerator = 3;
    time.timeSigDenominator = 4;
    tempo = numerator = denominator = -1;
    bool known = false;
    script->inBlock = [&] { known = script->hostTempoAndSignature(nullptr, &numerator, nullptr); };
    blockTimeFilter();
    EXPECT_TRUE(known);
    EXPECT_EQ(numerator, 3.0);
    EXPECT_EQ(tempo, -1.0);
    EXPECT_EQ(denominator, -1.0);
}

TEST_F(ShellPluxHostQueries, WithoutTimeInformationEverythingIsZero) {
    const auto expectAllZero = [this] {
        EXPECT_EQ(script->hostTempo(), 0.0);
        EXPECT_EQ(script->hostIsPlaying(), 0.0);
        EXPECT_EQ(script->hostIsRecording(), 0.0);
        EXPECT_EQ(script->hostQuarterPosition(), 0.0);
        EXPECT_EQ(script->hostBarStart(), 0.0);
        double tempo = -1, numerator = -1, denominator = -1;
        EXPECT_FALSE(script->hostTempoAndSignature(&tempo, &numerator, &denominator));
        EXPECT_EQ(tempo, -1.0);
        EXPECT_EQ(numerator, -1.0);
        EXPECT_EQ(denominator, -1.0);
    };
    {
        SCOPED_TRACE("before the first block nothing was asked");
        expectAllZero();
        EXPECT_TRUE(Host::calls.empty());
    }
    // A host that answered once and then has no time: the old answer is gone.
    blockTimeFilter();
    ASSERT_EQ(script->hostTempo(), 128.5);
    Host::answers.erase(audioMasterGetTime);
    script->inBlock = expectAllZero;
    {
        SCOPED_TRACE("inside the block");
        EXPECT_EQ(blockTimeFilter(), CPlux::kScriptTimeFilter);  // asked once, not per query
    }
    {
        SCOPED_TRACE("after the block");
        expectAllZero();
        EXPECT_TRUE(Host::calls.empty());
    }
}

TEST_F(ShellPluxHostQueries, ValuesKeptByTheWrapper) {
    EXPECT_EQ(script->hostChannelCount(), 2.0);
    EXPECT_EQ(script->hostOutputCount(), 2.0);
    EXPECT_EQ(script->hostSampleRate(), 44100.0);
    EXPECT_EQ(script->hostBlockSize(), 1024.0);

    script->hostSetLatency(256);
    EXPECT_EQ(record->initialDelay, 256);
    script->hostSetLatency(0);
    EXPECT_EQ(record->initialDelay, 0);
    EXPECT_TRUE(Host::calls.empty());  // the host is not told
}

TEST_F(ShellPluxHostQueries, DeclaringASynthChangesTheCategory) {
    const VstInt32 flagsBefore = record->flags;
    EXPECT_TRUE(script->hostDeclareSynth(true));
    EXPECT_EQ(record->flags, flagsBefore | 0x100);
    EXPECT_EQ(dispatch(effGetPlugCategory), 2);
    EXPECT_TRUE(script->hostDeclareSynth(false));
    EXPECT_EQ(record->flags, flagsBefore);
    EXPECT_EQ(dispatch(effGetPlugCategory), 0);
    EXPECT_TRUE(Host::calls.empty());
}

// A display update asked for inside a section reaches the host once the
// section is over and scriptLock is released: one update however often the
// section asked, whatever the host answers.
TEST_F(ShellPluxHostQueries, UpdateDisplayAndAutomation) {
    Host::lockProbe = plux;
    int asked = 0;
    bool answers = true;
    size_t updatesInside = 99;
    script->inBlock = [&] {
        for (int i = 0; i < asked; ++i)
            answers = script->hostUpdateDisplay() && answers;
        updatesInside = Host::countOf(audioMasterUpdateDisplay);
    };
    const auto updatesAfterBlock = [&](int requests) {
        asked = requests;
        answers = true;
        Host::calls.clear();
        block();
        EXPECT_TRUE(answers);
        EXPECT_EQ(updatesInside, 0u);  // not from inside the section
        const size_t updates = Host::countOf(audioMasterUpdateDisplay);
        if (updates > 0) {
            const HostCall& last = Host::calls.back();
            EXPECT_EQ(last.opcode, audioMasterUpdateDisplay);  // after the block
            EXPECT_EQ(last.effect, record);
            EXPECT_FALSE(last.scriptLockHeld);
        }
        for (const HostCall& call : Host::calls)
            EXPECT_FALSE(call.scriptLockHeld) << "opcode " << call.opcode;
        return updates;
    };
    EXPECT_EQ(updatesAfterBlock(1), 1u);  // the host answers 0: sent all the same
    Host::answers[audioMasterUpdateDisplay] = 1;
    EXPECT_EQ(updatesAfterBlock(1), 1u);
    EXPECT_EQ(updatesAfterBlock(3), 1u);
    EXPECT_EQ(updatesAfterBlock(0), 0u);  // the request does not linger

    // Asked during a resume: sent once the initialisation is over.
    script->inInit = [&] { answers = script->hostUpdateDisplay(); };
    answers = false;
    Host::calls.clear();
    EXPECT_EQ(dispatch(effMainsChanged, 0, 1), 0);
    EXPECT_TRUE(answers);
    ASSERT_FALSE(Host::calls.empty());
    EXPECT_EQ(Host::calls.back().opcode, audioMasterUpdateDisplay);
    EXPECT_FALSE(Host::calls.back().scriptLockHeld);
    EXPECT_EQ(Host::countOf(audioMasterUpdateDisplay), 1u);
    Host::lockProbe = nullptr;
    Host::calls.clear();

    EXPECT_TRUE(script->hostSetAutomated(0, 0.75));
    EXPECT_EQ(script->sliderValues[1], 0.75);
    EXPECT_EQ(script->sliders, 2);  // one from the resume
    ASSERT_EQ(Host::calls.size(), 1u);
    EXPECT_EQ(Host::calls[0].opcode, audioMasterAutomate);
    EXPECT_EQ(Host::calls[0].index, 0);
    EXPECT_EQ(Host::calls[0].opt, 0.75f);
}

// The graphics section runs without scriptLock: it reads the time the last
// block was told, and its display update goes to the host after the draw.
TEST_F(ShellPluxHostQueries, GraphicsSectionReadsTheTimeAndAsksForUpdates) {
    double tempo = -1, numerator = -1;
    bool known = false, requested = false;
    size_t hostCallsInside = 99;
    script->inGfx = [&] {
        tempo = script->hostTempo();
        known = script->hostTempoAndSignature(nullptr, &numerator, nullptr);
        requested = script->hostUpdateDisplay();
        hostCallsInside = Host::calls.size();
    };
    plux->drawGraphics(nullptr, 10.0, 10.0);
    EXPECT_EQ(tempo, 0.0);  // no block yet
    EXPECT_FALSE(known);
    EXPECT_EQ(numerator, -1.0);
    EXPECT_TRUE(requested);
    EXPECT_EQ(hostCallsInside, 0u);
    ASSERT_EQ(Host::calls.size(), 1u);
    EXPECT_EQ(Host::calls[0].opcode, audioMasterUpdateDisplay);
    EXPECT_EQ(Host::calls[0].effect, record);

    blockTimeFilter();  // no update left over for the block to send
    time.tempo = 60.0;  // not asked for by a draw
    Host::calls.clear();
    script->inGfx = [&] {
        tempo = script->hostTempo();
        known = script->hostTempoAndSignature(nullptr, &numerator, nullptr);
        hostCallsInside = Host::calls.size();
    };
    plux->drawGraphics(nullptr, 10.0, 10.0);
    EXPECT_EQ(tempo, 128.5);
    EXPECT_TRUE(known);
    EXPECT_EQ(numerator, 7.0);
    EXPECT_EQ(hostCallsInside, 0u);
    EXPECT_TRUE(Host::calls.empty());
}

TEST_F(ShellPluxHostQueries, MidiOutputGoesToTheHostAsOneEvent) {
    EXPECT_FALSE(script->midiSendShort(5, 0x90, 60, 100));  // host answers 0
    ASSERT_EQ(Host::calls.size(), 1u);
    EXPECT_EQ(Host::calls[0].opcode, audioMasterProcessEvents);
    EXPECT_EQ(Host::eventsInLastList, 1);
    VstMidiEvent sent;
    std::memcpy(&sent, Host::lastEvent, sizeof sent);
    EXPECT_EQ(sent.type, 1);
    EXPECT_EQ(sent.byteSize, 32);
    EXPECT_EQ(sent.deltaFrames, 5);
    EXPECT_EQ(static_cast<unsigned char>(sent.midiData[0]), 0x90);
    EXPECT_EQ(sent.midiData[1], 60);
    EXPECT_EQ(sent.midiData[2], 100);

    Host::answers[audioMasterProcessEvents] = 1;
    EXPECT_TRUE(script->midiSendShort(0, 0x80, 60, 0));
    Host::answers[audioMasterProcessEvents] = 2;
    EXPECT_FALSE(script->midiSendShort(0, 0x80, 60, 0));

    char dump[4] = {static_cast<char>(0xF0), 0x7E, 0x7F, static_cast<char>(0xF7)};
    Host::answers[audioMasterProcessEvents] = 1;
    EXPECT_TRUE(script->midiSendSysEx(9, dump, 4));
    EXPECT_EQ(Host::eventsInLastList, 1);
    VstMidiSysexEvent sysex;
    std::memcpy(&sysex, Host::lastEvent, sizeof sysex);
    EXPECT_EQ(sysex.type, 6);
    EXPECT_EQ(sysex.byteSize, 48);
    EXPECT_EQ(sysex.deltaFrames, 9);
    EXPECT_EQ(sysex.dumpBytes, 4);
    EXPECT_EQ(sysex.sysexDump, dump);
}

TEST(ShellPluxUnlinked, HostQueriesOfAScriptWithoutWrapperAreNeutral) {
    Lifetime::destroyed = 0;
    {
        CountingScript lone;
        ASSERT_EQ(lone.plux, nullptr);
        EXPECT_EQ(lone.hostChannelCount(), 0.0);
        EXPECT_EQ(lone.hostOutputCount(), 0.0);
        EXPECT_EQ(lone.hostSampleRate(), 0.0);
        EXPECT_EQ(lone.hostBlockSize(), 0.0);
        EXPECT_EQ(lone.hostTempo(), 0.0);
        EXPECT_EQ(lone.hostIsPlaying(), 0.0);
        EXPECT_EQ(lone.hostIsRecording(), 0.0);
        EXPECT_EQ(lone.hostQuarterPosition(), 0.0);
        EXPECT_EQ(lone.hostBarStart(), 0.0);
        double tempo = -1;
        EXPECT_FALSE(lone.hostTempoAndSignature(&tempo, nullptr, nullptr));
        EXPECT_EQ(tempo, -1.0);
        EXPECT_FALSE(lone.hostUpdateDisplay());
        EXPECT_FALSE(lone.hostSetAutomated(0, 0.5));
        EXPECT_FALSE(lone.hostDeclareSynth(true));
        double delta = 5;
        EXPECT_FALSE(lone.midiReceive(&delta, nullptr, nullptr, nullptr));
        EXPECT_EQ(delta, 0.0);
        EXPECT_FALSE(lone.midiSendShort(0, 0x90, 1, 1));
        EXPECT_EQ(lone.getMasterVersion(), 0.0);
        EXPECT_EQ(lone.getHostVendorVersion(), 0.0);
        EXPECT_EQ(lone.getHostLanguage(), 0.0);
        EXPECT_EQ(lone.getCurrentUniqueId(), 0.0);
    }
    EXPECT_EQ(Lifetime::destroyed, 1);
}

// ---------------------------------------------------------------------------
// Wrapper construction with other callback tables.

TEST(ShellPluxConstruction, EmptyCallbackTableAnswersZeroEverywhere) {
    Host::reset();
    Lifetime::destroyed = 0;
    const TPluxCallbacks empty{};
    CPlux* plux = CPlux::create(new CountingScript, &empty, Host::callback, 1, 3);
    ASSERT_NE(plux, nullptr);
    AEffect* record = plux->getAeffect();
    EXPECT_EQ(record->flags, 0x1010);  // no create binding: no chunks, no identity
    EXPECT_EQ(record->uniqueID, 0x4E6F4566);

    char text[32] = "keep";
    EXPECT_EQ(record->dispatcher(record, effGetEffectName, 0, 0, text, 0.0f), 0);
    EXPECT_EQ(record->dispatcher(record, effGetVendorString, 0, 0, text, 0.0f), 0);
    EXPECT_EQ(record->dispatcher(record, effGetProductString, 0, 0, text, 0.0f), 0);
    EXPECT_EQ(record->dispatcher(record, effGetProgramName, 0, 0, text, 0.0f), 0);
    EXPECT_EQ(record->dispatcher(record, effGetParamName, 0, 0, text, 0.0f), 0);
    EXPECT_STREQ(text, "keep");
    EXPECT_EQ(record->dispatcher(record, effGetVendorVersion, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(record->getParameter(record, 0), 0.0f);
    void* data = nullptr;
    EXPECT_EQ(record->dispatcher(record, effGetChunk, 0, 0, &data, 0.0f), 0);
    EXPECT_EQ(data, nullptr);
    unsigned char chunk[8] = {0, 0, 0x7A, 0xC4, 0, 0, 0, 0};
    EXPECT_EQ(record->dispatcher(record, effSetChunk, 0, 8, chunk, 0.0f), 0);
    // canDo and MIDI input are the wrapper's own.
    char midi[] = "receiveVstMidiEvent";
    EXPECT_EQ(record->dispatcher(record, effCanDo, 0, 0, midi, 0.0f), 1);
    EXPECT_EQ(record->dispatcher(record, effProcessEvents, 0, 0, nullptr, 0.0f), 1);
    float l[2] = {1, 2};
    float* channels[1] = {l};
    record->processReplacing(record, channels, channels, 2);
    EXPECT_EQ(l[0], 1.0f);
    // The editor's operations do nothing without their bindings.
    const auto* script = static_cast<const CountingScript*>(plux->script());
    EXPECT_FALSE(plux->drawsGraphics());
    plux->drawGraphics(nullptr, 10.0, 10.0);
    plux->editorIdle();
    plux->mouseDown(1.0, 2.0, 0x2);
    plux->mouseMove(3.0, 4.0, 0);
    plux->mouseUp(5.0, 6.0, 0x2);
    plux->keyDown('a', 0, 0);
    plux->keyUp('a', 0, 0);
    EXPECT_EQ(script->gfx, 0);
    EXPECT_EQ(script->idles, 0);
    EXPECT_EQ(script->mouseX, 0.0);
    EXPECT_EQ(script->mouseButtons, 0.0);

    EXPECT_EQ(record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(Lifetime::destroyed, 1);  // deleted without a destroy binding too
    Host::reset();
}

TEST(ShellPluxConstruction, CallbackTableIsCopied) {
    Host::reset();
    TPluxCallbacks table = standardPluxCallbacks();
    CPlux* plux = CPlux::create(new CountingScript, &table, Host::callback, 1, 3);
    ASSERT_NE(plux, nullptr);
    table.queryVendorVersion = nullptr;
    AEffect* record = plux->getAeffect();
    EXPECT_EQ(record->dispatcher(record, effGetVendorVersion, 0, 0, nullptr, 0.0f), 777);
    EXPECT_EQ(record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f), 1);
    Host::reset();
}

TEST(ShellPluxConstruction, StandardTableBindsEverythingButKeys) {
    const TPluxCallbacks t = standardPluxCallbacks();
    const void* const slots[] = {
        reinterpret_cast<const void*>(t.create),
        reinterpret_cast<const void*>(t.destroy),
        reinterpret_cast<const void*>(t.open),
        reinterpret_cast<const void*>(t.suspend),
        reinterpret_cast<const void*>(t.resume),
        reinterpret_cast<const void*>(t.idle),
        reinterpret_cast<const void*>(t.close),
        reinterpret_cast<const void*>(t.draw),
        reinterpret_cast<const void*>(t.mouseDown),
        reinterpret_cast<const void*>(t.mouseUp),
        reinterpret_cast<const void*>(t.mouseMove),
        reinterpret_cast<const void*>(t.queryVendorVersion),
        reinterpret_cast<const void*>(t.queryVendorString),
        reinterpret_cast<const void*>(t.queryProductString),
        reinterpret_cast<const void*>(t.queryEffectName),
        reinterpret_cast<const void*>(t.getProgramName),
        reinterpret_cast<const void*>(t.setProgramName),
        reinterpret_cast<const void*>(t.programNameIndexed),
        reinterpret_cast<const void*>(t.getParameter),
        reinterpret_cast<const void*>(t.setParameter),
        reinterpret_cast<const void*>(t.parameterName),
        reinterpret_cast<const void*>(t.parameterLabel),
        reinterpret_cast<const void*>(t.parameterDisplay),
        reinterpret_cast<const void*>(t.process),
        reinterpret_cast<const void*>(t.processDouble),
        reinterpret_cast<const void*>(t.getChunk),
        reinterpret_cast<const void*>(t.setChunk),
    };
    for (size_t i = 0; i < sizeof slots / sizeof slots[0]; ++i)
        EXPECT_NE(slots[i], nullptr) << "slot " << i;
    EXPECT_EQ(t.keyDown, nullptr);
    EXPECT_EQ(t.keyUp, nullptr);
}

// ---------------------------------------------------------------------------
// Assembly of an instance.

class ShellAssembly : public ::testing::Test {
  protected:
    void SetUp() override {
        Host::reset();
        Lifetime::destroyed = 0;
        Lifetime::closed = 0;
    }
    void TearDown() override { Host::reset(); }

    static void close(AEffect* record) {
        EXPECT_EQ(record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f), 1);
    }
    static std::string text(AEffect* record, VstInt32 opcode, VstIntPtr* result = nullptr) {
        char buffer[128];
        std::memset(buffer, 0, sizeof buffer);
        const VstIntPtr r = record->dispatcher(record, opcode, 0, 0, buffer, 0.0f);
        if (result)
            *result = r;
        return buffer;
    }
};

TEST_F(ShellAssembly, AsksTheHostForItsVersionOnceAndNothingElse) {
    AEffect* record = assemblePlugin(Host::callback, new nulltest::TVexmoldEffect);
    ASSERT_NE(record, nullptr);
    ASSERT_EQ(Host::calls.size(), 1u);
    const HostCall& call = Host::calls[0];
    EXPECT_EQ(call.effect, nullptr);
    EXPECT_EQ(call.opcode, audioMasterVersion);
    EXPECT_EQ(call.index, 0);
    EXPECT_EQ(call.value, 0);
    EXPECT_EQ(call.ptr, nullptr);
    EXPECT_EQ(call.opt, 0.0f);
    close(record);
}

TEST_F(ShellAssembly, HostAnsweringZeroGetsNoInstance) {
    Host::answers[audioMasterVersion] = 0;
    EXPECT_EQ(assemblePlugin(Host::callback, new CountingScript), nullptr);
    EXPECT_EQ(Host::calls.size(), 1u);
    EXPECT_EQ(Lifetime::destroyed, 1);  // the script object is not leaked

    EXPECT_EQ(assemblePlugin(nullptr, new CountingScript), nullptr);
    EXPECT_EQ(Lifetime::destroyed, 2);
    EXPECT_EQ(assemblePlugin(Host::callback, nullptr), nullptr);
}

TEST_F(ShellAssembly, NulltestRecord) {
    AEffect* record = assemblePlugin(Host::callback, new nulltest::TVexmoldEffect);
    ASSERT_NE(record, nullptr);
    auto* plux = static_cast<CPlux*>(record->object);
    EXPECT_EQ(record->magic, 0x56737450);
    EXPECT_EQ(record->numPrograms, 1);
    EXPECT_EQ(record->numParams, 2);
    EXPECT_EQ(record->numInputs, 2);
    EXPECT_EQ(record->numOutputs, 2);
    EXPECT_EQ(record->flags, 0x1031);
    EXPECT_EQ(record->uniqueID, 6248);
    EXPECT_EQ(record->version, 1);
    EXPECT_EQ(record->initialDelay, 0);
    EXPECT_EQ(record->ioRatio, 1.0f);
    EXPECT_EQ(plux->script()->plux, plux);

    VstIntPtr result = 0;
    EXPECT_EQ(text(record, effGetEffectName, &result), "KESTRAVON - null testing - (20260721)");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(text(record, effGetProductString, &result), "KESTRAVON - null testing - (20260721)");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(text(record, effGetVendorString, &result), "KESTRAVON");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(text(record, effGetProgramName), "KESTRAVON - null testin");
    EXPECT_EQ(record->dispatcher(record, effGetVendorVersion, 0, 0, nullptr, 0.0f), 1000);
    close(record);
}

TEST_F(ShellAssembly, TonegenRecord) {
    AEffect* record = assemblePlugin(Host::callback, new tonegen::TVexmoldEffect);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->numPrograms, 1);
    EXPECT_EQ(record->numParams, 0);
    EXPECT_EQ(record->numInputs, 2);
    EXPECT_EQ(record->numOutputs, 2);
    EXPECT_EQ(record->flags, 0x1031);
    EXPECT_EQ(record->uniqueID, 1263948871);  // 'KVTG'
    EXPECT_EQ(record->version, 1);
    EXPECT_EQ(text(record, effGetEffectName),
              "KESTRAVON - Tone Generator, 997 Hz, -18 dB FS - (20260720)");
    EXPECT_EQ(text(record, effGetVendorString), "KESTRAVON");
    EXPECT_EQ(record->dispatcher(record, effGetVendorVersion, 0, 0, nullptr, 0.0f), 1000);
    close(record);
}

TEST_F(ShellAssembly, NulltestResumeAsksForMidiAndInitialises) {
    AEffect* record = assemblePlugin(Host::callback, new nulltest::TVexmoldEffect);
    ASSERT_NE(record, nullptr);
    TVexmold* script = static_cast<CPlux*>(record->object)->script();
    record->dispatcher(record, effOpen, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(script->redrawRate, 0.0);
    Host::calls.clear();
    record->dispatcher(record, effMainsChanged, 0, 1, nullptr, 0.0f);
    ASSERT_GE(Host::calls.size(), 1u);
    EXPECT_EQ(Host::calls[0].opcode, audioMasterWantMidi);
    EXPECT_EQ(Host::calls[0].value, 1);
    EXPECT_EQ(Host::calls[0].effect, record);
    EXPECT_EQ(script->redrawRate, 30.0);  // set by the initialisation section
    close(record);
}

TEST_F(ShellAssembly, InstancesAreIndependentAndCloseCleanly) {
    AEffect* a = assemblePlugin(Host::callback, new CountingScript);
    AEffect* b = assemblePlugin(Host::callback, new CountingScript);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    auto* scriptA = static_cast<CPlux*>(a->object)->script();
    auto* scriptB = static_cast<CPlux*>(b->object)->script();
    EXPECT_NE(scriptA, scriptB);
    a->setParameter(a, 0, 1.0f);
    EXPECT_EQ(scriptA->sliderValues[1], 1.0);
    EXPECT_EQ(scriptB->sliderValues[1], 0.25);

    close(a);
    EXPECT_EQ(Lifetime::closed, 1);
    EXPECT_EQ(Lifetime::destroyed, 1);
    EXPECT_EQ(b->getParameter(b, 0), 0.25f);
    close(b);
    EXPECT_EQ(Lifetime::closed, 2);
    EXPECT_EQ(Lifetime::destroyed, 2);
}

}  // namespace
