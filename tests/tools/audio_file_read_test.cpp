// Reading WAV images built by hand through the audio-file layer: exact
// sample values for every encoding, chunk handling, and refusal of malformed
// files, each one written to disk first as a user's file would be.
#include "tests/support/scratch_dir.h"
#include "tests/tools/wav_bytes.h"
#include "tools/common/audio_file.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using namespace plux::wavbytes;
using plux::audio::Audio;

// One file per process, rewritten for each image.
const fs::path& imagePath() {
    static const fs::path path = plux::testing_support::freshDir("wav_images") / "image.wav";
    return path;
}

bool decodeBytes(const Bytes& b, Audio& out, std::string& error) {
    writeImage(imagePath(), b);
    return plux::audio::readFile(imagePath(), out, error);
}

Audio decodeOk(const Bytes& b) {
    Audio out;
    std::string error;
    EXPECT_TRUE(decodeBytes(b, out, error)) << error;
    return out;
}

// A refused image leaves no audio behind and names the file in its message.
std::string decodeError(const Bytes& b) {
    Audio out;
    out.sampleRate = 1;
    out.channels.assign(1, std::vector<double>(3, 1.0));
    std::string error;
    EXPECT_FALSE(decodeBytes(b, out, error));
    EXPECT_TRUE(out.channels.empty()) << "a failed read must leave no audio behind";
    EXPECT_EQ(out.sampleRate, 0);
    EXPECT_EQ(error.rfind(imagePath().string() + ": ", 0), 0u) << error;
    return error;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

bool unreadable(const std::string& error) {
    return contains(error, ": not an audio file libsndfile can read (");
}

TEST(AudioFileRead, Pcm8IsUnsignedAroundMidScale) {
    const Audio a = decodeOk(
        riff({chunk("fmt ", fmtBody(1, 1, 8000, 8)), chunk("data", {0x80, 0x00, 0xFF, 0x81})}));
    EXPECT_EQ(a.sampleRate, 8000);
    ASSERT_EQ(a.channels.size(), 1u);
    EXPECT_EQ(a.channels[0], (std::vector<double>{0.0, -1.0, 127.0 / 128.0, 1.0 / 128.0}));
}

TEST(AudioFileRead, Pcm16ExtremesAndSmallestSteps) {
    Bytes data;
    for (std::uint32_t v : {0x0000u, 0x7FFFu, 0x8000u, 0x0001u, 0xFFFFu})
        put16(data, v);
    const Audio a = decodeOk(riff({chunk("fmt ", fmtBody(1, 1, 44100, 16)), chunk("data", data)}));
    EXPECT_EQ(a.sampleRate, 44100);
    ASSERT_EQ(a.channels.size(), 1u);
    EXPECT_EQ(a.channels[0],
              (std::vector<double>{0.0, 32767.0 / 32768.0, -1.0, 1.0 / 32768.0, -1.0 / 32768.0}));
}

TEST(AudioFileRead, Pcm24SignExtends) {
    Bytes data;
    for (std::uint32_t v : {0x7FFFFFu, 0x800000u, 0xFFFFFFu, 0x000001u, 0x400000u})
        put24(data, v);
    const Audio a = decodeOk(riff({chunk("fmt ", fmtBody(1, 1, 48000, 24)), chunk("data", data)}));
    ASSERT_EQ(a.channels.size(), 1u);
    EXPECT_EQ(a.channels[0], (std::vector<double>{8388607.0 / 8388608.0, -1.0, -1.0 / 8388608.0,
                                                  1.0 / 8388608.0, 0.5}));
}

TEST(AudioFileRead, Pcm32FullRange) {
    Bytes data;
    for (std::uint32_t v : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0xC0000000u})
        put32(data, v);
    const Audio a = decodeOk(riff({chunk("fmt ", fmtBody(1, 1, 96000, 32)), chunk("data", data)}));
    ASSERT_EQ(a.channels.size(), 1u);
    EXPECT_EQ(a.channels[0],
              (std::vector<double>{2147483647.0 / 2147483648.0, -1.0, -1.0 / 2147483648.0, -0.5}));
}

TEST(AudioFileRead, Float32KeepsValuesBeyondFullScale) {
    Bytes data;
    for (float f : {0.25f, -1.5f, 3.0e-8f})
        putFloat(data, f);
    const Audio a = decodeOk(riff({chunk("fmt ", fmtBody(3, 1, 44100, 32)), chunk("data", data)}));
    ASSERT_EQ(a.channels.size(), 1u);
    EXPECT_EQ(a.channels[0], (std::vector<double>{0.25, -1.5, static_cast<double>(3.0e-8f)}));
}

