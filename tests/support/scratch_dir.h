// Directories for the files a test process writes, private to that process
// (parallel CTest jobs and concurrent build trees share the system temp
// directory) and removed when their owner goes.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace plux::testing_support {

inline long processId() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<long>(getpid());
#endif
}

// Each one is a folder of its own: under Wine every case of a test program
// runs in one process, and one fixture's folder going must not take
// another's along.
class ScratchDir {
  public:
    ScratchDir() {
        static int made = 0;
        path_ = std::filesystem::path(::testing::TempDir()) /
                ("plux_tools_test_" + std::to_string(processId()) + "_" + std::to_string(made++));
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// The process's scratch directory, created on first use.
inline const std::filesystem::path& scratchDir() {
    static const ScratchDir dir;
    return dir.path();
}

// A fresh, empty directory of that name in the scratch directory, one per
// test, so that "nothing left behind" can be checked.
inline std::filesystem::path freshDir(const std::string& name) {
    const std::filesystem::path dir = scratchDir() / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace plux::testing_support
