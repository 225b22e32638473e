// nullmeter --plugin: our own null-test plug-in passes its transparency test
// at every block size and precision; the delay fixture's latency, reported
// truly, falsely or changed through audioMasterIOChanged, is measured and
// judged; a reference file; and the options, plug-ins and inputs refused.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/noise_signal.h"
#include "tests/tools/nullmeter_command.h"
#include "tests/support/scratch_dir.h"
#include "tools/common/audio_file.h"
#include "tools/nullmeter/block_sizes.h"
#include "tools/nullmeter/options.h"
#include "tools/nullmeter/plugin_report.h"
#include "tools/vsthost/host_callback.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using namespace nullmeter;
namespace fs = std::filesystem;

constexpr int kRate = 48000;
constexpr std::size_t kFrames = 12000;

TEST(NullmeterPluginOptions, PluginOptionsAreReadAndBadOnesRefused) {
    Options o;
    std::string error;
    ASSERT_TRUE(parseOptions({"--plugin", "p.so", "--block", "random:7", "--precision", "64",
                              "--rate", "48000", "--reference", "r.wav", "in.wav"},
                             o, error))
        << error;
    EXPECT_EQ(o.plugin, "p.so");
    EXPECT_EQ(o.reference, "r.wav");
    EXPECT_TRUE(o.randomBlocks);
    EXPECT_EQ(o.blockSeed, 7u);
    EXPECT_EQ(o.precision, 64);
    EXPECT_EQ(o.rate, 48000);
    Options sized;
    ASSERT_TRUE(parseOptions({"--plugin", "p.so", "--block", "65536", "in.wav"}, sized, error));
    EXPECT_EQ(sized.blockSize, 65536);
    EXPECT_FALSE(sized.randomBlocks);
    const std::vector<std::vector<std::string>> bad = {
        {"--plugin", "p.so", "--block", "0", "in.wav"},
        {"--plugin", "p.so", "--block", "65537", "in.wav"},
        {"--plugin", "p.so", "--block", "-4", "in.wav"},
        {"--plugin", "p.so", "--block", "random:x", "in.wav"},
        {"--plugin", "p.so", "--precision", "16", "in.wav"},
        {"--plugin", "p.so", "--rate", "0", "in.wav"},
        {"--plugin", "p.so", "--block"},
        {"--plugin", "p.so", "a.wav", "b.wav"},
        {"--block", "64", "a.wav", "b.wav"},
        {"--reference", "r.wav", "a.wav", "b.wav"},
    };
    for (const auto& args : bad) {
        Options refused;
        EXPECT_FALSE(parseOptions(args, refused, error)) << args[2];
        EXPECT_FALSE(error.empty());
    }
}

TEST(NullmeterPluginBlocks, RandomSizesCoverTheRangeAndRepeatForASeed) {
    BlockSizes a = BlockSizes::random(5), b = BlockSizes::random(5), c = BlockSizes::random(6);
    EXPECT_EQ(a.largest(), 2048);
    std::set<int> seen;
    bool differs = false;
    for (int i = 0; i < 100000; ++i) {
        const int n = a.next();
        ASSERT_GE(n, 1);
        ASSERT_LE(n, 2048);
        ASSERT_EQ(n, b.next());
        differs = differs || n != c.next();
        seen.insert(n);
    }
    EXPECT_TRUE(differs);
    EXPECT_EQ(seen.size(), 2048u);  // every size, the ends included
    BlockSizes fixed = BlockSizes::fixed(300);
    EXPECT_EQ(fixed.next(), 300);
    EXPECT_EQ(fixed.next(), 300);
    EXPECT_FALSE(fixed.isRandom());
}

TEST(NullmeterPluginReport, LatencyIsSaidPlainlyAndAMisreportedOneFails) {
    PluginReport p;
    p.reportedLatency = 0;
    p.measuredLatency = 64;
    EXPECT_EQ(latencyText(p), "the plug-in reports 0 frames of latency but delays by 64 frames");
    Verdict v{true, "PASS: identical: all 10 compared samples are equal", "identical", 0};
    judgeLatency(p, v);
    EXPECT_FALSE(v.pass);
    EXPECT_EQ(v.text, "FAIL: latency misreported (reports 0 frames, measured 64 frames); "
                      "identical: all 10 compared samples are equal");
    p.measuredLatency = -1;
    EXPECT_EQ(latencyText(p), "the plug-in reports 0 frames of latency but its output leads the "
                              "input by 1 frame");
    p.reportedLatency = 64;
    p.measuredLatency = 64;
    Verdict kept{true, "PASS: x", "identical", 0};
    judgeLatency(p, kept);
    EXPECT_TRUE(kept.pass);
    EXPECT_EQ(kept.text, "PASS: x");
    p.measuredLatency.reset();  // nothing correlates: not judged
    EXPECT_FALSE(p.latencyMatches().has_value());
    judgeLatency(p, kept);
    EXPECT_TRUE(kept.pass);
}

