// The vsthost commands end to end against the gain fixture linked in
// statically: printed facts, rendered samples, state chunks, failures.
#include "tests/fixtures/gainplugin/gainplugin.h"
#include "tests/tools/scratch_dir.h"
#include "tools/common/wav.h"
#include "tools/vsthost/commands.h"
#include "tools/vsthost/file_bytes.h"
#include "tools/vsthost/signal_generator.h"

#include <gtest/gtest.h>

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

plux::wav::Audio readWav(const std::string& path) {
    plux::wav::Audio a;
    std::string error;
    EXPECT_TRUE(plux::wav::readFile(std::filesystem::u8path(path), a, error)) << error;
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
    const plux::wav::Audio expected = generateSignal(*o.signal, 48000, 2, 2400);
    const plux::wav::Audio got = readWav(outPath);
    EXPECT_EQ(got.sampleRate, 48000u);
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
