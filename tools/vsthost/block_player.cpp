#include "tools/vsthost/block_player.h"

#include <algorithm>
#include <utility>

namespace plux::vsthost {

BlockPlayer::BlockPlayer(AEffect* effect, HostContext& host, audio::Audio source,
                         VstInt32 blockSize)
    : effect_(effect), host_(host), source_(std::move(source)) {
    const auto frames = static_cast<std::size_t>(blockSize);
    // At least one buffer each way, so a plug-in without inputs still gets a
    // valid (unused) pointer array.
    in_.assign(static_cast<std::size_t>(std::max(effect->numInputs, 1)),
               std::vector<float>(frames));
    out_.assign(static_cast<std::size_t>(std::max(effect->numOutputs, 1)),
                std::vector<float>(frames));
    for (auto& v : in_)
        inPtr_.push_back(v.data());
    for (auto& v : out_)
        outPtr_.push_back(v.data());
    host_.start();
}

BlockPlayer::~BlockPlayer() {
    host_.stop();
}

void BlockPlayer::playBlock() {
    const std::size_t length = source_.frameCount();
    const std::size_t frames = in_.front().size();
    for (std::size_t k = 0; k < in_.size(); ++k) {
        const std::vector<double>& src = source_.channels[k % source_.channels.size()];
        std::size_t pos = position_;
        for (std::size_t i = 0; i < frames; ++i) {
            in_[k][i] = static_cast<float>(src[pos]);
            if (++pos == length)
                pos = 0;
        }
    }
    position_ = (position_ + frames) % length;
    for (auto& v : out_)
        std::fill(v.begin(), v.end(), 0.0f);
    effect_->processReplacing(effect_, inPtr_.data(), outPtr_.data(),
                              static_cast<VstInt32>(frames));
    host_.advance(static_cast<VstInt32>(frames));
    played_ += frames;
}

}  // namespace plux::vsthost
