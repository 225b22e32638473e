#include "gui/editor/aeffguieditor.h"

#include <algorithm>
#include <atomic>
#include <new>

#include "gui/toolkit/drawcontext.h"
#include "gui/toolkit/frame.h"
#include "platform/expect.h"
#include "platform/platform.h"
#include "shell/audioeffectx.h"

namespace {
// Process-wide, as the toolkit's controls would read it; nothing here does.
std::atomic<int32_t> gKnobMode{0};

// Idle passes come at most every 100 ms; a caller that asks earlier waits a
// little, and is sent away when the next pass is still far off.
constexpr uint32_t kIdleInterval = 100;
constexpr uint32_t kIdleWait = 4;
constexpr uint32_t kIdleSlack = 50;

// Milliseconds from now to tick, negative once it has passed.
int32_t ticksUntil(uint32_t tick, uint32_t now) {
    return static_cast<int32_t>(tick - now);
}
}  // namespace

AEffGUIEditor::AEffGUIEditor(AudioEffect* owner) : AEffEditor(owner) {
    if (owner)
        owner->setEditor(this);
    nextIdleTick = AEffGUIEditor::currentTick();
}

AEffGUIEditor::~AEffGUIEditor() {
    // A host that destroys the plug-in with the editor still open.
    if (frame)
        frame->forgetOnOwnThread();
    frame = nullptr;
}

void AEffGUIEditor::takeUiThread() {
    uiThread = plux::platform::currentThreadId();
}

void AEffGUIEditor::expectUiThread(const char* operation) const {
    PLUX_EXPECT(!frame || plux::platform::currentThreadId() == uiThread, operation);
    static_cast<void>(operation);
}

uint32_t AEffGUIEditor::currentTick() const {
    return static_cast<uint32_t>(plux::platform::processClockMilliseconds());
}

bool AEffGUIEditor::getRect(ERect** out) {
    if (!out)
        return false;
    *out = &rect;
    return true;
}

bool AEffGUIEditor::open(void* parentWindow) {
    systemWindow = parentWindow;
    return false;
}

void AEffGUIEditor::close() {
    systemWindow = nullptr;
}

bool AEffGUIEditor::isOpen() {
    return systemWindow != nullptr;
}

void AEffGUIEditor::idle() {
    expectUiThread("editor idle on the thread that opened the editor");
    if (!inIdle && frame)
        frame->idle();
}

bool AEffGUIEditor::onKeyDown(VstKeyCode& keyCode) {
    expectUiThread("editor keys on the thread that opened the editor");
    return frame && frame->onKeyDown(keyCode) > 0;
}

bool AEffGUIEditor::onKeyUp(VstKeyCode& keyCode) {
    expectUiThread("editor keys on the thread that opened the editor");
    return frame && frame->onKeyUp(keyCode) > 0;
}

bool AEffGUIEditor::onWheel(float distance) {
    expectUiThread("editor wheel on the thread that opened the editor");
    if (!frame)
        return false;
    VSTGUI::CPoint where;
    frame->getCurrentMouseLocation(where);
    return frame->onWheel(where, distance, frame->getCurrentMouseButtons());
}

bool AEffGUIEditor::setKnobMode(VstInt32 mode) {
    gKnobMode.store(mode);
    return true;
}

int32_t AEffGUIEditor::knobMode() {
    return gKnobMode.load();
}

void AEffGUIEditor::requestRedraw() {
    if (frame)
        frame->invalid();
}

void AEffGUIEditor::draw(ERect* area) {
    expectUiThread("editor draw on the thread that opened the editor");
    if (!frame)
        return;
    VSTGUI::CRect update;
    if (area) {
        update =
            VSTGUI::CRect(std::min(area->left, area->right), std::min(area->top, area->bottom),
                          std::max(area->left, area->right), std::max(area->top, area->bottom));
    } else {
        // The frame's own area; getSize answers its host window's.
        update = frame->getViewSize();
    }
    auto* context =
        new (std::nothrow) VSTGUI::CDrawContext(frame, nullptr, frame->getSystemWindow());
    if (!context)
        return;
    frame->drawRect(context, update);
    context->forget();
}

// The tick count wraps every 49.7 days: ticks are compared by their
// difference, so a pass due just before the wrap still comes after it.
void AEffGUIEditor::doIdleStuff() {
    uint32_t now = currentTick();
    if (ticksUntil(nextIdleTick, now) > 0) {
        plux::platform::sleepMilliseconds(kIdleWait);
        now += kIdleWait;
        if (ticksUntil(nextIdleTick, now) > static_cast<int32_t>(kIdleSlack))
            return;
    }
    idle();
    VSTGUI::dispatchOnePendingPaint();
    nextIdleTick = now + kIdleInterval;
    inIdle = true;
    if (effect)
        effect->masterIdle();
    inIdle = false;
}

int32_t AEffGUIEditor::getKnobMode() const {
    return knobMode();
}

bool AEffGUIEditor::beginEdit(int32_t index) {
    auto* host = dynamic_cast<AudioEffectX*>(effect);
    return host && host->beginEdit(index);
}

bool AEffGUIEditor::endEdit(int32_t index) {
    auto* host = dynamic_cast<AudioEffectX*>(effect);
    return host && host->endEdit(index);
}
