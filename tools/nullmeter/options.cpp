#include "tools/nullmeter/options.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "tools/nullmeter/channel_pair_meter.h"

// Plug-ins are DLLs on Windows and shared objects elsewhere.
#ifdef _WIN32
#define NULLMETER_PLUGIN_FILE "PLUGIN.dll"
#define NULLMETER_PLUGIN_OPTION "  --plugin FILE.dll  "
#else
#define NULLMETER_PLUGIN_FILE "PLUGIN.so"
#define NULLMETER_PLUGIN_OPTION "  --plugin FILE.so   "
#endif

namespace nullmeter {

const char* const kUsage =
    "Usage: nullmeter [options] A B\n"
    "  or:  nullmeter [options] PAIR\n"
    "  or:  nullmeter [options] --plugin " NULLMETER_PLUGIN_FILE " INPUT\n"
    "  or:  nullmeter [options] DIR_A DIR_B\n"
    "\n"
    "  A B          null test of file A against file B, channel by channel\n"
    "  PAIR         null test of a stereo file's left channel against its right\n"
    "  INPUT        with --plugin: INPUT against itself rendered through a VST 2.4 plug-in\n"
    "  DIR_A DIR_B  every audio file below DIR_A against the file of the same relative\n"
    "               path below DIR_B, one line per pair and a total\n"
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
    "  --bands [third]    a table per channel of level, null depth, gain and phase per octave\n"
    "                     (or third-octave) band; the JSON report always has them\n"
    "  --residual FILE    write A - B (after alignment) as 32-bit float: .wav .rf64 .w64 .aiff\n"
    "  --plot FILE.png    draw the level per window and the spectra of input and residual\n"
    "  --help, --version  print this text, or the release nullmeter belongs to\n"
    "\n"
    "Testing a plug-in: A is INPUT (or REF), B the plug-in's output, its reported latency\n"
    "dropped from the start; the latency measured from the output must be the reported one.\n"
    NULLMETER_PLUGIN_OPTION "render INPUT through the plug-in, its tail included\n"
    "  --reference REF    compare the output with REF instead of INPUT\n"
    "  --rate HZ          the host's sample rate; it must be INPUT's (the default)\n"
    "  --block N          frames per process call, 1 to 65536 (default 512)\n"
    "  --block random[:SEED]  a new size in 1 to 2048 for each call, from SEED (default 1)\n"
    "  --precision 32|64  processReplacing or processDoubleReplacing (default 32)\n"
    "\n"
    "Two folders: the pairs run in parallel; a file on one side only fails.\n"
    "  --junit FILE.xml   also write a JUnit XML report (one test case per pair)\n"
    "  --jobs N           pairs compared at once (default: one per core)\n"
    "\n"
    "Exit status: 0 pass, 1 fail (differs beyond the tolerance, a non-finite sample, or a\n"
    "plug-in that delays by other than its reported latency), 2 usage or input error (a\n"
    "plug-in that crashes included). The verdict is the last line of the text report.\n";

namespace {

bool number(const std::string& text, double& out) {
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtod(text.c_str(), &end);
    return errno == 0 && end != nullptr && *end == '\0' && std::isfinite(out);
}

// A whole number in first ... last, digits only.
bool integer(const std::string& text, long long first, long long last, long long& out) {
    if (text.empty() || text.size() > 18 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    out = std::stoll(text);
    return out >= first && out <= last;
}

constexpr long long kLargestBlock = 65536;
constexpr long long kHighestRate = 10000000;

// --block N, random or random:SEED.
bool blockOption(const std::string& text, Options& out) {
    long long n = 0;
    const std::string random = "random";
    if (text == random) {
        out.randomBlocks = true;
        return true;
    }
    if (text.rfind(random + ":", 0) == 0) {
        if (!integer(text.substr(random.size() + 1), 0, UINT32_MAX, n))
            return false;
        out.randomBlocks = true;
        out.blockSeed = static_cast<std::uint32_t>(n);
        return true;
    }
    if (!integer(text, 1, kLargestBlock, n))
        return false;
    out.randomBlocks = false;
    out.blockSize = static_cast<int>(n);
    return true;
}

}  // namespace

bool parseOptions(const std::vector<std::string>& args, Options& out, std::string& error) {
    bool ruleGiven = false;
    std::string pluginOnly;  // the last option that needs --plugin
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
            target = std::filesystem::u8path(args[++i]);
            return true;
        };
        if (arg == "-h" || arg == "--help") {
            out.help = true;
        } else if (arg == "--version") {
            out.version = true;
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
        } else if (arg == "--bands") {
            // The resolution is optional: a following file name stays an input.
            out.bands = true;
            if (i + 1 < args.size() && (args[i + 1] == "octave" || args[i + 1] == "third"))
                out.bandResolution =
                    args[++i] == "third" ? BandResolution::Third : BandResolution::Octave;
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
        } else if (arg == "--junit") {
            if (!path(out.junit))
                return false;
        } else if (arg == "--jobs") {
            double jobs = 0;
            if (!value(jobs))
                return false;
            if (!(jobs >= 1 && jobs <= 256 && jobs == std::floor(jobs))) {
                error = "--jobs " + args[i] + ": a whole number of 1 to 256";
                return false;
            }
            out.jobs = static_cast<int>(jobs);
        } else if (arg == "--plugin" || arg == "--reference") {
            if (!path(arg == "--plugin" ? out.plugin : out.reference))
                return false;
        } else if (arg == "--rate" || arg == "--block" || arg == "--precision") {
            pluginOnly = arg;
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return false;
            }
            const std::string& text = args[++i];
            long long n = 0;
            if (arg == "--rate") {
                if (!integer(text, 1, kHighestRate, n)) {
                    error = "--rate " + text + ": give the rate in Hz, a whole number";
                    return false;
                }
                out.rate = static_cast<int>(n);
            } else if (arg == "--block") {
                if (!blockOption(text, out)) {
                    error = "--block " + text + ": give 1 to 65536 frames, random or random:SEED";
                    return false;
                }
            } else {
                if (text != "32" && text != "64") {
                    error = "--precision " + text + ": give 32 or 64";
                    return false;
                }
                out.precision = text == "64" ? 64 : 32;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else {
            out.inputs.push_back(std::filesystem::u8path(arg));
        }
    }
    if (out.help || out.version)
        return true;
    if (!out.reference.empty())
        pluginOnly = "--reference";
    if (out.plugin.empty() && !pluginOnly.empty()) {
        error = pluginOnly + " goes with --plugin";
        return false;
    }
    if (!out.plugin.empty() && out.inputs.size() != 1) {
        error = "--plugin takes one input file, rendered through the plug-in";
        return false;
    }
    if (out.inputs.empty() || out.inputs.size() > 2) {
        error = out.inputs.empty() ? "give two files to compare, or one stereo file"
                                   : "give at most two files";
        return false;
    }
    return true;
}

}  // namespace nullmeter
