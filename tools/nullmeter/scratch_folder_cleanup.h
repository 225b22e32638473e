// The removal of the run's temporary folder when the process ends abnormally:
// a crash (in a hosted plug-in, most likely) or an interrupt. Each system has
// its own handlers (scratch_folder_posix.cpp, scratch_folder_win32.cpp).
#pragma once

#include <filesystem>
#include <string>

namespace nullmeter::cleanup {

// From now on, a crash or an interrupt removes `folder` and its files before
// the process ends; a crash ends it with status 2 and a message. False with
// `error` set when it cannot be arranged, or when another folder is armed.
bool arm(const std::filesystem::path& folder, std::string& error);
// Back to the handlers there were before.
void disarm();

long processId();

}  // namespace nullmeter::cleanup
