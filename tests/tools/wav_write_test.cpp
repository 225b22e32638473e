// Writing WAV files: exact headers, integer rounding and clipping, round
// trips through the reader for every encoding, and refused inputs.
#include "tests/tools/scratch_dir.h"
#include "tests/tools/wav_bytes.h"
#include "tools/common/wav.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

namespace {

using namespace plux::wavbytes;
using plux::wav::Audio;
using plux::wav::Encoding;

Audio makeAudio(std::uint32_t rate, std::vector<std::vector<double>> channels) {
    Audio a;
    a.sampleRate = rate;
    a.channels = std::move(channels);
    return a;
}

Bytes encodeOk(const Audio& a, Encoding e) {
    Bytes out;
    std::string error;
    EXPECT_TRUE(plux::wav::encode(a, e, out, error)) << error;
    return out;
}

Audio roundTrip(const Audio& a, Encoding e) {
    const Bytes b = encodeOk(a, e);
    Audio back;
    std::string error;
    EXPECT_TRUE(plux::wav::decode(b.data(), b.size(), back, error)) << error;
    return back;
}

// The 16-bit codes written for `values` (mono), read straight from the bytes.
std::vector<int> pcm16Codes(const std::vector<double>& values) {
    const Bytes b = encodeOk(makeAudio(8000, {values}), Encoding::Pcm16);
    std::vector<int> codes;
    for (std::size_t i = 0; i < values.size(); ++i) {
        codes.push_back(static_cast<std::int16_t>(get16(b, 44 + 2 * i)));
    }
    return codes;
}

TEST(WavWrite, Pcm16StereoHeaderIsTheCanonical44Bytes) {
    const Bytes b = encodeOk(makeAudio(44100, {{0.5, 0.0}, {-0.5, 0.0}}), Encoding::Pcm16);
    ASSERT_EQ(b.size(), 44u + 8u);
    EXPECT_EQ(text(b, 0, 4), "RIFF");
    EXPECT_EQ(get32(b, 4), b.size() - 8);
    EXPECT_EQ(text(b, 8, 8), "WAVEfmt ");
    EXPECT_EQ(get32(b, 16), 16u);
    EXPECT_EQ(get16(b, 20), 1u);           // PCM
    EXPECT_EQ(get16(b, 22), 2u);           // channels
    EXPECT_EQ(get32(b, 24), 44100u);       // rate
    EXPECT_EQ(get32(b, 28), 44100u * 4u);  // byte rate
    EXPECT_EQ(get16(b, 32), 4u);           // block align
    EXPECT_EQ(get16(b, 34), 16u);          // bits
    EXPECT_EQ(text(b, 36, 4), "data");
    EXPECT_EQ(get32(b, 40), 8u);
    EXPECT_EQ(get16(b, 44), 0x4000u);  // left, frame 0
    EXPECT_EQ(get16(b, 46), 0xC000u);  // right, frame 0
}

TEST(WavWrite, FloatFilesCarryCbSizeAndFact) {
    const Bytes b = encodeOk(makeAudio(48000, {{0.25, 0.5, 0.75}}), Encoding::Float32);
    ASSERT_EQ(b.size(), 12u + 26u + 12u + 8u + 12u);
    EXPECT_EQ(get32(b, 4), b.size() - 8);
    EXPECT_EQ(get32(b, 16), 18u);
    EXPECT_EQ(get16(b, 20), 3u);  // IEEE float
    EXPECT_EQ(get16(b, 34), 32u);
    EXPECT_EQ(get16(b, 36), 0u);  // cbSize
    EXPECT_EQ(text(b, 38, 4), "fact");
    EXPECT_EQ(get32(b, 42), 4u);
    EXPECT_EQ(get32(b, 46), 3u);  // frames
    EXPECT_EQ(text(b, 50, 4), "data");
    EXPECT_EQ(get32(b, 54), 12u);
    const Bytes f64 = encodeOk(makeAudio(48000, {{0.25}}), Encoding::Float64);
    EXPECT_EQ(get16(f64, 34), 64u);
    EXPECT_EQ(get16(f64, 32), 8u);
}

TEST(WavWrite, Pcm16RoundsHalfAwayFromZero) {
    const double lsb = 1.0 / 32768.0;
    EXPECT_EQ(pcm16Codes({0.5 * lsb, -0.5 * lsb, 0.49 * lsb, 1.5 * lsb, -1.5 * lsb, 2.5 * lsb,
                          1000.4999 * lsb, -1000.5001 * lsb}),
              (std::vector<int>{1, -1, 0, 2, -2, 3, 1000, -1001}));
}

TEST(WavWrite, Pcm16ClipsAtBothEnds) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(pcm16Codes({1.0, -1.0, 32767.4 / 32768.0, 1.5, -1.5, -32768.6 / 32768.0, inf, -inf}),
              (std::vector<int>{32767, -32768, 32767, 32767, -32768, -32768, 32767, -32768}));
}

