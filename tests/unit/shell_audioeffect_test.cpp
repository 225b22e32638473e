// The effect record as AudioEffect builds it, the flag setters, the editor
// opcodes of the dispatcher and the record's forwarding entries.
#include <cmath>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "shell/aeffeditor.h"
#include "shell/audioeffectx.h"

namespace {

// What a TestEditor saw; outlives the editor, which its effect deletes.
struct EditorLog {
    int getRectCalls = 0;
    int openCalls = 0;
    int closeCalls = 0;
    int idleCalls = 0;
    int keyDownCalls = 0;
    int keyUpCalls = 0;
    int knobModeCalls = 0;
    void* parentWindow = nullptr;
    VstKeyCode lastKey{-1, 0xEE, 0xEE};
    VstInt32 knobMode = -1;
    bool answer = true;  // what the boolean operations answer
    bool deleted = false;
};

class TestEditor : public AEffEditor {
  public:
    TestEditor(AudioEffect* owner, EditorLog& log) : AEffEditor(owner), log_(log) {
        rect_.top = 0;
        rect_.left = 0;
        rect_.bottom = 250;
        rect_.right = 500;
    }
    ~TestEditor() override { log_.deleted = true; }

    bool getRect(ERect** rect) override {
        ++log_.getRectCalls;
        *rect = &rect_;
        return log_.answer;
    }
    bool open(void* parentWindow) override {
        ++log_.openCalls;
        log_.parentWindow = parentWindow;
        return log_.answer;
    }
    void close() override { ++log_.closeCalls; }
    bool isOpen() override { return false; }
    void idle() override { ++log_.idleCalls; }
    bool onKeyDown(VstKeyCode& key) override {
        ++log_.keyDownCalls;
        log_.lastKey = key;
        return log_.answer;
    }
    bool onKeyUp(VstKeyCode& key) override {
        ++log_.keyUpCalls;
        log_.lastKey = key;
        return log_.answer;
    }
    bool onWheel(float) override { return false; }
    bool setKnobMode(VstInt32 mode) override {
        ++log_.knobModeCalls;
        log_.knobMode = mode;
        return log_.answer;
    }
    void requestRedraw() override {}

    ERect rect_{};

