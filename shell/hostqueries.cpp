// What script sections can ask of the host, through the script object's link
// to its wrapper. Sections run under the wrapper's lock, so these read the
// wrapper's fields without further protection; the time and the display
// update go through copies, so the host is not called with the lock held,
// and those two may be used by the graphics section as well.
#include <cstring>
#include <mutex>

#include "runtime/hostqueries.h"
#include "runtime/vexmold.h"
#include "shell/plux.h"

namespace {

// The copy the binding took from the host before it locked: sections never
// call the host for it. That request must cover the filter of every query.
// The drawing copy's section reads the copy its draw took of what the audio
// side last published, so that all its queries agree with each other and
// none takes scriptLock. Every other asker reads hostTime under scriptLock,
// which the audio side's sections hold already; only the graphics section
// of an effect without a drawing copy takes it here.
template <VstInt32 filter>
bool timeInfo(const CVexmoldPlux* asker, CPlux* plux, VstTimeInfo& info) {
    static_assert((filter & ~CPlux::kScriptTimeFilter) == 0,
                  "the wrapper asks the host for every field a time query reads");
    if (!plux)
        return false;
    if (plux->drawScript && asker == plux->drawScript) {
        info = plux->drawTime;
        return plux->drawTimeKnown;
    }
    std::lock_guard<plux::platform::RecursiveLock> guard(plux->scriptLock);
    if (!plux->hostTimeKnown)
        return false;
    info = plux->hostTime;
    return true;
}

// Host bytes are signed, as MIDI data reads them.
double signedByte(char c) {
    return static_cast<double>(static_cast<signed char>(c));
}

}  // namespace

double CVexmoldPlux::hostChannelCount() const {
    return plux ? plux->inputCount() : 0.0;
}
double CVexmoldPlux::hostOutputCount() const {
    return plux ? plux->outputCount() : 0.0;
}
double CVexmoldPlux::hostSampleRate() const {
    return plux ? plux->getSampleRate() : 0.0;
}
double CVexmoldPlux::hostBlockSize() const {
    return plux ? plux->getBlockSize() : 0.0;
}

void CVexmoldPlux::hostSetLatency(int32_t samples) const {
    if (plux)
        plux->setInitialDelay(samples);
}

double CVexmoldPlux::hostTempo() const {
    VstTimeInfo info;
    return timeInfo<kVstTempoValid>(this, plux, info) ? info.tempo : 0.0;
}

double CVexmoldPlux::hostIsPlaying() const {
    VstTimeInfo info;
    const bool on = timeInfo<kVstTransportPlaying>(this, plux, info) &&
                    (info.flags & kVstTransportPlaying) != 0;
    return on ? 1.0 : 0.0;
}

double CVexmoldPlux::hostIsRecording() const {
    VstTimeInfo info;
    const bool on = timeInfo<kVstTransportRecording>(this, plux, info) &&
                    (info.flags & kVstTransportRecording) != 0;
    return on ? 1.0 : 0.0;
}

double CVexmoldPlux::hostQuarterPosition() const {
    VstTimeInfo info;
    return timeInfo<kVstPpqPosValid>(this, plux, info) ? info.ppqPos : 0.0;
}

double CVexmoldPlux::hostBarStart() const {
    VstTimeInfo info;
    return timeInfo<kVstBarsValid>(this, plux, info) ? info.barStartPos : 0.0;
}

bool CVexmoldPlux::hostTempoAndSignature(double* tempo, double* numerator,
                                         double* denominator) const {
    VstTimeInfo info;
    if (!timeInfo<kVstTempoValid | kVstTimeSigValid>(this, plux, info))
        return false;
    if (tempo)
        *tempo = info.tempo;
    if (numerator)
        *numerator = info.timeSigNumerator;
    if (denominator)
        *denominator = info.timeSigDenominator;
    return true;
}

// Sent by the binding once it has released scriptLock.
bool CVexmoldPlux::hostUpdateDisplay() const {
    if (!plux)
        return false;
    plux->displayUpdateRequested = true;
    return true;
}

bool CVexmoldPlux::hostSetAutomated(int32_t index, double value) const {
    if (!plux)
        return false;
    plux->setParameterAutomated(index, static_cast<float>(value));
    return true;
}

bool CVexmoldPlux::hostDeclareSynth(bool state) const {
    if (!plux)
        return false;
    plux->isSynth(state);
    return true;
}

bool CVexmoldPlux::midiReceive(double* deltaFrames, double* data1, double* data2,
                               double* data3) const {
    double values[4] = {0, 0, 0, 0};
    bool received = false;
    if (plux && plux->midiRead != plux->midiWrite) {
        const VstMidiEvent& e = plux->midiRing[static_cast<size_t>(plux->midiRead)];
        values[0] = e.deltaFrames;
        values[1] = signedByte(e.midiData[0]);
        values[2] = signedByte(e.midiData[1]);
        values[3] = signedByte(e.midiData[2]);
        plux->midiRead = plux->midiRead + 1 >= CPlux::kMidiRingSize ? 0 : plux->midiRead + 1;
        received = true;
    }
    if (deltaFrames)
        *deltaFrames = values[0];
    if (data1)
        *data1 = values[1];
    if (data2)
        *data2 = values[2];
    if (data3)
        *data3 = values[3];
    return received;
}

bool CVexmoldPlux::midiSendShort(int32_t deltaFrames, int32_t data1, int32_t data2,
                                 int32_t data3) const {
    if (!plux)
        return false;
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = deltaFrames;
    event.midiData[0] = static_cast<char>(data1);
    event.midiData[1] = static_cast<char>(data2);
    event.midiData[2] = static_cast<char>(data3);
    VstEvents list{};
    list.numEvents = 1;
    list.events[0] = reinterpret_cast<VstEvent*>(&event);
    return plux->sendVstEventsToHost(&list);
}

bool CVexmoldPlux::midiSendSysEx(int32_t deltaFrames, const char* data, int32_t length) const {
    if (!plux || (data == nullptr && length != 0) || length < 0)
        return false;
    VstMidiSysexEvent event{};
    event.type = kVstSysExType;
    event.byteSize = sizeof(VstMidiSysexEvent);
    event.deltaFrames = deltaFrames;
    event.dumpBytes = length;
    event.sysexDump = const_cast<char*>(data);  // the host only reads it
    VstEvents list{};
    list.numEvents = 1;
    list.events[0] = reinterpret_cast<VstEvent*>(&event);
    return plux->sendVstEventsToHost(&list);
}

double CVexmoldPlux::getHostVendorVersion() const {
    return plux ? plux->getHostVendorVersion() : 0.0;
}
double CVexmoldPlux::getHostLanguage() const {
    return plux ? plux->getHostLanguage() : 0.0;
}
double CVexmoldPlux::getMasterVersion() const {
    return plux ? plux->getMasterVersion() : 0.0;
}
double CVexmoldPlux::getCurrentUniqueId() const {
    return plux ? plux->getCurrentUniqueId() : 0.0;
}
void CVexmoldPlux::masterIdle() const {
    if (plux)
        plux->masterIdle();
}
bool CVexmoldPlux::getHostVendorString(char* text) const {
    return plux && text && plux->getHostVendorString(text);
}
bool CVexmoldPlux::getHostProductString(char* text) const {
    return plux && text && plux->getHostProductString(text);
}

void CVexmoldPlux::requestRedraw() const {
    if (plux)
        plux->requestEditorRedraw();
}
