// One channel of A against the same channel of B, measured by the null-test
// effect itself: an instance made through the same wrapper a host uses, A on
// its left input and B on its right, so the numbers are the plug-in's.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct AEffect;
namespace nulltest {
class TVexmoldEffect;
}

namespace nullmeter {

// RMS and peak of one signal over a window, in dB FS and bits below full
// scale, as the meter computes them; `rms` is the linear RMS.
struct Reading {
    double rms = 0, rmsDb = 0, rmsBits = 0, peakDb = 0, peakBits = 0;
};

struct WindowResult {
    int channel = 0;           // 0-based channel pair
    std::int64_t index = 0;    // 1-based, per channel pair
    std::int64_t startFrame = 0, frames = 0;  // in compared frames
    bool partial = false;      // the last window, shorter than the others
    Reading left, right, mid, side;  // A, B, (A + B) / 2, (A - B) / 2
};

using WindowSink = std::function<void(const WindowResult&)>;

class ChannelPairMeter {
  public:
    // `windowSeconds` must be one of the meter's steps (0.1 ... 10 by 0.1).
    ChannelPairMeter(int channel, double sampleRate, double windowSeconds);
    ~ChannelPairMeter();
    ChannelPairMeter(const ChannelPairMeter&) = delete;
    ChannelPairMeter& operator=(const ChannelPairMeter&) = delete;

    bool ok() const { return effect_ != nullptr; }
    std::int64_t windowFrames() const { return windowFrames_; }

    // Measures frames of A and B; every window that closes goes to `sink`.
    void measure(const double* a, const double* b, std::int64_t frames, const WindowSink& sink);
    // Measures the last window if it holds any frames, marked partial.
    void finish(const WindowSink& sink);

  private:
    void report(bool partial, const WindowSink& sink);

    int channel_;
    AEffect* effect_ = nullptr;
    nulltest::TVexmoldEffect* script_ = nullptr;  // owned by the instance
    std::int64_t windowFrames_ = 1;
    std::int64_t framesInWindow_ = 0;
    std::int64_t measuredFrames_ = 0;
    std::int64_t windows_ = 0;
    std::vector<double> scratchLeft_, scratchRight_;  // the pass-through outputs
};

// The window length the meter's slider holds for `seconds`, or 0 when it is
// not one of its steps (0.1 ... 10 by 0.1).
double meterWindowSeconds(double seconds);

}  // namespace nullmeter
