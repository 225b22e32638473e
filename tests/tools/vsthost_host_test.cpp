// The host side of vsthost against a probe plug-in that records what the host
// does: callback answers, transport, call order, block splitting, channels.
#include "tools/vsthost/host_callback.h"
#include "tools/vsthost/plugin_session.h"
#include "tools/vsthost/render_engine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using plux::vsthost::HostContext;
using plux::vsthost::PluginSession;

VstIntPtr callHost(VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr) {
    return HostContext::callback(nullptr, opcode, 0, value, ptr, 0.0f);
}

const VstTimeInfo& hostTime() {
    return *reinterpret_cast<const VstTimeInfo*>(callHost(audioMasterGetTime, kVstTempoValid));
}

TEST(VsthostCallback, AnswersVersionEvenBeforeAHostExists) {
    EXPECT_EQ(callHost(audioMasterVersion), 2400);
    EXPECT_EQ(callHost(audioMasterGetTime), 0);
}

TEST(VsthostCallback, AnswersRateBlockSizeAndCanDo) {
    HostContext host;
    host.setSampleRate(96000.0);
    host.setBlockSize(333);
    EXPECT_EQ(callHost(audioMasterGetSampleRate), 96000);
    EXPECT_EQ(callHost(audioMasterGetBlockSize), 333);
    char timeInfo[] = "sendVstTimeInfo";
    char events[] = "sendVstEvents";
    char unknown[] = "makeCoffee";
    EXPECT_EQ(callHost(audioMasterCanDo, 0, timeInfo), 1);
    EXPECT_EQ(callHost(audioMasterCanDo, 0, events), -1);
    EXPECT_EQ(callHost(audioMasterCanDo, 0, unknown), 0);
    EXPECT_EQ(callHost(audioMasterCanDo, 0, nullptr), 0);
    EXPECT_EQ(callHost(audioMasterGetVendorString), 0);
    EXPECT_EQ(callHost(audioMasterAutomate), 0);
    EXPECT_EQ(callHost(12345), 0);
}

TEST(VsthostCallback, TimeInfoFollowsTheTransport) {
    HostContext host;
    host.setSampleRate(48000.0);
    const VstTimeInfo& idle = hostTime();
    EXPECT_EQ(idle.samplePos, 0.0);
    EXPECT_EQ(idle.sampleRate, 48000.0);
    EXPECT_EQ(idle.tempo, 120.0);
    EXPECT_EQ(idle.timeSigNumerator, 4);
    EXPECT_EQ(idle.timeSigDenominator, 4);
    EXPECT_EQ(idle.flags & kVstTransportPlaying, 0);
    const VstInt32 valid =
        kVstNanosValid | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
    EXPECT_EQ(idle.flags & valid, valid);
    EXPECT_EQ(idle.flags & (kVstCyclePosValid | kVstSmpteValid | kVstClockValid), 0);

    host.start();
    EXPECT_EQ(hostTime().flags & (kVstTransportPlaying | kVstTransportChanged),
              kVstTransportPlaying | kVstTransportChanged);
    host.advance(48000);  // one second: two quarter notes at 120 bpm
    const VstTimeInfo& t1 = hostTime();
    EXPECT_EQ(t1.samplePos, 48000.0);
    EXPECT_EQ(t1.ppqPos, 2.0);
    EXPECT_EQ(t1.barStartPos, 0.0);
    EXPECT_EQ(t1.nanoSeconds, 1e9);
    EXPECT_EQ(t1.flags & kVstTransportChanged, 0);
    EXPECT_NE(t1.flags & kVstTransportPlaying, 0);
    host.advance(72000);  // 2.5 s: 5 quarters, inside the second bar
    const VstTimeInfo& t2 = hostTime();
    EXPECT_EQ(t2.ppqPos, 5.0);
    EXPECT_EQ(t2.barStartPos, 4.0);
    host.stop();
    EXPECT_EQ(hostTime().flags & kVstTransportPlaying, 0);
}

TEST(VsthostCallback, InactiveAfterTheHostIsGone) {
    { HostContext host; }
    EXPECT_EQ(callHost(audioMasterGetBlockSize), 0);
    EXPECT_EQ(callHost(audioMasterVersion), 2400);
}

