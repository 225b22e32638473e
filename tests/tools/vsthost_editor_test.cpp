// `vsthost editor` against a scripted plug-in with an editor and a fake
// platform whose clock moves only when the command sleeps: the host's call
// order, the real-time pace of audio and idles, the audio the plug-in hears,
// and every way the command refuses or fails.
#include "tests/support/scratch_dir.h"
#include "tools/common/audio_file.h"
#include "tools/vsthost/commands.h"
#include "tools/vsthost/signal_generator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace plux::vsthost;

// One event log shared by the plug-in and the platform, in call order.
std::vector<std::string> events;
double clockMs = 0.0;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::size_t countOf(const std::string& event) {
    std::size_t n = 0;
    for (const auto& e : events)
        n += e == event ? 1 : 0;
    return n;
}

std::ptrdiff_t indexOf(const std::string& event) {
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (events[i] == event)
            return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
}

// A plug-in with two inputs and an editor whose answers each test can change.
struct ScriptedPlugin {
    AEffect effect{};
    ERect rect{0, 0, 250, 500};
    VstIntPtr getRectAnswer = 1;
    VstIntPtr editOpenAnswer = 1;
    void* editorParent = nullptr;
    float sampleRate = 0.0f;
    VstIntPtr blockSize = 0;
    std::vector<std::vector<float>> heard{2};  // every input sample, per input
    std::vector<double> blockTimes;            // clock at each processReplacing
    std::vector<double> idleTimes;             // clock at each effEditIdle
    int entryCalls = 0;
};
ScriptedPlugin plugin;

const char* opcodeName(VstInt32 opcode) {
    switch (opcode) {
    case effOpen:
        return "effOpen";
    case effClose:
        return "effClose";
    case effSetSampleRate:
        return "effSetSampleRate";
    case effSetBlockSize:
        return "effSetBlockSize";
    case effMainsChanged:
        return "effMainsChanged";
    case effStartProcess:
        return "effStartProcess";
    case effStopProcess:
        return "effStopProcess";
    case effEditGetRect:
        return "effEditGetRect";
    case effEditOpen:
        return "effEditOpen";
    case effEditClose:
        return "effEditClose";
    case effEditIdle:
        return "effEditIdle";
    default:
        return "other";
    }
}

VstIntPtr dispatch(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr value, void* ptr, float opt) {
    std::string name = opcodeName(opcode);
    if (opcode == effMainsChanged)
        name += " " + std::to_string(value);
    if (opcode != effEditIdle)  // thousands of them: counted through idleTimes
        events.push_back(name);
    switch (opcode) {
    case effSetSampleRate:
        plugin.sampleRate = opt;
        return 1;
    case effSetBlockSize:
        plugin.blockSize = value;
        return 1;
    case effEditGetRect:
        *static_cast<ERect**>(ptr) = plugin.getRectAnswer ? &plugin.rect : nullptr;
        return plugin.getRectAnswer;
    case effEditOpen:
        plugin.editorParent = ptr;
        return plugin.editOpenAnswer;
    case effEditIdle:
        plugin.idleTimes.push_back(clockMs);
        return 1;
    default:
        return 0;
    }
}

void processReplacing(AEffect*, float** inputs, float** outputs, VstInt32 frames) {
    plugin.blockTimes.push_back(clockMs);
    for (std::size_t k = 0; k < 2; ++k) {
        plugin.heard[k].insert(plugin.heard[k].end(), inputs[k], inputs[k] + frames);
        std::fill(outputs[k], outputs[k] + frames, 0.0f);
    }
}

AEffect* scriptedEntry(audioMasterCallback) {
    ++plugin.entryCalls;
    plugin.effect.magic = kEffectMagic;
    plugin.effect.dispatcher = dispatch;
    plugin.effect.processReplacing = processReplacing;
    plugin.effect.numInputs = 2;
    plugin.effect.numOutputs = 2;
    return &plugin.effect;
}

