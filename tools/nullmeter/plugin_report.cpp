#include "tools/nullmeter/plugin_report.h"

namespace nullmeter {

namespace {

std::string frames(std::int64_t n) {
    return std::to_string(n) + (n == 1 ? " frame" : " frames");
}

}  // namespace

std::string blocksText(const PluginReport& p) {
    if (p.randomBlocks)
        return "random blocks of 1 to " + frames(p.blockSize) + " (seed " +
               std::to_string(p.blockSeed) + ")";
    return "blocks of " + frames(p.blockSize);
}

std::string hostingText(const PluginReport& p) {
    return p.name + " (" + p.path + "), " + std::to_string(p.inputs) + " in / " +
           std::to_string(p.outputs) + " out, " + blocksText(p) + ", " +
           std::to_string(p.precision) + "-bit, tail " + frames(p.tailFrames);
}

std::string outputLabel(const PluginReport& p) {
    return "output of " + p.path + ", latency compensated";
}

std::string latencyText(const PluginReport& p) {
    const std::string reports = "the plug-in reports " + frames(p.reportedLatency) + " of latency";
    if (!p.measuredLatency)
        return reports + "; its delay cannot be measured (nothing in the output correlates with "
                         "the input)";
    const std::int64_t measured = *p.measuredLatency;
    if (measured == p.reportedLatency)
        return reports + " and delays by " + frames(measured) + ", as reported";
    if (measured < 0)
        return reports + " but its output leads the input by " + frames(-measured);
    return reports + " but delays by " + frames(measured);
}

void judgeLatency(const PluginReport& p, Verdict& verdict) {
    if (p.latencyMatches().value_or(true))
        return;
    // The comparison's own finding follows, without its PASS or FAIL.
    std::string finding = verdict.text;
    for (const char* word : {"PASS: ", "FAIL: "}) {
        if (finding.rfind(word, 0) == 0)
            finding.erase(0, std::string(word).size());
    }
    verdict.pass = false;
    verdict.text = "FAIL: latency misreported (reports " + frames(p.reportedLatency) +
                   ", measured " + frames(*p.measuredLatency) + "); " + finding;
}

}  // namespace nullmeter
