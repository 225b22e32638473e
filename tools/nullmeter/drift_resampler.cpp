#include "tools/nullmeter/drift_resampler.h"

#include <soxr.h>

#include <cmath>
#include <cstddef>

namespace nullmeter {

DriftResampler::DriftResampler(int channels, double step) : channels_(channels), step_(step) {
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT64_I, SOXR_FLOAT64_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, SOXR_HI_PREC_CLOCK);
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    soxr_error_t failure = nullptr;
    // Rates in the ratio of input frames to output frames: 1 / step outputs
    // per input frame.
    soxr_ = soxr_create(1.0, 1.0 / step, static_cast<unsigned>(channels), &failure, &io, &quality,
                        &runtime);
    if (failure != nullptr) {
        error_ = std::string("the resampler could not be set up: ") + failure;
        soxr_delete(soxr_);
        soxr_ = nullptr;
    }
}

DriftResampler::~DriftResampler() {
    soxr_delete(soxr_);
}

void DriftResampler::drain(const double* input, std::int64_t frames, std::vector<double>& output) {
    if (soxr_ == nullptr)
        return;
    const auto width = static_cast<std::size_t>(channels_);
    std::size_t offered = static_cast<std::size_t>(frames);
    for (;;) {
        // Room for every output the input can yield, with margin.
        const auto room =
            static_cast<std::size_t>(std::ceil(static_cast<double>(offered) / step_)) + 64;
        const std::size_t base = output.size();
        output.resize(base + room * width);
        std::size_t used = 0, made = 0;
        const soxr_error_t failure =
            soxr_process(soxr_, input, input != nullptr ? offered : 0,
                         input != nullptr ? &used : nullptr, output.data() + base, room, &made);
        output.resize(base + made * width);
        if (failure != nullptr) {
            error_ = std::string("resampling failed: ") + failure;
            return;
        }
        if (input != nullptr) {
            input += used * width;
            offered -= used;
            if (offered == 0 && made < room)
                return;
        } else if (made == 0) {
            return;
        }
    }
}

void DriftResampler::process(const double* input, std::int64_t frames,
                             std::vector<double>& output) {
    if (frames > 0)
        drain(input, frames, output);
}

void DriftResampler::flush(std::vector<double>& output) {
    drain(nullptr, 0, output);
}

}  // namespace nullmeter
