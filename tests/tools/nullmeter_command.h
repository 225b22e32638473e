// Runs the nullmeter program (NULLMETER_PATH) as a user would, its output
// caught in files of a test's folder.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/wait.h>

namespace plux::testing_support {

struct CommandRun {
    int status = -1;
    std::string out, err;
};

inline std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::string lastLine(const std::string& text) {
    const std::size_t end = text.find_last_not_of('\n');
    const std::size_t start = text.rfind('\n', end);
    return text.substr(start == std::string::npos ? 0 : start + 1, end - start);
}

// `args` as the shell reads them; stdout and stderr go through files in `dir`.
inline CommandRun runNullmeter(const std::string& args, const std::filesystem::path& dir) {
    const std::filesystem::path out = dir / "stdout.txt";
    const std::filesystem::path err = dir / "stderr.txt";
    const std::string command =
        std::string(NULLMETER_PATH) + " " + args + " >" + out.string() + " 2>" + err.string();
    const int raw = std::system(command.c_str());
    CommandRun r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = slurp(out);
    r.err = slurp(err);
    return r;
}

}  // namespace plux::testing_support
