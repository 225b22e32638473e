// Writes 32-bit pixels to a PNG file: through GDI+ on Windows, cairo elsewhere.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "tools/common/staged_file.h"

namespace plux::vsthost {

// `pixels` holds height rows of width values, top row first, each 0xXXRRGGBB
// (the layout of a 32-bit DIB; the top byte is ignored). Writes the PNG as the
// temporary of `file` (begun by the caller, who commits it with any other
// outputs). False with a message naming the file when it cannot be written.
bool writePng(files::StagedFile& file, int width, int height, const std::uint32_t* pixels,
              std::string& error);

// The same as a file of its own, renamed into place once complete.
inline bool writePngFile(const std::string& utf8Path, int width, int height,
                         const std::uint32_t* pixels, std::string& error) {
    files::StagedFile file;
    return file.begin(std::filesystem::u8path(utf8Path), error) &&
           writePng(file, width, height, pixels, error) && file.commit(error);
}

}  // namespace plux::vsthost
