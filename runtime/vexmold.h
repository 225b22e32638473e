// The script object: the end of the runtime's class chain. It owns all state
// of one effect instance and runs the effect's code sections, which a
// TVexmoldEffect overrides. With no overrides every section does nothing.
//
// Contracts:
// - A script object is used by one thread at a time; the host wrapper
//   serialises the threads of the host around every call it makes. The one
//   exception is the hand-over of display values below, made for two.
// - process / processDouble allocate nothing and take no locks.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/graphics/mouse.h"

class TVexmold : public CVexmoldMouse {
  public:
    TVexmold();
    TVexmold(const TVexmold&) = delete;
    TVexmold& operator=(const TVexmold&) = delete;
    virtual ~TVexmold();

    // Host open: clears memory and string slots and the redraw clock.
    virtual void doReset();
    virtual void doClose() {}
    virtual void doSuspend() {}
    // Host resume: the initialisation section, then the slider section.
    virtual void doResume();
    // The initialisation section.
    virtual void doInit() {}
    // Runs the initialisation section on the first call only; returns the
    // number of calls so far.
    virtual uint32_t doInitOnce();
    // The graphics section (UI thread). Run it through runGraphicsSection.
    virtual void doGfx() {}
    // Runs the graphics section with what the pass gives it: its primitives
    // draw on pass.context, its time queries read pass.time, viewWidth and
    // viewHeight take the view's size and the surface the editor's. The
    // pass is the section's for this run only. UI thread.
    void runGraphicsSection(const TVexmoldGraphicsPass& pass);
    // The values the audio side writes and the graphics section shows,
    // handed over without a lock (a TripleBuffer of the effect's):
    // publishDisplayValues runs on the audio side, after every section the
    // wrapper runs under its lock; takeDisplayValues runs on the UI thread
    // just before doGfx and copies the newest published values into
    // `drawing` (this object, or the copy made by newDrawingCopy). Neither
    // waits for the other.
    virtual void publishDisplayValues() {}
    virtual void takeDisplayValues(TVexmold& /*drawing*/) {}
    // A new object of the same effect for the graphics section to run on,
    // or null to draw on this one. It never runs audio.
    virtual TVexmold* newDrawingCopy() const { return nullptr; }
    // Editor idle tick: asks for a redraw when more than 1000 / redrawRate
    // milliseconds have passed since the last request.
    virtual void doIdle();
    // The serialisation section: transfers its values through handle 0.
    virtual void doSerialize() {}
    // Restores a state chunk; always answers count. A chunk shorter than one
    // value or without the leading marker changes nothing but the stream.
    // Slider values come back within their sliders' ranges, whatever the
    // chunk held.
    virtual int32_t restoreState(const void* bytes, int32_t count, bool preset);
    // Serialises into handle 0 and points *bytes at the chunk; answers its size
    // in bytes, or 0 (leaving *bytes untouched) when the section wrote nothing.
    virtual int32_t storeState(void** bytes, bool preset);

    // First value of every state chunk.
    static constexpr float kStateMarker = -1000.0f;

    // The chunk's values (little-endian float32), at most count / 4 of them.
    static std::vector<float> decodeStateChunk(const void* bytes, int32_t count);
    // restoreState over values that were already decoded; lets a caller do
    // the copying before it takes the instance's lock.
    int32_t restoreDecodedState(std::vector<float>&& values, int32_t count);

    // Runs the block section once and the sample section once per frame,
    // moving samples through sampleValues. Null buffer arrays or channels read
    // as silence and are not written.
    void process(const float* const* inputs, float* const* outputs, int32_t frames);
    void processDouble(const double* const* inputs, double* const* outputs, int32_t frames);

    int32_t lastRedrawClock = 0;  // process-clock reading of the last redraw request
    uint32_t initCount = 0;

  protected:
    // The frame loop of one processing call (see runtime/frameloop.h). An
    // effect overrides these with vexmold::runFrames(*this, ...) so that its
    // sample section is inlined; the results are the same.
    virtual void runFrames(const float* const* inputs, float* const* outputs, int32_t frames,
                           int32_t channels);
    virtual void runFrames(const double* const* inputs, double* const* outputs, int32_t frames,
                           int32_t channels);

  private:
    template <typename Sample>
    void processBlock(const Sample* const* inputs, Sample* const* outputs, int32_t frames,
                      int32_t& cachedChannels);
    void flushStateStream();

    int32_t channelCount32 = -1;  // taken from the wrapper on the first call of each path
    int32_t channelCount64 = -1;
};
