// The extended host-interface base class: the full VST 2.4 opcode table and
// every call the plug-in can make to the host.
#pragma once

#include "shell/audioeffect.h"

class AudioEffectX : public AudioEffect {
  public:
    AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);

    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                         float opt) override;
    // Asks the host for MIDI when the effect is a synth or says it takes MIDI.
    void resume() override;

    // Reached through the opcode table.
    virtual bool getProgramNameIndexed(VstInt32 /*category*/, VstInt32 /*index*/, char* /*text*/) {
        return false;
    }
    virtual VstInt32 processEvents(VstEvents* /*events*/) { return 0; }
    virtual bool getEffectName(char* /*name*/) { return false; }
    virtual bool getVendorString(char* /*text*/) { return false; }
    virtual bool getProductString(char* /*text*/) { return false; }
    virtual VstInt32 getVendorVersion() { return 0; }
    virtual VstInt32 canDo(char* /*text*/) { return 0; }

    // Flags.
    virtual void isSynth(bool state = true) { setFlag(effFlagsIsSynth, state); }
    virtual void noTail(bool state = true) { setFlag(effFlagsNoSoundInStop, state); }
    virtual void extIsAsync(bool state = true) { setFlag(effFlagsExtIsAsync, state); }
    virtual void extHasBuffer(bool state = true) { setFlag(effFlagsExtHasBuffer, state); }

    // Host communication.
    virtual bool wantEvents(VstInt32 filter = 1);
    virtual VstTimeInfo* getTimeInfo(VstInt32 filter);
    virtual bool sendVstEventsToHost(VstEvents* events);
    virtual VstInt32 tempoAt(VstInt32 position);
    virtual VstInt32 getNumAutomatableParameters();
    virtual VstInt32 getParameterQuantization();
    virtual bool ioChanged();
    virtual bool needIdle();
    virtual bool sizeWindow(VstInt32 width, VstInt32 height);
    virtual double updateSampleRate();
    virtual VstInt32 updateBlockSize();
    virtual VstInt32 getInputLatency();
    virtual VstInt32 getOutputLatency();
    virtual AEffect* getPreviousPlug(VstInt32 input);
    virtual AEffect* getNextPlug(VstInt32 output);
    virtual VstInt32 willProcessReplacing();
    virtual VstInt32 getCurrentProcessLevel();
    virtual VstInt32 getAutomationState();
    virtual bool offlineStart(void* audioFiles, VstInt32 numAudioFiles, VstInt32 numNewAudioFiles);
    virtual bool offlineRead(void* offline, VstInt32 option, bool readSource);
    virtual bool offlineWrite(void* offline, VstInt32 option);
    virtual VstInt32 offlineGetCurrentPass();
    virtual VstInt32 offlineGetCurrentMetaPass();
    virtual VstInt32 setOutputSampleRate(float rate);
    virtual VstSpeakerArrangement* getOutputSpeakerArrangement();
    virtual VstSpeakerArrangement* getInputSpeakerArrangement();
    virtual bool getHostVendorString(char* text);
    virtual bool getHostProductString(char* text);
    virtual VstInt32 getHostVendorVersion();
    virtual VstIntPtr hostVendorSpecific(VstInt32 lArg1, VstIntPtr lArg2, void* ptrArg,
                                         float floatArg);
    virtual bool canHostDo(char* text);
    virtual VstInt32 getHostLanguage();
    virtual void* openWindow(void* window);
    virtual bool closeWindow(void* window);
    virtual void* getDirectory();
    virtual bool updateDisplay();
    virtual bool beginEdit(VstInt32 index);
    virtual bool endEdit(VstInt32 index);
    virtual bool openFileSelector(void* selector);
    virtual bool closeFileSelector(void* selector);
    virtual bool getChunkFile(void* nativePath);

    // Speaker arrangements: records for n speakers, allocated with room for n.
    virtual bool allocateArrangement(VstSpeakerArrangement** arrangement, VstInt32 channels);
    virtual bool deallocateArrangement(VstSpeakerArrangement** arrangement);
    virtual bool copySpeaker(VstSpeakerProperties* to, const VstSpeakerProperties* from);
    virtual bool matchArrangement(VstSpeakerArrangement** to, const VstSpeakerArrangement* from);
};