TEST(AudioFileRead, Float64IsBitExact) {
    Bytes data;
    for (double d : {0.1, -0.7071067811865476, 1e-300})
        putDouble(data, d);
    const Audio a = decodeOk(riff({chunk("fmt ", fmtBody(3, 1, 44100, 64)), chunk("data", data)}));
    ASSERT_EQ(a.channels.size(), 1u);
    EXPECT_EQ(a.channels[0], (std::vector<double>{0.1, -0.7071067811865476, 1e-300}));
}

TEST(AudioFileRead, DeinterleavesThreeChannels) {
    Bytes data;
    // Frame 0: 1, 2, 3; frame 1: 4, 5, 6 (in units of 1/32768).
    for (std::uint32_t v : {1u, 2u, 3u, 4u, 5u, 6u})
        put16(data, v);
    const Audio a = decodeOk(riff({chunk("fmt ", fmtBody(1, 3, 22050, 16)), chunk("data", data)}));
    ASSERT_EQ(a.channels.size(), 3u);
    EXPECT_EQ(a.frameCount(), 2u);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(a.channels[c][0], (c + 1) / 32768.0);
        EXPECT_EQ(a.channels[c][1], (c + 4) / 32768.0);
    }
}

TEST(AudioFileRead, ExtensiblePcm24In32BitContainers) {
    Bytes data;
    // 24 valid bits, left-justified in 32-bit containers.
    for (std::uint32_t v : {0x40000000u, 0xFFFFFF00u, 0x80000000u, 0x00000100u})
        put32(data, v);
    const Audio a = decodeOk(
        riff({chunk("fmt ", extensibleFmtBody(1, 2, 48000, 32, 24, 3)), chunk("data", data)}));
    ASSERT_EQ(a.channels.size(), 2u);
    EXPECT_EQ(a.channels[0], (std::vector<double>{0.5, -1.0}));
    EXPECT_EQ(a.channels[1], (std::vector<double>{-1.0 / 8388608.0, 1.0 / 8388608.0}));
}

TEST(AudioFileRead, ExtensibleFloat32) {
    Bytes data;
    for (float f : {0.5f, -0.125f})
        putFloat(data, f);
    const Audio a = decodeOk(
        riff({chunk("fmt ", extensibleFmtBody(3, 1, 44100, 32, 32, 4)), chunk("data", data)}));
    ASSERT_EQ(a.channels.size(), 1u);
    EXPECT_EQ(a.channels[0], (std::vector<double>{0.5, -0.125}));
}

TEST(AudioFileRead, ExtensibleWithForeignSubformatIsRejected) {
    Bytes fmt = extensibleFmtBody(1, 1, 44100, 16, 16, 4);
    fmt[24 + 15] ^= 0xFF;  // last byte of the GUID
    const std::string error = decodeError(riff({chunk("fmt ", fmt), chunk("data", {0, 0})}));
    EXPECT_TRUE(unreadable(error)) << error;
}

TEST(AudioFileRead, ExtensibleWithoutItsExtensionIsRejected) {
    Bytes fmt = fmtBody(0xFFFE, 1, 44100, 16);
    put16(fmt, 0);  // cbSize 0: no room for the subformat
    const std::string error = decodeError(riff({chunk("fmt ", fmt), chunk("data", {0, 0})}));
    EXPECT_TRUE(unreadable(error)) << error;
}

TEST(AudioFileRead, SkipsUnknownChunksIncludingOddSizedOnes) {
    Bytes data;
    put16(data, 0x4000);
    const Audio a =
        decodeOk(riff({chunk("LIST", {'a', 'b', 'c'}),  // odd: pad byte follows
                       chunk("fmt ", fmtBody(1, 1, 44100, 16)), chunk("junk", {1, 2, 3, 4, 5}),
                       chunk("data", data), chunk("cue ", {9, 9, 9})}));
    ASSERT_EQ(a.channels.size(), 1u);
    EXPECT_EQ(a.channels[0], (std::vector<double>{0.5}));
}

TEST(AudioFileRead, OddDataChunkWithPadByteBeforeTheNextChunk) {
    const Audio a = decodeOk(riff({chunk("fmt ", fmtBody(1, 1, 8000, 8)),
                                   chunk("data", {0xC0, 0x40, 0x80}), chunk("LIST", {1, 2})}));
    ASSERT_EQ(a.channels.size(), 1u);
    EXPECT_EQ(a.channels[0], (std::vector<double>{0.5, -0.5, 0.0}));
}

