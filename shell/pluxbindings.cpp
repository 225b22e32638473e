// The standard TPluxCallbacks: each binding takes the wrapper's locks for
// the length of its access to the script object (see plux.h for which), and
// every one that holds scriptLock publishes what the editor shows before it
// lets go. The bindings are the wrapper's own implementation: static members
// of CPlux::Bindings, so they reach its private state.
#include <cstring>
#include <mutex>
#include <new>
#include <utility>

#include "runtime/vexmold.h"
#include "shell/plux.h"

namespace {

using Guard = std::lock_guard<plux::platform::RecursiveLock>;

}  // namespace

struct CPlux::Bindings {
    // The host's time information, asked for before scriptLock is taken and
    // handed to the script's queries under it.
    struct HostTime {
        explicit HostTime(CPlux* p) {
            if (const VstTimeInfo* info = p->getTimeInfo(CPlux::kScriptTimeFilter))
                time = CPlux::scriptTime(*info, true);
        }
        void store(CPlux* p) const { p->hostTime = time; }  // scriptLock held
        TVexmoldHostTime time;
    };

    // What a draw reads of the audio side, handed over before scriptLock is
    // released (scriptLock held): the effect's display values and the time.
    static void publishForEditor(CPlux* p) {
        p->scriptObject->publishDisplayValues();
        p->editorTime.publish(p->hostTime);
    }

    // Holds scriptLock for a section run and publishes for the editor at its
    // end.
    struct AudioSide {
        explicit AudioSide(CPlux* p) : plux(p), guard(p->scriptLock) {}
        ~AudioSide() { publishForEditor(plux); }
        AudioSide(const AudioSide&) = delete;
        AudioSide& operator=(const AudioSide&) = delete;
        CPlux* plux;
        Guard guard;
    };

    // For sections that reset or initialise the editor's state as well.
    struct BothLocks {
        explicit BothLocks(CPlux* p) : editor(p->editorLock), audio(p) {}
        Guard editor;
        AudioSide audio;
    };

    // A display update the section asked for, sent once scriptLock is
    // released.
    static void sendDisplayUpdate(CPlux* p, bool requested) {
        if (requested)
            p->updateDisplay();
    }

    static void create(CPlux* p);
    static void destroy(CPlux* p);
    static void open(CPlux* p);
    static void suspend(CPlux* p);
    static void resume(CPlux* p);
    static void idle(CPlux* p);
    static void close(CPlux* p);
    static void draw(CPlux* p, VSTGUI::CDrawContext* context, double width, double height);
    static void mouseDown(CPlux* p, double x, double y, int32_t buttons);
    static void mouseUp(CPlux* p, double x, double y, int32_t buttons);
    static void mouseMove(CPlux* p, double x, double y, int32_t buttons);
    static int32_t vendorVersion(CPlux* p);
    static int32_t vendorString(CPlux* p, char* text);
    static int32_t productString(CPlux* p, char* text);
    static int32_t effectName(CPlux* p, char* text);
    static int32_t getProgramName(CPlux* p, char* text);
    static void setProgramName(CPlux* p, const char* text);
    static int32_t programNameIndexed(CPlux* p);
    static double getParameter(CPlux* p, int32_t index);
    static void setParameter(CPlux* p, int32_t index, double value);
    static void parameterName(CPlux* p, int32_t index, char* text);
    static void parameterLabel(CPlux* p, int32_t index, char* text);
    static void parameterDisplay(CPlux* p, int32_t index, char* text);
    static void process(CPlux* p, float** inputs, float** outputs, int32_t frames);
    static void processDouble(CPlux* p, double** inputs, double** outputs, int32_t frames);
    static int32_t getChunk(CPlux* p, void** data, bool preset);
    static int32_t setChunk(CPlux* p, void* data, int32_t size, bool preset);

    static TPluxCallbacks table();
};

void CPlux::Bindings::create(CPlux* p) {
    const TVexmold& s = *p->scriptObject;
    p->setNumInputs(static_cast<VstInt32>(s.channelCount));
    p->setNumOutputs(static_cast<VstInt32>(s.channelCount));
    p->setUniqueID(static_cast<VstInt32>(s.uniqueId));
    p->programsAreChunks(true);
    try {
        p->drawScript = s.newDrawingCopy();
        if (p->drawScript)
            p->drawScript->plux = p;
    } catch (...) {
        p->drawScript = nullptr;  // draws then run on the script itself
    }
}

void CPlux::Bindings::destroy(CPlux* p) {
    delete p->drawScript;
    p->drawScript = nullptr;
    delete p->scriptObject;
    p->scriptObject = nullptr;
}

