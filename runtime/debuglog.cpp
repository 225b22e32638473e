#include "runtime/debuglog.h"

#include <cstdio>
#include <mutex>

#include "platform/platform.h"

namespace vexmold {

namespace {
plux::platform::Lock gPathMutex;  // the log may be written from the editor and audio threads
std::string gPath;
// The root of the current drive; the file-system root elsewhere.
#ifdef _WIN32
const char* const kDefaultPath = "\\geep.log.txt";
#else
const char* const kDefaultPath = "/geep.log.txt";
#endif
}  // namespace

void setDebugLogPath(const std::string& path) {
    std::lock_guard<plux::platform::Lock> lock(gPathMutex);
    gPath = path;
}

std::string debugLogPath() {
    std::lock_guard<plux::platform::Lock> lock(gPathMutex);
    return gPath.empty() ? std::string(kDefaultPath) : gPath;
}

int debugLog(const std::string& text) {
    FILE* file = std::fopen(debugLogPath().c_str(), "a");
    if (file == nullptr)
        return 0;
    std::fprintf(file, "%s\n", text.c_str());
    std::fclose(file);
    return plux::platform::beep(2000, 200);
}

}  // namespace vexmold
