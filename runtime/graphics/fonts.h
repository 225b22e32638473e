// The script's font table: font slot number to family name.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "runtime/files.h"

class CVexmoldFonts : public CVexmoldFiles {
  public:
    std::map<int32_t, std::string> fontTable;

  protected:
    CVexmoldFonts() = default;
    ~CVexmoldFonts() = default;
};
