// Host parameters: the null test's two sliders, and indices that name no
// parameter in either plug-in.
#include "tests/host/plugin_instance.h"

#include <cmath>
#include <limits>

namespace {

float chunkValue(PluginInstance& p, size_t position) {
    const std::vector<unsigned char> bytes = p.chunk();
    float value = std::numeric_limits<float>::quiet_NaN();
    if (bytes.size() >= (position + 1) * 4)
        std::memcpy(&value, &bytes[position * 4], 4);
    return value;
}

struct NullTestParameters : ::testing::Test {
    void SetUp() override {
        fakehost::reset();
        p.start();
    }
    PluginInstance p{"nulltest"};
};

TEST_F(NullTestParameters, NamesLabelsAndDefaults) {
    EXPECT_EQ(p.text(effGetParamName, 0, kVstMaxNameLen), "Window Duration (Seconds)");
    EXPECT_EQ(p.text(effGetParamName, 1, kVstMaxNameLen), "Display Smoothing");
    EXPECT_EQ(p.text(effGetParamLabel, 0, kVstMaxParamStrLen), "");
    EXPECT_EQ(p.text(effGetParamLabel, 1, kVstMaxParamStrLen), "");
    EXPECT_EQ(p.text(effGetParamDisplay, 0, kVstMaxParamStrLen), "1.00");
    EXPECT_EQ(p.text(effGetParamDisplay, 1, kVstMaxParamStrLen), "0.00");
    // (1.0 - 0.1) / 9.9, handed over as float.
    EXPECT_FLOAT_EQ(p.effect->getParameter(p.effect, 0), static_cast<float>(0.9 / 9.9));
    EXPECT_EQ(p.effect->getParameter(p.effect, 1), 0.0f);
}

TEST_F(NullTestParameters, WindowSliderQuantisesToItsStep) {
    AEffect* e = p.effect;
    e->setParameter(e, 0, 0.0f);
    EXPECT_EQ(p.text(effGetParamDisplay, 0, kVstMaxParamStrLen), "0.10");
    EXPECT_FLOAT_EQ(chunkValue(p, 1), 0.1f);
    e->setParameter(e, 0, 0.5f);
    EXPECT_EQ(p.text(effGetParamDisplay, 0, kVstMaxParamStrLen), "5.00");
    EXPECT_FLOAT_EQ(chunkValue(p, 1), 5.0f);
    EXPECT_NEAR(e->getParameter(e, 0), (5.0 - 0.1) / 9.9, 1e-6);
    e->setParameter(e, 0, 1.0f);
    EXPECT_EQ(p.text(effGetParamDisplay, 0, kVstMaxParamStrLen), "10.00");
    EXPECT_FLOAT_EQ(chunkValue(p, 1), 10.0f);
    EXPECT_NEAR(e->getParameter(e, 0), 1.0, 1e-6);
}

TEST_F(NullTestParameters, SmoothingSliderRoundTripsThroughTheHost) {
    AEffect* e = p.effect;
    e->setParameter(e, 1, 0.5f);
    EXPECT_FLOAT_EQ(e->getParameter(e, 1), 0.5f);
    EXPECT_EQ(p.text(effGetParamDisplay, 1, kVstMaxParamStrLen), "0.50");
    e->setParameter(e, 1, 0.12345f);
    EXPECT_FLOAT_EQ(chunkValue(p, 2), 0.123f);
}

TEST_F(NullTestParameters, ValuesOutsideTheUnitRangeAreNotClamped) {
    AEffect* e = p.effect;
    e->setParameter(e, 1, 2.0f);
    EXPECT_FLOAT_EQ(e->getParameter(e, 1), 2.0f);
    EXPECT_EQ(p.text(effGetParamDisplay, 1, kVstMaxParamStrLen), "2.00");
}

TEST_F(NullTestParameters, NonFiniteValuesAreIgnored) {
    AEffect* e = p.effect;
    e->setParameter(e, 1, 0.25f);
    for (float bad :
         {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
          -std::numeric_limits<float>::infinity()}) {
        e->setParameter(e, 1, bad);
        EXPECT_FLOAT_EQ(e->getParameter(e, 1), 0.25f);
    }
}

TEST_F(NullTestParameters, DisplayTextsStayInsideTheHostBuffer) {
    AEffect* e = p.effect;
    e->setParameter(e, 1, 123456.0f);  // a value far wider than 7 characters
    const std::string shown = p.text(effGetParamDisplay, 1, kVstMaxParamStrLen);
    EXPECT_EQ(shown, "123456.");
}

class MissingParameters : public ::testing::TestWithParam<const char*> {};

TEST_P(MissingParameters, IndicesOutsideTheSliderListTouchNothing) {
    fakehost::reset();
    PluginInstance p(GetParam());
    p.start();
    const std::vector<unsigned char> before = p.chunk();
    const VstInt32 first = p.effect->numParams;
    for (VstInt32 index : {first, first + 1, 127, 128, 100000, -1, -128, INT32_MIN, INT32_MAX}) {
        p.effect->setParameter(p.effect, index, 0.7f);
        EXPECT_EQ(p.effect->getParameter(p.effect, index), 0.0f) << index;
        EXPECT_EQ(p.text(effGetParamName, index, kVstMaxNameLen), "") << index;
        EXPECT_EQ(p.text(effGetParamLabel, index, kVstMaxParamStrLen), "") << index;
        EXPECT_EQ(p.text(effGetParamDisplay, index, kVstMaxParamStrLen), "") << index;
    }
    EXPECT_EQ(p.chunk(), before);
}

INSTANTIATE_TEST_SUITE_P(Plugins, MissingParameters, ::testing::Values("nulltest", "tonegen"));

}  // namespace
