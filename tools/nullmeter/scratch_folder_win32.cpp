// The temporary folder's removal on Windows: an unhandled exception (a
// crashing plug-in) and the console's Ctrl+C, Ctrl+Break and close events.
#include "tools/nullmeter/scratch_folder_cleanup.h"

#include <cstdio>
#include <string>

#include <windows.h>

namespace nullmeter {

namespace {

constexpr UINT kCrashStatus = 2;  // the plug-in could not be tested: an input error

// Made before any handler may run: the handlers allocate nothing.
struct ActiveFolder {
    bool active = false;
    std::wstring path;     // the folder
    std::wstring pattern;  // its entries, for FindFirstFileW
    std::wstring entry;    // room for one entry's full name
    LPTOP_LEVEL_EXCEPTION_FILTER previous = nullptr;
};
ActiveFolder folder;

// The run writes only files, no folders, in it.
void removeFolderNow() {
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
