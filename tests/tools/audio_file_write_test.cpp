// Writing WAV files: what a reader finds in them (format, rate, frames), the
// RIFF layout a file must have, integer rounding and clipping, round trips for
// every encoding, and refused inputs.
#include "tests/support/scratch_dir.h"
#include "tests/tools/wav_bytes.h"
#include "tools/common/audio_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

namespace {

namespace fs = std::filesystem;
using namespace plux::wavbytes;
using plux::audio::Audio;
using plux::audio::Container;
using plux::audio::Encoding;

Audio makeAudio(int rate, std::vector<std::vector<double>> channels) {
    Audio a;
    a.sampleRate = rate;
    a.channels = std::move(channels);
    return a;
}

fs::path tempPath(const std::string& name) {
    return plux::testing_support::scratchDir() / name;
}

// The file's bytes after writing `a` as a WAV file.
Bytes encodeOk(const Audio& a, Encoding e, const std::string& name = "encoded.wav") {
    std::string error;
    EXPECT_TRUE(plux::audio::writeFile(tempPath(name), a, e, Container::Wav, error)) << error;
    return readImage(tempPath(name));
}

// What a reader makes of `a` written as a WAV file, and the format it reports.
Audio roundTrip(const Audio& a, Encoding e, std::string* format = nullptr) {
    const fs::path path = tempPath("round_trip.wav");
    std::string error;
    EXPECT_TRUE(plux::audio::writeFile(path, a, e, Container::Wav, error)) << error;
    Audio back;
    EXPECT_TRUE(plux::audio::readFile(path, back, error)) << error;
    if (format) {
        plux::audio::Reader reader;
        EXPECT_TRUE(reader.open(path, error)) << error;
        *format = reader.info().format;
    }
    return back;
}

// The 16-bit codes written for `values` (mono), as a reader finds them.
std::vector<int> pcm16Codes(const std::vector<double>& values) {
    const Audio back = roundTrip(makeAudio(8000, {values}), Encoding::Pcm16);
    std::vector<int> codes;
    for (double v : back.channels.at(0))
        codes.push_back(static_cast<int>(std::lround(v * 32768.0)));
    return codes;
}

// A RIFF file whose size field covers the whole file, every chunk padded to
// an even length.
void expectWellFormedRiff(const Bytes& b) {
    ASSERT_GE(b.size(), 12u);
    EXPECT_EQ(text(b, 0, 4), "RIFF");
    EXPECT_EQ(get32(b, 4), b.size() - 8);
    EXPECT_EQ(text(b, 8, 4), "WAVE");
    EXPECT_EQ(b.size() % 2, 0u);
    std::size_t at = 12;
    while (at + 8 <= b.size()) {
        const std::uint32_t size = get32(b, at + 4);
        at += 8 + size + size % 2;
    }
    EXPECT_EQ(at, b.size()) << "chunks do not tile the file";
}

TEST(AudioFileWrite, Pcm16StereoReadsBackAsWritten) {
    const Audio a = makeAudio(44100, {{0.5, 0.0}, {-0.5, 0.0}});
    expectWellFormedRiff(encodeOk(a, Encoding::Pcm16));
    std::string format;
    const Audio back = roundTrip(a, Encoding::Pcm16, &format);
    EXPECT_EQ(format, "WAV, PCM 16-bit");
    EXPECT_EQ(back.sampleRate, 44100);
    EXPECT_EQ(back.channels, a.channels);
}

TEST(AudioFileWrite, FloatFilesAreIeeeFloatOfTheirWidth) {
    const Audio a = makeAudio(48000, {{0.25, 0.5, 0.75}});
    expectWellFormedRiff(encodeOk(a, Encoding::Float32));
    std::string format;
    EXPECT_EQ(roundTrip(a, Encoding::Float32, &format).frameCount(), 3u);
    EXPECT_EQ(format, "WAV, float 32-bit");
    EXPECT_EQ(roundTrip(a, Encoding::Float64, &format).channels, a.channels);
    EXPECT_EQ(format, "WAV, float 64-bit");
}

TEST(AudioFileWrite, Pcm16RoundsHalfAwayFromZero) {
    const double lsb = 1.0 / 32768.0;
    EXPECT_EQ(pcm16Codes({0.5 * lsb, -0.5 * lsb, 0.49 * lsb, 1.5 * lsb, -1.5 * lsb, 2.5 * lsb,
                          1000.4999 * lsb, -1000.5001 * lsb}),
              (std::vector<int>{1, -1, 0, 2, -2, 3, 1000, -1001}));
}

TEST(AudioFileWrite, Pcm16ClipsAtBothEnds) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(pcm16Codes({1.0, -1.0, 32767.4 / 32768.0, 1.5, -1.5, -32768.6 / 32768.0, inf, -inf}),
              (std::vector<int>{32767, -32768, 32767, 32767, -32768, -32768, 32767, -32768}));
}

