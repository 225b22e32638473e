// wavtool: small audio-file utilities for the demonstration and the
// integration tests. Reads every format plux::audio does; load and usage
// failures exit 2, the same on every system.
#pragma once

#include <string>
#include <vector>

namespace plux::wavtool {

// Arguments without the program name, as UTF-8; answers the exit status.
int runWavtool(const std::vector<std::string>& args);

}  // namespace plux::wavtool
