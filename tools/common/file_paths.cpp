#include "tools/common/file_paths.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace plux::files {
namespace fs = std::filesystem;

namespace {

std::string named(const fs::path& path, const std::string& what) {
    return path.string() + ": " + what;
}

// What a path that is neither a regular file nor missing is, for people.
std::string kindOf(fs::file_type type) {
    switch (type) {
    case fs::file_type::directory:
        return "a directory";
    case fs::file_type::character:
        return "a character device";
    case fs::file_type::block:
        return "a block device";
    case fs::file_type::fifo:
        return "a FIFO (named pipe)";
    case fs::file_type::socket:
        return "a socket";
    default:
        return "not a regular file";
    }
}

std::string notRegular(const fs::path& path, fs::file_type type) {
    if (type == fs::file_type::directory)
        return named(path, "is a directory");
    return named(path, "is " + kindOf(type) + ", not a regular file");
}

}  // namespace

bool isWindowsDeviceName(const fs::path& path) {
    // The name before its first dot, without trailing spaces: "nul.wav" and
    // "COM1 " are devices too.
    std::string stem = path.filename().string();
    stem = stem.substr(0, stem.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    std::transform(stem.begin(), stem.end(), stem.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL" || stem == "CONIN$" ||
        stem == "CONOUT$")
        return true;
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
           std::isdigit(static_cast<unsigned char>(stem[3]));
}

bool checkInput(const fs::path& path, std::string& error) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) {
        error = named(path, "no such file");
        return false;
    }
    if (ec) {
        error = named(path, "cannot read (" + ec.message() + ")");
        return false;
    }
    if (status.type() != fs::file_type::regular) {
        error = notRegular(path, status.type());
        return false;
    }
    return true;
}

bool resolveOutput(const fs::path& path, fs::path& target, std::string& error) {
    if (path.empty() || !path.has_filename()) {
        error = named(path, "names no file");
        return false;
    }
#ifdef _WIN32
    if (isWindowsDeviceName(path) || path.string().rfind("\\\\.\\", 0) == 0) {
        error = named(path, "is a Windows device name, not a file");
        return false;
    }
#endif
    const auto cannotWrite = [&](const std::string& reason) {
        error = named(path, "cannot write (" + reason + ")");
        return false;
    };
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) {
        if (fs::is_symlink(fs::symlink_status(path, ec))) {
            error = named(path, "is a symbolic link to nothing");
            return false;
        }
        const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
        if (!fs::is_directory(folder, ec))
            return cannotWrite("the folder " + folder.string() + " does not exist");
        target = fs::canonical(folder, ec) / path.filename();
        return ec ? cannotWrite(ec.message()) : true;
    }
    if (ec)
        return cannotWrite(ec.message());
    if (status.type() != fs::file_type::regular) {
        error = notRegular(path, status.type());
        if (status.type() != fs::file_type::directory)
            error += "; outputs are written to regular files only";
        return false;
    }
    target = fs::canonical(path, ec);
    return ec ? cannotWrite(ec.message()) : true;
}

bool checkOutputs(const std::vector<NamedPath>& outputs, const std::vector<NamedPath>& inputs,
                  std::string& error) {
    std::vector<NamedPath> targets;  // the outputs checked so far, resolved
    for (const NamedPath& out : outputs) {
        if (out.path.empty())
            continue;
        fs::path target;
        std::string why;
        if (!resolveOutput(out.path, target, why)) {
            error = out.role + " " + why;
            return false;
        }
        std::error_code ec;
        for (const NamedPath& in : inputs) {
            if (!in.path.empty() && fs::equivalent(target, in.path, ec)) {
                error = out.role + " " + named(out.path, "is the same file as " + in.role + " " +
                                                             in.path.string() +
                                                             "; name a file of its own");
                return false;
            }
        }
        for (const NamedPath& earlier : targets) {
            if (earlier.path == target || fs::equivalent(earlier.path, target, ec)) {
                error = out.role + " " + named(out.path, "is also the file of " + earlier.role +
                                                             "; give each output a file of its own");
                return false;
            }
        }
        targets.push_back({out.role, target});
    }
    return true;
}

}  // namespace plux::files
