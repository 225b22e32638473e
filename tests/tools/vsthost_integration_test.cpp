// Runs vsthost.exe on gainplugin.dll as child processes, the way a user or a
// script would, and checks exit statuses, printed text and written files.
// Usage: tools_vsthost_integration_test [gtest flags] --vsthost=EXE --plugin=DLL --workdir=DIR
#include "tests/tools/child_run_expect_win32.h"
#include "tools/common/audio_file.h"
#include "tools/vsthost/file_bytes.h"
#include "tools/vsthost/signal_generator.h"

#include <gtest/gtest.h>

#include "tests/support/path_option.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include <windows.h>

namespace {

namespace fs = std::filesystem;
using plux::audio::Audio;
using plux::testing_support::ChildResult;
using plux::testing_support::contains;
using plux::testing_support::quoteArgument;

struct Paths {
    fs::path vsthost, plugin, workdir;
} paths;

std::string work(const std::string& name) {
    return (paths.workdir / fs::u8path(name)).u8string();
}
std::string plugin() {
    return paths.plugin.u8string();
}

ChildResult vsthost(const std::vector<std::string>& args) {
    return plux::testing_support::runChildExpectingStart(paths.vsthost, args, paths.workdir);
}

Audio readWav(const std::string& path) {
    Audio a;
    std::string error;
    EXPECT_TRUE(plux::audio::readFile(fs::u8path(path), a, error)) << error;
    return a;
}

void writeWav(const std::string& path, const Audio& a, plux::audio::Encoding e) {
    std::string error;
    ASSERT_TRUE(plux::audio::writeFile(fs::u8path(path), a, e, plux::audio::Container::Wav, error))
        << error;
}

// "WAV, float 32-bit", "FLAC, PCM 24-bit", ...
std::string formatOf(const std::string& path) {
    plux::audio::Reader reader;
    std::string error;
    EXPECT_TRUE(reader.open(fs::u8path(path), error)) << error;
    return reader.info().format;
}

std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::vector<std::uint8_t> b;
    std::string error;
    EXPECT_TRUE(plux::vsthost::readBytes(path, b, error)) << error;
    return b;
}

std::vector<std::uint8_t> floatBytes(float f) {
    std::vector<std::uint8_t> b(sizeof f);
    std::memcpy(b.data(), &f, sizeof f);
    return b;
}

plux::vsthost::TestSignal sine(double hz, double amp) {
    plux::vsthost::TestSignal s;
    s.kind = plux::vsthost::TestSignal::Kind::Sine;
    s.frequency = hz;
    s.amplitude = amp;
    return s;
}

// Every sample of `got` must be `factor` times the float version of `input`,
// computed in float the way the fixture's processReplacing does.
void expectFloatGain(const Audio& got, const Audio& input, float factor) {
    ASSERT_EQ(got.channels.size(), input.channels.size());
    ASSERT_EQ(got.frameCount(), input.frameCount());
    for (std::size_t c = 0; c < got.channels.size(); ++c) {
        for (std::size_t i = 0; i < got.frameCount(); ++i) {
            ASSERT_EQ(got.channels[c][i],
                      static_cast<double>(static_cast<float>(input.channels[c][i]) * factor))
                << "channel " << c << " frame " << i;
        }
    }
}

TEST(VsthostTool, HelpGoesToStdout) {
    const ChildResult r = vsthost({"--help"});
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(contains(r.out, "usage:")) << r.out;
    EXPECT_TRUE(contains(r.out, "vsthost render")) << r.out;
    EXPECT_TRUE(r.err.empty()) << r.err;
}

TEST(VsthostTool, BadCommandLinesExitWithTwo) {
    ChildResult r = vsthost({});
    EXPECT_EQ(r.exitCode, 2u);
    EXPECT_TRUE(contains(r.err, "missing command")) << r.err;
    r = vsthost({"play", plugin()});
    EXPECT_EQ(r.exitCode, 2u);
    EXPECT_TRUE(contains(r.err, "unknown command 'play'")) << r.err;
    r = vsthost({"render", plugin(), "--generate", "sine:440", "--out", work("x.wav")});
    EXPECT_EQ(r.exitCode, 2u);
    EXPECT_TRUE(contains(r.err, "--generate")) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
}

