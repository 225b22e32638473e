// An audio file rendered through a VST 2.4 plug-in the way a host plays it:
// effOpen, the sample rate, the block size, the precision, resume; then the
// file block by block and zeros past its end for the reported latency and
// the plug-in's tail, so that nothing it delays is cut. The file is read
// and the output written a block at a time, whatever their length.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "tools/nullmeter/block_sizes.h"

namespace nullmeter {

struct PluginRenderSettings {
    std::filesystem::path plugin;
    int rate = 0;  // what the host runs at; 0 for the input's (any other is refused)
    BlockSizes blocks = BlockSizes::fixed(512);
    bool doublePrecision = false;
    // The output is compared channel by channel with this file's channels.
    int outputsWanted = 0;
    std::string outputsWantedBy;
};

struct PluginRender {
    std::string name;  // effGetEffectName, else the product string, else the file name
    int inputs = 0, outputs = 0;
    int sampleRate = 0;
    // initialDelay after resume, read again at each audioMasterIOChanged:
    // the last value counts.
    std::int64_t reportedLatency = 0;
    std::int64_t tailFrames = 0;  // effGetTailSize, at most 10 s
    std::int64_t inputFrames = 0;
    std::int64_t renderedFrames = 0;  // the input, the latency and the tail
};

// Writes the plug-in's whole output to `raw` and, without its first
// reportedLatency frames, to `compensated` (what a compensating host plays
// in time with the input). 32-bit float files, 64-bit for double precision.
bool renderThroughPlugin(const std::filesystem::path& input, const PluginRenderSettings& settings,
                         const std::filesystem::path& raw, const std::filesystem::path& compensated,
                         PluginRender& result, std::string& error);

}  // namespace nullmeter
