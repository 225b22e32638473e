// What the plug-in sees of the host: the audioMasterCallback and the
// transport it reports. The plug-in may call back before it has returned its
// AEffect, so the callback cannot find its host through the effect; vsthost
// runs one plug-in at a time and keeps the active host in a global.
#pragma once

#include "shell/vst/aeffectx.h"

#include <cstdint>

namespace plux::vsthost {

class HostContext {
  public:
    static constexpr double kTempo = 120.0;

    HostContext();   // becomes the active host
    ~HostContext();  // stops being it
    HostContext(const HostContext&) = delete;
    HostContext& operator=(const HostContext&) = delete;

    // The function handed to the plug-in's entry point.
    static VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                              void* ptr, float opt);

    VstIntPtr handle(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    // audioMasterIOChanged is refused (0) unless the host takes changes; one
    // that does answers 1, says so to canDo("acceptIOChanges") and counts the
    // calls, so that it knows when to read initialDelay again.
    void acceptIoChanges(bool accept) { acceptIoChanges_ = accept; }
    int ioChanges() const { return ioChanges_; }

    void setSampleRate(double rate) { sampleRate_ = rate; }
    void setBlockSize(VstInt32 frames) { blockSize_ = frames; }
    // Transport: playing from sample 0, then advancing by each rendered block.
    void start();
    void advance(VstInt32 frames);
    void stop();

    double samplePosition() const { return samplePos_; }
    const VstTimeInfo& currentTime();  // refreshed from the transport

  private:
    double sampleRate_ = 44100.0;
    VstInt32 blockSize_ = 512;
    double samplePos_ = 0.0;
    bool playing_ = false;
    bool transportChanged_ = false;
    bool acceptIoChanges_ = false;
    int ioChanges_ = 0;
    VstTimeInfo time_{};
};

}  // namespace plux::vsthost
