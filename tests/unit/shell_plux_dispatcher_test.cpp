// The wrapper's dispatcher as the host sees it: fixed answers, the text
// bounds of the host's buffers, the lifecycle, parameters and the state chunk.
#include <gtest/gtest.h>

#include "tests/unit/shell_plux_rig.h"

namespace {

using namespace shell_plux_rig;

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

}  // namespace
