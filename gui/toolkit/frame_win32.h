// Test seam of the Win32 frame: the operating-system major version that
// frames read at construction, to exercise the path of older systems (no
// composition, a back buffer) on a newer one.
#pragma once

namespace VSTGUI {

// Frames made afterwards see this major version; 0 restores the real one.
void overrideSystemMajorVersion(unsigned major);

}  // namespace VSTGUI
