// Cost of the plug-ins' processing entries at block 512, against a bare,
// hand-written loop doing the same arithmetic. The ratio of the two is the
// price of the framework (sections, sample values, locking).
#include <benchmark/benchmark.h>

#include <cmath>
#include <limits>
#include <vector>

#include "effects/nulltest/nulltest_effect.h"
#include "effects/tonegen/tonegen_effect.h"
#include "runtime/math/sine.h"
#include "plugin/assembly.h"
#include "tests/support/minimal_host.h"

namespace {

constexpr int kBlock = 512;

AEffect* startedInstance(TVexmold* script) {
    AEffect* e = assemblePlugin(plux::testing_support::minimalHost, script);
    e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
    e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    e->dispatcher(e, effSetBlockSize, 0, kBlock, nullptr, 0.0f);
    e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
    return e;
}

template <typename Sample> struct Buffers {
    Buffers() : inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock) {
        for (int i = 0; i < kBlock; ++i) {
            inL[static_cast<size_t>(i)] = static_cast<Sample>(std::sin(i * 0.01) * 0.5);
            inR[static_cast<size_t>(i)] = static_cast<Sample>(std::sin(i * 0.01 + 1e-4) * 0.5);
        }
    }
    std::vector<Sample> inL, inR, outL, outR;
    Sample* in[2] = {inL.data(), inR.data()};
    Sample* out[2] = {outL.data(), outR.data()};
};

void run(AEffect* e, Buffers<float>& b) {
    e->processReplacing(e, b.in, b.out, kBlock);
}
void run(AEffect* e, Buffers<double>& b) {
    e->processDoubleReplacing(e, b.in, b.out, kBlock);
}

// One plug-in's processReplacing or processDoubleReplacing at block 512.
template <typename Effect, typename Sample> void BM_Plugin(benchmark::State& state) {
    AEffect* e = startedInstance(new Effect);
    Buffers<Sample> b;
    for (auto _ : state) {
        run(e, b);
        benchmark::DoNotOptimize(b.outL.data());
    }
    e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
    state.SetItemsProcessed(state.iterations() * kBlock);
}

// The null test's measurement written out by hand: pass-through, four
// meters where a non-finite sample counts as full scale and the sum stays
// finite, window closing in dB and bits.
struct BareMeter {
    double sum = 0, peak = 0, rmsDb = 0, peakDb = 0, rmsBits = 0, peakBits = 0;
    void add(double x) {
        const double a = std::isfinite(x) ? std::fabs(x) : 1.0;
        const double total = sum + a * a;
        sum = total <= std::numeric_limits<double>::max() ? total
                                                          : std::numeric_limits<double>::max();
        if (a > peak)
            peak = a;
    }
    void close(double count) {
        const double rms = std::sqrt(std::fabs(sum / count));
        rmsDb = rms > 1e-20 ? 20.0 * std::log10(rms) : -400.0;
        peakDb = peak > 1e-20 ? 20.0 * std::log10(peak) : -400.0;
        rmsBits = std::fabs(rmsDb) / 6.02059991327959;
        peakBits = std::fabs(peakDb) / 6.02059991327959;
        sum = peak = 0;
    }
};

template <typename Sample> void BM_NullTestBareLoop(benchmark::State& state) {
    Buffers<Sample> b;
    BareMeter l, r, m, s;
    double count = 0;
    const double windowLength = 48000.0;
    for (auto _ : state) {
        for (int i = 0; i < kBlock; ++i) {
            const double x = b.inL[static_cast<size_t>(i)];
            const double y = b.inR[static_cast<size_t>(i)];
            const double mid = (x + y) * 0.5, side = (x - y) * 0.5;
            l.add(x);
            r.add(y);
            m.add(mid);
            s.add(side);
            count += 1.0;
            if (count >= windowLength) {
                l.close(count);
                r.close(count);
                m.close(count);
                s.close(count);
                count = 0;
            }
            b.outL[static_cast<size_t>(i)] = static_cast<Sample>(x);
            b.outR[static_cast<size_t>(i)] = static_cast<Sample>(y);
        }
        benchmark::DoNotOptimize(b.outL.data());
        benchmark::DoNotOptimize(&l);
        benchmark::DoNotOptimize(&s);
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}

// The tone written out by hand: phase from the frame index, both channels,
// with the plug-in's own sine (the C library's is faster, but rounds
// differently from system to system).
template <typename Sample> void BM_ToneGenBareLoop(benchmark::State& state) {
    Buffers<Sample> b;
    double counter = 0;
    const double increment = (6.283185307179586 * 997.0) / 48000.0;
    for (auto _ : state) {
        for (int i = 0; i < kBlock; ++i) {
            const double angle = counter * increment;
            double out =
                (std::isfinite(angle) ? vexmold::portableSin(angle) : 0.0) * 0.12589254117941673;
            out = std::isfinite(out) ? out : 0.0;
            b.outL[static_cast<size_t>(i)] = static_cast<Sample>(out);
            b.outR[static_cast<size_t>(i)] = static_cast<Sample>(out);
            counter = counter + 1.0 > 9007199254740990.0 ? 0.0 : counter + 1.0;
        }
        benchmark::DoNotOptimize(b.outL.data());
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}

BENCHMARK_TEMPLATE(BM_Plugin, nulltest::TVexmoldEffect, float)->Name("BM_NullTestPlugin<float>");
BENCHMARK_TEMPLATE(BM_NullTestBareLoop, float);
BENCHMARK_TEMPLATE(BM_Plugin, nulltest::TVexmoldEffect, double)->Name("BM_NullTestPlugin<double>");
BENCHMARK_TEMPLATE(BM_NullTestBareLoop, double);
BENCHMARK_TEMPLATE(BM_Plugin, tonegen::TVexmoldEffect, float)->Name("BM_ToneGenPlugin<float>");
BENCHMARK_TEMPLATE(BM_ToneGenBareLoop, float);
BENCHMARK_TEMPLATE(BM_Plugin, tonegen::TVexmoldEffect, double)->Name("BM_ToneGenPlugin<double>");
BENCHMARK_TEMPLATE(BM_ToneGenBareLoop, double);

}  // namespace
