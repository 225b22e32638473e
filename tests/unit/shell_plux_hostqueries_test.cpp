// What script sections ask of the host through the wrapper: time
// information and its filters, kept values, display updates, automation and
// MIDI output; and a script without a wrapper.
#include <gtest/gtest.h>

#include "tests/unit/shell_plux_rig.h"

namespace {

using namespace shell_plux_rig;

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

}  // namespace
