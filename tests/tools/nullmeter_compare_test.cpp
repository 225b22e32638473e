// The null test of files, through the library and through the command line:
// the windows and the summary the meter gives, what counts as differing, the
// alignment applied, the verdict and its exit status, and bad input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/sysmacros.h>
#endif

#include "tools/common/analytic_signal.h"
#include "tests/support/noise_signal.h"
#include "tests/tools/nullmeter_command.h"
#include "tests/support/scratch_dir.h"
#include "tools/common/audio_file.h"
#include "tools/nullmeter/file_comparison.h"
#include "tools/nullmeter/measurement.h"
#include "tools/nullmeter/options.h"
#include "tools/nullmeter/verdict.h"

namespace {

using namespace nullmeter;
using plux::audio::Audio;

constexpr int kRate = 48000;

std::vector<double> noise(std::size_t frames, unsigned seed) {
    return plux::testing_support::whiteNoise(frames, seed, 0.25);
}

class NullTestFiles : public ::testing::Test {
  protected:
    std::string write(const std::string& name, std::vector<std::vector<double>> channels,
                      int rate = kRate,
                      plux::audio::Encoding encoding = plux::audio::Encoding::Float64) {
        Audio audio;
        audio.sampleRate = rate;
        audio.channels = std::move(channels);
        const std::filesystem::path path = scratch.path() / name;
        std::string error;
        EXPECT_TRUE(
            plux::audio::writeFile(path, audio, encoding, plux::audio::Container::Wav, error))
            << error;
        return path.string();
    }

    // Compares A with B (or a stereo file's channels) as the tool does.
    bool compare(const Input& a, const Input& b, ComparisonSettings settings = {},
                 std::vector<WindowResult>* windows = nullptr) {
        return compareWith(comparison, a, b, settings, windows);
    }
    bool compareWith(FileComparison& c, const Input& a, const Input& b,
                     ComparisonSettings settings = {},
                     std::vector<WindowResult>* windows = nullptr) {
        std::string error;
        if (!c.open(a, b, settings, error) || !c.estimate(error) ||
            !c.run(
                [windows](const WindowResult& w) {
                    if (windows)
                        windows->push_back(w);
                },
                BlockTap(), error)) {
            lastError = error;
            return false;
        }
        return true;
    }
    const ComparisonResult& result() const { return comparison.result(); }

    plux::testing_support::ScratchDir scratch;
    FileComparison comparison;
    std::string lastError;
};

// What differs, counted two samples at a time and in the odd one at the end:
// non-finite samples on either side, differing samples, the first and last,
// and the largest finite difference.
TEST(NullTestMeasurement, DifferencesAndNonFiniteSamplesAreCountedExactly) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<double> a = {0, 1, nan, inf, 2, 3, -inf, 5, 6};
    const std::vector<double> b = {0, 1.5, 1, nan, 5, 3.25, 7, 5, 7};
    Measurement m(1, kRate, 0.1, 0, 0, 1.0);
    m.queueA().push(a.data(), 9);
    m.queueB().push(b.data(), 9);
    m.consume(WindowSink());
    m.finish(WindowSink());
    const ChannelSummary& s = m.summary().channels[0];
    EXPECT_EQ(s.nonFiniteA, 3);
    EXPECT_EQ(s.nonFiniteB, 1);
    EXPECT_EQ(s.differing, 7);
    EXPECT_EQ(s.firstDifference, 1);
    EXPECT_EQ(s.lastDifference, 8);
    EXPECT_EQ(s.largestDifference, 3.0);  // 2 against 5; the infinite ones left out
}

