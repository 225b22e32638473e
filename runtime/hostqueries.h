// The script object's link to its host wrapper, and the host queries that
// script sections make through it. Every query answers a neutral value (0 or
// false) while the link is not set.
#pragma once

#include <cstdint>

#include "runtime/memory.h"

class CPlux;

class CVexmoldPlux : public CVexmoldMemory {
  public:
    CPlux* plux = nullptr;  // not owned; set by the entry point after assembly

    // Values the wrapper keeps (no host traffic).
    double hostChannelCount() const;
    double hostOutputCount() const;
    double hostSampleRate() const;
    double hostBlockSize() const;
    void hostSetLatency(int32_t samples) const;

    // Time information asked of the host (audioMasterGetTime).
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

  protected:
    CVexmoldPlux() = default;
    ~CVexmoldPlux() = default;
};
