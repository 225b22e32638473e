// The script object: initial state of the class chain, the processing loop,
// the state chunk, the timed redraw and the lifecycle steps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "runtime/triplebuffer.h"
#include "runtime/vexmold.h"
#include "shell/aeffeditor.h"
#include "shell/plux.h"
#include "tests/support/minimal_host.h"

namespace {

// --- Helpers ---------------------------------------------------------------------

// A wrapper around a script object that reports `inputs` input channels.
// The wrapper owns the script and deletes it.
template <typename Script> class Wrapped {
  public:
    explicit Wrapped(VstInt32 inputs, Script* s = new Script) : script(s) {
        plux = CPlux::create(script, nullptr, plux::testing_support::minimalHost, 1, 0);
        script->plux = plux;
        plux->setNumInputs(inputs);
        plux->setNumOutputs(inputs);
    }
    ~Wrapped() { delete plux; }
    Wrapped(const Wrapped&) = delete;
    Wrapped& operator=(const Wrapped&) = delete;

    Script* script;
    CPlux* plux = nullptr;
};

// Records every section run; the sample section records what it saw and
// writes a channel mix back so that outputs show what happened.
class RecordingScript final : public TVexmold {
  public:
    void doBlock() override {
        ++blockRuns;
        log += 'B';
    }
    void doSample() override {
        ++sampleRuns;
        seen.push_back({sampleValues[0], sampleValues[1], sampleValues[2]});
        if (mix) {
            const double a = sampleValues[0], b = sampleValues[1];
            sampleValues[0] = a + b;
            sampleValues[1] = a - b;
            sampleValues[2] = sampleValues[2] * 2.0 + frameCounter;
        }
        frameCounter += 1.0;
    }
    void doSlider() override { log += 'S'; }
    void doInit() override { log += 'I'; }
    void doSerialize() override {
        log += 'Z';
        for (double& v : values)
            transferValue(0, v);
    }