TEST(WavWrite, Pcm16TurnsNanIntoSilence) {
    EXPECT_EQ(pcm16Codes({std::numeric_limits<double>::quiet_NaN(), 0.25}),
              (std::vector<int>{0, 8192}));
}

// Values on each encoding's grid must come back unchanged.
TEST(WavWrite, IntegerEncodingsRoundTripTheirGridExactly) {
    const struct {
        Encoding encoding;
        double scale;
    } cases[] = {{Encoding::Pcm8, 128.0},
                 {Encoding::Pcm16, 32768.0},
                 {Encoding::Pcm24, 8388608.0},
                 {Encoding::Pcm32, 2147483648.0}};
    for (const auto& c : cases) {
        const std::vector<double> left = {
            0.0, -1.0, (c.scale - 1) / c.scale, 1 / c.scale, -1 / c.scale, 0.5, -0.25};
        const std::vector<double> right = {
            0.125,       0.0,         -0.5, (c.scale - 2) / c.scale, -(c.scale - 1) / c.scale,
            2 / c.scale, -2 / c.scale};
        const Audio a = makeAudio(32000, {left, right});
        const Audio back = roundTrip(a, c.encoding);
        EXPECT_EQ(back.sampleRate, 32000u);
        EXPECT_EQ(back.channels, a.channels) << "scale " << c.scale;
    }
}

// Values between grid points come back within half a step.
TEST(WavWrite, IntegerEncodingsQuantiseToTheNearestStep) {
    std::vector<double> values;
    for (int i = 0; i < 1000; ++i)
        values.push_back(std::sin(i * 0.37) * 0.99);
    const struct {
        Encoding encoding;
        double scale;
    } cases[] = {{Encoding::Pcm8, 128.0},
                 {Encoding::Pcm16, 32768.0},
                 {Encoding::Pcm24, 8388608.0},
                 {Encoding::Pcm32, 2147483648.0}};
    for (const auto& c : cases) {
        const Audio back = roundTrip(makeAudio(44100, {values}), c.encoding);
        ASSERT_EQ(back.frameCount(), values.size());
        for (std::size_t i = 0; i < values.size(); ++i) {
            EXPECT_LE(std::fabs(back.channels[0][i] - values[i]), 0.5 / c.scale + 1e-15)
                << "scale " << c.scale << " index " << i;
        }
    }
}

TEST(WavWrite, Float32RoundTripEqualsConversionToFloat) {
    const std::vector<double> values = {0.1, -0.3333333333333333, 1.75, -2.5e-10, 0.0};
    const Audio back = roundTrip(makeAudio(44100, {values, values}), Encoding::Float32);
    ASSERT_EQ(back.channels.size(), 2u);
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(back.channels[1][i], static_cast<double>(static_cast<float>(values[i])));
    }
}

TEST(WavWrite, Float64RoundTripIsExactIncludingInfinityAndDenormals) {
    const std::vector<double> values = {0.1,
                                        -0.3333333333333333,
                                        1e300,
                                        -0.0,
                                        std::numeric_limits<double>::infinity(),
                                        std::numeric_limits<double>::denorm_min()};
    const Audio back = roundTrip(makeAudio(192000, {values}), Encoding::Float64);
    EXPECT_EQ(back.sampleRate, 192000u);
    ASSERT_EQ(back.channels.size(), 1u);
    EXPECT_EQ(back.channels[0], values);
    EXPECT_TRUE(std::signbit(back.channels[0][3]));
}

