// What a host reads from a freshly created instance.
#include "tests/host/plugin_instance.h"

namespace {

// Hosts know a plug-in by its ID and hold one plug-in per ID.
VstInt32 expectedUniqueId(const std::string& plugin) {
    return plugin == "nulltest" ? 6248 : 1263948871;  // tonegen: 'KVTG', 0x4B565447
}

class Identity : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override { fakehost::reset(); }
};

TEST_P(Identity, RecordAsTheHostFirstSeesIt) {
    PluginInstance p(GetParam());
    const AEffect& e = *p.effect;
    EXPECT_EQ(e.magic, kEffectMagic);
    EXPECT_EQ(e.numPrograms, 1);
    EXPECT_EQ(e.numParams, std::string(GetParam()) == "nulltest" ? 2 : 0);
    EXPECT_EQ(e.numInputs, 2);
    EXPECT_EQ(e.numOutputs, 2);
    // Editor, replacing, chunks and double replacing.
    EXPECT_EQ(e.flags, 0x1031);
    EXPECT_EQ(e.uniqueID, expectedUniqueId(GetParam()));
    EXPECT_EQ(e.version, 1);
    EXPECT_EQ(e.initialDelay, 0);
    EXPECT_EQ(e.realQualities, 0);
    EXPECT_EQ(e.offQualities, 0);
    EXPECT_FLOAT_EQ(e.ioRatio, 1.0f);
    EXPECT_EQ(e.user, nullptr);
    EXPECT_NE(e.object, nullptr);
    EXPECT_NE(e.dispatcher, nullptr);
    EXPECT_NE(e.process, nullptr);
    EXPECT_NE(e.processReplacing, nullptr);
    EXPECT_NE(e.processDoubleReplacing, nullptr);
    EXPECT_NE(e.setParameter, nullptr);
    EXPECT_NE(e.getParameter, nullptr);
    for (char c : e.future)
        EXPECT_EQ(c, 0);
}

TEST_P(Identity, NamesAndVersions) {
    PluginInstance p(GetParam());
    const std::string expected = std::string(GetParam()) == "nulltest"
                                     ? "KESTRAVON - null testing - (20260721)"
                                     : "KESTRAVON - Tone Generator, 997 Hz, -18 dB FS - (20260720)";
    VstIntPtr result = 0;
    EXPECT_EQ(p.text(effGetEffectName, 0, kVstMaxNameLen, &result), expected);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(p.text(effGetProductString, 0, kVstMaxProductStrLen, &result), expected);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(p.text(effGetVendorString, 0, kVstMaxVendorStrLen, &result), "KESTRAVON");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(p.dispatch(effGetVendorVersion), 1000);
    EXPECT_EQ(p.dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(p.dispatch(effIdentify), 0x4E764566);
    EXPECT_EQ(p.dispatch(effGetPlugCategory), 0);
    // The single program is named after the effect, cut to the host's 24 bytes.
    EXPECT_EQ(p.text(effGetProgramName, 0, kVstMaxProgNameLen), expected.substr(0, 23));
}

TEST_P(Identity, OnlyTheVersionQueryReachesTheHostDuringAssembly) {
    PluginInstance p(GetParam());
    const std::vector<HostCall> calls = fakehost::calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].opcode, audioMasterVersion);
    EXPECT_EQ(calls[0].effect, nullptr);
}

TEST_P(Identity, HostThatAnswersNoVersionGetsNoInstance) {
    PluginMain entry = pluginEntry(GetParam());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry(fakehost::refusingCallback), nullptr);
    EXPECT_EQ(entry(nullptr), nullptr);
}