    int blockRuns = 0;
    int sampleRuns = 0;
    bool mix = true;
    double frameCounter = 0.0;
    std::vector<std::vector<double>> seen;
    std::string log;
    std::vector<double> values;  // what the serialisation section transfers
};

std::vector<float> ramp(int frames, float start, float step) {
    std::vector<float> v(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i)
        v[static_cast<size_t>(i)] = start + step * static_cast<float>(i);
    return v;
}

// --- Construction ----------------------------------------------------------------

TEST(RuntimeCoreConstruction, ClassChainStartsWithItsInitialValues) {
    TVexmold script;
    EXPECT_TRUE(script.memoryBlocks.empty());
    EXPECT_EQ(script.plux, nullptr);
    EXPECT_EQ(script.sliderValues, std::vector<double>(128, 0.0));
    EXPECT_EQ(script.sampleValues, std::vector<double>(64, 0.0));
    EXPECT_TRUE(script.sliders.empty());
    EXPECT_EQ(script.effectName, "");
    EXPECT_EQ(script.productString, "");
    EXPECT_EQ(script.vendorString, "");
    EXPECT_EQ(script.programName, "");
    EXPECT_EQ(script.vendorVersion, 0u);
    EXPECT_EQ(script.uniqueId, 0u);
    EXPECT_EQ(script.channelCount, 0u);
    EXPECT_TRUE(script.stringSlots.empty());
    EXPECT_TRUE(script.fileNames.empty());
    EXPECT_EQ(script.stringSlotCount, 0.0);
    ASSERT_EQ(script.fileHandles.size(), 1u);
    const TVexmoldFileHandle& h = script.fileHandles[0];
    EXPECT_EQ(h.name, "");
    EXPECT_EQ(h.position, 0);
    EXPECT_TRUE(h.data.empty());
    EXPECT_EQ(h.flags[0], 0);
    EXPECT_EQ(h.flags[1], 1);
    EXPECT_EQ(h.mode, TVexmoldFileHandle::closed);
    EXPECT_EQ(h.extra, 0);
    EXPECT_TRUE(script.fontSlots.empty());
    EXPECT_EQ(script.redrawRate, 0.0);
    EXPECT_EQ(script.mouseButtons, 0.0);
    EXPECT_EQ(script.mouseX, 0.0);
    EXPECT_EQ(script.mouseY, 0.0);
    EXPECT_EQ(script.lastRedrawClock, 0);
    EXPECT_EQ(script.initCount, 0u);
}

// --- Processing ------------------------------------------------------------------

TEST(RuntimeCoreProcessing, ZeroOrNegativeFramesRunOnlyTheBlockSection) {
    Wrapped<RecordingScript> w(2);
    float in0 = 1.0f, in1 = 2.0f, out0 = -9.0f, out1 = -9.0f;
    const float* inputs[] = {&in0, &in1};
    float* outputs[] = {&out0, &out1};
    w.script->process(inputs, outputs, 0);
    EXPECT_EQ(w.script->blockRuns, 1);
    EXPECT_EQ(w.script->sampleRuns, 0);
    w.script->process(inputs, outputs, -5);
    double d0 = 1.0, d1 = 2.0, o0 = -9.0, o1 = -9.0;
    const double* dIn[] = {&d0, &d1};
    double* dOut[] = {&o0, &o1};
    w.script->processDouble(dIn, dOut, 0);
    EXPECT_EQ(w.script->blockRuns, 3);
    EXPECT_EQ(w.script->sampleRuns, 0);
    EXPECT_EQ(out0, -9.0f);
    EXPECT_EQ(out1, -9.0f);
    EXPECT_EQ(o0, -9.0);
    EXPECT_EQ(o1, -9.0);
}

TEST(RuntimeCoreProcessing, TwoChannelsPassThroughTheSampleSectionFrameByFrame) {
    Wrapped<RecordingScript> w(2);
    const std::vector<float> left = {0.5f, 0.25f, -1.0f};
    const std::vector<float> right = {0.25f, 0.125f, 0.5f};
    std::vector<float> out0(3, -9.0f), out1(3, -9.0f);
    const float* inputs[] = {left.data(), right.data()};
    float* outputs[] = {out0.data(), out1.data()};
    w.script->process(inputs, outputs, 3);

    EXPECT_EQ(w.script->blockRuns, 1);
    ASSERT_EQ(w.script->sampleRuns, 3);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(w.script->seen[i][0], left[i]);
        EXPECT_EQ(w.script->seen[i][1], right[i]);
    }
    EXPECT_EQ(out0, (std::vector<float>{0.75f, 0.375f, -0.5f}));
    EXPECT_EQ(out1, (std::vector<float>{0.25f, 0.125f, -1.5f}));
    // Channel 2 is not part of a two-channel frame.
    EXPECT_EQ(w.script->seen[0][2], 0.0);
}

TEST(RuntimeCoreProcessing, InPlaceBuffersGiveTheSameResult) {
    const int frames = 50;
    const std::vector<float> left = ramp(frames, 0.0f, 0.01f);
    const std::vector<float> right = ramp(frames, 0.3f, -0.02f);

    Wrapped<RecordingScript> separate(2);
    std::vector<float> out0(frames), out1(frames);
    const float* inputs[] = {left.data(), right.data()};
    float* outputs[] = {out0.data(), out1.data()};
    separate.script->process(inputs, outputs, frames);

    Wrapped<RecordingScript> inPlace(2);
    std::vector<float> io0 = left, io1 = right;
    float* buffers[] = {io0.data(), io1.data()};
    inPlace.script->process(buffers, buffers, frames);
    EXPECT_EQ(io0, out0);
    EXPECT_EQ(io1, out1);

    // The general loop too, with three channels.
    Wrapped<RecordingScript> three(3), threeInPlace(3);
    const std::vector<float> third = ramp(frames, -0.5f, 0.015f);
    std::vector<float> t0(frames), t1(frames), t2(frames);
    const float* in3[] = {left.data(), right.data(), third.data()};
    float* out3[] = {t0.data(), t1.data(), t2.data()};
    three.script->process(in3, out3, frames);
    std::vector<float> p0 = left, p1 = right, p2 = third;
    float* io3[] = {p0.data(), p1.data(), p2.data()};
    threeInPlace.script->process(io3, io3, frames);
    EXPECT_EQ(p0, t0);
    EXPECT_EQ(p1, t1);
    EXPECT_EQ(p2, t2);
}

