// Runs the nullmeter program (NULLMETER_PATH) as a user would, its output
// caught in files of a test's folder: through the shell natively, as a
// child process of its own under Wine.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include "tests/tools/child_process_win32.h"
#else
#include <sys/wait.h>
#endif

namespace plux::testing_support {

struct CommandRun {
    int status = -1;
    std::string out, err;
};

inline std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::string lastLine(const std::string& text) {
    const std::size_t end = text.find_last_not_of('\n');
    const std::size_t start = text.rfind('\n', end);
    return text.substr(start == std::string::npos ? 0 : start + 1, end - start);
}

// Each argument as it is (UTF-8), spaces and all.
inline CommandRun runNullmeter(const std::vector<std::string>& args,
                               const std::filesystem::path& dir) {
    CommandRun r;
#ifdef _WIN32
    ChildResult child;
    std::string error;
    if (!runChild(std::filesystem::u8path(NULLMETER_PATH), args, dir, child, error)) {
        r.err = error;
        return r;
    }
    r.status = static_cast<int>(child.exitCode);
    r.out = child.out;
    r.err = child.err;
#else
    const std::filesystem::path out = dir / "stdout.txt";
    const std::filesystem::path err = dir / "stderr.txt";
    // In single quotes, the shell takes every byte as it is but the quote.
    const auto quoted = [](const std::string& arg) {
        std::string q = "'";
        for (char c : arg)
            q += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return q + "'";
    };
    std::string command = quoted(NULLMETER_PATH);
    for (const std::string& arg : args)
        command += " " + quoted(arg);
    command += " >" + quoted(out.string()) + " 2>" + quoted(err.string());
    const int raw = std::system(command.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = slurp(out);
    r.err = slurp(err);
#endif
    return r;
}

// `args` split at spaces, as the shell splits words without quotes.
inline CommandRun runNullmeter(const std::string& args, const std::filesystem::path& dir) {
    std::istringstream words(args);
    std::vector<std::string> split;
    for (std::string word; words >> word;)
        split.push_back(word);
    return runNullmeter(split, dir);
}

}  // namespace plux::testing_support
