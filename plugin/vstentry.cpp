// The exported entry point (also exported as "main" and "MAIN" through the
// module-definition file). Main thread of the host, once per instance.
#include "plugin/assembly.h"
#include "shell/vst/aeffectx.h"

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host) {
    // Nothing may escape to the host: running out of memory means no instance.
    try {
        return assemblePlugin(host, createEffectScript());
    } catch (...) {
        return nullptr;
    }
}
