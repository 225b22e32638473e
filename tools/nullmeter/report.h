// What the tool prints: for people (text, the verdict on the last line) or
// for machines (one JSON object). Windows are printed as they close, so the
// per-window table costs no memory however long the files are.
#pragma once

#include <cstdio>
#include <memory>

#include "tools/nullmeter/file_comparison.h"
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
};

std::unique_ptr<Report> makeTextReport(std::FILE* out);
std::unique_ptr<Report> makeJsonReport(std::FILE* out, bool windows);

}  // namespace nullmeter
