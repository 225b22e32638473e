// The opcode table as a host meets it, including requests that these
// plug-ins do not support and requests with bad arguments.
#include "tests/host/plugin_instance.h"

#include <cstdint>

namespace {

class Dispatcher : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override { fakehost::reset(); }
};

TEST_P(Dispatcher, CapabilityQuery) {
    PluginInstance p(GetParam());
    char midi[] = "receiveVstMidiEvent";
    EXPECT_EQ(p.dispatch(effCanDo, 0, 0, midi), 1);
    for (const char* other : {"bypass", "offline", "receiveVstTimeInfo", "midiProgramNames",
                              "receiveVstMidiEventX", "receiveVstMidi", ""}) {
        std::string text(other);
        EXPECT_EQ(p.dispatch(effCanDo, 0, 0, &text[0]), -1) << other;
    }
    EXPECT_EQ(p.dispatch(effCanDo, 0, 0, nullptr), 0);
}

TEST_P(Dispatcher, Programs) {
    PluginInstance p(GetParam());
    p.dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(p.dispatch(effGetProgram), 0);
    p.dispatch(effSetProgram, 0, 5);  // only one program
    EXPECT_EQ(p.dispatch(effGetProgram), 0);
    p.dispatch(effSetProgram, 0, -1);  // the comparison is signed
    EXPECT_EQ(p.dispatch(effGetProgram), -1);
    char indexed[64] = "untouched";
    EXPECT_EQ(p.dispatch(effGetProgramNameIndexed, 0, 0, indexed), 0);
    EXPECT_STREQ(indexed, "untouched");
}

TEST_P(Dispatcher, ProgramNameIsStoredAndBounded) {
    PluginInstance p(GetParam());
    std::string longName(200, 'x');
    p.dispatch(effSetProgramName, 0, 0, &longName[0]);
    EXPECT_EQ(p.text(effGetProgramName, 0, kVstMaxProgNameLen), std::string(23, 'x'));
    char shortName[] = "Test";
    p.dispatch(effSetProgramName, 0, 0, shortName);
    EXPECT_EQ(p.text(effGetProgramName, 0, kVstMaxProgNameLen), "Test");
    p.dispatch(effSetProgramName, 0, 0, nullptr);
    EXPECT_EQ(p.text(effGetProgramName, 0, kVstMaxProgNameLen), "Test");
}

TEST_P(Dispatcher, FixedAnswers) {
    PluginInstance p(GetParam());
    for (VstInt32 index : {-5, 0, 1, 1000})
        EXPECT_EQ(p.dispatch(effCanBeAutomated, index), 1);
    EXPECT_EQ(p.dispatch(effSetTotalSampleToProcess, 0, 4096), 4096);
    EXPECT_EQ(p.dispatch(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(p.dispatch(effGetTailSize), 0);
    EXPECT_EQ(p.dispatch(effString2Parameter, 0, 0, nullptr), 0);
    VstSpeakerArrangement dummy{};
    VstSpeakerArrangement* in = &dummy;
    VstSpeakerArrangement* out = &dummy;
    EXPECT_EQ(p.dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 0);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(out, nullptr);
}

TEST_P(Dispatcher, UnsupportedAndUnknownOpcodesAnswerZero) {
    PluginInstance p(GetParam());
    char buffer[256] = {};
    const VstInt32 deprecated[] = {effGetVu,
                                   effEditDraw,
                                   effEditMouse,
                                   effEditKey,
                                   effEditTop,
                                   effEditSleep,
                                   effGetNumProgramCategories,
                                   effCopyProgram,
                                   effConnectInput,
                                   effConnectOutput,
                                   effGetCurrentPosition,
                                   effGetDestinationBuffer,
                                   effSetBlockSizeAndSampleRate,
                                   effGetErrorText,
                                   effIdle,
                                   effGetIcon,
                                   effSetViewPosition,
                                   effKeysRequired,
                                   effGetInputProperties,
                                   effGetOutputProperties,
                                   effOfflineNotify,
                                   effOfflinePrepare,
                                   effOfflineRun,
                                   effProcessVarIo,
                                   effSetSpeakerArrangement,
                                   effSetBypass,
                                   effVendorSpecific,
                                   effGetParameterProperties,
                                   effGetMidiProgramName,
                                   effGetMidiProgramCategory,
                                   effHasMidiProgramsChanged,
                                   effGetMidiKeyName,
                                   effBeginSetProgram,
                                   effEndSetProgram,
                                   effShellGetNextPlugin,
                                   effStartProcess,
                                   effStopProcess,
                                   effSetPanLaw,
                                   effBeginLoadBank,
                                   effBeginLoadProgram,
                                   effSetProcessPrecision,
                                   effGetNumMidiInputChannels,
                                   effGetNumMidiOutputChannels};
    for (VstInt32 opcode : deprecated)
        EXPECT_EQ(p.dispatch(opcode, 0, 0, buffer), 0) << opcode;
    for (VstInt32 opcode : {80, 81, 1000, 0x7FFFFFFF, -1, -1000})
        EXPECT_EQ(p.dispatch(opcode, 3, 7, buffer, 1.0f), 0) << opcode;
}

TEST_P(Dispatcher, NullPointersWriteNothingAndAnswerZero) {
    PluginInstance p(GetParam());
    for (VstInt32 opcode :
         {effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName,
          effGetEffectName, effGetVendorString, effGetProductString, effGetChunk, effSetChunk,
          effEditGetRect, effGetProgramNameIndexed, effSetProgramName})
        EXPECT_EQ(p.dispatch(opcode, 0, 4, nullptr), 0) << opcode;
}

TEST_P(Dispatcher, MainsChangedAsksForMidiEveryTime) {
    PluginInstance p(GetParam());
    p.dispatch(effOpen);
    for (int i = 0; i < 3; ++i) {
        p.dispatch(effMainsChanged, 0, 1);
        p.dispatch(effMainsChanged, 0, 0);
    }
    int wantMidi = 0;
    for (const HostCall& c : fakehost::calls()) {
        if (c.opcode == audioMasterWantMidi) {
            EXPECT_EQ(c.value, 1);
            EXPECT_EQ(c.effect, p.effect);
            ++wantMidi;
        }
    }
    EXPECT_EQ(wantMidi, 3);
}

TEST_P(Dispatcher, CloseThroughTheRecordAnswersOne) {
    PluginMain entry = pluginEntry(GetParam());
    AEffect* e = entry(fakehost::callback);
    ASSERT_NE(e, nullptr);
    e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 1);
}

TEST_P(Dispatcher, RecordEntriesRefuseAForeignRecord) {
    PluginInstance p(GetParam());
    AEffect forged = *p.effect;
    forged.magic = 0;
    EXPECT_EQ(forged.dispatcher(&forged, effGetVendorVersion, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(p.effect->dispatcher(nullptr, effGetVendorVersion, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(p.effect->getParameter(nullptr, 0), 0.0f);
    p.effect->setParameter(nullptr, 0, 0.5f);
    p.effect->processReplacing(nullptr, nullptr, nullptr, 16);
    p.effect->processDoubleReplacing(nullptr, nullptr, nullptr, 16);
    EXPECT_EQ(p.dispatch(effGetVendorVersion), 1000);
}

INSTANTIATE_TEST_SUITE_P(Plugins, Dispatcher, ::testing::Values("nulltest", "tonegen"));

}  // namespace
