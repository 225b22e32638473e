#include "tools/nullmeter/alignment.h"

#include "runtime/math/fft.h"
#include "runtime/math/fft_tables.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <new>

namespace nullmeter {
namespace {

// Below this normalised correlation at the best lag the excerpts count as
// unrelated. Independent noise of a few thousand frames or more stays well
// under it at every lag; a copy of A under independent noise 20 dB louder
// still reaches about 0.1.
constexpr double kMinCorrelation = 0.05;

// The FFT's largest size is 2^15: segments of A are half of that, and one
// transform of B yields the correlations of half as many lags.
constexpr int kMaxLog2 = vexmold::kFftMaxLog2;
constexpr int kMinLog2 = 5;

// Lag blocks whose spectra are summed in one pass over A and B; bounds the
// memory of a pass to 2 * kBlocksPerPass transforms (16 MB at 2^15).
constexpr std::int64_t kBlocksPerPass = 16;

using Channels = std::vector<std::vector<double>>;

// Non-finite samples and those outside the excerpt read 0.
double sampleAt(const std::vector<double>& x, std::int64_t i) {
    if (i < 0 || i >= static_cast<std::int64_t>(x.size()))
        return 0;
    const double v = x[static_cast<std::size_t>(i)];
    return std::isfinite(v) ? v : 0.0;
}

std::int64_t longestChannel(const Channels& x, std::size_t channels) {
    std::size_t n = 0;
    for (std::size_t c = 0; c < channels; ++c)
        n = std::max(n, x[c].size());
    return static_cast<std::int64_t>(n);
}

double energy(const Channels& x, std::size_t channels) {
    double sum = 0;
    for (std::size_t c = 0; c < channels; ++c)
        for (double v : x[c])
            sum += std::isfinite(v) ? v * v : 0.0;
    return sum;
}

struct Sums {
    double ab = 0, aa = 0, bb = 0;
};

// Exact sums over the frames where A[i] and B[i + lag] both exist.
Sums sumsAtLag(const Channels& a, const Channels& b, std::size_t channels, std::int64_t lag) {
    Sums s;
    for (std::size_t c = 0; c < channels; ++c) {
        const auto na = static_cast<std::int64_t>(a[c].size());
        const auto nb = static_cast<std::int64_t>(b[c].size());
        const std::int64_t begin = std::max<std::int64_t>(0, -lag);
        const std::int64_t end = std::min(na, nb - lag);
        for (std::int64_t i = begin; i < end; ++i) {
            const double x = sampleAt(a[c], i), y = sampleAt(b[c], i + lag);
            s.ab += x * y;
            s.aa += x * x;
            s.bb += y * y;
        }
    }
    return s;
}

// Linear cross-correlation r[d] = sum over channels and i of A[i] B[i + d]
// for the lags first ... first + r.size() - 1, by overlap-save in blocks.
//
// Two channels share one complex transform: with za = a0 + i a1 and
// zb = b0 + i b1, the real part of sum conj(za[i]) zb[i + d] is
// a0 b0 + a1 b1 summed over i, the two channels' correlation.
//
// Segment s of A (`half` frames from s * half, zero-padded to n) against the
// n frames of B from (s + k) * half + first gives, without wrap-around, the
// lags first + k * half + m for m = 0 ... half - 1 of that segment. B's
// stretch depends only on t = s + k, so each of its transforms serves every
// segment of a pass, and the products of block k are summed over segments
// and channel pairs before one inverse transform.
class BlockCorrelator {
  public:
    BlockCorrelator(const Channels& a, const Channels& b, std::size_t channels, int log2n,
                    std::int64_t first, std::vector<double>& r)
        : a_(a), b_(b), channels_(channels), log2n_(log2n), n_(std::int64_t{1} << log2n),
          half_(n_ / 2), first_(first), r_(r) {
        segments_ = (longestChannel(a, channels) + half_ - 1) / half_;
        lengthB_ = longestChannel(b, channels);
    }

