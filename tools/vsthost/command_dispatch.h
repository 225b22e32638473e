// What both programs' entries do once the command line is read: load the
// plug-in named on it and run the command. The editor command needs a
// platform; without one (a build with no window system driven yet) it fails
// with a message.
#pragma once

#include "tools/vsthost/command_line.h"
#include "tools/vsthost/editor_platform.h"

#include <ostream>
#include <string>
#include <vector>

namespace plux::vsthost {

// Reads the arguments into cl. False when there is nothing to run: the help
// was printed or the arguments were wrong; status is then the exit status.
bool readCommand(const std::vector<std::string>& args, CommandLine& cl, std::ostream& out,
                 std::ostream& err, int& status);

// The plug-in file the command names.
const std::string& commandPlugin(const CommandLine& cl);

// Before the plug-in is loaded: the files the command reads are files (or,
// for the plug-in, a name the loader looks up), and no output would replace
// one of them, the plug-in, another output, a device or a folder.
bool checkCommandFiles(const CommandLine& cl, std::string& error);

// Checks the command's files (a refusal exits 2), loads the plug-in, runs the command, answers the exit status. UI thread.
int runPluginCommand(const CommandLine& cl, EditorPlatform* platform, std::ostream& out,
                     std::ostream& err);

}  // namespace plux::vsthost
