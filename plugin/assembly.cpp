#include "plugin/assembly.h"

#include <new>

#include "gui/editor/pluxeditor.h"
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
    // The editor attaches itself; the wrapper owns it from then on. Without
    // memory for it the instance has no editor.
    if (script->editorWidth > 0 && script->editorHeight > 0)
        new (std::nothrow) CPluxEditor(plux, script->editorWidth, script->editorHeight);
    script->plux = plux;
    return plux->getAeffect();
}
