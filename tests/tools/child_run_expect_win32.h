// Child runs inside a test: a child that cannot start fails the test, and
// its output is searched for expected texts.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/tools/child_process_win32.h"

namespace plux::testing_support {

inline ChildResult runChildExpectingStart(const std::filesystem::path& program,
                                          const std::vector<std::string>& args,
                                          const std::filesystem::path& scratchDir) {
    ChildResult result;
    std::string error;
    EXPECT_TRUE(runChild(program, args, scratchDir, result, error)) << error;
    return result;
}

inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace plux::testing_support