// Channel pairs measured on helper threads give what one thread gives: the
// same windows in the same order and the same summary, to the bit.
TEST(NullTestMeasurement, HelperThreadsChangeNothing) {
    constexpr int kChannels = 3;
    constexpr std::int64_t kFrames = 100000;  // several blocks, a partial window at the end
    std::vector<double> a = noise(kFrames * kChannels, 5), b = a;
    for (std::int64_t i = 0; i < kFrames * kChannels; i += 997)
        b[static_cast<std::size_t>(i)] += 1e-6 * static_cast<double>(i % 7);
    b[12345] = std::numeric_limits<double>::quiet_NaN();
    const auto measure = [&](int helpers, std::vector<WindowResult>& windows) {
        Measurement m(kChannels, kRate, 0.1, 0, 0, 0.5, helpers);
        EXPECT_TRUE(m.ok());
        const WindowSink sink = [&windows](const WindowResult& w) { windows.push_back(w); };
        // Pushed in uneven pieces, as the decoders hand them over.
        for (std::int64_t at = 0; at < kFrames; at += 7001) {
            const std::int64_t n = std::min<std::int64_t>(7001, kFrames - at);
            m.queueA().push(a.data() + at * kChannels, n);
            m.queueB().push(b.data() + at * kChannels, n);
            m.consume(sink);
        }
        m.finish(sink);
        return m.summary();
    };
    std::vector<WindowResult> serial, parallel;
    const MeasurementSummary one = measure(0, serial);
    const MeasurementSummary three = measure(3, parallel);
    ASSERT_EQ(serial.size(), parallel.size());
    EXPECT_EQ(serial.size(), 3u * 21u);  // 4800 frames a window: 20 whole and a partial
    for (std::size_t i = 0; i < serial.size(); ++i) {
        EXPECT_EQ(serial[i].channel, parallel[i].channel) << i;
        EXPECT_EQ(serial[i].index, parallel[i].index) << i;
        EXPECT_EQ(serial[i].partial, parallel[i].partial) << i;
        EXPECT_EQ(std::memcmp(&serial[i].side, &parallel[i].side, sizeof(Reading)), 0) << i;
        EXPECT_EQ(std::memcmp(&serial[i].left, &parallel[i].left, sizeof(Reading)), 0) << i;
    }
    ASSERT_EQ(one.channels.size(), three.channels.size());
    for (std::size_t c = 0; c < one.channels.size(); ++c) {
        EXPECT_EQ(one.channels[c].differing, three.channels[c].differing);
        EXPECT_EQ(one.channels[c].firstDifference, three.channels[c].firstDifference);
        EXPECT_EQ(one.channels[c].lastDifference, three.channels[c].lastDifference);
        EXPECT_EQ(one.channels[c].nonFiniteB, three.channels[c].nonFiniteB);
        EXPECT_EQ(one.channels[c].largestDifference, three.channels[c].largestDifference);
        EXPECT_EQ(one.channels[c].side.rms, three.channels[c].side.rms);
    }
    EXPECT_EQ(one.nonFinite(), 1);
    EXPECT_EQ(one.comparedFrames, kFrames);
}

TEST_F(NullTestFiles, LastPartialWindowIsMeasuredAndADifferenceInItFails) {
    // 2.7 s that differ only at 2.698 s: two full windows and a partial one.
    const std::size_t frames = 129600;
    std::vector<double> a = noise(frames, 1), b = a;
    b[129504] += 1e-6;
    const std::string pa = write("a.wav", {a}), pb = write("b.wav", {b});
    std::vector<WindowResult> windows;
    ASSERT_TRUE(compare({pa, {}}, {pb, {}}, {}, &windows)) << lastError;
    ASSERT_EQ(windows.size(), 3u);
    EXPECT_FALSE(windows[1].partial);
    EXPECT_TRUE(windows[2].partial);
    EXPECT_EQ(windows[2].startFrame, 96000);
    EXPECT_EQ(windows[2].frames, 33600);
    EXPECT_EQ(windows[0].side.peakDb, -400.0);
    EXPECT_NEAR(windows[2].side.peakDb, 20 * std::log10(0.5e-6), 0.01);
    const ChannelSummary& s = result().final().channels[0];
    EXPECT_EQ(s.differing, 1);
    EXPECT_EQ(s.firstDifference, 129504);
    EXPECT_EQ(s.lastDifference, 129504);
    EXPECT_EQ(s.deepest.index, 1);
    EXPECT_EQ(s.shallowest.index, 3);
    EXPECT_TRUE(s.lastWindowPartial);
    const Verdict v = decide(result(), {});
    EXPECT_FALSE(v.pass);
    EXPECT_NE(v.text.find("1 of 129600 samples"), std::string::npos) << v.text;
    // The same difference is far below 16 bits: a tolerance of 16 bits passes.
    EXPECT_TRUE(decide(result(), {VerdictRule::Kind::Bits, 16}).pass);
    EXPECT_FALSE(decide(result(), {VerdictRule::Kind::Db, -140}).pass);
    EXPECT_TRUE(decide(result(), {VerdictRule::Kind::Db, -120}).pass);
}

