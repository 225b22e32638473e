// Audio files through libsndfile: exact values through every container and
// WAV encoding, files built by hand, streaming and seeking, and the failures
// a user meets (bad paths, broken files, unwritable places).
#include "tests/support/scratch_dir.h"
#include "tests/tools/wav_bytes.h"
#include "tools/common/audio_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>

namespace {

namespace fs = std::filesystem;
using namespace plux::audio;
using plux::wavbytes::Bytes;
using plux::wavbytes::writeImage;

using plux::testing_support::freshDir;

std::size_t entries(const fs::path& dir) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

std::size_t entriesStartingWith(const fs::path& dir, const std::string& prefix) {
    std::size_t count = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir))
        count += entry.path().filename().string().rfind(prefix, 0) == 0 ? 1 : 0;
    return count;
}

Audio roundTrip(const fs::path& path, const Audio& in, Encoding encoding, Container container) {
    std::string error;
    EXPECT_TRUE(writeFile(path, in, encoding, container, error)) << error;
    Audio out;
    EXPECT_TRUE(readFile(path, out, error)) << error;
    EXPECT_EQ(out.sampleRate, in.sampleRate);
    return out;
}

// Bitwise equality, so that NaN and -0.0 count.
void expectSameBits(const std::vector<double>& got, const std::vector<double>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(std::memcmp(&got[i], &want[i], sizeof(double)), 0)
            << "sample " << i << ": " << got[i] << " instead of " << want[i];
}

std::string readError(const fs::path& path) {
    Audio out;
    std::string error;
    EXPECT_FALSE(readFile(path, out, error));
    EXPECT_TRUE(out.channels.empty());
    EXPECT_EQ(error.rfind(path.string() + ": ", 0), 0u) << error;
    return error;
}

TEST(AudioFile, EveryContainerRoundTripsExactly) {
    const fs::path dir = freshDir("containers");
    const Audio pcm{
        44100, {{0.0, -1.0, 32767.0 / 32768.0, 1.0 / 32768.0}, {0.5, -0.25, -1.0 / 32768.0, 0.0}}};
    const Audio floats{96000, {{0.1f, -3.0, std::numeric_limits<float>::infinity(), 1e-3f}}};
    const struct {
        Container container;
        const char* name;
        const char* prefix;
    } cases[] = {{Container::Wav, "a.wav", "WAV"},
                 {Container::Rf64, "a.rf64", "RF64"},
                 {Container::W64, "a.w64", "W64"},
                 {Container::Aiff, "a.aiff", "AIFF"},
                 {Container::Flac, "a.flac", "FLAC"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Container guessed{};
        ASSERT_TRUE(containerForPath(c.name, guessed));
        EXPECT_EQ(guessed, c.container);
        const Audio back = roundTrip(dir / c.name, pcm, Encoding::Pcm16, c.container);
        EXPECT_EQ(back.channels, pcm.channels);
        {
            // Closed before the file is replaced: Windows renames nothing
            // over a file that is open.
            Reader reader;
            std::string error;
            ASSERT_TRUE(reader.open(dir / c.name, error)) << error;
            EXPECT_EQ(reader.info().format, std::string(c.prefix) + ", PCM 16-bit");
            EXPECT_EQ(reader.info().frames, 4);
            EXPECT_EQ(reader.info().channels, 2);
        }
        if (c.container != Container::Flac) {
            EXPECT_EQ(roundTrip(dir / c.name, floats, Encoding::Float32, c.container).channels,
                      floats.channels);
        }
    }
    Container unused{};
    EXPECT_TRUE(containerForPath("X.AIF", unused));
    EXPECT_FALSE(containerForPath("x.mp3", unused));
    EXPECT_FALSE(containerForPath("wav", unused));
}

TEST(AudioFile, WavEncodingsQuantiseAndKeepFloatsAsStored) {
    const fs::path dir = freshDir("encodings");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        Encoding encoding;
        int bits;
        const char* format;
    } integers[] = {{Encoding::Pcm8, 8, "WAV, PCM 8-bit"},
                    {Encoding::Pcm16, 16, "WAV, PCM 16-bit"},
                    {Encoding::Pcm24, 24, "WAV, PCM 24-bit"},
                    {Encoding::Pcm32, 32, "WAV, PCM 32-bit"}};
    for (const auto& c : integers) {
        SCOPED_TRACE(c.format);
        const double step = std::ldexp(1.0, 1 - c.bits);
        // Full scale clips to the largest code, half a step rounds away from
        // zero, NaN becomes silence.
        const Audio in{8000,
                       {{1.0, -1.0, 7.0, -inf, 0.5 * step, -0.5 * step, 0.5, nan, -3 * step}}};
        const Audio back = roundTrip(dir / "int.wav", in, c.encoding, Container::Wav);
        expectSameBits(back.channels.at(0),
                       {1.0 - step, -1.0, 1.0 - step, -1.0, step, -step, 0.5, 0.0, -3 * step});
        Reader reader;
        std::string error;
        ASSERT_TRUE(reader.open(dir / "int.wav", error)) << error;
        EXPECT_EQ(reader.info().format, c.format);
    }
    const std::vector<double> specials = {nan, inf, -inf, 3.0, -0.0, 0.1};
    const Audio in{48000, {specials}};
    expectSameBits(roundTrip(dir / "d.wav", in, Encoding::Float64, Container::Wav).channels.at(0),
                   specials);
    expectSameBits(roundTrip(dir / "f.wav", in, Encoding::Float32, Container::Wav).channels.at(0),
                   {nan, inf, -inf, 3.0, -0.0, static_cast<double>(0.1f)});
    expectSameBits(roundTrip(dir / "f.aiff", in, Encoding::Float32, Container::Aiff).channels.at(0),
                   {nan, inf, -inf, 3.0, -0.0, static_cast<double>(0.1f)});
}

