#include "tools/vsthost/plugin_loader.h"

#include "tools/vsthost/text_win32.h"

#include <filesystem>

#include <windows.h>

namespace plux::vsthost {

const char* const kModuleSuffix = ".dll";

void* openModule(const std::string& utf8Path, std::string& error) {
    // LoadLibraryW wants backslashes; the wide path keeps any file name intact.
    const std::filesystem::path path = std::filesystem::u8path(utf8Path).make_preferred();
    HMODULE module = LoadLibraryW(path.wstring().c_str());
    if (!module)
        error = systemErrorText(GetLastError());
    return module;
}

void* moduleSymbol(void* module, const char* name) {
    if (!module)
        return nullptr;
    // Through void(*)(), the one type GCC lets any function pointer pass.
    return reinterpret_cast<void*>(
        reinterpret_cast<void (*)()>(GetProcAddress(static_cast<HMODULE>(module), name)));
}

bool closeModule(void* module) {
    return module && FreeLibrary(static_cast<HMODULE>(module)) != 0;
}

}  // namespace plux::vsthost
