// vsthost, native build: the same command-line host for plug-ins built as
// shared objects. The editor command needs a window system the native build
// does not drive yet, and says so.
#include "tools/vsthost/command_line.h"
#include "tools/vsthost/commands.h"
#include "tools/vsthost/plugin_loader.h"

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

const std::string& pluginPath(const plux::vsthost::CommandLine& cl) {
    using Command = plux::vsthost::CommandLine::Command;
    if (cl.command == Command::Render)
        return cl.render.plugin;
    if (cl.command == Command::Chunk)
        return cl.chunk.plugin;
    if (cl.command == Command::Editor)
        return cl.editor.plugin;
    return cl.info.plugin;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace plux::vsthost;
    for (int signal : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT})
        std::signal(signal, onCrash);
    std::vector<std::string> args(argv + 1, argv + argc);
    CommandLine cl;
    std::string error;
    if (!parseCommandLine(args, cl, error)) {
        std::cerr << "vsthost: error: " << error << "\nTry 'vsthost --help'.\n";
        return kExitUsage;
    }
    if (cl.command == CommandLine::Command::Help) {
        std::cout << helpText(cl.helpTopic);
        return kExitOk;
    }
    if (cl.command == CommandLine::Command::Editor)
        return reportFailure(std::cerr,
                             "the editor command needs the Windows build of vsthost for now");
    PluginLibrary library;
    if (!library.load(pluginPath(cl), error))
        return reportFailure(std::cerr, error);
    switch (cl.command) {
    case CommandLine::Command::Info:
        return runInfo(library.entry(), cl.info, std::cout, std::cerr);
    case CommandLine::Command::Render:
        return runRender(library.entry(), cl.render, std::cout, std::cerr);
    case CommandLine::Command::Chunk:
        return runChunk(library.entry(), cl.chunk, std::cout, std::cerr);
    case CommandLine::Command::Editor:
    case CommandLine::Command::Help:
        break;
    }
    return kExitOk;
}