TEST(AudioFile, ReadsFilesBuiltByHand) {
    using namespace plux::wavbytes;
    const fs::path dir = freshDir("by_hand");
    Bytes pcm;
    for (std::uint32_t v : {0x4000u, 0x8000u, 0x7FFFu})
        put16(pcm, v);
    writeImage(dir / "plain.wav",
               riff({chunk("fmt ", fmtBody(1, 1, 22050, 16)), chunk("data", pcm)}));
    Audio a;
    std::string error;
    ASSERT_TRUE(readFile(dir / "plain.wav", a, error)) << error;
    EXPECT_EQ(a.sampleRate, 22050);
    EXPECT_EQ(a.channels, (std::vector<std::vector<double>>{{0.5, -1.0, 32767.0 / 32768.0}}));

    // WAVE_FORMAT_EXTENSIBLE, three channels of 24-bit PCM.
    Bytes wide;
    for (std::uint32_t v : {0x400000u, 0x800000u, 0x000001u, 0xFFFFFFu, 0x7FFFFFu, 0xC00000u})
        put24(wide, v);
    writeImage(dir / "ext.wav", riff({chunk("fmt ", extensibleFmtBody(1, 3, 48000, 24, 24, 0x7)),
                                      chunk("data", wide)}));
    ASSERT_TRUE(readFile(dir / "ext.wav", a, error)) << error;
    const double lsb = std::ldexp(1.0, -23);
    EXPECT_EQ(a.channels,
              (std::vector<std::vector<double>>{{0.5, -lsb}, {-1.0, 1.0 - lsb}, {lsb, -0.5}}));

    // Our writer marks more than two WAV channels as EXTENSIBLE too.
    ASSERT_TRUE(writeFile(dir / "out.wav", a, Encoding::Pcm24, Container::Wav, error)) << error;
    std::ifstream file(dir / "out.wav", std::ios::binary);
    Bytes head(22);
    file.read(reinterpret_cast<char*>(head.data()), 22);
    EXPECT_EQ(get16(head, 20), 0xFFFE);
}

TEST(AudioFile, StreamsAndSeeksLikeTheWholeFile) {
    const fs::path path = freshDir("stream") / "s.flac";
    Audio in{44100, std::vector<std::vector<double>>(3)};
    for (int i = 0; i < 10000; ++i)
        for (int c = 0; c < 3; ++c)
            in.channels[static_cast<std::size_t>(c)].push_back(
                ((i * 7919 + c * 104729) % 65536 - 32768) / 32768.0);
    const Audio whole = roundTrip(path, in, Encoding::Pcm16, Container::Flac);
    ASSERT_EQ(whole.channels, in.channels);

    Reader reader;
    std::string error;
    ASSERT_TRUE(reader.open(path, error)) << error;
    std::vector<double> streamed, block(7 * 3);
    for (std::int64_t n; (n = reader.read(block.data(), 7, error)) > 0;)
        streamed.insert(streamed.end(), block.begin(), block.begin() + n * 3);
    ASSERT_EQ(streamed.size(), 30000u);
    for (std::size_t i = 0; i < streamed.size(); ++i)
        ASSERT_EQ(streamed[i], whole.channels[i % 3][i / 3]) << "sample " << i;
    EXPECT_EQ(reader.read(block.data(), 7, error), 0);

    ASSERT_TRUE(reader.seek(9998, error)) << error;
    EXPECT_EQ(reader.read(block.data(), 7, error), 2);
    EXPECT_EQ(block[3 + 2], whole.channels[2][9999]);
    ASSERT_TRUE(reader.seek(10000, error)) << error;
    EXPECT_EQ(reader.read(block.data(), 7, error), 0);
    EXPECT_FALSE(reader.seek(10001, error));
    EXPECT_FALSE(reader.seek(-1, error));
    EXPECT_NE(error.find("s.flac"), std::string::npos) << error;
}

