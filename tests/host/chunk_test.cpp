// State chunks: the format, the round trip, and whatever else a host or a
// damaged project file may hand over.
#include "tests/host/plugin_instance.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

namespace {

std::vector<unsigned char> floatsToBytes(const std::vector<float>& values) {
    std::vector<unsigned char> bytes(values.size() * 4);
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

class Chunks : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        fakehost::reset();
        p.start();
    }
    PluginInstance p{GetParam()};
};

TEST_P(Chunks, FormatIsMarkerThenSixtyFourSliderValues) {
    VstIntPtr size = 0;
    const std::vector<unsigned char> bytes = p.chunk(&size);
    ASSERT_EQ(size, 4 * 65);
    ASSERT_EQ(bytes.size(), 4u * 65u);
    const unsigned char marker[] = {0x00, 0x00, 0x7A, 0xC4};
    EXPECT_EQ(std::memcmp(bytes.data(), marker, 4), 0);
    float values[65];
    std::memcpy(values, bytes.data(), sizeof values);
    if (std::string(GetParam()) == "nulltest") {
        EXPECT_EQ(values[1], 1.0f);  // window duration
        EXPECT_EQ(values[2], 0.0f);  // smoothing
    }
    for (int i = 3; i < 65; ++i)
        EXPECT_EQ(values[i], 0.0f) << i;
}

// The meter's two sliders keep a restored value inside their ranges; the
// other 62 values are no host parameter and come back as they were.
struct SliderRange {
    size_t position;
    double minimum, maximum;
};
std::vector<SliderRange> sliderRanges(const std::string& plugin) {
    if (plugin == "nulltest")
        return {{1, 0.1, 10.0}, {2, 0.0, 1.0}};
    return {};
}

// What a restored chunk value reads back as: non-finite values store 0, then
// a slider's range applies.
float restoredValue(const std::string& plugin, size_t position, float sent) {
    double value = std::isfinite(sent) ? static_cast<double>(sent) : 0.0;
    for (const SliderRange& r : sliderRanges(plugin))
        if (r.position == position)
            value = value < r.minimum ? r.minimum : value > r.maximum ? r.maximum : value;
    return static_cast<float>(value);
}

TEST_P(Chunks, GetSetGetIsByteExact) {
    std::vector<float> values(65, 0.0f);
    values[0] = -1000.0f;
    for (int i = 1; i < 65; ++i)
        values[static_cast<size_t>(i)] = 0.25f * static_cast<float>(i) - 3.0f;
    // Inside the meter's slider ranges, off their steps: a valid chunk.
    values[1] = 2.55f;
    values[2] = 0.1234f;
    const std::vector<unsigned char> input = floatsToBytes(values);
    EXPECT_EQ(p.setChunk(input.data(), static_cast<VstIntPtr>(input.size())),
              static_cast<VstIntPtr>(input.size()));
    const std::vector<unsigned char> first = p.chunk();
    EXPECT_EQ(first, input);
    EXPECT_EQ(p.setChunk(first.data(), static_cast<VstIntPtr>(first.size())),
              static_cast<VstIntPtr>(first.size()));
    EXPECT_EQ(p.chunk(), first);
}

TEST_P(Chunks, ShortChunkRestoresWhatItHoldsAndKeepsTheRest) {
    const std::vector<unsigned char> before = p.chunk();
    const std::vector<unsigned char> shortChunk = floatsToBytes({-1000.0f, 7.5f});
    p.setChunk(shortChunk.data(), static_cast<VstIntPtr>(shortChunk.size()));
    std::vector<unsigned char> expected = before;
    std::memcpy(&expected[4], &shortChunk[4], 4);
    EXPECT_EQ(p.chunk(), expected);
}

TEST_P(Chunks, MalformedChunksAreAcceptedAndChangeNothing) {
    const std::vector<unsigned char> before = p.chunk();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<std::vector<unsigned char>> bad = {
        {},
        {0x00},
        {0x00, 0x00},
        {0x00, 0x00, 0x7A},
        floatsToBytes({-999.0f, 1.0f, 2.0f}),
        floatsToBytes({1000.0f, 1.0f}),
        floatsToBytes({nan, 1.0f}),
        floatsToBytes({0.0f}),
    };
    for (const auto& chunk : bad) {
        std::vector<unsigned char> copy = chunk;
        copy.push_back(0xEE);  // one guard byte the plug-in must not consume
        const VstIntPtr size = static_cast<VstIntPtr>(chunk.size());
        EXPECT_EQ(p.setChunk(copy.data(), size), size);
        EXPECT_EQ(p.chunk(), before);
    }
}

TEST_P(Chunks, SizeNotAMultipleOfFourReadsWholeValuesOnly) {
    std::vector<unsigned char> bytes = floatsToBytes({-1000.0f, 3.0f, 4.0f});
    bytes.resize(11);  // the last value is incomplete
    EXPECT_EQ(p.setChunk(bytes.data(), 11), 11);
    float values[3] = {};
    const std::vector<unsigned char> now = p.chunk();
    std::memcpy(values, now.data(), sizeof values);
    EXPECT_EQ(values[1], 3.0f);
    EXPECT_NE(values[2], 4.0f);
}

