// Writes 32-bit pixels to a PNG file: through GDI+ on Windows, cairo elsewhere.
#pragma once

#include <cstdint>
#include <string>

namespace plux::vsthost {

// `pixels` holds height rows of width values, top row first, each 0xXXRRGGBB
// (the layout of a 32-bit DIB; the top byte is ignored). False with a message
// naming the file when it cannot be written.
bool writePngFile(const std::string& utf8Path, int width, int height, const std::uint32_t* pixels,
                  std::string& error);

}  // namespace plux::vsthost