TEST(AudioFileWrite, Pcm16TurnsNanIntoSilence) {
    EXPECT_EQ(pcm16Codes({std::numeric_limits<double>::quiet_NaN(), 0.25}),
              (std::vector<int>{0, 8192}));
}

// Each integer encoding and its steps per unit.
const struct {
    Encoding encoding;
    double scale;
} kIntegerGrids[] = {{Encoding::Pcm8, 128.0},
                     {Encoding::Pcm16, 32768.0},
                     {Encoding::Pcm24, 8388608.0},
                     {Encoding::Pcm32, 2147483648.0}};

// Values on each encoding's grid must come back unchanged.
TEST(AudioFileWrite, IntegerEncodingsRoundTripTheirGridExactly) {
    for (const auto& c : kIntegerGrids) {
        const std::vector<double> left = {
            0.0, -1.0, (c.scale - 1) / c.scale, 1 / c.scale, -1 / c.scale, 0.5, -0.25};
        const std::vector<double> right = {
            0.125,       0.0,         -0.5, (c.scale - 2) / c.scale, -(c.scale - 1) / c.scale,
            2 / c.scale, -2 / c.scale};
        const Audio a = makeAudio(32000, {left, right});
        const Audio back = roundTrip(a, c.encoding);
        EXPECT_EQ(back.sampleRate, 32000);
        EXPECT_EQ(back.channels, a.channels) << "scale " << c.scale;
    }
}

// Values between grid points come back within half a step.
TEST(AudioFileWrite, IntegerEncodingsQuantiseToTheNearestStep) {
    std::vector<double> values;
    for (int i = 0; i < 1000; ++i)
        values.push_back(std::sin(i * 0.37) * 0.99);
    for (const auto& c : kIntegerGrids) {
        const Audio back = roundTrip(makeAudio(44100, {values}), c.encoding);
        ASSERT_EQ(back.frameCount(), values.size());
        for (std::size_t i = 0; i < values.size(); ++i) {
            EXPECT_LE(std::fabs(back.channels[0][i] - values[i]), 0.5 / c.scale + 1e-15)
                << "scale " << c.scale << " index " << i;
        }
    }
}

TEST(AudioFileWrite, Float32RoundTripEqualsConversionToFloat) {
    const std::vector<double> values = {0.1, -0.3333333333333333, 1.75, -2.5e-10, 0.0};
    const Audio back = roundTrip(makeAudio(44100, {values, values}), Encoding::Float32);
    ASSERT_EQ(back.channels.size(), 2u);
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(back.channels[1][i], static_cast<double>(static_cast<float>(values[i])));
    }
}

TEST(AudioFileWrite, Float64RoundTripIsExactIncludingInfinityAndDenormals) {
    const std::vector<double> values = {0.1,
                                        -0.3333333333333333,
                                        1e300,
                                        -0.0,
                                        std::numeric_limits<double>::infinity(),
                                        std::numeric_limits<double>::denorm_min()};
    const Audio back = roundTrip(makeAudio(192000, {values}), Encoding::Float64);
    EXPECT_EQ(back.sampleRate, 192000);
    ASSERT_EQ(back.channels.size(), 1u);
    EXPECT_EQ(back.channels[0], values);
    EXPECT_TRUE(std::signbit(back.channels[0][3]));
}

