// Hosts call parameters and state from other threads while audio runs, and
// the editor works on the UI thread. This drives an instance from four
// threads at once; run it under
// ThreadSanitizer to see that every shared value is protected.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <limits>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "effects/nulltest/nulltest_effect.h"
#include "effects/tonegen/tonegen_effect.h"
#include "plugin/assembly.h"
#include "shell/plux.h"
#include "runtime/triplebuffer.h"
#include "runtime/vexmold.h"
#include "tests/support/plux_probe.h"
#include "tests/unit/assembled_plugin.h"
#include "tests/unit/lock_probe.h"

namespace {

VstTimeInfo gTime = [] {
    VstTimeInfo t{};
    t.sampleRate = 48000.0;
    t.tempo = 120.0;
    t.timeSigNumerator = 4;
    t.timeSigDenominator = 4;
    t.flags = kVstTempoValid | kVstTimeSigValid | kVstTransportPlaying | kVstPpqPosValid;
    return t;
}();

VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion)
        return 2400;
    if (opcode == audioMasterGetTime)
        return reinterpret_cast<VstIntPtr>(&gTime);  // read-only for everyone
    return 0;
}

VstIntPtr dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f) {
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}

struct Outcome {
    bool audioTransparent = true;
    bool chunksWellFormed = true;
    int blocks = 0;
};

