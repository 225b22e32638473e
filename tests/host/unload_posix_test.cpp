// Loading and unloading the shared object as a host that scans, uses and
// drops a plug-in: dlclose must unmap it, and after a warm-up every further
// load, instance, block of audio and unload must leave no heap behind.
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/host/memory_in_use.h"
#include "tests/host/plugin_loader.h"
#include "tests/support/minimal_host.h"

namespace {

// The minimal host: a log of calls would grow with every cycle.
using plux::testing_support::minimalHost;

// The other tests keep the plug-ins loaded for the whole run, so the cycles
// here load a copy under a name of its own, which dlclose really unloads.
class PrivateCopy {
  public:
    explicit PrivateCopy(const std::string& plugin) {
        char folder[] = "/tmp/plux-unload-XXXXXX";
        if (!mkdtemp(folder))
            return;
        folder_ = folder;
        file_ = folder_ + "/plux-unload-" + plugin + ".so";
        const char* dir = std::getenv("PLUX_PLUGIN_DIR");
        std::ifstream source(std::string(dir ? dir : ".") + "/" + plugin + ".so", std::ios::binary);
        std::ofstream target(file_, std::ios::binary);
        target << source.rdbuf();
        copied_ = source && target.flush();
    }
    PrivateCopy(const PrivateCopy&) = delete;
    PrivateCopy& operator=(const PrivateCopy&) = delete;
    ~PrivateCopy() {
        if (!folder_.empty()) {
            unlink(file_.c_str());
            rmdir(folder_.c_str());
        }
    }
    // Empty when the copy could not be made.
    std::string path() const { return copied_ ? file_ : std::string(); }

  private:
    std::string folder_;
    std::string file_;
    bool copied_ = false;
};

bool isMapped(const std::string& path) {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.find(path) != std::string::npos)
            return true;
    return false;
}

constexpr VstInt32 kFrames = 256;
constexpr float kUntouched = 7.0f;  // no output of either plug-in reaches it

// A host's whole use of the plug-in, from dlopen to dlclose; false when a
// step fails, the block comes back unprocessed or the object stays mapped.
bool fullCycle(const std::string& path) {
    void* object = loadLibraryFile(path);
    if (!object)
        return false;
    const PluginMain entry = libraryEntry(object);
    AEffect* effect = entry ? entry(minimalHost) : nullptr;
    bool ok = effect != nullptr && effect->magic == kEffectMagic;
    if (effect) {
        auto dispatch = [effect](VstInt32 opcode, VstIntPtr value = 0, float opt = 0.0f) {
            return effect->dispatcher(effect, opcode, 0, value, nullptr, opt);
        };
        dispatch(effOpen);
        dispatch(effSetSampleRate, 0, 48000.0f);
        dispatch(effSetBlockSize, kFrames);
        dispatch(effMainsChanged, 1);
        std::vector<float> in(kFrames, 0.25f), outL(kFrames, kUntouched), outR(kFrames, kUntouched);
        float* inputs[2] = {in.data(), in.data()};
        float* outputs[2] = {outL.data(), outR.data()};
        effect->processReplacing(effect, inputs, outputs, kFrames);
        for (VstInt32 i = 0; i < kFrames; ++i)
            ok = outL[i] != kUntouched && outR[i] != kUntouched && ok;
        dispatch(effMainsChanged, 0);
        ok = dispatch(effClose) == 1 && ok;
    }
    ok = unloadLibraryFile(object) && ok;
    return ok && !isMapped(path);
}

constexpr int kWarmUp = 10;
constexpr int kCycles = 100;
constexpr double kBytesPerCycle = 1024.0;

class Unload : public ::testing::TestWithParam<const char*> {};

TEST_P(Unload, AHundredLoadUseAndUnloadCyclesLeaveNoHeapBehind) {
    // The plug-in's system libraries stay loaded, as in a host that draws
    // with cairo itself, through the ordinary copy the other tests use:
    // pixman, under cairo, builds tables in a load-time constructor that it
    // never frees, so letting it unload every cycle would measure pixman.
    ASSERT_NE(pluginEntry(GetParam()), nullptr);
    const PrivateCopy copy(GetParam());
    const std::string path = copy.path();
    ASSERT_FALSE(path.empty());
    for (int i = 0; i < kWarmUp; ++i)
        ASSERT_TRUE(fullCycle(path)) << "warm-up cycle " << i;
    const size_t before = memoryInUse();
    bool allCyclesRan = true;
    for (int i = 0; i < kCycles; ++i)
        allCyclesRan = fullCycle(path) && allCyclesRan;
    const size_t after = memoryInUse();
    const double perCycle = (static_cast<double>(after) - static_cast<double>(before)) / kCycles;
    std::printf("[unload] %s, %d cycles after %d: memory %zu -> %zu, %+.0f bytes a cycle\n",
                GetParam(), kCycles, kWarmUp, before, after, perCycle);
    EXPECT_TRUE(allCyclesRan);
    ASSERT_GT(before, 0u);
    EXPECT_LE(perCycle, kBytesPerCycle);
}

INSTANTIATE_TEST_SUITE_P(Plugins, Unload, ::testing::Values("nulltest", "tonegen"));

}  // namespace