TEST(AudioFileWrite, ManyChannelsRoundTrip) {
    std::vector<std::vector<double>> channels;
    for (int c = 0; c < 12; ++c)
        channels.push_back({c / 16.0, -c / 16.0});
    const Audio a = makeAudio(48000, channels);
    EXPECT_EQ(roundTrip(a, Encoding::Pcm24).channels, a.channels);
}

TEST(AudioFileWrite, OddDataSizeIsPaddedToAnEvenChunk) {
    const Audio a = makeAudio(8000, {{0.5, -0.5, 0.25}});
    expectWellFormedRiff(encodeOk(a, Encoding::Pcm8));
    EXPECT_EQ(roundTrip(a, Encoding::Pcm8).channels, a.channels);
    expectWellFormedRiff(encodeOk(a, Encoding::Pcm24));
    EXPECT_EQ(roundTrip(a, Encoding::Pcm24).channels, a.channels);
}

TEST(AudioFileWrite, EmptyAudioWritesAValidFile) {
    const Audio back = roundTrip(makeAudio(44100, {{}, {}}), Encoding::Float32);
    EXPECT_EQ(back.channels.size(), 2u);
    EXPECT_EQ(back.frameCount(), 0u);
}

TEST(AudioFileWrite, RefusesUnwritableAudio) {
    const fs::path path = tempPath("refused.wav");
    fs::remove(path);
    std::string error;
    EXPECT_FALSE(
        plux::audio::writeFile(path, makeAudio(44100, {}), Encoding::Pcm16, Container::Wav, error));
    EXPECT_NE(error.find("channels"), std::string::npos) << error;
    EXPECT_FALSE(plux::audio::writeFile(path, makeAudio(0, {{0.0}}), Encoding::Pcm16,
                                        Container::Wav, error));
    EXPECT_NE(error.find("0 Hz"), std::string::npos) << error;
    EXPECT_FALSE(plux::audio::writeFile(path, makeAudio(44100, {{0.0, 0.0}, {0.0}}),
                                        Encoding::Float32, Container::Wav, error));
    EXPECT_NE(error.find("length"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(path));
}

TEST(AudioFileWrite, WriteThenReadBack) {
    const auto path = tempPath("file.wav");
    const Audio a = makeAudio(22050, {{0.5, -0.25, 0.125}, {0.0, 1.0, -1.0}});
    std::string error;
    ASSERT_TRUE(plux::audio::writeFile(path, a, Encoding::Float64, Container::Wav, error)) << error;
    Audio back;
    ASSERT_TRUE(plux::audio::readFile(path, back, error)) << error;
    EXPECT_EQ(back.sampleRate, 22050);
    EXPECT_EQ(back.channels, a.channels);
    fs::remove(path);
}

TEST(AudioFileWrite, MissingFileAndUnwritablePathAreErrors) {
    const auto missing = tempPath("does_not_exist.wav");
    fs::remove(missing);
    Audio a;
    std::string error;
    EXPECT_FALSE(plux::audio::readFile(missing, a, error));
    EXPECT_NE(error.find("does_not_exist.wav"), std::string::npos) << error;
    const auto badDir = tempPath("no_such_dir") / "x.wav";
    EXPECT_FALSE(plux::audio::writeFile(badDir, makeAudio(8000, {{0.0}}), Encoding::Pcm16,
                                        Container::Wav, error));
    EXPECT_NE(error.find("x.wav"), std::string::npos) << error;
}

TEST(AudioFileWrite, ReadErrorsNameTheFile) {
    const auto path = tempPath("garbage.wav");
    {
        std::ofstream f(path, std::ios::binary);
        f << "this is not a wave file at all";
    }
    Audio a;
    std::string error;
    EXPECT_FALSE(plux::audio::readFile(path, a, error));
    EXPECT_NE(error.find("garbage.wav"), std::string::npos) << error;
    EXPECT_NE(error.find("not an audio file"), std::string::npos) << error;
    fs::remove(path);
}

}  // namespace
