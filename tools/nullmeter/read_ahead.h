// Decodes a file on a thread of its own, a few blocks ahead of the reader,
// so that decoding A, decoding B and measuring them use all the cores.
// Memory stays kBlocks blocks of interleaved frames.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/common/audio_file.h"
#include "tools/nullmeter/thread_sync.h"

namespace nullmeter {

class ReadAhead {
  public:
    static constexpr int kBlocks = 4;

    // Work on each decoded block (the kept channels, interleaved) done on
    // the decoding thread too: it appends what it makes of the block to
    // `derived`, and is called once more with no frames at the end, to give
    // out what it still holds. False on failure, with `error` set.
    using Stage = std::function<bool(const double* frames, std::int64_t count,
                                     std::vector<double>& derived, std::string& error)>;

    // Starts decoding `reader` from where it stands, `blockFrames` frames at
    // a time, keeping the file's channels `channels` in that order; the
    // reader belongs to this thread until the object is gone.
    ReadAhead(plux::audio::Reader& reader, std::int64_t blockFrames, std::vector<int> channels,
              Stage stage = nullptr);
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The next block of the kept channels into `interleaved` (resized): its
    // frame count, 0 at the end, -1 on a read error (`error` says which).
    // What the stage made of the block goes into `derived` (at the end: what
    // the stage gave out last, once).
    std::int64_t next(std::vector<double>& interleaved, std::vector<double>& derived,
                      std::string& error);

  private:
    struct Block {
        std::vector<double> samples, derived;
        std::int64_t frames = 0;  // 0: the end; -1: an error
    };
    void decode();

    plux::audio::Reader& reader_;
    std::int64_t blockFrames_;
    std::vector<int> channels_;
    Stage stage_;
    Mutex mutex_;
    ConditionVariable changed_;
    Block ring_[kBlocks];
    int head_ = 0, count_ = 0;  // the oldest decoded block and how many wait
    bool stop_ = false;
    std::string error_;
    std::thread thread_;
};

// Whether `channels` are all of a file's `fileChannels`, in order: its frames
// then need no selection.
bool keepsEveryChannel(const std::vector<int>& channels, int fileChannels);

}  // namespace nullmeter
