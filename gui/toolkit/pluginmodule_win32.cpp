#include "gui/toolkit/pluginmodule_win32.h"

namespace VSTGUI {

namespace {
// Any address inside this module identifies it.
const char gModuleAnchor = 0;
}  // namespace

HMODULE getPluginModule() {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&gModuleAnchor), &module))
        return nullptr;
    return module;
}

}  // namespace VSTGUI
