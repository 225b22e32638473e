#include "tools/vsthost/plugin_loader.h"

#include <dlfcn.h>

namespace plux::vsthost {

const char* const kModuleSuffix = ".so";

void* openModule(const std::string& utf8Path, std::string& error) {
    // Local binding: the plug-in's symbols never stand in for the host's.
    void* object = dlopen(utf8Path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!object) {
        const char* reason = dlerror();
        error = reason ? reason : "unknown error";
    }
    return object;
}

void* moduleSymbol(void* module, const char* name) {
    return module ? dlsym(module, name) : nullptr;
}

bool closeModule(void* module) {
    return module && dlclose(module) == 0;
}

}  // namespace plux::vsthost
