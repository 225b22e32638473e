// A host for tests: answers the plug-in's calls like a simple DAW and records
// every call it receives.
#pragma once

#include <vector>

#include "shell/vst/aeffectx.h"
#include "tests/support/recording_host.h"

using plux::testing_support::HostCall;

namespace fakehost {

// Resets the log and the answers to their defaults.
void reset();
// The callback to hand to VSTPluginMain.
VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                   float opt);
// A callback that refuses: answers 0 to everything, including the version.
VstIntPtr refusingCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                           void* ptr, float opt);

std::vector<HostCall> calls();
int countCalls(VstInt32 opcode);

// What audioMasterGetTime answers; null means no time information.
void setTimeInfo(const VstTimeInfo* info);

}  // namespace fakehost
