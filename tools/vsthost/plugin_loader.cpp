#include "tools/vsthost/plugin_loader.h"

#include <filesystem>
#include <system_error>

namespace plux::vsthost {

PluginEntry moduleEntry(void* module, const char* name) {
    return reinterpret_cast<PluginEntry>(moduleSymbol(module, name));
}

PluginLibrary::~PluginLibrary() {
    closeModule(module_);
}

bool PluginLibrary::load(const std::string& utf8Path, std::string& error) {
    std::error_code ec;
    const std::filesystem::path path =
        std::filesystem::absolute(std::filesystem::u8path(utf8Path), ec);
    if (ec || !std::filesystem::is_regular_file(path, ec)) {
        error = "no such plug-in file: " + utf8Path;
        return false;
    }
    std::string reason;
    void* module = openModule(path.u8string(), reason);
    if (!module) {
        error = "cannot load " + utf8Path + ": " + reason;
        return false;
    }
    PluginEntry found = nullptr;
    for (const char* name : {"VSTPluginMain", "main"}) {
        if ((found = moduleEntry(module, name)))
            break;
    }
    if (!found) {
        closeModule(module);
        error = utf8Path + " exports neither VSTPluginMain nor main";
        return false;
    }
    closeModule(module_);
    module_ = module;
    entry_ = found;
    return true;
}

}  // namespace plux::vsthost