// A plug-in that logs dispatcher calls and reports, per block, the frames it
// was given and the transport position the host reported.
struct Probe {
    AEffect effect{};
    audioMasterCallback host = nullptr;
    std::vector<std::string> calls;
    std::vector<VstInt32> blockFrames;
    std::vector<double> blockPositions;
};

Probe* probe = nullptr;

VstIntPtr probeDispatcher(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr value, void*, float opt) {
    switch (opcode) {
    case effOpen:
        probe->calls.push_back("open");
        break;
    case effClose:
        probe->calls.push_back("close");
        break;
    case effSetSampleRate:
        probe->calls.push_back("rate " + std::to_string(static_cast<int>(opt)));
        break;
    case effSetBlockSize:
        probe->calls.push_back("block " + std::to_string(value));
        break;
    case effSetProcessPrecision:
        probe->calls.push_back("precision " + std::to_string(value));
        break;
    case effMainsChanged:
        probe->calls.push_back("mains " + std::to_string(value));
        break;
    case effStartProcess:
        probe->calls.push_back("start");
        break;
    case effStopProcess:
        probe->calls.push_back("stop");
        break;
    default:
        break;
    }
    return 0;
}

// Outputs: input 0, input 1, and the absolute sample index from the host's clock.
template <typename T> void probeProcess(AEffect*, T** in, T** out, VstInt32 frames) {
    const auto* time = reinterpret_cast<const VstTimeInfo*>(
        probe->host(&probe->effect, audioMasterGetTime, 0, kVstTempoValid, nullptr, 0.0f));
    probe->blockFrames.push_back(frames);
    probe->blockPositions.push_back(time->samplePos);
    for (VstInt32 i = 0; i < frames; ++i) {
        out[0][i] = in[0][i];
        out[1][i] = in[1][i];
        out[2][i] = static_cast<T>(time->samplePos + i);
    }
}

AEffect* probeEntry(audioMasterCallback host) {
    probe->host = host;
    return &probe->effect;
}

class VsthostProbe : public ::testing::Test {
  protected:
    void SetUp() override {
        probe = &state_;
        AEffect& e = state_.effect;
        e.magic = kEffectMagic;
        e.dispatcher = probeDispatcher;
        e.numInputs = 2;
        e.numOutputs = 3;
        e.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
        e.processReplacing = probeProcess<float>;
        e.processDoubleReplacing = probeProcess<double>;
    }
    void TearDown() override { probe = nullptr; }

    plux::audio::Audio ramp(std::size_t channels, std::size_t frames) {
        plux::audio::Audio a;
        a.sampleRate = 44100;
        a.channels.assign(channels, std::vector<double>(frames));
        for (std::size_t c = 0; c < channels; ++c) {
            for (std::size_t i = 0; i < frames; ++i)
                a.channels[c][i] = (c + 1) * 0.001 * i;
        }
        return a;
    }

    Probe state_;
};

TEST_F(VsthostProbe, LifecycleFollowsTheHostOrder) {
    HostContext host;
    {
        PluginSession session;
        std::string error;
        ASSERT_TRUE(session.open(probeEntry, error)) << error;
        session.configure(host, 44100.0, 256);
        ASSERT_TRUE(session.setPrecision(true, error)) << error;
        session.resume();
    }  // the destructor suspends and closes
    EXPECT_EQ(state_.calls,
              (std::vector<std::string>{"open", "rate 44100", "block 256", "precision 1", "mains 1",
                                        "start", "stop", "mains 0", "close"}));
}

TEST_F(VsthostProbe, SplitsIntoBlocksAndAdvancesTheClock) {
    HostContext host;
    PluginSession session;
    std::string error;
    ASSERT_TRUE(session.open(probeEntry, error));
    session.configure(host, 44100.0, 300);
    session.resume();
    const plux::audio::Audio input = ramp(2, 1000);
    plux::audio::Audio output;
    ASSERT_TRUE(plux::vsthost::render(session, host, input, {300, true}, output, error)) << error;
    EXPECT_EQ(state_.blockFrames, (std::vector<VstInt32>{300, 300, 300, 100}));
    EXPECT_EQ(state_.blockPositions, (std::vector<double>{0, 300, 600, 900}));
    EXPECT_EQ(host.samplePosition(), 1000.0);
    ASSERT_EQ(output.channels.size(), 3u);
    EXPECT_EQ(output.sampleRate, 44100);
    EXPECT_EQ(output.channels[0], input.channels[0]);
    EXPECT_EQ(output.channels[1], input.channels[1]);
    for (std::size_t i = 0; i < 1000; ++i)
        ASSERT_EQ(output.channels[2][i], static_cast<double>(i));
}