class FakePlatform : public EditorPlatform {
  public:
    void* openWindow(int width, int height, std::string& error) override {
        events.push_back("openWindow " + std::to_string(width) + "x" + std::to_string(height));
        if (!windowWorks) {
            error = "no window today";
            return nullptr;
        }
        return &window;
    }
    void pumpMessages() override { ++pumps; }
    bool saveEditorImage(const std::string& path, int& width, int& height,
                         std::string& error) override {
        events.push_back("save " + path);
        savedAt = clockMs;
        width = 500;
        height = 250;
        if (!saveWorks)
            error = "cannot read the pixels";
        return saveWorks;
    }
    void closeWindow() override { events.push_back("closeWindow"); }
    double milliseconds() override { return clockMs; }
    void sleep(double ms) override {
        EXPECT_GT(ms, 0.0);
        clockMs += ms;
    }

    void reset() {
        windowWorks = true;
        saveWorks = true;
        pumps = 0;
        savedAt = -1.0;
    }

    int window = 0;  // its address is the window handle
    bool windowWorks = true;
    bool saveWorks = true;
    int pumps = 0;
    double savedAt = -1.0;
};

class VsthostEditor : public ::testing::Test {
  protected:
    void SetUp() override {
        events.clear();
        clockMs = 1000.0;  // the command must measure from its own start
        plugin = ScriptedPlugin{};
        plugin.effect.flags = effFlagsHasEditor | effFlagsCanReplacing;
        platform.reset();
        out.str("");
        err.str("");
        options = EditorOptions{};
        options.plugin = "scripted.dll";
        options.outPath = "shot.png";
    }

    int run() { return runEditor(scriptedEntry, options, platform, out, err); }

    EditorOptions options;
    FakePlatform platform;
    std::ostringstream out, err;
};

TEST_F(VsthostEditor, DrivesTheEditorLikeAHostForOneSecond) {
    ASSERT_EQ(run(), kExitOk) << err.str();
    EXPECT_EQ(plugin.sampleRate, 48000.0f);
    EXPECT_EQ(plugin.blockSize, 512);
    EXPECT_EQ(plugin.editorParent, &platform.window);
    const std::vector<std::string> order = {
        "effOpen",           "effSetSampleRate", "effSetBlockSize",    "effMainsChanged 1",
        "effStartProcess",   "effEditGetRect",   "openWindow 500x250", "effEditOpen",
        "save shot.png",     "effEditClose",     "closeWindow",        "effStopProcess",
        "effMainsChanged 0", "effClose"};
    EXPECT_EQ(events, order);

    // Blocks of 512 at 48 kHz start every 10.67 ms: 94 of them begin within
    // the second. Idles at 0, 15, ..., 990 ms: 67.
    EXPECT_EQ(plugin.blockTimes.size(), 94u);
    EXPECT_EQ(plugin.idleTimes.size(), 67u);
    EXPECT_GE(platform.pumps, 67);
    EXPECT_DOUBLE_EQ(platform.savedAt, 2000.0);
    EXPECT_TRUE(contains(out.str(), "editor: 500 x 250\n")) << out.str();
    EXPECT_TRUE(contains(out.str(), "played 48128 frames at 48000 Hz in blocks of 512, "
                                    "67 editor idles in 1.00 s\n"))
        << out.str();
    EXPECT_TRUE(contains(out.str(), "saved 500 x 250 pixels to shot.png\n")) << out.str();
    EXPECT_TRUE(err.str().empty()) << err.str();
}

