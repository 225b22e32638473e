// The shared object's load and unload routines: the entry point also answers
// to "main", which older hosts look for, and unloading the object from a
// running host frees what it holds for the whole process.
#include "runtime/math/fft_tables.h"
#include "runtime/math/mdct.h"
#include "shell/vst/aeffectx.h"

extern "C" AEffect* VSTPluginMain(audioMasterCallback host);

#if defined(PLUX_STATIC_CXX_RUNTIME)
namespace __gnu_cxx {
// The statically linked C++ runtime's release of its emergency exception
// buffer (about 73 KB), which nothing else frees; made for leak checkers.
void __freeres();
}  // namespace __gnu_cxx
#endif

// "main" is an ordinary exported function here, never the program's entry.
extern "C" __attribute__((visibility("default"))) AEffect*
pluginMainAlias(audioMasterCallback host) __asm__("main");
extern "C" AEffect* pluginMainAlias(audioMasterCallback host) {
    return VSTPluginMain(host);
}

namespace {

__attribute__((destructor)) void releaseProcessWideTables() {
    vexmold::releaseFftTables();
    vexmold::releaseMdctLookups();
    // Our own copy of the C++ runtime allocates its emergency exception
    // buffer when the object loads and never frees it; without this every
    // dlopen/dlclose cycle would cost the host that much heap. The shared
    // runtime of the sanitizer builds is the host's, and its buffer stays.
#if defined(PLUX_STATIC_CXX_RUNTIME)
    __gnu_cxx::__freeres();
#endif
}

}  // namespace