TEST(NullmeterPluginHost, IoChangesAreTakenOnlyWhenAccepted) {
    using plux::vsthost::HostContext;
    char acceptIo[] = "acceptIOChanges";
    HostContext refusing;
    EXPECT_EQ(HostContext::callback(nullptr, audioMasterIOChanged, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(HostContext::callback(nullptr, audioMasterCanDo, 0, 0, acceptIo, 0), -1);
    EXPECT_EQ(refusing.ioChanges(), 0);
    HostContext host;  // the active one now
    host.acceptIoChanges(true);
    EXPECT_EQ(HostContext::callback(nullptr, audioMasterCanDo, 0, 0, acceptIo, 0), 1);
    EXPECT_EQ(HostContext::callback(nullptr, audioMasterIOChanged, 0, 0, nullptr, 0), 1);
    EXPECT_EQ(HostContext::callback(nullptr, audioMasterIOChanged, 0, 0, nullptr, 0), 1);
    EXPECT_EQ(host.ioChanges(), 2);
}

// --- the command line -------------------------------------------------------------------------

struct ToolRun : plux::testing_support::CommandRun {
    std::string lastLine() const { return plux::testing_support::lastLine(out); }
    bool has(const std::string& text) const { return out.find(text) != std::string::npos; }
};

#ifdef _WIN32
// Child processes inherit the system's copy of the environment.
std::optional<std::string> variable(const std::string& name) {
    char value[4096];
    const DWORD n = GetEnvironmentVariableA(name.c_str(), value, sizeof value);
    return n > 0 && n < sizeof value ? std::optional<std::string>(value) : std::nullopt;
}
void setVariable(const std::string& name, const std::optional<std::string>& value) {
    SetEnvironmentVariableA(name.c_str(), value ? value->c_str() : nullptr);
}
// Where GetTempPath looks first.
constexpr const char* kTemporaryFolderVariable = "TMP";
#else
std::optional<std::string> variable(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value ? std::optional<std::string>(value) : std::nullopt;
}
void setVariable(const std::string& name, const std::optional<std::string>& value) {
    if (value)
        setenv(name.c_str(), value->c_str(), 1);
    else
        unsetenv(name.c_str());
}
constexpr const char* kTemporaryFolderVariable = "TMPDIR";
#endif

// "NAME=VALUE ..." set in this process for one run of the tool to inherit,
// then put back as they were.
class ScopedEnvironment {
  public:
    explicit ScopedEnvironment(const std::string& assignments) {
        std::istringstream words(assignments);
        std::string word;
        while (words >> word) {
            const std::size_t equals = word.find('=');
            const std::string name = word.substr(0, equals);
            saved_.push_back({name, variable(name)});
            setVariable(name, equals == std::string::npos ? "" : word.substr(equals + 1));
        }
    }
    ~ScopedEnvironment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            setVariable(it->name, it->value);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    struct Saved {
        std::string name;
        std::optional<std::string> value;
    };
    std::vector<Saved> saved_;
};

class NullmeterPlugin : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = plux::testing_support::freshDir(
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_ / "tmp");
        input_ = write("input.wav", stereoNoise(kFrames, 1));
    }
    void TearDown() override {
        // The rendered files are gone, whatever the run's outcome.
        EXPECT_TRUE(fs::is_empty(dir_ / "tmp"));
    }

    static std::vector<std::vector<double>> stereoNoise(std::size_t frames, unsigned seed) {
        return {plux::testing_support::whiteNoise(frames, seed, 0.25),
                plux::testing_support::whiteNoise(frames, seed + 100, 0.25)};
    }
    // 32-bit float, so that 32-bit processing carries the samples exactly.
    std::string write(const std::string& name, std::vector<std::vector<double>> channels,
                      plux::audio::Encoding encoding = plux::audio::Encoding::Float32) {
        plux::audio::Audio audio;
        audio.sampleRate = kRate;
        audio.channels = std::move(channels);
        const fs::path path = dir_ / name;
        std::string error;
        EXPECT_TRUE(
            plux::audio::writeFile(path, audio, encoding, plux::audio::Container::Wav, error))
            << error;
        return path.string();
    }
    // The fixture reads `environment` at effOpen; the tool's temporary
    // folder goes in the test's own, to be seen empty afterwards.
    ToolRun run(const std::string& args, const std::string& environment = "") {
        const ScopedEnvironment scoped(std::string(kTemporaryFolderVariable) + "=" +
                                       (dir_ / "tmp").string() + " " + environment);
        ToolRun r;
        static_cast<plux::testing_support::CommandRun&>(r) =
            plux::testing_support::runNullmeter(args, dir_);
        return r;
    }
    ToolRun delay(const std::string& environment, const std::string& args = "") {
        return run(args + " --plugin " + DELAY_PLUGIN_PATH + " " + input_, environment);
    }
    fs::path dir_;
    std::string input_;
};

