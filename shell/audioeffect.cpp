#include "shell/audioeffect.h"

#include <cstdint>
#include <cstring>

#include "shell/aeffeditor.h"
#include "shell/recordthunks.h"

AudioEffect::AudioEffect(audioMasterCallback host, VstInt32 programCount, VstInt32 paramCount)
    : audioMaster(host), numPrograms(programCount), numParams(paramCount) {
    std::memset(&cEffect, 0, sizeof cEffect);
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = recordthunks::dispatcher;
    cEffect.process = recordthunks::process;
    cEffect.setParameter = recordthunks::setParameter;
    cEffect.getParameter = recordthunks::getParameter;
    cEffect.processReplacing = recordthunks::processReplacing;
    cEffect.processDoubleReplacing = recordthunks::processDoubleReplacing;
    cEffect.numPrograms = programCount;
    cEffect.numParams = paramCount;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = kVstDefaultUniqueId;
    cEffect.version = 1;
}

AudioEffect::~AudioEffect() {
    delete editor;
    editor = nullptr;
    // A host that keeps using the record after effClose finds no object.
    cEffect.object = nullptr;
    cEffect.magic = 0;
}

AudioEffect* AudioEffect::fromRecord(AEffect* record) {
    if (record == nullptr || record->magic != kEffectMagic)
        return nullptr;
    return static_cast<AudioEffect*>(record->object);
}

void AudioEffect::setFlag(VstInt32 flag, bool state) {
    if (state)
        cEffect.flags |= flag;
    else
        cEffect.flags &= ~flag;
}

void AudioEffect::setEditor(AEffEditor* newEditor) {
    if (editor != nullptr && editor != newEditor)
        delete editor;
    editor = newEditor;
    setFlag(effFlagsHasEditor, editor != nullptr);
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt) {
    return audioMaster ? audioMaster(&cEffect, opcode, index, value, ptr, opt) : 0;
}

void AudioEffect::getProgramName(char* name) {
    if (name)
        *name = '\0';
}

void AudioEffect::getParameterLabel(VstInt32, char* label) {
    if (label)
        *label = '\0';
}

void AudioEffect::getParameterDisplay(VstInt32, char* text) {
    if (text)
        *text = '\0';
}

void AudioEffect::getParameterName(VstInt32, char* text) {
    if (text)
        *text = '\0';
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value) {
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

VstInt32 AudioEffect::getMasterVersion() {
    if (!audioMaster)
        return 1;
    const VstIntPtr version = callHost(audioMasterVersion);
    return version ? static_cast<VstInt32>(version) : 1;
}

VstInt32 AudioEffect::getCurrentUniqueId() {
    return static_cast<VstInt32>(callHost(audioMasterCurrentId));
}

void AudioEffect::masterIdle() {
    callHost(audioMasterIdle);
}

bool AudioEffect::isInputConnected(VstInt32 input) {
    if (!audioMaster)
        return true;
    return callHost(audioMasterPinConnected, input, 0) == 0;
}

bool AudioEffect::isOutputConnected(VstInt32 output) {
    if (!audioMaster)
        return true;
    return callHost(audioMasterPinConnected, output, 1) == 0;
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt) {
    switch (opcode) {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        return 0;
    case effSetProgram:
        if (value < numPrograms)
            setProgram(static_cast<VstInt32>(value));
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        if (ptr)
            setProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetProgramName:
        if (ptr)
            getProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetParamLabel:
        if (ptr)
            getParameterLabel(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamDisplay:
        if (ptr)
            getParameterDisplay(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamName:
        if (ptr)
            getParameterName(index, static_cast<char*>(ptr));
        return 0;
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<VstInt32>(value));
        return 0;
    case effMainsChanged:
        if (value == 0)
            suspend();
        else
            resume();
        return 0;
    case effGetChunk:
        return ptr ? getChunk(static_cast<void**>(ptr), index != 0) : 0;
    case effSetChunk:
        if (ptr == nullptr)
            return 0;
        // The size is the host's; a negative one names no data.
        return setChunk(ptr,
                        value < 0           ? 0
                        : value > INT32_MAX ? INT32_MAX
                                            : static_cast<VstInt32>(value),
                        index != 0);
    default:
        return 0;
    }
}
