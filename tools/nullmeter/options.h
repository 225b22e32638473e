// The command line of the null-test tool.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/nullmeter/band_analysis.h"
#include "tools/nullmeter/verdict.h"

namespace nullmeter {

struct Options {
    std::vector<std::filesystem::path> inputs;  // A and B, or one stereo file
    double windowSeconds = 1.0;
    double searchSeconds = 1.0;
    bool align = false;
    bool windows = false;
    bool json = false;
    bool bands = false;  // the band table in the text report
    BandResolution bandResolution = BandResolution::Octave;
    bool help = false;
    bool version = false;
    VerdictRule rule;
    std::filesystem::path residual, plot;
    // --plugin: B is the one input rendered through this VST 2.4 plug-in, A
    // the input itself or --reference.
    std::filesystem::path plugin, reference;
    int rate = 0;  // --rate: 0 for the input's own
    int blockSize = 512;
    bool randomBlocks = false;
    std::uint32_t blockSeed = 1;
    int precision = 32;
    // Two folders: the file the JUnit report goes to, and how many pairs run
    // at once (0: one per core).
    std::filesystem::path junit;
    int jobs = 0;
    // Not an option: false where pairs already run side by side, so that
    // one pair does not also spread its channels over the cores.
    bool parallelPair = true;
};

// `args` are UTF-8, file names included. False with `error` set for
// anything it cannot take: unknown options, missing or malformed values, a
// window that is not one of the meter's steps, a search range outside
// 0 ... 10 s, one or more than two inputs; with --plugin one input, a block
// of 1 ... 65536 frames (or random), a precision of 32 or 64, and those
// options only with --plugin.
bool parseOptions(const std::vector<std::string>& args, Options& out, std::string& error);

extern const char* const kUsage;

}  // namespace nullmeter
