// vsthost: command-line VST 2.4 host for testing plug-in DLLs.
#include "tools/common/utf8_console_win32.h"
#include "tools/vsthost/command_line.h"
#include "tools/vsthost/commands.h"
#include "tools/vsthost/editor_platform_win32.h"
#include "tools/vsthost/command_dispatch.h"
#include "tools/vsthost/text_win32.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {

constexpr int kExitCrash = 3;

// A crashing plug-in should end the run with a message and a known status,
// not a debugger prompt.
LONG WINAPI onCrash(EXCEPTION_POINTERS* info) {
    std::fflush(stdout);
    std::fprintf(stderr, "vsthost: error: unhandled exception 0x%08lX\n",
                 info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionCode : 0ul);
    std::fflush(stderr);
    ExitProcess(kExitCrash);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    using namespace plux::vsthost;
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(onCrash);
    // Plain "\n" line ends, as on other systems: scripts parse this output.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    plux::console::showUtf8Output();

    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(toUtf8(argv[i]));
    CommandLine cl;
    int status = kExitOk;
    if (!readCommand(args, cl, std::cout, std::cerr, status))
        return status;
    if (cl.command == CommandLine::Command::Editor) {
        Win32EditorPlatform platform;
        return runPluginCommand(cl, &platform, std::cout, std::cerr);
    }
    return runPluginCommand(cl, nullptr, std::cout, std::cerr);
}
