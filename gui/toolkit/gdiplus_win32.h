// Wrappers of GDI+ flat-API objects. Each wrapper is allocated with GdipAlloc
// and freed with GdipFree; it holds the native pointer, the status of the last
// failing call and the start-up generation that made it. A failing call never
// throws: its status is recorded and drawing goes on. A wrapper from an earlier
// start-up answers null from get(), so its native object is never touched
// after the shutdown that killed it. Private to the drawing layer. UI thread.
#pragma once

#include <string>
#include <unordered_map>

#include "gui/toolkit/drawingobjects.h"
#include "gui/toolkit/gdiplusglobals.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <new>

namespace VSTGUI {

namespace gdip = Gdiplus::DllExports;

inline Gdiplus::Status deleteNative(Gdiplus::GpGraphics* native) {
    return gdip::GdipDeleteGraphics(native);
}
inline Gdiplus::Status deleteNative(Gdiplus::GpPen* native) {
    return gdip::GdipDeletePen(native);
}
inline Gdiplus::Status deleteNative(Gdiplus::GpSolidFill* native) {
    return gdip::GdipDeleteBrush(native);
}
inline Gdiplus::Status deleteNative(Gdiplus::GpBitmap* native) {
    return gdip::GdipDisposeImage(native);
}
inline Gdiplus::Status deleteNative(Gdiplus::GpFont* native) {
    return gdip::GdipDeleteFont(native);
}
inline Gdiplus::Status deleteNative(Gdiplus::GpFontFamily* native) {
    return gdip::GdipDeleteFontFamily(native);
}
inline Gdiplus::Status deleteNative(Gdiplus::GpPath* native) {
    return gdip::GdipDeletePath(native);
}
inline Gdiplus::Status deleteNative(Gdiplus::GpImageAttributes* native) {
    return gdip::GdipDisposeImageAttributes(native);
}

template <class Native> struct GdipObject {
    Native* native = nullptr;
    Gdiplus::Status lastStatus = Gdiplus::Ok;
    int32_t generation = 0;

    // The native object, or null when there is none or it is dead.
    Native* get() const {
        return native && generation == GDIPlusGlobals::getGeneration() ? native : nullptr;
    }
    bool isCurrent() const { return generation == GDIPlusGlobals::getGeneration(); }
    // Records a failure; true on success.
    bool check(Gdiplus::Status status) {
        if (status != Gdiplus::Ok)
            lastStatus = status;
        return status == Gdiplus::Ok;
    }
};

struct PlatformImage : GdipObject<Gdiplus::GpBitmap> {};
// GDI+ measures text slowly, and an editor measures the same texts on every
// draw: a font keeps its text widths and line height, each for the
// resolution they were measured at.
struct PlatformFont : GdipObject<Gdiplus::GpFont> {
    static constexpr size_t kMaxKeptWidths = 512;
    std::unordered_map<std::string, float> widths;
    float widthsDpi = 0;
    float height = 0;
    float heightDpi = 0;
};

// A new wrapper without a native object; null while GDI+ is not started.
template <class Wrapper> Wrapper* gdipCreate() {
    const int32_t generation = GDIPlusGlobals::getGeneration();
    if (generation == 0)
        return nullptr;
    void* memory = gdip::GdipAlloc(sizeof(Wrapper));
    if (!memory)
        return nullptr;
    countDrawingObjectCreated();
    auto* wrapper = new (memory) Wrapper();
    wrapper->generation = generation;
    return wrapper;
}

// Deletes the native object and frees the wrapper. A wrapper that outlived
// its start-up is left alone: its memory went with that start-up's library
// state, and it stays in the live count so that the leak shows.
template <class Wrapper> void gdipDestroy(Wrapper* wrapper) {
    if (!wrapper || !wrapper->isCurrent())
        return;
    if (wrapper->native)
        deleteNative(wrapper->native);
    wrapper->~Wrapper();
    gdip::GdipFree(wrapper);
    countDrawingObjectFreed();
}

// A wrapper around the native object that create(Native**) makes; null when
// GDI+ is not started or the call fails.
template <class Wrapper, class Create> Wrapper* gdipMake(Create&& create) {
    Wrapper* wrapper = gdipCreate<Wrapper>();
    if (!wrapper)
        return nullptr;
    if (!wrapper->check(create(&wrapper->native)) || !wrapper->native) {
        wrapper->native = nullptr;  // never delete what a failed call left behind
        gdipDestroy(wrapper);
        return nullptr;
    }
    return wrapper;
}

// Wraps a native object made by a call that answered status; null (and the
// native object deleted) when no wrapper can be made.
template <class Wrapper, class Native> Wrapper* gdipAdopt(Gdiplus::Status status, Native* native) {
    if (status != Gdiplus::Ok || !native)
        return nullptr;
    Wrapper* wrapper = gdipCreate<Wrapper>();
    if (!wrapper) {
        deleteNative(native);
        return nullptr;
    }
    wrapper->native = native;
    return wrapper;
}

using GdipGraphicsObject = GdipObject<Gdiplus::GpGraphics>;
using GdipPenObject = GdipObject<Gdiplus::GpPen>;
using GdipBrushObject = GdipObject<Gdiplus::GpSolidFill>;

// The GDI+ objects of one drawing context.
struct PlatformGraphics {
    GdipGraphicsObject* graphics = nullptr;
    GdipPenObject* pen = nullptr;
    GdipBrushObject* fillBrush = nullptr;
    GdipBrushObject* fontBrush = nullptr;
};

}  // namespace VSTGUI