TEST(VsthostTool, InfoDescribesTheFixture) {
    const ChildResult r = vsthost({"info", plugin()});
    ASSERT_EQ(r.exitCode, 0u) << r.err;
    for (const char* line :
         {"magic:          0x56737450 'VstP'\n", "uniqueID:       1349273409 (0x506C4741 'PlGA')\n",
          "numParams:      1\n", "numInputs:      2\n", "numOutputs:     2\n",
          "effectName:     Gain Fixture\n", "vendor:         Plux Tests\n",
          "vstVersion:     2400\n", "programName:    Default\n",
          "  0: name \"Gain\", label \"x\", display \"1.000\", value 0.500000\n"}) {
        EXPECT_TRUE(contains(r.out, line)) << "missing: " << line << "in:\n" << r.out;
    }
}

TEST(VsthostTool, LoadFailuresAreReported) {
    ChildResult r = vsthost({"info", work("no_such_plugin.dll")});
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_TRUE(contains(r.err, "no such plug-in file")) << r.err;

    const std::string notDll = work("not_a_dll.dll");
    std::string error;
    ASSERT_TRUE(plux::vsthost::writeBytes(notDll, {'h', 'e', 'l', 'l', 'o'}, error)) << error;
    r = vsthost({"info", notDll});
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_TRUE(contains(r.err, "cannot load")) << r.err;

    wchar_t system[MAX_PATH] = {};
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
    r = vsthost({"info", (fs::path(system) / "kernel32.dll").u8string()});
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_TRUE(contains(r.err, "exports neither VSTPluginMain nor main")) << r.err;
}

TEST(VsthostTool, GeneratedSineAtQuarterGainComesOutAtExactlyHalf) {
    const std::string out = work("half.wav");
    const ChildResult r =
        vsthost({"render", plugin(), "--generate", "sine:1000:0.5", "--param", "0=0.25", "--rate",
                 "48000", "--seconds", "0.25", "--block", "256", "--out", out});
    ASSERT_EQ(r.exitCode, 0u) << r.err;
    const Audio expected = plux::vsthost::generateSignal(sine(1000, 0.5), 48000, 2, 12000);
    const Audio got = readWav(out);
    EXPECT_EQ(got.sampleRate, 48000);
    expectFloatGain(got, expected, 0.5f);
    EXPECT_TRUE(contains(r.out, "rendered 12000 frames at 48000 Hz, 2 in / 2 out, block 256"))
        << r.out;
    EXPECT_TRUE(contains(r.out, "out 0: peak 0.250000 (-12.04 dBFS), rms -15.05 dBFS")) << r.out;
    EXPECT_TRUE(contains(r.out, "out 1: peak 0.250000 (-12.04 dBFS), rms -15.05 dBFS")) << r.out;
}

TEST(VsthostTool, FileAtDoublePrecisionKeepsEveryBit) {
    plux::vsthost::TestSignal noise;
    noise.kind = plux::vsthost::TestSignal::Kind::Noise;
    noise.amplitude = 0.9;
    const Audio input = plux::vsthost::generateSignal(noise, 44100, 2, 3000);
    const std::string in = work("noise64.wav"), out = work("noise64_out.wav");
    writeWav(in, input, plux::audio::Encoding::Float64);
    const ChildResult r = vsthost({"render", plugin(), "--in", in, "--precision", "64", "--param",
                                   "0=0.25", "--block", "1000", "--out", out});
    ASSERT_EQ(r.exitCode, 0u) << r.err;
    const Audio got = readWav(out);
    EXPECT_EQ(got.sampleRate, 44100);
    ASSERT_EQ(got.channels.size(), 2u);
    ASSERT_EQ(got.frameCount(), 3000u);
    for (std::size_t c = 0; c < 2; ++c) {
        for (std::size_t i = 0; i < 3000; ++i) {
            ASSERT_EQ(got.channels[c][i], input.channels[c][i] * 0.5) << c << ":" << i;
        }
    }
    EXPECT_EQ(formatOf(out), "WAV, float 64-bit")
        << "--precision 64 writes 64-bit floats by default";
}

