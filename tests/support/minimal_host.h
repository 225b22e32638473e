// The smallest host a plug-in starts in: it answers audioMasterVersion with
// 2400 (VST 2.4) and every other call with 0. It keeps no log of calls, so
// loops that create and close many instances stay flat in memory and time.
#pragma once

#include "shell/vst/aeffectx.h"

namespace plux::testing_support {

inline VstIntPtr minimalHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

}  // namespace plux::testing_support
