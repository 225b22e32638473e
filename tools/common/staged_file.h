// An output that appears under its name only when complete. The content is
// written to a temporary file beside the target (so the final rename stays on
// one file system), and commit() renames it into place: the target is the old
// file, or the whole new one, never a part. A symbolic link is written
// through: the temporary goes beside the file it leads to, and the link stays.
// A staged file destroyed without a successful commit() removes its
// temporary, so a failed run leaves nothing behind.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace plux::files {

class StagedFile {
  public:
    StagedFile() = default;
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Resolves the target (see resolveOutput) and names the temporary; the
    // caller creates and writes it. False with `error` set when the output
    // may not be written there.
    bool begin(const std::filesystem::path& requested, std::string& error);
    const std::filesystem::path& temporary() const { return temporary_; }
    const std::filesystem::path& target() const { return target_; }
    // The name the user gave, for messages.
    const std::filesystem::path& requested() const { return requested_; }

    // Writes `size` bytes as the whole temporary, for contents made in memory.
    bool writeAll(const void* data, std::size_t size, std::string& error);

    // Renames the written temporary over the target. A target that existed
    // keeps its permissions.
    bool commit(std::string& error);
    // Removes the temporary, if any; the target is left as it was.
    void discard() noexcept;

  private:
    std::filesystem::path requested_, target_, temporary_;
};

}  // namespace plux::files
