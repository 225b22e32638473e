// One comparison of A against B over their common frames: a meter per
// channel pair, the differing and non-finite samples, and a whole-length
// summary built from the meter's windows. B may be read from a frame offset
// and scaled (the alignment's shift, polarity and gain).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "tools/nullmeter/channel_pair_meter.h"
#include "tools/nullmeter/fork_join.h"
#include "tools/nullmeter/frame_queue.h"

namespace nullmeter {

struct WindowPick {
    std::int64_t index = 0, startFrame = 0, frames = 0;
    bool partial = false;
    double sideRmsDb = 0;
};

struct ChannelSummary {
    Reading left, right, mid, side;  // over the whole compared length
    std::int64_t windows = 0;
    bool lastWindowPartial = false;
    std::int64_t differing = 0;  // frames where A and B are not equal
    std::int64_t firstDifference = -1, lastDifference = -1;  // compared frame, -1: none
    double largestDifference = 0;  // max |A - B| over finite samples
    std::int64_t nonFiniteA = 0, nonFiniteB = 0;
    WindowPick deepest, shallowest;  // lowest and highest side RMS
};

struct MeasurementSummary {
    std::int64_t offsetA = 0, offsetB = 0;  // first frame of each file compared
    double factorB = 1;                     // B is multiplied by this
    std::int64_t comparedFrames = 0;
    std::vector<ChannelSummary> channels;

    std::int64_t differing() const;
    std::int64_t nonFinite() const;
    // The shallowest null over the channels: the highest side peak, in dB FS
    // and in bits below full scale.
    double sidePeakDb() const;
    double nullDepthBits() const;
};

// What a measurement hands its tap for each block: A and B (scaled) per
// channel, `frames` values each.
using BlockTap = std::function<void(const std::vector<std::vector<double>>& a,
                                    const std::vector<std::vector<double>>& b,
                                    std::int64_t frames)>;

class Measurement {
  public:
    // `helpers`: threads besides the caller's that measure channel pairs
    // of a block side by side (see measurementHelpers).
    Measurement(int channels, double sampleRate, double windowSeconds, std::int64_t offsetA,
                std::int64_t offsetB, double factorB, int helpers = 0);

    bool ok() const;
    FrameQueue& queueA() { return queueA_; }
    FrameQueue& queueB() { return queueB_; }

    // Measures every frame both queues hold; windows that close go to `sink`.
    void consume(const WindowSink& sink);
    // Measures the last, partial windows.
    void finish(const WindowSink& sink);
    void setTap(BlockTap tap) { tap_ = std::move(tap); }

    const MeasurementSummary& summary() const { return summary_; }
    std::int64_t windowFrames() const;

  private:
    void record(const WindowResult& w);
    void measureChannel(std::size_t c, std::int64_t frames);
    void compare(std::size_t c, std::int64_t frames);

    int channels_;
    FrameQueue queueA_, queueB_;
    std::vector<std::unique_ptr<ChannelPairMeter>> meters_;
    std::vector<std::vector<double>> a_, b_;  // one block, per channel
    std::vector<double> energy_;              // per channel: left, right, mid, side
    MeasurementSummary summary_;
    BlockTap tap_;
    std::vector<std::vector<WindowResult>> closed_;  // per channel, in one block
    ForkJoin workers_;
};

}  // namespace nullmeter