TEST(WavWrite, ManyChannelsRoundTrip) {
    std::vector<std::vector<double>> channels;
    for (int c = 0; c < 12; ++c)
        channels.push_back({c / 16.0, -c / 16.0});
    const Audio a = makeAudio(48000, channels);
    EXPECT_EQ(roundTrip(a, Encoding::Pcm24).channels, a.channels);
}

TEST(WavWrite, OddDataSizeIsPaddedToAnEvenChunk) {
    const Audio a = makeAudio(8000, {{0.5, -0.5, 0.25}});
    const Bytes b = encodeOk(a, Encoding::Pcm8);
    ASSERT_EQ(b.size(), 44u + 3u + 1u);
    EXPECT_EQ(get32(b, 40), 3u);           // the data size excludes the pad byte
    EXPECT_EQ(get32(b, 4), b.size() - 8);  // the RIFF size includes it
    EXPECT_EQ(b.back(), 0u);
    EXPECT_EQ(roundTrip(a, Encoding::Pcm8).channels, a.channels);
    const Bytes b24 = encodeOk(a, Encoding::Pcm24);
    EXPECT_EQ(b24.size(), 44u + 9u + 1u);
    EXPECT_EQ(roundTrip(a, Encoding::Pcm24).channels, a.channels);
}

TEST(WavWrite, EmptyAudioWritesAValidFile) {
    const Audio back = roundTrip(makeAudio(44100, {{}, {}}), Encoding::Float32);
    EXPECT_EQ(back.channels.size(), 2u);
    EXPECT_EQ(back.frameCount(), 0u);
}

TEST(WavWrite, RefusesUnwritableAudio) {
    Bytes out;
    std::string error;
    EXPECT_FALSE(plux::wav::encode(makeAudio(44100, {}), Encoding::Pcm16, out, error));
    EXPECT_NE(error.find("channels"), std::string::npos) << error;
    EXPECT_FALSE(plux::wav::encode(makeAudio(0, {{0.0}}), Encoding::Pcm16, out, error));
    EXPECT_NE(error.find("sample rate"), std::string::npos) << error;
    EXPECT_FALSE(
        plux::wav::encode(makeAudio(44100, {{0.0, 0.0}, {0.0}}), Encoding::Float32, out, error));
    EXPECT_NE(error.find("length"), std::string::npos) << error;
    EXPECT_TRUE(out.empty());
}

std::filesystem::path tempPath(const std::string& name) {
    return plux::testing_support::scratchDir() / name;
}

TEST(WavFile, WriteThenReadBack) {
    const auto path = tempPath("file.wav");
    const Audio a = makeAudio(22050, {{0.5, -0.25, 0.125}, {0.0, 1.0, -1.0}});
    std::string error;
    ASSERT_TRUE(plux::wav::writeFile(path, a, Encoding::Float64, error)) << error;
    Audio back;
    ASSERT_TRUE(plux::wav::readFile(path, back, error)) << error;
    EXPECT_EQ(back.sampleRate, 22050u);
    EXPECT_EQ(back.channels, a.channels);
    std::filesystem::remove(path);
}

TEST(WavFile, MissingFileAndUnwritablePathAreErrors) {
    const auto missing = tempPath("does_not_exist.wav");
    std::filesystem::remove(missing);
    Audio a;
    std::string error;
    EXPECT_FALSE(plux::wav::readFile(missing, a, error));
    EXPECT_NE(error.find("does_not_exist.wav"), std::string::npos) << error;
    const auto badDir = tempPath("no_such_dir") / "x.wav";
    EXPECT_FALSE(plux::wav::writeFile(badDir, makeAudio(8000, {{0.0}}), Encoding::Pcm16, error));
    EXPECT_NE(error.find("x.wav"), std::string::npos) << error;
}

TEST(WavFile, ReadErrorsNameTheFile) {
    const auto path = tempPath("garbage.wav");
    {
        std::ofstream f(path, std::ios::binary);
        f << "this is not a wave file at all";
    }
    Audio a;
    std::string error;
    EXPECT_FALSE(plux::wav::readFile(path, a, error));
    EXPECT_NE(error.find("garbage.wav"), std::string::npos) << error;
    EXPECT_NE(error.find("not a RIFF/WAVE"), std::string::npos) << error;
    std::filesystem::remove(path);
}

}  // namespace
