// A folder of the run's own in the system's temporary directory, for files
// needed only while the run lasts (a plug-in's rendered output). It goes,
// with everything in it, when the object does, on every way out of the run;
// a crash (a plug-in that crashes, most likely) or SIGINT / SIGTERM removes
// it too before the process ends. One folder is active at a time.
#pragma once

#include <filesystem>
#include <string>

namespace nullmeter {

class ScratchFolder {
  public:
    ScratchFolder() = default;
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // A new folder "<prefix>-<process id>-<random>"; false with `error` set
    // when none can be made, or when another folder is active.
    bool create(const std::string& prefix, std::string& error);
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace nullmeter
