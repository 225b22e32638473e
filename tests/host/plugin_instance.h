// One plug-in instance driven as a host drives it, closed when the test ends.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/host/fake_host.h"
#include "tests/host/plugin_loader.h"

class PluginInstance {
  public:
    explicit PluginInstance(const std::string& plugin,
                            audioMasterCallback host = fakehost::callback)
        : effect(createInstance(plugin, host)) {}
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;
    ~PluginInstance() {
        if (effect)
            closeInstance(effect);
    }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }

    // The usual start-up sequence of a host.
    void start(float sampleRate = 44100.0f, VstIntPtr blockSize = 512) {
        dispatch(effOpen);
        dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
        dispatch(effSetBlockSize, 0, blockSize);
        dispatch(effMainsChanged, 0, 1);
    }

    // A text opcode into a buffer of `size` bytes followed by canary bytes,
    // which must survive: the plug-in may write only inside the buffer.
    std::string text(VstInt32 opcode, VstInt32 index, size_t size, VstIntPtr* result = nullptr) {
        std::vector<char> buffer(size + 64, '\x5A');
        const VstIntPtr answer = dispatch(opcode, index, 0, buffer.data());
        if (result)
            *result = answer;
        for (size_t i = size; i < buffer.size(); ++i)
            EXPECT_EQ(buffer[i], '\x5A') << "opcode " << opcode << " wrote past " << size;
        const void* end = std::memchr(buffer.data(), '\0', size);
        EXPECT_NE(end, nullptr) << "opcode " << opcode << " left its text unterminated";
        return end ? std::string(buffer.data()) : std::string();
    }

    std::vector<unsigned char> chunk(VstIntPtr* size = nullptr) {
        void* data = nullptr;
        const VstIntPtr n = dispatch(effGetChunk, 0, 0, &data);
        if (size)
            *size = n;
        if (n <= 0 || data == nullptr)
            return {};
        const auto* bytes = static_cast<const unsigned char*>(data);
        return std::vector<unsigned char>(bytes, bytes + n);
    }

    VstIntPtr setChunk(const void* data, VstIntPtr size) {
        return dispatch(effSetChunk, 0, size, const_cast<void*>(data));
    }

    // Stereo processing over separate input and output buffers.
    template <typename Sample>
    void process(std::vector<Sample>& inL, std::vector<Sample>& inR, std::vector<Sample>& outL,
                 std::vector<Sample>& outR) {
        Sample* in[2] = {inL.data(), inR.data()};
        Sample* out[2] = {outL.data(), outR.data()};
        processRaw(in, out, static_cast<VstInt32>(outL.size()));
    }

    void processRaw(float** in, float** out, VstInt32 frames) {
        effect->processReplacing(effect, in, out, frames);
    }
    void processRaw(double** in, double** out, VstInt32 frames) {
        effect->processDoubleReplacing(effect, in, out, frames);
    }

    AEffect* effect;
};
