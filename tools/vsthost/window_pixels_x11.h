// What an X window shows, read back from the server as 0x00RRGGBB pixels, top
// row first. Used by vsthost's editor command and by the host tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <X11/Xlib.h>

namespace plux::x11 {

// The whole window. False with a message when it is not viewable, lies partly
// off its screen (those pixels are undefined), or the server refuses.
bool readWindowPixels(Display* display, Window window, int& width, int& height,
                      std::vector<std::uint32_t>& pixels, std::string& error);

// The first child window of `parent` (bottom of the stacking order), 0 if none.
Window firstChild(Display* display, Window parent);
// How many child windows `parent` has.
int countChildren(Display* display, Window parent);
// The window's size; false when it does not exist (any more).
bool windowSize(Display* display, Window window, int& width, int& height);

}  // namespace plux::x11
