// The null test of two inputs: A and B, read in blocks from their files
// (or two channels of one file), an alignment estimate from an excerpt, then
// one streaming pass that measures A against B as they are and, when asked,
// against B shifted, inverted and scaled by the estimate. Memory stays a few
// blocks and the excerpt, whatever the files' length.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/common/audio_file.h"
#include "tools/nullmeter/alignment.h"
#include "tools/nullmeter/band_analysis.h"
#include "tools/nullmeter/measurement.h"

namespace nullmeter {

struct Input {
    std::filesystem::path path;
    std::vector<int> channels;  // the file's channels to compare, in order; empty: all
};

struct SourceInfo {
    std::string path;
    plux::audio::FileInfo info;
    std::vector<int> channels;
};

struct ComparisonSettings {
    double windowSeconds = 1.0;  // one of the meter's steps
    double searchSeconds = 1.0;  // alignment search: +- this
    bool align = false;          // measure B shifted, inverted and scaled as estimated
    // Channel pairs of a block measured on all the cores; off where pairs
    // already run side by side (a folder) or other work takes the cores.
    bool parallel = true;
    // Both files decoded on threads of their own, ahead of the measurement;
    // off in a folder, where the pairs side by side keep every core busy and
    // more threads would only add hand-overs and memory.
    bool decodeAhead = true;
};

struct ComparisonResult {
    SourceInfo a, b;
    int channels = 0;
    int sampleRate = 0;
    double windowSeconds = 0;
    std::int64_t windowFrames = 0;
    std::int64_t searchFrames = 0;
    AlignmentEstimate alignment;
    bool alignmentApplied = false;
    // What --align applied: B read from this position for A's frame 0 (whole
    // and fractional frames), through the clock correction of appliedDriftPpm.
    double appliedOffsetFrames = 0;
    double appliedDriftPpm = 0;
    std::int64_t edgeFrames = 0;  // left out at each end: the interpolator lacks support
    MeasurementSummary plain;     // A against B as they are
    std::optional<MeasurementSummary> aligned;  // with the estimate applied
    // Of the final measurement, per channel; filled by the caller that ran
    // a BandAnalyzer on its blocks, with what they say in words.
    std::vector<std::vector<BandReading>> bands;
    std::vector<std::string> diagnosis;
    const MeasurementSummary& final() const { return aligned ? *aligned : plain; }
};

class FileComparison {
  public:
    FileComparison();
    ~FileComparison();

    // Opens both inputs and checks that they can be compared: the same rate
    // and the same number of channels. Errors name the file.
    bool open(const Input& a, const Input& b, const ComparisonSettings& settings,
              std::string& error);
    // Estimates the alignment: the whole-sample lag from an excerpt near the
    // start of the audio, then the sub-sample offset at points along the
    // files, a line through them (the clock drift), and the polarity and
    // gain of B read where that line puts A's frames.
    bool estimate(std::string& error);
    // Without --align: the estimate is made during run(), beside the plain
    // pass on readers of its own, and estimate() does nothing. For callers
    // that show the estimate only after the run.
    void estimateDuringRun();
    // The streaming pass. Windows of the final measurement go to `sink`, its
    // blocks of A and (scaled) B to `tap`.
    bool run(const WindowSink& sink, const BlockTap& tap, std::string& error);

    const ComparisonResult& result() const { return result_; }

  private:
    struct Impl;
    static bool estimateWith(Impl& impl, ComparisonResult& result, std::string& error);
    std::unique_ptr<Impl> impl_;
    ComparisonResult result_;
};

}  // namespace nullmeter