// The editor opcodes as a host sends them, in and out of order. A null parent
// window gives a frame without a window; everything still answers.
TEST_P(Identity, EditorOpcodesInAnyOrder) {
    PluginInstance p(GetParam());
    const bool isNulltest = std::string(GetParam()) == "nulltest";
    EXPECT_EQ(p.dispatch(effEditGetRect, 0, 0, nullptr), 0);
    ERect* rect = nullptr;
    ASSERT_EQ(p.dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->right, isNulltest ? 500 : 100);
    EXPECT_EQ(rect->bottom, isNulltest ? 250 : 100);

    // Closed: idle and close do nothing.
    EXPECT_EQ(p.dispatch(effEditIdle), 0);
    EXPECT_EQ(p.dispatch(effEditClose), 0);
    p.start();
    EXPECT_EQ(p.dispatch(effEditOpen, 0, 0, nullptr), 1);
    EXPECT_EQ(p.dispatch(effEditIdle), 0);
    // The script view never takes keys.
    EXPECT_EQ(p.dispatch(effEditKeyDown, 'a', 0, nullptr, 1.0f), 0);
    EXPECT_EQ(p.dispatch(effEditKeyUp, 'a', 0, nullptr, 1.0f), 0);
    EXPECT_EQ(p.dispatch(effSetEditKnobMode, 0, 2), 1);
    // A second open replaces the first frame; one close ends both.
    EXPECT_EQ(p.dispatch(effEditOpen, 0, 0, nullptr), 1);
    EXPECT_EQ(p.dispatch(effEditClose), 0);
    EXPECT_EQ(p.dispatch(effEditIdle), 0);
    EXPECT_EQ(p.dispatch(effEditClose), 0);
    // Reopened and left open: effClose tears it down.
    EXPECT_EQ(p.dispatch(effEditOpen, 0, 0, nullptr), 1);
    EXPECT_EQ(p.dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->right, isNulltest ? 500 : 100);
}

TEST_P(Identity, TwoInstancesAreIndependent) {
    PluginInstance a(GetParam());
    PluginInstance b(GetParam());
    EXPECT_NE(a.effect, b.effect);
    EXPECT_NE(a.effect->object, b.effect->object);
    char name[] = "renamed";
    a.dispatch(effSetProgramName, 0, 0, name);
    EXPECT_EQ(a.text(effGetProgramName, 0, kVstMaxProgNameLen), "renamed");
    EXPECT_NE(b.text(effGetProgramName, 0, kVstMaxProgNameLen), "renamed");
}

INSTANTIATE_TEST_SUITE_P(Plugins, Identity, ::testing::Values("nulltest", "tonegen"));

// A host that finds both plug-ins in one folder lists both only when their
// IDs differ.
TEST(UniqueIds, TheTwoPluginsHaveIdsOfTheirOwn) {
    fakehost::reset();
    PluginInstance meter("nulltest");
    PluginInstance tone("tonegen");
    ASSERT_NE(meter.effect, nullptr);
    ASSERT_NE(tone.effect, nullptr);
    EXPECT_NE(meter.effect->uniqueID, tone.effect->uniqueID);
    EXPECT_EQ(meter.effect->uniqueID, 6248);
    EXPECT_EQ(tone.effect->uniqueID, 1263948871);
}

#ifdef _WIN32
// The DLL exports its entry point under three names that behave alike.
TEST(Exports, MainAndMAINBehaveAsVSTPluginMain) {
    for (const char* plugin : {"nulltest", "tonegen"}) {
        PluginMain vstMain = pluginEntry(plugin, "VSTPluginMain");
        PluginMain lower = pluginEntry(plugin, "main");
        PluginMain upper = pluginEntry(plugin, "MAIN");
        ASSERT_NE(vstMain, nullptr);
        ASSERT_NE(lower, nullptr);
        ASSERT_NE(upper, nullptr);
        for (PluginMain entry : {lower, upper}) {
            fakehost::reset();
            AEffect* e = entry(fakehost::callback);
            ASSERT_NE(e, nullptr);
            EXPECT_EQ(e->uniqueID, expectedUniqueId(plugin));
            EXPECT_EQ(e->flags, 0x1031);
            EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 1);
        }
    }
}
#else
// The shared object exports its entry point as VSTPluginMain and main, and
// nothing of its own beyond them.
TEST(Exports, MainBehavesAsVSTPluginMainAndNothingElseIsExported) {
    for (const char* plugin : {"nulltest", "tonegen"}) {
        ASSERT_NE(pluginEntry(plugin, "VSTPluginMain"), nullptr);
        PluginMain lower = pluginEntry(plugin, "main");
        ASSERT_NE(lower, nullptr);
        fakehost::reset();
        AEffect* e = lower(fakehost::callback);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->uniqueID, expectedUniqueId(plugin));
        EXPECT_EQ(e->flags, 0x1031);
        EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 1);
        // The factory, the assembly and the record thunks stay inside.
        for (const char* internal :
             {"_Z18createEffectScriptv", "createEffectScript", "_ZN5VSTGUI6CFrameD2Ev", "MAIN"})
            EXPECT_EQ(pluginSymbol(plugin, internal), nullptr) << plugin << " exports " << internal;
    }
}
#endif

}  // namespace
