// Base class of a plug-in editor as the host dispatcher sees it. The
// concrete editor attaches itself to its effect; every operation here is
// answered by the editor, and the dispatcher answers 0 when none is attached.
#pragma once

#include "shell/vst/aeffectx.h"

class AudioEffect;

class AEffEditor {
  public:
    explicit AEffEditor(AudioEffect* owner) : effect(owner) {}
    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;
    virtual ~AEffEditor() = default;

    virtual AudioEffect* getEffect() { return effect; }
    // Stores a pointer to the editor's rectangle in *rect; 1 on success.
    virtual bool getRect(ERect** rect) = 0;
    // UI thread: opens the editor inside the host's parent window.
    virtual bool open(void* parentWindow) = 0;
    virtual void close() = 0;
    virtual bool isOpen() = 0;
    virtual void idle() = 0;
    virtual bool onKeyDown(VstKeyCode& keyCode) = 0;
    virtual bool onKeyUp(VstKeyCode& keyCode) = 0;
    virtual bool onWheel(float distance) = 0;
    virtual bool setKnobMode(VstInt32 mode) = 0;
    // Asks the editor to repaint its whole content at the next paint.
    virtual void requestRedraw() = 0;

  protected:
    AudioEffect* effect;
};
