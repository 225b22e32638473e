#include "tools/vsthost/signal_generator.h"

#include <cmath>

namespace plux::vsthost {
namespace {

constexpr double kTwoPi = 6.283185307179586476925286766559;

// SplitMix64: tiny, well mixed and identical on every platform, unlike the
// distributions of <random>.
class SplitMix64 {
  public:
    explicit SplitMix64(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [-1, 1) with 53 random bits.
    double nextBipolar() { return static_cast<double>(next() >> 11) * 0x1.0p-52 - 1.0; }

  private:
    std::uint64_t state_;
};

}  // namespace

audio::Audio generateSignal(const TestSignal& signal, std::uint32_t sampleRate,
                            std::size_t channels, std::size_t frames) {
    audio::Audio audio;
    audio.sampleRate = static_cast<int>(sampleRate);
    audio.channels.assign(channels, std::vector<double>(frames, 0.0));
    for (std::size_t c = 0; c < channels; ++c) {
        std::vector<double>& out = audio.channels[c];
        switch (signal.kind) {
        case TestSignal::Kind::Silence:
            break;
        case TestSignal::Kind::Sine:
            for (std::size_t n = 0; n < frames; ++n) {
                const double phase =
                    kTwoPi * signal.frequency * static_cast<double>(n) / sampleRate;
                out[n] = signal.amplitude * std::sin(phase);
            }
            break;
        case TestSignal::Kind::Noise: {
            SplitMix64 rng(0x706C7578u + c);  // "plux" + channel
            for (std::size_t n = 0; n < frames; ++n)
                out[n] = signal.amplitude * rng.nextBipolar();
            break;
        }
        }
    }
    return audio;
}

}  // namespace plux::vsthost
