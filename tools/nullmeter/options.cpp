#include "tools/nullmeter/options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "tools/nullmeter/channel_pair_meter.h"

namespace nullmeter {

const char* const kUsage =
    "usage: nullmeter [options] A B    null test of file A against file B, channel by channel\n"
    "       nullmeter [options] PAIR   null test of a stereo file's left channel against its right\n"
    "\n"
    "Each channel pair is measured by the null-test plug-in's own meter (A as left, B as\n"
    "right): RMS and peak of left, right, mid (L + R) / 2 and side (L - R) / 2, in dB FS\n"
    "and in bits below full scale. Files: WAV, RF64, W64, AIFF, FLAC.\n"
    "\n"
    "  --window SECONDS   measuring window: 0.1 to 10 in steps of 0.1 (default 1)\n"
    "  --windows          print every window, not only the whole-file summary\n"
    "  --search SECONDS   alignment search range, +- SECONDS (default 1, at most 10)\n"
    "  --align            shift, invert and scale B as the alignment estimates, then measure\n"
    "  --bits N           pass when the side peak is at least N bits below full scale\n"
    "  --db LEVEL         pass when the side peak is at or below LEVEL dB FS\n"
    "                     (default: pass only when every compared sample is equal)\n"
    "  --json             print one JSON object instead of text\n"
    "  --residual FILE    write A - B (after alignment) as 32-bit float: .wav .rf64 .w64 .aiff\n"
    "  --plot FILE.png    draw the level per window and the spectra of input and residual\n"
    "\n"
    "Exit status: 0 pass, 1 fail (differs beyond the tolerance, or a non-finite sample),\n"
    "2 usage or input error. The verdict is the last line of the text report.\n";

namespace {

bool number(const std::string& text, double& out) {
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtod(text.c_str(), &end);
    return errno == 0 && end != nullptr && *end == '\0' && std::isfinite(out);
}

}  // namespace

bool parseOptions(const std::vector<std::string>& args, Options& out, std::string& error) {
    bool ruleGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&](double& target) {
            if (i + 1 >= args.size() || !number(args[i + 1], target)) {
                error = arg + " needs a number";
                return false;
            }
            ++i;
            return true;
        };
        const auto path = [&](std::filesystem::path& target) {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                error = arg + " needs a file name";
                return false;
            }
            target = args[++i];
            return true;
        };
        if (arg == "-h" || arg == "--help") {
            out.help = true;
        } else if (arg == "--window") {
            double seconds = 0;
            if (!value(seconds))
                return false;
            out.windowSeconds = meterWindowSeconds(seconds);
            if (out.windowSeconds == 0.0) {
                error = "--window " + args[i] +
                        ": the meter's windows are 0.1 to 10 s in steps of 0.1 s";
                return false;
            }
        } else if (arg == "--search") {
            if (!value(out.searchSeconds))
                return false;
            if (!(out.searchSeconds >= 0.0 && out.searchSeconds <= 10.0)) {
                error = "--search " + args[i] + ": the range is 0 to 10 s";
                return false;
            }
        } else if (arg == "--bits" || arg == "--db") {
            if (ruleGiven) {
                error = "give one of --bits and --db";
                return false;
            }
            ruleGiven = true;
            out.rule.kind = arg == "--bits" ? VerdictRule::Kind::Bits : VerdictRule::Kind::Db;
            if (!value(out.rule.threshold))
                return false;
        } else if (arg == "--align") {
            out.align = true;
        } else if (arg == "--windows") {
            out.windows = true;
        } else if (arg == "--json") {
            out.json = true;
        } else if (arg == "--residual") {
            if (!path(out.residual))
                return false;
        } else if (arg == "--plot") {
            if (!path(out.plot))
                return false;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else {
            out.inputs.emplace_back(arg);
        }
    }
    if (out.help)
        return true;
    if (out.inputs.empty() || out.inputs.size() > 2) {
        error = out.inputs.empty() ? "give two files to compare, or one stereo file"
                                   : "give at most two files";
        return false;
    }
    return true;
}

}  // namespace nullmeter
