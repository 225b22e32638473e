// The shared object's load and unload routines: the entry point also answers
// to "main", which older hosts look for, and unloading the object from a
// running host frees what it holds for the whole process.
#include "runtime/math/fft_tables.h"
#include "runtime/math/mdct.h"
#include "shell/vst/aeffectx.h"

extern "C" AEffect* VSTPluginMain(audioMasterCallback host);

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
}

}  // namespace
