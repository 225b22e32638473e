#include "tools/nullmeter/band_analysis.h"

#include "effects/nulltest/channel_levels.h"
#include "runtime/math/fft.h"
#include "runtime/math/fft_tables.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#if defined(__SSE2__) || defined(_M_X64)
#define NULLMETER_BANDS_SSE2 1
#include <emmintrin.h>
#endif

namespace nullmeter {
namespace {

using nulltest::kFloorDb;
constexpr double kPi = 3.14159265358979323846;

// Segments of 2^14 points for octaves: 2.9 Hz bins at 48 kHz, so the Hann
// window's main lobe (+-2 bins, +-5.9 Hz) stays inside the 31.5 Hz octave
// (22 ... 45 Hz) for a tone at its centre. Thirds need the FFT's largest
// size, 2^15: the 25 Hz third is only 5.8 Hz wide, about the whole main
// lobe at 1.5 Hz bins.
int log2SizeFor(BandResolution resolution) {
    return resolution == BandResolution::Third ? vexmold::kFftMaxLog2 : 14;
}

// Preferred numbers of the R10 series: the nominal names of 10^(k/10).
constexpr double kR10[] = {1.0, 1.25, 1.6, 2.0, 2.5, 3.15, 4.0, 5.0, 6.3, 8.0};

double db(double power) {
    return power > 0 ? std::max(kFloorDb, 10 * std::log10(power)) : kFloorDb;
}

}  // namespace

std::vector<Band> standardBands(BandResolution resolution, double sampleRate) {
    std::vector<Band> bands;
    if (!(sampleRate > 0) || !std::isfinite(sampleRate))
        return bands;
    const double nyquist = sampleRate / 2;
    // k counts thirds from 1 kHz: the 25 Hz third is k = -16, the 31.5 Hz
    // octave k = -15; octaves are every third k.
    const int step = resolution == BandResolution::Third ? 1 : 3;
    const double halfWidth = step / 20.0;  // in decades: G^(1/2) = 10^(3/20)
    for (int k = resolution == BandResolution::Third ? -16 : -15;; k += step) {
        const double centre = 1000 * std::pow(10.0, k / 10.0);
        if (!(centre < nyquist))
            break;
        bands.push_back({centre * std::pow(10.0, -halfWidth),
                         std::min(nyquist, centre * std::pow(10.0, halfWidth)), centre});
    }
    return bands;
}

double nominalCentreHz(double centreHz) {
    if (!(centreHz > 0) || !std::isfinite(centreHz))
        return 0;
    const int k = static_cast<int>(std::lround(10 * std::log10(centreHz / 1000)));
    const int decade = k >= 0 ? k / 10 : -((-k + 9) / 10);
    // Powers of ten by exact products and one division, not std::pow, whose
    // last bit differs between C libraries (10^-2 is not 0.01 everywhere).
    double scale = 1;
    for (int d = 0; d < (decade >= 0 ? decade : -decade); ++d)
        scale *= 10;
    const double nominal = 1000 * kR10[k - 10 * decade];
    return decade >= 0 ? nominal * scale : nominal / scale;
}

BandAnalyzer::BandAnalyzer(int channels, int sampleRate, BandResolution resolution,
                           std::int64_t expectedFrames)
    : log2Size_(log2SizeFor(resolution)), size_(1 << log2Size_),
      overlap_(expectedFrames < kOverlapUpToSegments * size_) {
    if (channels <= 0 || sampleRate <= 0)
        return;
    const auto n = static_cast<std::size_t>(size_);
    try {
        const vexmold::TFftTables* tables = vexmold::fftTables();
        if (!tables)
            return;
        // The bins are read where the transform leaves them, without
        // reordering the whole segment first.
        const std::int32_t* positions = tables->reorderFor(log2Size_);
        bands_ = standardBands(resolution, sampleRate);
        const double binHz = static_cast<double>(sampleRate) / size_;
        for (const Band& band : bands_) {
            // Bin k covers (k -+ 1/2) bin widths; a bin on an edge counts in
            // proportion, so neighbouring bands share it exactly. The Nyquist
            // bin's half width makes up for its missing mirror.
            const auto first = static_cast<std::size_t>(std::floor(band.lowHz / binHz + 0.5));
            const auto last =
                std::min(n / 2, static_cast<std::size_t>(std::floor(band.highHz / binHz + 0.5)));
            std::vector<BandBin> shared;
            for (std::size_t k = first; k <= last; ++k) {
                const double from = std::max(band.lowHz, (static_cast<double>(k) - 0.5) * binHz);
                const double to = std::min(band.highHz, (static_cast<double>(k) + 0.5) * binHz);
                const double weight = std::max(0.0, to - from) / binHz;
                const BandBin bin{positions[k], positions[(n - k) % n], weight};
                if (weight >= 1.0)
                    bins_.push_back(bin);
                else if (weight > 0)
                    shared.push_back(bin);
            }
            fullEnds_.push_back(bins_.size());
            bins_.insert(bins_.end(), shared.begin(), shared.end());
            bandEnds_.push_back(bins_.size());
        }
        window_.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            window_[i] = 0.5 - 0.5 * std::cos(2 * kPi * static_cast<double>(i) / size_);
            windowEnergy1_ += window_[i] * window_[i];
        }
        pending_.assign(static_cast<std::size_t>(channels), std::vector<double>(2 * n, 0.0));
        buffer_.assign(2 * n, 0.0);
        const std::vector<double> sums(bands_.size(), 0.0);
        spectra_.assign(static_cast<std::size_t>(channels), Spectra{sums, sums, sums, sums});
    } catch (const std::bad_alloc&) {
        // Without its buffers the analyzer takes nothing: every band reads
        // the floor.
        bands_.clear();
        pending_.clear();
        spectra_.clear();
        return;
    }
    channels_ = channels;
    sampleRate_ = sampleRate;
}

