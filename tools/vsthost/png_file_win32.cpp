#include "tools/vsthost/png_file.h"


#include <filesystem>

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

namespace plux::vsthost {
namespace {

namespace gdip = Gdiplus::DllExports;

// The PNG encoder of GDI+: image/png.
const CLSID kPngEncoder = {
    0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

class GdiplusSession {
  public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        started_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession() {
        if (started_)
            Gdiplus::GdiplusShutdown(token_);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool started() const { return started_; }

  private:
    ULONG_PTR token_ = 0;
    bool started_ = false;
};

}  // namespace

bool writePng(files::StagedFile& file, int width, int height, const std::uint32_t* pixels,
              std::string& error) {
    const std::string utf8Path = file.requested().u8string();
    GdiplusSession session;
    if (!session.started()) {
        error = "GDI+ did not start";
        return false;
    }
    Gdiplus::GpBitmap* bitmap = nullptr;
    // GDI+ only reads the rows while it encodes; the cast does not let it write.
    auto* scan0 = reinterpret_cast<BYTE*>(const_cast<std::uint32_t*>(pixels));
    Gdiplus::Status status = gdip::GdipCreateBitmapFromScan0(width, height, width * 4,
                                                             PixelFormat32bppRGB, scan0, &bitmap);
    if (status != Gdiplus::Ok) {
        error = "GdipCreateBitmapFromScan0 failed (status " + std::to_string(status) + ")";
        return false;
    }
    status = gdip::GdipSaveImageToFile(bitmap, file.temporary().c_str(), &kPngEncoder, nullptr);
    gdip::GdipDisposeImage(bitmap);
    if (status != Gdiplus::Ok) {
        error = "cannot write " + utf8Path + " (GDI+ status " + std::to_string(status) + ")";
        return false;
    }
    return true;
}

}  // namespace plux::vsthost
