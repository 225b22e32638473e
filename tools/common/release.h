// The line every tool prints for --version, in the form help2man reads:
// "TOOL (PACKAGE) VERSION", the package and version of the release.
#pragma once

#include <string>

#ifndef PLUX_RELEASE_VERSION
#error "link the target with plux_release"
#endif

namespace plux::tools {

inline std::string versionLine(const std::string& tool) {
    return tool + " (" PLUX_RELEASE_PACKAGE ") " PLUX_RELEASE_VERSION "\n";
}

}  // namespace plux::tools
