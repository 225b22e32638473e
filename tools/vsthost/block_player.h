// Feeds a resumed plug-in one block at a time, the way a host's audio
// callback does, for as long as the caller wants: the source loops, so a
// short file or a single block of silence lasts forever. Outputs are
// discarded. 32-bit processing only.
#pragma once

#include "tools/common/audio_file.h"
#include "tools/vsthost/host_callback.h"

#include <cstdint>
#include <vector>

namespace plux::vsthost {

class BlockPlayer {
  public:
    // Input k of the plug-in plays channel k mod N of `source`, which must
    // have at least one channel and one frame. Starts the host's transport.
    BlockPlayer(AEffect* effect, HostContext& host, audio::Audio source, VstInt32 blockSize);
    ~BlockPlayer();  // stops the transport
    BlockPlayer(const BlockPlayer&) = delete;
    BlockPlayer& operator=(const BlockPlayer&) = delete;

    // One processReplacing call of blockSize frames.  // audio thread
    void playBlock();
    std::uint64_t framesPlayed() const { return played_; }

  private:
    AEffect* effect_;
    HostContext& host_;
    audio::Audio source_;
    std::size_t position_ = 0;  // next source frame
    std::uint64_t played_ = 0;
    std::vector<std::vector<float>> in_, out_;
    std::vector<float*> inPtr_, outPtr_;
};

}  // namespace plux::vsthost
