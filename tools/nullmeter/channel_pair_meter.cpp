#include "tools/nullmeter/channel_pair_meter.h"

#include <algorithm>
#include <cmath>

#include "effects/nulltest/nulltest_effect.h"
#include "shell/assembly.h"

namespace nullmeter {

namespace {

constexpr std::int64_t kBlockFrames = 4096;
constexpr double kMinWindow = 0.1, kMaxWindow = 10.0, kWindowStep = 0.1;

VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

Reading readingOf(const nulltest::SignalMeter& m) {
    return {m.rms, m.rmsDb, m.rmsBits, m.peakDb, m.peakBits};
}

VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstIntPtr value = 0, float opt = 0.0f) {
    return effect->dispatcher(effect, opcode, 0, value, nullptr, opt);
}

}  // namespace

double meterWindowSeconds(double seconds) {
    if (!(seconds >= kMinWindow - 1e-9 && seconds <= kMaxWindow + 1e-9))
        return 0.0;
    const double steps = std::round(seconds / kWindowStep);
    if (std::fabs(steps * kWindowStep - seconds) > 1e-9)
        return 0.0;
    return steps / 10.0;
}

ChannelPairMeter::ChannelPairMeter(int channel, double sampleRate, double windowSeconds)
    : channel_(channel), scratchLeft_(kBlockFrames), scratchRight_(kBlockFrames) {
    auto* script = new (std::nothrow) nulltest::TVexmoldEffect;
    if (script == nullptr)
        return;
    effect_ = assemblePlugin(hostCallback, script);
    if (effect_ == nullptr)
        return;
    script_ = script;
    dispatch(effect_, effOpen);
    dispatch(effect_, effSetSampleRate, 0, static_cast<float>(sampleRate));
    dispatch(effect_, effSetBlockSize, kBlockFrames);
    dispatch(effect_, effMainsChanged, 1);
    effect_->setParameter(effect_, 0, static_cast<float>((windowSeconds - 0.1) / 9.9));
    // A window closes on the frame that brings its count to the length, so a
    // length with a fraction holds the next whole number of frames.
    windowFrames_ = std::max<std::int64_t>(
        1, static_cast<std::int64_t>(std::ceil(script_->vars.windowLength)));
}

ChannelPairMeter::~ChannelPairMeter() {
    if (effect_ != nullptr) {
        dispatch(effect_, effMainsChanged, 0);
        dispatch(effect_, effClose);
    }
}

void ChannelPairMeter::measure(const double* a, const double* b, std::int64_t frames,
                               const WindowSink& sink) {
    if (effect_ == nullptr)
        return;
    while (frames > 0) {
        // Blocks end where windows end, so that each closed window is seen.
        const std::int64_t n =
            std::min({frames, kBlockFrames, windowFrames_ - framesInWindow_});
        double* in[2] = {const_cast<double*>(a), const_cast<double*>(b)};
        double* out[2] = {scratchLeft_.data(), scratchRight_.data()};
        effect_->processDoubleReplacing(effect_, in, out, static_cast<VstInt32>(n));
        a += n;
        b += n;
        frames -= n;
        framesInWindow_ += n;
        measuredFrames_ += n;
        if (script_->vars.windowSampleCount == 0.0)
            report(false, sink);
    }
}

void ChannelPairMeter::finish(const WindowSink& sink) {
    if (effect_ == nullptr || framesInWindow_ == 0)
        return;
    script_->closeWindowEarly();
    report(true, sink);
}

void ChannelPairMeter::report(bool partial, const WindowSink& sink) {
    const nulltest::Variables& v = script_->vars;
    WindowResult w;
    w.channel = channel_;
    w.index = ++windows_;
    w.frames = framesInWindow_;
    w.startFrame = measuredFrames_ - framesInWindow_;
    w.partial = partial;
    w.left = readingOf(v.left);
    w.right = readingOf(v.right);
    w.mid = readingOf(v.mid);
    w.side = readingOf(v.side);
    framesInWindow_ = 0;
    if (sink)
        sink(w);
}

}  // namespace nullmeter
