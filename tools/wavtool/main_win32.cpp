// wavtool.exe: the arguments arrive as UTF-16 (wmain) and go on as UTF-8, so
// that any file name survives; the console shows the UTF-8 output as text.
#include "tools/common/utf8_console_win32.h"
#include "tools/wavtool/wavtool.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <io.h>

int wmain(int argc, wchar_t** argv) {
    // Plain "\n" line ends, as on other systems: scripts parse this output.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    plux::console::showUtf8Output();
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        try {
            args.push_back(std::filesystem::path(argv[i]).u8string());
        } catch (const std::system_error&) {  // a lone UTF-16 surrogate
            std::fprintf(stderr, "wavtool: argument %d is not valid UTF-16\n", i);
            return 2;
        }
    }
    return plux::wavtool::runWavtool(args);
}
