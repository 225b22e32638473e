#include "gui/editor/pluxview.h"

#include "gui/toolkit/drawcontext.h"
#include "gui/toolkit/fontdesc.h"
#include "gui/toolkit/frame.h"
#include "shell/plux.h"

using VSTGUI::CDrawContext;
using VSTGUI::CMouseEventResult;
using VSTGUI::CRect;
using VSTGUI::DisplayList;
using VSTGUI::kMouseEventHandled;

CPluxView::CPluxView(const VSTGUI::CRect& area, CPlux* plux)
    : CView(area), plugin(plux), left(area.left), top(area.top), right(area.right),
      bottom(area.bottom) {}

CPluxView::~CPluxView() {
    dropUnderlay();
}

void CPluxView::dropUnderlay() {
    if (underlay)
        underlay->forget();
    underlay = nullptr;
    underlayItems = 0;
}

// The frame's background, then the first items of the kept recording, over
// the whole view: what the frame's buffer holds under the next item.
void CPluxView::keepUnderlay(size_t items) {
    dropUnderlay();
    VSTGUI::CFrame* owner = getFrame();
    const CRect whole = owner->getViewSize();
    underlay = VSTGUI::COffscreenContext::newWindowBuffer(owner, whole.width(), whole.height());
    if (!underlay)
        return;
    const VSTGUI::CColor frameBackground = owner->getBackgroundColor();
    underlay->setFillColor(frameBackground);
    underlay->setFrameColor(frameBackground);
    underlay->drawRect(CRect(0, 0, whole.width(), whole.height()), VSTGUI::kDrawFilledAndStroked);
    underlay->replay(shown, CRect(0, 0, whole.width(), whole.height()), 0, items);
    underlayItems = items;
    underlayGeneration = owner->getBackBufferGeneration();
}

void CPluxView::redrawArea(const CRect& area) {
    VSTGUI::CFrame* owner = getFrame();
    VSTGUI::COffscreenContext* buffer = owner->getBackBuffer();
    if (!underlay || underlayGeneration != owner->getBackBufferGeneration() || !buffer ||
        !buffer->isWindowBuffer()) {
        owner->redrawAreaNow(area);
        return;
    }
    CRect inside(area);
    inside.bound(owner->getViewSize());
    if (inside.isEmpty())
        return;
    underlay->copyToSystemContext(buffer->getSystemContext(), inside, inside.topLeft());
    buffer->replay(shown, inside, underlayItems);
    owner->showBackBufferArea(inside);
}

namespace {

// What a new context holds once a paint has filled and outlined the frame's
// background: every recording of the section starts from it, so that a
// recording made between paints matches one made by a paint.
void startSectionState(CDrawContext* context, VSTGUI::CColor background) {
    context->setFillColor(background);
    context->setFrameColor(background);
    context->setFontColor(VSTGUI::kWhiteCColor);
    context->setLineWidth(1);
    context->setLineStyle(VSTGUI::kLineSolid);
    context->setDrawMode(VSTGUI::kCopyMode);
    context->setFont(VSTGUI::kSystemFont);
}

}  // namespace

// The context is the script's only while its graphics section runs.
void CPluxView::runSection(CDrawContext* context) {
    plugin->drawGraphics(context, right - left, bottom - top);
}

bool CPluxView::bufferShowsRecording() const {
    const VSTGUI::CFrame* owner = getFrame();
    return owner && owner->getBackBuffer() && shownGeneration != 0 &&
           shownGeneration == owner->getBackBufferGeneration();
}

