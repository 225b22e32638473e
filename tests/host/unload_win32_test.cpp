// Loading and unloading the DLL as a host that scans, uses and drops a
// plug-in: after a warm-up, every further load, instance, editor session and
// unload must leave no memory and no handle behind beyond what the loader
// itself keeps for a bare LoadLibrary/FreeLibrary of the same DLL.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/host/host_window_win32.h"
#include "tests/host/plugin_loader.h"
#include "tests/support/minimal_host.h"

namespace {

// The minimal host: a log of calls would grow with every cycle.
using plux::testing_support::minimalHost;

// The other tests keep the plug-ins loaded for the whole run, so each cycle
// here loads a copy under a name of its own, which FreeLibrary really unloads.
std::wstring privateCopy(const std::string& plugin) {
    const char* dir = std::getenv("PLUX_PLUGIN_DIR");
    std::string source = std::string(dir ? dir : ".") + "\\" + plugin + ".dll";
    for (char& c : source)
        if (c == '/')
            c = '\\';
    wchar_t temp[MAX_PATH] = {};
    if (GetTempPathW(MAX_PATH, temp) == 0)
        return {};
    const std::wstring copy =
        std::wstring(temp) + L"plux-unload-" + std::wstring(plugin.begin(), plugin.end()) + L".dll";
    const std::wstring wideSource(source.begin(), source.end());
    return CopyFileW(wideSource.c_str(), copy.c_str(), FALSE) ? copy : std::wstring();
}

// Handles of this process, from the system-wide table (GetProcessHandleCount
// answers 0 under Wine).
struct HandleEntry {
    ULONG ownerPid;  // USHORT process id and USHORT back-trace index on Windows
    UCHAR objectType;
    UCHAR flags;
    USHORT handle;
    void* object;
    ULONG access;
};
struct HandleTable {
    ULONG count;
    HandleEntry entries[1];
};
using QuerySystemInformation = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004L);

long processHandleCount() {
    static const auto query = reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query)
        return -1;
    static std::vector<unsigned char> buffer(1 << 20);
    LONG status = 0;
    ULONG needed = 0;
    while ((status = query(kSystemHandleInformation, buffer.data(),
                           static_cast<ULONG>(buffer.size()), &needed)) == kInfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status != 0)
        return -1;
    const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
    const ULONG pid = GetCurrentProcessId() & 0xFFFF;
    long count = 0;
    for (ULONG i = 0; i < table->count; ++i)
        count += (table->entries[i].ownerPid & 0xFFFF) == pid ? 1 : 0;
    return count;
}

long long committedBytes() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return -1;
    return static_cast<long long>(counters.PagefileUsage);
}

// The loader's part: the DLL loaded and unloaded, nothing called.
bool bareCycle(const std::wstring& dll) {
    HMODULE module = LoadLibraryW(dll.c_str());
    if (!module)
        return false;
    FreeLibrary(module);
    return GetModuleHandleW(dll.c_str()) == nullptr;
}

// A host's whole use of the plug-in, from load to unload; false when a step
// fails or the DLL stays loaded.
bool fullCycle(const std::wstring& dll, HWND hostWindow) {
    HMODULE module = LoadLibraryW(dll.c_str());
    if (!module)
        return false;
    const auto entry = reinterpret_cast<PluginMain>(
        reinterpret_cast<void*>(GetProcAddress(module, "VSTPluginMain")));
    AEffect* effect = entry ? entry(minimalHost) : nullptr;
    bool ok = effect != nullptr;
    if (effect) {
        auto dispatch = [effect](VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr,
                                 float opt = 0.0f) {
            return effect->dispatcher(effect, opcode, 0, value, ptr, opt);
        };
        dispatch(effOpen);
        dispatch(effSetSampleRate, 0, nullptr, 48000.0f);
        dispatch(effSetBlockSize, 256);
        dispatch(effMainsChanged, 1);
        std::vector<float> in(256, 0.25f), outL(256), outR(256);
        float* inputs[2] = {in.data(), in.data()};
        float* outputs[2] = {outL.data(), outR.data()};
        effect->processReplacing(effect, inputs, outputs, 256);
        std::vector<double> inD(256, 0.25), outDL(256), outDR(256);
        double* inputsD[2] = {inD.data(), inD.data()};
        double* outputsD[2] = {outDL.data(), outDR.data()};
        effect->processDoubleReplacing(effect, inputsD, outputsD, 256);
        ok = dispatch(effEditOpen, 0, hostWindow) == 1 && ok;
        UpdateWindow(GetWindow(hostWindow, GW_CHILD));
        dispatch(effEditIdle);
        hostwindow::pumpMessages();
        dispatch(effEditClose);
        hostwindow::pumpMessages();
        dispatch(effMainsChanged, 0);
        dispatch(effClose);
    }
    FreeLibrary(module);
    return ok && GetModuleHandleW(dll.c_str()) == nullptr;
}

