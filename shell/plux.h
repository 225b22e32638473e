// The host wrapper of one plug-in instance: turns the host's calls into
// runs of the script object's sections through the TPluxCallbacks table.
//
// What others call: the AudioEffectX operations the host reaches through
// the instance's AEffect record; the editor's operations (gui/editor/):
// drawsGraphics, drawGraphics, editorIdle, mouseDown/mouseUp/mouseMove and
// keyDown/keyUp; the queries of the script's sections (TVexmoldHost); and
// the script object itself, script(). The wrapper's state (the script and
// drawing objects, the MIDI ring, the callback table, the host time, the
// chunk buffer and the locks below) is private. Besides the wrapper's own
// operations (plux.cpp, scripthost.cpp), only the standard bindings reach it,
// as members of CPlux::Bindings (pluxbindings.cpp, handed out by
// standardPluxCallbacks), and the tests, through CPluxProbe
// (tests/support/plux_probe.h). Any other table's bindings have the public
// operations only.
//
// Threads: the host calls processing on its audio thread, the editor (idle,
// paint, mouse) on its UI thread, and parameters and state on any thread.
// Each operation below says which it expects; the editor's are checked in
// debug and sanitizer builds (platform/expect.h).
// Two recursive locks keep the script object's state coherent; recursive
// because a section may call the host, which may call straight back.
// - `scriptLock` guards what the audio thread touches. Every binding that
//   runs a processing, parameter or state section holds it for that run.
//   Non-audio holders keep it only for short, allocation-free runs, so the
//   audio thread never waits long.
// - `editorLock` guards the mouse state and the redraw pacing. The audio
//   side never takes it.
// The editor never takes `scriptLock`: before a binding releases it, the
// audio side publishes what a draw reads of it (the effect's display values,
// TVexmold::publishDisplayValues, and the host time, `editorTime`) through
// wait-free triple buffers, and a draw takes the newest of both. The
// graphics section runs on `drawScript` under `drawLock`, holding editorLock
// only while it copies the mouse, so a slow draw holds up neither audio nor
// a restore, open or resume. (An effect without a drawing copy draws on the
// script itself under editorLock.)
// Sections that reset or initialise both sides (open, resume, close, a
// restored state) take `editorLock` first, then `scriptLock`; a draw takes
// `drawLock` before editorLock; nothing takes them in another order. The host
// is not asked for the time nor sent a display update with `scriptLock` held;
// automation and MIDI output from a section still go out inside it.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/platform.h"
#include "runtime/hostqueries.h"
#include "runtime/triplebuffer.h"
#include "shell/audioeffectx.h"
#include "shell/pluxcallbacks.h"

class TVexmold;

class CPlux : public AudioEffectX, public TVexmoldHost {
  public:
    static constexpr int32_t kMidiRingSize = 1000;

    // Asks the host for its version first: a host that answers 0 (or is
    // missing) gets no wrapper, and the script object is deleted. Otherwise
    // the wrapper takes ownership of the script object.
    static CPlux* create(TVexmold* script, const TPluxCallbacks* callbacks,
                         audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);

    CPlux(TVexmold* script, const TPluxCallbacks* callbacks, audioMasterCallback audioMaster,
          VstInt32 numPrograms, VstInt32 numParams);
    ~CPlux() override;

    void open() override;                       // main thread
    void close() override;                      // main thread
    void suspend() override;                    // main thread
    void resume() override;                     // main thread
    void setSampleRate(float rate) override;    // main thread, suspended
    void setBlockSize(VstInt32 size) override;  // main thread, suspended
    // Audio thread, one processing call at a time (checked); waits for no
    // editor operation.
    void processReplacing(float** inputs, float** outputs, VstInt32 frames) override;
    void processDoubleReplacing(double** inputs, double** outputs, VstInt32 frames) override;
    void setParameter(VstInt32 index, float value) override;                   // any thread
    float getParameter(VstInt32 index) override;                               // any thread
    void setProgramName(char* name) override;                                  // any thread
    void getProgramName(char* name) override;                                  // any thread
    void getParameterLabel(VstInt32 index, char* label) override;              // any thread
    void getParameterDisplay(VstInt32 index, char* text) override;             // any thread
    void getParameterName(VstInt32 index, char* text) override;                // any thread
    VstInt32 getChunk(void** data, bool isPreset) override;                    // any thread
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;  // any thread
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;  // any
    VstInt32 processEvents(VstEvents* events) override;  // audio thread
    // Identity: any thread, fixed at construction.
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override;
    VstInt32 canDo(char* text) override;

    // Any thread: asks an attached editor to repaint the script's view at
    // its next idle.
    void requestEditorRedraw();
    // The attached editor's size; false without an editor. Any thread.
    bool editorSize(int32_t& width, int32_t& height);