TEST_F(NullmeterPlugin, NullTestPluginIsTransparentAtEveryBlockSizeAndPrecision) {
    const std::string identical =
        "PASS: identical: all " + std::to_string(2 * kFrames) + " compared samples are equal";
    for (const char* block : {"1", "64", "512", "4096", "random"}) {
        for (const char* precision : {"32", "64"}) {
            const ToolRun r = run(std::string("--block ") + block + " --precision " + precision +
                                  " --plugin " + NULLTEST_PLUGIN_PATH + " " + input_);
            EXPECT_EQ(r.status, 0) << block << " " << precision << r.err << r.out;
            EXPECT_EQ(r.lastLine(), identical) << block << " " << precision;
            EXPECT_TRUE(r.has("latency: the plug-in reports 0 frames of latency and delays by 0 "
                              "frames, as reported\n"))
                << r.out;
        }
    }
    const ToolRun randomBlocks =
        run(std::string("--block random:9 --plugin ") + NULLTEST_PLUGIN_PATH + " " + input_);
    EXPECT_TRUE(randomBlocks.has("random blocks of 1 to 2048 frames (seed 9)")) << randomBlocks.out;
}

TEST_F(NullmeterPlugin, UnreportedLatencyFailsAndSaysSo) {
    const ToolRun r = delay("PLUX_TEST_DELAY_FRAMES=64");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_TRUE(r.has("\nlatency: the plug-in reports 0 frames of latency but delays by 64 "
                      "frames\nFAIL: latency misreported (reports 0 frames, measured 64 frames); "
                      "differs: "))
        << r.out;
    const ToolRun json = delay("PLUX_TEST_DELAY_FRAMES=64", "--json");
    EXPECT_EQ(json.status, 1);
    const std::vector<std::string> fields{"\"plugin\": {",
                                          "\"path\": \"" + std::string(DELAY_PLUGIN_PATH) + "\"",
                                          "\"name\": \"Delay Fixture\"",
                                          "\"reported_latency_frames\": 0",
                                          "\"measured_latency_frames\": 64",
                                          "\"latency_matches\": false",
                                          "\"pass\": false"};
    for (const std::string& field : fields)
        EXPECT_TRUE(json.has(field)) << field << "\n" << json.out;
    // Delayed past the input's end, the output is silent: no latency to measure.
    const ToolRun silent = delay("PLUX_TEST_DELAY_FRAMES=20000", "--json");
    EXPECT_EQ(silent.status, 1);
    EXPECT_TRUE(silent.has("\"measured_latency_frames\": null")) << silent.out;
    EXPECT_TRUE(silent.has("\"latency_matches\": null"));
    // Aligned, the output nulls, and the run still fails on the latency.
    const ToolRun aligned = delay("PLUX_TEST_DELAY_FRAMES=64", "--align");
    EXPECT_EQ(aligned.status, 1);
    EXPECT_EQ(aligned.lastLine().rfind("FAIL: latency misreported (reports 0 frames, measured 64 "
                                       "frames); identical: all",
                                       0),
              0u)
        << aligned.out;
}

TEST_F(NullmeterPlugin, ReportedLatencyIsCompensatedAndNothingIsCut) {
    const ToolRun r =
        delay("PLUX_TEST_DELAY_FRAMES=64 PLUX_TEST_REPORTED_FRAMES=64", "--json --block random");
    EXPECT_EQ(r.status, 0) << r.err << r.out;
    EXPECT_TRUE(r.has("\"measured_latency_frames\": 64")) << r.out;
    EXPECT_TRUE(r.has("\"latency_matches\": true"));
    EXPECT_TRUE(r.has("\"frames\": " + std::to_string(kFrames))) << r.out;  // B, every frame
    EXPECT_TRUE(r.has("\"length_difference_frames\": 0"));
    EXPECT_TRUE(r.has("\"differing_samples\": 0"));
    // The tail is rendered past the end too.
    const ToolRun tail = delay("PLUX_TEST_TAIL_FRAMES=100", "--json");
    EXPECT_EQ(tail.status, 0) << tail.err;
    EXPECT_TRUE(tail.has("\"length_difference_frames\": 100")) << tail.out;
    EXPECT_TRUE(tail.has("\"tail_frames\": 100"));
}

