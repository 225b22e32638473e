// Script memory: a sparse array of doubles addressed by an int32 index and
// stored in blocks of 65536 entries that exist once touched.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

class CVexmoldMemory {
  public:
    std::map<int32_t, std::vector<double>> memoryBlocks;

    // Frees every block (part of the reset step).
    void clearMemory() { memoryBlocks.clear(); }

  protected:
    CVexmoldMemory() = default;
    ~CVexmoldMemory() = default;
};