    // The editor's operations (gui/editor/): each runs its binding, and does
    // nothing when the table has none. The editor calls them on its UI
    // thread, which it checks at its own entry points.
    // True when the table has a graphics binding: without one the editor
    // has nothing to draw. Any thread: the table is fixed at construction.
    bool drawsGraphics() const;
    // Runs the graphics section once on `context` (nothing drawn when null)
    // over a view of the given size; the context is the section's for that
    // run only.
    void drawGraphics(VSTGUI::CDrawContext* context, double width, double height);  // UI thread
    void editorIdle();  // UI thread: the idle section, at each editor idle
    // The mouse and keys over the script's view, in view coordinates and the
    // toolkit's button and key codes. UI thread.
    void mouseDown(double x, double y, int32_t buttons);
    void mouseUp(double x, double y, int32_t buttons);
    void mouseMove(double x, double y, int32_t buttons);
    void keyDown(int32_t character, uint8_t modifier, uint8_t virtualKey);
    void keyUp(int32_t character, uint8_t modifier, uint8_t virtualKey);

    // TVexmoldHost: what the script's sections ask (scripthost.cpp), on the
    // thread of the section that asks.
    double inputChannels() override;
    double outputChannels() override;
    double currentSampleRate() override;
    double currentBlockSize() override;
    void reportLatency(int32_t samples) override;
    bool timeForSection(TVexmoldHostTime& time) override;
    void requestDisplayUpdate() override;
    void automateParameter(int32_t index, double value) override;
    void declareSynth(bool state) override;
    bool nextMidiInput(double& deltaFrames, double data[3]) override;
    bool sendMidi(int32_t deltaFrames, int32_t data1, int32_t data2, int32_t data3) override;
    bool sendSysEx(int32_t deltaFrames, const char* data, int32_t length) override;
    double hostNumber(Number which) override;
    bool hostText(Text which, char* text) override;
    void idleHost() override;
    void requestRedraw() override;

    // The host's time information as the script reads it.
    static TVexmoldHostTime scriptTime(const VstTimeInfo& info, bool known);

    // What the script's time queries read, asked of the host in one request:
    // the union of the filters the queries would ask with on their own, so
    // each reads what the host answers for its filter, and the host computes
    // nothing more (SMPTE, MIDI clock) on every block.
    static constexpr VstInt32 kScriptTimeFilter = kVstTransportPlaying | kVstTransportRecording |
                                                  kVstPpqPosValid | kVstTempoValid | kVstBarsValid |
                                                  kVstTimeSigValid;

    // The script object, owned by the wrapper from construction to
    // destruction; callers never delete it. Any thread.
    TVexmold* script() const { return scriptObject; }

  private:
    // The standard bindings: the wrapper's own implementation, defined with
    // their helpers in pluxbindings.cpp.
    struct Bindings;
    friend TPluxCallbacks standardPluxCallbacks();
    friend class CPluxProbe;  // the tests' seam (tests/support/plux_probe.h)

    TVexmold* scriptObject = nullptr;
    // The host's MIDI events for the script: processEvents writes them under
    // scriptLock, the script's MIDI reads (nextMidiInput) take them inside
    // its sections.
    int32_t midiWrite = 0;
    int32_t midiRead = 0;
    std::vector<VstMidiEvent> midiRing;
    // A copy of the table given at construction (no bindings without one):
    // every operation above forwards to its binding when it has one.
    TPluxCallbacks callbacks{};

    // The bytes of the last effGetChunk, owned by the wrapper: the host may
    // still be copying them while another thread saves or restores, so only
    // the next effGetChunk replaces them. One buffer whatever the number of
    // host threads (guarded by chunkLock, which is taken before scriptLock).
    std::vector<float> chunkHandedOut;
    plux::platform::Lock chunkLock;

    // The host's time information, asked for before a binding takes
    // scriptLock so the host is never called with it held; the script's time
    // queries read this copy (guarded by scriptLock). Processing, resume and
    // a restored state ask afresh; other sections read the last answer.
    TVexmoldHostTime hostTime;
    // hostTime as the audio side last published it for the editor, at the
    // end of each binding that holds scriptLock (written under it). A draw
    // hands the newest to its graphics section in the section's pass, so the
    // time queries of one section agree while the audio side stores newer
    // times.
    vexmold::TripleBuffer<TVexmoldHostTime> editorTime;
    // A display update a section asked for, sent to the host by the binding
    // once scriptLock is released. Atomic: a graphics section asks without
    // scriptLock.
    std::atomic<bool> displayUpdateRequested{false};

    // The script object the graphics section runs on, when the effect makes
    // one: the draw works on it under drawLock alone, so a slow draw never
    // holds up the sections that take editorLock. Null: the draw runs on
    // the script object itself under editorLock.
    TVexmold* drawScript = nullptr;
    // Set by open under editorLock; the next draw resets drawScript.
    bool drawScriptResetPending = false;
    plux::platform::RecursiveLock drawLock;  // taken before editorLock, only by draws

    // Processing calls running now, where expectations are checked.
    std::atomic<int> processingCalls{0};

    // The system's own locks: the threading runtime's mutexes leave handles
    // behind in a DLL that hosts load and unload.
    plux::platform::RecursiveLock editorLock;  // taken before scriptLock, never after
    plux::platform::RecursiveLock scriptLock;
};
