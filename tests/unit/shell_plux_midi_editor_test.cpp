// The wrapper's MIDI ring and its editor-side bindings: mouse, idle, draw
// and the locks the sections run under.
#include <gtest/gtest.h>

#include "tests/unit/shell_plux_rig.h"

namespace {

using namespace shell_plux_rig;

// ---------------------------------------------------------------------------
// MIDI input.

// A host's event list with room for n pointers.
class EventList {
  public:
    explicit EventList(size_t n)
        : storage_(new unsigned char[offsetof(VstEvents, events) +
                                     (n < 2 ? 2 : n) * sizeof(VstEvent*)]()) {
        list()->numEvents = static_cast<VstInt32>(n);
    }
    VstEvents* list() { return reinterpret_cast<VstEvents*>(storage_.get()); }
    void set(size_t i, void* event) {
        VstEvent** slots = list()->events;
        slots[i] = static_cast<VstEvent*>(event);
    }

  private:
    std::unique_ptr<unsigned char[]> storage_;
};

VstMidiEvent midiEvent(VstInt32 deltaFrames, unsigned char d0, unsigned char d1, unsigned char d2) {
    VstMidiEvent e{};
    e.type = kVstMidiType;
    e.byteSize = sizeof(VstMidiEvent);
    e.deltaFrames = deltaFrames;
    e.flags = 1;
    e.noteLength = 480;
    e.noteOffset = 3;
    e.midiData[0] = static_cast<char>(d0);
    e.midiData[1] = static_cast<char>(d1);
    e.midiData[2] = static_cast<char>(d2);
    e.midiData[3] = 0x11;
    e.detune = -5;
    e.noteOffVelocity = 64;
    e.reserved1 = 1;
    e.reserved2 = 2;
    return e;
}

TEST_F(ShellPlux, MidiRingKeepsVerbatimCopiesAndSkipsOtherEvents) {
    VstMidiEvent a = midiEvent(17, 0x90, 0x3C, 0x7F);
    VstMidiEvent b = midiEvent(200, 0x80, 0x3C, 0x00);
    VstMidiSysexEvent sysex{};
    sysex.type = kVstSysExType;
    sysex.byteSize = sizeof sysex;
    EventList events(4);
    events.set(0, &a);
    events.set(1, &sysex);
    events.set(2, nullptr);
    events.set(3, &b);
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, events.list()), 1);
    EXPECT_EQ(CPluxProbe::midiWrite(*plux), 2);
    EXPECT_EQ(CPluxProbe::midiRead(*plux), 0);
    EXPECT_EQ(std::memcmp(&CPluxProbe::midiRing(*plux)[0], &a, sizeof a), 0);
    EXPECT_EQ(std::memcmp(&CPluxProbe::midiRing(*plux)[1], &b, sizeof b), 0);

    double delta = 99, d1 = 99, d2 = 99, d3 = 99;
    EXPECT_TRUE(script->midiReceive(&delta, &d1, &d2, &d3));
    EXPECT_EQ(delta, 17.0);
    EXPECT_EQ(d1, -112.0);  // 0x90 read as a signed byte
    EXPECT_EQ(d2, 60.0);
    EXPECT_EQ(d3, 127.0);
    EXPECT_TRUE(script->midiReceive(&delta, &d1, &d2, &d3));
    EXPECT_EQ(delta, 200.0);
    EXPECT_EQ(d1, -128.0);
    EXPECT_EQ(d2, 60.0);
    EXPECT_EQ(d3, 0.0);

    delta = d1 = d2 = d3 = 99;
    EXPECT_FALSE(script->midiReceive(&delta, &d1, &d2, &d3));
    EXPECT_EQ(delta, 0.0);
    EXPECT_EQ(d1, 0.0);
    EXPECT_EQ(d2, 0.0);
    EXPECT_EQ(d3, 0.0);
    EXPECT_TRUE(Host::calls.empty());
}

