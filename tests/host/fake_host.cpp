#include "tests/host/fake_host.h"

#include <mutex>

namespace fakehost {

namespace {
std::mutex gMutex;
std::vector<HostCall> gCalls;
VstTimeInfo gTime{};
bool gHasTime = false;
}  // namespace

void reset() {
    std::lock_guard<std::mutex> lock(gMutex);
    gCalls.clear();
    gHasTime = false;
}

VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                   float opt) {
    std::lock_guard<std::mutex> lock(gMutex);
    gCalls.push_back({effect, opcode, index, value, ptr, opt, false});
    switch (opcode) {
    case audioMasterVersion:
        return 2400;
    case audioMasterGetTime:
        return gHasTime ? reinterpret_cast<VstIntPtr>(&gTime) : 0;
    default:
        return 0;
    }
}

VstIntPtr refusingCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                           void* ptr, float opt) {
    std::lock_guard<std::mutex> lock(gMutex);
    gCalls.push_back({effect, opcode, index, value, ptr, opt, false});
    return 0;
}

std::vector<HostCall> calls() {
    std::lock_guard<std::mutex> lock(gMutex);
    return gCalls;
}

int countCalls(VstInt32 opcode) {
    std::lock_guard<std::mutex> lock(gMutex);
    int n = 0;
    for (const HostCall& c : gCalls)
        n += c.opcode == opcode ? 1 : 0;
    return n;
}

void setTimeInfo(const VstTimeInfo* info) {
    std::lock_guard<std::mutex> lock(gMutex);
    gHasTime = info != nullptr;
    if (info)
        gTime = *info;
}

}  // namespace fakehost
