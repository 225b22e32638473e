// nullmeter: the null test of two audio files, of the two channels of one
// stereo file, of a file against itself rendered through a VST 2.4 plug-in,
// or of two folders of renders, measured by the null-test plug-in's own
// meter. Prints a report (text or JSON) whose last line is the verdict;
// exit status 0 pass, 1 fail, 2 usage or input error.
#include "tools/nullmeter/command.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "tools/common/release.h"
#include "tools/nullmeter/folder_run.h"
#include "tools/nullmeter/options.h"
#include "tools/nullmeter/pair_run.h"

namespace {

using namespace nullmeter;

int inputError(const std::string& message) {
    std::fprintf(stderr, "nullmeter: %s\n", message.c_str());
    return kError;
}

bool isFolder(const std::filesystem::path& path) {
    std::error_code failure;
    return std::filesystem::is_directory(path, failure);
}

int run(const Options& options) {
    const bool folders =
        options.inputs.size() == 2 && isFolder(options.inputs[0]) && isFolder(options.inputs[1]);
    std::string error;
    if (folders) {
        const int status = runFolders(options, stdout, error);
        return status == kError ? inputError(error) : status;
    }
    if (!options.junit.empty() || options.jobs != 0)
        return inputError("--junit and --jobs are for two folders of files");
    Outcome outcome;
    const int status = runComparison(options, stdout, outcome);
    return status == kError ? inputError(outcome.error) : status;
}

}  // namespace

namespace nullmeter {

int runCommand(const std::vector<std::string>& args) {
    Options options;
    std::string error;
    if (!parseOptions(args, options, error)) {
        std::fprintf(stderr, "nullmeter: %s\n\n%s", error.c_str(), kUsage);
        return kError;
    }
    if (options.help || options.version) {
        const std::string text = options.help ? kUsage : plux::tools::versionLine("nullmeter");
        return std::fputs(text.c_str(), stdout) < 0 ? kError : kPass;
    }
    try {
        return run(options);
    } catch (const std::exception& e) {
        return inputError(std::string("stopped: ") + e.what());
    }
}

}  // namespace nullmeter