TEST(AudioFileRead, OddDataChunkMissingItsFinalPadByte) {
    const Audio a = decodeOk(
        riff({chunk("fmt ", fmtBody(1, 1, 8000, 8)), chunk("data", {0xC0, 0x40, 0x80}, false)}));
    EXPECT_EQ(a.frameCount(), 3u);
}

// libsndfile places the audio by the first 'fmt ' and a single 'data' chunk:
// data before the format, or a second data chunk, is refused with its reason
// rather than read as something else.
TEST(AudioFileRead, RefusesDataBeforeFmtAndASecondDataChunk) {
    Bytes data;
    put16(data, 0xC000);
    std::string error =
        decodeError(riff({chunk("data", data), chunk("fmt ", fmtBody(1, 1, 44100, 16))}));
    EXPECT_TRUE(unreadable(error)) << error;
    error = decodeError(riff({chunk("fmt ", fmtBody(1, 1, 8000, 8)), chunk("data", {0xC0}),
                              chunk("data", {0x40, 0x40})}));
    EXPECT_TRUE(unreadable(error)) << error;
}

TEST(AudioFileRead, EmptyDataChunkGivesNoFrames) {
    const Audio a = decodeOk(riff({chunk("fmt ", fmtBody(1, 2, 44100, 16)), chunk("data", {})}));
    EXPECT_EQ(a.channels.size(), 2u);
    EXPECT_EQ(a.frameCount(), 0u);
}

TEST(AudioFileRead, IgnoresATruncatedTrailingChunk) {
    Bytes b = riff({chunk("fmt ", fmtBody(1, 1, 8000, 8)), chunk("data", {0xC0, 0x40})});
    const Bytes tail = {'L', 'I', 'S', 'T', 100, 0, 0, 0, 1, 2};
    b.insert(b.end(), tail.begin(), tail.end());
    EXPECT_EQ(decodeOk(b).frameCount(), 2u);
}

TEST(AudioFileRead, RejectsNonRiffInput) {
    EXPECT_TRUE(contains(decodeError(Bytes{}), ": empty file"));
    EXPECT_TRUE(unreadable(decodeError(Bytes{'R', 'I', 'F', 'F'})));
    Bytes b = riff({chunk("fmt ", fmtBody(1, 1, 8000, 8)), chunk("data", {0})});
    Bytes notWave = b;
    notWave[8] = 'A';
    EXPECT_TRUE(unreadable(decodeError(notWave)));
    Bytes notRiff = b;
    notRiff[0] = 'X';
    EXPECT_TRUE(unreadable(decodeError(notRiff)));
}

TEST(AudioFileRead, RejectsMissingChunks) {
    EXPECT_TRUE(unreadable(decodeError(riff({chunk("data", {0, 0})}))));
    EXPECT_TRUE(unreadable(decodeError(riff({chunk("fmt ", fmtBody(1, 1, 8000, 16))}))));
    EXPECT_TRUE(unreadable(decodeError(riff({}))));
}

TEST(AudioFileRead, RejectsInconsistentFormats) {
    const Bytes data = chunk("data", {0, 0, 0, 0});
    Bytes shortFmt = fmtBody(1, 1, 8000, 16);
    shortFmt.resize(14);
    EXPECT_TRUE(unreadable(decodeError(riff({chunk("fmt ", shortFmt), data}))));
    EXPECT_TRUE(unreadable(decodeError(riff({chunk("fmt ", fmtBody(1, 0, 8000, 16)), data}))));
    EXPECT_TRUE(unreadable(decodeError(riff({chunk("fmt ", fmtBody(1, 1, 0, 16)), data}))));
    EXPECT_TRUE(unreadable(decodeError(riff({chunk("fmt ", fmtBody(3, 1, 8000, 16)), data}))));
    EXPECT_TRUE(unreadable(decodeError(riff({chunk("fmt ", fmtBody(2, 1, 8000, 16)), data}))));
}