    // Throws std::bad_alloc only; the caller catches it.
    void run() {
        const auto lags = static_cast<std::int64_t>(r_.size());
        const std::int64_t blocks = (lags + half_ - 1) / half_;
        const std::size_t values = 2 * static_cast<std::size_t>(n_);
        const std::int64_t perPass = std::min(blocks, kBlocksPerPass);
        sums_.assign(static_cast<std::size_t>(perPass) * values, 0.0);
        ring_.assign(static_cast<std::size_t>(perPass) * values, 0.0);
        stretch_.assign(values, 0.0);
        for (std::int64_t k0 = 0; k0 < blocks; k0 += perPass) {
            const std::int64_t count = std::min(perPass, blocks - k0);
            std::fill(sums_.begin(), sums_.end(), 0.0);
            for (std::size_t c = 0; c < channels_; c += 2)
                pass(c, k0, count);
            for (std::int64_t k = 0; k < count; ++k)
                emit(k0 + k, block(sums_, k));
        }
    }

  private:
    double* block(std::vector<double>& v, std::int64_t i) {
        return v.data() + 2 * static_cast<std::size_t>(i * n_);
    }

    const std::vector<double>* channelOf(const Channels& x, std::size_t c) const {
        return c < channels_ ? &x[c] : nullptr;
    }

    // out = transform of frames start ... start + frames - 1 of channels c
    // and c + 1 (real and imaginary parts), zero after `frames`.
    void load(const Channels& x, std::size_t c, std::int64_t start, std::int64_t frames,
              double* out) const {
        const std::vector<double>* re = channelOf(x, c);
        const std::vector<double>* im = channelOf(x, c + 1);
        for (std::int64_t j = 0; j < n_; ++j) {
            const bool inside = j < frames;
            out[2 * j] = inside ? sampleAt(*re, start + j) : 0.0;
            out[2 * j + 1] = inside && im != nullptr ? sampleAt(*im, start + j) : 0.0;
        }
        vexmold::fftDispatch(log2n_, out, vexmold::kFftForward);
    }

    // Blocks k0 ... k0 + count - 1 for channel pair c. Both transforms stay in
    // the FFT's transform order: the product is taken position by position
    // and the inverse transform reads that order.
    void pass(std::size_t c, std::int64_t k0, std::int64_t count) {
        const std::int64_t lastStretch = k0 + segments_ - 1 + count - 1;
        for (std::int64_t t = k0; t <= lastStretch; ++t) {
            const std::int64_t newest = t - k0;
            if (newest < segments_)
                load(a_, c, newest * half_, half_, block(ring_, newest % count));
            const std::int64_t start = t * half_ + first_;
            if (start >= lengthB_ || start + n_ <= 0)
                continue;  // B is silent there
            load(b_, c, start, n_, stretch_.data());
            const std::int64_t sFirst = std::max<std::int64_t>(0, t - k0 - count + 1);
            const std::int64_t sLast = std::min(segments_ - 1, newest);
            for (std::int64_t s = sFirst; s <= sLast; ++s)
                multiplyAdd(block(ring_, s % count), stretch_.data(), block(sums_, t - s - k0));
        }
    }

    // sum += conj(x) * y, position by position.
    void multiplyAdd(const double* x, const double* y, double* sum) const {
        for (std::int64_t j = 0; j < 2 * n_; j += 2) {
            sum[j] += x[j] * y[j] + x[j + 1] * y[j + 1];
            sum[j + 1] += x[j] * y[j + 1] - x[j + 1] * y[j];
        }
    }

    void emit(std::int64_t k, double* spectrum) {
        vexmold::fftDispatch(log2n_, spectrum, vexmold::kFftInverse);
        const double scale = 1.0 / static_cast<double>(n_);  // the inverse is unscaled
        const auto lags = static_cast<std::int64_t>(r_.size());
        for (std::int64_t m = 0; m < half_ && k * half_ + m < lags; ++m)
            r_[static_cast<std::size_t>(k * half_ + m)] = spectrum[2 * m] * scale;
    }

