// The command line of the null-test tool.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/nullmeter/verdict.h"

namespace nullmeter {

struct Options {
    std::vector<std::filesystem::path> inputs;  // A and B, or one stereo file
    double windowSeconds = 1.0;
    double searchSeconds = 1.0;
    bool align = false;
    bool windows = false;
    bool json = false;
    bool help = false;
    VerdictRule rule;
    std::filesystem::path residual, plot;
};

// False with `error` set for anything it cannot take: unknown options,
// missing or malformed values, a window that is not one of the meter's
// steps, a search range outside 0 ... 10 s, one or more than two inputs.
bool parseOptions(const std::vector<std::string>& args, Options& out, std::string& error);

extern const char* const kUsage;

}  // namespace nullmeter
