#include "tools/vsthost/command_dispatch.h"

#include "tools/vsthost/commands.h"
#include "tools/vsthost/plugin_loader.h"

namespace plux::vsthost {

bool readCommand(const std::vector<std::string>& args, CommandLine& cl, std::ostream& out,
                 std::ostream& err, int& status) {
    std::string error;
    if (!parseCommandLine(args, cl, error)) {
        err << "vsthost: error: " << error << "\nTry 'vsthost --help'.\n";
        status = kExitUsage;
        return false;
    }
    if (cl.command == CommandLine::Command::Help) {
        out << helpText(cl.helpTopic);
        status = kExitOk;
        return false;
    }
    return true;
}

const std::string& commandPlugin(const CommandLine& cl) {
    using Command = CommandLine::Command;
    if (cl.command == Command::Render)
        return cl.render.plugin;
    if (cl.command == Command::Chunk)
        return cl.chunk.plugin;
    if (cl.command == Command::Editor)
        return cl.editor.plugin;
    return cl.info.plugin;
}

int runPluginCommand(const CommandLine& cl, EditorPlatform* platform, std::ostream& out,
                     std::ostream& err) {
    if (cl.command == CommandLine::Command::Editor && !platform)
        return reportFailure(err, "the editor command needs a window system");
    PluginLibrary library;
    std::string error;
    if (!library.load(commandPlugin(cl), error))
        return reportFailure(err, error);
    switch (cl.command) {
    case CommandLine::Command::Info:
        return runInfo(library.entry(), cl.info, out, err);
    case CommandLine::Command::Render:
        return runRender(library.entry(), cl.render, out, err);
    case CommandLine::Command::Chunk:
        return runChunk(library.entry(), cl.chunk, out, err);
    case CommandLine::Command::Editor:
        return runEditor(library.entry(), cl.editor, *platform, out, err);
    case CommandLine::Command::Help:
        break;
    }
    return kExitOk;
}

}  // namespace plux::vsthost
