// Test signals for `vsthost render --generate`. The results depend only on
// the arguments, so a test can compute the same signal for comparison.
#pragma once

#include "tools/common/audio_file.h"
#include "tools/vsthost/command_line.h"

#include <cstddef>
#include <cstdint>

namespace plux::vsthost {

// `channels` channels of `frames` frames at `sampleRate`. A sine is the same
// on every channel: amplitude * sin(2 pi f n / rate). Noise is uniform in
// [-amplitude, amplitude), seeded per channel, so it repeats from run to run.
audio::Audio generateSignal(const TestSignal& signal, std::uint32_t sampleRate,
                            std::size_t channels, std::size_t frames);

}  // namespace plux::vsthost