TEST_F(NullTestFiles, SummaryIsTheMetersAndIdenticalFilesPass) {
    // A constant 0.5 on both sides: RMS and peak -6.02 dB, side at the floor.
    const std::string pa = write("a.wav", {std::vector<double>(60000, 0.5)});
    ASSERT_TRUE(compare({pa, {}}, {pa, {}})) << lastError;
    const ChannelSummary& s = result().final().channels[0];
    EXPECT_DOUBLE_EQ(s.left.rmsDb, 20 * std::log10(0.5));
    EXPECT_DOUBLE_EQ(s.left.peakDb, 20 * std::log10(0.5));
    EXPECT_EQ(s.side.rmsDb, -400.0);
    EXPECT_NEAR(s.side.peakBits, 66.44, 0.005);
    EXPECT_EQ(s.windows, 2);
    const Verdict v = decide(result(), {});
    EXPECT_TRUE(v.pass) << v.text;
    EXPECT_EQ(v.text, "PASS: identical: all 60000 compared samples are equal");
}

TEST_F(NullTestFiles, NonFiniteSampleFailsWhateverTheTolerance) {
    std::vector<double> a = noise(20000, 2), b = a;
    a[5000] = std::numeric_limits<double>::quiet_NaN();
    const std::string pa = write("a.wav", {a, a}), pb = write("b.wav", {b, b});
    ASSERT_TRUE(compare({pa, {}}, {pb, {}})) << lastError;
    const MeasurementSummary& m = result().final();
    EXPECT_EQ(m.channels[0].nonFiniteA, 1);
    EXPECT_EQ(m.channels[1].nonFiniteB, 0);
    EXPECT_EQ(m.channels[0].side.peakDb, 0.0);  // full scale, never a null
    EXPECT_EQ(m.nullDepthBits(), 0.0);
    const Verdict v = decide(result(), {VerdictRule::Kind::Db, 0.0});
    EXPECT_FALSE(v.pass);
    EXPECT_NE(v.text.find("non-finite"), std::string::npos) << v.text;
}

TEST_F(NullTestFiles, OffsetInvertedAndQuieterCopyIsFoundAndNullsWhenAligned) {
    const std::vector<double> a = noise(96000, 3);
    // B is A delayed by 37 frames, inverted and at half the level.
    std::vector<double> b(96000, 0.0);
    for (std::size_t i = 37; i < b.size(); ++i)
        b[i] = -0.5 * a[i - 37];
    const std::string pa = write("a.wav", {a}), pb = write("b.wav", {b});
    ComparisonSettings settings;
    settings.align = true;
    ASSERT_TRUE(compare({pa, {}}, {pb, {}}, settings)) << lastError;
    const AlignmentEstimate& e = result().alignment;
    ASSERT_TRUE(e.found);
    EXPECT_EQ(e.offsetFrames, 37);
    EXPECT_EQ(e.polarity, -1);
    EXPECT_NEAR(e.gainDb, -6.0206, 0.001);
    ASSERT_TRUE(result().aligned.has_value());
    EXPECT_EQ(result().aligned->offsetB, 37);
    EXPECT_EQ(result().aligned->comparedFrames, 96000 - 37);
    EXPECT_EQ(result().aligned->differing(), 0);
    EXPECT_GT(result().plain.sidePeakDb(), -20.0);
    EXPECT_TRUE(decide(result(), {}).pass);
}