struct Growth {
    double bytesPerCycle = 0;
    long handles = 0;  // over all measured cycles
    bool allCyclesRan = true;
};

// Wine's own caches behind a GDI+ that is loaded and started afresh each
// cycle grow over the first twenty-odd cycles, then stay put.
constexpr int kWarmUp = 50;
constexpr int kCycles = 100;

template <typename Cycle> bool runCycles(int count, Cycle cycle) {
    bool allRan = true;
    for (int i = 0; i < count; ++i)
        allRan = cycle() && allRan;
    return allRan;
}

template <typename Cycle> Growth measureCycles(Cycle cycle) {
    Growth growth;
    const long long bytesBefore = committedBytes();
    const long handlesBefore = processHandleCount();
    growth.allCyclesRan = runCycles(kCycles, cycle);
    const long long bytesAfter = committedBytes();
    const long handlesAfter = processHandleCount();
    EXPECT_GT(bytesBefore, 0);
    EXPECT_GT(handlesBefore, 0);
    growth.bytesPerCycle = static_cast<double>(bytesAfter - bytesBefore) / kCycles;
    growth.handles = handlesAfter - handlesBefore;
    return growth;
}

class Unload : public ::testing::TestWithParam<const char*> {};

TEST_P(Unload, AHundredLoadUseAndUnloadCyclesCostNoMoreThanTheLoader) {
    const std::wstring dll = privateCopy(GetParam());
    ASSERT_FALSE(dll.empty());
    HWND host = hostwindow::asHwnd(hostwindow::hostWindow());
    const auto bareUse = [&] { return bareCycle(dll); };
    const auto fullUse = [&] { return fullCycle(dll, host); };
    // Both warmed up first, so that neither figure carries the process's
    // first growth.
    EXPECT_TRUE(runCycles(kWarmUp, bareUse));
    EXPECT_TRUE(runCycles(kWarmUp, fullUse));
    const Growth bare = measureCycles(bareUse);
    const Growth full = measureCycles(fullUse);
    DeleteFileW(dll.c_str());
    std::printf(
        "[unload] %s, %d cycles after %d: bare load/unload %+.0f bytes a cycle, %+ld handles "
        "in all; full use %+.0f bytes a cycle, %+ld handles in all; beyond the loader %+.0f "
        "bytes a cycle, %+ld handles in all\n",
        GetParam(), kCycles, kWarmUp, bare.bytesPerCycle, bare.handles, full.bytesPerCycle,
        full.handles, full.bytesPerCycle - bare.bytesPerCycle, full.handles - bare.handles);
    EXPECT_TRUE(bare.allCyclesRan);
    EXPECT_TRUE(full.allCyclesRan);
    EXPECT_EQ(hostwindow::countChildren(), 0);
    EXPECT_LT(full.bytesPerCycle, std::max(bare.bytesPerCycle, 0.0) + 1024.0);
    // The loader keeps no handle, so every one is ours.
    EXPECT_EQ(bare.handles, 0);
    EXPECT_EQ(full.handles, 0);
}

INSTANTIATE_TEST_SUITE_P(Plugins, Unload, ::testing::Values("nulltest", "tonegen"));

}  // namespace
