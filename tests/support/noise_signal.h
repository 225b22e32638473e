// Repeatable white noise for the tools' tests: uniform in
// [-amplitude, amplitude), the same for the same seed on every run.
#pragma once

#include <cstddef>
#include <random>
#include <vector>

namespace plux::testing_support {

inline std::vector<double> whiteNoise(std::size_t frames, unsigned seed, double amplitude) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> uniform(-amplitude, amplitude);
    std::vector<double> out(frames);
    for (double& x : out)
        x = uniform(random);
    return out;
}

}  // namespace plux::testing_support
