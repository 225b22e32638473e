// "--name=PATH" arguments of the test programs that are given the paths of
// the programs and plug-ins they drive.
#pragma once

#include <filesystem>
#include <string>

namespace plux::testing_support {

// True when arg is "--name=..."; out becomes the path, made absolute.
inline bool takePathOption(const std::string& arg, const char* name, std::filesystem::path& out) {
    const std::string prefix = std::string("--") + name + "=";
    if (arg.compare(0, prefix.size(), prefix) != 0)
        return false;
    out = std::filesystem::absolute(std::filesystem::u8path(arg.substr(prefix.size())));
    return true;
}

}  // namespace plux::testing_support
