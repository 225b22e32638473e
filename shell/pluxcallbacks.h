// The table through which the host wrapper reaches the script object: one
// function per host-driven operation, each taking the wrapper first.
#pragma once

#include <cstdint>

class CPlux;
namespace VSTGUI {
class CDrawContext;
}

struct TPluxCallbacks {
    void (*create)(CPlux*);
    void (*destroy)(CPlux*);
    void (*open)(CPlux*);
    void (*suspend)(CPlux*);
    void (*resume)(CPlux*);
    void (*idle)(CPlux*);
    void (*close)(CPlux*);
    // Runs the graphics section once, drawing on `context` (nothing when
    // null) over a view of the given size; the context is the section's for
    // that run only.
    void (*draw)(CPlux*, VSTGUI::CDrawContext* context, double width, double height);
    void (*mouseDown)(CPlux*, double x, double y, int32_t buttons);
    void (*mouseUp)(CPlux*, double x, double y, int32_t buttons);
    void (*mouseMove)(CPlux*, double x, double y, int32_t buttons);
    void (*keyDown)(CPlux*, int32_t character, uint8_t modifier, uint8_t virtualKey);
    void (*keyUp)(CPlux*, int32_t character, uint8_t modifier, uint8_t virtualKey);
    int32_t (*queryVendorVersion)(CPlux*);
    int32_t (*queryVendorString)(CPlux*, char* text);
    int32_t (*queryProductString)(CPlux*, char* text);
    int32_t (*queryEffectName)(CPlux*, char* text);
    int32_t (*getProgramName)(CPlux*, char* text);
    void (*setProgramName)(CPlux*, const char* text);
    int32_t (*programNameIndexed)(CPlux*);
    double (*getParameter)(CPlux*, int32_t index);
    void (*setParameter)(CPlux*, int32_t index, double value);
    void (*parameterName)(CPlux*, int32_t index, char* text);
    void (*parameterLabel)(CPlux*, int32_t index, char* text);
    void (*parameterDisplay)(CPlux*, int32_t index, char* text);
    void (*process)(CPlux*, float** inputs, float** outputs, int32_t frames);
    void (*processDouble)(CPlux*, double** inputs, double** outputs, int32_t frames);
    int32_t (*getChunk)(CPlux*, void** data, bool preset);
    int32_t (*setChunk)(CPlux*, void* data, int32_t size, bool preset);
};

static_assert(sizeof(TPluxCallbacks) == 29 * sizeof(void (*)()), "29 bindings");

// The bindings both plug-ins use: every operation runs the matching step of
// the script object (key events have none).
TPluxCallbacks standardPluxCallbacks();
