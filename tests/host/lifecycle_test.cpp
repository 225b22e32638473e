// Lifecycle and event traffic as hosts produce it, including hosts that
// repeat themselves or send empty lists.
#include "tests/host/plugin_instance.h"

#include "runtime/math/sine.h"

#include <cmath>
#include <memory>

namespace {

class Lifecycle : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override { fakehost::reset(); }
};

TEST_P(Lifecycle, RepeatedOpenAndMainsChanges) {
    PluginInstance p(GetParam());
    for (int i = 0; i < 50; ++i)
        p.dispatch(effOpen);
    for (int i = 0; i < 200; ++i)
        p.dispatch(effMainsChanged, 0, i % 3 == 0 ? 0 : 1);
    p.dispatch(effMainsChanged, 0, 1);
    std::vector<float> l(256, 0.25f), r(256, 0.25f), ol(256), orr(256);
    p.process(l, r, ol, orr);
    EXPECT_EQ(p.dispatch(effGetVendorVersion), 1000);
}

TEST_P(Lifecycle, ProcessEventsTakesAnyListAndAnswersOne) {
    PluginInstance p(GetParam());
    p.start();
    EXPECT_EQ(p.dispatch(effProcessEvents, 0, 0, nullptr), 1);

    VstEvents empty{};
    empty.numEvents = 0;
    EXPECT_EQ(p.dispatch(effProcessEvents, 0, 0, &empty), 1);
    empty.numEvents = -3;
    EXPECT_EQ(p.dispatch(effProcessEvents, 0, 0, &empty), 1);

    VstMidiEvent note{};
    note.type = kVstMidiType;
    note.byteSize = sizeof note;
    note.midiData[0] = static_cast<char>(0x90);
    note.midiData[1] = 60;
    note.midiData[2] = 100;
    VstMidiSysexEvent sysex{};
    sysex.type = kVstSysExType;
    sysex.byteSize = sizeof sysex;
    VstEvents withNulls{};
    withNulls.numEvents = 2;
    withNulls.events[0] = nullptr;
    withNulls.events[1] = reinterpret_cast<VstEvent*>(&note);
    EXPECT_EQ(p.dispatch(effProcessEvents, 0, 0, &withNulls), 1);
    withNulls.events[0] = reinterpret_cast<VstEvent*>(&sysex);
    EXPECT_EQ(p.dispatch(effProcessEvents, 0, 0, &withNulls), 1);

    // More events than the ring holds.
    for (int i = 0; i < 1200; ++i) {
        VstEvents one{};
        one.numEvents = 1;
        one.events[0] = reinterpret_cast<VstEvent*>(&note);
        EXPECT_EQ(p.dispatch(effProcessEvents, 0, 0, &one), 1);
    }
}

TEST_P(Lifecycle, SixtyFourInstancesInOneProcess) {
    std::vector<std::unique_ptr<PluginInstance>> instances;
    for (int i = 0; i < 64; ++i) {
        instances.push_back(std::make_unique<PluginInstance>(GetParam()));
        instances.back()->start(8000.0f + 1000.0f * static_cast<float>(i), 128);
        char name[32];
        std::snprintf(name, sizeof name, "instance %d", i);
        instances.back()->dispatch(effSetProgramName, 0, 0, name);
    }
    for (int i = 0; i < 64; ++i) {
        PluginInstance& p = *instances[static_cast<size_t>(i)];
        char expected[32];
        std::snprintf(expected, sizeof expected, "instance %d", i);
        EXPECT_EQ(p.text(effGetProgramName, 0, kVstMaxProgNameLen), expected);
        std::vector<double> inL(128, 0.5), inR(128, -0.5), outL(128), outR(128);
        p.process(inL, inR, outL, outR);
        if (std::string(GetParam()) == "tonegen") {
            // Each instance runs at its own sample rate.
            const double rate = 8000.0 + 1000.0 * i;
            const double increment = (6.283185307179586 * 997.0) / rate;
            EXPECT_EQ(outL[5], vexmold::portableSin(5.0 * increment) * 0.12589254117941673) << i;
        } else {
            EXPECT_EQ(outL, inL);
            EXPECT_EQ(outR, inR);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Plugins, Lifecycle, ::testing::Values("nulltest", "tonegen"));

TEST(NullTestLifecycle, SliderChangesAreIndependentBetweenInstances) {
    fakehost::reset();
    PluginInstance a("nulltest"), b("nulltest");
    a.start();
    b.start();
    a.effect->setParameter(a.effect, 1, 0.75f);
    EXPECT_FLOAT_EQ(a.effect->getParameter(a.effect, 1), 0.75f);
    EXPECT_EQ(b.effect->getParameter(b.effect, 1), 0.0f);
}

}  // namespace
