#include "tools/vsthost/plugin_loader.h"

#include <filesystem>
#include <system_error>

#include <dlfcn.h>

namespace plux::vsthost {
namespace {

PluginEntry findEntry(void* object) {
    for (const char* name : {"VSTPluginMain", "main"}) {
        if (void* symbol = dlsym(object, name))
            return reinterpret_cast<PluginEntry>(symbol);
    }
    return nullptr;
}

}  // namespace

PluginLibrary::~PluginLibrary() {
    if (module_)
        dlclose(module_);
}

bool PluginLibrary::load(const std::string& utf8Path, std::string& error) {
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::absolute(utf8Path, ec);
    if (ec || !std::filesystem::is_regular_file(path, ec)) {
        error = "no such plug-in file: " + utf8Path;
        return false;
    }
    // Local binding: the plug-in's symbols never stand in for the host's.
    void* object = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!object) {
        const char* reason = dlerror();
        error = "cannot load " + utf8Path + ": " + (reason ? reason : "unknown error");
        return false;
    }
    const PluginEntry found = findEntry(object);
    if (!found) {
        dlclose(object);
        error = utf8Path + " exports neither VSTPluginMain nor main";
        return false;
    }
    if (module_)
        dlclose(module_);
    module_ = object;
    entry_ = found;
    return true;
}

}  // namespace plux::vsthost
