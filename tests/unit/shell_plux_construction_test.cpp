// The wrapper built with other callback tables, and the assembly of an
// instance of each effect.
#include <gtest/gtest.h>

#include "tests/unit/shell_plux_rig.h"

namespace {

using namespace shell_plux_rig;

// ---------------------------------------------------------------------------
// Wrapper construction with other callback tables.

TEST(ShellPluxConstruction, EmptyCallbackTableAnswersZeroEverywhere) {
    Host::reset();
    Lifetime::destroyed = 0;
    const TPluxCallbacks empty{};
    CPlux* plux = CPlux::create(new CountingScript, &empty, Host::callback, 1, 3);
    ASSERT_NE(plux, nullptr);
    AEffect* record = plux->getAeffect();
    EXPECT_EQ(record->flags, 0x1010);  // no create binding: no chunks, no identity
    EXPECT_EQ(record->uniqueID, 0x4E6F4566);

    char text[32] = "keep";
    EXPECT_EQ(record->dispatcher(record, effGetEffectName, 0, 0, text, 0.0f), 0);
    EXPECT_EQ(record->dispatcher(record, effGetVendorString, 0, 0, text, 0.0f), 0);
    EXPECT_EQ(record->dispatcher(record, effGetProductString, 0, 0, text, 0.0f), 0);
    EXPECT_EQ(record->dispatcher(record, effGetProgramName, 0, 0, text, 0.0f), 0);
    EXPECT_EQ(record->dispatcher(record, effGetParamName, 0, 0, text, 0.0f), 0);
    EXPECT_STREQ(text, "keep");
    EXPECT_EQ(record->dispatcher(record, effGetVendorVersion, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(record->getParameter(record, 0), 0.0f);
    void* data = nullptr;
    EXPECT_EQ(record->dispatcher(record, effGetChunk, 0, 0, &data, 0.0f), 0);
    EXPECT_EQ(data, nullptr);
    unsigned char chunk[8] = {0, 0, 0x7A, 0xC4, 0, 0, 0, 0};
    EXPECT_EQ(record->dispatcher(record, effSetChunk, 0, 8, chunk, 0.0f), 0);
    // canDo and MIDI input are the wrapper's own.
    char midi[] = "receiveVstMidiEvent";
    EXPECT_EQ(record->dispatcher(record, effCanDo, 0, 0, midi, 0.0f), 1);
    EXPECT_EQ(record->dispatcher(record, effProcessEvents, 0, 0, nullptr, 0.0f), 1);
    float l[2] = {1, 2};
    float* channels[1] = {l};
    record->processReplacing(record, channels, channels, 2);
    EXPECT_EQ(l[0], 1.0f);
    // The editor's operations do nothing without their bindings.
    const auto* script = static_cast<const CountingScript*>(plux->script());
    EXPECT_FALSE(plux->drawsGraphics());
    plux->drawGraphics(nullptr, 10.0, 10.0);
    plux->editorIdle();
    plux->mouseDown(1.0, 2.0, 0x2);
    plux->mouseMove(3.0, 4.0, 0);
    plux->mouseUp(5.0, 6.0, 0x2);
    plux->keyDown('a', 0, 0);
    plux->keyUp('a', 0, 0);
    EXPECT_EQ(script->gfx, 0);
    EXPECT_EQ(script->idles, 0);
    EXPECT_EQ(script->mouseX, 0.0);
    EXPECT_EQ(script->mouseButtons, 0.0);

    EXPECT_EQ(record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(Lifetime::destroyed, 1);  // deleted without a destroy binding too
    Host::reset();
}

TEST(ShellPluxConstruction, CallbackTableIsCopied) {
    Host::reset();
    TPluxCallbacks table = standardPluxCallbacks();
    CPlux* plux = CPlux::create(new CountingScript, &table, Host::callback, 1, 3);
    ASSERT_NE(plux, nullptr);
    table.queryVendorVersion = nullptr;
    AEffect* record = plux->getAeffect();
    EXPECT_EQ(record->dispatcher(record, effGetVendorVersion, 0, 0, nullptr, 0.0f), 777);
    EXPECT_EQ(record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f), 1);
    Host::reset();
}

TEST(ShellPluxConstruction, StandardTableBindsEverythingButKeys) {
    const TPluxCallbacks t = standardPluxCallbacks();
    const void* const slots[] = {
        reinterpret_cast<const void*>(t.create),
        reinterpret_cast<const void*>(t.destroy),
        reinterpret_cast<const void*>(t.open),
        reinterpret_cast<const void*>(t.suspend),
        reinterpret_cast<const void*>(t.resume),
        reinterpret_cast<const void*>(t.idle),
        reinterpret_cast<const void*>(t.close),
        reinterpret_cast<const void*>(t.draw),
        reinterpret_cast<const void*>(t.mouseDown),
        reinterpret_cast<const void*>(t.mouseUp),
        reinterpret_cast<const void*>(t.mouseMove),
        reinterpret_cast<const void*>(t.queryVendorVersion),
        reinterpret_cast<const void*>(t.queryVendorString),
        reinterpret_cast<const void*>(t.queryProductString),
        reinterpret_cast<const void*>(t.queryEffectName),
        reinterpret_cast<const void*>(t.getProgramName),
        reinterpret_cast<const void*>(t.setProgramName),
        reinterpret_cast<const void*>(t.programNameIndexed),
        reinterpret_cast<const void*>(t.getParameter),
        reinterpret_cast<const void*>(t.setParameter),
        reinterpret_cast<const void*>(t.parameterName),
        reinterpret_cast<const void*>(t.parameterLabel),
        reinterpret_cast<const void*>(t.parameterDisplay),
        reinterpret_cast<const void*>(t.process),
        reinterpret_cast<const void*>(t.processDouble),
        reinterpret_cast<const void*>(t.getChunk),
        reinterpret_cast<const void*>(t.setChunk),
    };
    for (size_t i = 0; i < sizeof slots / sizeof slots[0]; ++i)
        EXPECT_NE(slots[i], nullptr) << "slot " << i;
    EXPECT_EQ(t.keyDown, nullptr);
    EXPECT_EQ(t.keyUp, nullptr);
}

// ---------------------------------------------------------------------------
// Assembly of an instance.

class ShellAssembly : public ::testing::Test {
  protected:
    void SetUp() override {
        Host::reset();
        Lifetime::destroyed = 0;
        Lifetime::closed = 0;
    }
    void TearDown() override { Host::reset(); }

    static void close(AEffect* record) {
        EXPECT_EQ(record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f), 1);
    }
    static std::string text(AEffect* record, VstInt32 opcode, VstIntPtr* result = nullptr) {
        char buffer[128];
        std::memset(buffer, 0, sizeof buffer);
        const VstIntPtr r = record->dispatcher(record, opcode, 0, 0, buffer, 0.0f);
        if (result)
            *result = r;
        return buffer;
    }
};

TEST_F(ShellAssembly, AsksTheHostForItsVersionOnceAndNothingElse) {
    AEffect* record = assemblePlugin(Host::callback, new nulltest::TVexmoldEffect);
    ASSERT_NE(record, nullptr);
    ASSERT_EQ(Host::calls.size(), 1u);
    const HostCall& call = Host::calls[0];
    EXPECT_EQ(call.effect, nullptr);
    EXPECT_EQ(call.opcode, audioMasterVersion);
    EXPECT_EQ(call.index, 0);
    EXPECT_EQ(call.value, 0);
    EXPECT_EQ(call.ptr, nullptr);
    EXPECT_EQ(call.opt, 0.0f);
    close(record);
}

TEST_F(ShellAssembly, HostAnsweringZeroGetsNoInstance) {
    Host::answers[audioMasterVersion] = 0;
    EXPECT_EQ(assemblePlugin(Host::callback, new CountingScript), nullptr);
    EXPECT_EQ(Host::calls.size(), 1u);
    EXPECT_EQ(Lifetime::destroyed, 1);  // the script object is not leaked

    EXPECT_EQ(assemblePlugin(nullptr, new CountingScript), nullptr);
    EXPECT_EQ(Lifetime::destroyed, 2);
    EXPECT_EQ(assemblePlugin(Host::callback, nullptr), nullptr);
}

TEST_F(ShellAssembly, NulltestRecord) {
    AEffect* record = assemblePlugin(Host::callback, new nulltest::TVexmoldEffect);
    ASSERT_NE(record, nullptr);
    auto* plux = static_cast<CPlux*>(record->object);
    EXPECT_EQ(record->magic, 0x56737450);
    EXPECT_EQ(record->numPrograms, 1);
    EXPECT_EQ(record->numParams, 2);
    EXPECT_EQ(record->numInputs, 2);
    EXPECT_EQ(record->numOutputs, 2);
    EXPECT_EQ(record->flags, 0x1031);
    EXPECT_EQ(record->uniqueID, 6248);
    EXPECT_EQ(record->version, 1);
    EXPECT_EQ(record->initialDelay, 0);
    EXPECT_EQ(record->ioRatio, 1.0f);
    EXPECT_EQ(plux->script()->plux, plux);

    VstIntPtr result = 0;
    EXPECT_EQ(text(record, effGetEffectName, &result), "KESTRAVON - null testing - (20260721)");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(text(record, effGetProductString, &result), "KESTRAVON - null testing - (20260721)");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(text(record, effGetVendorString, &result), "KESTRAVON");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(text(record, effGetProgramName), "KESTRAVON - null testin");
    EXPECT_EQ(record->dispatcher(record, effGetVendorVersion, 0, 0, nullptr, 0.0f), 1000);
    close(record);
}

TEST_F(ShellAssembly, TonegenRecord) {
    AEffect* record = assemblePlugin(Host::callback, new tonegen::TVexmoldEffect);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->numPrograms, 1);
    EXPECT_EQ(record->numParams, 0);
    EXPECT_EQ(record->numInputs, 2);
    EXPECT_EQ(record->numOutputs, 2);
    EXPECT_EQ(record->flags, 0x1031);
    EXPECT_EQ(record->uniqueID, 1263948871);  // 'KVTG'
    EXPECT_EQ(record->version, 1);
    EXPECT_EQ(text(record, effGetEffectName),
              "KESTRAVON - Tone Generator, 997 Hz, -18 dB FS - (20260720)");
    EXPECT_EQ(text(record, effGetVendorString), "KESTRAVON");
    EXPECT_EQ(record->dispatcher(record, effGetVendorVersion, 0, 0, nullptr, 0.0f), 1000);
    close(record);
}

TEST_F(ShellAssembly, NulltestResumeAsksForMidiAndInitialises) {
    AEffect* record = assemblePlugin(Host::callback, new nulltest::TVexmoldEffect);
    ASSERT_NE(record, nullptr);
    TVexmold* script = static_cast<CPlux*>(record->object)->script();
    record->dispatcher(record, effOpen, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(script->redrawRate, 0.0);
    Host::calls.clear();
    record->dispatcher(record, effMainsChanged, 0, 1, nullptr, 0.0f);
    ASSERT_GE(Host::calls.size(), 1u);
    EXPECT_EQ(Host::calls[0].opcode, audioMasterWantMidi);
    EXPECT_EQ(Host::calls[0].value, 1);
    EXPECT_EQ(Host::calls[0].effect, record);
    EXPECT_EQ(script->redrawRate, 30.0);  // set by the initialisation section
    close(record);
}

TEST_F(ShellAssembly, InstancesAreIndependentAndCloseCleanly) {
    AEffect* a = assemblePlugin(Host::callback, new CountingScript);
    AEffect* b = assemblePlugin(Host::callback, new CountingScript);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    auto* scriptA = static_cast<CPlux*>(a->object)->script();
    auto* scriptB = static_cast<CPlux*>(b->object)->script();
    EXPECT_NE(scriptA, scriptB);
    a->setParameter(a, 0, 1.0f);
    EXPECT_EQ(scriptA->sliderValues[1], 1.0);
    EXPECT_EQ(scriptB->sliderValues[1], 0.25);

    close(a);
    EXPECT_EQ(Lifetime::closed, 1);
    EXPECT_EQ(Lifetime::destroyed, 1);
    EXPECT_EQ(b->getParameter(b, 0), 0.25f);
    close(b);
    EXPECT_EQ(Lifetime::closed, 2);
    EXPECT_EQ(Lifetime::destroyed, 2);
}

}  // namespace
