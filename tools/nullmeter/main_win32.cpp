// nullmeter.exe: the command line arrives as UTF-16 (wmain) and goes on as
// UTF-8, so that any file name survives; reports are written as UTF-8 with
// plain "\n" line ends, as on other systems, for scripts that read them.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "tools/nullmeter/command.h"
#include "tools/vsthost/text_win32.h"

namespace {

UINT consoleCodePage = 0;

// The console keeps its code page after the program: it gets its own back.
void restoreConsoleCodePage() {
    if (consoleCodePage != 0)
        SetConsoleOutputCP(consoleCodePage);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // A console shows the UTF-8 of file names as such only in its UTF-8 page.
    consoleCodePage = GetConsoleOutputCP();
    if (consoleCodePage != 0 && consoleCodePage != CP_UTF8 && SetConsoleOutputCP(CP_UTF8))
        std::atexit(restoreConsoleCodePage);
    else
        consoleCodePage = 0;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(plux::vsthost::toUtf8(argv[i]));
    return nullmeter::runCommand(args);
}
