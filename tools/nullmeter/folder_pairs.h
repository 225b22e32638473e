// The audio files of two folders paired by their path below each folder, as
// a suite of renders is compared with its golden files.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace nullmeter {

struct FilePair {
    std::string relative;  // with forward slashes, the same on every system
    std::filesystem::path a, b;
    bool inA = false, inB = false;  // a file on one side only fails
};

// Every audio file (.wav .rf64 .w64 .aif .aiff .flac, any case) under
// either folder, recursively, sorted by relative path. False with `error`
// set when a folder cannot be listed.
bool pairFolders(const std::filesystem::path& folderA, const std::filesystem::path& folderB,
                 std::vector<FilePair>& pairs, std::string& error);

}  // namespace nullmeter
