#include "tools/vsthost/host_callback.h"

#include <cmath>
#include <cstring>

namespace plux::vsthost {
namespace {

HostContext* activeHost = nullptr;

// Features this host offers, as asked through audioMasterCanDo.
const char* const kSupported[] = {"sendVstTimeInfo", "startStopProcess"};
// Features it knowingly lacks: the answer is -1 rather than "don't know".
const char* const kUnsupported[] = {
    "sendVstEvents",
    "sendVstMidiEvent",
    "receiveVstEvents",
    "receiveVstMidiEvent",
    "reportConnectionChanges",
    "acceptIOChanges",
    "sizeWindow",
    "offline",
    "openFileSelector",
    "closeFileSelector",
    "supplyIdle",
    "shellCategory",
    "editFile",
    "sendVstMidiEventFlagIsRealtime",
};

VstIntPtr canDo(const char* feature) {
    if (!feature)
        return 0;
    for (const char* s : kSupported) {
        if (std::strcmp(s, feature) == 0)
            return 1;
    }
    for (const char* s : kUnsupported) {
        if (std::strcmp(s, feature) == 0)
            return -1;
    }
    return 0;
}

}  // namespace

HostContext::HostContext() {
    activeHost = this;
}

HostContext::~HostContext() {
    if (activeHost == this)
        activeHost = nullptr;
}

VstIntPtr HostContext::callback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                void* ptr, float opt) {
    if (opcode == audioMasterVersion)
        return kVstVersion;
    return activeHost ? activeHost->handle(opcode, index, value, ptr, opt) : 0;
}

VstIntPtr HostContext::handle(VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
    switch (opcode) {
    case audioMasterVersion:
        return kVstVersion;
    case audioMasterGetTime:
        return reinterpret_cast<VstIntPtr>(&currentTime());
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(std::lround(sampleRate_));
    case audioMasterGetBlockSize:
        return blockSize_;
    case audioMasterCanDo:
        if (acceptIoChanges_ && ptr &&
            std::strcmp(static_cast<const char*>(ptr), "acceptIOChanges") == 0)
            return 1;
        return canDo(static_cast<const char*>(ptr));
    case audioMasterIOChanged:
        if (!acceptIoChanges_)
            return 0;
        ++ioChanges_;
        return 1;
    default:
        return 0;
    }
}

void HostContext::start() {
    samplePos_ = 0.0;
    playing_ = true;
    transportChanged_ = true;
}

void HostContext::advance(VstInt32 frames) {
    samplePos_ += frames;
    transportChanged_ = false;
}

void HostContext::stop() {
    playing_ = false;
    transportChanged_ = true;
}

const VstTimeInfo& HostContext::currentTime() {
    time_ = VstTimeInfo{};
    time_.samplePos = samplePos_;
    time_.sampleRate = sampleRate_;
    const double seconds = samplePos_ / sampleRate_;
    time_.nanoSeconds = seconds * 1e9;
    time_.ppqPos = seconds * kTempo / 60.0;
    time_.tempo = kTempo;
    time_.barStartPos = std::floor(time_.ppqPos / 4.0) * 4.0;  // 4/4: four quarters a bar
    time_.timeSigNumerator = 4;
    time_.timeSigDenominator = 4;
    time_.flags =
        kVstNanosValid | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
    if (playing_)
        time_.flags |= kVstTransportPlaying;
    if (transportChanged_)
        time_.flags |= kVstTransportChanged;
    return time_;
}

}  // namespace plux::vsthost