    const Channels& a_;
    const Channels& b_;
    std::size_t channels_;
    int log2n_;
    std::int64_t n_, half_, first_;
    std::int64_t segments_ = 0, lengthB_ = 0;
    std::vector<double>& r_;
    std::vector<double> sums_;     // one spectrum per lag block of the pass
    std::vector<double> ring_;     // transforms of the segments of A in use
    std::vector<double> stretch_;  // transform of one stretch of B
};

int transformLog2(std::int64_t lengthA, std::int64_t lags) {
    const std::int64_t need = std::max(lengthA, lags);
    int log2n = kMinLog2;
    while (log2n < kMaxLog2 && (std::int64_t{1} << (log2n - 1)) < need)
        ++log2n;
    return log2n;
}

// The lag of the largest |r|; among values equal up to rounding of the
// transforms, the one nearest zero (periodic signals tie at every period).
std::int64_t peakLag(const std::vector<double>& r, std::int64_t first) {
    std::int64_t best = first;
    double bestValue = -1;
    for (std::size_t i = 0; i < r.size(); ++i) {
        const double v = std::fabs(r[i]);
        const std::int64_t lag = first + static_cast<std::int64_t>(i);
        const bool higher = v > bestValue * (1 + 1e-12);
        const bool tie = v >= bestValue * (1 - 1e-12) && std::llabs(lag) < std::llabs(best);
        if (higher || tie) {
            best = lag;
            bestValue = std::max(v, bestValue);
        }
    }
    return best;
}

// Vertex of the parabola through |r| at lag - 1, lag, lag + 1, as an
// offset from lag within -0.5 ... 0.5.
double parabolicOffset(double before, double at, double after) {
    const double curvature = before - 2 * at + after;
    if (!(curvature < 0))
        return 0;
    const double offset = 0.5 * (before - after) / curvature;
    return std::clamp(offset, -0.5, 0.5);
}

}  // namespace

AlignmentEstimate estimateAlignment(const std::vector<std::vector<double>>& a,
                                    const std::vector<std::vector<double>>& b,
                                    std::int64_t maxLag) {
    AlignmentEstimate result;
    const std::size_t channels = std::min(a.size(), b.size());
    const std::int64_t lengthA = longestChannel(a, channels);
    const std::int64_t lengthB = longestChannel(b, channels);
    if (channels == 0 || !(energy(a, channels) > 0) || !(energy(b, channels) > 0))
        return result;

    // Only lags where the excerpts overlap by at least one frame.
    maxLag = std::max<std::int64_t>(0, maxLag);
    const std::int64_t first = std::max(-maxLag, -(lengthA - 1));
    const std::int64_t last = std::min(maxLag, lengthB - 1);
    if (first > last)
        return result;

    std::int64_t lag = 0;
    try {
        vexmold::ensureFftTables();
        std::vector<double> r(static_cast<std::size_t>(last - first + 1), 0.0);
        BlockCorrelator(a, b, channels, transformLog2(lengthA, last - first + 1), first, r).run();
        lag = peakLag(r, first);
    } catch (const std::bad_alloc&) {
        return result;
    }

    const Sums at = sumsAtLag(a, b, channels, lag);
    const double denominator = std::sqrt(at.aa * at.bb);
    if (!(denominator > 0) || !std::isfinite(denominator) || !std::isfinite(at.ab))
        return result;
    result.correlation = std::min(1.0, std::fabs(at.ab) / denominator);
    if (result.correlation < kMinCorrelation)
        return result;

    const double before = std::fabs(sumsAtLag(a, b, channels, lag - 1).ab);
    const double after = std::fabs(sumsAtLag(a, b, channels, lag + 1).ab);
    const double g = at.ab / at.aa;
    result.found = true;
    result.offsetFrames = lag;
    result.subSampleOffset =
        static_cast<double>(lag) + parabolicOffset(before, std::fabs(at.ab), after);
    result.polarity = g < 0 ? -1 : 1;
    result.gain = std::fabs(g);
    result.gainDb = 20 * std::log10(result.gain);
    return result;
}

}  // namespace nullmeter
