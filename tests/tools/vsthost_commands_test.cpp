// The vsthost commands end to end against the gain fixture linked in
// statically: printed facts, rendered samples, state chunks, failures.
#include "tests/fixtures/gainplugin/gainplugin.h"
#include "tests/support/scratch_dir.h"
#include "tools/common/audio_file.h"
#include "tools/vsthost/commands.h"
#include "tools/vsthost/file_bytes.h"
#include "tools/vsthost/signal_generator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <sstream>

namespace {

using namespace plux::vsthost;

std::string tempFile(const std::string& name) {
    return (plux::testing_support::scratchDir() / name).u8string();
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

plux::audio::Audio readAudio(const std::string& path) {
    plux::audio::Audio a;
    std::string error;
    EXPECT_TRUE(plux::audio::readFile(std::filesystem::u8path(path), a, error)) << error;
    return a;
}

std::vector<std::uint8_t> floatBytes(float f) {
    std::vector<std::uint8_t> b(sizeof f);
    std::memcpy(b.data(), &f, sizeof f);
    return b;
}

RenderOptions sineRender(const std::string& out) {
    RenderOptions o;
    o.plugin = "gain";
    TestSignal s;
    s.kind = TestSignal::Kind::Sine;
    s.frequency = 1000.0;
    s.amplitude = 0.5;
    o.signal = s;
    o.seconds = 0.05;
    o.rate = 48000;  // 48 samples a period: the peak is sampled exactly
    o.blockSize = 100;
    o.outPath = out;
    return o;
}

TEST(VsthostCommands, InfoPrintsTheRecordAndTheParameter) {
    std::ostringstream out, err;
    ASSERT_EQ(runInfo(createGainPlugin, {}, out, err), kExitOk) << err.str();
    const std::string text = out.str();
    EXPECT_TRUE(contains(text, "magic:          0x56737450 'VstP'\n")) << text;
    EXPECT_TRUE(contains(text, "uniqueID:       1349273409 (0x506C4741 'PlGA')\n")) << text;
    EXPECT_TRUE(contains(text, "numParams:      1\n")) << text;
    EXPECT_TRUE(contains(text, "flags:          0x00001030 (CanReplacing ProgramChunks "
                               "CanDoubleReplacing)\n"))
        << text;
    EXPECT_TRUE(contains(text, "effectName:     Gain Fixture\n")) << text;
    EXPECT_TRUE(contains(text, "vstVersion:     2400\n")) << text;
    EXPECT_TRUE(contains(text, "plugCategory:   1 (Effect)\n")) << text;
    EXPECT_TRUE(
        contains(text, "  0: name \"Gain\", label \"x\", display \"1.000\", value 0.500000\n"))
        << text;
    EXPECT_TRUE(err.str().empty()) << err.str();
}

TEST(VsthostCommands, RenderAtQuarterGainHalvesTheSignal) {
    const std::string outPath = tempFile("half.wav");
    RenderOptions o = sineRender(outPath);
    o.params.push_back({0, 0.25f});
    std::ostringstream out, err;
    ASSERT_EQ(runRender(createGainPlugin, o, out, err), kExitOk) << err.str();
    const plux::audio::Audio expected = generateSignal(*o.signal, 48000, 2, 2400);
    const plux::audio::Audio got = readAudio(outPath);
    EXPECT_EQ(got.sampleRate, 48000);
    ASSERT_EQ(got.channels.size(), 2u);
    ASSERT_EQ(got.frameCount(), 2400u);
    for (std::size_t c = 0; c < 2; ++c) {
        for (std::size_t i = 0; i < 2400; ++i) {
            ASSERT_EQ(got.channels[c][i],
                      static_cast<double>(static_cast<float>(expected.channels[c][i]) * 0.5f))
                << c << ":" << i;
        }
    }
    EXPECT_TRUE(contains(out.str(), "out 1: peak 0.250000 (-12.04 dBFS), rms -15.05 dBFS"))
        << out.str();
    std::filesystem::remove(std::filesystem::u8path(outPath));
}

// FLAC holds 24-bit PCM by default: the float result rounded to that grid.
// Read back with --in, it passes the fixture at unity gain into every other
// container unchanged (24-bit values are exact in float).
TEST(VsthostCommands, RendersToFlacAndReadsFlac) {
    const std::string flac = tempFile("half.flac");
    RenderOptions o = sineRender(flac);
    o.params.push_back({0, 0.25f});
    std::ostringstream out, err;
    ASSERT_EQ(runRender(createGainPlugin, o, out, err), kExitOk) << err.str();
    {
        plux::audio::Reader reader;  // closed before the file is removed
        std::string error;
        ASSERT_TRUE(reader.open(std::filesystem::u8path(flac), error)) << error;
        EXPECT_EQ(reader.info().format, "FLAC, PCM 24-bit");
    }
    const plux::audio::Audio expected = generateSignal(*o.signal, 48000, 2, 2400);
    const plux::audio::Audio got = readAudio(flac);
    ASSERT_EQ(got.channels.size(), 2u);
    ASSERT_EQ(got.frameCount(), 2400u);
    for (std::size_t c = 0; c < 2; ++c) {
        for (std::size_t i = 0; i < 2400; ++i) {
            const double y = static_cast<float>(expected.channels[c][i]) * 0.5f;
            ASSERT_EQ(got.channels[c][i], std::round(y * 8388608.0) / 8388608.0) << c << ":" << i;
        }
    }

    for (const char* name : {"again.wav", "again.rf64", "again.w64", "again.aiff"}) {
        RenderOptions through;
        through.plugin = "gain";
        through.inPath = flac;
        through.outPath = tempFile(name);
        out.str("");
        ASSERT_EQ(runRender(createGainPlugin, through, out, err), kExitOk) << err.str();
        EXPECT_TRUE(contains(out.str(), "rendered 2400 frames at 48000 Hz")) << out.str();
        const plux::audio::Audio again = readAudio(through.outPath);
        EXPECT_EQ(again.sampleRate, 48000) << name;
        EXPECT_EQ(again.channels, got.channels) << name;
        std::filesystem::remove(std::filesystem::u8path(through.outPath));
    }
    std::filesystem::remove(std::filesystem::u8path(flac));
}

// A run that fails after its audio is written (here the chunk's folder is
// gone) leaves the old output as it was and no partial file beside it.
TEST(VsthostCommands, AFailedRenderKeepsTheOldOutput) {
    const std::filesystem::path dir = plux::testing_support::freshDir("failed_render");
    const std::string keep = (dir / "keep.flac").u8string();
    std::string error;
    ASSERT_TRUE(writeBytes(keep, {'o', 'l', 'd'}, error)) << error;
    RenderOptions o = sineRender(keep);
    o.saveChunk = (dir / "gone" / "state.bin").u8string();
    std::ostringstream out, err;
    EXPECT_EQ(runRender(createGainPlugin, o, out, err), kExitFailure);
    EXPECT_TRUE(contains(err.str(), "state.bin")) << err.str();
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(readBytes(keep, bytes, error)) << error;
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(VsthostCommands, ChunkSavedAfterRenderLoadsBackIntoANewInstance) {
    const std::string outPath = tempFile("chunk.wav");
    const std::string saved = tempFile("saved.bin");
    const std::string again = tempFile("again.bin");
    RenderOptions o = sineRender(outPath);
    o.params.push_back({0, 0.3f});
    o.saveChunk = saved;
    std::ostringstream out, err;
    ASSERT_EQ(runRender(createGainPlugin, o, out, err), kExitOk) << err.str();
    std::vector<std::uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(readBytes(saved, bytes, error)) << error;
    EXPECT_EQ(bytes, floatBytes(0.3f));

    ChunkOptions c;
    c.load = saved;
    c.save = again;
    ASSERT_EQ(runChunk(createGainPlugin, c, out, err), kExitOk) << err.str();
    std::vector<std::uint8_t> roundTripped;
    ASSERT_TRUE(readBytes(again, roundTripped, error)) << error;
    EXPECT_EQ(roundTripped, bytes);

    // A fresh instance without the chunk is back at its default.
    c.load.clear();
    ASSERT_EQ(runChunk(createGainPlugin, c, out, err), kExitOk) << err.str();
    ASSERT_TRUE(readBytes(again, roundTripped, error)) << error;
    EXPECT_EQ(roundTripped, floatBytes(0.5f));
    for (const auto& p : {outPath, saved, again})
        std::filesystem::remove(std::filesystem::u8path(p));
}

TEST(VsthostCommands, FailuresReportAndReturnNonZero) {
    std::ostringstream out, err;
    RenderOptions o = sineRender(tempFile("unused.wav"));
    o.params.push_back({5, 0.5f});
    EXPECT_EQ(runRender(createGainPlugin, o, out, err), kExitFailure);
    EXPECT_TRUE(contains(err.str(), "vsthost: error: parameter 5 does not exist")) << err.str();

    err.str("");
    RenderOptions missing = sineRender(tempFile("unused.wav"));
    missing.signal.reset();
    missing.inPath = tempFile("no_such_input.wav");
    EXPECT_EQ(runRender(createGainPlugin, missing, out, err), kExitFailure);
    EXPECT_TRUE(contains(err.str(), "no_such_input.wav")) << err.str();

    err.str("");
    const std::string shortChunk = tempFile("short.bin");
    std::string error;
    ASSERT_TRUE(writeBytes(shortChunk, {1, 2, 3}, error)) << error;
    ChunkOptions c;
    c.load = shortChunk;
    EXPECT_EQ(runChunk(createGainPlugin, c, out, err), kExitFailure);
    EXPECT_TRUE(contains(err.str(), "effSetChunk rejected the 3-byte chunk")) << err.str();
    std::filesystem::remove(std::filesystem::u8path(shortChunk));
}

}  // namespace