TEST_F(VsthostEditor, PacesBlocksAndIdlesByTheClock) {
    options.seconds = 0.25;
    options.rate = 44100;
    options.blockSize = 441;  // 10 ms a block
    ASSERT_EQ(run(), kExitOk) << err.str();
    ASSERT_EQ(plugin.blockTimes.size(), 25u);
    for (std::size_t k = 0; k < plugin.blockTimes.size(); ++k) {
        // Never ahead of the audio clock, and never a whole block behind it.
        const double due = 1000.0 + 10.0 * static_cast<double>(k);
        EXPECT_GE(plugin.blockTimes[k], due - 1e-9) << k;
        EXPECT_LT(plugin.blockTimes[k], due + 10.0) << k;
    }
    ASSERT_EQ(plugin.idleTimes.size(), 17u);  // 0, 15, ..., 240 ms
    for (std::size_t i = 1; i < plugin.idleTimes.size(); ++i)
        EXPECT_NEAR(plugin.idleTimes[i] - plugin.idleTimes[i - 1], 15.0, 1e-9) << i;
    EXPECT_DOUBLE_EQ(platform.savedAt, 1250.0);
}

TEST_F(VsthostEditor, SilenceByDefault) {
    options.seconds = 0.05;
    ASSERT_EQ(run(), kExitOk) << err.str();
    ASSERT_EQ(plugin.heard[0].size(), 5u * 512u);
    for (const auto& input : plugin.heard) {
        for (float s : input)
            ASSERT_EQ(s, 0.0f);
    }
}

TEST_F(VsthostEditor, LoopsTheInputFileAtItsRate) {
    // Mono, five frames: both inputs hear 0.1 ... 0.5 over and over, across
    // block boundaries that do not line up with the loop.
    plux::audio::Audio file;
    file.sampleRate = 8000;
    file.channels = {{0.1, 0.2, 0.3, 0.4, 0.5}};
    const std::string path = (plux::testing_support::scratchDir() / "loop.wav").u8string();
    std::string error;
    ASSERT_TRUE(plux::audio::writeFile(std::filesystem::u8path(path), file,
                                       plux::audio::Encoding::Float32, plux::audio::Container::Wav,
                                       error))
        << error;
    options.inPath = path;
    options.blockSize = 3;
    options.seconds = 0.01;  // 80 frames: 27 blocks of 3 start within 10 ms
    ASSERT_EQ(run(), kExitOk) << err.str();
    EXPECT_EQ(plugin.sampleRate, 8000.0f);
    for (const auto& input : plugin.heard) {
        ASSERT_EQ(input.size(), 81u);
        for (std::size_t n = 0; n < input.size(); ++n)
            ASSERT_EQ(input[n], static_cast<float>(file.channels[0][n % 5])) << n;
    }

    plugin = ScriptedPlugin{};
    plugin.effect.flags = effFlagsHasEditor;
    options.rate = 16000;  // overrides the file's rate, as render does
    ASSERT_EQ(run(), kExitOk) << err.str();
    EXPECT_EQ(plugin.sampleRate, 16000.0f);
    EXPECT_EQ(plugin.heard[0].size(), 162u);  // 54 blocks in 10 ms
}

TEST_F(VsthostEditor, GeneratedSignalRunsOnWithoutRestarting) {
    TestSignal sine;
    sine.kind = TestSignal::Kind::Sine;
    sine.frequency = 997.0;
    sine.amplitude = 0.5;
    options.signal = sine;
    options.seconds = 0.1;
    ASSERT_EQ(run(), kExitOk) << err.str();
    const std::size_t frames = plugin.heard[0].size();
    ASSERT_EQ(frames, 10u * 512u);  // 4800 frames need 10 blocks
    const plux::audio::Audio expected = generateSignal(sine, 48000, 1, frames);
    for (std::size_t n = 0; n < frames; ++n) {
        ASSERT_EQ(plugin.heard[0][n], static_cast<float>(expected.channels[0][n])) << n;
        ASSERT_EQ(plugin.heard[1][n], plugin.heard[0][n]) << n;
    }
}

