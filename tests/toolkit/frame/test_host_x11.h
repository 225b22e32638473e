// The host's side of the X11 frame tests: a connection of the test's own,
// host windows, events sent to a frame's window as the server would deliver
// them, pixels read back, and the process's file and memory use.
#pragma once

#include "gui/toolkit/frame.h"

#include <X11/Xlib.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace frametest {

// Opened on first use, for the whole test run.
Display* testDisplay();

// A mapped, undecorated top-level window at (x, y), width x height.
Window createHostWindow(int x, int y, int width, int height);
void* asParent(Window window);
// The frame's own window; 0 without one.
Window frameWindowOf(const VSTGUI::CFrame* frame);
std::vector<Window> childrenOf(Window window);

// Sent to the window's creator, as the server sends its input; time is the
// event's timestamp in milliseconds.
void sendButton(Window window, int type, unsigned button, int x, int y, unsigned state,
                Time time = 0);
void sendMotion(Window window, int x, int y, unsigned state);
void sendCrossing(Window window, int type, int x, int y, int mode, unsigned state);
void sendKey(Window window, int type, KeySym symbol, unsigned state);

// Waits until the frame's connection has events to read; false after two seconds.
bool waitForEvents(const VSTGUI::CFrame* frame);
// Calls the frame's idle until done answers true; false after two seconds.
bool idleUntil(VSTGUI::CFrame* frame, const std::function<bool()>& done);

// Returns once the server has done every request of the frame's connection:
// what the frame drew is then on screen for the test's connection to read.
void syncFrame(const VSTGUI::CFrame* frame);
// 0x00RRGGBB of one pixel of the window; UINT32_MAX when it cannot be read.
uint32_t pixelAt(Window window, int x, int y);

int openFileCount();
size_t residentKiB();

}  // namespace frametest
