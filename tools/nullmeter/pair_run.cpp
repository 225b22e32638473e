#include "tools/nullmeter/pair_run.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/common/audio_file.h"
#include "tools/common/file_paths.h"
#include "tools/common/staged_file.h"
#include "tools/nullmeter/band_threads.h"
#include "tools/nullmeter/diagnosis.h"
#include "tools/nullmeter/file_comparison.h"
#include "tools/nullmeter/plot_collector.h"
#include "tools/nullmeter/plugin_test.h"
#include "tools/nullmeter/report.h"
#include "tools/nullmeter/residual_writer.h"

namespace nullmeter {

namespace {

// Before any work: the inputs are files, and no output would replace an
// input, another output, a device or a folder.
bool checkFiles(const Options& options, std::string& error) {
    std::vector<plux::files::NamedPath> inputs;
    for (const std::filesystem::path& input : options.inputs) {
        if (!plux::files::checkInput(input, error))
            return false;
        inputs.push_back({"input", input});
    }
    using plux::files::NamedPath;
    for (const NamedPath& more :
         {NamedPath{"--reference", options.reference}, NamedPath{"the plug-in", options.plugin}}) {
        if (more.path.empty())
            continue;
        if (!plux::files::checkInput(more.path, error))
            return false;
        inputs.push_back(more);
    }
    plux::audio::Container container;
    if (!options.residual.empty() &&
        !ResidualWriter::containerFor(options.residual, container, error))
        return false;
    return plux::files::checkOutputs({{"--residual", options.residual}, {"--plot", options.plot}},
                                     inputs, error);
}

}  // namespace

int runComparison(const Options& options, std::FILE* out, Outcome& outcome) {
    std::string error;
    const auto inputError = [&outcome](const std::string& message) {
        outcome.error = message;
        return kError;
    };
    if (!checkFiles(options, error))
        return inputError(error);
    Input a, b;
    const bool pair = options.inputs.size() == 1 && options.plugin.empty();
    // --plugin: A the input or the reference, B the plug-in's output.
    std::optional<PluginTest> pluginTest;
    if (!options.plugin.empty()) {
        pluginTest.emplace();
        if (!pluginTest->prepare(options, error))
            return inputError(error);
        a = pluginTest->a();
        b = pluginTest->b();
    } else if (pair) {
        // One stereo file: its left channel is A, its right channel B.
        plux::audio::Reader probe;
        if (!probe.open(options.inputs[0], error))
            return inputError(error);
        if (probe.info().channels != 2)
            return inputError(options.inputs[0].string() +
                              ": one file is measured as a stereo "
                              "pair, but it has " +
                              std::to_string(probe.info().channels) +
                              " channels; give two files to compare");
        a = {options.inputs[0], {0}};
        b = {options.inputs[0], {1}};
    } else {
        a = {options.inputs[0], {}};
        b = {options.inputs[1], {}};
    }
    ComparisonSettings settings;
    settings.windowSeconds = options.windowSeconds;
    settings.searchSeconds = options.searchSeconds;
    settings.align = options.align;
    // The band analysis, when there is one, runs on threads of its own that
    // take the other cores; the measurement then keeps to one.
    const bool analysesBands = options.json || options.bands || !options.plot.empty();
    settings.parallel = options.parallelPair && !analysesBands;
    settings.decodeAhead = options.parallelPair;

    FileComparison comparison;
    if (!comparison.open(a, b, settings, error))
        return inputError(error);
    for (const SourceInfo* s : {&comparison.result().a, &comparison.result().b})
        if (s->info.frames == 0)
            return inputError(s->path + ": holds no audio frames");
    // A plain comparison that shows nothing before its end estimates the
    // alignment beside the pass instead of before it, unless pairs already
    // run side by side (a folder).
    const bool estimateBeside =
        !options.align && !options.windows && !pluginTest && options.parallelPair;
    if (estimateBeside)
        comparison.estimateDuringRun();
    if (!comparison.estimate(error))
        return inputError(error);
    const ComparisonResult& result = comparison.result();

    std::optional<ResidualWriter> residual;
    if (!options.residual.empty()) {
        residual.emplace();
        if (!residual->open(options.residual, result.channels, result.sampleRate, error))
            return inputError(error);
    }
    std::optional<PlotCollector> plot;
    if (!options.plot.empty())
        plot.emplace(result.channels, result.sampleRate);
    // A pair run alone takes every core; in a folder run each pair takes one.
    std::optional<BandThreads> bands;
    if (analysesBands)
        bands.emplace(result.channels, result.sampleRate, options.bandResolution,
                      std::min(result.a.info.frames, result.b.info.frames),
                      options.parallelPair ? bandThreadsFor(result.channels) : 1);

    std::unique_ptr<Report> report =
        options.json ? makeJsonReport(out, options.windows) : makeTextReport(out, options.bands);
    if (pluginTest)
        report->setPlugin(pluginTest->report());
    if (!estimateBeside)
        report->begin(result);
    const WindowSink sink = [&](const WindowResult& w) {
        if (options.windows)
            report->window(result, w);
        if (plot)
            plot->window(w, result.aligned ? result.aligned->offsetA : 0);
    };
    const BlockTap tap = [&](const std::vector<std::vector<double>>& blockA,
                             const std::vector<std::vector<double>>& blockB, std::int64_t frames) {
        if (residual)
            residual->block(blockA, blockB, frames);
        if (plot)
            plot->block(blockA, blockB, frames);
        if (bands)
            bands->block(blockA, blockB, frames);
    };
    if (!comparison.run(sink, tap, error))
        return inputError(error);
    if (bands)
        bands->finish();
    if (estimateBeside)
        report->begin(result);
    // The comparison's result with what the bands say added.
    ComparisonResult reported = result;
    // The bands' lines first: they say where a level difference lies, which
    // the broadband gain then need not repeat.
    if (bands) {
        std::vector<double> largest;
        for (const ChannelSummary& s : result.final().channels)
            largest.push_back(s.largestDifference);
        reported.bands = bands->bands();
        reported.diagnosis = diagnoseBands(reported.bands, result.sampleRate, largest);
    }
    const bool levelExplained =
        std::any_of(reported.diagnosis.begin(), reported.diagnosis.end(),
                    [](const std::string& line) { return line.find(" dB ") != std::string::npos; });
    for (std::string& line : diagnoseAlignment(result.alignment, result.sampleRate, levelExplained))
        reported.diagnosis.push_back(std::move(line));

    // Every output is complete before any is renamed into place, so a failed
    // run leaves none of them behind.
    Verdict verdict = decide(reported, options.rule);
    if (pluginTest)
        judgeLatency(pluginTest->report(), verdict);
    plux::files::StagedFile plotFile;
    if (plot) {
        const std::string bName = pluginTest ? outputLabel(pluginTest->report()) : result.b.path;
        const std::string title =
            pair ? result.a.path + ": left against right" : result.a.path + " against " + bName;
        PlotData data = plot->data(title, verdict.text);
        data.bands = reported.bands;
        const bool drawn =
            plotFile.begin(options.plot, error) && writePlotPng(plotFile, data, error);
        releasePlotCaches();
        if (!drawn)
            return inputError(error);
    }
    if (residual && !residual->commit(error))
        return inputError(error);
    if (plot && !plotFile.commit(error))
        return inputError(error);
    report->end(reported, verdict);
    outcome.verdict = verdict.text;
    return verdict.pass ? kPass : kFail;
}

}  // namespace nullmeter
