// nullmeter.exe: the command line arrives as UTF-16 (wmain) and goes on as
// UTF-8, so that any file name survives; reports are written as UTF-8 with
// plain "\n" line ends, as on other systems, for scripts that read them.
#include <cstdio>
#include <string>
#include <vector>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "tools/common/utf8_console_win32.h"
#include "tools/nullmeter/command.h"
#include "tools/vsthost/text_win32.h"

int wmain(int argc, wchar_t** argv) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    plux::console::showUtf8Output();
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(plux::vsthost::toUtf8(argv[i]));
    return nullmeter::runCommand(args);
}
