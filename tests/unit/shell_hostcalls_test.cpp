// Calls from the effect base classes into the host: the opcode and the
// arguments each operation sends, and how it reads the host's answer.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "shell/audioeffectx.h"
#include "tests/support/recording_host.h"

namespace {

using plux::testing_support::HostCall;
using plux::testing_support::RecordingHost;

class ShellHostCalls : public ::testing::Test {
  protected:
    void SetUp() override { RecordingHost::reset(); }
    void TearDown() override { RecordingHost::reset(); }

    AudioEffectX effect{RecordingHost::callback, 1, 0};
};

// Objects whose addresses travel as ptr arguments.
char gText[64];
VstEvents gEvents{};
int gSelector = 0;
int gWindow = 0;
int gPath = 0;
int gVendorData = 0;

struct ArgumentCase {
    const char* name;
    std::function<void(AudioEffectX&)> call;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
};

// Operations whose arguments are documented one by one; "—" means all zero.
const std::vector<ArgumentCase>& argumentCases() {
    static const std::vector<ArgumentCase> cases = {
        {"getMasterVersion", [](AudioEffectX& e) { e.getMasterVersion(); }, 1, 0, 0, nullptr, 0},
        {"getCurrentUniqueId", [](AudioEffectX& e) { e.getCurrentUniqueId(); }, 2, 0, 0, nullptr,
         0},
        {"masterIdle", [](AudioEffectX& e) { e.masterIdle(); }, 3, 0, 0, nullptr, 0},
        {"isInputConnected", [](AudioEffectX& e) { e.isInputConnected(3); }, 4, 3, 0, nullptr, 0},
        {"isOutputConnected", [](AudioEffectX& e) { e.isOutputConnected(5); }, 4, 5, 1, nullptr, 0},
        {"wantEvents", [](AudioEffectX& e) { e.wantEvents(1); }, 6, 0, 1, nullptr, 0},
        {"wantEvents default", [](AudioEffectX& e) { e.wantEvents(); }, 6, 0, 1, nullptr, 0},
        {"getTimeInfo", [](AudioEffectX& e) { e.getTimeInfo(0x2400); }, 7, 0, 0x2400, nullptr, 0},
        {"sendVstEventsToHost", [](AudioEffectX& e) { e.sendVstEventsToHost(&gEvents); }, 8, 0, 0,
         &gEvents, 0},
        {"tempoAt", [](AudioEffectX& e) { e.tempoAt(96000); }, 10, 0, 96000, nullptr, 0},
        {"getNumAutomatableParameters", [](AudioEffectX& e) { e.getNumAutomatableParameters(); },
         11, 0, 0, nullptr, 0},
        {"getParameterQuantization", [](AudioEffectX& e) { e.getParameterQuantization(); }, 12, 0,
         0, nullptr, 0},
        {"ioChanged", [](AudioEffectX& e) { e.ioChanged(); }, 13, 0, 0, nullptr, 0},
        {"needIdle", [](AudioEffectX& e) { e.needIdle(); }, 14, 0, 0, nullptr, 0},
        {"sizeWindow", [](AudioEffectX& e) { e.sizeWindow(640, 480); }, 15, 640, 480, nullptr, 0},
        {"updateSampleRate", [](AudioEffectX& e) { e.updateSampleRate(); }, 16, 0, 0, nullptr, 0},
        {"updateBlockSize", [](AudioEffectX& e) { e.updateBlockSize(); }, 17, 0, 0, nullptr, 0},
        {"getInputLatency", [](AudioEffectX& e) { e.getInputLatency(); }, 18, 0, 0, nullptr, 0},
        {"getOutputLatency", [](AudioEffectX& e) { e.getOutputLatency(); }, 19, 0, 0, nullptr, 0},
        {"willProcessReplacing", [](AudioEffectX& e) { e.willProcessReplacing(); }, 22, 0, 0,
         nullptr, 0},
        {"getCurrentProcessLevel", [](AudioEffectX& e) { e.getCurrentProcessLevel(); }, 23, 0, 0,
         nullptr, 0},
        {"getAutomationState", [](AudioEffectX& e) { e.getAutomationState(); }, 24, 0, 0, nullptr,
         0},
        {"setOutputSampleRate", [](AudioEffectX& e) { e.setOutputSampleRate(88200.0f); }, 30, 0, 0,
         nullptr, 88200.0f},
        {"getOutputSpeakerArrangement", [](AudioEffectX& e) { e.getOutputSpeakerArrangement(); },
         31, 0, 0, nullptr, 0},
        {"getHostVendorString", [](AudioEffectX& e) { e.getHostVendorString(gText); }, 32, 0, 0,
         gText, 0},
        {"getHostProductString", [](AudioEffectX& e) { e.getHostProductString(gText); }, 33, 0, 0,
         gText, 0},
        {"getHostVendorVersion", [](AudioEffectX& e) { e.getHostVendorVersion(); }, 34, 0, 0,
         nullptr, 0},
        {"hostVendorSpecific",
         [](AudioEffectX& e) { e.hostVendorSpecific(11, 22, &gVendorData, 3.5f); }, 35, 11, 22,
         &gVendorData, 3.5f},
        {"canHostDo", [](AudioEffectX& e) { e.canHostDo(gText); }, 37, 0, 0, gText, 0},
        {"getHostLanguage", [](AudioEffectX& e) { e.getHostLanguage(); }, 38, 0, 0, nullptr, 0},
        {"openWindow", [](AudioEffectX& e) { e.openWindow(&gWindow); }, 39, 0, 0, &gWindow, 0},
        {"closeWindow", [](AudioEffectX& e) { e.closeWindow(&gWindow); }, 40, 0, 0, &gWindow, 0},
        {"getDirectory", [](AudioEffectX& e) { e.getDirectory(); }, 41, 0, 0, nullptr, 0},
        {"updateDisplay", [](AudioEffectX& e) { e.updateDisplay(); }, 42, 0, 0, nullptr, 0},
        {"beginEdit", [](AudioEffectX& e) { e.beginEdit(7); }, 43, 7, 0, nullptr, 0},
        {"endEdit", [](AudioEffectX& e) { e.endEdit(7); }, 44, 7, 0, nullptr, 0},
        {"openFileSelector", [](AudioEffectX& e) { e.openFileSelector(&gSelector); }, 45, 0, 0,
         &gSelector, 0},
        {"closeFileSelector", [](AudioEffectX& e) { e.closeFileSelector(&gSelector); }, 46, 0, 0,
         &gSelector, 0},
        {"getChunkFile", [](AudioEffectX& e) { e.getChunkFile(&gPath); }, 48, 0, 0, &gPath, 0},
        {"getInputSpeakerArrangement", [](AudioEffectX& e) { e.getInputSpeakerArrangement(); }, 49,
         0, 0, nullptr, 0},
    };
    return cases;
}

TEST_F(ShellHostCalls, EachOperationSendsItsOpcodeAndArguments) {
    for (const ArgumentCase& c : argumentCases()) {
        SCOPED_TRACE(c.name);
        RecordingHost::calls.clear();
        c.call(effect);
        ASSERT_EQ(RecordingHost::calls.size(), 1u);
        const HostCall& call = RecordingHost::calls[0];
        EXPECT_EQ(call.effect, effect.getAeffect());
        EXPECT_EQ(call.opcode, c.opcode);
        EXPECT_EQ(call.index, c.index);
        EXPECT_EQ(call.value, c.value);
        EXPECT_EQ(call.ptr, c.ptr);
        EXPECT_EQ(call.opt, c.opt);
    }
}

// Operations whose arguments follow the published interface; only the
// opcode and the record are checked here.
TEST_F(ShellHostCalls, OfflineAndPlugChainOperationsSendTheirOpcodes) {
    int files = 0;
    int offline = 0;
    const std::vector<std::pair<VstInt32, std::function<void()>>> cases = {
        {20, [&] { effect.getPreviousPlug(0); }},
        {21, [&] { effect.getNextPlug(0); }},
        {25, [&] { effect.offlineStart(&files, 2, 1); }},
        {26, [&] { effect.offlineRead(&offline, 1, true); }},
        {27, [&] { effect.offlineWrite(&offline, 1); }},
        {28, [&] { effect.offlineGetCurrentPass(); }},
        {29, [&] { effect.offlineGetCurrentMetaPass(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        RecordingHost::calls.clear();
        c.second();
        ASSERT_EQ(RecordingHost::calls.size(), 1u);
        EXPECT_EQ(RecordingHost::calls[0].opcode, c.first);
        EXPECT_EQ(RecordingHost::calls[0].effect, effect.getAeffect());
    }
}

TEST_F(ShellHostCalls, TruthAnswersMeanNonZero) {
    int selector = 0;
    char text[64] = "";
    const std::vector<std::pair<const char*, std::function<bool()>>> cases = {
        {"wantEvents", [&] { return effect.wantEvents(1); }},
        {"ioChanged", [&] { return effect.ioChanged(); }},
        {"needIdle", [&] { return effect.needIdle(); }},
        {"sizeWindow", [&] { return effect.sizeWindow(10, 20); }},
        {"offlineStart", [&] { return effect.offlineStart(&selector, 1, 1); }},
        {"offlineRead", [&] { return effect.offlineRead(&selector, 0, false); }},
        {"offlineWrite", [&] { return effect.offlineWrite(&selector, 0); }},
        {"offlineGetCurrentPass", [&] { return effect.offlineGetCurrentPass() == 1; }},
        {"offlineGetCurrentMetaPass", [&] { return effect.offlineGetCurrentMetaPass() == 1; }},
        {"getHostVendorString", [&] { return effect.getHostVendorString(text); }},
        {"getHostProductString", [&] { return effect.getHostProductString(text); }},
        {"canHostDo", [&] { return effect.canHostDo(text); }},
        {"closeWindow", [&] { return effect.closeWindow(&selector); }},
        {"updateDisplay", [&] { return effect.updateDisplay(); }},
        {"beginEdit", [&] { return effect.beginEdit(1); }},
        {"endEdit", [&] { return effect.endEdit(1); }},
        {"openFileSelector", [&] { return effect.openFileSelector(&selector); }},
        {"closeFileSelector", [&] { return effect.closeFileSelector(&selector); }},
        {"getChunkFile", [&] { return effect.getChunkFile(&selector); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        RecordingHost::answerEverything(0);
        EXPECT_FALSE(c.second());
        RecordingHost::answerEverything(1);
        EXPECT_TRUE(c.second());
        RecordingHost::answerEverything(7);
        EXPECT_TRUE(c.second());
        RecordingHost::answerEverything(-1);
        EXPECT_TRUE(c.second());
    }
}

TEST_F(ShellHostCalls, HostResultsAreHandedBack) {
    const std::vector<std::pair<const char*, std::function<VstIntPtr()>>> cases = {
        {"getCurrentUniqueId", [&] { return effect.getCurrentUniqueId(); }},
        {"tempoAt", [&] { return effect.tempoAt(0); }},
        {"getNumAutomatableParameters", [&] { return effect.getNumAutomatableParameters(); }},
        {"getParameterQuantization", [&] { return effect.getParameterQuantization(); }},
        {"getInputLatency", [&] { return effect.getInputLatency(); }},
        {"getOutputLatency", [&] { return effect.getOutputLatency(); }},
        {"willProcessReplacing", [&] { return effect.willProcessReplacing(); }},
        {"getCurrentProcessLevel", [&] { return effect.getCurrentProcessLevel(); }},
        {"getAutomationState", [&] { return effect.getAutomationState(); }},
        {"setOutputSampleRate", [&] { return effect.setOutputSampleRate(44100.0f); }},
        {"getHostVendorVersion", [&] { return effect.getHostVendorVersion(); }},
        {"getHostLanguage", [&] { return effect.getHostLanguage(); }},
        {"hostVendorSpecific", [&] { return effect.hostVendorSpecific(0, 0, nullptr, 0.0f); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        RecordingHost::answerEverything(1234);
        EXPECT_EQ(c.second(), 1234);
        RecordingHost::answerEverything(0);
        EXPECT_EQ(c.second(), 0);
        RecordingHost::answerEverything(-3);
        EXPECT_EQ(c.second(), -3);
    }
}

TEST_F(ShellHostCalls, PointerAnswersAreHandedBack) {
    VstTimeInfo time{};
    AEffect other{};
    VstSpeakerArrangement arrangement{};
    int window = 0;
    char directory[8] = "dir";

    RecordingHost::answers[audioMasterGetTime] = reinterpret_cast<VstIntPtr>(&time);
    RecordingHost::answers[audioMasterGetPreviousPlug] = reinterpret_cast<VstIntPtr>(&other);
    RecordingHost::answers[audioMasterGetNextPlug] = reinterpret_cast<VstIntPtr>(&other);
    RecordingHost::answers[audioMasterGetOutputSpeakerArrangement] =
        reinterpret_cast<VstIntPtr>(&arrangement);
    RecordingHost::answers[audioMasterGetInputSpeakerArrangement] =
        reinterpret_cast<VstIntPtr>(&arrangement);
    RecordingHost::answers[audioMasterOpenWindow] = reinterpret_cast<VstIntPtr>(&window);
    RecordingHost::answers[audioMasterGetDirectory] = reinterpret_cast<VstIntPtr>(directory);

    EXPECT_EQ(effect.getTimeInfo(0), &time);
    EXPECT_EQ(effect.getPreviousPlug(0), &other);
    EXPECT_EQ(effect.getNextPlug(0), &other);
    EXPECT_EQ(effect.getOutputSpeakerArrangement(), &arrangement);
    EXPECT_EQ(effect.getInputSpeakerArrangement(), &arrangement);
    EXPECT_EQ(effect.openWindow(&window), &window);
    EXPECT_EQ(effect.getDirectory(), static_cast<void*>(directory));

    RecordingHost::answers.clear();
    EXPECT_EQ(effect.getTimeInfo(0), nullptr);
    EXPECT_EQ(effect.openWindow(&window), nullptr);
}

TEST_F(ShellHostCalls, MasterVersionIsOneWhenTheHostAnswersZero) {
    EXPECT_EQ(effect.getMasterVersion(), 1);
    RecordingHost::answers[audioMasterVersion] = 2400;
    EXPECT_EQ(effect.getMasterVersion(), 2400);
}

TEST_F(ShellHostCalls, PinIsConnectedWhenTheHostAnswersZero) {
    EXPECT_TRUE(effect.isInputConnected(0));
    EXPECT_TRUE(effect.isOutputConnected(1));
    RecordingHost::answers[audioMasterPinConnected] = 1;
    EXPECT_FALSE(effect.isInputConnected(0));
    EXPECT_FALSE(effect.isOutputConnected(1));
}

TEST_F(ShellHostCalls, SendingEventsSucceedsOnlyWhenTheHostAnswersOne) {
    VstEvents events{};
    EXPECT_FALSE(effect.sendVstEventsToHost(&events));
    RecordingHost::answers[audioMasterProcessEvents] = 1;
    EXPECT_TRUE(effect.sendVstEventsToHost(&events));
    RecordingHost::answers[audioMasterProcessEvents] = 2;
    EXPECT_FALSE(effect.sendVstEventsToHost(&events));
    RecordingHost::answers[audioMasterProcessEvents] = -1;
    EXPECT_FALSE(effect.sendVstEventsToHost(&events));
}

TEST_F(ShellHostCalls, UpdateSampleRateStoresOnlyPositiveAnswers) {
    RecordingHost::answers[audioMasterGetSampleRate] = 48000;
    EXPECT_EQ(effect.updateSampleRate(), 48000.0);
    EXPECT_EQ(effect.getSampleRate(), 48000.0f);

    RecordingHost::answers[audioMasterGetSampleRate] = 0;
    EXPECT_EQ(effect.updateSampleRate(), 48000.0);
    RecordingHost::answers[audioMasterGetSampleRate] = -96000;
    EXPECT_EQ(effect.updateSampleRate(), 48000.0);
    EXPECT_EQ(effect.getSampleRate(), 48000.0f);
}

TEST_F(ShellHostCalls, UpdateBlockSizeStoresOnlyPositiveAnswers) {
    EXPECT_EQ(effect.updateBlockSize(), 1024);  // host answers 0: the stored size
    RecordingHost::answers[audioMasterGetBlockSize] = 256;
    EXPECT_EQ(effect.updateBlockSize(), 256);
    EXPECT_EQ(effect.getBlockSize(), 256);
    RecordingHost::answers[audioMasterGetBlockSize] = -512;
    EXPECT_EQ(effect.updateBlockSize(), 256);
    EXPECT_EQ(effect.getBlockSize(), 256);
}

TEST_F(ShellHostCalls, FileOperationsWithNullPtrDoNotCallTheHost) {
    RecordingHost::answerEverything(1);
    EXPECT_FALSE(effect.openFileSelector(nullptr));
    EXPECT_FALSE(effect.closeFileSelector(nullptr));
    EXPECT_FALSE(effect.getChunkFile(nullptr));
    EXPECT_TRUE(RecordingHost::calls.empty());
}

// Records the host traffic at the moment the parameter is set.
class AutomatedEffect : public AudioEffectX {
  public:
    AutomatedEffect() : AudioEffectX(RecordingHost::callback, 1, 4) {}
    void setParameter(VstInt32 index, float value) override {
        setIndex = index;
        setValue = value;
        callsBeforeSet = RecordingHost::calls.size();
    }
    VstInt32 setIndex = -1;
    float setValue = -1.0f;
    size_t callsBeforeSet = 99;
};

TEST_F(ShellHostCalls, SetParameterAutomatedSetsThenTellsTheHost) {
    AutomatedEffect automated;
    automated.setParameterAutomated(2, 0.625f);
    EXPECT_EQ(automated.setIndex, 2);
    EXPECT_EQ(automated.setValue, 0.625f);
    EXPECT_EQ(automated.callsBeforeSet, 0u);
    ASSERT_EQ(RecordingHost::calls.size(), 1u);
    const HostCall& call = RecordingHost::calls[0];
    EXPECT_EQ(call.effect, automated.getAeffect());
    EXPECT_EQ(call.opcode, audioMasterAutomate);
    EXPECT_EQ(call.index, 2);
    EXPECT_EQ(call.value, 0);
    EXPECT_EQ(call.ptr, nullptr);
    EXPECT_EQ(call.opt, 0.625f);
}

// Answers the MIDI question with a chosen value and records the text.
class MidiAnswerEffect : public AudioEffectX {
  public:
    explicit MidiAnswerEffect(VstInt32 answer)
        : AudioEffectX(RecordingHost::callback, 1, 0), answer_(answer) {}
    VstInt32 canDo(char* text) override {
        question = text ? text : "(null)";
        return answer_;
    }
    std::string question;

  private:
    VstInt32 answer_;
};

TEST_F(ShellHostCalls, ResumeAsksForMidiWhenTheEffectTakesIt) {
    MidiAnswerEffect takesMidi(1);
    takesMidi.resume();
    EXPECT_EQ(takesMidi.question, "receiveVstMidiEvent");
    ASSERT_EQ(RecordingHost::calls.size(), 1u);
    EXPECT_EQ(RecordingHost::calls[0].effect, takesMidi.getAeffect());
    EXPECT_EQ(RecordingHost::calls[0].opcode, audioMasterWantMidi);
    EXPECT_EQ(RecordingHost::calls[0].value, 1);

    // Only an answer of exactly 1 counts.
    for (VstInt32 answer : {0, -1, 2}) {
        SCOPED_TRACE(answer);
        RecordingHost::calls.clear();
        MidiAnswerEffect other(answer);
        other.resume();
        EXPECT_TRUE(RecordingHost::calls.empty());
    }
}

TEST_F(ShellHostCalls, ResumeOfASynthAlwaysAsksForMidi) {
    effect.resume();  // the base class takes no MIDI
    EXPECT_TRUE(RecordingHost::calls.empty());

    MidiAnswerEffect synth(-1);
    synth.isSynth(true);
    synth.resume();
    ASSERT_EQ(RecordingHost::calls.size(), 1u);
    EXPECT_EQ(RecordingHost::calls[0].opcode, audioMasterWantMidi);
    EXPECT_EQ(RecordingHost::calls[0].value, 1);
}

TEST(ShellHostCallsWithoutHost, AnswerZeroExceptVersionAndPins) {
    AudioEffectX effect(nullptr, 1, 0);
    int object = 0;
    char text[16] = "";
    VstEvents events{};

    EXPECT_EQ(effect.getMasterVersion(), 1);
    EXPECT_TRUE(effect.isInputConnected(0));
    EXPECT_TRUE(effect.isOutputConnected(0));

    EXPECT_EQ(effect.getCurrentUniqueId(), 0);
    EXPECT_FALSE(effect.wantEvents(1));
    EXPECT_EQ(effect.getTimeInfo(0xFFFF), nullptr);
    EXPECT_FALSE(effect.sendVstEventsToHost(&events));
    EXPECT_EQ(effect.tempoAt(0), 0);
    EXPECT_EQ(effect.getNumAutomatableParameters(), 0);
    EXPECT_EQ(effect.getParameterQuantization(), 0);
    EXPECT_FALSE(effect.ioChanged());
    EXPECT_FALSE(effect.needIdle());
    EXPECT_FALSE(effect.sizeWindow(100, 100));
    EXPECT_EQ(effect.getInputLatency(), 0);
    EXPECT_EQ(effect.getOutputLatency(), 0);
    EXPECT_EQ(effect.getPreviousPlug(0), nullptr);
    EXPECT_EQ(effect.getNextPlug(0), nullptr);
    EXPECT_EQ(effect.updateSampleRate(), 0.0);
    EXPECT_EQ(effect.updateBlockSize(), 0);
    EXPECT_EQ(effect.willProcessReplacing(), 0);
    EXPECT_EQ(effect.getCurrentProcessLevel(), 0);
    EXPECT_EQ(effect.getAutomationState(), 0);
    EXPECT_FALSE(effect.offlineStart(&object, 1, 1));
    EXPECT_FALSE(effect.offlineRead(&object, 0, true));
    EXPECT_FALSE(effect.offlineWrite(&object, 0));
    EXPECT_EQ(effect.offlineGetCurrentPass(), 0);
    EXPECT_EQ(effect.offlineGetCurrentMetaPass(), 0);
    EXPECT_EQ(effect.setOutputSampleRate(48000.0f), 0);
    EXPECT_EQ(effect.getOutputSpeakerArrangement(), nullptr);
    EXPECT_EQ(effect.getInputSpeakerArrangement(), nullptr);
    EXPECT_FALSE(effect.getHostVendorString(text));
    EXPECT_FALSE(effect.getHostProductString(text));
    EXPECT_EQ(effect.getHostVendorVersion(), 0);
    EXPECT_EQ(effect.hostVendorSpecific(1, 2, &object, 3.0f), 0);
    EXPECT_FALSE(effect.canHostDo(text));
    EXPECT_EQ(effect.getHostLanguage(), 0);
    EXPECT_EQ(effect.openWindow(&object), nullptr);
    EXPECT_FALSE(effect.closeWindow(&object));
    EXPECT_EQ(effect.getDirectory(), nullptr);
    EXPECT_FALSE(effect.updateDisplay());
    EXPECT_FALSE(effect.beginEdit(0));
    EXPECT_FALSE(effect.endEdit(0));
    EXPECT_FALSE(effect.openFileSelector(&object));
    EXPECT_FALSE(effect.closeFileSelector(&object));
    EXPECT_FALSE(effect.getChunkFile(&object));

    // Nothing to call: these only touch the effect itself.
    effect.masterIdle();
    effect.setParameterAutomated(0, 0.5f);
    effect.resume();
}

}  // namespace