TEST(RuntimeCoreProcessing, NullBuffersReadAsSilenceAndAreNotWritten) {
    Wrapped<RecordingScript> w(2);
    const std::vector<float> left = {0.5f, 0.25f};
    std::vector<float> out0(2, -9.0f), out1(2, -9.0f);
    float* outputs[] = {out0.data(), out1.data()};

    // No input array at all.
    w.script->process(nullptr, outputs, 2);
    ASSERT_EQ(w.script->sampleRuns, 2);
    EXPECT_EQ(w.script->seen[0], (std::vector<double>{0.0, 0.0, 0.0}));
    EXPECT_EQ(out0, (std::vector<float>{0.0f, 0.0f}));
    EXPECT_EQ(out1, (std::vector<float>{0.0f, 0.0f}));

    // A null input channel and a null output channel.
    const float* inputs[] = {left.data(), nullptr};
    out0.assign(2, -9.0f);
    out1.assign(2, -9.0f);
    float* halfOutputs[] = {nullptr, out1.data()};
    w.script->process(inputs, halfOutputs, 2);
    EXPECT_EQ(w.script->seen[2][0], 0.5);
    EXPECT_EQ(w.script->seen[2][1], 0.0);
    EXPECT_EQ(out0, (std::vector<float>{-9.0f, -9.0f}));
    EXPECT_EQ(out1, (std::vector<float>{0.5f, 0.25f}));

    // No output array: the sections still run.
    w.script->process(inputs, nullptr, 2);
    EXPECT_EQ(w.script->sampleRuns, 6);
    EXPECT_EQ(w.script->blockRuns, 3);

    // The same in the general loop and the 64-bit path.
    Wrapped<RecordingScript> g(3);
    const double d0[] = {1.0}, d2[] = {3.0};
    double o0[] = {-9.0}, o2[] = {-9.0};
    const double* dIn[] = {d0, nullptr, d2};
    double* dOut[] = {o0, nullptr, o2};
    g.script->processDouble(dIn, dOut, 1);
    EXPECT_EQ(g.script->seen[0], (std::vector<double>{1.0, 0.0, 3.0}));
    EXPECT_EQ(o0[0], 1.0);
    EXPECT_EQ(o2[0], 6.0);
    g.script->processDouble(nullptr, nullptr, 1);
    EXPECT_EQ(g.script->seen[1], (std::vector<double>{0.0, 0.0, 0.0}));
}

TEST(RuntimeCoreProcessing, GeneralLoopCopiesEveryChannelThroughSampleValues) {
    Wrapped<RecordingScript> w(3);
    w.script->mix = false;
    w.script->sampleValues[3] = 123.0;  // beyond the channel count: untouched
    const int frames = 4;
    const std::vector<float> c0 = ramp(frames, 0.1f, 0.1f);
    const std::vector<float> c1 = ramp(frames, -0.1f, -0.1f);
    const std::vector<float> c2 = ramp(frames, 0.5f, 0.05f);
    std::vector<float> o0(frames), o1(frames), o2(frames);
    const float* inputs[] = {c0.data(), c1.data(), c2.data()};
    float* outputs[] = {o0.data(), o1.data(), o2.data()};
    w.script->process(inputs, outputs, frames);
    EXPECT_EQ(o0, c0);
    EXPECT_EQ(o1, c1);
    EXPECT_EQ(o2, c2);
    ASSERT_EQ(w.script->sampleRuns, frames);
    EXPECT_EQ(w.script->seen[3][2], static_cast<double>(c2[3]));
    EXPECT_EQ(w.script->sampleValues[3], 123.0);

    // One channel also takes the general loop.
    Wrapped<RecordingScript> mono(1);
    mono.script->mix = false;
    std::vector<float> m(frames, 0.0f);
    float* monoOut[] = {m.data()};
    const float* monoIn[] = {c2.data()};
    mono.script->process(monoIn, monoOut, frames);
    EXPECT_EQ(m, c2);
}

TEST(RuntimeCoreProcessing, ChannelCountIsCappedAt64) {
    Wrapped<RecordingScript> w(100);
    w.script->mix = false;
    // The wrapper reports 100 channels and gets 100 buffers; only the first
    // 64 have a place in sampleValues and are moved.
    std::vector<std::vector<double>> in(100), out(100, std::vector<double>(2, -9.0));
    std::vector<const double*> inputs;
    std::vector<double*> outputs;
    for (size_t c = 0; c < 100; ++c) {
        in[c] = {static_cast<double>(c), -static_cast<double>(c)};
        inputs.push_back(in[c].data());
        outputs.push_back(out[c].data());
    }
    w.script->processDouble(inputs.data(), outputs.data(), 2);
    EXPECT_EQ(w.script->sampleRuns, 2);
    for (size_t c = 0; c < 64; ++c)
        EXPECT_EQ(out[c], in[c]) << c;
    for (size_t c = 64; c < 100; ++c)
        EXPECT_EQ(out[c], std::vector<double>(2, -9.0)) << c;
    EXPECT_EQ(w.script->sampleValues.size(), 64u);
}

