// Writes 32-bit pixels to a PNG file through GDI+.
#pragma once

#include <cstdint>
#include <string>

namespace plux::vsthost {

// `pixels` holds height rows of width values, top row first, each 0xXXRRGGBB
// (the layout of a 32-bit DIB; the top byte is ignored). Starts and shuts
// down GDI+ around the write.
bool writePngFile(const std::string& utf8Path, int width, int height, const std::uint32_t* pixels,
                  std::string& error);

}  // namespace plux::vsthost
