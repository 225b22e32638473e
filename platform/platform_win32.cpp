// Win32 side of the platform seam: the module and its path, the beeper,
// clocks, threads and directory listing for the plug-in DLLs.
#include <windows.h>

#include <sys/stat.h>
#include <sys/time.h>

#include <string>

#include "platform/platform.h"

namespace plux::platform {

namespace {
// Any address inside the module identifies it.
const char gModuleAnchor = 0;
}  // namespace

void* pluginModule() {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                  GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              reinterpret_cast<LPCWSTR>(&gModuleAnchor), &module))
        return nullptr;
    return module;
}

// The wide call with a buffer that grows until the name fits: a plug-in
// folder may be deeper than MAX_PATH, and an empty answer would send file
// and image access to the host's working folder. The name is handed on in
// the code page of the narrow file calls that use it.
std::string moduleFileName(void* moduleHandle) {
    HMODULE module = static_cast<HMODULE>(moduleHandle ? moduleHandle : pluginModule());
    std::wstring wide(MAX_PATH, L'\0');
    for (;;) {
        const DWORD capacity = static_cast<DWORD>(wide.size());
        const DWORD length = ::GetModuleFileNameW(module, &wide[0], capacity);
        if (length == 0)
            return {};
        if (length < capacity) {
            wide.resize(length);
            break;
        }
        // Truncated: the longest name a module can have is 32767 characters.
        if (capacity >= 32768)
            return {};
        wide.resize(capacity * 2);
    }
    const int wideLength = static_cast<int>(wide.size());
    const int bytes =
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return {};
    std::string name(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, &name[0], bytes, nullptr, nullptr);
    return name;
}

double wallClockSeconds() {
    timeval tv{};
    mingw_gettimeofday(&tv, nullptr);
    return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) * 1e-6;
}

uint64_t currentThreadId() {
    return ::GetCurrentThreadId();
}

void sleepMilliseconds(uint32_t milliseconds) {
    ::Sleep(milliseconds);
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

namespace {

static_assert(sizeof(SRWLOCK) == sizeof(void*) && alignof(SRWLOCK) <= alignof(void*));

PSRWLOCK srwLock(void*& state) {
    return reinterpret_cast<PSRWLOCK>(&state);
}

LPCRITICAL_SECTION criticalSection(unsigned char* state) {
    return reinterpret_cast<LPCRITICAL_SECTION>(state);
}

}  // namespace

// SRWLOCK_INIT is all zeros, which the constexpr constructor stores.
void Lock::lock() noexcept {
    AcquireSRWLockExclusive(srwLock(state));
}

bool Lock::try_lock() noexcept {
    return TryAcquireSRWLockExclusive(srwLock(state)) != 0;
}

void Lock::unlock() noexcept {
    ReleaseSRWLockExclusive(srwLock(state));
}

RecursiveLock::RecursiveLock() noexcept {
    static_assert(sizeof(CRITICAL_SECTION) <= sizeof state &&
                  alignof(CRITICAL_SECTION) <= alignof(RecursiveLock));
    // Without debug information the section allocates nothing that its
    // deletion could miss.
    InitializeCriticalSectionEx(criticalSection(state), 0, CRITICAL_SECTION_NO_DEBUG_INFO);
}

RecursiveLock::~RecursiveLock() {
    DeleteCriticalSection(criticalSection(state));
}

void RecursiveLock::lock() noexcept {
    EnterCriticalSection(criticalSection(state));
}

bool RecursiveLock::try_lock() noexcept {
    return TryEnterCriticalSection(criticalSection(state)) != 0;
}

void RecursiveLock::unlock() noexcept {
    LeaveCriticalSection(criticalSection(state));
}

}  // namespace plux::platform
