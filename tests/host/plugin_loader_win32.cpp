// Windows build: the real DLLs, loaded with LoadLibraryW from the folder in
// PLUX_PLUGIN_DIR and kept loaded for the whole test run.
#include <windows.h>

#include <cstdlib>
#include <map>

#include <gtest/gtest.h>

#include "tests/host/plugin_loader.h"

namespace {

HMODULE loadModule(const std::string& plugin) {
    static std::map<std::string, HMODULE> modules;
    auto it = modules.find(plugin);
    if (it != modules.end())
        return it->second;
    const char* dir = std::getenv("PLUX_PLUGIN_DIR");
    std::string path = std::string(dir ? dir : ".") + "\\" + plugin + ".dll";
    for (char& c : path)
        if (c == '/')
            c = '\\';
    std::wstring wide(path.begin(), path.end());
    HMODULE module = ::LoadLibraryW(wide.c_str());
    modules[plugin] = module;
    return module;
}

}  // namespace

PluginMain pluginEntry(const std::string& plugin, const char* exportName) {
    HMODULE module = loadModule(plugin);
    if (module == nullptr)
        return nullptr;
    return reinterpret_cast<PluginMain>(
        reinterpret_cast<void*>(::GetProcAddress(module, exportName)));
}

void* loadLibraryFile(const std::string& path) {
    const std::wstring wide(path.begin(), path.end());
    return ::LoadLibraryW(wide.c_str());
}

PluginMain libraryEntry(void* library, const char* exportName) {
    if (library == nullptr)
        return nullptr;
    return reinterpret_cast<PluginMain>(
        reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), exportName)));
}

void unloadLibraryFile(void* library) {
    if (library)
        ::FreeLibrary(static_cast<HMODULE>(library));
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
