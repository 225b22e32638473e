// File handles: streams of float32 values with a position and a mode. Handle
// 0 is the state stream behind the host's state chunk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/strings.h"

struct TVexmoldFileHandle {
    enum Mode : int32_t { closed = 0, reading = 1, writing = 2 };

    std::string name;  // relative to the plug-in's folder; empty for the state stream
    int32_t position = 0;
    std::vector<float> data;
    uint8_t flags[2] = {0, 1};
    int32_t mode = closed;
    int64_t extra = 0;

    // Reads or writes one value at the position, as the mode says.
    void transferValue(double& value);
    // Writes the data, one byte per value, to the named file (write mode only).
    void flush() const;
    // Empties the handle for a new state transfer in the given mode.
    void resetForState(Mode newMode);
};

class CVexmoldFiles : public CVexmoldStrings {
  public:
    std::vector<TVexmoldFileHandle> fileHandles = std::vector<TVexmoldFileHandle>(1);

    // transferValue on the handle numbered h; an unknown handle does nothing.
    void transferValue(double h, double& value);

  protected:
    CVexmoldFiles() = default;
    ~CVexmoldFiles();  // flushes every write-mode handle with a name
};
