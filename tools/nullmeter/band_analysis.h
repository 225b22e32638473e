// Where A and B differ, by frequency band: averaged spectra of A, of the
// residual A - B and the cross-spectrum of A and B per channel (Welch: Hann
// window), summed over octave or third-octave bands. Segments overlap by half
// in a stream short enough that the estimate needs every average it can get;
// a long one has thousands of segments, and they follow each other. Memory
// is one segment per channel and four sums per band, whatever the length of
// the stream.
#pragma once

#include <cstdint>
#include <vector>

namespace nullmeter {

enum class BandResolution { Octave, Third };

// Levels in dB FS relative to a full-scale sine: the mean square of the
// band-passed signal times 2, so that a sine of amplitude 1 inside a band
// reads 0 dB there (3.01 dB above the meter's RMS dB FS of the same signal).
// Gain and phase are those of H = S_ab / S_aa summed over the band's bins:
// B against A, the phase negative where B lags. A band where A is silent
// reads the floor (-400) with gain and phase 0; where only B is silent the
// gain reads the floor.
struct BandReading {
    double lowHz = 0, highHz = 0, centreHz = 0;
    double aDb = -400, residualDb = -400, gainDb = 0, phaseDeg = 0;
};

struct Band {
    double lowHz, highHz, centreHz;
};

// Base-10 bands (G = 10^(3/10)): exact centres 1000 * G^(k/3) Hz, edges at
// centre * G^(+-1/2) for octaves, G^(+-1/6) for thirds. From the 31.5 Hz
// octave or the 25 Hz third up to the last band whose centre is below
// Nyquist; a band that straddles Nyquist ends there. Empty for rates too low
// for the first band.
std::vector<Band> standardBands(BandResolution resolution, double sampleRate);

// The ISO nominal name of an exact centre (31.5, 1000, 1250, 16000 ...).
double nominalCentreHz(double centreHz);

class BandAnalyzer {
  public:
    // `expectedFrames`: the stream's length if known (0: not known), which
    // decides whether segments overlap.
    BandAnalyzer(int channels, int sampleRate, BandResolution resolution,
                 std::int64_t expectedFrames = 0);

    // Streams of at least this many segments' length are cut into segments
    // that do not overlap: the variance of the averages is then already far
    // below what a band level shows, and the transforms cost half.
    static constexpr std::int64_t kOverlapUpToSegments = 256;

    // One block of the stream, `frames` values per channel (non-finite
    // values count as 0).
    void block(const std::vector<std::vector<double>>& a, const std::vector<std::vector<double>>& b,
               std::int64_t frames);

    // Per channel, per band. A stream shorter than one segment is measured
    // as a single shorter segment.
    std::vector<std::vector<BandReading>> bands() const;

  private:
    // Per band, summed over its bins and over the segments.
    struct Spectra {
        std::vector<double> aa, rr, abRe, abIm;
    };
    // One bin as a band takes it: where the transform leaves it and its
    // mirror, and the share of it that lies inside the band.
    struct BandBin {
        std::int32_t at, mirror;
        double weight;
    };
    void finishSegment();
    // Adds the transform of `length` frames of a channel's A and B (the rest
    // of the segment zero) under a Hann window of that length; returns the
    // window's sum of w^2.
    double accumulate(const std::vector<double>& pending, std::size_t length,
                      std::vector<double>& buffer, Spectra& into) const;
    // Adds one transformed segment's bins to the band sums.
    void collect(const std::vector<double>& transformed, Spectra& into) const;
    // Segments that do not overlap are windowed as their frames arrive and
    // transformed in place. The first is kept as it came, for a stream that
    // ends before it is complete.
    bool windowOnInput() const { return !overlap_ && segments_ > 0; }

    int channels_ = 0;
    double sampleRate_ = 0;
    int log2Size_;
    int size_;
    bool overlap_ = true;
    std::vector<Band> bands_;
    std::vector<BandBin> bins_;                 // every band's bins, band after band
    std::vector<std::size_t> fullEnds_;         // where each band's wholly inside bins end
    std::vector<std::size_t> bandEnds_;         // where each band's bins end in bins_
    std::vector<double> window_;                // periodic Hann, size_ values
    double windowEnergy1_ = 0;                  // its sum of w^2
    std::vector<std::vector<double>> pending_;  // per channel: A and B interleaved, size_ frames
    std::size_t filled_ = 0;
    std::vector<double> buffer_;  // one transform, size_ complex values
    std::vector<Spectra> spectra_;
    double windowEnergy_ = 0;  // sum of w^2 over the segments taken
    std::int64_t segments_ = 0;
};

}  // namespace nullmeter