Outcome hammer(AEffect* e, bool transparent, int rounds) {
    const TestDebugLog log;  // the draws miss the pictures: log them aside
    dispatch(e, effOpen);
    dispatch(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    dispatch(e, effSetBlockSize, 0, 256);
    dispatch(e, effMainsChanged, 0, 1);

    Outcome outcome;
    std::atomic<bool> running{true};

    std::thread audio([&] {
        std::vector<float> inL(256), inR(256), outL(256), outR(256);
        std::vector<double> dL(256), dR(256), doL(256), doR(256);
        int block = 0;
        while (running.load()) {
            for (size_t i = 0; i < 256; ++i) {
                inL[i] = static_cast<float>((block + static_cast<int>(i)) % 97) / 97.0f;
                inR[i] = -inL[i];
                dL[i] = inL[i];
                dR[i] = inR[i];
            }
            float* in[2] = {inL.data(), inR.data()};
            float* out[2] = {outL.data(), outR.data()};
            e->processReplacing(e, in, out, 256);
            double* din[2] = {dL.data(), dR.data()};
            double* dout[2] = {doL.data(), doR.data()};
            e->processDoubleReplacing(e, din, dout, 256);
            if (transparent && (outL != inL || outR != inR || doL != dL || doR != dR))
                outcome.audioTransparent = false;
            ++block;
        }
        outcome.blocks = block;
    });

    std::thread parameters([&] {
        char text[kVstMaxNameLen] = {};
        for (int i = 0; i < rounds; ++i) {
            const float value = static_cast<float>(i % 100) / 100.0f;
            for (VstInt32 index = 0; index < e->numParams; ++index) {
                e->setParameter(e, index, value);
                (void)e->getParameter(e, index);
                dispatch(e, effGetParamDisplay, index, 0, text);
                dispatch(e, effGetParamName, index, 0, text);
            }
            dispatch(e, effGetProgramName, 0, 0, text);
            dispatch(e, effEditIdle);
        }
    });

    std::thread state([&] {
        for (int i = 0; i < rounds; ++i) {
            void* data = nullptr;
            const VstIntPtr size = dispatch(e, effGetChunk, 0, 0, &data);
            float marker = 0.0f;
            if (size != 4 * 65 || data == nullptr) {
                outcome.chunksWellFormed = false;
                continue;
            }
            std::memcpy(&marker, data, 4);
            if (marker != -1000.0f)
                outcome.chunksWellFormed = false;
            // The host keeps its own copy before handing it back.
            std::vector<unsigned char> copy(static_cast<const unsigned char*>(data),
                                            static_cast<const unsigned char*>(data) + size);
            dispatch(e, effSetChunk, 0, size, copy.data());
            char name[16];
            std::snprintf(name, sizeof name, "state %d", i % 10);
            dispatch(e, effSetProgramName, 0, 0, name);
        }
    });

    // The editor's thread: idle ticks, draws and mouse events.
    std::thread editor([&] {
        auto* plux = static_cast<CPlux*>(e->object);
        for (int i = 0; i < rounds; ++i) {
            const double x = i % 500, y = i % 250;
            plux->editorIdle();
            plux->mouseDown(x, y, 0x2 | 0x10);
            plux->mouseMove(x + 1, y + 1, 0);
            plux->drawGraphics(nullptr, 500.0, 250.0);
            plux->mouseUp(x, y, 0);
        }
    });

    parameters.join();
    state.join();
    editor.join();
    running.store(false);
    audio.join();
    dispatch(e, effMainsChanged, 0, 0);
    dispatch(e, effClose);
    return outcome;
}

TEST(StressThreads, NullTestStaysTransparentWhileParametersAndStateChange) {
    AEffect* e = assemblePlugin(host, new nulltest::TVexmoldEffect);
    ASSERT_NE(e, nullptr);
    const Outcome outcome = hammer(e, true, 2000);
    EXPECT_TRUE(outcome.audioTransparent);
    EXPECT_TRUE(outcome.chunksWellFormed);
    EXPECT_GT(outcome.blocks, 0);
}

TEST(StressThreads, ToneGeneratorWithStateTraffic) {
    AEffect* e = assemblePlugin(host, new tonegen::TVexmoldEffect);
    ASSERT_NE(e, nullptr);
    const Outcome outcome = hammer(e, false, 2000);
    EXPECT_TRUE(outcome.chunksWellFormed);
    EXPECT_GT(outcome.blocks, 0);
}

// ---------------------------------------------------------------------------
// State handed to the host, and the host called without the script lock.

std::vector<float> chunkValues(AEffect* e, const void** where = nullptr) {
    void* data = nullptr;
    const VstIntPtr size = dispatch(e, effGetChunk, 0, 0, &data);
    if (where)
        *where = data;
    if (size <= 0 || data == nullptr)
        return {};
    std::vector<float> values(static_cast<size_t>(size) / 4);
    std::memcpy(values.data(), data, values.size() * 4);
    return values;
}

// The chunk handed out is the wrapper's one buffer: restores, parameter and
// state changes on another thread leave its bytes alone; the next
// effGetChunk, from any thread, replaces them in the same place.
TEST(StressThreads, ChunkStaysValidUntilTheNextGet) {
    AEffect* e = assemblePlugin(host, new nulltest::TVexmoldEffect);
    ASSERT_NE(e, nullptr);
    dispatch(e, effOpen);
    e->setParameter(e, 0, 0.5f);
    const void* mine = nullptr;
    const std::vector<float> saved = chunkValues(e, &mine);
    ASSERT_EQ(saved.size(), 65u);
    ASSERT_NE(mine, nullptr);
    EXPECT_FLOAT_EQ(saved[1], 5.0f);  // 0.1 + 0.5 * 9.9 seconds, at the step of 0.1

    // Another thread restores other states, turns the parameters, resumes
    // and processes meanwhile, but saves nothing.
    std::thread other([e] {
        std::vector<float> values(65, 0.0f);
        values[0] = TVexmold::kStateMarker;
        std::vector<float> l(32, 0.25f), r(32, -0.25f);
        for (int i = 0; i < 500; ++i) {
            e->setParameter(e, 0, static_cast<float>(i % 100) / 100.0f);
            values[1] = static_cast<float>(i % 7);
            values[2] = static_cast<float>(i % 3) / 4.0f;
            dispatch(e, effSetChunk, 0, static_cast<VstIntPtr>(values.size() * 4), values.data());
            char name[] = "other";
            dispatch(e, effSetProgramName, 0, 0, name);
            if (i % 50 == 0) {
                dispatch(e, effMainsChanged, 0, 0);
                dispatch(e, effMainsChanged, 0, 1);
            }
            float* io[2] = {l.data(), r.data()};
            e->processReplacing(e, io, io, 32);
        }
    });
    other.join();
    EXPECT_EQ(std::memcmp(mine, saved.data(), saved.size() * 4), 0);

    // The next save, on yet another thread, lands in the same buffer.
    const void* theirs = nullptr;
    std::vector<float> next;
    std::thread saver([&] { next = chunkValues(e, &theirs); });
    saver.join();
    ASSERT_EQ(next.size(), 65u);
    EXPECT_EQ(next[1], static_cast<float>(499 % 7));  // the last restore
    EXPECT_EQ(next[2], static_cast<float>(499 % 3) / 4.0f);
    EXPECT_EQ(theirs, mine);
    EXPECT_EQ(std::memcmp(mine, next.data(), next.size() * 4), 0);
    EXPECT_NE(std::memcmp(mine, saved.data(), saved.size() * 4), 0);

    // Saves from many threads share that buffer instead of each keeping one.
    for (int t = 0; t < 8; ++t) {
        const void* where = nullptr;
        std::thread([&] { chunkValues(e, &where); }).join();
        EXPECT_EQ(where, mine) << "thread " << t;
    }
    dispatch(e, effClose);
}

TEST(StressThreads, NonFiniteChunkValuesRestoreAsZeroInsideTheSliderRanges) {
    AEffect* e = assemblePlugin(host, new nulltest::TVexmoldEffect);
    ASSERT_NE(e, nullptr);
    dispatch(e, effOpen);
    std::vector<float> values(65, 0.25f);
    values[0] = TVexmold::kStateMarker;
    values[1] = std::numeric_limits<float>::quiet_NaN();
    values[2] = std::numeric_limits<float>::infinity();
    values[3] = -std::numeric_limits<float>::infinity();
    EXPECT_EQ(dispatch(e, effSetChunk, 0, 65 * 4, values.data()), 65 * 4);
    const std::vector<float> restored = chunkValues(e);
    ASSERT_EQ(restored.size(), 65u);
    // 0, then the sliders' ranges: the window's starts at 0.1 s.
    EXPECT_EQ(restored[1], 0.1f);
    EXPECT_EQ(restored[2], 0.0f);
    EXPECT_EQ(restored[3], 0.0f);
    EXPECT_EQ(restored[4], 0.25f);
    char text[kVstMaxNameLen] = {};
    dispatch(e, effGetParamDisplay, 0, 0, text);
    EXPECT_STREQ(text, "0.10");
    EXPECT_EQ(e->getParameter(e, 0), 0.0f);
    dispatch(e, effClose);
}

std::atomic<int> gHostCalls{0};
std::atomic<int> gHostCallsUnderScriptLock{0};

VstIntPtr probingHost(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                      float opt) {
    if (e != nullptr && e->object != nullptr) {
        ++gHostCalls;
        if (heldElsewhere(CPluxProbe::scriptLock(*static_cast<CPlux*>(e->object))))
            ++gHostCallsUnderScriptLock;
    }
    return host(e, opcode, index, value, ptr, opt);
}

TEST(StressThreads, HostIsNeverCalledWithTheScriptLockHeld) {
    gHostCalls = 0;
    gHostCallsUnderScriptLock = 0;
    AEffect* e = assemblePlugin(probingHost, new nulltest::TVexmoldEffect);
    ASSERT_NE(e, nullptr);
    dispatch(e, effOpen);
    dispatch(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    dispatch(e, effMainsChanged, 0, 1);
    std::vector<float> l(64, 0.5f), r(64, 0.25f);
    std::vector<double> dl(64, 0.5), dr(64, 0.25);
    for (int block = 0; block < 20; ++block) {
        float* io[2] = {l.data(), r.data()};
        e->processReplacing(e, io, io, 64);
        double* dio[2] = {dl.data(), dr.data()};
        e->processDoubleReplacing(e, dio, dio, 64);
    }
    std::vector<float> state = chunkValues(e);
    dispatch(e, effSetChunk, 0, static_cast<VstIntPtr>(state.size() * 4), state.data());
    dispatch(e, effMainsChanged, 0, 0);
    dispatch(e, effClose);
    EXPECT_GE(gHostCalls.load(), 40);  // the time of every block at least
    EXPECT_EQ(gHostCallsUnderScriptLock.load(), 0);
}

// The time the sections read is what the host answered before the lock.
TEST(StressThreads, SectionsReadTheHostTimeTakenBeforeTheLock) {
    AEffect* e = assemblePlugin(host, new nulltest::TVexmoldEffect);
    ASSERT_NE(e, nullptr);
    auto* plux = static_cast<CPlux*>(e->object);
    EXPECT_EQ(plux->script()->hostTempo(), 0.0);  // nothing asked yet
    dispatch(e, effMainsChanged, 0, 1);
    EXPECT_EQ(plux->script()->hostTempo(), 120.0);
    double tempo = 0, numerator = 0, denominator = 0;
    EXPECT_TRUE(plux->script()->hostTempoAndSignature(&tempo, &numerator, &denominator));
    EXPECT_EQ(numerator, 4.0);
    EXPECT_EQ(plux->script()->hostIsPlaying(), 1.0);
    dispatch(e, effClose);
}

// A graphics section that reads the time and asks for display updates while
// blocks on the audio thread store new times and ask for updates too.
std::atomic<int> gDisplayUpdates{0};

VstIntPtr updateCountingHost(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                             void* ptr, float opt) {
    if (opcode == audioMasterUpdateDisplay)
        ++gDisplayUpdates;
    return host(e, opcode, index, value, ptr, opt);
}

class TimeDrawScript final : public TVexmold {
  public:
    TimeDrawScript() { channelCount = 2; }
    void doBlock() override { hostUpdateDisplay(); }
    void doGfx() override {
        ++draws;
        double numerator = 0;
        const bool known = hostTempoAndSignature(nullptr, &numerator, nullptr);
        if (known ? hostTempo() != 120.0 || numerator != 4.0 : hostTempo() != 0.0)
            wrongTime = true;
        hostUpdateDisplay();
    }
    TVexmold* newDrawingCopy() const override { return new TimeDrawScript; }
    bool wrongTime = false;
    int draws = 0;
};

TEST(StressThreads, GraphicsSectionTimeAndUpdatesWhileAudioRuns) {
    gDisplayUpdates = 0;
    AEffect* e = assemblePlugin(updateCountingHost, new TimeDrawScript);
    ASSERT_NE(e, nullptr);
    auto* plux = static_cast<CPlux*>(e->object);
    dispatch(e, effOpen);
    std::thread audio([e] {
        std::vector<float> l(64, 0.0f), r(64, 0.0f);
        for (int block = 0; block < 300; ++block) {
            float* io[2] = {l.data(), r.data()};
            e->processReplacing(e, io, io, 64);
        }
    });
    for (int i = 0; i < 300; ++i)
        plux->drawGraphics(nullptr, 10.0, 10.0);
    audio.join();
    const auto* drawing = static_cast<const TimeDrawScript*>(CPluxProbe::drawScript(*plux));
    EXPECT_EQ(drawing->draws, 300);
    EXPECT_FALSE(drawing->wrongTime);
    // Every draw asked, and so did every block; requests made while one was
    // pending merge with it.
    EXPECT_GE(gDisplayUpdates.load(), 300);
    EXPECT_LE(gDisplayUpdates.load(), 600);
    dispatch(e, effClose);
}

// Processing that stores a new host time in the middle of a graphics section
// (done here on the drawing thread itself, so it happens at one known point):
// the section's queries keep the answer it started with. Each time the host
// is asked, its tempo has gone up by one.
VstTimeInfo gSteppingTime{};

VstIntPtr steppingTimeHost(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                           float opt) {
    if (opcode != audioMasterGetTime)
        return host(e, opcode, index, value, ptr, opt);
    gSteppingTime.tempo += 1.0;
    gSteppingTime.timeSigNumerator = 4;
    gSteppingTime.timeSigDenominator = 4;
    gSteppingTime.flags = kVstTempoValid | kVstTimeSigValid;
    return reinterpret_cast<VstIntPtr>(&gSteppingTime);
}

class MidSectionTimeScript final : public TVexmold {
  public:
    MidSectionTimeScript() { channelCount = 2; }
    void doGfx() override {
        before = hostTempo();
        if (effect) {
            std::vector<float> l(16, 0.0f), r(16, 0.0f);
            float* io[2] = {l.data(), r.data()};
            effect->processReplacing(effect, io, io, 16);
        }
        hostTempoAndSignature(&after, nullptr, nullptr);
    }
    TVexmold* newDrawingCopy() const override { return new MidSectionTimeScript; }
    AEffect* effect = nullptr;
    double before = -1, after = -1;
};

TEST(StressThreads, AGraphicsSectionSeesOneHostTimeThroughout) {
    gSteppingTime = VstTimeInfo{};
    auto* script = new MidSectionTimeScript;
    AEffect* e = assemblePlugin(steppingTimeHost, script);
    ASSERT_NE(e, nullptr);
    auto* plux = static_cast<CPlux*>(e->object);
    auto* drawing = static_cast<MidSectionTimeScript*>(CPluxProbe::drawScript(*plux));
    ASSERT_NE(drawing, nullptr);
    drawing->effect = e;  // the copy was made with the instance
    dispatch(e, effOpen);
    dispatch(e, effMainsChanged, 0, 1);
    const double started = script->hostTempo();
    ASSERT_GT(started, 0.0);
    plux->drawGraphics(nullptr, 10.0, 10.0);
    EXPECT_EQ(drawing->before, started);
    EXPECT_EQ(drawing->after, started);
    // The block inside the section stored a newer time; the next section
    // starts with it.
    const double stored = script->hostTempo();
    EXPECT_GT(stored, started);
    plux->drawGraphics(nullptr, 10.0, 10.0);
    EXPECT_EQ(drawing->before, stored);
    dispatch(e, effClose);
}

// ---------------------------------------------------------------------------
// A draw that takes as long as the test wants.

struct DrawGate {
    std::mutex m;
    std::condition_variable changed;
    bool entered = false;
    bool released = false;
};

class SlowDrawScript final : public TVexmold {
  public:
    explicit SlowDrawScript(DrawGate* g) : gate(g) { channelCount = 2; }
    void doSerialize() override { transferValue(0.0, slider(1)); }
    void doGfx() override {
        ++draws;
        drawRed = 1.0;
        std::unique_lock<std::mutex> lock(gate->m);
        gate->entered = true;
        gate->changed.notify_all();
        gate->changed.wait(lock, [this] { return gate->released; });
    }
    TVexmold* newDrawingCopy() const override { return new SlowDrawScript(gate); }
    DrawGate* gate;
    int draws = 0;
};

TEST(StressThreads, SlowDrawHoldsUpNeitherStateNorResume) {
    DrawGate gate;
    auto* script = new SlowDrawScript(&gate);
    AEffect* e = assemblePlugin(host, script);
    ASSERT_NE(e, nullptr);
    auto* plux = static_cast<CPlux*>(e->object);
    ASSERT_NE(CPluxProbe::drawScript(*plux), nullptr);
    dispatch(e, effOpen);
    dispatch(e, effMainsChanged, 0, 1);

    std::thread ui([plux] { plux->drawGraphics(nullptr, 10.0, 10.0); });
    {
        std::unique_lock<std::mutex> lock(gate.m);
        gate.changed.wait(lock, [&] { return gate.entered; });
    }
    // The draw is stuck inside its section: both locks are free.
    const bool editorFree = !heldElsewhere(CPluxProbe::editorLock(*plux));
    const bool scriptFree = !heldElsewhere(CPluxProbe::scriptLock(*plux));
    EXPECT_TRUE(editorFree);
    EXPECT_TRUE(scriptFree);
    if (editorFree && scriptFree) {
        std::vector<float> state = {TVexmold::kStateMarker, 3.0f};
        EXPECT_EQ(dispatch(e, effSetChunk, 0, 8, state.data()), 8);
        EXPECT_EQ(script->slider(1), 3.0);
        dispatch(e, effMainsChanged, 0, 0);
        dispatch(e, effMainsChanged, 0, 1);
        dispatch(e, effOpen);
        plux->mouseDown(4.0, 5.0, 2);
        EXPECT_EQ(script->mouseX, 4.0);
    }
    {
        std::lock_guard<std::mutex> lock(gate.m);
        gate.released = true;
    }
    gate.changed.notify_all();
    ui.join();
    // The section ran on the drawing copy, never on the script itself.
    EXPECT_EQ(static_cast<SlowDrawScript*>(CPluxProbe::drawScript(*plux))->draws, 1);
    EXPECT_EQ(script->draws, 0);
    EXPECT_EQ(script->drawRed, 0.0);
    dispatch(e, effClose);
}

// ---------------------------------------------------------------------------
// A draw that reads the audio side's values, and draws, slowly.

// Publishes a counter and the frames processed; the draw takes them (slowly,
// when told to) and checks that they belong together.
class SlowReaderScript final : public TVexmold {
  public:
    struct Shown {
        double publishes = 0, frames = 0, framesTwice = 0;
    };
    explicit SlowReaderScript(int slowMs = 0) : slow(slowMs) { channelCount = 2; }
    void doSample() override { frames += 1.0; }
    void publishDisplayValues() override {
        publishes += 1.0;
        published.publish(Shown{publishes, frames, 2.0 * frames});
    }
    void takeDisplayValues(TVexmold& drawing) override {
        auto& to = static_cast<SlowReaderScript&>(drawing);
        to.probe("take", static_cast<CPlux*>(plux));
        std::this_thread::sleep_for(std::chrono::milliseconds(slow));
        published.read(to.shown);
    }
    void doGfx() override {
        probe("gfx", static_cast<CPlux*>(plux));
        std::this_thread::sleep_for(std::chrono::milliseconds(slow));
        whole = whole && shown.framesTwice == 2.0 * shown.frames;
        ++draws;
    }
    TVexmold* newDrawingCopy() const override { return new SlowReaderScript(slow); }
    // Whether this thread held the audio side's lock at each step, when asked.
    void probe(const char* step, CPlux* wrapper) {
        if (probing && wrapper)
            lockHeld[step] = heldElsewhere(CPluxProbe::scriptLock(*wrapper));
    }

    const int slow;
    double publishes = 0, frames = 0;
    Shown shown;
    bool whole = true, probing = false;
    int draws = 0;
    std::map<std::string, bool> lockHeld;

  private:
    vexmold::TripleBuffer<Shown> published;
};

TEST(StressThreads, ADrawTakesNoLockTheAudioSideHolds) {
    auto* script = new SlowReaderScript;
    AEffect* e = assemblePlugin(host, script);
    ASSERT_NE(e, nullptr);
    auto* plux = static_cast<CPlux*>(e->object);
    auto* drawing = static_cast<SlowReaderScript*>(CPluxProbe::drawScript(*plux));
    ASSERT_NE(drawing, nullptr);
    dispatch(e, effOpen);
    dispatch(e, effMainsChanged, 0, 1);
    std::vector<float> l(64, 0.0f), r(64, 0.0f);
    float* io[2] = {l.data(), r.data()};
    e->processReplacing(e, io, io, 64);
    drawing->probing = true;
    plux->drawGraphics(nullptr, 10.0, 10.0);
    ASSERT_EQ(drawing->lockHeld.size(), 2u);
    EXPECT_FALSE(drawing->lockHeld["take"]);
    EXPECT_FALSE(drawing->lockHeld["gfx"]);
    // It showed what the last processing call published.
    EXPECT_EQ(drawing->shown.frames, 64.0);
    EXPECT_EQ(drawing->shown.publishes, script->publishes);
    dispatch(e, effClose);
}

// Draws of 500 ms (half of it reading the audio side's values) while blocks
// of 64 frames are processed: no processing call waits for a draw. A call
// that waited would take most of the reading's 250 ms, since blocks follow
// one another without pause; the bound of half that leaves room for the
// preemptions of a loaded machine (70 ms seen under a parallel build).
TEST(StressThreads, ASlowDrawHoldsUpNoProcessingCall) {
    constexpr int kHalfDrawMs = 250;
    auto* script = new SlowReaderScript(kHalfDrawMs);
    AEffect* e = assemblePlugin(host, script);
    ASSERT_NE(e, nullptr);
    auto* plux = static_cast<CPlux*>(e->object);
    dispatch(e, effOpen);
    dispatch(e, effMainsChanged, 0, 1);
    std::atomic<bool> drawing{true};
    std::chrono::steady_clock::duration longest{};
    int blocks = 0;
    std::thread audio([&] {
        std::vector<float> l(64, 0.0f), r(64, 0.0f);
        float* io[2] = {l.data(), r.data()};
        while (drawing.load()) {
            const auto start = std::chrono::steady_clock::now();
            e->processReplacing(e, io, io, 64);
            longest = std::max(longest, std::chrono::steady_clock::now() - start);
            ++blocks;
        }
    });
    for (int draw = 0; draw < 3; ++draw)
        plux->drawGraphics(nullptr, 10.0, 10.0);
    drawing.store(false);
    audio.join();
    const auto* copy = static_cast<const SlowReaderScript*>(CPluxProbe::drawScript(*plux));
    EXPECT_EQ(copy->draws, 3);
    EXPECT_TRUE(copy->whole);
    EXPECT_GT(blocks, 3);
    EXPECT_LT(longest, std::chrono::milliseconds(kHalfDrawMs / 2))
        << "longest processing call "
        << std::chrono::duration_cast<std::chrono::microseconds>(longest).count() << " us";
    dispatch(e, effClose);
}

}  // namespace
