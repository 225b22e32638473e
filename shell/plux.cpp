#include "shell/plux.h"

#include <cstring>
#include <mutex>

#include "platform/expect.h"
#include "runtime/vexmold.h"
#include "shell/aeffeditor.h"

namespace {

// A processing call while another runs on the same instance: a host calling
// from two audio threads at once. Counted only where expectations are checked.
class OneProcessingCall {
  public:
#if defined(PLUX_CHECK_EXPECTATIONS)
    explicit OneProcessingCall(std::atomic<int>& calls) : running(calls) {
        PLUX_EXPECT(running.fetch_add(1) == 0, "one processing call at a time per instance");
    }
    ~OneProcessingCall() {
        running.fetch_sub(1);
    }

  private:
    std::atomic<int>& running;
#else
    explicit OneProcessingCall(std::atomic<int>&) {}
#endif
};

}  // namespace

CPlux* CPlux::create(TVexmold* scriptObject, const TPluxCallbacks* table, audioMasterCallback host,
                     VstInt32 programCount, VstInt32 paramCount) {
    if (host == nullptr || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) {
        delete scriptObject;
        return nullptr;
    }
    return new CPlux(scriptObject, table, host, programCount, paramCount);
}

CPlux::CPlux(TVexmold* owned, const TPluxCallbacks* table, audioMasterCallback host,
             VstInt32 programCount, VstInt32 paramCount)
    : AudioEffectX(host, programCount, paramCount), scriptObject(owned),
      midiRing(kMidiRingSize, VstMidiEvent{}) {
    if (table)
        callbacks = *table;
    canProcessReplacing(true);
    canDoubleReplacing(true);
    if (this->callbacks.create)
        this->callbacks.create(this);
}

CPlux::~CPlux() {
    // A host may end the instance with the editor still open: its window and
    // view go before the script they draw.
    if (editor)
        editor->close();
    if (callbacks.destroy)
        callbacks.destroy(this);
    else
        delete scriptObject;  // the wrapper owns the script object either way
    scriptObject = nullptr;
}

// Each operation below forwards to its binding when the table has one.

void CPlux::open() {
    if (callbacks.open)
        callbacks.open(this);
}

void CPlux::close() {
    if (callbacks.close)
        callbacks.close(this);
}

void CPlux::suspend() {
    if (callbacks.suspend)
        callbacks.suspend(this);
}

void CPlux::resume() {
    AudioEffectX::resume();
    if (callbacks.resume)
        callbacks.resume(this);
}

void CPlux::setSampleRate(float rate) {
    std::lock_guard<plux::platform::RecursiveLock> lock(scriptLock);
    AudioEffectX::setSampleRate(rate);
}

void CPlux::setBlockSize(VstInt32 size) {
    std::lock_guard<plux::platform::RecursiveLock> lock(scriptLock);
    AudioEffectX::setBlockSize(size);
}

void CPlux::processReplacing(float** inputs, float** outputs, VstInt32 frames) {
    const OneProcessingCall call(processingCalls);
    if (callbacks.process)
        callbacks.process(this, inputs, outputs, frames);
}

void CPlux::processDoubleReplacing(double** inputs, double** outputs, VstInt32 frames) {
    const OneProcessingCall call(processingCalls);
    if (callbacks.processDouble)
        callbacks.processDouble(this, inputs, outputs, frames);
}

void CPlux::setParameter(VstInt32 index, float value) {
    if (callbacks.setParameter)
        callbacks.setParameter(this, index, static_cast<double>(value));
}

float CPlux::getParameter(VstInt32 index) {
    return callbacks.getParameter ? static_cast<float>(callbacks.getParameter(this, index)) : 0.0f;
}

void CPlux::setProgramName(char* name) {
    if (callbacks.setProgramName && name)
        callbacks.setProgramName(this, name);
}

void CPlux::getProgramName(char* name) {
    if (callbacks.getProgramName && name)
        callbacks.getProgramName(this, name);
}

void CPlux::getParameterLabel(VstInt32 index, char* label) {
    if (callbacks.parameterLabel && label)
        callbacks.parameterLabel(this, index, label);
}

