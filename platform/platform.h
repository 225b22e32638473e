// The operating-system services the plug-in's layers share: the runtime,
// the editor and the toolkit all reach the system for these through this
// one seam, which includes nothing of theirs. Everything behind this header
// has one implementation per platform (platform_win32.cpp,
// platform_posix.cpp), so the rest builds anywhere.
#pragma once

#include <cstdint>
#include <string>
#include <vector>
#ifndef _WIN32
#include <mutex>
#endif

namespace plux::platform {

// The loaded module (DLL or shared object) this code is part of, found by
// the address of code inside it: the executable when the code is linked
// into one (tests, tools). Its HMODULE on Windows, its dlopen handle on
// Linux; null when the system cannot tell.
void* pluginModule();

// Full file name of a module; empty when it cannot be found. A null handle
// means pluginModule().
std::string moduleFileName(void* moduleHandle);

// The one clock: milliseconds of steady time since the library loaded. The
// redraw pacing, the editor's idle pass and the toolkit's waits all read it,
// and a test may replace it for all of them at once.
int32_t processClockMilliseconds();

// Wall clock as seconds plus microseconds * 1e-6.
double wallClockSeconds();

// The system's id of the calling thread. Not std::this_thread: with the
// statically linked threads runtime that makes a thread record (a handle and
// memory) for every thread it has not started, kept past the DLL's unload.
uint64_t currentThreadId();

void sleepMilliseconds(uint32_t milliseconds);

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

// Locks of the operating system, for std::lock_guard and friends. On Windows
// a slim reader/writer lock and a critical section: unlike the threading
// runtime behind std::mutex there, they leave no handle and no memory behind
// when the plug-in is unloaded, and they need no one-time set-up.
//
// Lock is not recursive and can be constant-initialised, so a process-wide
// one is ready before any constructor runs and registers no destructor.
class Lock {
  public:
    constexpr Lock() noexcept = default;
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    void lock() noexcept;
    bool try_lock() noexcept;
    void unlock() noexcept;

  private:
#ifdef _WIN32
    void* state = nullptr;  // an SRWLOCK
#else
    std::mutex state;
#endif
};

// RecursiveLock may be taken again by the thread that holds it; each lock()
// or successful try_lock() needs its unlock().
class RecursiveLock {
  public:
    RecursiveLock() noexcept;
    ~RecursiveLock();
    RecursiveLock(const RecursiveLock&) = delete;
    RecursiveLock& operator=(const RecursiveLock&) = delete;
    void lock() noexcept;
    bool try_lock() noexcept;
    void unlock() noexcept;

  private:
#ifdef _WIN32
    alignas(8) unsigned char state[40];  // a CRITICAL_SECTION
#else
    std::recursive_mutex state;
#endif
};

// Test seam: replaces the process clock everywhere (null restores the real
// one). A replacement that stands still also stops what waits on the clock.
using ClockFunction = int32_t (*)();
void setProcessClockForTesting(ClockFunction clock);

}  // namespace plux::platform