TEST(RuntimeCoreProcessing, WithoutWrapperNoChannelIsMoved) {
    RecordingScript script;  // plux null: the host reports 0 channels
    float in0 = 1.0f, out0 = -9.0f;
    const float* inputs[] = {&in0, &in0};
    float* outputs[] = {&out0, &out0};
    script.process(inputs, outputs, 3);
    EXPECT_EQ(script.blockRuns, 1);
    EXPECT_EQ(script.sampleRuns, 3);
    EXPECT_EQ(script.seen[0][0], 0.0);
    EXPECT_EQ(out0, -9.0f);
}

TEST(RuntimeCoreProcessing, ChannelCountIsTakenOnTheFirstCallOfEachPath) {
    Wrapped<RecordingScript> w(2);
    w.script->mix = false;
    float a[] = {1.0f}, b[] = {2.0f}, c[] = {3.0f}, x[] = {0.0f}, y[] = {0.0f}, z[] = {-9.0f};
    const float* inputs[] = {a, b, c};
    float* outputs[] = {x, y, z};
    w.script->process(inputs, outputs, 1);
    // The wrapper now reports three channels; the 32-bit path keeps two.
    w.plux->setNumInputs(3);
    w.script->process(inputs, outputs, 1);
    EXPECT_EQ(x[0], 1.0f);
    EXPECT_EQ(y[0], 2.0f);
    EXPECT_EQ(z[0], -9.0f);
    // The 64-bit path takes its own count on its first call: three.
    double da[] = {1.0}, db[] = {2.0}, dc[] = {3.0}, dx[] = {0.0}, dy[] = {0.0}, dz[] = {-9.0};
    const double* dIn[] = {da, db, dc};
    double* dOut[] = {dx, dy, dz};
    w.script->processDouble(dIn, dOut, 1);
    EXPECT_EQ(dz[0], 3.0);

    // Another instance takes its own count.
    Wrapped<RecordingScript> other(3);
    other.script->mix = false;
    z[0] = -9.0f;
    other.script->process(inputs, outputs, 1);
    EXPECT_EQ(z[0], 3.0f);
}

// A sample section that writes a value of its own to both channels.
class ConstantScript final : public TVexmold {
  public:
    void doSample() override {
        seenLeft = sampleValues[0];
        sampleValues[0] = value;
        sampleValues[1] = value;
    }
    double value = 0.1;
    double seenLeft = 0.0;
};

TEST(RuntimeCoreProcessing, FloatPathWidensAndNarrowsDoublePathKeepsEveryBit) {
    Wrapped<ConstantScript> w(2);
    float in[] = {0.1f}, out0[] = {0.0f}, out1[] = {0.0f};
    const float* inputs[] = {in, in};
    float* outputs[] = {out0, out1};
    w.script->process(inputs, outputs, 1);
    EXPECT_EQ(w.script->seenLeft, 0.100000001490116119384765625);  // 0.1f widened exactly
    EXPECT_EQ(out0[0], 0.1f);  // nearest float of the double 0.1
    EXPECT_EQ(out1[0], 0.1f);

    double din[] = {0.1}, dout0[] = {0.0}, dout1[] = {0.0};
    const double* dIn[] = {din, din};
    double* dOut[] = {dout0, dout1};
    w.script->value = 1.0 / 3.0;
    w.script->processDouble(dIn, dOut, 1);
    EXPECT_EQ(w.script->seenLeft, 0.1);
    EXPECT_EQ(dout0[0], 1.0 / 3.0);
    EXPECT_EQ(dout1[0], 1.0 / 3.0);
}

