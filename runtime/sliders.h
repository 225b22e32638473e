// Slider records and the slider values that section code reads by number.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/hostqueries.h"

struct TVexmoldSlider {
    std::vector<std::string> optionNames;  // shown instead of the number when present
    bool optionsLoaded = false;
    int32_t valueIndex = 0;    // position of the value in sliderValues
    double* mirror = nullptr;  // receives every value the host sets, when not null
    double defaultValue = 0.0;
    double minimum = 0.0;
    double maximum = 0.0;
    double step = 0.0;
    std::string directory;  // folder of a file-list slider, relative to the plug-in
    std::string auxText;
    std::string label;
    std::string description;  // the name the host shows
};

class CVexmoldSliders : public CVexmoldPlux {
  public:
    static constexpr int kSliderValueCount = 128;

    // The slider section: runs after a slider value changed.
    virtual void doSlider() {}

    std::vector<double> sliderValues = std::vector<double>(kSliderValueCount, 0.0);

    // Slider access by number, as section code does it: the number becomes an
    // index and wraps modulo 128 (negative numbers included).
    double& slider(double number);

  protected:
    CVexmoldSliders() = default;
    ~CVexmoldSliders() = default;
};
