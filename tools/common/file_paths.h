// What the tools may read and where they may write. An input must be a
// regular file; an output must be a regular file or a new name in an
// existing folder, and never the same file as an input, the loaded plug-in
// or another output of the run. Files are compared by identity (device and
// inode, or volume and file index on Windows), so another spelling, a
// symbolic link or a hard link of an input is caught too.
//
// Nothing here opens a file: a FIFO without a writer cannot block a check.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace plux::files {

// Refuses a missing path, a directory, a FIFO, a device or a socket, naming
// the path and what it is.
bool checkInput(const std::filesystem::path& path, std::string& error);

// The file an output named `path` is written to: the path itself, or where a
// symbolic link (or a chain of them) leads, so that the link is written
// through rather than replaced. Refuses a directory, a device, a FIFO, a
// socket, a Windows device name (NUL, CON, COM1, ...), a link that leads
// nowhere, and a name in a folder that does not exist.
bool resolveOutput(const std::filesystem::path& path, std::filesystem::path& target,
                   std::string& error);

// A file the run names, with the option that named it, for messages.
struct NamedPath {
    std::string role;  // "--residual", "input", "the plug-in", ...
    std::filesystem::path path;
};

// Every non-empty output resolves, and none is the same file as an input
// or as another output. Inputs that do not exist are skipped here (reading
// them fails later with its own message); empty paths are skipped in both.
bool checkOutputs(const std::vector<NamedPath>& outputs, const std::vector<NamedPath>& inputs,
                  std::string& error);

// Whether a file name is one of the device names Windows reserves in every
// folder: CON, PRN, AUX, NUL, COM0-9, LPT0-9, with or without an extension.
bool isWindowsDeviceName(const std::filesystem::path& path);

}  // namespace plux::files