TEST_F(NullTestFiles, BLeadingAIsShiftedTheOtherWay) {
    const std::vector<double> a = noise(50000, 4);
    const std::vector<double> b(a.begin() + 120, a.end());  // B starts 120 frames into A
    const std::string pa = write("a.wav", {a}), pb = write("b.wav", {b});
    ComparisonSettings settings;
    settings.align = true;
    ASSERT_TRUE(compare({pa, {}}, {pb, {}}, settings)) << lastError;
    EXPECT_EQ(result().alignment.offsetFrames, -120);
    EXPECT_EQ(result().aligned->offsetA, 120);
    EXPECT_EQ(result().aligned->differing(), 0);
    EXPECT_EQ(result().plain.comparedFrames, 49880);
    // Aligned, the two end together; as they are, the verdict says that the
    // lengths differ and only the overlap was compared.
    EXPECT_EQ(decide(result(), {}).text.find("lengths differ"), std::string::npos);
    FileComparison plain;
    std::string error;
    ASSERT_TRUE(plain.open({pa, {}}, {pb, {}}, {}, error) && plain.estimate(error) &&
                plain.run(WindowSink(), BlockTap(), error));
    EXPECT_NE(
        decide(plain.result(), {})
            .text.find("the lengths differ (A 50000, B 49880 frames), 49880 frames were compared"),
        std::string::npos);
}

// B is A delayed by a fraction of a sample, both 24-bit: the offset is
// found to a small fraction of a sample and --align nulls the pair far
// below what whole samples reach.
TEST_F(NullTestFiles, FractionalDelaysAreFoundAndApplied) {
    const plux::audio::AnalyticSignal signal(11, 24, kRate);
    const std::size_t frames = 3 * kRate;
    const std::string pa =
        write("a.wav", {signal.render(frames)}, kRate, plux::audio::Encoding::Pcm24);
    for (const double delay : {0.25, 0.5, 10.75, -3.6}) {
        const std::string pb =
            write("b.wav", {signal.render(frames, delay)}, kRate, plux::audio::Encoding::Pcm24);
        ComparisonSettings settings;
        settings.align = true;
        FileComparison fresh;
        ASSERT_TRUE(compareWith(fresh, {pa, {}}, {pb, {}}, settings)) << lastError;
        const ComparisonResult& r = fresh.result();
        const AlignmentEstimate& e = r.alignment;
        ASSERT_TRUE(e.found) << delay;
        EXPECT_NEAR(e.subSampleOffset, delay, 0.001) << delay;
        EXPECT_EQ(e.offsetFrames, std::llround(e.subSampleOffset)) << delay;
        EXPECT_NEAR(r.appliedOffsetFrames, delay, 0.001) << delay;
        EXPECT_NEAR(e.driftPpm, 0.0, 0.01) << delay;
        EXPECT_NEAR(e.gainDb, 0.0, 0.001) << delay;
        ASSERT_TRUE(r.aligned.has_value());
        EXPECT_EQ(r.edgeFrames, 48) << delay;
        EXPECT_LE(r.aligned->sidePeakDb(), -90.0) << delay;
        EXPECT_GE(r.aligned->nullDepthBits(), 15.0) << delay;
        // The whole samples alone leave a shallow null.
        EXPECT_GT(r.plain.sidePeakDb(), -60.0) << delay;
    }
}

