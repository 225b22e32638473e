// nullmeter --plugin: the input rendered through the plug-in into a folder
// of the run's own, and the plug-in's latency measured from its
// uncompensated output. The comparison then runs on A (the input, or the
// reference) and B (the compensated output) as on any two files; the
// rendered files go when this object does. Files rather than a feed of
// blocks straight into the comparison: it reads B twice (the alignment
// excerpt, then the measuring pass), the latency estimate needs the
// uncompensated output as well, and memory stays a few blocks however long
// the input.
#pragma once

#include "tools/nullmeter/file_comparison.h"
#include "tools/nullmeter/options.h"
#include "tools/nullmeter/plugin_report.h"
#include "tools/nullmeter/scratch_folder.h"

namespace nullmeter {

class PluginTest {
  public:
    // Renders and measures; false with `error` set for anything that stops
    // the test (a file or a plug-in that cannot be used, a refused rate or
    // precision), the message naming the file.
    bool prepare(const Options& options, std::string& error);

    const Input& a() const { return a_; }
    const Input& b() const { return b_; }
    const PluginReport& report() const { return report_; }

  private:
    bool measureLatency(const Options& options, const std::filesystem::path& raw, int rate,
                        std::string& error);

    ScratchFolder folder_;
    Input a_, b_;
    PluginReport report_;
};

}  // namespace nullmeter
