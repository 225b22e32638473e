#include "tools/nullmeter/measurement.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "effects/nulltest/window_meter.h"

#if defined(__SSE2__) || defined(_M_X64)
#define NULLMETER_COMPARE_SSE2 1
#include <emmintrin.h>
#endif

namespace nullmeter {

namespace {

// Large enough that handing a block's channels to the helpers costs little.
constexpr std::int64_t kBlockFrames = 16384;
using nulltest::kFloorDb;

Reading wholeLength(double energy, std::int64_t frames, double peakDb) {
    Reading r;
    r.rms = frames > 0 ? std::sqrt(energy / static_cast<double>(frames)) : 0.0;
    r.rmsDb = nulltest::meterDb(r.rms);
    r.rmsBits = nulltest::meterBits(r.rmsDb);
    r.peakDb = peakDb;
    r.peakBits = nulltest::meterBits(peakDb);
    return r;
}

}  // namespace

std::int64_t MeasurementSummary::differing() const {
    std::int64_t total = 0;
    for (const ChannelSummary& c : channels)
        total += c.differing;
    return total;
}

std::int64_t MeasurementSummary::nonFinite() const {
    std::int64_t total = 0;
    for (const ChannelSummary& c : channels)
        total += c.nonFiniteA + c.nonFiniteB;
    return total;
}

double MeasurementSummary::sidePeakDb() const {
    double worst = kFloorDb;
    for (const ChannelSummary& c : channels)
        worst = std::max(worst, c.side.peakDb);
    return worst;
}

double MeasurementSummary::nullDepthBits() const {
    return nulltest::meterBits(sidePeakDb());
}

Measurement::Measurement(int channels, double sampleRate, double windowSeconds,
                         std::int64_t offsetA, std::int64_t offsetB, double factorB, int helpers)
    : channels_(channels), queueA_(channels, offsetA), queueB_(channels, offsetB),
      a_(static_cast<std::size_t>(channels), std::vector<double>(kBlockFrames)),
      b_(static_cast<std::size_t>(channels), std::vector<double>(kBlockFrames)),
      energy_(static_cast<std::size_t>(channels) * 4, 0.0),
      closed_(static_cast<std::size_t>(channels)), workers_(helpers) {
    summary_.offsetA = offsetA;
    summary_.offsetB = offsetB;
    summary_.factorB = factorB;
    summary_.channels.resize(static_cast<std::size_t>(channels));
    for (ChannelSummary& c : summary_.channels) {
        c.left.peakDb = c.right.peakDb = c.mid.peakDb = c.side.peakDb = kFloorDb;
    }
    for (int c = 0; c < channels; ++c)
        meters_.push_back(std::make_unique<ChannelPairMeter>(c, sampleRate, windowSeconds));
}

bool Measurement::ok() const {
    return !meters_.empty() &&
           std::all_of(meters_.begin(), meters_.end(), [](const auto& m) { return m->ok(); });
}

std::int64_t Measurement::windowFrames() const {
    return meters_.empty() ? 0 : meters_.front()->windowFrames();
}

void Measurement::consume(const WindowSink& sink) {
    for (;;) {
        const std::int64_t frames = std::min({queueA_.size(), queueB_.size(), kBlockFrames});
        if (frames == 0)
            return;
        workers_.run(channels_,
                     [&](int c) { measureChannel(static_cast<std::size_t>(c), frames); });
        queueA_.pop(frames);
        queueB_.pop(frames);
        if (tap_)
            tap_(a_, b_, frames);
        // The windows in the order one thread would have closed them.
        for (std::vector<WindowResult>& closed : closed_) {
            for (const WindowResult& w : closed) {
                record(w);
                if (sink)
                    sink(w);
            }
            closed.clear();
        }
        summary_.comparedFrames += frames;
    }
}

// One channel pair of the block at the queues' fronts: its samples out of
// the interleaved frames (B scaled), what differs, and the meter.
void Measurement::measureChannel(std::size_t c, std::int64_t frames) {
    const double* a = queueA_.front() + c;
    const double* b = queueB_.front() + c;
    const double factor = summary_.factorB;
    double* ac = a_[c].data();
    double* bc = b_[c].data();
    for (std::int64_t i = 0; i < frames; ++i) {
        ac[i] = a[i * channels_];
        bc[i] = b[i * channels_] * factor;
    }
    compare(c, frames);
    std::vector<WindowResult>& closed = closed_[c];
    meters_[c]->measure(ac, bc, frames, [&closed](const WindowResult& w) { closed.push_back(w); });
}

void Measurement::finish(const WindowSink& sink) {
    const WindowSink both = [this, &sink](const WindowResult& w) {
        record(w);
        if (sink)
            sink(w);
    };
    for (auto& meter : meters_)
        meter->finish(both);
    for (std::size_t c = 0; c < summary_.channels.size(); ++c) {
        ChannelSummary& s = summary_.channels[c];
        const double* e = &energy_[c * 4];
        s.left = wholeLength(e[0], summary_.comparedFrames, s.left.peakDb);
        s.right = wholeLength(e[1], summary_.comparedFrames, s.right.peakDb);
        s.mid = wholeLength(e[2], summary_.comparedFrames, s.mid.peakDb);
        s.side = wholeLength(e[3], summary_.comparedFrames, s.side.peakDb);
    }
}

// Counts what differs before the meter sees the block. Only the first and
// last difference need a search, from either end of the block.
void Measurement::compare(std::size_t c, std::int64_t frames) {
    constexpr double kLargest = std::numeric_limits<double>::max();
    const std::int64_t base = summary_.comparedFrames;
    ChannelSummary& s = summary_.channels[c];
    const double* a = a_[c].data();
    const double* b = b_[c].data();
    std::int64_t badA = 0, badB = 0, differing = 0;
    double largest = s.largestDifference;
    std::int64_t i = 0;
#ifdef NULLMETER_COMPARE_SSE2
    // Two samples at a time: counts and a maximum, so the lanes' order of
    // operations changes nothing. A comparison's mask is -1 where it holds.
    {
        const __m128d largestDouble = _mm_set1_pd(kLargest);
        const __m128d magnitude = _mm_castsi128_pd(_mm_set1_epi64x(0x7fffffffffffffff));
        __m128i countA = _mm_setzero_si128(), countB = countA, countDiffering = countA;
        __m128d most = _mm_set1_pd(largest);
        for (; i + 2 <= frames; i += 2) {
            const __m128d x = _mm_loadu_pd(a + i), y = _mm_loadu_pd(b + i);
            // Not <= the largest double: infinite or NaN.
            countA = _mm_sub_epi64(
                countA, _mm_castpd_si128(_mm_cmpnle_pd(_mm_and_pd(x, magnitude), largestDouble)));
            countB = _mm_sub_epi64(
                countB, _mm_castpd_si128(_mm_cmpnle_pd(_mm_and_pd(y, magnitude), largestDouble)));
            countDiffering = _mm_sub_epi64(countDiffering, _mm_castpd_si128(_mm_cmpneq_pd(x, y)));
            // NaN and infinite differences fail the test and count as 0.
            const __m128d d = _mm_and_pd(_mm_sub_pd(x, y), magnitude);
            most = _mm_max_pd(most, _mm_and_pd(d, _mm_cmple_pd(d, largestDouble)));
        }
        const auto sum = [](__m128i v) {
            return _mm_cvtsi128_si64(v) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(v, v));
        };
        badA = sum(countA);
        badB = sum(countB);
        differing = sum(countDiffering);
        largest = std::max(_mm_cvtsd_f64(most), _mm_cvtsd_f64(_mm_unpackhi_pd(most, most)));
    }
#endif
    for (; i < frames; ++i) {
        badA += std::fabs(a[i]) <= kLargest ? 0 : 1;
        badB += std::fabs(b[i]) <= kLargest ? 0 : 1;
        differing += a[i] != b[i] ? 1 : 0;
        // NaN and infinite differences fail the first test and are left out.
        const double d = std::fabs(a[i] - b[i]);
        largest = d <= kLargest && d > largest ? d : largest;
    }
    s.nonFiniteA += badA;
    s.nonFiniteB += badB;
    s.largestDifference = largest;
    if (differing == 0)
        return;
    s.differing += differing;
    if (s.firstDifference < 0) {
        std::int64_t first = 0;
        while (a[first] == b[first])
            ++first;
        s.firstDifference = base + first;
    }
    std::int64_t last = frames - 1;
    while (a[last] == b[last])
        --last;
    s.lastDifference = base + last;
}

// The whole-length summary from the meter's windows: energies weighted by
// each window's frames, the highest peak, the deepest and shallowest null.
void Measurement::record(const WindowResult& w) {
    ChannelSummary& s = summary_.channels[static_cast<std::size_t>(w.channel)];
    double* e = &energy_[static_cast<std::size_t>(w.channel) * 4];
    const double frames = static_cast<double>(w.frames);
    const Reading* readings[4] = {&w.left, &w.right, &w.mid, &w.side};
    Reading* totals[4] = {&s.left, &s.right, &s.mid, &s.side};
    for (int k = 0; k < 4; ++k) {
        e[k] += readings[k]->rms * readings[k]->rms * frames;
        totals[k]->peakDb = std::max(totals[k]->peakDb, readings[k]->peakDb);
    }
    const WindowPick pick{w.index, w.startFrame, w.frames, w.partial, w.side.rmsDb};
    if (s.windows == 0 || w.side.rmsDb < s.deepest.sideRmsDb)
        s.deepest = pick;
    if (s.windows == 0 || w.side.rmsDb > s.shallowest.sideRmsDb)
        s.shallowest = pick;
    ++s.windows;
    s.lastWindowPartial = w.partial;
}

}  // namespace nullmeter
