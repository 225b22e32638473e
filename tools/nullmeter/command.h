// The whole program but for how each system hands over its command line.
#pragma once

#include <string>
#include <vector>

namespace nullmeter {

// `args` are the arguments after the program's name, in UTF-8; answers the
// exit status (0 pass, 1 fail, 2 usage or input error).
int runCommand(const std::vector<std::string>& args);

}  // namespace nullmeter
