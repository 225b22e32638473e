#include "tools/vsthost/command_dispatch.h"

#include "tools/vsthost/commands.h"
#include "tools/vsthost/plugin_loader.h"

#include <filesystem>
#include <system_error>

#include "tools/common/file_paths.h"
#include "tools/common/release.h"

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
    if (cl.command == CommandLine::Command::Version) {
        out << plux::tools::versionLine("vsthost");
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

bool checkCommandFiles(const CommandLine& cl, std::string& error) {
    using Command = CommandLine::Command;
    using files::NamedPath;
    const auto path = [](const std::string& utf8) { return std::filesystem::u8path(utf8); };
    // A plug-in named by a bare file name may be found on the loader's own
    // search path; one that names something here must be a file.
    const std::filesystem::path plugin = path(commandPlugin(cl));
    std::error_code ec;
    if (std::filesystem::status(plugin, ec).type() != std::filesystem::file_type::not_found &&
        !files::checkInput(plugin, error))
        return false;
    std::vector<NamedPath> inputs{{"the plug-in", plugin}};
    std::vector<NamedPath> outputs;
    if (cl.command == Command::Render) {
        inputs.push_back({"--in", path(cl.render.inPath)});
        inputs.push_back({"--load-chunk", path(cl.render.loadChunk)});
        outputs.push_back({"--out", path(cl.render.outPath)});
        outputs.push_back({"--save-chunk", path(cl.render.saveChunk)});
    } else if (cl.command == Command::Chunk) {
        inputs.push_back({"--load", path(cl.chunk.load)});
        outputs.push_back({"--save", path(cl.chunk.save)});
    } else if (cl.command == Command::Editor) {
        inputs.push_back({"--in", path(cl.editor.inPath)});
        outputs.push_back({"--out", path(cl.editor.outPath)});
    }
    return files::checkOutputs(outputs, inputs, error);
}

int runPluginCommand(const CommandLine& cl, EditorPlatform* platform, std::ostream& out,
                     std::ostream& err) {
    if (cl.command == CommandLine::Command::Editor && !platform)
        return reportFailure(err, "the editor command needs a window system");
    std::string error;
    if (!checkCommandFiles(cl, error)) {
        err << "vsthost: error: " << error << '\n';
        return kExitUsage;
    }
    PluginLibrary library;
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
    case CommandLine::Command::Version:
        break;
    }
    return kExitOk;
}

}  // namespace plux::vsthost