// A capture whose clock drifts, inverted and quieter: drift, offset and gain
// are recovered over the whole length and the null is deep and level from
// start to end.
TEST_F(NullTestFiles, ClockDriftIsEstimatedAndCorrected) {
    const plux::audio::AnalyticSignal left(12, 24, kRate), right(13, 24, kRate);
    const std::size_t frames = 20 * kRate;
    const std::string pa = write("a.wav", {left.render(frames), right.render(frames)}, kRate,
                                 plux::audio::Encoding::Pcm24);
    for (const double ppm : {40.0, -25.0}) {
        const double offset = 7.3, gain = -0.8;
        const std::string pb =
            write("b.wav",
                  {left.render(frames, offset, ppm, gain), right.render(frames, offset, ppm, gain)},
                  kRate, plux::audio::Encoding::Pcm24);
        ComparisonSettings settings;
        settings.align = true;
        FileComparison fresh;
        std::vector<WindowResult> windows;
        ASSERT_TRUE(compareWith(fresh, {pa, {}}, {pb, {}}, settings, &windows)) << lastError;
        const ComparisonResult& r = fresh.result();
        const AlignmentEstimate& e = r.alignment;
        ASSERT_TRUE(e.found) << ppm;
        EXPECT_TRUE(e.driftSignificant) << ppm;
        EXPECT_NEAR(e.driftPpm, ppm, 0.001) << ppm;
        EXPECT_NEAR(e.subSampleOffset, offset, 0.002) << ppm;
        EXPECT_EQ(e.polarity, -1) << ppm;
        EXPECT_NEAR(e.gainDb, 20 * std::log10(0.8), 0.01) << ppm;
        EXPECT_LT(e.driftFitResidualFrames, 0.01) << ppm;
        EXPECT_NEAR(r.appliedDriftPpm, ppm, 0.001) << ppm;
        ASSERT_TRUE(r.aligned.has_value());
        EXPECT_LE(r.aligned->sidePeakDb(), -80.0) << ppm;
        // Level in time, channel by channel.
        double lowest[2] = {0, 0}, highest[2] = {-400, -400};
        for (const WindowResult& w : windows) {
            if (w.partial)
                continue;
            lowest[w.channel] = std::min(lowest[w.channel], w.side.rmsDb);
            highest[w.channel] = std::max(highest[w.channel], w.side.rmsDb);
        }
        for (int c = 0; c < 2; ++c)
            EXPECT_LT(highest[c] - lowest[c], 3.0) << ppm << " channel " << c;

        // As a pair in a folder runs: no decoding threads, B aligned as it is
        // read, one measuring thread. The same windows to the bit.
        ComparisonSettings inFolder = settings;
        inFolder.decodeAhead = false;
        inFolder.parallel = false;
        FileComparison alone;
        std::vector<WindowResult> aloneWindows;
        ASSERT_TRUE(compareWith(alone, {pa, {}}, {pb, {}}, inFolder, &aloneWindows)) << lastError;
        ASSERT_TRUE(alone.result().aligned.has_value());
        EXPECT_EQ(alone.result().aligned->comparedFrames, r.aligned->comparedFrames) << ppm;
        ASSERT_EQ(aloneWindows.size(), windows.size()) << ppm;
        for (std::size_t i = 0; i < windows.size(); ++i)
            EXPECT_EQ(std::memcmp(&aloneWindows[i].side, &windows[i].side, sizeof(Reading)), 0)
                << ppm << " window " << i;
    }
}

TEST_F(NullTestFiles, StereoFileIsLeftAgainstRight) {
    const std::vector<double> a = noise(10000, 5);
    std::vector<double> b = a;
    for (double& x : b)
        x = std::round(x * 32768.0) / 32768.0;  // a 16-bit copy
    const std::string pair = write("pair.wav", {a, b});
    ASSERT_TRUE(compare({pair, {0}}, {pair, {1}})) << lastError;
    const MeasurementSummary& m = result().final();
    EXPECT_EQ(m.channels.size(), 1u);
    EXPECT_GT(m.differing(), 9000);
    // Half a 16-bit step at most: the side peak is at least 17 bits down.
    EXPECT_GE(m.nullDepthBits(), 17.0);
    EXPECT_LT(m.nullDepthBits(), 19.0);
}

