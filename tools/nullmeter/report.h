// What the tool prints: for people (text, the verdict on the last line) or
// for machines (one JSON object). Windows are printed as they close, so the
// per-window table costs no memory however long the files are.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>

#include "tools/nullmeter/file_comparison.h"
#include "tools/nullmeter/plugin_report.h"
#include "tools/nullmeter/verdict.h"

namespace nullmeter {

class Report {
  public:
    virtual ~Report() = default;
    // After the alignment estimate, before the measuring pass.
    virtual void begin(const ComparisonResult& result) = 0;
    // Each window of the final measurement, when the table was asked for.
    virtual void window(const ComparisonResult& result, const WindowResult& w) = 0;
    virtual void end(const ComparisonResult& result, const Verdict& verdict) = 0;

    // The plug-in B was rendered through (--plugin), before begin().
    void setPlugin(const PluginReport& plugin) { plugin_ = plugin; }

  protected:
    std::optional<PluginReport> plugin_;
};

// With `bands`, each channel's summary ends with its table of bands.
std::unique_ptr<Report> makeTextReport(std::FILE* out, bool bands = false);
std::unique_ptr<Report> makeJsonReport(std::FILE* out, bool windows);

}  // namespace nullmeter
