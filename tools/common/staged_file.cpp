#include "tools/common/staged_file.h"

#include <cstdint>
#include <exception>
#include <fstream>
#include <random>
#include <system_error>

#include "tools/common/file_paths.h"

namespace plux::files {
namespace fs = std::filesystem;

namespace {

// A suffix no other writer of the same name picks: concurrent runs (and
// parallel tests) may write one target at once, and the last rename wins.
std::string uniqueSuffix() {
    static std::mt19937_64 generator{std::random_device{}()};
    static const char digits[] = "0123456789abcdef";
    std::string suffix = ".partial-";
    std::uint64_t bits = generator();
    for (int i = 0; i < 12; ++i, bits >>= 4)
        suffix += digits[bits & 0xF];
    return suffix;
}

}  // namespace

StagedFile::~StagedFile() {
    discard();
}

bool StagedFile::begin(const fs::path& requested, std::string& error) {
    discard();
    try {
        requested_ = requested;
        fs::path target;
        if (!resolveOutput(requested, target, error))
            return false;
        target_ = target;
        temporary_ = target;
        temporary_ += uniqueSuffix();
        return true;
    } catch (const std::exception&) {  // out of memory for a path
        error = "out of memory";
        temporary_.clear();
        return false;
    }
}

bool StagedFile::writeAll(const void* data, std::size_t size, std::string& error) {
    if (temporary_.empty()) {
        error = requested_.string() + ": no output was begun";
        return false;
    }
    std::ofstream file(temporary_, std::ios::binary | std::ios::trunc);
    if (file)
        file.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (file)
        file.close();
    if (!file) {
        error = requested_.string() + ": cannot write";
        discard();
        return false;
    }
    return true;
}

bool StagedFile::commit(std::string& error) {
    if (temporary_.empty()) {
        error = requested_.string() + ": nothing was written";
        return false;
    }
    std::error_code ec;
    // A replaced file keeps who may read and write it.
    const fs::file_status old = fs::status(target_, ec);
    if (!ec && fs::is_regular_file(old))
        fs::permissions(temporary_, old.permissions(), ec);
    fs::rename(temporary_, target_, ec);
    if (ec) {
        error = requested_.string() + ": cannot write (" + ec.message() + ")";
        discard();
        return false;
    }
    temporary_.clear();
    return true;
}

void StagedFile::discard() noexcept {
    if (temporary_.empty())
        return;
    std::error_code ec;
    fs::remove(temporary_, ec);
    temporary_.clear();
}

}  // namespace plux::files
