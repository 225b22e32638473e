// The temporary folder's removal on Windows: an unhandled exception (a
// crashing plug-in) and the console's Ctrl+C, Ctrl+Break and close events.
#include "tools/nullmeter/scratch_folder_cleanup.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include <windows.h>

namespace nullmeter {

namespace {

constexpr UINT kCrashStatus = 2;  // the plug-in could not be tested: an input error

// Handle values are small multiples of four; a process of this kind holds
// a few hundred.
constexpr std::uintptr_t kHighestHandle = 1 << 16;
constexpr DWORD kLongestPath = 32768;

// Made before any handler may run: the handlers allocate nothing.
struct ActiveFolder {
    bool active = false;
    std::wstring path;        // the folder
    std::wstring pattern;     // its entries, for FindFirstFileW
    std::wstring entry;       // room for one entry's full name
    std::wstring openPrefix;  // the folder as GetFinalPathNameByHandleW names it, and a backslash
    std::wstring scratch;     // room for a handle's final name
    LPTOP_LEVEL_EXCEPTION_FILTER previous = nullptr;
};
ActiveFolder folder;

// The folder's name as GetFinalPathNameByHandleW gives the names of open
// files ("\\?\C:\..."); empty when it cannot be opened.
std::wstring finalName(const std::wstring& path) {
    HANDLE handle =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return {};
    std::wstring name(kLongestPath, L'\0');
    const DWORD n =
        GetFinalPathNameByHandleW(handle, name.data(), kLongestPath, FILE_NAME_NORMALIZED);
    CloseHandle(handle);
    if (n == 0 || n >= kLongestPath)
        return {};
    name.resize(n);
    return name + L'\\';
}

// Files that are still open cannot be deleted (the audio files' writers
// share no deletion): this process's handles to files in the folder are
// closed first. The process ends right after, nothing uses them again.
void closeHandlesInFolder() {
    if (folder.openPrefix.empty())
        return;
    for (std::uintptr_t value = 4; value < kHighestHandle; value += 4) {
        const auto handle = reinterpret_cast<HANDLE>(value);
        if (GetFileType(handle) != FILE_TYPE_DISK)
            continue;
        const DWORD n = GetFinalPathNameByHandleW(handle, folder.scratch.data(), kLongestPath,
                                                  FILE_NAME_NORMALIZED);
        if (n > 0 && n < kLongestPath &&
            folder.scratch.compare(0, folder.openPrefix.size(), folder.openPrefix) == 0)
            CloseHandle(handle);
    }
}

// The run writes only files, no folders, in it.
void removeFolderNow() {
    closeHandlesInFolder();
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(folder.pattern.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            folder.entry.assign(folder.path);
            folder.entry += L'\\';
            folder.entry += found.cFileName;
            DeleteFileW(folder.entry.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.path.c_str());
}

LONG WINAPI onCrash(EXCEPTION_POINTERS* info) {
    if (folder.active)
        removeFolderNow();
    std::fflush(stdout);
    std::fprintf(stderr, "nullmeter: crashed while hosting the plug-in (exception 0x%08lX)\n",
                 info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionCode : 0ul);
    std::fflush(stderr);
    // Not ExitProcess: the crashed plug-in's DLL would be asked to detach.
    TerminateProcess(GetCurrentProcess(), kCrashStatus);
    return EXCEPTION_EXECUTE_HANDLER;
}

// On the console's own thread; the default handler then ends the process.
BOOL WINAPI onConsoleEvent(DWORD /*event*/) {
    if (folder.active)
        removeFolderNow();
    return FALSE;
}

}  // namespace

bool cleanup::arm(const std::filesystem::path& path, std::string& error) {
    if (folder.active) {
        error = "a temporary folder is already in use";
        return false;
    }
    folder.path = path.wstring();
    folder.pattern = folder.path + L"\\*";
    folder.entry.reserve(folder.path.size() + MAX_PATH + 2);
    folder.openPrefix = finalName(folder.path);
    folder.scratch.assign(kLongestPath, L'\0');
    folder.active = true;
    folder.previous = SetUnhandledExceptionFilter(onCrash);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    return true;
}

void cleanup::disarm() {
    if (!folder.active)
        return;
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    SetUnhandledExceptionFilter(folder.previous);
    folder.active = false;
}

long cleanup::processId() {
    return static_cast<long>(GetCurrentProcessId());
}

}  // namespace nullmeter
