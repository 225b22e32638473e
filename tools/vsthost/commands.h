// The vsthost commands. Each drives one plug-in instance from its entry
// point to effClose, prints results to `out` and problems to `err`, and
// returns the process exit status.
#pragma once

#include "tools/vsthost/command_line.h"
#include "tools/vsthost/editor_platform.h"
#include "tools/vsthost/plugin_session.h"

#include <ostream>
#include <string>

namespace plux::vsthost {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int runInfo(PluginEntry entry, const InfoOptions& options, std::ostream& out, std::ostream& err);
int runRender(PluginEntry entry, const RenderOptions& options, std::ostream& out,
              std::ostream& err);
int runChunk(PluginEntry entry, const ChunkOptions& options, std::ostream& out, std::ostream& err);
// UI thread: the one that owns the platform's window and pumps its messages.
int runEditor(PluginEntry entry, const EditorOptions& options, EditorPlatform& platform,
              std::ostream& out, std::ostream& err);

// Prints "vsthost: error: MESSAGE" and returns kExitFailure.
inline int reportFailure(std::ostream& err, const std::string& message) {
    err << "vsthost: error: " << message << '\n';
    return kExitFailure;
}

}  // namespace plux::vsthost