TEST_F(NullTestFiles, FilesThatCannotBeComparedAreRefusedByName) {
    const std::string a = write("a.wav", {std::vector<double>(100, 0.1)});
    const std::string rate = write("rate.wav", {std::vector<double>(100, 0.1)}, 44100);
    const std::string stereo =
        write("stereo.wav", {std::vector<double>(100, 0.1), std::vector<double>(100, 0.1)});
    EXPECT_FALSE(compare({a, {}}, {rate, {}}));
    EXPECT_NE(lastError.find("44100 Hz"), std::string::npos) << lastError;
    EXPECT_NE(lastError.find("rate.wav"), std::string::npos) << lastError;
    FileComparison second;
    std::string error;
    EXPECT_FALSE(second.open({a, {}}, {stereo, {}}, {}, error));
    EXPECT_NE(error.find("a.wav has 1 channel but"), std::string::npos) << error;
    FileComparison third;
    EXPECT_FALSE(third.open({a, {}}, {(scratch.path() / "missing.wav").string(), {}}, {}, error));
    EXPECT_NE(error.find("missing.wav"), std::string::npos) << error;
}

TEST(NullTestOptions, WindowsAreTheMetersStepsAndBadArgumentsAreRefused) {
    Options o;
    std::string error;
    ASSERT_TRUE(
        parseOptions({"--window", "0.3", "--align", "--bits", "16", "a.wav", "b.flac"}, o, error))
        << error;
    EXPECT_DOUBLE_EQ(o.windowSeconds, 0.3);
    EXPECT_TRUE(o.align);
    EXPECT_EQ(o.rule.kind, VerdictRule::Kind::Bits);
    EXPECT_EQ(o.inputs.size(), 2u);
    Options version;
    ASSERT_TRUE(parseOptions({"--version"}, version, error)) << error;
    EXPECT_TRUE(version.version && !version.help && version.inputs.empty());
    const std::vector<std::vector<std::string>> bad = {{"--window", "0.25", "a.wav"},
                                                       {"--window", "0", "a.wav"},
                                                       {"--window", "10.1", "a.wav"},
                                                       {"--window", "x", "a.wav"},
                                                       {"--search", "11", "a.wav"},
                                                       {"--bits", "16", "--db", "-90", "a"},
                                                       {"--plot"},
                                                       {"--frobnicate", "a.wav"},
                                                       {},
                                                       {"a", "b", "c"}};
    for (const auto& args : bad) {
        Options refused;
        EXPECT_FALSE(parseOptions(args, refused, error)) << args.size();
        EXPECT_FALSE(error.empty());
    }
    Options window;
    EXPECT_FALSE(parseOptions({"--window", "0.25", "a.wav"}, window, error));
    EXPECT_NE(error.find("steps of 0.1"), std::string::npos) << error;
}

// --- the command line -------------------------------------------------------------------------

using plux::testing_support::CommandRun;
using plux::testing_support::lastLine;
using plux::testing_support::slurp;

class NullTestCommand : public NullTestFiles {
  protected:
    CommandRun run(const std::string& args) {
        return plux::testing_support::runNullmeter(args, scratch.path());
    }
};

