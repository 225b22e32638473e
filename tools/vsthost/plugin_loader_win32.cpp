#include "tools/vsthost/plugin_loader.h"

#include "tools/vsthost/text_win32.h"

#include <filesystem>
#include <system_error>

#include <windows.h>

namespace plux::vsthost {
namespace {

PluginEntry findEntry(HMODULE module) {
    for (const char* name : {"VSTPluginMain", "main"}) {
        if (FARPROC proc = GetProcAddress(module, name)) {
            // Through void(*)(), the one type GCC lets any function pointer pass.
            return reinterpret_cast<PluginEntry>(reinterpret_cast<void (*)()>(proc));
        }
    }
    return nullptr;
}

}  // namespace

PluginLibrary::~PluginLibrary() {
    if (module_)
        FreeLibrary(static_cast<HMODULE>(module_));
}

bool PluginLibrary::load(const std::string& utf8Path, std::string& error) {
    std::error_code ec;
    const std::filesystem::path path =
        std::filesystem::absolute(std::filesystem::u8path(utf8Path), ec);
    if (ec || !std::filesystem::is_regular_file(path, ec)) {
        error = "no such plug-in file: " + utf8Path;
        return false;
    }
    HMODULE module = LoadLibraryW(path.wstring().c_str());
    if (!module) {
        error = "cannot load " + utf8Path + ": " + systemErrorText(GetLastError());
        return false;
    }
    const PluginEntry found = findEntry(module);
    if (!found) {
        FreeLibrary(module);
        error = utf8Path + " exports neither VSTPluginMain nor main";
        return false;
    }
    if (module_)
        FreeLibrary(static_cast<HMODULE>(module_));
    module_ = module;
    entry_ = found;
    return true;
}

}  // namespace plux::vsthost
