// Font descriptions: name, size in pixels and style bits. The platform font
// is made on first need and dropped whenever the description changes or the
// graphics library shuts down.
#pragma once

#include "gui/toolkit/baseobject.h"
#include "gui/toolkit/geometry.h"

#include <cstdint>
#include <string>

namespace VSTGUI {

enum CTxtFace : int32_t {
    kNormalFace = 0,
    kBoldFace = 1 << 0,
    kItalicFace = 1 << 1,
    kUnderlineFace = 1 << 2,
};

struct PlatformFont;  // the graphics library's font, owned by the description

class CFontDesc : public CBaseObject {
  public:
    explicit CFontDesc(const char* name = nullptr, CCoord size = 0, int32_t style = kNormalFace);
    CFontDesc(const CFontDesc& other);
    ~CFontDesc() override;

    // Null when the description has no name.
    const char* getName() const;
    void setName(const char* name);
    CCoord getSize() const { return size; }
    void setSize(CCoord newSize);
    int32_t getStyle() const { return style; }
    void setStyle(int32_t newStyle);

    // Same name text, equal size, equal style.
    bool operator==(const CFontDesc& other) const;
    bool operator!=(const CFontDesc& other) const { return !(*this == other); }

    // Made on first use; null when the graphics library is unavailable.
    PlatformFont* getPlatformFont();
    void freePlatformFont();

  private:
    friend void freeAllPlatformFonts();

    bool hasName = false;
    std::string name;
    CCoord size = 0;
    int32_t style = kNormalFace;
    PlatformFont* platformFont = nullptr;
    // Links of the process-wide list of descriptions holding a platform font.
    CFontDesc* previousWithFont = nullptr;
    CFontDesc* nextWithFont = nullptr;
};

// The eight shared descriptions, alive for the whole process: "Arial" 12 (the
// default font of every drawing context), 18, 14, 12, 11, 10, 9 and "Symbol" 13.
extern CFontDesc* const kSystemFont;
extern CFontDesc* const kNormalFontVeryBig;
extern CFontDesc* const kNormalFontBig;
extern CFontDesc* const kNormalFont;
extern CFontDesc* const kNormalFontSmall;
extern CFontDesc* const kNormalFontSmaller;
extern CFontDesc* const kNormalFontVerySmall;
extern CFontDesc* const kSymbolFont;

// Drops the platform fonts of the shared descriptions (before a shutdown of
// the graphics library).
void freeSharedPlatformFonts();
// Drops the platform fonts of every live description (at a shutdown of the
// graphics library).
void freeAllPlatformFonts();

}  // namespace VSTGUI
