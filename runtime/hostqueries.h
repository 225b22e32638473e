// The script object's link to its host, and the host queries that script
// sections make through it. A plug-in format's wrapper is the host: it
// implements TVexmoldHost (the VST 2.4 one in shell/scripthost.cpp). Every
// query answers a neutral value (0 or false) while no host is linked.
#pragma once

#include <atomic>
#include <cstdint>

#include "runtime/memory.h"

namespace VSTGUI {
class CDrawContext;
}

// The host's transport and tempo as a section reads them.
struct TVexmoldHostTime {
    bool known = false;  // false: the host gave no time information
    bool playing = false, recording = false;
    double tempo = 0.0;
    double quarterPosition = 0.0;  // of the block's first frame
    double barStart = 0.0;         // quarter position of the bar's start
    double timeSigNumerator = 0.0, timeSigDenominator = 0.0;
};

// What one run of the graphics section is given, by the one who runs it
// (TVexmold::runGraphicsSection): where it draws, the sizes and the host
// time it reads. Nothing of it outlives the run.
struct TVexmoldGraphicsPass {
    VSTGUI::CDrawContext* context = nullptr;  // null: the primitives draw nothing
    double viewWidth = 0.0, viewHeight = 0.0;
    bool hasEditor = false;  // the editor's size, when the host has an editor
    int32_t editorWidth = 0, editorHeight = 0;
    TVexmoldHostTime time;
};

// What the runtime asks of the wrapper that hosts it. Each operation runs on
// the thread of the section that asks.
class TVexmoldHost {
  public:
    enum class Number { vendorVersion, language, masterVersion, currentUniqueId };
    enum class Text { vendor, product };

    virtual double inputChannels() = 0;
    virtual double outputChannels() = 0;
    virtual double currentSampleRate() = 0;
    virtual double currentBlockSize() = 0;
    virtual void reportLatency(int32_t samples) = 0;
    // The time the wrapper took from the host for the running section;
    // false when the host gave none.
    virtual bool timeForSection(TVexmoldHostTime& time) = 0;
    // Sent to the host once the running section is over.
    virtual void requestDisplayUpdate() = 0;
    virtual void automateParameter(int32_t index, double value) = 0;
    virtual void declareSynth(bool state) = 0;
    // The next MIDI event the host delivered (delta frames and three data
    // bytes), or false when none is waiting.
    virtual bool nextMidiInput(double& deltaFrames, double data[3]) = 0;
    // True when the host took the event.
    virtual bool sendMidi(int32_t deltaFrames, int32_t data1, int32_t data2, int32_t data3) = 0;
    virtual bool sendSysEx(int32_t deltaFrames, const char* data, int32_t length) = 0;
    virtual double hostNumber(Number which) = 0;
    virtual bool hostText(Text which, char* text) = 0;
    virtual void idleHost() = 0;
    // Asks the editor, if one is open, to redraw the script's view.
    virtual void requestRedraw() = 0;

  protected:
    TVexmoldHost() = default;
    ~TVexmoldHost() = default;
};

class CVexmoldPlux : public CVexmoldMemory {
  public:
    TVexmoldHost* plux = nullptr;  // not owned; set by the assembly

    // Values the wrapper keeps (no host traffic).
    double hostChannelCount() const;
    double hostOutputCount() const;
    double hostSampleRate() const;
    double hostBlockSize() const;
    void hostSetLatency(int32_t samples) const;

    // Time information: what the wrapper asked the host for the running
    // section, or for a graphics section what its pass holds.
    double hostTempo() const;
    double hostIsPlaying() const;
    double hostIsRecording() const;
    double hostQuarterPosition() const;
    double hostBarStart() const;
    bool hostTempoAndSignature(double* tempo, double* numerator, double* denominator) const;

    bool hostUpdateDisplay() const;
    bool hostSetAutomated(int32_t index, double value) const;
    bool hostDeclareSynth(bool state) const;

    // MIDI: reading the input ring, sending to the host.
    bool midiReceive(double* deltaFrames, double* data1, double* data2, double* data3) const;
    bool midiSendShort(int32_t deltaFrames, int32_t data1, int32_t data2, int32_t data3) const;
    bool midiSendSysEx(int32_t deltaFrames, const char* data, int32_t length) const;

    // Thin forms of the base-class host calls.
    double getHostVendorVersion() const;
    double getHostLanguage() const;
    double getMasterVersion() const;
    double getCurrentUniqueId() const;
    void masterIdle() const;
    bool getHostVendorString(char* text) const;
    bool getHostProductString(char* text) const;

    // Asks the editor (if one is open) to redraw the script's view.
    void requestRedraw() const;

    // The pass of the graphics section this object is running, or null
    // (UI thread, inside the section).
    const TVexmoldGraphicsPass* graphicsPass() const {
        return runningPass.load(std::memory_order_acquire);
    }

    // Graphics steps run with what a pass gives them for as long as this
    // lives, on the thread that made it: TVexmold::runGraphicsSection makes
    // one around the section; tests that call the primitives one by one make
    // their own.
    class GraphicsPassScope {
      public:
        GraphicsPassScope(CVexmoldPlux& script, const TVexmoldGraphicsPass& pass);
        ~GraphicsPassScope();
        GraphicsPassScope(const GraphicsPassScope&) = delete;
        GraphicsPassScope& operator=(const GraphicsPassScope&) = delete;

      private:
        CVexmoldPlux& script;
    };

  protected:
    CVexmoldPlux() = default;
    ~CVexmoldPlux() = default;

  private:
    // The running pass, when the calling thread is the one running it: an
    // object without a drawing copy runs its audio sections meanwhile.
    const TVexmoldGraphicsPass* graphicsPassHere() const;
    bool sectionTime(TVexmoldHostTime& time) const;

    std::atomic<const TVexmoldGraphicsPass*> runningPass{nullptr};
    std::atomic<uint64_t> runningThread{0};
};
