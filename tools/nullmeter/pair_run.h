// One null test as the command line asks for it: two files (or a stereo
// file's channels, or a file through a plug-in) compared, the report printed
// and the outputs written.
#pragma once

#include <cstdio>
#include <string>

#include "tools/nullmeter/options.h"

namespace nullmeter {

constexpr int kPass = 0, kFail = 1, kError = 2;

struct Outcome {
    std::string verdict;  // the verdict line, when the comparison ran
    std::string error;    // why it could not, for exit status 2
};

// The report goes to `out`; answers kPass, kFail or kError.
int runComparison(const Options& options, std::FILE* out, Outcome& outcome);

}  // namespace nullmeter