TEST_F(NullmeterPlugin, LatencyChangedThroughIoChangedCounts) {
    const ToolRun r =
        delay("PLUX_TEST_DELAY_FRAMES=64 PLUX_TEST_CHANGED_FRAMES=64", "--precision 64");
    EXPECT_EQ(r.status, 0) << r.err << r.out;
    EXPECT_TRUE(r.has("latency: the plug-in reports 64 frames of latency and delays by 64 frames"))
        << r.out;
    // The change is honoured in the other direction too: now misreported.
    const ToolRun wrong = delay("PLUX_TEST_DELAY_FRAMES=64 PLUX_TEST_REPORTED_FRAMES=64 "
                                "PLUX_TEST_CHANGED_FRAMES=0");
    EXPECT_EQ(wrong.status, 1);
    EXPECT_TRUE(wrong.has("reports 0 frames of latency but delays by 64 frames")) << wrong.out;
}

TEST_F(NullmeterPlugin, ReferenceFileIsComparedInsteadOfTheInput) {
    // The input's samples in another encoding: the golden file.
    plux::audio::Audio in;
    std::string error;
    ASSERT_TRUE(plux::audio::readFile(input_, in, error)) << error;
    const std::vector<std::vector<double>>& samples = in.channels;
    const std::string golden = write("golden.wav", samples, plux::audio::Encoding::Float64);
    const ToolRun same =
        run("--reference " + golden + " --plugin " + NULLTEST_PLUGIN_PATH + " " + input_);
    EXPECT_EQ(same.status, 0) << same.err << same.out;
    std::vector<std::vector<double>> changed = samples;
    changed[1][5000] = 0.0;
    const std::string other = write("other.wav", changed);
    const ToolRun differs =
        run("--reference " + other + " --plugin " + NULLTEST_PLUGIN_PATH + " " + input_);
    EXPECT_EQ(differs.status, 1);
    EXPECT_EQ(differs.lastLine().rfind("FAIL: differs: 1 of", 0), 0u) << differs.out;
    // The latency is measured against the input, not the reference.
    EXPECT_TRUE(differs.has("delays by 0 frames, as reported")) << differs.out;
}

TEST_F(NullmeterPlugin, BadPluginsAndSettingsAreInputErrors) {
    const std::string fake = (dir_ / "fake.so").string();
    std::ofstream(fake) << "not a shared object\n";
    const std::string mono = write("mono.wav", {plux::testing_support::whiteNoise(1000, 3, 0.2)});
    struct Case {
        std::string args, environment, message;
    };
    const std::string plugin = std::string(" --plugin ") + DELAY_PLUGIN_PATH + " ";
    const std::vector<Case> cases{
        {"--plugin " + (dir_ / "missing.so").string() + " " + input_, "",
         "missing.so: no such file"},
        {"--plugin " + fake + " " + input_, "", "cannot load " + fake},
        {"--block 0" + plugin + input_, "", "--block 0: give 1 to 65536 frames"},
        {"--precision 16" + plugin + input_, "", "--precision 16: give 32 or 64"},
        {"--precision 64" + plugin + input_, "PLUX_TEST_NO_DOUBLE=1",
         "does not offer processDoubleReplacing"},
        {"--rate 44100" + plugin + input_, "", "is at 48000 Hz, and nothing is resampled"},
        {plugin + mono, "", "has 2 outputs but " + mono + " has 1 channel;"},
        {plugin + input_, "PLUX_TEST_REPORTED_FRAMES=480001", "reports a latency of 480001 frames"},
#ifdef _WIN32
        {plugin + input_, "PLUX_TEST_CRASH=1",
         "crashed while hosting the plug-in (exception 0xC0000005)"},
#else
        {plugin + input_, "PLUX_TEST_CRASH=1", "crashed while hosting the plug-in (signal 11)"},
#endif
        {"--plot " + std::string(DELAY_PLUGIN_PATH) + plugin + input_, "",
         "is the same file as the plug-in"},
    };
    for (const Case& c : cases) {
        const ToolRun r = run(c.args, c.environment);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
        EXPECT_TRUE(r.out.empty()) << c.args;
    }
}

}  // namespace
