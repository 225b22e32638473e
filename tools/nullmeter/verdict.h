// Pass or fail of a null test, and the line that says why.
#pragma once

#include <string>

#include "tools/nullmeter/file_comparison.h"

namespace nullmeter {

struct VerdictRule {
    enum class Kind {
        Identical,  // every compared sample equal (the default)
        Bits,       // the side's peak at least `threshold` bits below full scale
        Db,         // the side's peak at or below `threshold` dB FS
    };
    Kind kind = Kind::Identical;
    double threshold = 0;
};

struct Verdict {
    bool pass = false;
    std::string text;  // "PASS: ..." or "FAIL: ..."
    std::string criterion;  // "identical", "bits" or "db"
    double threshold = 0;
};

// A non-finite sample in either input always fails.
Verdict decide(const ComparisonResult& result, const VerdictRule& rule);

}  // namespace nullmeter
