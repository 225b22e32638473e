#include "tools/common/utf8_console_win32.h"

#include <cstdlib>

#include <windows.h>

namespace plux::console {
namespace {

UINT originalCodePage = 0;

void restoreCodePage() {
    SetConsoleOutputCP(originalCodePage);
}

}  // namespace

void showUtf8Output() {
    // No console (output redirected from a service, say): nothing to switch.
    originalCodePage = GetConsoleOutputCP();
    if (originalCodePage == 0 || originalCodePage == CP_UTF8)
        return;
    if (SetConsoleOutputCP(CP_UTF8))
        std::atexit(restoreCodePage);
}

}  // namespace plux::console