TEST_F(ShellPlux, EventListsWithoutEventsAnswerOne) {
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, nullptr), 1);
    EventList empty(0);
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, empty.list()), 1);
    EventList negative(2);
    VstMidiEvent a = midiEvent(1, 0x90, 1, 1);
    negative.set(0, &a);
    negative.set(1, &a);
    negative.list()->numEvents = -3;
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, negative.list()), 1);
    EXPECT_EQ(CPluxProbe::midiWrite(*plux), 0);
    EXPECT_FALSE(script->midiReceive(nullptr, nullptr, nullptr, nullptr));
}

TEST_F(ShellPlux, ThousandAndOneUnreadEventsOverwriteTheFirstEntry) {
    std::vector<VstMidiEvent> midi;
    midi.reserve(1001);
    EventList events(1001);
    for (int i = 0; i < 1001; ++i)
        midi.push_back(midiEvent(i, 0x90, static_cast<unsigned char>(i & 0x7F), 0x40));
    for (size_t i = 0; i < midi.size(); ++i)
        events.set(i, &midi[i]);
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, events.list()), 1);
    EXPECT_EQ(CPluxProbe::midiWrite(*plux), 1);
    EXPECT_EQ(CPluxProbe::midiRead(*plux), 0);
    EXPECT_EQ(std::memcmp(&CPluxProbe::midiRing(*plux)[0], &midi[1000], sizeof(VstMidiEvent)), 0);
    EXPECT_EQ(std::memcmp(&CPluxProbe::midiRing(*plux)[1], &midi[1], sizeof(VstMidiEvent)), 0);
    EXPECT_EQ(std::memcmp(&CPluxProbe::midiRing(*plux)[999], &midi[999], sizeof(VstMidiEvent)), 0);
    EXPECT_EQ(CPluxProbe::midiRing(*plux).size(), 1000u);

    // The reader finds only the newest event: the older ones are lost.
    double delta = -1;
    EXPECT_TRUE(script->midiReceive(&delta, nullptr, nullptr, nullptr));
    EXPECT_EQ(delta, 1000.0);
    EXPECT_FALSE(script->midiReceive(&delta, nullptr, nullptr, nullptr));
}

