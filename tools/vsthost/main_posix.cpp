// vsthost, native build: the same command-line host for plug-ins built as
// shared objects; the editor command shows the editor in an X11 window.
#include "tools/vsthost/command_line.h"
#include "tools/vsthost/commands.h"
#include "tools/vsthost/command_dispatch.h"
#include "tools/vsthost/editor_platform_x11.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr int kExitCrash = 3;

// A crashing plug-in ends the run with a message and a known status.
extern "C" void onCrash(int signal) {
    static const char message[] = "vsthost: error: the plug-in crashed\n";
    ssize_t ignored = write(STDERR_FILENO, message, sizeof message - 1);
    (void)ignored;
    (void)signal;
    _exit(kExitCrash);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace plux::vsthost;
    for (int signal : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT})
        std::signal(signal, onCrash);
    std::vector<std::string> args(argv + 1, argv + argc);
    CommandLine cl;
    int status = kExitOk;
    if (!readCommand(args, cl, std::cout, std::cerr, status))
        return status;
    if (cl.command == CommandLine::Command::Editor) {
        X11EditorPlatform platform;
        return runPluginCommand(cl, &platform, std::cout, std::cerr);
    }
    return runPluginCommand(cl, nullptr, std::cout, std::cerr);
}
