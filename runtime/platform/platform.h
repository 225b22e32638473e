// The few operating-system services the runtime needs. Everything behind this
// header has one implementation per platform (platform_win32.cpp,
// platform_posix.cpp), so the rest of the runtime builds anywhere.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexmold::platform {

// The module (DLL) this code lives in, recorded by the library's load routine.
void setPluginModule(void* moduleHandle);
void* pluginModule();

// Full file name of a module; empty when it cannot be found. A null handle
// means the plug-in's own module.
std::string moduleFileName(void* moduleHandle);

// Milliseconds of wall time since the process started.
int32_t processClockMilliseconds();

// Wall clock as seconds plus microseconds * 1e-6.
double wallClockSeconds();

// System beep; returns the system's answer (non-zero when it sounded).
int beep(unsigned frequencyHz, unsigned durationMs);

// Entry names of a folder in the order the file system returns them.
// Returns false when the folder cannot be opened.
bool listDirectory(const std::string& folder, std::vector<std::string>& names);

// The separator this platform's file names use.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

enum class FileKind { missing, regular, directory, other };
FileKind fileKind(const std::string& path);

// Test seam: replaces the process clock (null restores the real one).
using ClockFunction = int32_t (*)();
void setProcessClockForTesting(ClockFunction clock);

}  // namespace vexmold::platform
