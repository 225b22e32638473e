#include "runtime/vexmold.h"

#include <cmath>
#include <cstring>
#include <new>

#include "runtime/frameloop.h"
#include "runtime/math/fft_tables.h"
#include "platform/platform.h"

// The process-wide FFT tables exist before the first instance can run a
// transform; later constructions only check that they do. Without them there
// is no instance, as for any other allocation that fails.
TVexmold::TVexmold() {
    if (!vexmold::ensureFftTables())
        throw std::bad_alloc();
    TVexmold::doReset();
}

TVexmold::~TVexmold() = default;

void TVexmold::doReset() {
    clearMemory();
    clearStringSlots();
    lastRedrawClock = 0;
    drawRed = drawGreen = drawBlue = drawAlpha = 0.0;
}

void TVexmold::doResume() {
    doInit();
    doSlider();
}

void TVexmold::runGraphicsSection(const TVexmoldGraphicsPass& pass) {
    const GraphicsPassScope scope(*this, pass);  // ends with the run, also when it throws
    viewWidth = pass.viewWidth;
    viewHeight = pass.viewHeight;
    doGfx();
}

uint32_t TVexmold::doInitOnce() {
    if (initCount == 0)
        doInit();
    return ++initCount;
}

void TVexmold::doIdle() {
    if (!(redrawRate > 0.0))
        return;
    // Unsigned difference: stays right when the millisecond clock wraps.
    const uint32_t elapsed = static_cast<uint32_t>(plux::platform::processClockMilliseconds()) -
                             static_cast<uint32_t>(lastRedrawClock);
    if (static_cast<double>(elapsed) > 1000.0 / redrawRate) {
        requestRedraw();
        lastRedrawClock = plux::platform::processClockMilliseconds();
    }
}

void TVexmold::flushStateStream() {
    fileHandles[0].flush();
}

int32_t TVexmold::storeState(void** bytes, bool /*preset*/) {
    flushStateStream();
    TVexmoldFileHandle& stream = fileHandles[0];
    stream.resetForState(TVexmoldFileHandle::writing);
    double marker = kStateMarker;
    stream.transferValue(marker);
    doSerialize();
    if (stream.data.size() <= 1)
        return 0;
    if (bytes != nullptr)
        *bytes = stream.data.data();
    return static_cast<int32_t>(stream.data.size() * sizeof(float));
}

std::vector<float> TVexmold::decodeStateChunk(const void* bytes, int32_t count) {
    std::vector<float> values;
    if (bytes == nullptr || count < 4)
        return values;
    values.resize(static_cast<size_t>(count) / 4);
    // float32 little-endian on every target we build for.
    std::memcpy(values.data(), bytes, values.size() * sizeof(float));
    // A restored value is an assignment: NaN and infinities store 0.
    for (float& v : values)
        if (!std::isfinite(v))
            v = 0.0f;
    return values;
}

int32_t TVexmold::restoreState(const void* bytes, int32_t count, bool /*preset*/) {
    return restoreDecodedState(decodeStateChunk(bytes, count), count);
}

int32_t TVexmold::restoreDecodedState(std::vector<float>&& values, int32_t count) {
    flushStateStream();
    TVexmoldFileHandle& stream = fileHandles[0];
    stream.resetForState(TVexmoldFileHandle::reading);
    stream.data.swap(values);
    if (stream.data.empty())
        return count;
    double marker = 0.0;
    stream.transferValue(marker);
    if (!(marker == static_cast<double>(kStateMarker)))
        return count;
    doInitOnce();
    doSerialize();
    keepSliderValuesInRange();
    doSlider();
    return count;
}

template <typename Sample>
void TVexmold::processBlock(const Sample* const* inputs, Sample* const* outputs, int32_t frames,
                            int32_t& cachedChannels) {
    if (cachedChannels < 0) {
        // Taken once, from the wrapper's input count; only the first 64
        // channels have a place in sampleValues.
        const double reported = hostChannelCount();
        cachedChannels = reported <= 0.0            ? 0
                         : reported >= kMaxChannels ? kMaxChannels
                                                    : static_cast<int32_t>(reported);
    }
    doBlock();
    if (frames > 0)
        runFrames(inputs, outputs, frames, cachedChannels);
}

void TVexmold::runFrames(const float* const* inputs, float* const* outputs, int32_t frames,
                         int32_t channels) {
    vexmold::runFrames(*this, inputs, outputs, frames, channels);
}

void TVexmold::runFrames(const double* const* inputs, double* const* outputs, int32_t frames,
                         int32_t channels) {
    vexmold::runFrames(*this, inputs, outputs, frames, channels);
}

void TVexmold::process(const float* const* inputs, float* const* outputs, int32_t frames) {
    processBlock(inputs, outputs, frames, channelCount32);
}

void TVexmold::processDouble(const double* const* inputs, double* const* outputs, int32_t frames) {
    processBlock(inputs, outputs, frames, channelCount64);
}
