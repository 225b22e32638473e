#include "tools/wavtool/wavtool.h"

int main(int argc, char** argv) {
    return plux::wavtool::runWavtool(std::vector<std::string>(argv + 1, argv + argc));
}
