// What the editor needs from the operating system: OLE for the thread that
// makes the plug-in, the system tick count, a short sleep and the dispatch of
// one pending paint. One definition per platform (editorplatform_win32.cpp,
// editorplatform_x11.cpp). UI thread only.
#pragma once

#include <cstdint>

namespace plux::editorplatform {

// Both balanced: every successful initialise is undone by one uninitialise.
bool initialiseOle();
void uninitialiseOle();
uint32_t tickCount();
// The system's id of the calling thread. Not std::this_thread: with the
// statically linked threads runtime that makes a thread record (a handle and
// memory) for every thread it has not started, kept past the DLL's unload.
uint64_t currentThreadId();
void sleepMilliseconds(uint32_t milliseconds);
// Removes at most one paint message of the calling thread and dispatches it
// (Win32); nothing on X11, where the frame's idle pass has painted already.
void dispatchOnePendingPaint();

}  // namespace plux::editorplatform
