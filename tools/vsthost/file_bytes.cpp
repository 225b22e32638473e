#include "tools/vsthost/file_bytes.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace plux::vsthost {

bool readBytes(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
    bytes.clear();
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "cannot read " + path;
        return false;
    }
    return true;
}

bool writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes,
                std::string& error) {
    std::ofstream out(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
    if (!out) {
        error = "cannot create " + path;
        return false;
    }
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace plux::vsthost
