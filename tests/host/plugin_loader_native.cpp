// Native build: the real shared objects (nulltest.so, tonegen.so), loaded with
// dlopen from the folder in PLUX_PLUGIN_DIR and kept loaded for the whole
// test run.
#include <dlfcn.h>

#include <cstdlib>
#include <map>

#include <gtest/gtest.h>

#include "tests/host/plugin_loader.h"

namespace {

void* loadObject(const std::string& plugin) {
    static std::map<std::string, void*> objects;
    auto it = objects.find(plugin);
    if (it != objects.end())
        return it->second;
    const char* dir = std::getenv("PLUX_PLUGIN_DIR");
    const std::string path = std::string(dir ? dir : ".") + "/" + plugin + ".so";
    void* object = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(object, nullptr) << path << ": " << dlerror();
    objects[plugin] = object;
    return object;
}

}  // namespace

void* pluginSymbol(const std::string& plugin, const char* name) {
    void* object = loadObject(plugin);
    return object ? dlsym(object, name) : nullptr;
}

PluginMain pluginEntry(const std::string& plugin, const char* exportName) {
    return reinterpret_cast<PluginMain>(pluginSymbol(plugin, exportName));
}

void* loadLibraryFile(const std::string& path) {
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

PluginMain libraryEntry(void* library, const char* exportName) {
    return library ? reinterpret_cast<PluginMain>(dlsym(library, exportName)) : nullptr;
}

void unloadLibraryFile(void* library) {
    if (library)
        dlclose(library);
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
