#include "tools/vsthost/file_bytes.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tools/common/file_paths.h"
#include "tools/common/staged_file.h"

namespace plux::vsthost {

bool readBytes(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
    bytes.clear();
    const std::filesystem::path file = std::filesystem::u8path(path);
    if (!files::checkInput(file, error))
        return false;
    std::ifstream in(file, std::ios::binary);
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
    files::StagedFile file;
    return file.begin(std::filesystem::u8path(path), error) &&
           file.writeAll(bytes.data(), bytes.size(), error) && file.commit(error);
}

}  // namespace plux::vsthost
