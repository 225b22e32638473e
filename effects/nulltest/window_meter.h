// The null-test meter's measurement, free of any host or editor: RMS and
// peak of left, right, mid and side over a window of frames, on the meter's
// dB and bits scale. The effect's sample section and nullmeter both measure
// through it, so their numbers agree by construction.
#pragma once

#include "effects/nulltest/channel_levels.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace nulltest {

// The scale's floor and threshold are channel_levels.h's.
// This exact decimal, not 20 * log10(2), which differs in the last digits.
constexpr double kDbPerBit = 6.02059991327959;

// The window's range in seconds, as the meter's slider holds it.
constexpr double kMinWindowSeconds = 0.1;
constexpr double kMaxWindowSeconds = 10.0;
constexpr double kWindowStepSeconds = 0.1;

// dB FS of a level (levelDb, with NaN read as the floor) and bits below full
// scale of a dB value; never NaN or infinite.
double meterDb(double level);
double meterBits(double db);

// The slider's value for `seconds` (a whole number of steps, exactly as the
// slider stores it), or 0 when `seconds` is not one of its steps.
double windowStepSeconds(double seconds);
// Frames per window at a rate: may have a fraction, and a window closes on
// the frame that brings its count to this length.
double windowLengthFrames(double sampleRate, double seconds);

struct SignalReading {
    double rms = 0, rmsDb = 0, rmsBits = 0, peakDb = 0, peakBits = 0;
};

// The readings of one signal from its window's sum of squares and peak.
SignalReading readSignal(double sumSquares, double peak, double frames);

// The running part of one window. Each lane pair holds two signals, so one
// vector operation adds a frame to both, in the same order of additions as
// one signal at a time would: [left, right] and [mid, side].
using Lanes = double __attribute__((vector_size(16)));

struct WindowSums {
    Lanes sumLR{0, 0}, sumMS{0, 0};    // sums of squares; may hold +inf (see clampedSum)
    Lanes peakLR{0, 0}, peakMS{0, 0};  // largest magnitudes
    double frames = 0;

    // A window's sum of squares as the meter reports it: a sum too large for
    // a double stays at the largest double.
    static double clampedSum(double sum) {
        constexpr double kLargest = std::numeric_limits<double>::max();
        return sum <= kLargest ? sum : kLargest;
    }
};

// Adds one frame. A non-finite sample counts as full scale (magnitude 1.0),
// so a NaN or an infinity can never read as silence; a non-finite channel
// makes mid and side non-finite too. The sums are left unclamped on the
// chain of additions: clamping once when the window is read gives what
// clamping every frame gives (before the first overflow the sums are equal,
// after it the clamped one stays at the largest double while this one stays
// infinite), and keeps the clamp off the loop's critical path.
[[gnu::always_inline]] inline void addFrame(WindowSums& s, double left, double right) {
    using Bits = std::int64_t __attribute__((vector_size(16)));
    constexpr double kLargest = std::numeric_limits<double>::max();
    const Lanes lr = {left, right};
    // Sum and difference first, then the factor; l + (-r) is l - r exactly.
    const Lanes ms = (Lanes{left, left} + Lanes{right, -right}) * 0.5;
    const Bits magnitudeBits = {std::numeric_limits<std::int64_t>::max(),
                                std::numeric_limits<std::int64_t>::max()};
    const Lanes one = {1.0, 1.0};
    Lanes mLR = reinterpret_cast<Lanes>(reinterpret_cast<Bits>(lr) & magnitudeBits);
    Lanes mMS = reinterpret_cast<Lanes>(reinterpret_cast<Bits>(ms) & magnitudeBits);
    mLR = mLR <= kLargest ? mLR : one;  // NaN and infinities fail the test
    mMS = mMS <= kLargest ? mMS : one;
    s.sumLR += mLR * mLR;
    s.sumMS += mMS * mMS;
    s.peakLR = mLR > s.peakLR ? mLR : s.peakLR;
    s.peakMS = mMS > s.peakMS ? mMS : s.peakMS;
    s.frames += 1.0;
}

// Adds frames until the window holds `windowLength` frames or the input
// ends; answers the frames taken. The window is full when
// `s.frames >= windowLength`.
template <typename Sample>
std::int64_t addFrames(WindowSums& s, const Sample* left, const Sample* right,
                       std::int64_t frames, double windowLength) {
    WindowSums local = s;  // in registers for the loop
    std::int64_t i = 0;
    while (i < frames) {
        addFrame(local, static_cast<double>(left[i]), static_cast<double>(right[i]));
        ++i;
        if (local.frames >= windowLength)
            break;
    }
    s = local;
    return i;
}

// The four readings of a window, which then starts again empty.
struct WindowReadings {
    SignalReading left, right, mid, side;
};
WindowReadings closeWindow(WindowSums& s);

}  // namespace nulltest
