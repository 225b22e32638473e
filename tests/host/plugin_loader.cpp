// The plug-ins named "nulltest", "tonegen" or a fixture's, loaded through
// vsthost's module loader from the folder in PLUX_PLUGIN_DIR and kept loaded
// for the whole test run.
#include "tests/host/plugin_loader.h"

#include <cstdlib>
#include <map>

#include <gtest/gtest.h>

#include "tools/vsthost/plugin_loader.h"

namespace {

void* loadPlugin(const std::string& plugin) {
    static std::map<std::string, void*> modules;
    auto it = modules.find(plugin);
    if (it != modules.end())
        return it->second;
    const char* dir = std::getenv("PLUX_PLUGIN_DIR");
    const std::string path = std::string(dir ? dir : ".") + "/" + plugin +
                             plux::vsthost::kModuleSuffix;
    std::string error;
    void* module = plux::vsthost::openModule(path, error);
    EXPECT_NE(module, nullptr) << path << ": " << error;
    modules[plugin] = module;
    return module;
}

}  // namespace

void* pluginSymbol(const std::string& plugin, const char* name) {
    return plux::vsthost::moduleSymbol(loadPlugin(plugin), name);
}

PluginMain pluginEntry(const std::string& plugin, const char* exportName) {
    return plux::vsthost::moduleEntry(loadPlugin(plugin), exportName);
}

void* loadLibraryFile(const std::string& path) {
    std::string error;
    return plux::vsthost::openModule(path, error);
}

PluginMain libraryEntry(void* library, const char* exportName) {
    return plux::vsthost::moduleEntry(library, exportName);
}

bool unloadLibraryFile(void* library) {
    return plux::vsthost::closeModule(library);
}

AEffect* createInstance(const std::string& plugin, audioMasterCallback host) {
    PluginMain entry = pluginEntry(plugin);
    EXPECT_NE(entry, nullptr) << "cannot load " << plugin;
    AEffect* effect = entry ? entry(host) : nullptr;
    EXPECT_NE(effect, nullptr) << plugin;
    return effect;
}

VstIntPtr closeInstance(AEffect* effect) {
    return effect ? effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f) : 0;
}
