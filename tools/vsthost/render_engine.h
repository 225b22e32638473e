// Pushes audio through a resumed plug-in block by block, the way a host's
// audio thread would, and collects what comes out: a whole file in memory,
// or one block at a time for callers that stream.
#pragma once

#include "tools/common/audio_file.h"
#include "tools/vsthost/host_callback.h"
#include "tools/vsthost/plugin_session.h"

#include <cstddef>
#include <memory>
#include <string>

namespace plux::vsthost {

struct RenderSettings {
    VstInt32 blockSize = 512;
    bool doublePrecision = false;
};

// Input channel k of the plug-in gets channel k mod N of `input`, so a mono
// file feeds every input and surplus channels are dropped. The output has the
// plug-in's numOutputs channels and the input's length and rate. The last
// block may be shorter than blockSize. Advances the host's transport.
bool render(PluginSession& session, HostContext& host, const audio::Audio& input,
            const RenderSettings& settings, audio::Audio& output, std::string& error);

// Where a block's samples are: channel c, frame i at channels[c][i * stride].
// Planar buffers have stride 1, interleaved ones the channel count.
struct ConstSamples {
    const double* const* channels = nullptr;
    std::size_t count = 0;  // 0: silence
    std::size_t stride = 1;
};
struct Samples {
    double* const* channels = nullptr;
    std::size_t count = 0;
    std::size_t stride = 1;
};

// The block loop's parts, for a caller that chooses each block's length and
// where its samples come from and go.
class BlockRenderer {
  public:
    BlockRenderer();
    ~BlockRenderer();
    BlockRenderer(const BlockRenderer&) = delete;
    BlockRenderer& operator=(const BlockRenderer&) = delete;

    // Checks the plug-in's channel counts and its processing call for the
    // precision, sizes the buffers for blocks up to maxBlock frames and
    // starts the host's transport.
    bool begin(PluginSession& session, HostContext& host, bool doublePrecision, VstInt32 maxBlock,
               std::string& error);
    // One process call of `frames` (1 ... maxBlock): plug-in input k gets
    // channel k mod in.count (silence when in.count is 0); the first
    // out.count of its outputs are stored. Advances the transport.
    void process(const ConstSamples& in, const Samples& out, VstInt32 frames);
    void end();  // stops the transport
    int outputs() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace plux::vsthost