TEST_F(NullTestCommand, ExitStatusSaysPassFailOrError) {
    const std::vector<double> a = noise(30000, 6);
    std::vector<double> b = a;
    b[100] = 0.0;
    const std::string pa = write("a.wav", {a}), pb = write("b.wav", {b});
    CommandRun same = run(pa + " " + pa);
    EXPECT_EQ(same.status, 0) << same.err;
    EXPECT_EQ(lastLine(same.out).rfind("PASS: identical", 0), 0u) << same.out;
    CommandRun differs = run(pa + " " + pb);
    EXPECT_EQ(differs.status, 1);
    EXPECT_EQ(lastLine(differs.out).rfind("FAIL: differs: 1 of 30000 samples", 0), 0u)
        << differs.out;
    // Usage and input errors: exit 2 with a message that names the file.
    const std::string dir = scratch.path().string();
    const std::string text = (scratch.path() / "notes.wav").string();
    std::ofstream(text) << "not audio at all\n";
    const std::string empty = (scratch.path() / "empty.wav").string();
    std::ofstream(empty).close();
    // Cut off on the way to disk: a WAV whose header announces more, a FLAC
    // whose stream stops early.
    const auto cut = [this](const std::string& from, const std::string& name) {
        std::ifstream in(from, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string path = (scratch.path() / name).string();
        std::ofstream(path, std::ios::binary) << bytes.substr(0, bytes.size() / 2);
        return path;
    };
    Audio flac{kRate, {a}};
    const std::string whole = (scratch.path() / "whole.flac").string();
    ASSERT_TRUE(plux::audio::writeFile(whole, flac, plux::audio::Encoding::Pcm24,
                                       plux::audio::Container::Flac, lastError));
    const std::string cutWav = cut(pb, "cut.wav"), cutFlac = cut(whole, "cut.flac");
    for (const std::string& bad : {dir, text, empty, dir + "/missing.flac", cutWav, cutFlac}) {
        CommandRun r = run(pa + " " + bad);
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.err.find(bad), std::string::npos) << r.err;
    }
    EXPECT_EQ(run("--window 0.25 " + pa).status, 2);
    EXPECT_EQ(run(pa).status, 2);  // one mono file is not a pair
}

TEST_F(NullTestCommand, JsonResidualAndPlotOfAnAlignedRun) {
    const std::vector<double> a = noise(48000, 7);
    std::vector<double> b(48000, 0.0);
    for (std::size_t i = 5; i < b.size(); ++i)
        b[i] = -a[i - 5];
    const std::string pa = write("a.wav", {a}), pb = write("b.wav", {b});
    const std::filesystem::path residual = scratch.path() / "residual.wav";
    const std::filesystem::path plot = scratch.path() / "plot.png";
    CommandRun r = run("--json --windows --align --residual " + residual.string() + " --plot " +
                       plot.string() + " " + pa + " " + pb);
    EXPECT_EQ(r.status, 0) << r.err << r.out;
    for (const char* field :
         {"\"offset_frames\": 5", "\"polarity\": -1", "\"applied\": true", "\"windows\": [",
          "\"before_alignment\": {", "\"summary\": {",
          "\"null_depth_bits\":", "\"differing_samples\": 0", "\"first_difference\": null",
          "\"result\": \"pass\"", "\"exit_code\": 0", "\"criterion\": \"identical\""})
        EXPECT_NE(r.out.find(field), std::string::npos) << field;
    EXPECT_EQ(r.out.front(), '{');
    EXPECT_EQ(lastLine(r.out), "}");
    Audio written;
    std::string error;
    ASSERT_TRUE(plux::audio::readFile(residual, written, error)) << error;
    EXPECT_EQ(written.frameCount(), 48000u - 5u);
    for (double x : written.channels[0])
        ASSERT_EQ(x, 0.0);
    EXPECT_GT(std::filesystem::file_size(plot), 1000u);

    // An output that cannot be written: exit 2, and nothing left behind.
    const std::filesystem::path nowhere = scratch.path() / "no-such-dir" / "r.wav";
    CommandRun bad = run("--residual " + nowhere.string() + " " + pa + " " + pb);
    EXPECT_EQ(bad.status, 2);
    EXPECT_FALSE(std::filesystem::exists(nowhere.parent_path()));
    const std::filesystem::path flac = scratch.path() / "r.flac";
    EXPECT_EQ(run("--residual " + flac.string() + " " + pa + " " + pb).status, 2);
    EXPECT_FALSE(std::filesystem::exists(flac));
}