  private:
    EditorLog& log_;
};

int editorCallCount(const EditorLog& log) {
    return log.getRectCalls + log.openCalls + log.closeCalls + log.idleCalls + log.keyDownCalls +
           log.keyUpCalls + log.knobModeCalls;
}

TEST(ShellAudioEffectRecord, ConstructionDefaults) {
    AudioEffectX effect(nullptr, 3, 7);
    const AEffect* record = effect.getAeffect();
    ASSERT_NE(record, nullptr);

    EXPECT_EQ(record->magic, 0x56737450);     // 'VstP'
    EXPECT_EQ(record->uniqueID, 0x4E6F4566);  // 'NoEf' until the effect sets its own
    EXPECT_EQ(record->version, 1);
    EXPECT_EQ(record->ioRatio, 1.0f);
    EXPECT_EQ(record->object, static_cast<void*>(&effect));
    EXPECT_EQ(record->user, nullptr);
    EXPECT_EQ(record->numPrograms, 3);
    EXPECT_EQ(record->numParams, 7);
    EXPECT_EQ(record->flags, 0);
    EXPECT_EQ(record->initialDelay, 0);
    EXPECT_EQ(record->realQualities, 0);
    EXPECT_EQ(record->offQualities, 0);
    EXPECT_EQ(record->resvd1, 0);
    EXPECT_EQ(record->resvd2, 0);

    EXPECT_NE(record->dispatcher, nullptr);
    EXPECT_NE(record->process, nullptr);
    EXPECT_NE(record->setParameter, nullptr);
    EXPECT_NE(record->getParameter, nullptr);
    EXPECT_NE(record->processReplacing, nullptr);
    EXPECT_NE(record->processDoubleReplacing, nullptr);

    for (size_t i = 0; i < sizeof record->future; ++i)
        EXPECT_EQ(record->future[i], 0) << "future byte " << i;

    EXPECT_EQ(effect.getSampleRate(), 44100.0f);
    EXPECT_EQ(effect.getBlockSize(), 1024);
    EXPECT_EQ(effect.getProgram(), 0);
    EXPECT_EQ(effect.getEditor(), nullptr);
}

TEST(ShellAudioEffectRecord, FieldSettersWriteTheRecord) {
    AudioEffectX effect(nullptr, 1, 0);
    const AEffect* record = effect.getAeffect();
    effect.setUniqueID(6248);
    effect.setNumInputs(5);
    effect.setNumOutputs(6);
    effect.setInitialDelay(512);
    effect.setRealtimeQualities(3);
    effect.setOfflineQualities(4);
    EXPECT_EQ(record->uniqueID, 6248);
    EXPECT_EQ(record->numInputs, 5);
    EXPECT_EQ(record->numOutputs, 6);
    EXPECT_EQ(record->initialDelay, 512);
    EXPECT_EQ(record->realQualities, 3);
    EXPECT_EQ(record->offQualities, 4);

    // Sample rate and block size are only stored, never written to the record.
    effect.setSampleRate(96000.0f);
    effect.setBlockSize(64);
    EXPECT_EQ(effect.getSampleRate(), 96000.0f);
    EXPECT_EQ(effect.getBlockSize(), 64);
}

struct FlagCase {
    const char* name;
    void (*set)(AudioEffectX&, bool);
    VstInt32 bit;
};

const FlagCase kFlagCases[] = {
    {"canProcessReplacing", [](AudioEffectX& e, bool s) { e.canProcessReplacing(s); }, 0x10},
    {"canDoubleReplacing", [](AudioEffectX& e, bool s) { e.canDoubleReplacing(s); }, 0x1000},
    {"programsAreChunks", [](AudioEffectX& e, bool s) { e.programsAreChunks(s); }, 0x20},
    {"hasVu", [](AudioEffectX& e, bool s) { e.hasVu(s); }, 0x4},
    {"hasClip", [](AudioEffectX& e, bool s) { e.hasClip(s); }, 0x2},
    {"canMono", [](AudioEffectX& e, bool s) { e.canMono(s); }, 0x8},
    {"isSynth", [](AudioEffectX& e, bool s) { e.isSynth(s); }, 0x100},
    {"noTail", [](AudioEffectX& e, bool s) { e.noTail(s); }, 0x200},
    {"extIsAsync", [](AudioEffectX& e, bool s) { e.extIsAsync(s); }, 0x400},
    {"extHasBuffer", [](AudioEffectX& e, bool s) { e.extHasBuffer(s); }, 0x800},
};

TEST(ShellAudioEffectFlags, EachSetterSetsAndClearsOnlyItsBit) {
    VstInt32 allBits = 0;
    for (const FlagCase& c : kFlagCases)
        allBits |= c.bit;

    for (const FlagCase& c : kFlagCases) {
        SCOPED_TRACE(c.name);
        AudioEffectX effect(nullptr, 1, 0);
        const AEffect* record = effect.getAeffect();

        c.set(effect, true);
        EXPECT_EQ(record->flags, c.bit);
        c.set(effect, true);  // setting twice keeps one bit
        EXPECT_EQ(record->flags, c.bit);
        c.set(effect, false);
        EXPECT_EQ(record->flags, 0);

        // With every other flag set, the setter touches only its own bit.
        for (const FlagCase& other : kFlagCases)
            other.set(effect, true);
        EXPECT_EQ(record->flags, allBits);
        c.set(effect, false);
        EXPECT_EQ(record->flags, allBits & ~c.bit);
        c.set(effect, true);
        EXPECT_EQ(record->flags, allBits);
    }
}

TEST(ShellAudioEffectEditor, AttachSetsFlagAndDetachClearsAndDeletes) {
    AudioEffectX effect(nullptr, 1, 0);
    const AEffect* record = effect.getAeffect();
    effect.canProcessReplacing(true);

    EditorLog first;
    auto* editor = new TestEditor(&effect, first);
    effect.setEditor(editor);
    EXPECT_EQ(effect.getEditor(), editor);
    EXPECT_EQ(record->flags, 0x11);

    // Replacing the editor deletes the old one and keeps the flag.
    EditorLog second;
    effect.setEditor(new TestEditor(&effect, second));
    EXPECT_TRUE(first.deleted);
    EXPECT_FALSE(second.deleted);
    EXPECT_EQ(record->flags, 0x11);

    effect.setEditor(nullptr);
    EXPECT_TRUE(second.deleted);
    EXPECT_EQ(effect.getEditor(), nullptr);
    EXPECT_EQ(record->flags, 0x10);
}

TEST(ShellAudioEffectEditor, DestructionDeletesTheAttachedEditor) {
    EditorLog log;
    {
        AudioEffectX effect(nullptr, 1, 0);
        effect.setEditor(new TestEditor(&effect, log));
        EXPECT_FALSE(log.deleted);
    }
    EXPECT_TRUE(log.deleted);
}

class ShellAudioEffectEditorOpcodes : public ::testing::Test {
  protected:
    void SetUp() override {
        editor = new TestEditor(&effect, log);
        effect.setEditor(editor);
    }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) {
        AEffect* record = effect.getAeffect();
        return record->dispatcher(record, opcode, index, value, ptr, opt);
    }

