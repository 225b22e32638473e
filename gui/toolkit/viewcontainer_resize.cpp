// CViewContainer resize: children follow the change by their autosize flags,
// or share it as columns or rows when the container asks for that.
// UI thread only.
#include "gui/toolkit/drawcontext.h"
#include "gui/toolkit/viewcontainer.h"

namespace VSTGUI {

namespace {

// Moves one axis of a child's rectangle by the container's change delta:
// the far edge follows when the child has farFlag; the near edge too unless
// it also has nearFlag (far alone moves the child, both stretch it).
void followEdge(CCoord& nearEdge, CCoord& farEdge, int32_t flags, int32_t nearFlag, int32_t farFlag,
                CCoord delta) {
    if ((flags & farFlag) == 0)
        return;
    farEdge += delta;
    if ((flags & nearFlag) == 0)
        nearEdge += delta;
}

}  // namespace

void CViewContainer::setViewSize(const CRect& rect, bool invalidate) {
    if (rect == size)
        return;
    const CRect oldSize(size);
    CView::setViewSize(rect, invalidate);
    const CCoord dw = rect.width() - oldSize.width();
    const CCoord dh = rect.height() - oldSize.height();
    if (dw == 0 && dh == 0)
        return;

    const CCoord count = getNbViews();
    const bool columns = (autosizeFlags & kAutosizeColumn) != 0;
    const bool rows = (autosizeFlags & kAutosizeRow) != 0;
    CCoord index = 0;
    for (Child* child = firstChild; child; child = child->next, index += 1) {
        CView* view = child->view;
        const int32_t flags = view->getAutosizeFlags();
        CRect viewSize(view->getViewSize());
        CRect area(view->getMouseableArea());
        if (columns) {
            const CCoord share = dw / count;
            viewSize.offset(index * share, 0);
            viewSize.right += share;
            area.offset(index * share, 0);
            area.right += share;
        } else {
            followEdge(viewSize.left, viewSize.right, flags, kAutosizeLeft, kAutosizeRight, dw);
            followEdge(area.left, area.right, flags, kAutosizeLeft, kAutosizeRight, dw);
        }
        if (rows) {
            const CCoord share = dh / count;
            viewSize.offset(0, index * share);
            viewSize.bottom += share;
            area.offset(0, index * share);
            area.bottom += share;
        } else {
            followEdge(viewSize.top, viewSize.bottom, flags, kAutosizeTop, kAutosizeBottom, dh);
            followEdge(area.top, area.bottom, flags, kAutosizeTop, kAutosizeBottom, dh);
        }
        if (viewSize != view->getViewSize()) {
            view->setViewSize(viewSize, true);
            view->setMouseableArea(area);
        }
    }
    for (Child* child = firstChild; child; child = child->next)
        child->view->parentSizeChanged();
    if (offscreen)
        createOffscreen();
}

}  // namespace VSTGUI