TEST(RuntimeCoreProcessing, OutputDoesNotDependOnTheBlockSize) {
    const int frames = 1000;
    const std::vector<float> left = ramp(frames, -0.5f, 0.001f);
    const std::vector<float> right = ramp(frames, 0.25f, -0.0005f);

    std::vector<std::vector<float>> results;
    for (const int block : {frames, 1, 7, 64, 999}) {
        Wrapped<RecordingScript> w(2);
        std::vector<float> o0(frames), o1(frames);
        int blocks = 0;
        for (int start = 0; start < frames; start += block, ++blocks) {
            const int n = std::min(block, frames - start);
            const size_t s = static_cast<size_t>(start);
            const float* inputs[] = {left.data() + s, right.data() + s};
            float* outputs[] = {o0.data() + s, o1.data() + s};
            w.script->process(inputs, outputs, n);
        }
        EXPECT_EQ(w.script->blockRuns, blocks);
        EXPECT_EQ(w.script->sampleRuns, frames);
        o0.insert(o0.end(), o1.begin(), o1.end());
        results.push_back(o0);
    }
    for (size_t i = 1; i < results.size(); ++i)
        EXPECT_EQ(results[i], results[0]) << "block size variant " << i;
}

// --- State chunk -------------------------------------------------------------------

std::vector<unsigned char> chunkBytes(const void* bytes, int32_t size) {
    const auto* p = static_cast<const unsigned char*>(bytes);
    return std::vector<unsigned char>(p, p + size);
}

TEST(RuntimeCoreState, NothingWrittenAnswersZeroAndLeavesThePointer) {
    TVexmold script;
    int sentinel = 0;
    void* bytes = &sentinel;
    EXPECT_EQ(script.storeState(&bytes, false), 0);
    EXPECT_EQ(bytes, &sentinel);
    EXPECT_EQ(script.storeState(&bytes, true), 0);
    EXPECT_EQ(bytes, &sentinel);
    // The stream holds the marker only, in write mode.
    EXPECT_EQ(script.fileHandles[0].mode, TVexmoldFileHandle::writing);
    EXPECT_EQ(script.fileHandles[0].data, std::vector<float>{-1000.0f});
}

TEST(RuntimeCoreState, ChunkIsTheMarkerThenTheWrittenValuesLittleEndian) {
    RecordingScript script;
    script.values = {1.0, -2.5, 0.1};
    void* bytes = nullptr;
    const int32_t size = script.storeState(&bytes, false);
    ASSERT_EQ(size, 16);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(chunkBytes(bytes, size),
              (std::vector<unsigned char>{0x00, 0x00, 0x7A, 0xC4,     // -1000
                                          0x00, 0x00, 0x80, 0x3F,     // 1
                                          0x00, 0x00, 0x20, 0xC0,     // -2.5
                                          0xCD, 0xCC, 0xCC, 0x3D}));  // 0.1f
    EXPECT_EQ(script.log, "Z");                                       // serialisation only
    // The preset flag changes nothing.
    void* again = nullptr;
    EXPECT_EQ(script.storeState(&again, true), 16);
    EXPECT_EQ(chunkBytes(again, 16), chunkBytes(bytes, 16));

    script.values.assign(10, 7.0);
    EXPECT_EQ(script.storeState(&bytes, false), 4 * 11);
}

TEST(RuntimeCoreState, InvalidChunksRunNothingAndAnswerTheirSize) {
    RecordingScript script;
    script.values = {5.0, 6.0};
    const float wrongMarker[] = {1000.0f, 1.0f, 2.0f};
    const float almostMarker[] = {-999.99994f, 1.0f, 2.0f};
    const float nanMarker[] = {std::numeric_limits<float>::quiet_NaN(), 1.0f, 2.0f};
    const float valid[] = {-1000.0f, 1.0f, 2.0f};

    EXPECT_EQ(script.restoreState(valid, 3, false), 3);  // shorter than one value
    EXPECT_EQ(script.restoreState(valid, 0, false), 0);
    EXPECT_EQ(script.restoreState(nullptr, 12, false), 12);
    EXPECT_EQ(script.restoreState(wrongMarker, 12, false), 12);
    EXPECT_EQ(script.restoreState(almostMarker, 12, true), 12);
    EXPECT_EQ(script.restoreState(nanMarker, 12, false), 12);
    EXPECT_EQ(script.log, "");
    EXPECT_EQ(script.initCount, 0u);
    EXPECT_EQ(script.values, (std::vector<double>{5.0, 6.0}));
}

