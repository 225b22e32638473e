#include "tools/nullmeter/plugin_test.h"

#include <algorithm>

#include "tools/common/audio_file.h"
#include "tools/nullmeter/plugin_render.h"

namespace nullmeter {

namespace {

constexpr double kLongestSearchSeconds = 10.0;

}  // namespace

bool PluginTest::prepare(const Options& options, std::string& error) {
    const std::filesystem::path& input = options.inputs.front();
    a_ = {options.reference.empty() ? input : options.reference, {}};
    plux::audio::Reader probe;
    if (!probe.open(a_.path, error))
        return false;

    PluginRenderSettings settings;
    settings.plugin = options.plugin;
    settings.rate = options.rate;
    settings.blocks = options.randomBlocks ? BlockSizes::random(options.blockSeed)
                                           : BlockSizes::fixed(options.blockSize);
    settings.doublePrecision = options.precision == 64;
    settings.outputsWanted = probe.info().channels;
    settings.outputsWantedBy = a_.path.string();
    if (!folder_.create("nullmeter", error))
        return false;
    const std::filesystem::path raw = folder_.path() / "uncompensated.w64";
    const std::filesystem::path compensated = folder_.path() / "compensated.w64";
    PluginRender render;
    if (!renderThroughPlugin(input, settings, raw, compensated, render, error))
        return false;
    b_ = {compensated, {}};

    report_.path = options.plugin.string();
    report_.name = render.name;
    report_.inputs = render.inputs;
    report_.outputs = render.outputs;
    report_.blockSize = settings.blocks.largest();
    report_.randomBlocks = settings.blocks.isRandom();
    report_.blockSeed = settings.blocks.seed();
    report_.precision = options.precision;
    report_.tailFrames = render.tailFrames;
    report_.reportedLatency = render.reportedLatency;
    return measureLatency(options, raw, render.sampleRate, error);
}

// The alignment estimate of the uncompensated output against the input,
// output channel k against input channel k mod N as the plug-in was fed.
// The search reaches at least twice the reported latency, so that a plug-in
// that reports much is still measured.
bool PluginTest::measureLatency(const Options& options, const std::filesystem::path& raw, int rate,
                                std::string& error) {
    Input input{options.inputs.front(), {}};
    plux::audio::Reader probe;
    if (!probe.open(input.path, error))
        return false;
    for (int k = 0; k < report_.outputs; ++k)
        input.channels.push_back(k % probe.info().channels);
    ComparisonSettings settings;
    settings.windowSeconds = options.windowSeconds;
    settings.searchSeconds = std::min(
        kLongestSearchSeconds,
        std::max(options.searchSeconds, 2.0 * static_cast<double>(report_.reportedLatency) / rate));
    FileComparison latency;
    if (!latency.open(input, {raw, {}}, settings, error) || !latency.estimate(error))
        return false;
    const AlignmentEstimate& e = latency.result().alignment;
    if (e.found)
        report_.measuredLatency = e.offsetFrames;
    return true;
}

}  // namespace nullmeter