TEST(AudioFile, BadInputsFailWithTheirReason) {
    using namespace plux::wavbytes;
    const fs::path dir = freshDir("bad_input");
    EXPECT_EQ(readError(dir / "missing.wav"), (dir / "missing.wav").string() + ": no such file");
    EXPECT_EQ(readError(dir), dir.string() + ": is a directory");
    writeImage(dir / "empty.wav", {});
    EXPECT_EQ(readError(dir / "empty.wav"), (dir / "empty.wav").string() + ": empty file");
    std::ofstream(dir / "notes.wav") << "just some text, not audio\n";
    EXPECT_NE(readError(dir / "notes.wav").find(": not an audio file libsndfile can read ("),
              std::string::npos);
    const Bytes header = riff({chunk("fmt ", fmtBody(1, 1, 8000, 16)), chunk("data", {})});
    writeImage(dir / "cut_header.wav", Bytes(header.begin(), header.begin() + 20));
    readError(dir / "cut_header.wav");

    // A data chunk claiming 100 frames of which 3 arrived: a truncated file.
    Bytes claimed = header;
    claimed[40] = 200;
    for (std::uint32_t v : {0x4000u, 0xC000u, 0x0001u})
        put16(claimed, v);
    writeImage(dir / "short.wav", claimed);
    EXPECT_EQ(readError(dir / "short.wav"),
              (dir / "short.wav").string() +
                  ": truncated: its header announces more audio than the file holds");
    Reader reader;
    std::string error;
    double buffer[8];
    // Nothing but a header that announces no audio: no frames, no crash.
    writeImage(dir / "header_only.wav", header);
    ASSERT_TRUE(reader.open(dir / "header_only.wav", error)) << error;
    EXPECT_EQ(reader.read(buffer, 8, error), 0);
}

TEST(AudioFile, FailedWritesLeaveNothingBehind) {
    const fs::path dir = freshDir("bad_output");
    const Audio audio{48000, {{0.25, -0.25}}};
    std::string error;
    const fs::path nowhere = dir / "no_such_dir" / "out.wav";
    EXPECT_FALSE(writeFile(nowhere, audio, Encoding::Float32, Container::Wav, error));
    EXPECT_EQ(error.rfind(nowhere.string() + ": cannot write (", 0), 0u) << error;
    std::ofstream(dir / "plain_file") << "x";
    EXPECT_FALSE(
        writeFile(dir / "plain_file" / "out.wav", audio, Encoding::Float32, Container::Wav, error));
    EXPECT_FALSE(writeFile(dir / "a.flac", audio, Encoding::Float32, Container::Flac, error));
    EXPECT_EQ(error, (dir / "a.flac").string() +
                         ": FLAC holds only 8-, 16- and 24-bit PCM, not float 32-bit");
    EXPECT_FALSE(writeFile(dir / "b.wav", Audio{48000, {{0.1}, {}}}, Encoding::Float32,
                           Container::Wav, error));
    EXPECT_FALSE(
        writeFile(dir / "c.wav", Audio{48000, {}}, Encoding::Float32, Container::Wav, error));
    EXPECT_EQ(entries(dir), 1u);  // plain_file only

    {
        Writer writer;
        ASSERT_TRUE(writer.open(dir / "d.wav", 2, 48000, Encoding::Pcm24, Container::Wav, error))
            << error;
        ASSERT_TRUE(writer.write(std::vector<double>{0.5, 0.5}.data(), 1, error)) << error;
        EXPECT_EQ(entriesStartingWith(dir, "d.wav.partial-"), 1u);
        EXPECT_FALSE(fs::exists(dir / "d.wav"));
    }
    EXPECT_EQ(entries(dir), 1u);

    // A committed write replaces what was there, and only then.
    writeImage(dir / "e.wav", {'o', 'l', 'd'});
    Writer writer;
    ASSERT_TRUE(writer.open(dir / "e.wav", 1, 48000, Encoding::Float32, Container::Wav, error))
        << error;
    ASSERT_TRUE(writer.write(std::vector<double>{0.75}.data(), 1, error)) << error;
    EXPECT_EQ(fs::file_size(dir / "e.wav"), 3u);
    ASSERT_TRUE(writer.commit(error)) << error;
    EXPECT_FALSE(writer.commit(error));
    Audio back;
    ASSERT_TRUE(readFile(dir / "e.wav", back, error)) << error;
    EXPECT_EQ(back.channels, (std::vector<std::vector<double>>{{0.75}}));
    EXPECT_EQ(entries(dir), 2u);
}

}  // namespace

