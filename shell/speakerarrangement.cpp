// Speaker-arrangement utilities of the extended effect base class. Records
// are allocated with room for exactly the speakers they hold.
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "shell/audioeffectx.h"

namespace {

size_t arrangementBytes(VstInt32 channels) {
    const size_t head = offsetof(VstSpeakerArrangement, speakers);
    return head + static_cast<size_t>(channels) * sizeof(VstSpeakerProperties);
}

}  // namespace

bool AudioEffectX::allocateArrangement(VstSpeakerArrangement** arrangement, VstInt32 channels) {
    if (arrangement == nullptr || channels < 0)
        return false;
    deallocateArrangement(arrangement);
    void* memory = std::calloc(1, arrangementBytes(channels));
    if (memory == nullptr)
        return false;
    *arrangement = static_cast<VstSpeakerArrangement*>(memory);
    (*arrangement)->numChannels = channels;
    return true;
}

bool AudioEffectX::deallocateArrangement(VstSpeakerArrangement** arrangement) {
    if (arrangement == nullptr)
        return false;
    std::free(*arrangement);
    *arrangement = nullptr;
    return true;
}

bool AudioEffectX::copySpeaker(VstSpeakerProperties* to, const VstSpeakerProperties* from) {
    if (to == nullptr || from == nullptr)
        return false;
    to->azimuth = from->azimuth;
    to->elevation = from->elevation;
    to->radius = from->radius;
    to->reserved = from->reserved;
    const size_t length = strnlen(from->name, sizeof from->name - 1);
    std::memcpy(to->name, from->name, length);
    to->name[length] = '\0';
    to->type = from->type;
    std::memcpy(to->future, from->future, sizeof to->future);
    return true;
}

bool AudioEffectX::matchArrangement(VstSpeakerArrangement** to, const VstSpeakerArrangement* from) {
    if (from == nullptr || to == nullptr)
        return false;
    if (*to == from)
        return true;
    if (!allocateArrangement(to, from->numChannels))
        return false;
    (*to)->type = from->type;
    // The records are as long as their channel count, not the declared eight.
    VstSpeakerProperties* target = (*to)->speakers;
    const VstSpeakerProperties* source = from->speakers;
    for (VstInt32 i = 0; i < from->numChannels; ++i)
        if (!copySpeaker(target + i, source + i))
            return false;
    return true;
}