TEST_F(VsthostProbe, MonoInputFeedsEveryPluginInput) {
    HostContext host;
    PluginSession session;
    std::string error;
    ASSERT_TRUE(session.open(probeEntry, error));
    session.configure(host, 44100.0, 64);
    const plux::audio::Audio input = ramp(1, 100);
    plux::audio::Audio output;
    ASSERT_TRUE(plux::vsthost::render(session, host, input, {64, true}, output, error));
    EXPECT_EQ(output.channels[0], input.channels[0]);
    EXPECT_EQ(output.channels[1], input.channels[0]);
}

TEST_F(VsthostProbe, SurplusInputChannelsAreDropped) {
    HostContext host;
    PluginSession session;
    std::string error;
    ASSERT_TRUE(session.open(probeEntry, error));
    session.configure(host, 44100.0, 64);
    const plux::audio::Audio input = ramp(3, 50);
    plux::audio::Audio output;
    ASSERT_TRUE(plux::vsthost::render(session, host, input, {64, false}, output, error));
    ASSERT_EQ(output.channels.size(), 3u);
    for (std::size_t i = 0; i < 50; ++i) {
        EXPECT_EQ(output.channels[0][i],
                  static_cast<double>(static_cast<float>(input.channels[0][i])));
        EXPECT_EQ(output.channels[1][i],
                  static_cast<double>(static_cast<float>(input.channels[1][i])));
    }
    EXPECT_EQ(state_.blockFrames, (std::vector<VstInt32>{50}));
}

TEST_F(VsthostProbe, RefusesMissingProcessingCalls) {
    state_.effect.flags = effFlagsCanReplacing;
    state_.effect.processDoubleReplacing = nullptr;
    HostContext host;
    PluginSession session;
    std::string error;
    ASSERT_TRUE(session.open(probeEntry, error));
    EXPECT_FALSE(session.setPrecision(true, error));
    EXPECT_NE(error.find("processDoubleReplacing"), std::string::npos) << error;
    plux::audio::Audio output;
    EXPECT_FALSE(plux::vsthost::render(session, host, ramp(2, 10), {16, true}, output, error));
    EXPECT_TRUE(state_.blockFrames.empty());
}

TEST_F(VsthostProbe, ParameterIndexIsChecked) {
    HostContext host;
    PluginSession session;
    std::string error;
    ASSERT_TRUE(session.open(probeEntry, error));
    EXPECT_FALSE(session.setParameter(0, 0.5f, error));  // the probe has no parameters
    EXPECT_NE(error.find("parameter 0 does not exist"), std::string::npos) << error;
}

TEST_F(VsthostProbe, ChunksNeedTheProgramChunksFlag) {
    HostContext host;
    PluginSession session;
    std::string error;
    ASSERT_TRUE(session.open(probeEntry, error));
    std::vector<std::uint8_t> bytes = {1, 2, 3};
    EXPECT_FALSE(session.setChunk(bytes, error));
    EXPECT_NE(error.find("effFlagsProgramChunks"), std::string::npos) << error;
    EXPECT_FALSE(session.getChunk(bytes, error));
    EXPECT_TRUE(bytes.empty());
}

AEffect* nullEntry(audioMasterCallback) {
    return nullptr;
}

AEffect* badMagicEntry(audioMasterCallback) {
    static AEffect e{};
    e.magic = 0x12345678;
    return &e;
}

TEST(VsthostSession, RefusesBrokenEntryPoints) {
    HostContext host;
    std::string error;
    {
        PluginSession session;
        EXPECT_FALSE(session.open(nullEntry, error));
        EXPECT_NE(error.find("no AEffect"), std::string::npos) << error;
        EXPECT_EQ(session.effect(), nullptr);
    }
    {
        PluginSession session;
        EXPECT_FALSE(session.open(badMagicEntry, error));
        EXPECT_NE(error.find("0x12345678"), std::string::npos) << error;
        EXPECT_EQ(session.effect(), nullptr);
    }
}

}  // namespace
