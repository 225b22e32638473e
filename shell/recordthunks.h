// The functions the effect record hands to the host. Each checks the record
// and its object before forwarding to the AudioEffect behind it.
#pragma once

#include "shell/vst/aeffectx.h"

namespace recordthunks {

VstIntPtr dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                     float opt);
void process(AEffect* effect, float** inputs, float** outputs, VstInt32 frames);
void processReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 frames);
void processDoubleReplacing(AEffect* effect, double** inputs, double** outputs, VstInt32 frames);
void setParameter(AEffect* effect, VstInt32 index, float value);
float getParameter(AEffect* effect, VstInt32 index);

}  // namespace recordthunks
