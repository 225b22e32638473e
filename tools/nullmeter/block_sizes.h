// The length of each process call when a plug-in is tested: one size
// throughout, or a new random size for every call. The random sizes come
// from a seeded std::mt19937, whose output the standard fixes, so a seed
// gives the same sizes on every system and a failure at some pattern of
// block lengths repeats.
#pragma once

#include <cstdint>
#include <random>

namespace nullmeter {

class BlockSizes {
  public:
    static constexpr int kRandomLargest = 2048;

    static BlockSizes fixed(int frames) { return BlockSizes(frames, false, 0); }
    static BlockSizes random(std::uint32_t seed) { return BlockSizes(kRandomLargest, true, seed); }

    // The size of the next call: 1 ... largest().
    int next() {
        if (!random_)
            return largest_;
        // 2^32 is a multiple of 2048: every size is equally likely.
        return 1 + static_cast<int>(generator_() % static_cast<std::uint32_t>(kRandomLargest));
    }
    // What the plug-in is told with effSetBlockSize.
    int largest() const { return largest_; }
    bool isRandom() const { return random_; }
    std::uint32_t seed() const { return seed_; }

  private:
    BlockSizes(int largest, bool random, std::uint32_t seed)
        : largest_(largest), random_(random), seed_(seed), generator_(seed) {}

    int largest_;
    bool random_;
    std::uint32_t seed_;
    std::mt19937 generator_;
};

}  // namespace nullmeter
