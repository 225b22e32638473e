// Numbered string slots filled and read by section code, and the numbered
// file names (relative to the plug-in's folder) of images and data files.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "runtime/description.h"

class CVexmoldStrings : public CVexmoldDescription {
  public:
    std::map<int32_t, std::string> stringSlots;
    std::map<int32_t, std::string> fileNames;
    double stringSlotCount = 0.0;  // number of slots after the last lookup

    // The slot numbered n (converted by the index rule), created empty when
    // missing: reading a missing slot creates it.
    std::string& stringSlot(double n);
    void assignStringSlot(double n, const std::string& text);
    // The file name stored under n, or null.
    const std::string* fileName(double n) const;

    void clearStringSlots();

  protected:
    CVexmoldStrings() = default;
    ~CVexmoldStrings() = default;
};