TEST(VsthostTool, MonoFileFeedsBothInputsAndSecondsPadsWithSilence) {
    Audio input;
    input.sampleRate = 8000;
    input.channels.push_back({});
    for (int i = 0; i < 800; ++i)
        input.channels[0].push_back(std::sin(i * 0.1) * 0.75);
    const std::string in = work("mono.wav"), out = work("mono_out.wav");
    writeWav(in, input, plux::audio::Encoding::Float32);
    const ChildResult r =
        vsthost({"render", plugin(), "--in", in, "--seconds", "0.2", "--out", out});
    ASSERT_EQ(r.exitCode, 0u) << r.err;
    const Audio got = readWav(out);
    EXPECT_EQ(got.sampleRate, 8000);
    ASSERT_EQ(got.channels.size(), 2u);
    ASSERT_EQ(got.frameCount(), 1600u);
    for (std::size_t c = 0; c < 2; ++c) {
        for (std::size_t i = 0; i < 1600; ++i) {
            // Default gain 0.5 is unity; the file's float samples pass unchanged.
            const double want =
                i < 800 ? static_cast<double>(static_cast<float>(input.channels[0][i])) : 0.0;
            ASSERT_EQ(got.channels[c][i], want) << c << ":" << i;
        }
    }
}

TEST(VsthostTool, Pcm16OutputIsRoundedFromTheFloatResult) {
    const std::string out = work("pcm16.wav");
    const ChildResult r = vsthost({"render", plugin(), "--generate", "sine:440:0.5", "--seconds",
                                   "0.1", "--out-format", "pcm16", "--out", out});
    ASSERT_EQ(r.exitCode, 0u) << r.err;
    const Audio expected = plux::vsthost::generateSignal(sine(440, 0.5), 48000, 2, 4800);
    const Audio got = readWav(out);
    ASSERT_EQ(got.frameCount(), 4800u);
    ASSERT_EQ(got.channels.size(), 2u);
    for (std::size_t i = 0; i < 4800; ++i) {
        const double y = static_cast<float>(expected.channels[0][i]);  // unity gain
        ASSERT_EQ(got.channels[1][i], std::round(y * 32768.0) / 32768.0) << i;
    }
}

TEST(VsthostTool, ChunkSaveLoadRoundTrip) {
    const std::string defaults = work("default.bin"), saved = work("gain03.bin"),
                      again = work("gain03_again.bin");
    ChildResult r = vsthost({"chunk", plugin(), "--save", defaults});
    ASSERT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_TRUE(contains(r.out, "saved 4 bytes")) << r.out;
    EXPECT_EQ(readBytes(defaults), floatBytes(0.5f));

    r = vsthost({"render", plugin(), "--generate", "silence", "--seconds", "0.01", "--param",
                 "0=0.3", "--save-chunk", saved, "--out", work("silence.wav")});
    ASSERT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_EQ(readBytes(saved), floatBytes(0.3f));

    r = vsthost({"chunk", plugin(), "--load", saved, "--save", again});
    ASSERT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_TRUE(contains(r.out, "loaded 4 bytes")) << r.out;
    EXPECT_EQ(readBytes(again), readBytes(saved));

    // The loaded state governs rendering: gain 0.3 multiplies by 0.6.
    const std::string out = work("chunk_render.wav");
    r = vsthost({"render", plugin(), "--generate", "sine:1000:0.5", "--seconds", "0.05",
                 "--load-chunk", saved, "--out", out});
    ASSERT_EQ(r.exitCode, 0u) << r.err;
    expectFloatGain(readWav(out), plux::vsthost::generateSignal(sine(1000, 0.5), 48000, 2, 2400),
                    2.0f * 0.3f);
}