// Names with spaces and characters outside ASCII (on Windows: outside the
// ANSI code page too) are written, found under their own name and read.
TEST(AudioFile, NonAsciiAndSpacedPaths) {
    const fs::path dir = freshDir("names") / fs::u8path("gr\xC3\xBCn folder \xE2\x99\xAA");
    fs::create_directories(dir);
    const Audio audio{44100, {{0.5, -0.25, 0.125}}};
    for (const char* name : {"t\xC3\xABst file.flac", "\xCE\xB1\xCE\xB2\xCE\xB3 \xE6\x97\xA5.wav",
                             "with space.aiff"}) {
        const fs::path path = dir / fs::u8path(name);
        SCOPED_TRACE(path.u8string());
        Container container{};
        ASSERT_TRUE(containerForPath(path, container));
        std::string error;
        ASSERT_TRUE(writeFile(path, audio, Encoding::Pcm24, container, error)) << error;
        Audio back;
        ASSERT_TRUE(readFile(path, back, error)) << error;
        EXPECT_EQ(back.channels, audio.channels);
        bool listed = false;
        for (const fs::directory_entry& entry : fs::directory_iterator(dir))
            listed = listed || entry.path().filename().u8string() == name;
        EXPECT_TRUE(listed) << "not listed under its own name";
    }
    EXPECT_EQ(entries(dir), 3u);
    Audio none;
    std::string error;
    const fs::path missing = dir / fs::u8path("n\xC3\xA4hte.wav");
    EXPECT_FALSE(readFile(missing, none, error));
    EXPECT_EQ(error, missing.u8string() + ": no such file");
}

// A write that fails, however far it got, leaves the file that was there.
TEST(AudioFile, FailedWriteKeepsTheOldFile) {
    const fs::path dir = freshDir("keep_old");
    const fs::path path = dir / "take.wav";
    const Audio old{48000, {{0.5, -0.5}}};
    std::string error;
    ASSERT_TRUE(writeFile(path, old, Encoding::Pcm16, Container::Wav, error)) << error;
    const Bytes before = plux::wavbytes::readImage(path);
    const auto unchanged = [&] {
        EXPECT_EQ(plux::wavbytes::readImage(path), before);
        EXPECT_EQ(entries(dir), 1u);
    };

    // Refused before anything is written.
    EXPECT_FALSE(
        writeFile(path, Audio{48000, {{0.1}, {}}}, Encoding::Pcm16, Container::Wav, error));
    unchanged();
    EXPECT_FALSE(writeFile(path, Audio{0, {{0.1}}}, Encoding::Pcm16, Container::Wav, error));
    unchanged();
    EXPECT_FALSE(writeFile(path, old, Encoding::Float64, Container::Flac, error));
    unchanged();
    // Abandoned half way: staged in full but never committed.
    {
        Writer writer;
        ASSERT_TRUE(stageFile(path, Audio{48000, {{0.1, 0.2, 0.3}}}, Encoding::Float32,
                              Container::Wav, writer, error))
            << error;
        EXPECT_EQ(entriesStartingWith(dir, "take.wav.partial-"), 1u);
    }
    unchanged();
    // A write after a failed one is refused, and its commit too.
    {
        Writer writer;
        ASSERT_TRUE(writer.open(path, 1, 48000, Encoding::Pcm16, Container::Wav, error)) << error;
        EXPECT_FALSE(writer.write(nullptr, 4, error));
        EXPECT_FALSE(writer.commit(error));
    }
    unchanged();
#ifdef _WIN32
    // Windows renames nothing over a file that is open: the last step fails
    // and the reader's file stays whole.
    {
        Reader reader;
        ASSERT_TRUE(reader.open(path, error)) << error;
        EXPECT_FALSE(
            writeFile(path, Audio{48000, {{0.1}}}, Encoding::Pcm16, Container::Wav, error));
        EXPECT_EQ(error.rfind(path.string() + ": cannot write (", 0), 0u) << error;
    }
    unchanged();
#endif
    Audio back;
    ASSERT_TRUE(readFile(path, back, error)) << error;
    EXPECT_EQ(back.channels, old.channels);
}
