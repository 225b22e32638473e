// A JUnit XML report, the format CI servers read and display: one test
// suite, one test case per compared pair.
#pragma once

#include <string>
#include <vector>

namespace nullmeter {

struct JunitCase {
    std::string name;     // the pair's relative path
    bool failed = false;  // a failing pair or a missing file
    std::string message;  // the verdict line
    double seconds = 0;
    std::string output;  // the pair's report, shown under the case
};

// The whole document; names, messages and output are escaped for XML
// (characters XML 1.0 cannot hold become U+FFFD).
std::string junitXml(const std::string& suite, const std::vector<JunitCase>& cases);

}  // namespace nullmeter
