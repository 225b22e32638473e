// Loads a plug-in DLL and finds its entry point: VSTPluginMain, or the older
// export name "main". FreeLibrary happens on destruction, so the library must
// outlive every plug-in instance created from it.
#pragma once

#include "tools/vsthost/plugin_session.h"

#include <string>

namespace plux::vsthost {

class PluginLibrary {
  public:
    PluginLibrary() = default;
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    bool load(const std::string& utf8Path, std::string& error);
    PluginEntry entry() const { return entry_; }

  private:
    void* module_ = nullptr;  // HMODULE, opaque here to keep <windows.h> out
    PluginEntry entry_ = nullptr;
};

}  // namespace plux::vsthost