TEST_F(ShellPlux, MidiRingWrapsForWriterAndReader) {
    std::vector<VstMidiEvent> midi;
    for (int i = 0; i < 999; ++i)
        midi.push_back(midiEvent(i, 0xB0, 7, 100));
    EventList first(midi.size());
    for (size_t i = 0; i < midi.size(); ++i)
        first.set(i, &midi[i]);
    dispatch(effProcessEvents, 0, 0, first.list());
    for (int i = 0; i < 999; ++i)
        ASSERT_TRUE(script->midiReceive(nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(CPluxProbe::midiRead(*plux), 999);

    VstMidiEvent x = midiEvent(5000, 0x90, 1, 2);
    VstMidiEvent y = midiEvent(5001, 0x90, 3, 4);
    EventList second(2);
    second.set(0, &x);
    second.set(1, &y);
    dispatch(effProcessEvents, 0, 0, second.list());
    EXPECT_EQ(CPluxProbe::midiWrite(*plux), 1);
    double delta = 0, d1 = 0;
    EXPECT_TRUE(script->midiReceive(&delta, &d1, nullptr, nullptr));
    EXPECT_EQ(delta, 5000.0);
    EXPECT_EQ(d1, -112.0);
    EXPECT_TRUE(script->midiReceive(&delta, nullptr, nullptr, nullptr));
    EXPECT_EQ(delta, 5001.0);
    EXPECT_EQ(CPluxProbe::midiRead(*plux), 1);
    EXPECT_FALSE(script->midiReceive(&delta, nullptr, nullptr, nullptr));
}

// ---------------------------------------------------------------------------
// Editor-side bindings.

TEST_F(ShellPlux, MouseBindingsStorePositionButtonsAndRaiseTheRedrawRate) {
    ASSERT_NE(CPluxProbe::callbacks(*plux).mouseDown, nullptr);
    script->redrawRate = 0.0;
    plux->mouseDown(10.5, 20.25, 0x2 | 0x10);  // left + shift
    EXPECT_EQ(script->mouseX, 10.5);
    EXPECT_EQ(script->mouseY, 20.25);
    EXPECT_EQ(script->mouseButtons, 9.0);
    EXPECT_EQ(script->redrawRate, 30.0);

    plux->mouseMove(11.0, 21.0, 0);
    EXPECT_EQ(script->mouseX, 11.0);
    EXPECT_EQ(script->mouseY, 21.0);
    EXPECT_EQ(script->mouseButtons, 9.0);  // a move keeps the buttons

    plux->mouseUp(12.0, 22.0, 0x2);
    EXPECT_EQ(script->mouseX, 12.0);
    EXPECT_EQ(script->mouseY, 22.0);
    EXPECT_EQ(script->mouseButtons, 0.0);

    // Every toolkit bit: left 1 + right 2 + control 4 + shift 8 + alt 16 + middle 64.
    script->redrawRate = 45.0;
    plux->mouseDown(0.0, 0.0, 0x2 | 0x4 | 0x8 | 0x10 | 0x20 | 0x40);
    EXPECT_EQ(script->mouseButtons, 95.0);
    EXPECT_EQ(script->redrawRate, 45.0);    // a higher rate is kept
    plux->mouseDown(0.0, 0.0, 0x8 | 0x20);  // right + control
    EXPECT_EQ(script->mouseButtons, 6.0);
    plux->mouseDown(0.0, 0.0, 0x4 | 0x40);  // middle + alt
    EXPECT_EQ(script->mouseButtons, 80.0);

    script->redrawRate = 0.0;
    plux->mouseUp(0.0, 0.0, 0);
    EXPECT_EQ(script->redrawRate, 30.0);
    script->redrawRate = 0.0;
    plux->mouseMove(0.0, 0.0, 0);
    EXPECT_EQ(script->redrawRate, 30.0);
}

TEST_F(ShellPlux, IdleAndDrawBindingsRunTheirSections) {
    EXPECT_TRUE(plux->drawsGraphics());
    plux->editorIdle();
    EXPECT_EQ(script->idles, 1);
    plux->drawGraphics(nullptr, 500.0, 250.0);
    EXPECT_EQ(script->gfx, 1);
    EXPECT_EQ(script->viewWidth, 500.0);
    EXPECT_EQ(script->viewHeight, 250.0);
    EXPECT_EQ(CPluxProbe::callbacks(*plux).keyDown, nullptr);
    EXPECT_EQ(CPluxProbe::callbacks(*plux).keyUp, nullptr);
}

TEST_F(ShellPlux, SectionsRunUnderTheWrapperLock) {
    script->probeLock = true;
    dispatch(effOpen);
    dispatch(effMainsChanged, 0, 1);
    float l[1] = {0}, r[1] = {0};
    float* channels[2] = {l, r};
    record->processReplacing(record, channels, channels, 1);
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, 0, 0, &data);
    std::vector<unsigned char> saved(static_cast<unsigned char*>(data),
                                     static_cast<unsigned char*>(data) + size);
    script->lockHeld.erase("serialize");
    dispatch(effSetChunk, 0, size, saved.data());
    plux->editorIdle();
    plux->drawGraphics(nullptr, 1.0, 1.0);
    dispatch(effMainsChanged, 0, 0);

    // Sections of the audio side hold the script lock; those that reset or
    // initialise the editor's state as well hold both.
    for (const char* section :
         {"reset", "init", "slider", "block", "sample", "serialize", "suspend"}) {
        SCOPED_TRACE(section);
        ASSERT_EQ(script->lockHeld.count(section), 1u);
        EXPECT_TRUE(script->lockHeld[section]);
    }
    for (const char* section : {"reset", "init", "suspend"})
        EXPECT_TRUE(script->editorLockHeld[section]) << section;
    EXPECT_FALSE(script->editorLockHeld["block"]);
    EXPECT_FALSE(script->editorLockHeld["sample"]);
    // The editor's sections hold only the editor lock: a draw never holds up audio.
    for (const char* section : {"idle", "gfx"}) {
        SCOPED_TRACE(section);
        ASSERT_EQ(script->editorLockHeld.count(section), 1u);
        EXPECT_TRUE(script->editorLockHeld[section]);
        EXPECT_FALSE(script->lockHeld[section]);
    }
    // Both locks are free again afterwards.
    EXPECT_FALSE(lockHeldHere(plux));
    EXPECT_FALSE(editorLockHeldHere(plux));
}

}  // namespace
