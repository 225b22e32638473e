// The editor command's platform on X11: a top-level window of its own display
// connection for the plug-in's editor (the plug-in opens a connection of its
// own and makes its window a child of this one), the connection's events, a
// monotonic clock, and the editor's pixels read back with XGetImage.
#pragma once

#include "tools/vsthost/editor_platform.h"

namespace plux::vsthost {

class X11EditorPlatform : public EditorPlatform {
  public:
    X11EditorPlatform() = default;
    ~X11EditorPlatform() override;
    X11EditorPlatform(const X11EditorPlatform&) = delete;
    X11EditorPlatform& operator=(const X11EditorPlatform&) = delete;

    // Answers the window's id cast to a pointer, as effEditOpen takes it.
    void* openWindow(int width, int height, std::string& error) override;
    void pumpMessages() override;
    bool saveEditorImage(const std::string& path, int& width, int& height,
                         std::string& error) override;
    void closeWindow() override;
    double milliseconds() override;
    void sleep(double ms) override;

  private:
    void* display_ = nullptr;   // Display*, opaque here to keep Xlib's macros out
    unsigned long window_ = 0;  // Window
};

}  // namespace plux::vsthost
