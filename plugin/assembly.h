// Assembly of one plug-in instance: script object, callback table, host
// wrapper and editor, handed to the host as the wrapper's effect record.
#pragma once

#include "shell/vst/aeffectx.h"

class TVexmold;

// Takes ownership of the script object (deleted when no instance results).
// Answers the effect record, or null when the host refuses or memory runs out.
AEffect* assemblePlugin(audioMasterCallback host, TVexmold* script);

// Provided by each plug-in: a new script object of its effect.
TVexmold* createEffectScript();
