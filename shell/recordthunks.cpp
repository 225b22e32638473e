// The host boundary of every instance: the record's entries. A record that
// is null, foreign or already closed is refused here, before any C++ object
// is touched. No exception passes back to the host: an entry that fails
// (memory running out, most likely) answers 0, and the instance stays usable
// because every lock and buffer inside is released on the way out.
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
        try {
            object->dispatcher(opcode, index, value, ptr, opt);
        } catch (...) {
            // Closed all the same: the host lets go of the record now.
        }
        delete object;
        return 1;
    }
    try {
        return object->dispatcher(opcode, index, value, ptr, opt);
    } catch (...) {
        return 0;
    }
}

// Audio thread.
void process(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
    try {
        if (AudioEffect* object = AudioEffect::fromRecord(effect))
            object->process(inputs, outputs, frames);
    } catch (...) {
    }
}

// Audio thread.
void processReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
    try {
        if (AudioEffect* object = AudioEffect::fromRecord(effect))
            object->processReplacing(inputs, outputs, frames);
    } catch (...) {
    }
}

// Audio thread.
void processDoubleReplacing(AEffect* effect, double** inputs, double** outputs, VstInt32 frames) {
    try {
        if (AudioEffect* object = AudioEffect::fromRecord(effect))
            object->processDoubleReplacing(inputs, outputs, frames);
    } catch (...) {
    }
}

// Any thread.
void setParameter(AEffect* effect, VstInt32 index, float value) {
    try {
        if (AudioEffect* object = AudioEffect::fromRecord(effect))
            object->setParameter(index, value);
    } catch (...) {
    }
}

// Any thread.
float getParameter(AEffect* effect, VstInt32 index) {
    try {
        AudioEffect* object = AudioEffect::fromRecord(effect);
        return object ? object->getParameter(index) : 0.0f;
    } catch (...) {
        return 0.0f;
    }
}

}  // namespace recordthunks