TEST(VsthostTool, BadChunksAreRefused) {
    const std::string shortChunk = work("short.bin"), outOfRange = work("range.bin");
    std::string error;
    ASSERT_TRUE(plux::vsthost::writeBytes(shortChunk, {1, 2, 3}, error)) << error;
    ASSERT_TRUE(plux::vsthost::writeBytes(outOfRange, floatBytes(2.0f), error)) << error;
    ChildResult r = vsthost({"chunk", plugin(), "--load", shortChunk});
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_TRUE(contains(r.err, "effSetChunk rejected the 3-byte chunk")) << r.err;
    r = vsthost({"chunk", plugin(), "--load", outOfRange});
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_TRUE(contains(r.err, "effSetChunk rejected")) << r.err;
    r = vsthost({"chunk", plugin(), "--load", work("missing.bin")});
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_TRUE(contains(r.err, "missing.bin: no such file")) << r.err;
    r = vsthost({"render", plugin(), "--generate", "silence", "--param", "1=0.5", "--out",
                 work("unused.wav")});
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_TRUE(contains(r.err, "parameter 1 does not exist")) << r.err;
}

TEST(VsthostTool, NonAsciiPathsSurvive) {
    const std::string out = work("gr\xC3\xBCn \xE2\x99\xAA.wav");  // "grün ♪.wav"
    const ChildResult r =
        vsthost({"render", plugin(), "--generate", "silence", "--seconds", "0.01", "--out", out});
    ASSERT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_EQ(readWav(out).frameCount(), 480u);
}

// FLAC written (24-bit PCM by default) and read, in a folder whose name has
// spaces and non-ASCII characters, given with a drive letter and backslashes.
TEST(VsthostTool, RendersToFlacAndReadsFlacUnderAnyName) {
    const std::string folder = work("fl\xC3\xBCgel \xE2\x99\xAA");  // "flügel ♪"
    fs::create_directories(fs::u8path(folder));
    const std::string flac = folder + "\\half gain.flac";
    ChildResult r = vsthost({"render", plugin(), "--generate", "sine:1000:0.5", "--param", "0=0.25",
                             "--seconds", "0.1", "--out", flac});
    ASSERT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_EQ(formatOf(flac), "FLAC, PCM 24-bit");
    const Audio expected = plux::vsthost::generateSignal(sine(1000, 0.5), 48000, 2, 4800);
    const Audio got = readWav(flac);
    ASSERT_EQ(got.channels.size(), 2u);
    ASSERT_EQ(got.frameCount(), 4800u);
    for (std::size_t i = 0; i < 4800; ++i) {
        const double y = static_cast<float>(expected.channels[0][i]) * 0.5f;
        ASSERT_EQ(got.channels[0][i], std::round(y * 8388608.0) / 8388608.0) << i;
    }

    const std::string w64 = folder + "\\again.w64";
    r = vsthost({"render", plugin(), "--in", flac, "--out-format", "pcm24", "--out", w64});
    ASSERT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_TRUE(contains(r.out, "rendered 4800 frames at 48000 Hz")) << r.out;
    EXPECT_EQ(formatOf(w64), "W64, PCM 24-bit");
    EXPECT_EQ(readWav(w64).channels, got.channels);

    r = vsthost({"render", plugin(), "--in", flac, "--out-format", "f32", "--out",
                 folder + "\\float.flac"});
    EXPECT_EQ(r.exitCode, 2u);
    EXPECT_TRUE(contains(r.err, "FLAC holds only PCM")) << r.err;
    EXPECT_FALSE(fs::exists(fs::u8path(folder + "\\float.flac")));
}

