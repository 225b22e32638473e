// What the band readings say in words, only where the evidence is clear:
// no line at all rather than a guess. One function per kind of evidence;
// each looks at one channel's bands and returns nothing when unsure.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/nullmeter/alignment.h"
#include "tools/nullmeter/band_analysis.h"

namespace nullmeter {

// Every line the readings support, in the order of the functions below. A
// line that holds for every channel alike is given once ("all channels:
// ..."), others per channel ("channel 2: ..."); one channel has no prefix.
// `largestDifference`: per channel the largest |A - B| (of the final
// measurement), when known.
std::vector<std::string> diagnoseBands(const std::vector<std::vector<BandReading>>& bands,
                                       double sampleRate,
                                       const std::vector<double>& largestDifference = {});

// A step in B's gain between the lower and the upper bands, each side
// consistent in itself, e.g. "B is 0.50 dB lower from the 8 kHz band up
// (above 5.62 kHz); below that the pair agrees within 0.01 dB". Bands where
// A or B is silent, or A is over 100 dB below its loudest band, do not count.
std::optional<std::string> gainStep(const std::vector<BandReading>& bands);

// A residual as flat across the bands as white noise and at the level of
// rounding to 8, 16, 20 or 24 bits, with or without triangular dither; when
// `largestDifference` (the largest |A - B|) is known, it must also be within
// the bounds of that error: half a step, or 1.5 steps with dither. Negative:
// not known.
std::optional<std::string> roundingResidual(const std::vector<BandReading>& bands,
                                            double sampleRate, double largestDifference = -1);

// The level of that error over the whole band 0 ... Nyquist, in the band
// readings' dB (re a full-scale sine): rounding to N bits of +-1 has the step
// q = 2^-(N-1) and an error of mean square q^2 / 12; triangular dither of
// +-1 step adds q^2 / 6.
double roundingLevelDb(int bits, bool dithered);

// What the alignment estimate says, where the pair clearly belongs together
// (a high correlation): an offset of more than a hundredth of a sample ("B
// lags A by 10.25 samples"), a clock drift that is more than the scatter of
// the offsets ("B's clock runs 50.0 ppm fast"), an inverted B, and a level
// difference of 0.01 dB or more unless `levelExplained` (the bands already
// say where B's level differs).
std::vector<std::string> diagnoseAlignment(const AlignmentEstimate& estimate, int sampleRate,
                                           bool levelExplained = false);

}  // namespace nullmeter
