// The latest value one side publishes for the other to read, without either
// ever waiting for the other: three slots, one the writer fills, one the
// reader holds, and one between them that they trade through an atomic
// index. A read gets the newest whole value published so far (the initial
// one before the first publish); values published in between are skipped.
//
// One writer at a time and one reader at a time. Either may move between
// threads when something else orders its calls (a lock both callers take,
// a join).
#pragma once

#include <atomic>
#include <cstdint>

namespace vexmold {

template <typename Value> class TripleBuffer {
  public:
    // Writer side: wait-free, allocates nothing.
    void publish(const Value& value) {
        slots[writing] = value;
        const uint8_t previous =
            between.exchange(static_cast<uint8_t>(writing | kFresh), std::memory_order_acq_rel);
        writing = previous & kSlot;
    }

    // Reader side: wait-free. Copies the newest value into `out`; answers
    // whether it is newer than what the previous read got.
    bool read(Value& out) {
        const bool fresh = (between.load(std::memory_order_relaxed) & kFresh) != 0;
        if (fresh)
            reading = between.exchange(reading, std::memory_order_acq_rel) & kSlot;
        out = slots[reading];
        return fresh;
    }

  private:
    static constexpr uint8_t kSlot = 3;   // the index bits
    static constexpr uint8_t kFresh = 4;  // set by publish, cleared by read

    Value slots[3]{};
    uint8_t writing = 0;  // the writer's own slot
    uint8_t reading = 1;  // the reader's own slot
    std::atomic<uint8_t> between{2};
};

}  // namespace vexmold
