// POSIX side of the platform seam: the native build's shared objects
// (nulltest.so, tonegen.so) and the programs that link the same code (unit
// tests, benchmarks, command-line tools). There is no beeper; the locks are
// the standard library's.
#include <dirent.h>
#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "platform/platform.h"

namespace plux::platform {

namespace {

// Any address inside the module identifies it.
const char gModuleAnchor = 0;

std::string executableFileName() {
    char buffer[4096];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer)
        return {};
    return std::string(buffer, static_cast<size_t>(length));
}

// The loader keeps the name a shared object was opened by, which may be
// relative to the folder the host was in then: made absolute against the
// current one, the best guess left.
std::string absoluteName(const char* name) {
    if (name[0] == '/')
        return name;
    char folder[4096];
    if (::getcwd(folder, sizeof folder) == nullptr)
        return {};
    std::string path(folder);
    path += '/';
    path += name;
    return path;
}

}  // namespace

void* pluginModule() {
    Dl_info info{};
    void* map = nullptr;
    if (::dladdr1(&gModuleAnchor, &info, &map, RTLD_DL_LINKMAP) == 0)
        return nullptr;
    return map;  // glibc's link map is the object's dlopen handle
}

std::string moduleFileName(void* moduleHandle) {
    void* module = moduleHandle ? moduleHandle : pluginModule();
    link_map* map = nullptr;
    if (module == nullptr || ::dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr)
        return {};
    // The program itself has no name of its own in the loader's list.
    if (map->l_name == nullptr || map->l_name[0] == '\0')
        return executableFileName();
    return absoluteName(map->l_name);
}

double wallClockSeconds() {
    timeval tv{};
    ::gettimeofday(&tv, nullptr);
    return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) * 1e-6;
}

uint64_t currentThreadId() {
    return static_cast<uint64_t>(::syscall(SYS_gettid));
}

void sleepMilliseconds(uint32_t milliseconds) {
    timespec left{static_cast<time_t>(milliseconds / 1000u),
                  static_cast<long>(milliseconds % 1000u) * 1000000L};
    // A signal for the caller's thread cuts the sleep short: sleep the rest.
    while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
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

}  // namespace plux::platform
