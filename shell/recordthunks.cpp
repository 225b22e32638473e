// The host boundary of every instance: the record's entries. A record that
// is null, foreign or already closed is refused here, before any C++ object
// is touched.
#include "shell/recordthunks.h"

#include "shell/audioeffect.h"

namespace recordthunks {

// Any thread; effClose on the host's main thread, with nothing else running.
VstIntPtr dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                     float opt) {
    AudioEffect* object = AudioEffect::fromRecord(effect);
    if (object == nullptr)
        return 0;
    if (opcode == effClose) {
        object->dispatcher(opcode, index, value, ptr, opt);
        delete object;
        return 1;
    }
    return object->dispatcher(opcode, index, value, ptr, opt);
}

// Audio thread.
void process(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
    if (AudioEffect* object = AudioEffect::fromRecord(effect))
        object->process(inputs, outputs, frames);
}

// Audio thread.
void processReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
    if (AudioEffect* object = AudioEffect::fromRecord(effect))
        object->processReplacing(inputs, outputs, frames);
}

// Audio thread.
void processDoubleReplacing(AEffect* effect, double** inputs, double** outputs, VstInt32 frames) {
    if (AudioEffect* object = AudioEffect::fromRecord(effect))
        object->processDoubleReplacing(inputs, outputs, frames);
}

// Any thread.
void setParameter(AEffect* effect, VstInt32 index, float value) {
    if (AudioEffect* object = AudioEffect::fromRecord(effect))
        object->setParameter(index, value);
}

// Any thread.
float getParameter(AEffect* effect, VstInt32 index) {
    AudioEffect* object = AudioEffect::fromRecord(effect);
    return object ? object->getParameter(index) : 0.0f;
}

}  // namespace recordthunks
