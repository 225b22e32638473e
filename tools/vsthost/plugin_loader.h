// Loading a plug-in module and finding its exports, the one way vsthost,
// nullmeter and the host tests do it: dlopen with local binding natively,
// LoadLibraryW on Windows.
#pragma once

#include "tools/vsthost/plugin_session.h"

#include <string>

namespace plux::vsthost {

// The file name ending of a plug-in module here: ".so" or ".dll".
extern const char* const kModuleSuffix;

// The module at `utf8Path` (taken as given, not made absolute), or null with
// the system's reason in `error`. Each open needs its closeModule.
void* openModule(const std::string& utf8Path, std::string& error);
// What `module` exports under `name`; null when nothing, or for no module.
void* moduleSymbol(void* module, const char* name);
// That export as a plug-in's entry point.
PluginEntry moduleEntry(void* module, const char* name);
// True when the system let the module go; a null module is left alone.
bool closeModule(void* module);

// A plug-in file and its entry point: VSTPluginMain, or the older export name
// "main". The module is closed on destruction, so the library must outlive
// every plug-in instance created from it.
class PluginLibrary {
  public:
    PluginLibrary() = default;
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    bool load(const std::string& utf8Path, std::string& error);
    PluginEntry entry() const { return entry_; }

  private:
    void* module_ = nullptr;  // opaque here to keep <windows.h> and <dlfcn.h> out
    PluginEntry entry_ = nullptr;
};

}  // namespace plux::vsthost
