// The signal library against FFTW 3 (used here only, never by the plug-ins):
// our forward FFT plus reordering to natural order against FFTW's in-place
// complex transform planned with FFTW_MEASURE, and our MDCT against one
// computed through FFTW (fold, n/4-point complex FFT, twiddles). Before the
// benchmarks, the cost of the first instance of the process, which builds the
// FFT tables, is measured once against a second one.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "effects/tonegen/tonegen_effect.h"
#include "runtime/math/fft.h"
#include "runtime/math/fft_tables.h"
#include "runtime/math/mdct.h"
#include "plugin/assembly.h"
#include "tests/support/minimal_host.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<double> testSignal(size_t count) {
    std::vector<double> v(count);
    for (size_t i = 0; i < count; ++i)
        v[i] = std::sin(0.001 * static_cast<double>(i * i % 7919)) - 0.25;
    return v;
}

int log2Of(int n) {
    int b = 0;
    while ((1 << b) < n)
        ++b;
    return b;
}

// --- FFT -----------------------------------------------------------------------
// Both sides copy the same input into their buffer first, so that values stay
// finite over many iterations; BM_CopyOnly is that copy alone.

// Our forward transform, with the reordering to natural order or without.
template <bool Reorder> void BM_OurFft(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::vector<double> input = testSignal(2 * static_cast<size_t>(n));
    std::vector<double> buffer(input.size());
    for (auto _ : state) {
        std::memcpy(buffer.data(), input.data(), input.size() * sizeof(double));
        vexmold::fftDispatch(log2Of(n), buffer.data(), vexmold::kFftForward);
        if (Reorder)
            vexmold::fftDispatch(log2Of(n), buffer.data(), vexmold::kFftToNaturalOrder);
        benchmark::DoNotOptimize(buffer.data());
    }
}
void BM_OurFftForwardAndReorder(benchmark::State& state) {
    BM_OurFft<true>(state);
}
void BM_OurFftForwardOnly(benchmark::State& state) {
    BM_OurFft<false>(state);
}

void BM_FftwInPlace(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::vector<double> input = testSignal(2 * static_cast<size_t>(n));
    fftw_complex* buffer = fftw_alloc_complex(static_cast<size_t>(n));
    const fftw_plan plan = fftw_plan_dft_1d(n, buffer, buffer, FFTW_FORWARD, FFTW_MEASURE);
    // The same answer as ours, or the comparison means nothing.
    std::memcpy(buffer, input.data(), input.size() * sizeof(double));
    fftw_execute(plan);
    std::vector<double> ours = input;
    vexmold::fftDispatch(log2Of(n), ours.data(), vexmold::kFftForward);
    vexmold::fftDispatch(log2Of(n), ours.data(), vexmold::kFftToNaturalOrder);
    for (int k = 0; k < n; ++k)
        if (std::fabs(buffer[k][0] - ours[2 * static_cast<size_t>(k)]) > 1e-9 ||
            std::fabs(buffer[k][1] - ours[2 * static_cast<size_t>(k) + 1]) > 1e-9) {
            state.SkipWithError("our FFT and FFTW disagree");
            break;
        }
    for (auto _ : state) {
        std::memcpy(buffer, input.data(), input.size() * sizeof(double));
        fftw_execute(plan);
        benchmark::DoNotOptimize(buffer);
    }
    fftw_destroy_plan(plan);
    fftw_free(buffer);
}

void BM_CopyOnly(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::vector<double> input = testSignal(2 * static_cast<size_t>(n));
    std::vector<double> buffer(input.size());
    for (auto _ : state) {
        std::memcpy(buffer.data(), input.data(), input.size() * sizeof(double));
        benchmark::DoNotOptimize(buffer.data());
    }
}

// --- MDCT ----------------------------------------------------------------------

// The textbook MDCT through FFTW: fold the n inputs to the N = n/2 inputs of
// a DCT-IV u, z_p = (u_2p + i u_(N-1-2p)) e^(-i pi (4p + 1) / (4N)), an
// N/2-point FFT, then Y_q e^(-i pi q / N) gives X_2q (real part) and
// X_(N-1-2q) (minus the imaginary part); scaled by 4/n like ours.
class FftwMdct {
  public:
    explicit FftwMdct(int n)
        : n_(n), u_(static_cast<size_t>(n / 2)), pre_(static_cast<size_t>(n / 2)),
          post_(static_cast<size_t>(n / 2)) {
        const int half = n / 2, m = n / 4;
        z_ = fftw_alloc_complex(static_cast<size_t>(m));
        plan_ = fftw_plan_dft_1d(m, z_, z_, FFTW_FORWARD, FFTW_MEASURE);
        for (int p = 0; p < m; ++p) {
            const double a = kPi * (4 * p + 1) / (4.0 * half), b = kPi * p / half;
            pre_[2 * static_cast<size_t>(p)] = std::cos(a);
            pre_[2 * static_cast<size_t>(p) + 1] = -std::sin(a);
            post_[2 * static_cast<size_t>(p)] = std::cos(b);
            post_[2 * static_cast<size_t>(p) + 1] = -std::sin(b);
        }
    }
    ~FftwMdct() {
        fftw_destroy_plan(plan_);
        fftw_free(z_);
    }
    FftwMdct(const FftwMdct&) = delete;
    FftwMdct& operator=(const FftwMdct&) = delete;

