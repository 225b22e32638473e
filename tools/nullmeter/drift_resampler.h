// Corrects a clock difference: reads its input at steps of `step` frames
// (output j is the input at j * step), through libsoxr's very-high-quality
// fixed-ratio path with its high-precision clock, so a ratio a few ppm from
// 1 keeps its phase over hours. About -105 dB of error on material below
// 0.45 of the sample rate.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct soxr;

namespace nullmeter {

class DriftResampler {
  public:
    DriftResampler(int channels, double step);
    ~DriftResampler();
    DriftResampler(const DriftResampler&) = delete;
    DriftResampler& operator=(const DriftResampler&) = delete;

    bool ok() const { return soxr_ != nullptr; }
    const std::string& error() const { return error_; }

    // Frames on each side of an output that its value depends on, rounded
    // up generously: outputs this close to either end of the input are not
    // exact.
    static constexpr std::int64_t kSupport = 1024;

    // Appends what `frames` more input frames (interleaved) yield.
    void process(const double* input, std::int64_t frames, std::vector<double>& output);
    // Appends the outputs still held once the input has ended.
    void flush(std::vector<double>& output);

  private:
    void drain(const double* input, std::int64_t frames, std::vector<double>& output);

    int channels_;
    double step_;
    soxr* soxr_ = nullptr;
    std::string error_;
};

}  // namespace nullmeter
