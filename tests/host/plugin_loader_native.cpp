// Native build: the plug-ins' entry points are the assembly of their effect
// classes, run in-process.
#include "effects/nulltest/nulltest_effect.h"
#include "effects/tonegen/tonegen_effect.h"
#include "shell/assembly.h"
#include "tests/host/plugin_loader.h"

#include <gtest/gtest.h>

namespace {

AEffect* nulltestMain(audioMasterCallback host) {
    return assemblePlugin(host, new nulltest::TVexmoldEffect);
}

AEffect* tonegenMain(audioMasterCallback host) {
    return assemblePlugin(host, new tonegen::TVexmoldEffect);
}

}  // namespace

PluginMain pluginEntry(const std::string& plugin, const char* /*exportName*/) {
    if (plugin == "nulltest")
        return nulltestMain;
    if (plugin == "tonegen")
        return tonegenMain;
    return nullptr;
}

AEffect* createInstance(const std::string& plugin, audioMasterCallback host) {
    PluginMain entry = pluginEntry(plugin);
    AEffect* effect = entry ? entry(host) : nullptr;
    EXPECT_NE(effect, nullptr) << plugin;
    return effect;
}

VstIntPtr closeInstance(AEffect* effect) {
    return effect ? effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f) : 0;
}
