// Runs a program as a child process and collects its exit status and output,
// for tests that drive command-line tools.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace plux::testing_support {

struct ChildResult {
    unsigned long exitCode = 0;
    std::string out;  // stdout bytes
    std::string err;  // stderr bytes
};

// Arguments are UTF-8. Output goes through files in `scratchDir` (no pipes,
// so a chatty child cannot block). Fails only if the child cannot start.
bool runChild(const std::filesystem::path& program, const std::vector<std::string>& args,
              const std::filesystem::path& scratchDir, ChildResult& result, std::string& error);

// One argument quoted so that the C runtime's parser gives it back unchanged.
std::wstring quoteArgument(const std::wstring& arg);

}  // namespace plux::testing_support