TEST_F(VsthostEditor, RefusesAPlugInWithoutAnEditor) {
    plugin.effect.flags = effFlagsCanReplacing;
    EXPECT_EQ(run(), kExitFailure);
    EXPECT_EQ(err.str(), "vsthost: error: the plug-in has no editor (effFlagsHasEditor is "
                         "not set)\n");
    EXPECT_EQ(indexOf("openWindow 500x250"), -1);
    EXPECT_EQ(countOf("effClose"), 1u);
    EXPECT_TRUE(plugin.blockTimes.empty());
}

TEST_F(VsthostEditor, RefusesAnEditorWithoutASize) {
    plugin.getRectAnswer = 0;
    EXPECT_EQ(run(), kExitFailure);
    EXPECT_TRUE(contains(err.str(), "vsthost: error: the plug-in has no editor "
                                    "(effEditGetRect answered 0)"))
        << err.str();
    EXPECT_EQ(indexOf("openWindow 500x250"), -1);
    EXPECT_EQ(countOf("effMainsChanged 0"), 1u);
    EXPECT_EQ(countOf("effClose"), 1u);

    SetUp();
    plugin.rect = ERect{10, 20, 10, 120};  // 100 wide, 0 high
    EXPECT_EQ(run(), kExitFailure);
    EXPECT_TRUE(contains(err.str(), "editor rectangle is empty (100 x 0)")) << err.str();
    EXPECT_EQ(indexOf("effEditOpen"), -1);
}

TEST_F(VsthostEditor, ReportsTheSizeFromAnOffsetRectangle) {
    plugin.rect = ERect{5, 7, 105, 107};
    options.seconds = 0.01;
    ASSERT_EQ(run(), kExitOk) << err.str();
    EXPECT_NE(indexOf("openWindow 100x100"), -1);
    EXPECT_TRUE(contains(out.str(), "editor: 100 x 100\n")) << out.str();
}

TEST_F(VsthostEditor, ClosesEverythingWhenAStepFails) {
    platform.windowWorks = false;
    EXPECT_EQ(run(), kExitFailure);
    EXPECT_EQ(err.str(), "vsthost: error: no window today\n");
    EXPECT_EQ(indexOf("effEditOpen"), -1);
    EXPECT_EQ(indexOf("closeWindow"), -1);
    EXPECT_EQ(countOf("effClose"), 1u);

    SetUp();
    plugin.editOpenAnswer = 0;
    EXPECT_EQ(run(), kExitFailure);
    EXPECT_TRUE(contains(err.str(), "effEditOpen failed")) << err.str();
    EXPECT_EQ(indexOf("effEditClose"), -1);  // nothing was opened
    EXPECT_LT(indexOf("closeWindow"), indexOf("effClose"));
    EXPECT_NE(indexOf("closeWindow"), -1);
    EXPECT_TRUE(plugin.blockTimes.empty());

    SetUp();
    platform.saveWorks = false;
    options.seconds = 0.01;
    EXPECT_EQ(run(), kExitFailure);
    EXPECT_EQ(err.str(), "vsthost: error: cannot read the pixels\n");
    EXPECT_TRUE(out.str().find("saved") == std::string::npos) << out.str();
    const std::vector<std::string> tail = {"save shot.png",  "effEditClose",      "closeWindow",
                                           "effStopProcess", "effMainsChanged 0", "effClose"};
    ASSERT_GE(events.size(), tail.size());
    EXPECT_EQ(std::vector<std::string>(events.end() - static_cast<std::ptrdiff_t>(tail.size()),
                                       events.end()),
              tail);
}

TEST_F(VsthostEditor, AMissingInputFileFailsBeforeThePlugInLoads) {
    options.inPath = (plux::testing_support::scratchDir() / "absent.wav").u8string();
    EXPECT_EQ(run(), kExitFailure);
    EXPECT_TRUE(contains(err.str(), "vsthost: error: ")) << err.str();
    EXPECT_EQ(plugin.entryCalls, 0);
    EXPECT_TRUE(events.empty());
}

}  // namespace
