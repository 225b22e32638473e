#include "tools/nullmeter/scratch_folder.h"

#include <cstdio>
#include <random>
#include <system_error>

#include "tools/nullmeter/scratch_folder_cleanup.h"

namespace nullmeter {

namespace {

std::string randomName(const std::string& prefix) {
    static std::mt19937 generator(std::random_device{}());
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(generator()));
    return prefix + "-" + std::to_string(cleanup::processId()) + "-" + hex;
}

}  // namespace

bool ScratchFolder::create(const std::string& prefix, std::string& error) {
    namespace fs = std::filesystem;
    if (!path_.empty()) {
        error = "a temporary folder is already in use";
        return false;
    }
    std::error_code ec;
    const fs::path base = fs::temp_directory_path(ec);
    if (ec) {
        error = "no temporary directory: " + ec.message();
        return false;
    }
    fs::path made;
    for (int attempt = 0; attempt < 100 && made.empty(); ++attempt) {
        const fs::path candidate = base / fs::u8path(randomName(prefix));
        if (fs::create_directory(candidate, ec))
            made = candidate;
        else if (ec)
            break;
    }
    if (made.empty()) {
        error = "cannot make a temporary folder in " + base.u8string() +
                (ec ? ": " + ec.message() : "");
        return false;
    }
    if (!cleanup::arm(made, error)) {
        fs::remove(made, ec);
        return false;
    }
    path_ = made;
    return true;
}

ScratchFolder::~ScratchFolder() {
    if (path_.empty())
        return;
    cleanup::disarm();
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

}  // namespace nullmeter
