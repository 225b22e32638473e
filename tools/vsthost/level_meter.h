// Peak and RMS levels of a rendered channel, as `vsthost render` reports them.
#pragma once

#include <string>
#include <vector>

namespace plux::vsthost {

struct Levels {
    double peak = 0.0;  // largest |x|, linear
    double rms = 0.0;   // linear
};

Levels measure(const std::vector<double>& samples);

// 20 log10(x); -infinity for 0.
double toDecibels(double linear);

// "-6.02", "-inf" or "nan", for printing.
std::string formatDecibels(double linear);

}  // namespace plux::vsthost