TEST_P(Chunks, NegativeSizeAndNullDataAreRefused) {
    const std::vector<unsigned char> before = p.chunk();
    const std::vector<unsigned char> good = floatsToBytes({-1000.0f, 9.0f});
    EXPECT_EQ(p.setChunk(good.data(), -8), 0);
    EXPECT_EQ(p.setChunk(nullptr, 8), 0);
    EXPECT_EQ(p.chunk(), before);
}

TEST_P(Chunks, OneMegabyteOfRandomBytes) {
    std::mt19937 random(1234);
    std::vector<unsigned char> noise(1 << 20);
    for (unsigned char& b : noise)
        b = static_cast<unsigned char>(random());
    // Make sure the marker does not appear by chance.
    noise[0] = 0x11;
    EXPECT_EQ(p.setChunk(noise.data(), static_cast<VstIntPtr>(noise.size())),
              static_cast<VstIntPtr>(noise.size()));
    EXPECT_EQ(p.chunk().size(), 4u * 65u);
    // The same noise behind a valid marker restores 64 of its values.
    std::memcpy(noise.data(), "\x00\x00\x7A\xC4", 4);
    EXPECT_EQ(p.setChunk(noise.data(), static_cast<VstIntPtr>(noise.size())),
              static_cast<VstIntPtr>(noise.size()));
    const std::vector<unsigned char> restored = p.chunk();
    ASSERT_EQ(restored.size(), 4u * 65u);
    int nonFinite = 0;
    for (size_t i = 1; i < 65; ++i) {
        float got = 0.0f, sent = 0.0f;
        std::memcpy(&got, &restored[i * 4], 4);
        std::memcpy(&sent, &noise[i * 4], 4);
        const float expected = restoredValue(GetParam(), i, sent);
        EXPECT_EQ(std::memcmp(&got, &expected, 4), 0) << i;
        if (!std::isfinite(sent))
            ++nonFinite;
    }
    EXPECT_GT(nonFinite, 0);  // this noise holds both kinds of value
    for (VstInt32 index = 0; index < p.effect->numParams; ++index) {
        EXPECT_GE(p.effect->getParameter(p.effect, index), 0.0f) << index;
        EXPECT_LE(p.effect->getParameter(p.effect, index), 1.0f) << index;
    }
}

// A damaged or foreign preset: whatever the chunk holds for a slider, the
// host reads its parameter within 0 ... 1 and the plug-in shows and saves the
// nearest value the slider can take.
TEST(DamagedChunks, SliderValuesComeBackWithinTheirRanges) {
    fakehost::reset();
    PluginInstance p{"nulltest"};
    p.start();
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Chunk value -> parameter, display text and saved value of both sliders.
    const struct {
        float sent;
        float parameter;
        const char* window;
        const char* smoothing;
    } cases[] = {
        {-5.0f, 0.0f, "0.10", "0.00"}, {1e30f, 1.0f, "10.00", "1.00"}, {nan, 0.0f, "0.10", "0.00"},
        {inf, 0.0f, "0.10", "0.00"},   {-inf, 0.0f, "0.10", "0.00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sent);
        const std::vector<unsigned char> chunk = floatsToBytes({-1000.0f, c.sent, c.sent});
        EXPECT_EQ(p.setChunk(chunk.data(), 12), 12);
        for (VstInt32 index = 0; index < 2; ++index)
            EXPECT_EQ(p.effect->getParameter(p.effect, index), c.parameter) << index;
        EXPECT_EQ(p.text(effGetParamDisplay, 0, kVstMaxParamStrLen), c.window);
        EXPECT_EQ(p.text(effGetParamDisplay, 1, kVstMaxParamStrLen), c.smoothing);
        float saved[3] = {};
        const std::vector<unsigned char> now = p.chunk();
        ASSERT_GE(now.size(), sizeof saved);
        std::memcpy(saved, now.data(), sizeof saved);
        EXPECT_EQ(saved[1], restoredValue("nulltest", 1, c.sent));
        EXPECT_EQ(saved[2], restoredValue("nulltest", 2, c.sent));
        // The next valid chunk restores exactly again.
        const std::vector<unsigned char> valid = floatsToBytes({-1000.0f, 2.5f, 0.25f});
        p.setChunk(valid.data(), 12);
        EXPECT_FLOAT_EQ(p.effect->getParameter(p.effect, 0), 2.4f / 9.9f);
        EXPECT_EQ(p.effect->getParameter(p.effect, 1), 0.25f);
    }
}

INSTANTIATE_TEST_SUITE_P(Plugins, Chunks, ::testing::Values("nulltest", "tonegen"));

}  // namespace