namespace {

// `count` frames of A and B interleaved into `to`, times the window when
// there is one; a non-finite value counts as 0. Two frames at a time: the
// compiler does not vectorise the interleaving stores by itself.
void takeFrames(const double* x, const double* y, const double* window, std::size_t count,
                double* to) {
    constexpr double kLargest = std::numeric_limits<double>::max();
    std::size_t j = 0;
#ifdef NULLMETER_BANDS_SSE2
    const __m128d largest = _mm_set1_pd(kLargest);
    const __m128d magnitude = _mm_castsi128_pd(_mm_set1_epi64x(0x7fffffffffffffff));
    const auto finite = [&](__m128d v) {
        return _mm_and_pd(v, _mm_cmple_pd(_mm_and_pd(v, magnitude), largest));
    };
    for (; j + 2 <= count; j += 2) {
        const __m128d xs = _mm_loadu_pd(x + j), ys = _mm_loadu_pd(y + j);
        __m128d first = finite(_mm_unpacklo_pd(xs, ys)), second = finite(_mm_unpackhi_pd(xs, ys));
        if (window != nullptr) {
            const __m128d w = _mm_loadu_pd(window + j);
            first = _mm_mul_pd(first, _mm_unpacklo_pd(w, w));
            second = _mm_mul_pd(second, _mm_unpackhi_pd(w, w));
        }
        _mm_storeu_pd(to + 2 * j, first);
        _mm_storeu_pd(to + 2 * j + 2, second);
    }
#endif
    for (; j < count; ++j) {
        const double w = window != nullptr ? window[j] : 1.0;
        to[2 * j] = std::fabs(x[j]) <= kLargest ? x[j] * w : 0.0;
        to[2 * j + 1] = std::fabs(y[j]) <= kLargest ? y[j] * w : 0.0;
    }
}

}  // namespace

void BandAnalyzer::block(const std::vector<std::vector<double>>& a,
                         const std::vector<std::vector<double>>& b, std::int64_t frames) {
    if (channels_ == 0 || frames <= 0 || a.size() < pending_.size() || b.size() < pending_.size())
        return;
    auto count = static_cast<std::size_t>(frames);
    for (std::size_t c = 0; c < pending_.size(); ++c)
        count = std::min({count, a[c].size(), b[c].size()});
    const std::size_t n = window_.size();
    for (std::size_t i = 0; i < count;) {
        const std::size_t take = std::min(count - i, n - filled_);
        for (std::size_t c = 0; c < pending_.size(); ++c) {
            const double* x = a[c].data() + i;
            const double* y = b[c].data() + i;
            double* to = pending_[c].data() + 2 * filled_;
            if (windowOnInput())
                takeFrames(x, y, window_.data() + filled_, take, to);
            else
                takeFrames(x, y, nullptr, take, to);
        }
        filled_ += take;
        i += take;
        if (filled_ == n)
            finishSegment();
    }
}

