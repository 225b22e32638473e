// The null test of two folders of renders: the audio files paired by
// relative path, compared in parallel, one line per pair and a total, and
// optionally a JUnit XML report for CI servers.
#pragma once

#include <cstdio>
#include <string>

#include "tools/nullmeter/options.h"

namespace nullmeter {

// Answers 0 when every pair passes, 1 when any fails or misses a side, 2
// for an error before any comparison (`error` says which).
int runFolders(const Options& options, std::FILE* out, std::string& error);

}  // namespace nullmeter
