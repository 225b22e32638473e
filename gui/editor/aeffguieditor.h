// The editor adapter between the host's editor opcodes and a toolkit frame:
// the host sees an AEffEditor, the frame sees a VSTGUIEditorInterface.
// UI thread only (the thread that calls the editor opcodes and runs the
// window's messages): the thread that opens the editor is its UI thread
// until it closes, and idle, keys, the wheel and draws from any other are
// caught in debug and sanitizer builds. getRect answers on any thread; a
// close (and the editor's end) from another thread hands the frame to its
// own.
#pragma once

#include <cstdint>

#include "gui/toolkit/editorinterface.h"
#include "shell/aeffeditor.h"

namespace VSTGUI {
class CFrame;
}

class AEffGUIEditor : public AEffEditor, public VSTGUI::VSTGUIEditorInterface {
  public:
    // Attaches itself to the effect as its editor (the effect then owns it).
    explicit AEffGUIEditor(AudioEffect* effect);
    ~AEffGUIEditor() override;

    bool getRect(ERect** rect) override;
    // Records the parent window and answers false: a derived editor makes the frame.
    bool open(void* parentWindow) override;
    void close() override;
    bool isOpen() override;
    void idle() override;
    bool onKeyDown(VstKeyCode& keyCode) override;
    bool onKeyUp(VstKeyCode& keyCode) override;
    bool onWheel(float distance) override;
    bool setKnobMode(VstInt32 mode) override;
    void requestRedraw() override;
    // Draws the frame's content in rect (the whole frame when null).
    virtual void draw(ERect* rect);

    // VSTGUIEditorInterface: the idle pass the toolkit runs while it waits.
    void doIdleStuff() override;
    int32_t getKnobMode() const override;
    bool beginEdit(int32_t index) override;
    bool endEdit(int32_t index) override;

    VSTGUI::CFrame* getFrame() const { return frame; }
    static int32_t knobMode();

  protected:
    void* systemWindow = nullptr;
    VSTGUI::CFrame* frame = nullptr;  // one reference held while open
    ERect rect{};
    uint32_t nextIdleTick = 0;
    bool inIdle = false;

    // The platform's clock in milliseconds, wrapping to 0 after 2^32.
    virtual uint32_t currentTick() const;

    // For open: the calling thread is the UI thread from now on.
    void takeUiThread();
    // Stops the program (debug and sanitizer builds) when a frame is open
    // and the caller is not its UI thread.
    void expectUiThread(const char* operation) const;

  private:
    uint64_t uiThread = 0;
};
