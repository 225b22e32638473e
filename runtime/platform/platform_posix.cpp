// POSIX side of the platform seam, used by the native build (unit tests,
// benchmarks, command-line tools). There is no loadable module and no beeper;
// the locks are the standard library's.
#include <dirent.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include "runtime/platform/platform.h"

namespace vexmold::platform {

std::string moduleFileName(void* /*moduleHandle*/) {
    // The native build runs inside an executable, not a plug-in module: the
    // executable stands in for the plug-in.
    char buffer[4096];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer)
        return {};
    return std::string(buffer, static_cast<size_t>(length));
}

double wallClockSeconds() {
    timeval tv{};
    ::gettimeofday(&tv, nullptr);
    return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) * 1e-6;
}

int beep(unsigned /*frequencyHz*/, unsigned /*durationMs*/) {
    return 1;
}

bool listDirectory(const std::string& folder, std::vector<std::string>& names) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return false;
    while (const dirent* entry = ::readdir(dir))
        names.emplace_back(entry->d_name);
    ::closedir(dir);
    return true;
}

FileKind fileKind(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return FileKind::missing;
    if (S_ISDIR(st.st_mode))
        return FileKind::directory;
    if (S_ISREG(st.st_mode))
        return FileKind::regular;
    return FileKind::other;
}

void Lock::lock() noexcept {
    state.lock();
}

bool Lock::try_lock() noexcept {
    return state.try_lock();
}

void Lock::unlock() noexcept {
    state.unlock();
}

RecursiveLock::RecursiveLock() noexcept = default;
RecursiveLock::~RecursiveLock() = default;

void RecursiveLock::lock() noexcept {
    state.lock();
}

bool RecursiveLock::try_lock() noexcept {
    return state.try_lock();
}

void RecursiveLock::unlock() noexcept {
    state.unlock();
}

}  // namespace vexmold::platform