    AudioEffectX effect{nullptr, 1, 0};
    EditorLog log;
    TestEditor* editor = nullptr;
};

TEST_F(ShellAudioEffectEditorOpcodes, GetRectHandsOutTheEditorsRectangle) {
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(log.getRectCalls, 1);
    ASSERT_EQ(rect, &editor->rect_);
    EXPECT_EQ(rect->right - rect->left, 500);
    EXPECT_EQ(rect->bottom - rect->top, 250);

    log.answer = false;
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 0);
}

TEST_F(ShellAudioEffectEditorOpcodes, GetRectWithNullPtrAnswersZeroWithoutAskingTheEditor) {
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, nullptr), 0);
    EXPECT_EQ(log.getRectCalls, 0);
}

TEST_F(ShellAudioEffectEditorOpcodes, OpenCloseIdleAndKnobModeReachTheEditor) {
    int parent = 0;
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, &parent), 1);
    EXPECT_EQ(log.openCalls, 1);
    EXPECT_EQ(log.parentWindow, &parent);

    EXPECT_EQ(dispatch(effEditIdle), 0);
    EXPECT_EQ(log.idleCalls, 1);

    EXPECT_EQ(dispatch(effEditClose), 0);
    EXPECT_EQ(log.closeCalls, 1);

    EXPECT_EQ(dispatch(effSetEditKnobMode, 0, 2), 1);
    EXPECT_EQ(log.knobModeCalls, 1);
    EXPECT_EQ(log.knobMode, 2);

    log.answer = false;
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, &parent), 0);
    EXPECT_EQ(dispatch(effSetEditKnobMode, 0, 1), 0);
    EXPECT_EQ(log.knobMode, 1);
}

TEST_F(ShellAudioEffectEditorOpcodes, KeyOpcodesBuildTheKeyCode) {
    // character := index, virtual key := low byte of value, modifier := low
    // byte of opt taken as an integer.
    EXPECT_EQ(dispatch(effEditKeyDown, 'a', 0x1202, nullptr, 9.0f), 1);
    EXPECT_EQ(log.keyDownCalls, 1);
    EXPECT_EQ(log.keyUpCalls, 0);
    EXPECT_EQ(log.lastKey.character, 'a');
    EXPECT_EQ(log.lastKey.virt, 0x02);
    EXPECT_EQ(log.lastKey.modifier, 9);

    EXPECT_EQ(dispatch(effEditKeyUp, 70000, 0x7F41, nullptr, 265.0f), 1);  // 265 = 0x109
    EXPECT_EQ(log.keyUpCalls, 1);
    EXPECT_EQ(log.keyDownCalls, 1);
    EXPECT_EQ(log.lastKey.character, 70000);
    EXPECT_EQ(log.lastKey.virt, 0x41);
    EXPECT_EQ(log.lastKey.modifier, 0x09);

    EXPECT_EQ(dispatch(effEditKeyDown, 0, -1, nullptr, 2.0f), 1);
    EXPECT_EQ(log.lastKey.virt, 0xFF);
    EXPECT_EQ(log.lastKey.modifier, 2);

    // A negative modifier is still its low byte; NaN carries none.
    EXPECT_EQ(dispatch(effEditKeyDown, 0, 0, nullptr, -1.0f), 1);
    EXPECT_EQ(log.lastKey.modifier, 0xFF);
    EXPECT_EQ(dispatch(effEditKeyDown, 0, 0, nullptr, std::nanf("")), 1);
    EXPECT_EQ(log.lastKey.modifier, 0);

    log.answer = false;
    EXPECT_EQ(dispatch(effEditKeyDown, 'b', 0, nullptr, 0.0f), 0);
    EXPECT_EQ(dispatch(effEditKeyUp, 'b', 0, nullptr, 0.0f), 0);
}

