// Image slots of the script: a holder owns at most one bitmap; the loaded-
// image table maps slot numbers to a holder and the bitmap's size.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace VSTGUI {
class CBitmap;
class CDrawContext;
struct CColor;
}  // namespace VSTGUI

class TVexmoldImageHolder {
  public:
    TVexmoldImageHolder() = default;
    TVexmoldImageHolder(const TVexmoldImageHolder&) = delete;
    TVexmoldImageHolder& operator=(const TVexmoldImageHolder&) = delete;
    ~TVexmoldImageHolder();

    // Each load replaces the bitmap; true when the new one has pixels.
    bool loadResource(int32_t identifier);
    bool loadResource(const char* name);
    bool loadFile(const std::string& utf8Path);

    // The rest answer false when there is no bitmap.
    bool getTransparentColour(uint8_t rgba[4]) const;
    bool setTransparentColour(const uint8_t rgba[4]);
    bool getAlphaDrawing(bool& noAlpha) const;
    bool setAlphaDrawing(bool noAlpha);
    bool draw(VSTGUI::CDrawContext* context, double left, double top, double right,
              double bottom) const;
    bool drawAlpha(VSTGUI::CDrawContext* context, double left, double top, double right,
                   double bottom, uint8_t alpha) const;
    bool drawTransparent(VSTGUI::CDrawContext* context, double left, double top, double right,
                         double bottom) const;

    VSTGUI::CBitmap* bitmap() const { return image; }
    double width() const;
    double height() const;

  private:
    void replace(VSTGUI::CBitmap* newImage);
    VSTGUI::CBitmap* image = nullptr;  // one reference held
};

struct TVexmoldImageEntry {
    std::unique_ptr<TVexmoldImageHolder> holder;  // none until a load was tried
    double width = 0.0;
    double height = 0.0;
};
