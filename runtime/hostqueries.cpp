// The script's host queries: each forwards to the linked host, except the
// time a graphics section reads, which its pass holds.
#include "runtime/hostqueries.h"

#include "platform/platform.h"

CVexmoldPlux::GraphicsPassScope::GraphicsPassScope(CVexmoldPlux& running,
                                                   const TVexmoldGraphicsPass& pass)
    : script(running) {
    script.runningThread.store(plux::platform::currentThreadId(), std::memory_order_relaxed);
    script.runningPass.store(&pass, std::memory_order_release);
}

CVexmoldPlux::GraphicsPassScope::~GraphicsPassScope() {
    script.runningPass.store(nullptr, std::memory_order_release);
}

const TVexmoldGraphicsPass* CVexmoldPlux::graphicsPassHere() const {
    const TVexmoldGraphicsPass* pass = graphicsPass();
    if (pass == nullptr ||
        runningThread.load(std::memory_order_relaxed) != plux::platform::currentThreadId())
        return nullptr;
    return pass;
}

bool CVexmoldPlux::sectionTime(TVexmoldHostTime& time) const {
    if (const TVexmoldGraphicsPass* pass = graphicsPassHere()) {
        time = pass->time;
        return time.known;
    }
    return plux && plux->timeForSection(time) && time.known;
}

double CVexmoldPlux::hostChannelCount() const {
    return plux ? plux->inputChannels() : 0.0;
}
double CVexmoldPlux::hostOutputCount() const {
    return plux ? plux->outputChannels() : 0.0;
}
double CVexmoldPlux::hostSampleRate() const {
    return plux ? plux->currentSampleRate() : 0.0;
}
double CVexmoldPlux::hostBlockSize() const {
    return plux ? plux->currentBlockSize() : 0.0;
}

void CVexmoldPlux::hostSetLatency(int32_t samples) const {
    if (plux)
        plux->reportLatency(samples);
}

double CVexmoldPlux::hostTempo() const {
    TVexmoldHostTime time;
    return sectionTime(time) ? time.tempo : 0.0;
}

double CVexmoldPlux::hostIsPlaying() const {
    TVexmoldHostTime time;
    return sectionTime(time) && time.playing ? 1.0 : 0.0;
}

double CVexmoldPlux::hostIsRecording() const {
    TVexmoldHostTime time;
    return sectionTime(time) && time.recording ? 1.0 : 0.0;
}

double CVexmoldPlux::hostQuarterPosition() const {
    TVexmoldHostTime time;
    return sectionTime(time) ? time.quarterPosition : 0.0;
}

double CVexmoldPlux::hostBarStart() const {
    TVexmoldHostTime time;
    return sectionTime(time) ? time.barStart : 0.0;
}

bool CVexmoldPlux::hostTempoAndSignature(double* tempo, double* numerator,
                                         double* denominator) const {
    TVexmoldHostTime time;
    if (!sectionTime(time))
        return false;
    if (tempo)
        *tempo = time.tempo;
    if (numerator)
        *numerator = time.timeSigNumerator;
    if (denominator)
        *denominator = time.timeSigDenominator;
    return true;
}

bool CVexmoldPlux::hostUpdateDisplay() const {
    if (!plux)
        return false;
    plux->requestDisplayUpdate();
    return true;
}

bool CVexmoldPlux::hostSetAutomated(int32_t index, double value) const {
    if (!plux)
        return false;
    plux->automateParameter(index, value);
    return true;
}

bool CVexmoldPlux::hostDeclareSynth(bool state) const {
    if (!plux)
        return false;
    plux->declareSynth(state);
    return true;
}

bool CVexmoldPlux::midiReceive(double* deltaFrames, double* data1, double* data2,
                               double* data3) const {
    double delta = 0.0;
    double data[3] = {0.0, 0.0, 0.0};
    const bool received = plux && plux->nextMidiInput(delta, data);
    if (!received) {
        delta = 0.0;
        data[0] = data[1] = data[2] = 0.0;
    }
    if (deltaFrames)
        *deltaFrames = delta;
    if (data1)
        *data1 = data[0];
    if (data2)
        *data2 = data[1];
    if (data3)
        *data3 = data[2];
    return received;
}

bool CVexmoldPlux::midiSendShort(int32_t deltaFrames, int32_t data1, int32_t data2,
                                 int32_t data3) const {
    return plux && plux->sendMidi(deltaFrames, data1, data2, data3);
}

bool CVexmoldPlux::midiSendSysEx(int32_t deltaFrames, const char* data, int32_t length) const {
    if (!plux || (data == nullptr && length != 0) || length < 0)
        return false;
    return plux->sendSysEx(deltaFrames, data, length);
}

double CVexmoldPlux::getHostVendorVersion() const {
    return plux ? plux->hostNumber(TVexmoldHost::Number::vendorVersion) : 0.0;
}
double CVexmoldPlux::getHostLanguage() const {
    return plux ? plux->hostNumber(TVexmoldHost::Number::language) : 0.0;
}
double CVexmoldPlux::getMasterVersion() const {
    return plux ? plux->hostNumber(TVexmoldHost::Number::masterVersion) : 0.0;
}
double CVexmoldPlux::getCurrentUniqueId() const {
    return plux ? plux->hostNumber(TVexmoldHost::Number::currentUniqueId) : 0.0;
}
void CVexmoldPlux::masterIdle() const {
    if (plux)
        plux->idleHost();
}
bool CVexmoldPlux::getHostVendorString(char* text) const {
    return plux && text && plux->hostText(TVexmoldHost::Text::vendor, text);
}
bool CVexmoldPlux::getHostProductString(char* text) const {
    return plux && text && plux->hostText(TVexmoldHost::Text::product, text);
}

void CVexmoldPlux::requestRedraw() const {
    if (plux)
        plux->requestRedraw();
}