TEST(ShellAudioEffectEditor, EditorOpcodesWithoutEditorAnswerZero) {
    AudioEffectX effect(nullptr, 1, 0);
    AEffect* record = effect.getAeffect();
    ERect* rect = nullptr;
    int parent = 0;
    EXPECT_EQ(record->dispatcher(record, effEditGetRect, 0, 0, &rect, 0.0f), 0);
    EXPECT_EQ(rect, nullptr);
    EXPECT_EQ(record->dispatcher(record, effEditOpen, 0, 0, &parent, 0.0f), 0);
    EXPECT_EQ(record->dispatcher(record, effEditClose, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(record->dispatcher(record, effEditIdle, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(record->dispatcher(record, effEditKeyDown, 'a', 1, nullptr, 1.0f), 0);
    EXPECT_EQ(record->dispatcher(record, effEditKeyUp, 'a', 1, nullptr, 1.0f), 0);
    EXPECT_EQ(record->dispatcher(record, effSetEditKnobMode, 0, 1, nullptr, 0.0f), 0);
}

TEST_F(ShellAudioEffectEditorOpcodes, DeprecatedEditorOpcodesDoNotReachTheEditor) {
    int buffer[4] = {0, 0, 0, 0};
    for (VstInt32 opcode : {effEditDraw, effEditMouse, effEditKey, effEditTop, effEditSleep}) {
        SCOPED_TRACE(opcode);
        EXPECT_EQ(dispatch(opcode, 1, 1, buffer, 1.0f), 0);
    }
    EXPECT_EQ(editorCallCount(log), 0);
}

// An effect that records what the record's entries forward to it.
class ForwardingEffect : public AudioEffectX {
  public:
    ForwardingEffect() : AudioEffectX(nullptr, 1, 4) {}
    void setParameter(VstInt32 index, float value) override {
        lastIndex = index;
        lastValue = value;
    }
    float getParameter(VstInt32 index) override { return 0.25f * static_cast<float>(index); }
    void processReplacing(float** in, float** out, VstInt32 frames) override {
        floatIn = in;
        floatOut = out;
        floatFrames = frames;
    }
    void processDoubleReplacing(double** in, double** out, VstInt32 frames) override {
        doubleIn = in;
        doubleOut = out;
        doubleFrames = frames;
    }

    VstInt32 lastIndex = -1;
    float lastValue = -1.0f;
    float** floatIn = nullptr;
    float** floatOut = nullptr;
    VstInt32 floatFrames = -1;
    double** doubleIn = nullptr;
    double** doubleOut = nullptr;
    VstInt32 doubleFrames = -1;
};

TEST(ShellRecordEntries, ForwardToTheObject) {
    ForwardingEffect effect;
    AEffect* record = effect.getAeffect();

    record->setParameter(record, 3, 0.75f);
    EXPECT_EQ(effect.lastIndex, 3);
    EXPECT_EQ(effect.lastValue, 0.75f);
    EXPECT_EQ(record->getParameter(record, 2), 0.5f);

    float left[4] = {1, 2, 3, 4};
    float right[4] = {5, 6, 7, 8};
    float* channels[2] = {left, right};
    record->processReplacing(record, channels, channels, 4);
    EXPECT_EQ(effect.floatIn, channels);
    EXPECT_EQ(effect.floatOut, channels);
    EXPECT_EQ(effect.floatFrames, 4);

    double dl[2] = {0, 0};
    double* dchannels[1] = {dl};
    record->processDoubleReplacing(record, dchannels, dchannels, 2);
    EXPECT_EQ(effect.doubleIn, dchannels);
    EXPECT_EQ(effect.doubleOut, dchannels);
    EXPECT_EQ(effect.doubleFrames, 2);

    // The accumulating form does nothing at all.
    record->process(record, channels, channels, 4);
    EXPECT_EQ(left[0], 1.0f);
    EXPECT_EQ(right[3], 8.0f);
    EXPECT_EQ(effect.floatFrames, 4);
}

TEST(ShellRecordEntries, RefuseNullAndForeignRecords) {
    ForwardingEffect effect;
    AEffect foreign;
    std::memcpy(&foreign, effect.getAeffect(), sizeof foreign);
    foreign.magic = 0x12345678;  // not 'VstP'

    EXPECT_EQ(foreign.dispatcher(&foreign, effGetVstVersion, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(foreign.dispatcher(nullptr, effGetVstVersion, 0, 0, nullptr, 0.0f), 0);
    foreign.setParameter(&foreign, 1, 0.5f);
    foreign.setParameter(nullptr, 1, 0.5f);
    EXPECT_EQ(effect.lastIndex, -1);
    EXPECT_EQ(foreign.getParameter(&foreign, 2), 0.0f);
    EXPECT_EQ(foreign.getParameter(nullptr, 2), 0.0f);
    foreign.processReplacing(&foreign, nullptr, nullptr, 8);
    foreign.processDoubleReplacing(nullptr, nullptr, nullptr, 8);
    EXPECT_EQ(effect.floatFrames, -1);
    EXPECT_EQ(effect.doubleFrames, -1);

    // The genuine record still answers.
    AEffect* record = effect.getAeffect();
    EXPECT_EQ(record->dispatcher(record, effGetVstVersion, 0, 0, nullptr, 0.0f), 2400);
}

TEST(ShellRecordEntries, CloseThroughTheRecordDeletesTheObjectAndAnswersOne) {
    EditorLog log;
    auto* effect = new AudioEffectX(nullptr, 1, 0);
    effect->setEditor(new TestEditor(effect, log));
    AEffect* record = effect->getAeffect();
    // Under the address sanitizer a leak or a double delete shows here.
    EXPECT_EQ(record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_TRUE(log.deleted);
}

TEST(ShellAudioEffectDispatcher, BaseTextOpcodesWriteEmptyTextsAndSkipNullPtr) {
    AudioEffectX effect(nullptr, 1, 2);
    AEffect* record = effect.getAeffect();
    for (VstInt32 opcode :
         {effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName}) {
        SCOPED_TRACE(opcode);
        char text[8];
        std::memset(text, 'x', sizeof text);
        EXPECT_EQ(record->dispatcher(record, opcode, 0, 0, text, 0.0f), 0);
        EXPECT_EQ(text[0], '\0');
        EXPECT_EQ(text[1], 'x');
        EXPECT_EQ(record->dispatcher(record, opcode, 0, 0, nullptr, 0.0f), 0);
    }
    // The base class names no effect, vendor or product and has no chunk.
    char text[8] = "keep";
    EXPECT_EQ(record->dispatcher(record, effGetEffectName, 0, 0, text, 0.0f), 0);
    EXPECT_EQ(record->dispatcher(record, effGetVendorString, 0, 0, text, 0.0f), 0);
    EXPECT_EQ(record->dispatcher(record, effGetProductString, 0, 0, text, 0.0f), 0);
    EXPECT_STREQ(text, "keep");
    void* data = nullptr;
    EXPECT_EQ(record->dispatcher(record, effGetChunk, 0, 0, &data, 0.0f), 0);
    EXPECT_EQ(data, nullptr);
}

}  // namespace
