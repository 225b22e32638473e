// nullmeter on Linux and other POSIX systems: the arguments arrive as the
// file system's bytes (UTF-8), as the tool takes them.
#include <string>
#include <vector>

#include "tools/nullmeter/command.h"

int main(int argc, char** argv) {
    return nullmeter::runCommand(std::vector<std::string>(argv + 1, argv + argc));
}
