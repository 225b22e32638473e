// One plug-in instance through its life: created from the entry point, opened,
// configured, resumed and suspended, closed. Each step is a dispatcher call in
// the order real hosts use; the destructor finishes whatever is still open.
#pragma once

#include "shell/vst/aeffectx.h"
#include "tools/vsthost/host_callback.h"

#include <cstdint>
#include <string>
#include <vector>

namespace plux::vsthost {

using PluginEntry = AEffect* (*)(audioMasterCallback);

class PluginSession {
  public:
    PluginSession() = default;
    ~PluginSession();
    PluginSession(const PluginSession&) = delete;
    PluginSession& operator=(const PluginSession&) = delete;

    // Calls the entry point, checks the record and sends effOpen.
    bool open(PluginEntry entry, std::string& error);
    // effSetSampleRate and effSetBlockSize, also told to the host context.
    void configure(HostContext& host, double sampleRate, VstInt32 blockSize);
    // effSetProcessPrecision; fails if the plug-in lacks that processing call.
    bool setPrecision(bool doublePrecision, std::string& error);
    void resume();   // effMainsChanged 1, effStartProcess
    void suspend();  // effStopProcess, effMainsChanged 0
    void close();    // suspends if needed, effClose

    AEffect* effect() const { return effect_; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) const;
    // A text opcode answered into a zero-filled 256-byte buffer.
    std::string text(VstInt32 opcode, VstInt32 index = 0) const;

    bool setChunk(const std::vector<std::uint8_t>& bytes, std::string& error);
    bool getChunk(std::vector<std::uint8_t>& bytes, std::string& error);
    bool setParameter(VstInt32 index, float value, std::string& error);

  private:
    AEffect* effect_ = nullptr;
    bool resumed_ = false;
};

}  // namespace plux::vsthost
