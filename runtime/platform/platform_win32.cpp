// Win32 side of the platform seam: module paths, the beeper, clocks and
// directory listing for the plug-in DLLs.
#include <windows.h>

#include <sys/stat.h>
#include <sys/time.h>

#include "runtime/platform/platform.h"

namespace vexmold::platform {

std::string moduleFileName(void* moduleHandle) {
    HMODULE module = static_cast<HMODULE>(moduleHandle ? moduleHandle : pluginModule());
    char buffer[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(module, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    return std::string(buffer, length);
}

double wallClockSeconds() {
    timeval tv{};
    mingw_gettimeofday(&tv, nullptr);
    return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) * 1e-6;
}

int beep(unsigned frequencyHz, unsigned durationMs) {
    return ::Beep(frequencyHz, durationMs) ? 1 : 0;
}

bool listDirectory(const std::string& folder, std::vector<std::string>& names) {
    WIN32_FIND_DATAA data{};
    std::string pattern = folder;
    if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/')
        pattern += '\\';
    pattern += '*';
    HANDLE find = ::FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    do {
        names.emplace_back(data.cFileName);
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    return true;
}

FileKind fileKind(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return FileKind::missing;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return FileKind::directory;
    return FileKind::regular;
}

}  // namespace vexmold::platform