// A run that fails leaves the output that was there as it was.
TEST(VsthostTool, AFailedRenderKeepsTheOldOutput) {
    const std::string keep = work("keep.wav");
    std::string error;
    ASSERT_TRUE(plux::vsthost::writeBytes(keep, {'o', 'l', 'd'}, error)) << error;
    const ChildResult r =
        vsthost({"render", plugin(), "--generate", "silence", "--param", "3=0.5", "--out", keep});
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_TRUE(contains(r.err, "parameter 3 does not exist")) << r.err;
    EXPECT_EQ(readBytes(keep), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
}

// No output replaces the loaded plug-in, an input, a device or a folder,
// whatever the spelling: exit 2 before the plug-in runs, nothing left behind.
TEST(VsthostTool, OutputsNeverReplaceThePluginAnInputOrADevice) {
    fs::create_directories(fs::u8path(work("guard\\sub")));
    const std::string copy = work("guard\\plugin copy.dll"), hard = work("guard\\hard.dll");
    // A fresh pair each run (copy_file's overwrite refuses under mingw).
    fs::remove(fs::u8path(hard));
    fs::remove(fs::u8path(copy));
    fs::copy_file(paths.plugin, fs::u8path(copy));
    fs::create_hard_link(fs::u8path(copy), fs::u8path(hard));
    const std::vector<std::uint8_t> pluginBefore = readBytes(copy);
    const std::string chunk = work("guard\\state.bin");
    std::string error;
    ASSERT_TRUE(plux::vsthost::writeBytes(chunk, floatBytes(0.25f), error)) << error;
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::string left = work("guard\\left.wav");
    const std::vector<Case> cases{
        {{"chunk", copy, "--save", copy}, "is the same file as the plug-in"},
        {{"chunk", copy, "--save", work("guard\\sub\\..\\plugin copy.dll")},
         "is the same file as the plug-in"},
        {{"render", copy, "--generate", "silence", "--out", hard},
         "is the same file as the plug-in"},
        {{"chunk", copy, "--load", chunk, "--save", chunk}, "is the same file as --load"},
        {{"render", copy, "--generate", "silence", "--save-chunk", work("guard\\sub"), "--out",
          left},
         "is a directory"},
        {{"render", copy, "--generate", "silence", "--out", "NUL"}, "is a Windows device name"},
        {{"render", copy, "--generate", "silence", "--out", work("guard\\con.wav")},
         "is a Windows device name"},
    };
    for (const Case& c : cases) {
        const ChildResult r = vsthost(c.args);
        EXPECT_EQ(r.exitCode, 2u) << c.args.back();
        EXPECT_TRUE(contains(r.err, c.message)) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
    EXPECT_EQ(readBytes(copy), pluginBefore);
    EXPECT_EQ(readBytes(chunk), floatBytes(0.25f));
    EXPECT_FALSE(fs::exists(fs::u8path(left)));
}

TEST(ChildProcess, QuotesArgumentsForTheRuntimeParser) {
    EXPECT_EQ(quoteArgument(L"plain"), L"plain");
    EXPECT_EQ(quoteArgument(L""), L"\"\"");
    EXPECT_EQ(quoteArgument(L"a b"), L"\"a b\"");
    EXPECT_EQ(quoteArgument(L"say \"hi\""), L"\"say \\\"hi\\\"\"");
    EXPECT_EQ(quoteArgument(L"C:\\dir with space\\"), L"\"C:\\dir with space\\\\\"");
    EXPECT_EQ(quoteArgument(L"C:\\no\\space"), L"C:\\no\\space");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        const std::string arg = fs::path(argv[i]).u8string();
        if (!plux::testing_support::takePathOption(arg, "vsthost", paths.vsthost) &&
            !plux::testing_support::takePathOption(arg, "plugin", paths.plugin) &&
            !plux::testing_support::takePathOption(arg, "workdir", paths.workdir)) {
            std::fprintf(stderr, "unknown argument: %s\n", arg.c_str());
            return 2;
        }
    }
    if (paths.vsthost.empty() || paths.plugin.empty() || paths.workdir.empty()) {
        std::fprintf(stderr, "usage: tools_vsthost_integration_test [gtest flags] --vsthost=EXE "
                             "--plugin=DLL --workdir=DIR\n");
        return 2;
    }
    std::error_code ec;
    fs::create_directories(paths.workdir, ec);
    if (ec) {
        std::fprintf(stderr, "cannot create %s\n", paths.workdir.u8string().c_str());
        return 2;
    }
    return RUN_ALL_TESTS();
}