// A header whose block size disagrees with its bits, and a data chunk that
// ends inside a frame: the frames its bits imply are read, whole ones only,
// never more than the bytes hold.
TEST(AudioFileRead, InconsistentSizesReadAsWholeFrames) {
    const Bytes data = chunk("data", {0x00, 0x40, 0x00, 0xC0});
    // 12 bits, block align 1: read in 16-bit containers.
    Audio a = decodeOk(riff({chunk("fmt ", fmtBody(1, 1, 8000, 12)), data}));
    EXPECT_EQ(a.channels, (std::vector<std::vector<double>>{{0.5, -0.5}}));
    Bytes badAlign = fmtBody(1, 2, 8000, 16);
    badAlign[12] = 2;  // block align 2 for two 16-bit channels
    a = decodeOk(riff({chunk("fmt ", badAlign), data}));
    EXPECT_EQ(a.channels, (std::vector<std::vector<double>>{{0.5}, {-0.5}}));
    a = decodeOk(riff({chunk("fmt ", fmtBody(1, 2, 8000, 16)), chunk("data", {1, 2, 3, 4, 5, 6})}));
    EXPECT_EQ(a.channels,
              (std::vector<std::vector<double>>{{0x0201 / 32768.0}, {0x0403 / 32768.0}}));
}

// Every proper prefix of a valid file whose last chunk is 'data' is
// truncated and must be refused, without reading past the copy's end.
TEST(AudioFileRead, EveryTruncationIsRefused) {
    Bytes data;
    for (std::uint32_t v = 0; v < 6; ++v)
        put24(data, v * 1000);
    const Bytes full =
        riff({chunk("fmt ", fmtBody(1, 2, 44100, 24)), chunk("LIST", {7}), chunk("data", data)});
    ASSERT_EQ(decodeOk(full).frameCount(), 3u);
    for (std::size_t n = 0; n < full.size(); ++n) {
        const Bytes prefix(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
        Audio out;
        std::string error;
        EXPECT_FALSE(decodeBytes(prefix, out, error)) << "prefix of " << n << " bytes";
        EXPECT_FALSE(error.empty());
    }
}

TEST(AudioFileRead, TruncatedDataChunkSaysSo) {
    Bytes b = riff({chunk("fmt ", fmtBody(1, 1, 8000, 16)), chunk("data", {1, 2, 3, 4})});
    b.resize(b.size() - 2);
    EXPECT_TRUE(contains(decodeError(b), "truncated"));
}

// Corrupting any byte of a valid file to any of several values must give
// either an error or self-consistent audio, and never a crash.
TEST(AudioFileRead, CorruptedBytesNeverBreakTheReader) {
    Bytes data;
    for (std::uint32_t v = 0; v < 8; ++v)
        put16(data, v * 4000);
    const Bytes full = riff({chunk("fmt ", fmtBody(1, 2, 44100, 16)), chunk("data", data)});
    int accepted = 0, refused = 0;
    for (std::size_t i = 0; i < full.size(); ++i) {
        for (std::uint8_t value : {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF}) {
            Bytes b = full;
            b[i] = value;
            Audio out;
            std::string error;
            if (decodeBytes(b, out, error)) {
                ++accepted;
                ASSERT_GT(out.sampleRate, 0);
                ASSERT_FALSE(out.channels.empty());
                for (const auto& channel : out.channels) {
                    ASSERT_EQ(channel.size(), out.frameCount());
                }
                ASSERT_LE(out.channels.size() * out.frameCount(), b.size());
            } else {
                ++refused;
                ASSERT_FALSE(error.empty());
            }
        }
    }
    // Sample bytes may take any value, header bytes mostly may not.
    EXPECT_GT(accepted, 0);
    EXPECT_GT(refused, 0);
}

TEST(AudioFileRead, RandomGarbageAfterAValidHeader) {
    std::uint32_t state = 12345;
    for (int round = 0; round < 200; ++round) {
        Bytes b = {'R', 'I', 'F', 'F', 0xFF, 0xFF, 0xFF, 0xFF, 'W', 'A', 'V', 'E'};
        const std::size_t n = 8 + round % 64;
        for (std::size_t i = 0; i < n; ++i) {
            state = state * 1664525u + 1013904223u;
            b.push_back(static_cast<std::uint8_t>(state >> 24));
        }
        if (round % 2 == 0) {  // steer half of the rounds into a plausible chunk id
            const char* id = round % 4 == 0 ? "fmt " : "data";
            std::memcpy(&b[12], id, 4);
        }
        Audio out;
        std::string error;
        if (!decodeBytes(b, out, error)) {
            EXPECT_FALSE(error.empty());
        } else {
            EXPECT_LE(out.channels.size() * out.frameCount(), b.size());
        }
    }
}

}  // namespace
