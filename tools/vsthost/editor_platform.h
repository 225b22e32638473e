// What the editor command needs from the windowing system: a window to host
// the editor, a message pump, a clock, and the editor's pixels as a PNG file.
// editor_platform_win32.cpp implements it over Win32 and GDI+, editor_platform_x11.cpp
// over X11 and cairo; tests give a fake with
// a clock that moves only when the command sleeps.
#pragma once

#include <string>

namespace plux::vsthost {

class EditorPlatform {
  public:
    virtual ~EditorPlatform() = default;

    // Creates and shows a top-level window whose client area is width x
    // height. Answers the native handle handed to effEditOpen, null on failure.
    virtual void* openWindow(int width, int height, std::string& error) = 0;
    // Dispatches every pending message of the calling thread.
    virtual void pumpMessages() = 0;
    // Writes the pixels of the editor (the window's child window) to a PNG
    // file and says the size it wrote.
    virtual bool saveEditorImage(const std::string& path, int& width, int& height,
                                 std::string& error) = 0;
    // Destroys the window; harmless when none is open.
    virtual void closeWindow() = 0;

    // A steady clock in milliseconds, and a wait of about `ms` milliseconds.
    virtual double milliseconds() = 0;
    virtual void sleep(double ms) = 0;
};

}  // namespace plux::vsthost