void CPlux::getParameterDisplay(VstInt32 index, char* text) {
    if (callbacks.parameterDisplay && text)
        callbacks.parameterDisplay(this, index, text);
}

void CPlux::getParameterName(VstInt32 index, char* text) {
    if (callbacks.parameterName && text)
        callbacks.parameterName(this, index, text);
}

VstInt32 CPlux::getChunk(void** data, bool isPreset) {
    return callbacks.getChunk ? callbacks.getChunk(this, data, isPreset) : 0;
}

VstInt32 CPlux::setChunk(void* data, VstInt32 byteSize, bool isPreset) {
    return callbacks.setChunk ? callbacks.setChunk(this, data, byteSize, isPreset) : 0;
}

bool CPlux::getProgramNameIndexed(VstInt32, VstInt32, char*) {
    return callbacks.programNameIndexed ? callbacks.programNameIndexed(this) != 0 : false;
}

VstInt32 CPlux::processEvents(VstEvents* events) {
    // One writer (this, on the audio thread) and one reader (the script's
    // MIDI reads, inside its sections); the lock keeps the indices coherent.
    std::lock_guard<plux::platform::RecursiveLock> lock(scriptLock);
    if (events == nullptr)
        return 1;
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = events->events[i];
        if (event == nullptr || event->type != kVstMidiType)
            continue;
        std::memcpy(&midiRing[static_cast<size_t>(midiWrite)], event, sizeof(VstMidiEvent));
        midiWrite = midiWrite + 1 >= kMidiRingSize ? 0 : midiWrite + 1;
    }
    return 1;
}

bool CPlux::getEffectName(char* name) {
    return callbacks.queryEffectName && name ? callbacks.queryEffectName(this, name) != 0 : false;
}

bool CPlux::getVendorString(char* text) {
    return callbacks.queryVendorString && text ? callbacks.queryVendorString(this, text) != 0
                                               : false;
}

bool CPlux::getProductString(char* text) {
    return callbacks.queryProductString && text ? callbacks.queryProductString(this, text) != 0
                                                : false;
}

VstInt32 CPlux::getVendorVersion() {
    return callbacks.queryVendorVersion ? callbacks.queryVendorVersion(this) : 0;
}

VstInt32 CPlux::canDo(char* text) {
    if (text == nullptr)
        return 0;
    // Compared up to the terminator, so a shorter host text is never overread.
    return std::strncmp(text, "receiveVstMidiEvent", 20) == 0 ? 1 : -1;
}

void CPlux::requestEditorRedraw() {
    if (editor)
        editor->requestRedraw();
}

bool CPlux::editorSize(int32_t& width, int32_t& height) {
    ERect* rect = nullptr;
    if (!editor || !editor->getRect(&rect) || !rect)
        return false;
    width = rect->right - rect->left;
    height = rect->bottom - rect->top;
    return true;
}

bool CPlux::drawsGraphics() const {
    return callbacks.draw != nullptr;
}

void CPlux::drawGraphics(VSTGUI::CDrawContext* context, double width, double height) {
    if (callbacks.draw)
        callbacks.draw(this, context, width, height);
}

void CPlux::editorIdle() {
    if (callbacks.idle)
        callbacks.idle(this);
}

void CPlux::mouseDown(double x, double y, int32_t buttons) {
    if (callbacks.mouseDown)
        callbacks.mouseDown(this, x, y, buttons);
}

void CPlux::mouseUp(double x, double y, int32_t buttons) {
    if (callbacks.mouseUp)
        callbacks.mouseUp(this, x, y, buttons);
}

void CPlux::mouseMove(double x, double y, int32_t buttons) {
    if (callbacks.mouseMove)
        callbacks.mouseMove(this, x, y, buttons);
}

void CPlux::keyDown(int32_t character, uint8_t modifier, uint8_t virtualKey) {
    if (callbacks.keyDown)
        callbacks.keyDown(this, character, modifier, virtualKey);
}

void CPlux::keyUp(int32_t character, uint8_t modifier, uint8_t virtualKey) {
    if (callbacks.keyUp)
        callbacks.keyUp(this, character, modifier, virtualKey);
}
