#include "shell/assembly.h"

#include "runtime/vexmold.h"
#include "shell/plux.h"

AEffect* assemblePlugin(audioMasterCallback host, TVexmold* script) {
    if (script == nullptr)
        return nullptr;
    const TPluxCallbacks callbacks = standardPluxCallbacks();
    CPlux* plux = nullptr;
    try {
        plux = CPlux::create(script, &callbacks, host, 1, script->parameterCount());
    } catch (...) {
        delete script;  // the wrapper never took it
        return nullptr;
    }
    if (plux == nullptr)
        return nullptr;
    script->plux = plux;
    return plux->getAeffect();
}