void CPluxView::draw(CDrawContext* context) {
    setDirty(false);
    if (!plugin || !plugin->drawsGraphics() || !context)
        return;
    const VSTGUI::CFrame* owner = getFrame();
    const bool intoBuffer = owner && owner->hasRetainedDrawing() &&
                            context == static_cast<CDrawContext*>(owner->getBackBuffer());
    if (!intoBuffer) {
        runSection(context);
        return;
    }
    CRect area;
    context->getClipRect(area);
    area.offset(context->getOffset().x, context->getOffset().y);
    if (bufferShowsRecording()) {
        context->replay(shown, area);
        return;
    }
    dropUnderlay();
    DisplayList fresh;
    startSectionState(context, owner->getBackgroundColor());
    context->setRecording(&fresh);
    runSection(context);
    context->setRecording(nullptr);
    context->replay(fresh, area);
    shown = std::move(fresh);
    shownGeneration = owner->getBackBufferGeneration();
}

void CPluxView::recordSection(CDrawContext* buffer, DisplayList& into) {
    const VSTGUI::CFrame* owner = getFrame();
    const VSTGUI::CPoint savedOffset = buffer->getOffset();
    CRect savedClip;
    buffer->getClipRect(savedClip);
    buffer->setOffset(owner->getViewSize().topLeft());
    buffer->setClipRect(getViewSize());
    startSectionState(buffer, owner->getBackgroundColor());
    buffer->setRecording(&into);
    runSection(buffer);
    buffer->setRecording(nullptr);
    buffer->setOffset(savedOffset);
    buffer->setClipRect(savedClip);
}

void CPluxView::redraw() {
    lastDamage.clear();
    lastRedrawPartial = false;
    VSTGUI::CFrame* owner = getFrame();
    if (!plugin || !plugin->drawsGraphics() || !owner || !owner->getSystemWindow() ||
        !bufferShowsRecording()) {
        invalid();
        return;
    }
    DisplayList fresh;
    recordSection(owner->getBackBuffer(), fresh);
    // A frame that fills its area with one opaque colour before the view draws.
    VSTGUI::SurfaceBackground underneath;
    const VSTGUI::CColor colour = owner->getBackgroundColor();
    underneath.uniform =
        !owner->getBackground() && !owner->getTransparency() && colour.alpha == 255;
    underneath.rgb = colour.argb() & 0x00FFFFFFu;
    // Against what the buffer holds.
    lastDamage = VSTGUI::changedAreas(shown, fresh, underneath);
    lastDamage.clipTo(owner->getViewSize());
    lastRedrawPartial = true;
    const size_t firstChange = VSTGUI::sameLeadingItems(shown, fresh);
    shown = std::move(fresh);
    if (underlay &&
        (firstChange < underlayItems || underlayGeneration != owner->getBackBufferGeneration()))
        dropUnderlay();
    // The same first change twice running: the items before it are worth
    // keeping drawn.
    if (!underlay && !lastDamage.isEmpty() && firstChange > 0 && firstChange == lastFirstChange)
        keepUnderlay(firstChange);
    lastFirstChange = firstChange;
    // Each changed area is drawn from the new recording and shown at once;
    // the window's own paints replay the same recording.
    for (const CRect& area : lastDamage.getRects())
        redrawArea(area);
}

CMouseEventResult CPluxView::onMouseDown(VSTGUI::CPoint& where, const int32_t& buttons) {
    if (plugin)
        plugin->mouseDown(where.x, where.y, buttons);
    return kMouseEventHandled;
}

CMouseEventResult CPluxView::onMouseUp(VSTGUI::CPoint& where, const int32_t& buttons) {
    if (plugin)
        plugin->mouseUp(where.x, where.y, buttons);
    return kMouseEventHandled;
}

CMouseEventResult CPluxView::onMouseMoved(VSTGUI::CPoint& where, const int32_t& buttons) {
    if (plugin)
        plugin->mouseMove(where.x, where.y, buttons);
    return kMouseEventHandled;
}

int32_t CPluxView::onKeyDown(VstKeyCode& keyCode) {
    if (plugin)
        plugin->keyDown(keyCode.character, keyCode.modifier, keyCode.virt);
    return 1;
}

int32_t CPluxView::onKeyUp(VstKeyCode& keyCode) {
    if (plugin)
        plugin->keyUp(keyCode.character, keyCode.modifier, keyCode.virt);
    return 1;
}
