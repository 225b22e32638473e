// What a run with --plugin says about the plug-in: how it was hosted, the
// latency it reports and the one its output shows. A latency that differs
// from the reported one fails the run, however well the output nulls: a
// host would play the plug-in out of time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "tools/nullmeter/verdict.h"

namespace nullmeter {

struct PluginReport {
    std::string path, name;
    int inputs = 0, outputs = 0;
    int blockSize = 0;  // each call's frames, or the largest random size
    bool randomBlocks = false;
    std::uint32_t blockSeed = 0;
    int precision = 32;
    std::int64_t tailFrames = 0;
    std::int64_t reportedLatency = 0;
    // The alignment estimate of the uncompensated output against the input;
    // empty when nothing correlates (a silent output, say).
    std::optional<std::int64_t> measuredLatency;

    // Empty when the latency could not be measured.
    std::optional<bool> latencyMatches() const {
        if (!measuredLatency)
            return std::nullopt;
        return *measuredLatency == reportedLatency;
    }
};

// "random blocks of 1 to 2048 frames (seed 1)", "blocks of 512 frames".
std::string blocksText(const PluginReport& p);
// How the plug-in was hosted: its name and file, channels, blocks,
// precision and tail.
std::string hostingText(const PluginReport& p);
// What B is called in reports: the rendered file is gone after the run.
std::string outputLabel(const PluginReport& p);
// The latency in plain words: "the plug-in reports 0 frames of latency but
// delays by 64 frames", and so on.
std::string latencyText(const PluginReport& p);
// Fails `verdict` when the measured latency is not the reported one.
void judgeLatency(const PluginReport& p, Verdict& verdict);

}  // namespace nullmeter