TEST(RuntimeCoreState, FirstValidRestoreInitialisesThenLaterOnesDoNot) {
    RecordingScript script;
    script.values = {0.0, 0.0};
    const float chunk[] = {-1000.0f, 1.5f, -0.25f};
    EXPECT_EQ(script.restoreState(chunk, sizeof chunk, false), 12);
    EXPECT_EQ(script.log, "IZS");
    EXPECT_EQ(script.initCount, 1u);
    EXPECT_EQ(script.values, (std::vector<double>{1.5, -0.25}));

    const float second[] = {-1000.0f, 2.0f, 3.0f};
    EXPECT_EQ(script.restoreState(second, sizeof second, true), 12);
    EXPECT_EQ(script.log, "IZSZS");
    EXPECT_EQ(script.initCount, 2u);
    EXPECT_EQ(script.values, (std::vector<double>{2.0, 3.0}));
}

TEST(RuntimeCoreState, ResumeDoesNotCountAsTheFirstInitialisation) {
    RecordingScript script;
    script.doResume();
    EXPECT_EQ(script.log, "IS");
    EXPECT_EQ(script.initCount, 0u);
    const float chunk[] = {-1000.0f};
    script.restoreState(chunk, 4, false);
    EXPECT_EQ(script.log, "ISIZS");
    EXPECT_EQ(script.doInitOnce(), 2u);
    EXPECT_EQ(script.log, "ISIZS");
}

TEST(RuntimeCoreState, ShortChunkLeavesUnreadValuesAndOddBytesAreIgnored) {
    RecordingScript script;
    script.values = {10.0, 20.0, 30.0};
    const float chunk[] = {-1000.0f, 4.0f, 5.0f};
    // 10 bytes: the marker and one value; the last two bytes are cut off.
    EXPECT_EQ(script.restoreState(chunk, 10, false), 10);
    EXPECT_EQ(script.values, (std::vector<double>{4.0, 20.0, 30.0}));
}

TEST(RuntimeCoreState, StoreRestoreStoreIsByteExact) {
    RecordingScript source;
    source.values = {0.1, -123.456, 1e-30, 3.4e38, -0.0, 65.0};
    void* bytes = nullptr;
    const int32_t size = source.storeState(&bytes, false);
    ASSERT_EQ(size, 28);
    const std::vector<unsigned char> first = chunkBytes(bytes, size);

    RecordingScript target;
    target.values.assign(6, 99.0);
    EXPECT_EQ(target.restoreState(first.data(), size, false), size);
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(target.values[i], static_cast<double>(static_cast<float>(source.values[i])));
    EXPECT_TRUE(std::signbit(target.values[4]));

    void* again = nullptr;
    ASSERT_EQ(target.storeState(&again, false), size);
    EXPECT_EQ(chunkBytes(again, size), first);
}

// --- Timed redraw --------------------------------------------------------------------

int32_t gFakeClock = 0;
int32_t fakeClock() {
    return gFakeClock;
}

class CountingEditor final : public AEffEditor {
  public:
    explicit CountingEditor(AudioEffect* owner) : AEffEditor(owner) {}
    bool getRect(ERect**) override { return false; }
    bool open(void*) override { return false; }
    void close() override {}
    bool isOpen() override { return true; }
    void idle() override {}
    bool onKeyDown(VstKeyCode&) override { return false; }
    bool onKeyUp(VstKeyCode&) override { return false; }
    bool onWheel(float) override { return false; }
    bool setKnobMode(VstInt32) override { return false; }
    void requestRedraw() override { ++redraws; }
    int redraws = 0;
};

class RuntimeCoreIdle : public ::testing::Test {
  protected:
    void SetUp() override {
        gFakeClock = 0;
        plux::platform::setProcessClockForTesting(fakeClock);
        editor = new CountingEditor(w.plux);
        w.plux->setEditor(editor);  // the wrapper deletes it
    }
    void TearDown() override { plux::platform::setProcessClockForTesting(nullptr); }
    int idleAt(int32_t now) {
        gFakeClock = now;
        const int before = editor->redraws;
        w.script->doIdle();
        return editor->redraws - before;
    }
    Wrapped<TVexmold> w{2};
    CountingEditor* editor = nullptr;
};