void BandAnalyzer::finishSegment() {
    const std::size_t n = window_.size();
    double energy = 0;
    for (std::size_t c = 0; c < pending_.size(); ++c) {
        if (windowOnInput()) {
            // Windowed as it came in: transformed where it stands.
            vexmold::fftDispatch(log2Size_, pending_[c].data(), vexmold::kFftForward);
            collect(pending_[c], spectra_[c]);
            energy = windowEnergy1_;
            continue;
        }
        energy = accumulate(pending_[c], n, buffer_, spectra_[c]);
        // With overlap, the second half starts the next segment.
        if (overlap_)
            std::copy(pending_[c].begin() + static_cast<std::ptrdiff_t>(n), pending_[c].end(),
                      pending_[c].begin());
    }
    windowEnergy_ += energy;
    ++segments_;
    filled_ = overlap_ ? n / 2 : 0;
}

double BandAnalyzer::accumulate(const std::vector<double>& pending, std::size_t length,
                                std::vector<double>& buffer, Spectra& into) const {
    const std::size_t n = window_.size();
    // A and B share one complex transform as its real and imaginary parts.
    double energy = windowEnergy1_;
    if (length == n) {
        for (std::size_t i = 0; i < n; ++i) {
            buffer[2 * i] = pending[2 * i] * window_[i];
            buffer[2 * i + 1] = pending[2 * i + 1] * window_[i];
        }
    } else {
        energy = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const double w = i < length ? 0.5 - 0.5 * std::cos(2 * kPi * static_cast<double>(i) /
                                                               static_cast<double>(length))
                                        : 0.0;
            buffer[2 * i] = pending[2 * i] * w;
            buffer[2 * i + 1] = pending[2 * i + 1] * w;
            energy += w * w;
        }
    }
    vexmold::fftDispatch(log2Size_, buffer.data(), vexmold::kFftForward);
    collect(buffer, into);
    return energy;
}

namespace {

// A band's sums over its bins. Z[k] of the shared transform and M =
// Z[n - k] give 2A = (Z + conj M) and 2B = (Z - conj M) / i; a bin adds
// |2A|^2, |2A - 2B|^2 and 2A conj(2B), four times its own share, to them.
#ifdef NULLMETER_BANDS_SSE2
struct BinSums {
    // Lanes: the parts of each product, added up at the end; cross holds
    // (2A.re 2B.im, 2A.im 2B.re).
    __m128d aa = _mm_setzero_pd(), rr = _mm_setzero_pd(), ab = _mm_setzero_pd(),
            cross = _mm_setzero_pd();

    void add(const double* z, const double* m, double weight = 1.0) {
        const __m128d zv = _mm_loadu_pd(z), mv = _mm_loadu_pd(m);
        const __m128d sum = _mm_add_pd(zv, mv), diff = _mm_sub_pd(zv, mv);
        const __m128d a = _mm_move_sd(diff, sum);  // (Z.re + M.re, Z.im - M.im)
        // (Z.im + M.im, M.re - Z.re)
        const __m128d b = _mm_xor_pd(_mm_shuffle_pd(sum, diff, 1), _mm_set_pd(-0.0, 0.0));
        const __m128d r = _mm_sub_pd(a, b);
        const __m128d wa = weight == 1.0 ? a : _mm_mul_pd(a, _mm_set1_pd(weight));
        const __m128d wr = weight == 1.0 ? r : _mm_mul_pd(r, _mm_set1_pd(weight));
        aa = _mm_add_pd(aa, _mm_mul_pd(wa, a));
        rr = _mm_add_pd(rr, _mm_mul_pd(wr, r));
        ab = _mm_add_pd(ab, _mm_mul_pd(wa, b));
        cross = _mm_add_pd(cross, _mm_mul_pd(wa, _mm_shuffle_pd(b, b, 1)));
    }
    static double low(__m128d v) { return _mm_cvtsd_f64(v); }
    static double high(__m128d v) { return _mm_cvtsd_f64(_mm_unpackhi_pd(v, v)); }
    double aaTotal() const { return low(aa) + high(aa); }
    double rrTotal() const { return low(rr) + high(rr); }
    double reTotal() const { return low(ab) + high(ab); }
    double imTotal() const { return low(cross) - high(cross); }
};
#else
struct BinSums {
    double aa = 0, rr = 0, re = 0, im = 0;

