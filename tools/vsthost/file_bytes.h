// Whole-file binary reads and writes for state chunks. Paths are UTF-8.
// Only regular files are read; a written file appears only when complete.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plux::vsthost {

bool readBytes(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error);
bool writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes,
                std::string& error);

}  // namespace plux::vsthost
