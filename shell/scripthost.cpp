// The wrapper as the script's host (TVexmoldHost): what script sections ask
// of the VST 2.4 host. Sections run under the wrapper's lock, so these read
// the wrapper's fields without further protection; the time and the display
// update go through copies, so the host is not called with the lock held.
#include <cstring>
#include <mutex>

#include "shell/plux.h"

namespace {

// Host bytes are signed, as MIDI data reads them.
double signedByte(char c) {
    return static_cast<double>(static_cast<signed char>(c));
}

bool sendOneEvent(CPlux& plux, VstEvent* event) {
    VstEvents list{};
    list.numEvents = 1;
    list.events[0] = event;
    return plux.sendVstEventsToHost(&list);
}

}  // namespace

TVexmoldHostTime CPlux::scriptTime(const VstTimeInfo& info, bool known) {
    TVexmoldHostTime time;
    time.known = known;
    time.playing = (info.flags & kVstTransportPlaying) != 0;
    time.recording = (info.flags & kVstTransportRecording) != 0;
    time.tempo = info.tempo;
    time.quarterPosition = info.ppqPos;
    time.barStart = info.barStartPos;
    time.timeSigNumerator = info.timeSigNumerator;
    time.timeSigDenominator = info.timeSigDenominator;
    return time;
}

double CPlux::inputChannels() {
    return cEffect.numInputs;
}
double CPlux::outputChannels() {
    return cEffect.numOutputs;
}
double CPlux::currentSampleRate() {
    return getSampleRate();
}
double CPlux::currentBlockSize() {
    return getBlockSize();
}

void CPlux::reportLatency(int32_t samples) {
    setInitialDelay(samples);
}

// The copy the binding took from the host before it locked: sections never
// call the host for it. Read under scriptLock, which the audio side's
// sections hold already. (A graphics section reads its pass instead.)
bool CPlux::timeForSection(TVexmoldHostTime& time) {
    std::lock_guard<plux::platform::RecursiveLock> guard(scriptLock);
    time = hostTime;
    return time.known;
}

// Sent by the binding once it has released scriptLock. Atomic: a graphics
// section asks without scriptLock.
void CPlux::requestDisplayUpdate() {
    displayUpdateRequested = true;
}

void CPlux::automateParameter(int32_t index, double value) {
    setParameterAutomated(index, static_cast<float>(value));
}

void CPlux::declareSynth(bool state) {
    isSynth(state);
}

bool CPlux::nextMidiInput(double& deltaFrames, double data[3]) {
    if (midiRead == midiWrite)
        return false;
    const VstMidiEvent& e = midiRing[static_cast<size_t>(midiRead)];
    deltaFrames = e.deltaFrames;
    for (int i = 0; i < 3; ++i)
        data[i] = signedByte(e.midiData[i]);
    midiRead = midiRead + 1 >= kMidiRingSize ? 0 : midiRead + 1;
    return true;
}

bool CPlux::sendMidi(int32_t deltaFrames, int32_t data1, int32_t data2, int32_t data3) {
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = deltaFrames;
    event.midiData[0] = static_cast<char>(data1);
    event.midiData[1] = static_cast<char>(data2);
    event.midiData[2] = static_cast<char>(data3);
    return sendOneEvent(*this, reinterpret_cast<VstEvent*>(&event));
}

bool CPlux::sendSysEx(int32_t deltaFrames, const char* data, int32_t length) {
    VstMidiSysexEvent event{};
    event.type = kVstSysExType;
    event.byteSize = sizeof(VstMidiSysexEvent);
    event.deltaFrames = deltaFrames;
    event.dumpBytes = length;
    event.sysexDump = const_cast<char*>(data);  // the host only reads it
    return sendOneEvent(*this, reinterpret_cast<VstEvent*>(&event));
}

double CPlux::hostNumber(Number which) {
    switch (which) {
    case Number::vendorVersion:
        return getHostVendorVersion();
    case Number::language:
        return getHostLanguage();
    case Number::masterVersion:
        return getMasterVersion();
    case Number::currentUniqueId:
        return getCurrentUniqueId();
    }
    return 0.0;
}

bool CPlux::hostText(Text which, char* text) {
    return which == Text::vendor ? getHostVendorString(text) : getHostProductString(text);
}

void CPlux::idleHost() {
    masterIdle();
}

void CPlux::requestRedraw() {
    requestEditorRedraw();
}
