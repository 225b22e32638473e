// Programme-like material with an exact truth: a sum of sines below 0.4 of
// the sample rate, evaluated at any instant, so a pair "B is A delayed by
// 10.25 frames and its clock runs 40 ppm fast" is made without any
// resampling error of its own (the tests and `wavtool synth` make their
// pairs so).
#pragma once

#include <cmath>
#include <cstddef>
#include <random>
#include <vector>

namespace plux::audio {

class AnalyticSignal {
  public:
    // `sines` partials at random frequencies in 20 Hz ... 0.4 * rate, equal
    // amplitudes summing to `peak` at most.
    AnalyticSignal(unsigned seed, int sines, double rate, double peak = 0.5) {
        std::mt19937 random(seed);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        const double pi = 3.14159265358979323846;
        for (int i = 0; i < sines; ++i) {
            const double hz = 20.0 + unit(random) * (0.4 * rate - 20.0);
            omega_.push_back(2 * pi * hz / rate);
            phase_.push_back(2 * pi * unit(random));
            hz_.push_back(hz);
        }
        gain_.assign(omega_.size(), peak / sines);
    }

    // The partials at or above `hz` scaled by `factor`: an exact band-limited
    // level difference ("the top octave half a dB lower").
    void scaleAbove(double hz, double factor) {
        for (std::size_t i = 0; i < hz_.size(); ++i)
            if (hz_[i] >= hz)
                gain_[i] *= factor;
    }

    // The signal at frame position `t` (any real number).
    double at(double t) const {
        double sum = 0;
        for (std::size_t i = 0; i < omega_.size(); ++i)
            sum += gain_[i] * std::sin(omega_[i] * t + phase_[i]);
        return sum;
    }

    // Frames 0 ... frames - 1 of a copy whose frame n carries the content of
    // frame (n - offset) * (1 + ppm * 1e-6), times `gain`.
    std::vector<double> render(std::size_t frames, double offset = 0, double ppm = 0,
                               double gain = 1) const {
        std::vector<double> out(frames);
        for (std::size_t n = 0; n < frames; ++n)
            out[n] = gain * at((static_cast<double>(n) - offset) * (1 + ppm * 1e-6));
        return out;
    }

  private:
    std::vector<double> omega_, phase_, hz_, gain_;
};

}  // namespace plux::audio