void CPlux::Bindings::open(CPlux* p) {
    BothLocks g(p);
    p->scriptObject->doReset();
    p->drawScriptResetPending = true;
}

void CPlux::Bindings::suspend(CPlux* p) {
    BothLocks g(p);
    p->scriptObject->doSuspend();
}

void CPlux::Bindings::resume(CPlux* p) {
    const HostTime time(p);
    bool update = false;
    {
        BothLocks g(p);
        time.store(p);
        p->scriptObject->doResume();
        update = p->displayUpdateRequested.exchange(false);
    }
    sendDisplayUpdate(p, update);
}

void CPlux::Bindings::idle(CPlux* p) {
    Guard g(p->editorLock);
    p->scriptObject->doIdle();
}

void CPlux::Bindings::close(CPlux* p) {
    BothLocks g(p);
    p->scriptObject->doClose();
}

// UI thread. Takes no lock the audio side holds: what the section shows of
// the audio side, and the host time, come from what it last published, in
// the section's pass. With a drawing copy, editorLock is held only while the
// copy takes the mouse; the section itself runs under drawLock, which nothing
// else waits for. Without one the section runs on the script itself under
// editorLock.
void CPlux::Bindings::draw(CPlux* p, VSTGUI::CDrawContext* context, double width, double height) {
    TVexmoldGraphicsPass pass;
    pass.context = context;
    pass.viewWidth = width;
    pass.viewHeight = height;
    pass.hasEditor = p->editorSize(pass.editorWidth, pass.editorHeight);
    TVexmold* drawing = p->drawScript;
    if (drawing == nullptr) {
        Guard g(p->editorLock);
        p->scriptObject->takeDisplayValues(*p->scriptObject);
        p->editorTime.read(pass.time);
        p->scriptObject->runGraphicsSection(pass);
        sendDisplayUpdate(p, p->displayUpdateRequested.exchange(false));
        return;
    }
    Guard draws(p->drawLock);
    bool reset = false;
    {
        Guard g(p->editorLock);
        reset = std::exchange(p->drawScriptResetPending, false);
    }
    if (reset)  // an open since the last draw: the copy starts afresh too
        drawing->doReset();
    {
        Guard g(p->editorLock);
        drawing->mouseButtons = p->scriptObject->mouseButtons;
        drawing->mouseX = p->scriptObject->mouseX;
        drawing->mouseY = p->scriptObject->mouseY;
    }
    p->scriptObject->takeDisplayValues(*drawing);
    p->editorTime.read(pass.time);
    drawing->runGraphicsSection(pass);
    sendDisplayUpdate(p, p->displayUpdateRequested.exchange(false));
}

void CPlux::Bindings::mouseDown(CPlux* p, double x, double y, int32_t buttons) {
    Guard g(p->editorLock);
    p->scriptObject->mouseDown(x, y, buttons);
}

void CPlux::Bindings::mouseUp(CPlux* p, double x, double y, int32_t) {
    Guard g(p->editorLock);
    p->scriptObject->mouseUp(x, y);
}

void CPlux::Bindings::mouseMove(CPlux* p, double x, double y, int32_t) {
    Guard g(p->editorLock);
    p->scriptObject->mouseMove(x, y);
}

int32_t CPlux::Bindings::vendorVersion(CPlux* p) {
    return static_cast<int32_t>(p->scriptObject->vendorVersion);
}

// Identity texts are fixed at construction, so they need no lock.
int32_t CPlux::Bindings::vendorString(CPlux* p, char* text) {
    copyBoundedText(text, kLongTextSize, p->scriptObject->vendorString);
    return 1;
}

int32_t CPlux::Bindings::productString(CPlux* p, char* text) {
    copyBoundedText(text, kLongTextSize, p->scriptObject->productString);
    return 1;
}

int32_t CPlux::Bindings::effectName(CPlux* p, char* text) {
    copyBoundedText(text, kLongTextSize, p->scriptObject->effectName);
    return 1;
}

int32_t CPlux::Bindings::getProgramName(CPlux* p, char* text) {
    Guard g(p->scriptLock);
    copyBoundedText(text, kProgramNameSize, p->scriptObject->programName);
    return 1;
}

void CPlux::Bindings::setProgramName(CPlux* p, const char* text) {
    // The host's buffer holds at most kProgramNameSize bytes.
    std::string name(text, strnlen(text, kProgramNameSize - 1));
    Guard g(p->scriptLock);
    p->scriptObject->programName.swap(name);
}

int32_t CPlux::Bindings::programNameIndexed(CPlux*) {
    return 0;
}

