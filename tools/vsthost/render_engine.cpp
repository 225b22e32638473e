#include "tools/vsthost/render_engine.h"

#include <algorithm>
#include <vector>

namespace plux::vsthost {
namespace {

// Per-block buffers in the sample type the plug-in processes. Plug-ins may
// write into their inputs, so each input gets its own copy.
template <typename Sample> class BlockBuffers {
  public:
    BlockBuffers(std::size_t inputs, std::size_t outputs, std::size_t frames)
        : in_(std::max<std::size_t>(inputs, 1), std::vector<Sample>(frames)),
          out_(std::max<std::size_t>(outputs, 1), std::vector<Sample>(frames)) {
        // At least one of each, so a plug-in without inputs still gets a
        // valid (unused) pointer array.
        for (auto& v : in_)
            inPtr_.push_back(v.data());
        for (auto& v : out_)
            outPtr_.push_back(v.data());
    }

    void load(const wav::Audio& input, std::size_t inputs, std::size_t start, std::size_t n) {
        for (std::size_t k = 0; k < inputs; ++k) {
            const std::vector<double>& src = input.channels[k % input.channels.size()];
            for (std::size_t i = 0; i < n; ++i)
                in_[k][i] = static_cast<Sample>(src[start + i]);
        }
        for (auto& v : out_)
            std::fill(v.begin(), v.end(), Sample(0));
    }

    void store(wav::Audio& output, std::size_t start, std::size_t n) const {
        for (std::size_t k = 0; k < output.channels.size(); ++k) {
            for (std::size_t i = 0; i < n; ++i)
                output.channels[k][start + i] = out_[k][i];
        }
    }

    Sample** inputs() { return inPtr_.data(); }
    Sample** outputs() { return outPtr_.data(); }

  private:
    std::vector<std::vector<Sample>> in_, out_;
    std::vector<Sample*> inPtr_, outPtr_;
};

template <typename Sample, typename Process>
void renderBlocks(AEffect* effect, Process process, HostContext& host, const wav::Audio& input,
                  VstInt32 blockSize, wav::Audio& output) {
    const auto inputs = static_cast<std::size_t>(effect->numInputs);
    const auto block = static_cast<std::size_t>(blockSize);
    BlockBuffers<Sample> buffers(inputs, output.channels.size(), block);
    const std::size_t frames = input.frameCount();
    for (std::size_t start = 0; start < frames; start += block) {
        const std::size_t n = std::min(block, frames - start);
        buffers.load(input, inputs, start, n);
        process(effect, buffers.inputs(), buffers.outputs(), static_cast<VstInt32>(n));
        buffers.store(output, start, n);
        host.advance(static_cast<VstInt32>(n));
    }
}

}  // namespace

bool render(PluginSession& session, HostContext& host, const wav::Audio& input,
            const RenderSettings& settings, wav::Audio& output, std::string& error) {
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
    output = wav::Audio{};
    output.sampleRate = input.sampleRate;
    output.channels.assign(static_cast<std::size_t>(effect->numOutputs),
                           std::vector<double>(input.frameCount()));
    if (settings.doublePrecision ? !effect->processDoubleReplacing : !effect->processReplacing) {
        error = settings.doublePrecision ? "the plug-in has no processDoubleReplacing"
                                         : "the plug-in has no processReplacing";
        return false;
    }
    host.start();
    if (settings.doublePrecision) {
        renderBlocks<double>(effect, effect->processDoubleReplacing, host, input,
                             settings.blockSize, output);
    } else {
        renderBlocks<float>(effect, effect->processReplacing, host, input, settings.blockSize,
                            output);
    }
    host.stop();
    return true;
}

}  // namespace plux::vsthost
