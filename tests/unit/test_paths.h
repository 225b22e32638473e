// Where the test executable lives: in the native and the Windows build the
// executable stands in for the plug-in module, so its folder is the plug-in
// folder.
#pragma once

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

inline std::string testExecutablePath() {
    char buffer[4096] = {};
#ifdef _WIN32
    const DWORD length = ::GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    return std::string(buffer, length);
#else
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
#endif
}

// The executable's folder with its trailing separator.
inline std::string testExecutableFolder() {
    const std::string path = testExecutablePath();
    return path.substr(0, path.find_last_of("\\/") + 1);
}