    void forward(const double* x, double* out) {
        const int half = n_ / 2, m = n_ / 4;
        double* u = u_.data();
        for (int r = 0; r < m; ++r)
            u[r] = -x[3 * m - 1 - r] - x[3 * m + r];
        for (int r = m; r < half; ++r)
            u[r] = x[r - m] - x[3 * m - 1 - r];
        const double* pre = pre_.data();
        for (int p = 0; p < m; ++p) {
            const double re = u[2 * p], im = u[half - 1 - 2 * p];
            const double c = pre[2 * p], s = pre[2 * p + 1];
            z_[p][0] = re * c - im * s;
            z_[p][1] = re * s + im * c;
        }
        fftw_execute(plan_);
        const double scale = 4.0 / n_;
        const double* post = post_.data();
        for (int q = 0; q < m; ++q) {
            const double re = z_[q][0], im = z_[q][1];
            const double c = post[2 * q], s = post[2 * q + 1];
            out[2 * q] = (re * c - im * s) * scale;
            out[half - 1 - 2 * q] = -(re * s + im * c) * scale;
        }
    }

  private:
    int n_;
    std::vector<double> u_, pre_, post_;
    fftw_complex* z_ = nullptr;
    fftw_plan plan_{};
};

void BM_OurMdctForward(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const vexmold::TMdctLookup* lookup = vexmold::mdctLookupFor(n);
    const std::vector<double> input = testSignal(static_cast<size_t>(n));
    std::vector<double> out(static_cast<size_t>(n / 2));
    for (auto _ : state) {
        vexmold::mdctForward(*lookup, input.data(), out.data());
        benchmark::DoNotOptimize(out.data());
    }
}

void BM_OurMdctBackward(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const vexmold::TMdctLookup* lookup = vexmold::mdctLookupFor(n);
    const std::vector<double> input = testSignal(static_cast<size_t>(n / 2));
    std::vector<double> out(static_cast<size_t>(n));
    for (auto _ : state) {
        vexmold::mdctBackward(*lookup, input.data(), out.data());
        benchmark::DoNotOptimize(out.data());
    }
}

void BM_FftwMdctForward(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    FftwMdct mdct(n);
    const std::vector<double> input = testSignal(static_cast<size_t>(n));
    std::vector<double> out(static_cast<size_t>(n / 2)), ours(out.size());
    mdct.forward(input.data(), out.data());
    vexmold::mdctForward(*vexmold::mdctLookupFor(n), input.data(), ours.data());
    for (size_t k = 0; k < out.size(); ++k)
        if (std::fabs(out[k] - ours[k]) > 1e-12) {
            state.SkipWithError("our MDCT and the FFTW one disagree");
            break;
        }
    for (auto _ : state) {
        mdct.forward(input.data(), out.data());
        benchmark::DoNotOptimize(out.data());
    }
}

// --- FFT tables --------------------------------------------------------------------

size_t tableBytes(const vexmold::TFftTables& t) {
    return t.twiddles.capacity() * sizeof(double) +
           (t.reorder.capacity() + t.leaders.capacity() + t.cycleWalks.capacity() +
            t.cycleLengths.capacity()) *
               sizeof(int32_t);
}

void BM_BuildFftTables(benchmark::State& state) {
    size_t bytes = 0;
    for (auto _ : state) {
        const vexmold::TFftTables tables = vexmold::buildFftTables();
        bytes = tableBytes(tables);
        benchmark::DoNotOptimize(&tables);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

double createAndCloseMilliseconds() {
    const auto start = std::chrono::steady_clock::now();
    AEffect* e = assemblePlugin(plux::testing_support::minimalHost, new tonegen::TVexmoldEffect);
    const auto end = std::chrono::steady_clock::now();
    e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
    return std::chrono::duration<double, std::milli>(end - start).count();
}

// The first instance of the process builds the tables; the second does not.
void reportFirstInstance() {
    const double first = createAndCloseMilliseconds();
    const double second = createAndCloseMilliseconds();
    std::printf("first instance (builds the FFT tables): %.3f ms, second: %.3f ms, "
                "tables: %zu bytes\n",
                first, second, tableBytes(*vexmold::fftTables()));
}

}  // namespace

BENCHMARK(BM_OurFftForwardAndReorder)->Arg(1024)->Arg(4096)->Arg(32768);
BENCHMARK(BM_FftwInPlace)->Arg(1024)->Arg(4096)->Arg(32768);
BENCHMARK(BM_OurFftForwardOnly)->Arg(1024)->Arg(4096)->Arg(32768);
BENCHMARK(BM_CopyOnly)->Arg(1024)->Arg(4096)->Arg(32768);
BENCHMARK(BM_OurMdctForward)->Arg(4096);
BENCHMARK(BM_FftwMdctForward)->Arg(4096);
BENCHMARK(BM_OurMdctBackward)->Arg(4096);
BENCHMARK(BM_BuildFftTables)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    reportFirstInstance();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fftw_cleanup();
    return 0;
}
