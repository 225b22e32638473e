// The debug log: one line appended to a text file, then a short beep.
#pragma once

#include <string>

namespace vexmold {

// Appends text and a line end to the log file and beeps (2000 Hz, 200 ms).
// Returns the beep's result, or 0 when the file cannot be opened.
int debugLog(const std::string& text);

// The log file: "\geep.log.txt" at the root of the current drive. Tests
// point it elsewhere; an empty path restores the default.
void setDebugLogPath(const std::string& path);
std::string debugLogPath();

}  // namespace vexmold