TEST_F(RuntimeCoreIdle, RateZeroOrBelowNeverAsks) {
    for (const double rate : {0.0, -30.0, std::numeric_limits<double>::quiet_NaN()}) {
        w.script->redrawRate = rate;
        EXPECT_EQ(idleAt(1000000), 0) << rate;
        EXPECT_EQ(idleAt(2000000000), 0) << rate;
    }
    EXPECT_EQ(w.script->lastRedrawClock, 0);
}

TEST_F(RuntimeCoreIdle, Rate30AsksOnlyAfterMoreThan33Point3Milliseconds) {
    w.script->redrawRate = 30.0;
    EXPECT_EQ(idleAt(0), 0);
    EXPECT_EQ(idleAt(33), 0);
    EXPECT_EQ(idleAt(34), 1);
    EXPECT_EQ(w.script->lastRedrawClock, 34);
    EXPECT_EQ(idleAt(34), 0);
    EXPECT_EQ(idleAt(67), 0);
    EXPECT_EQ(idleAt(68), 1);
    EXPECT_EQ(w.script->lastRedrawClock, 68);
    // A long pause asks once, not once per missed period.
    EXPECT_EQ(idleAt(10000), 1);
    EXPECT_EQ(idleAt(10001), 0);
}

TEST_F(RuntimeCoreIdle, OtherRatesUseTheirOwnPeriod) {
    w.script->redrawRate = 1000.0;  // period 1 ms: 2 ms needed
    EXPECT_EQ(idleAt(1), 0);
    EXPECT_EQ(idleAt(2), 1);
    w.script->redrawRate = 0.5;  // period 2000 ms
    EXPECT_EQ(idleAt(2002), 0);
    EXPECT_EQ(idleAt(2003), 1);
}

TEST_F(RuntimeCoreIdle, ClockWrapAroundKeepsThePace) {
    w.script->redrawRate = 30.0;
    EXPECT_EQ(idleAt(INT32_MAX - 10), 1);
    EXPECT_EQ(w.script->lastRedrawClock, INT32_MAX - 10);
    EXPECT_EQ(idleAt(INT32_MIN + 22), 0);  // 33 ms later
    EXPECT_EQ(idleAt(INT32_MIN + 23), 1);  // 34 ms later
    EXPECT_EQ(w.script->lastRedrawClock, INT32_MIN + 23);
}

TEST_F(RuntimeCoreIdle, ResetRestartsTheRedrawClock) {
    w.script->redrawRate = 30.0;
    EXPECT_EQ(idleAt(5000), 1);
    w.script->doReset();
    EXPECT_EQ(w.script->lastRedrawClock, 0);
    EXPECT_EQ(idleAt(5001), 1);
}

TEST(RuntimeCoreIdleWithoutWrapper, StillTakesTheClock) {
    gFakeClock = 500;
    plux::platform::setProcessClockForTesting(fakeClock);
    TVexmold script;
    script.redrawRate = 30.0;
    script.doIdle();
    EXPECT_EQ(script.lastRedrawClock, 500);
    plux::platform::setProcessClockForTesting(nullptr);
}

// --- Lifecycle ---------------------------------------------------------------------------

TEST(RuntimeCoreLifecycle, ResumeRunsInitialisationThenSlider) {
    RecordingScript script;
    script.doResume();
    script.doResume();
    EXPECT_EQ(script.log, "ISIS");
}

TEST(RuntimeCoreLifecycle, InitOnceInitialisesOnlyOnTheFirstCall) {
    RecordingScript script;
    EXPECT_EQ(script.doInitOnce(), 1u);
    EXPECT_EQ(script.doInitOnce(), 2u);
    EXPECT_EQ(script.doInitOnce(), 3u);
    EXPECT_EQ(script.log, "I");
}

