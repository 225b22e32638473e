// The editor command's platform on Windows: a captioned top-level window for
// the plug-in's editor, the thread's message pump, a performance-counter
// clock, and the editor's pixels read back with BitBlt.
#pragma once

#include "tools/vsthost/editor_platform.h"

namespace plux::vsthost {

class Win32EditorPlatform : public EditorPlatform {
  public:
    Win32EditorPlatform();  // 1 ms timer resolution while it lives
    ~Win32EditorPlatform() override;
    Win32EditorPlatform(const Win32EditorPlatform&) = delete;
    Win32EditorPlatform& operator=(const Win32EditorPlatform&) = delete;

    void* openWindow(int width, int height, std::string& error) override;
    void pumpMessages() override;
    bool saveEditorImage(const std::string& path, int& width, int& height,
                         std::string& error) override;
    void closeWindow() override;
    double milliseconds() override;
    void sleep(double ms) override;

  private:
    void* window_ = nullptr;  // HWND, opaque here to keep <windows.h> out
    double ticksPerMs_ = 0.0;
};

}  // namespace plux::vsthost
