// Opens a file through libsndfile by its path as the system spells it: bytes
// on POSIX systems, UTF-16 on Windows, so that any file name opens (spaces
// and non-ASCII characters included).
#pragma once

#include <sndfile.h>

#include <filesystem>

namespace plux::audio {

// sf_open for a path; null on failure, with sf_strerror(nullptr) saying why.
SNDFILE* openSoundFile(const std::filesystem::path& path, int mode, SF_INFO* info);

}  // namespace plux::audio
