// The library's load routine: remembers the module handle, which locates the
// plug-in's folder and its embedded resources.
#include <windows.h>

#include "runtime/platform/platform.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH)
        vexmold::platform::setPluginModule(instance);
    return TRUE;
}
