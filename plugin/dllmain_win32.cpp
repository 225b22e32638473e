// The library's load routine: frees what the library holds for the whole
// process when it is unloaded from a running process, so
// that a host that loads and unloads the plug-in again and again gets the
// memory back. At process exit (reserved not null) nothing is freed: other
// threads are gone and the memory goes with the process.
#include <windows.h>

#include "runtime/math/fft_tables.h"
#include "runtime/math/mdct.h"

#if defined(__GLIBCXX__)
namespace __gnu_cxx {
// The statically linked C++ runtime's release of its emergency exception
// buffer (about 73 KB), which nothing else frees; made for leak checkers.
void __freeres();
}  // namespace __gnu_cxx
#endif

extern "C" BOOL WINAPI DllMain(HINSTANCE /*instance*/, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        vexmold::releaseFftTables();
        vexmold::releaseMdctLookups();
#if defined(__GLIBCXX__)
        __gnu_cxx::__freeres();
#endif
    }
    return TRUE;
}