double CPlux::Bindings::getParameter(CPlux* p, int32_t index) {
    Guard g(p->scriptLock);
    return p->scriptObject->getParameter(index);
}

void CPlux::Bindings::setParameter(CPlux* p, int32_t index, double value) {
    AudioSide g(p);
    p->scriptObject->setParameter(index, value);
}

void CPlux::Bindings::parameterName(CPlux* p, int32_t index, char* text) {
    Guard g(p->scriptLock);
    p->scriptObject->parameterName(index, text, kLongTextSize);
}

void CPlux::Bindings::parameterLabel(CPlux* p, int32_t index, char* text) {
    Guard g(p->scriptLock);
    p->scriptObject->parameterLabel(index, text, kShortTextSize);
}

void CPlux::Bindings::parameterDisplay(CPlux* p, int32_t index, char* text) {
    Guard g(p->scriptLock);
    p->scriptObject->parameterDisplay(index, text, kShortTextSize);
}

void CPlux::Bindings::process(CPlux* p, float** inputs, float** outputs, int32_t frames) {
    const HostTime time(p);
    bool update = false;
    {
        AudioSide g(p);
        time.store(p);
        p->scriptObject->process(inputs, outputs, frames);
        update = p->displayUpdateRequested.exchange(false);
    }
    sendDisplayUpdate(p, update);
}

void CPlux::Bindings::processDouble(CPlux* p, double** inputs, double** outputs, int32_t frames) {
    const HostTime time(p);
    bool update = false;
    {
        AudioSide g(p);
        time.store(p);
        p->scriptObject->processDouble(inputs, outputs, frames);
        update = p->displayUpdateRequested.exchange(false);
    }
    sendDisplayUpdate(p, update);
}

// The host gets a copy in the wrapper's own buffer, not the script's stream,
// which a restore swaps out: effSetChunk and everything else leave the copy
// alone, and only the next effGetChunk, from whichever thread, replaces it.
// The buffer keeps its capacity, so the copy allocates only when the state
// grows.
int32_t CPlux::Bindings::getChunk(CPlux* p, void** data, bool preset) {
    std::lock_guard<plux::platform::Lock> chunks(p->chunkLock);
    std::vector<float>& copy = p->chunkHandedOut;
    void* bytes = nullptr;
    int32_t size = 0;
    {
        Guard g(p->scriptLock);
        size = p->scriptObject->storeState(&bytes, preset);
        if (size > 0) {
            const float* values = static_cast<const float*>(bytes);
            copy.assign(values, values + static_cast<size_t>(size) / sizeof(float));
        }
    }
    if (size > 0 && data != nullptr)
        *data = copy.data();
    return size;
}

int32_t CPlux::Bindings::setChunk(CPlux* p, void* data, int32_t size, bool preset) {
    // Copy the host's bytes before taking the lock, so the audio thread never
    // waits for an allocation.
    std::vector<float> values = TVexmold::decodeStateChunk(data, size);
    (void)preset;
    const HostTime time(p);
    int32_t answer = 0;
    bool update = false;
    {
        // A first restore runs the initialisation section, which sets editor state.
        BothLocks g(p);
        time.store(p);
        answer = p->scriptObject->restoreDecodedState(std::move(values), size);
        update = p->displayUpdateRequested.exchange(false);
    }
    sendDisplayUpdate(p, update);
    return answer;
}

TPluxCallbacks CPlux::Bindings::table() {
    TPluxCallbacks c{};
    c.create = create;
    c.destroy = destroy;
    c.open = open;
    c.suspend = suspend;
    c.resume = resume;
    c.idle = idle;
    c.close = close;
    c.draw = draw;
    c.mouseDown = mouseDown;
    c.mouseUp = mouseUp;
    c.mouseMove = mouseMove;
    c.keyDown = nullptr;  // key events are not bound
    c.keyUp = nullptr;
    c.queryVendorVersion = vendorVersion;
    c.queryVendorString = vendorString;
    c.queryProductString = productString;
    c.queryEffectName = effectName;
    c.getProgramName = getProgramName;
    c.setProgramName = setProgramName;
    c.programNameIndexed = programNameIndexed;
    c.getParameter = getParameter;
    c.setParameter = setParameter;
    c.parameterName = parameterName;
    c.parameterLabel = parameterLabel;
    c.parameterDisplay = parameterDisplay;
    c.process = process;
    c.processDouble = processDouble;
    c.getChunk = getChunk;
    c.setChunk = setChunk;
    return c;
}

TPluxCallbacks standardPluxCallbacks() {
    return CPlux::Bindings::table();
}