// Outputs never replace an input or a special file: refused with exit 2
// before any work, whatever the spelling, and the inputs stay as they were.
TEST_F(NullTestCommand, OutputsNeverReplaceInputsDevicesOrEachOther) {
    namespace fs = std::filesystem;
    const fs::path dir = scratch.path() / "guarded";
    fs::remove_all(dir);
    fs::create_directories(dir / "x");
    const std::vector<double> a = noise(20000, 8);
    const std::string pa = write("guarded/a.wav", {a}), pb = write("guarded/b.wav", {a});
    const std::string pair = write("guarded/pair.wav", {a, a});
    fs::create_hard_link(pa, dir / "hard.wav");
    const std::string before = slurp(pa), pairBefore = slurp(pair);
    const std::string both = pa + " " + pb;
    struct Case {
        std::string args, message;
    };
    std::vector<Case> cases{
        {"--residual " + pa + " " + both, "is the same file as input " + pa},
        {"--residual " + (dir / "x/../a.wav").string() + " " + both, "is the same file as input"},
        {"--plot " + (dir / "hard.wav").string() + " " + both, "is the same file as input " + pa},
        {"--plot " + pair + " " + pair, "is the same file as input " + pair},
        {"--plot " + dir.string() + " " + both, "is a directory"},
        {"--residual " + (dir / "r.wav").string() + " --plot " + (dir / "r.wav").string() + " " +
             both,
         "is also the file of --residual"},
    };
#ifdef _WIN32
    // Device names are devices in every folder and with any extension.
    for (const std::string device : {"NUL", "con.wav", "COM1.png"})
        cases.push_back({"--plot " + (dir / device).string() + " " + both,
                         "is a Windows device name, not a file"});
    cases.push_back({"--plot \\\\.\\PhysicalDrive0 " + both, "is a Windows device name"});
#else
    fs::create_symlink("b.wav", dir / "link.wav");
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    cases.push_back(
        {"--plot " + (dir / "link.wav").string() + " " + both, "is the same file as input " + pb});
    cases.push_back({"--plot " + (dir / "fifo").string() + " " + both, "is a FIFO (named pipe)"});
    cases.push_back(
        {pa + " " + (dir / "fifo").string(), "is a FIFO (named pipe), not a regular file"});
#endif
    for (const Case& c : cases) {
        const CommandRun r = run(c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
        EXPECT_TRUE(r.out.empty()) << c.args << ": a report began before the refusal";
    }
#ifndef _WIN32
    if (mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        const CommandRun r = run("--plot " + (dir / "null").string() + " " + both);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("is a character device"), std::string::npos) << r.err;
        EXPECT_TRUE(fs::is_character_file(dir / "null"));
    }
    EXPECT_TRUE(fs::is_symlink(dir / "link.wav"));
    EXPECT_TRUE(fs::is_fifo(dir / "fifo"));
#endif
    EXPECT_EQ(slurp(pa), before);
    EXPECT_EQ(slurp(pair), pairBefore);
    EXPECT_FALSE(fs::exists(dir / "r.wav"));

#ifndef _WIN32
    // A link to a file of its own is written through and stays a link.
    write("guarded/old.png", {a});
    fs::create_symlink("old.png", dir / "plot-link.png");
    const CommandRun drawn = run("--plot " + (dir / "plot-link.png").string() + " " + both);
    EXPECT_EQ(drawn.status, 0) << drawn.err;
    EXPECT_TRUE(fs::is_symlink(dir / "plot-link.png"));
    EXPECT_EQ(slurp(dir / "old.png").compare(1, 3, "PNG"), 0);
#endif
}

}  // namespace
