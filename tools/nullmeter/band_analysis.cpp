#include "tools/nullmeter/band_analysis.h"

#include "effects/nulltest/channel_levels.h"
#include "runtime/math/fft.h"
#include "runtime/math/fft_tables.h"

#include <algorithm>
#include <cmath>
#include <new>

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
        binPositions_ = tables->reorderFor(log2Size_);
        bands_ = standardBands(resolution, sampleRate);
        window_.resize(n);
        for (std::size_t i = 0; i < n; ++i)
            window_[i] = 0.5 - 0.5 * std::cos(2 * kPi * static_cast<double>(i) / size_);
        pendingA_.assign(static_cast<std::size_t>(channels), std::vector<double>(n, 0.0));
        pendingB_ = pendingA_;
        buffer_.assign(2 * n, 0.0);
        const std::vector<double> bins(n / 2 + 1, 0.0);
        spectra_.assign(static_cast<std::size_t>(channels), Spectra{bins, bins, bins, bins});
    } catch (const std::bad_alloc&) {
        // Without its buffers the analyzer takes nothing: every band reads
        // the floor.
        bands_.clear();
        pendingA_.clear();
        pendingB_.clear();
        spectra_.clear();
        return;
    }
    channels_ = channels;
    sampleRate_ = sampleRate;
}

void BandAnalyzer::block(const std::vector<std::vector<double>>& a,
                         const std::vector<std::vector<double>>& b, std::int64_t frames) {
    if (channels_ == 0 || frames <= 0 || a.size() < pendingA_.size() || b.size() < pendingB_.size())
        return;
    auto count = static_cast<std::size_t>(frames);
    for (std::size_t c = 0; c < pendingA_.size(); ++c)
        count = std::min({count, a[c].size(), b[c].size()});
    const std::size_t n = window_.size();
    for (std::size_t i = 0; i < count;) {
        const std::size_t take = std::min(count - i, n - filled_);
        for (std::size_t c = 0; c < pendingA_.size(); ++c) {
            for (std::size_t j = 0; j < take; ++j) {
                const double x = a[c][i + j], y = b[c][i + j];
                pendingA_[c][filled_ + j] = std::isfinite(x) ? x : 0.0;
                pendingB_[c][filled_ + j] = std::isfinite(y) ? y : 0.0;
            }
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
    for (std::size_t c = 0; c < pendingA_.size(); ++c) {
        energy = accumulate(pendingA_[c], pendingB_[c], n, buffer_, spectra_[c]);
        // With overlap, the second half starts the next segment.
        if (overlap_) {
            for (std::vector<double>* p : {&pendingA_[c], &pendingB_[c]})
                std::copy(p->begin() + static_cast<std::ptrdiff_t>(n / 2), p->end(), p->begin());
        }
    }
    windowEnergy_ += energy;
    ++segments_;
    filled_ = overlap_ ? n / 2 : 0;
}

double BandAnalyzer::accumulate(const std::vector<double>& a, const std::vector<double>& b,
                                std::size_t length, std::vector<double>& buffer,
                                Spectra& into) const {
    const std::size_t n = window_.size();
    // A and B share one complex transform as its real and imaginary parts.
    double energy = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double w = length == n  ? window_[i]
                         : i < length ? 0.5 - 0.5 * std::cos(2 * kPi * static_cast<double>(i) /
                                                             static_cast<double>(length))
                                      : 0.0;
        buffer[2 * i] = a[i] * w;
        buffer[2 * i + 1] = b[i] * w;
        energy += w * w;
    }
    vexmold::fftDispatch(log2Size_, buffer.data(), vexmold::kFftForward);
    for (std::size_t k = 0; k <= n / 2; ++k) {
        const auto at = 2 * static_cast<std::size_t>(binPositions_[k]);
        const auto mirror = 2 * static_cast<std::size_t>(binPositions_[(n - k) % n]);
        const double zr = buffer[at], zi = buffer[at + 1];
        const double mr = buffer[mirror], mi = buffer[mirror + 1];
        // A = (Z[k] + conj Z[n-k]) / 2, B = (Z[k] - conj Z[n-k]) / 2i.
        const double ar = (zr + mr) / 2, ai = (zi - mi) / 2;
        const double br = (zi + mi) / 2, bi = (mr - zr) / 2;
        const double rr = ar - br, ri = ai - bi;
        into.aa[k] += ar * ar + ai * ai;
        into.rr[k] += rr * rr + ri * ri;
        into.abRe[k] += ar * br + ai * bi;
        into.abIm[k] += ar * bi - ai * br;
    }
    return energy;
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
            const std::vector<double> bins(window_.size() / 2 + 1, 0.0);
            shortStream.assign(spectra_.size(), Spectra{bins, bins, bins, bins});
            std::vector<double> buffer(buffer_.size());
            for (std::size_t c = 0; c < spectra_.size(); ++c)
                energy = accumulate(pendingA_[c], pendingB_[c], filled_, buffer, shortStream[c]);
            spectra = &shortStream;
        }
        const double binHz = sampleRate_ / size_;
        // Parseval: the bins of one segment sum to n sum(w^2) times the mean
        // square; each bin 1 ... n/2 - 1 stands for itself and its mirror.
        const double scale = energy > 0 ? 2.0 / (size_ * energy) : 0.0;
        out.resize(spectra_.size());
        for (std::size_t c = 0; c < spectra_.size(); ++c) {
            const Spectra& s = (*spectra)[c];
            for (const Band& band : bands_) {
                // Bin k covers (k -+ 1/2) bin widths; a bin on an edge counts
                // in proportion, so neighbouring bands share it exactly. The
                // Nyquist bin's half width makes up for its missing mirror.
                double aa = 0, rr = 0, re = 0, im = 0;
                const auto first = static_cast<std::size_t>(std::floor(band.lowHz / binHz + 0.5));
                const auto last =
                    std::min(s.aa.size() - 1,
                             static_cast<std::size_t>(std::floor(band.highHz / binHz + 0.5)));
                for (std::size_t k = first; k <= last; ++k) {
                    const double from =
                        std::max(band.lowHz, (static_cast<double>(k) - 0.5) * binHz);
                    const double to = std::min(band.highHz, (static_cast<double>(k) + 0.5) * binHz);
                    const double w = std::max(0.0, to - from) / binHz;
                    aa += w * s.aa[k];
                    rr += w * s.rr[k];
                    re += w * s.abRe[k];
                    im += w * s.abIm[k];
                }
                BandReading r;
                r.lowHz = band.lowHz;
                r.highHz = band.highHz;
                r.centreHz = band.centreHz;
                // Times 2: re a full-scale sine's mean square, 1/2.
                r.aDb = db(2 * scale * aa);
                r.residualDb = db(2 * scale * rr);
                if (r.aDb > kFloorDb) {
                    const double h = std::hypot(re, im) / aa;
                    r.gainDb = db(h * h);
                    r.phaseDeg = r.gainDb > kFloorDb ? std::atan2(im, re) * 180 / kPi : 0.0;
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
