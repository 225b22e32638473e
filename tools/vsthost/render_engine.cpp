#include "tools/vsthost/render_engine.h"

#include <algorithm>
#include <vector>

namespace plux::vsthost {
namespace {

// Per-block buffers in the sample type the plug-in processes. Plug-ins may
// write into their inputs, so each input gets its own copy.
template <typename Sample> class BlockBuffers {
  public:
    void size(std::size_t inputs, std::size_t outputs, std::size_t frames) {
        // At least one of each, so a plug-in without inputs still gets a
        // valid (unused) pointer array.
        in_.assign(std::max<std::size_t>(inputs, 1), std::vector<Sample>(frames));
        out_.assign(std::max<std::size_t>(outputs, 1), std::vector<Sample>(frames));
        inPtr_.clear();
        outPtr_.clear();
        for (auto& v : in_)
            inPtr_.push_back(v.data());
        for (auto& v : out_)
            outPtr_.push_back(v.data());
    }

    void load(const ConstSamples& input, std::size_t inputs, std::size_t n) {
        for (std::size_t k = 0; k < inputs; ++k) {
            if (input.count == 0) {
                std::fill(in_[k].begin(), in_[k].begin() + static_cast<std::ptrdiff_t>(n),
                          Sample(0));
                continue;
            }
            const double* src = input.channels[k % input.count];
            for (std::size_t i = 0; i < n; ++i)
                in_[k][i] = static_cast<Sample>(src[i * input.stride]);
        }
        for (auto& v : out_)
            std::fill(v.begin(), v.end(), Sample(0));
    }

    void store(const Samples& output, std::size_t n) const {
        const std::size_t count = std::min(output.count, out_.size());
        for (std::size_t k = 0; k < count; ++k) {
            double* dst = output.channels[k];
            for (std::size_t i = 0; i < n; ++i)
                dst[i * output.stride] = out_[k][i];
        }
    }

    Sample** inputs() { return inPtr_.data(); }
    Sample** outputs() { return outPtr_.data(); }

  private:
    std::vector<std::vector<Sample>> in_, out_;
    std::vector<Sample*> inPtr_, outPtr_;
};

}  // namespace

struct BlockRenderer::Impl {
    AEffect* effect = nullptr;
    HostContext* host = nullptr;
    bool doublePrecision = false;
    BlockBuffers<float> single;
    BlockBuffers<double> twice;
};

BlockRenderer::BlockRenderer() : impl_(std::make_unique<Impl>()) {}
BlockRenderer::~BlockRenderer() = default;

bool BlockRenderer::begin(PluginSession& session, HostContext& host, bool doublePrecision,
                          VstInt32 maxBlock, std::string& error) {
    AEffect* effect = session.effect();
    if (effect->numInputs < 0 || effect->numOutputs <= 0) {
        error = "the plug-in declares " + std::to_string(effect->numInputs) + " inputs and " +
                std::to_string(effect->numOutputs) + " outputs";
        return false;
    }
    if (maxBlock <= 0) {
        error = "the block size must be positive";
        return false;
    }
    if (doublePrecision ? !effect->processDoubleReplacing : !effect->processReplacing) {
        error = doublePrecision ? "the plug-in has no processDoubleReplacing"
                                : "the plug-in has no processReplacing";
        return false;
    }
    impl_->effect = effect;
    impl_->host = &host;
    impl_->doublePrecision = doublePrecision;
    const auto inputs = static_cast<std::size_t>(effect->numInputs);
    const auto outputs = static_cast<std::size_t>(effect->numOutputs);
    if (doublePrecision)
        impl_->twice.size(inputs, outputs, static_cast<std::size_t>(maxBlock));
    else
        impl_->single.size(inputs, outputs, static_cast<std::size_t>(maxBlock));
    host.start();
    return true;
}

void BlockRenderer::process(const ConstSamples& in, const Samples& out, VstInt32 frames) {
    AEffect* effect = impl_->effect;
    const auto inputs = static_cast<std::size_t>(effect->numInputs);
    const auto n = static_cast<std::size_t>(frames);
    if (impl_->doublePrecision) {
        impl_->twice.load(in, inputs, n);
        effect->processDoubleReplacing(effect, impl_->twice.inputs(), impl_->twice.outputs(),
                                       frames);
        impl_->twice.store(out, n);
    } else {
        impl_->single.load(in, inputs, n);
        effect->processReplacing(effect, impl_->single.inputs(), impl_->single.outputs(), frames);
        impl_->single.store(out, n);
    }
    impl_->host->advance(frames);
}

void BlockRenderer::end() {
    if (impl_->host)
        impl_->host->stop();
}

int BlockRenderer::outputs() const {
    return impl_->effect ? impl_->effect->numOutputs : 0;
}

bool render(PluginSession& session, HostContext& host, const audio::Audio& input,
            const RenderSettings& settings, audio::Audio& output, std::string& error) {
    AEffect* effect = session.effect();
    if (effect->numInputs < 0 || effect->numOutputs <= 0) {
        error = "the plug-in declares " + std::to_string(effect->numInputs) + " inputs and " +
                std::to_string(effect->numOutputs) + " outputs";
        return false;
    }
    if (effect->numInputs > 0 && input.channels.empty()) {
        error = "the input has no channels";
        return false;
    }
    if (settings.blockSize <= 0) {
        error = "the block size must be positive";
        return false;
    }
    output = audio::Audio{};
    output.sampleRate = input.sampleRate;
    output.channels.assign(static_cast<std::size_t>(effect->numOutputs),
                           std::vector<double>(input.frameCount()));
    BlockRenderer renderer;
    if (!renderer.begin(session, host, settings.doublePrecision, settings.blockSize, error))
        return false;
    std::vector<const double*> in(input.channels.size());
    std::vector<double*> out(output.channels.size());
    const auto block = static_cast<std::size_t>(settings.blockSize);
    const std::size_t frames = input.frameCount();
    for (std::size_t start = 0; start < frames; start += block) {
        const std::size_t n = std::min(block, frames - start);
        for (std::size_t c = 0; c < in.size(); ++c)
            in[c] = input.channels[c].data() + start;
        for (std::size_t c = 0; c < out.size(); ++c)
            out[c] = output.channels[c].data() + start;
        renderer.process({in.data(), in.size(), 1}, {out.data(), out.size(), 1},
                         static_cast<VstInt32>(n));
    }
    renderer.end();
    return true;
}

}  // namespace plux::vsthost
