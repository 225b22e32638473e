#include "tools/nullmeter/channel_pair_meter.h"

#include <algorithm>
#include <cmath>

namespace nullmeter {

double meterWindowSeconds(double seconds) {
    if (nulltest::windowStepSeconds(seconds) == 0.0)
        return 0.0;
    return std::round(seconds / nulltest::kWindowStepSeconds) / 10.0;
}

ChannelPairMeter::ChannelPairMeter(int channel, double sampleRate, double windowSeconds)
    : channel_(channel),
      windowLength_(nulltest::windowLengthFrames(sampleRate,
                                                 nulltest::windowStepSeconds(windowSeconds))) {
    // A window closes on the frame that brings its count to the length, so a
    // length with a fraction holds the next whole number of frames.
    windowFrames_ = std::max<std::int64_t>(1, static_cast<std::int64_t>(std::ceil(windowLength_)));
}

void ChannelPairMeter::measure(const double* a, const double* b, std::int64_t frames,
                               const WindowSink& sink) {
    if (!ok())
        return;
    while (frames > 0) {
        const std::int64_t n = nulltest::addFrames(sums_, a, b, frames, windowLength_);
        a += n;
        b += n;
        frames -= n;
        measuredFrames_ += n;
        if (sums_.frames >= windowLength_)
            report(false, sink);
    }
}

void ChannelPairMeter::finish(const WindowSink& sink) {
    if (ok() && sums_.frames > 0.0)
        report(true, sink);
}

void ChannelPairMeter::report(bool partial, const WindowSink& sink) {
    WindowResult w;
    w.channel = channel_;
    w.index = ++windows_;
    w.frames = static_cast<std::int64_t>(sums_.frames);
    w.startFrame = measuredFrames_ - w.frames;
    w.partial = partial;
    const nulltest::WindowReadings r = nulltest::closeWindow(sums_);
    w.left = r.left;
    w.right = r.right;
    w.mid = r.mid;
    w.side = r.side;
    if (sink)
        sink(w);
}

}  // namespace nullmeter