    void add(const double* z, const double* m, double weight = 1.0) {
        const double ar = z[0] + m[0], ai = z[1] - m[1];
        const double br = z[1] + m[1], bi = m[0] - z[0];
        const double dr = ar - br, di = ai - bi;
        aa += weight * ar * ar + weight * ai * ai;
        rr += weight * dr * dr + weight * di * di;
        re += weight * ar * br + weight * ai * bi;
        im += weight * ar * bi - weight * ai * br;
    }
    double aaTotal() const { return aa; }
    double rrTotal() const { return rr; }
    double reTotal() const { return re; }
    double imTotal() const { return im; }
};
#endif

}  // namespace

void BandAnalyzer::collect(const std::vector<double>& buffer, Spectra& into) const {
    const double* z = buffer.data();
    std::size_t k = 0;
    for (std::size_t band = 0; band < bandEnds_.size(); ++band) {
        BinSums sums;
        // The bins wholly inside first, then the shared ones at the edges.
        for (; k < fullEnds_[band]; ++k)
            sums.add(z + 2 * static_cast<std::size_t>(bins_[k].at),
                     z + 2 * static_cast<std::size_t>(bins_[k].mirror));
        for (; k < bandEnds_[band]; ++k)
            sums.add(z + 2 * static_cast<std::size_t>(bins_[k].at),
                     z + 2 * static_cast<std::size_t>(bins_[k].mirror), bins_[k].weight);
        // The sums are of 2A and 2B: a quarter, exactly.
        into.aa[band] += sums.aaTotal() / 4;
        into.rr[band] += sums.rrTotal() / 4;
        into.abRe[band] += sums.reTotal() / 4;
        into.abIm[band] += sums.imTotal() / 4;
    }
}

std::vector<std::vector<BandReading>> BandAnalyzer::bands() const {
    std::vector<std::vector<BandReading>> out;
    try {
        const std::vector<Spectra>* spectra = &spectra_;
        double energy = windowEnergy_;
        // A stream shorter than one segment: what it holds, under a shorter
        // window.
        std::vector<Spectra> shortStream;
        if (segments_ == 0 && filled_ > 1) {
            const std::vector<double> sums(bands_.size(), 0.0);
            shortStream.assign(spectra_.size(), Spectra{sums, sums, sums, sums});
            std::vector<double> buffer(buffer_.size());
            for (std::size_t c = 0; c < spectra_.size(); ++c)
                energy = accumulate(pending_[c], filled_, buffer, shortStream[c]);
            spectra = &shortStream;
        }
        // Parseval: the bins of one segment sum to n sum(w^2) times the mean
        // square; each bin 1 ... n/2 - 1 stands for itself and its mirror.
        const double scale = energy > 0 ? 2.0 / (size_ * energy) : 0.0;
        out.resize(spectra_.size());
        for (std::size_t c = 0; c < spectra_.size(); ++c) {
            const Spectra& s = (*spectra)[c];
            for (std::size_t i = 0; i < bands_.size(); ++i) {
                const Band& band = bands_[i];
                BandReading r;
                r.lowHz = band.lowHz;
                r.highHz = band.highHz;
                r.centreHz = band.centreHz;
                // Times 2: re a full-scale sine's mean square, 1/2.
                r.aDb = db(2 * scale * s.aa[i]);
                r.residualDb = db(2 * scale * s.rr[i]);
                if (r.aDb > kFloorDb) {
                    const double h = std::hypot(s.abRe[i], s.abIm[i]) / s.aa[i];
                    r.gainDb = db(h * h);
                    r.phaseDeg =
                        r.gainDb > kFloorDb ? std::atan2(s.abIm[i], s.abRe[i]) * 180 / kPi : 0.0;
                }
                out[c].push_back(r);
            }
        }
    } catch (const std::bad_alloc&) {
        return {};
    }
    return out;
}

}  // namespace nullmeter