TEST(RuntimeCoreLifecycle, ResetClearsMemoryAndStringsOnly) {
    TVexmold script;
    script.memoryBlocks[0] = std::vector<double>(4, 1.0);
    script.memoryBlocks[-3] = std::vector<double>(2, 2.0);
    script.assignStringSlot(1, "one");
    script.assignStringSlot(2, "two");
    script.fileNames[0] = "logo.png";
    script.sliderValues[1] = 5.0;
    script.sampleValues[0] = 0.5;
    script.fileHandles[0].data = {1.0f};
    script.lastRedrawClock = 1234;
    script.redrawRate = 30.0;
    script.doReset();
    EXPECT_TRUE(script.memoryBlocks.empty());
    EXPECT_TRUE(script.stringSlots.empty());
    EXPECT_EQ(script.stringSlotCount, 0.0);
    EXPECT_EQ(script.lastRedrawClock, 0);
    EXPECT_EQ(script.fileNames.at(0), "logo.png");
    EXPECT_EQ(script.sliderValues[1], 5.0);
    EXPECT_EQ(script.sampleValues[0], 0.5);
    EXPECT_EQ(script.fileHandles[0].data, std::vector<float>{1.0f});
    EXPECT_EQ(script.redrawRate, 30.0);
}

// --- Display hand-over -------------------------------------------------------------------------

TEST(RuntimeTripleBuffer, AReadGetsTheNewestWholeValueAndSaysWhetherItIsNew) {
    vexmold::TripleBuffer<std::vector<int>> buffer;
    std::vector<int> got = {9};
    EXPECT_FALSE(buffer.read(got));  // nothing published: the initial value
    EXPECT_EQ(got, std::vector<int>{});
    buffer.publish({1, 1});
    buffer.publish({2, 2});
    buffer.publish({3, 3});  // the older two are skipped
    EXPECT_TRUE(buffer.read(got));
    EXPECT_EQ(got, (std::vector<int>{3, 3}));
    EXPECT_FALSE(buffer.read(got));  // the same value again
    EXPECT_EQ(got, (std::vector<int>{3, 3}));
    for (int round = 4; round < 10; ++round) {  // every slot in turn
        buffer.publish({round, round});
        EXPECT_TRUE(buffer.read(got));
        EXPECT_EQ(got, (std::vector<int>{round, round}));
    }
}

// A writer and a reader on two threads: every read is one whole published
// value, never older than the last read (run under ThreadSanitizer too).
TEST(RuntimeTripleBuffer, ReaderSeesWholeValuesInOrderWhileTheWriterRuns) {
    struct Pair {
        int64_t value = 0, negated = 0;
    };
    vexmold::TripleBuffer<Pair> buffer;
    constexpr int64_t kLast = 200000;
    std::thread writer([&] {
        for (int64_t n = 1; n <= kLast; ++n)
            buffer.publish(Pair{n, -n});
    });
    bool whole = true, ordered = true;
    Pair got, previous;
    while (got.value != kLast) {
        buffer.read(got);
        whole = whole && got.negated == -got.value;
        ordered = ordered && got.value >= previous.value;
        previous = got;
    }
    writer.join();
    EXPECT_TRUE(whole);
    EXPECT_TRUE(ordered);
}

// --- Graphics pass -----------------------------------------------------------------------------

// A section run through a pass reads the pass's time and sizes; the same
// object's sections on another thread meanwhile (an object without a
// drawing copy runs its audio sections there) read their host's, here none.
TEST(RuntimeGraphicsPass, TheSectionReadsItsPassOnItsOwnThreadOnly) {
    class Script final : public TVexmold {
      public:
        void doGfx() override {
            tempo = hostTempo();
            hasSignature = hostTempoAndSignature(nullptr, &numerator, nullptr);
            playing = hostIsPlaying();
            std::thread([this] { elsewhere = hostTempo(); }).join();
        }
        double tempo = -1, numerator = -1, playing = -1, elsewhere = -1;
        bool hasSignature = false;
    } script;
    TVexmoldGraphicsPass pass;
    pass.viewWidth = 40;
    pass.viewHeight = 30;
    pass.time.known = true;
    pass.time.playing = true;
    pass.time.tempo = 99.5;
    pass.time.timeSigNumerator = 7;
    script.runGraphicsSection(pass);
    EXPECT_EQ(script.tempo, 99.5);
    EXPECT_TRUE(script.hasSignature);
    EXPECT_EQ(script.numerator, 7.0);
    EXPECT_EQ(script.playing, 1.0);
    EXPECT_EQ(script.elsewhere, 0.0);
    EXPECT_EQ(script.viewWidth, 40.0);
    EXPECT_EQ(script.viewHeight, 30.0);
    // The pass ends with the run.
    EXPECT_EQ(script.graphicsPass(), nullptr);
    EXPECT_EQ(script.hostTempo(), 0.0);
}

}  // namespace
