// File names relative to the plug-in's folder, and the small text routines
// around paths. Both separators, backslash and slash, are recognised.
#pragma once

#include <string>

namespace vexmold {

// Folder of the plug-in library with its trailing separator, or empty.
std::string pluginFolder();
// The plug-in folder followed by name, less a leading separator of name.
std::string resolvePath(const std::string& name);
// Full file name of any module (null: the plug-in's own).
std::string moduleFileName(void* moduleHandle);

bool isSeparator(char c);
std::string withoutLeadingSeparator(const std::string& name);
// Up to and including the last separator; empty without one.
std::string folderPart(const std::string& path);
// After the last separator; the whole text without one.
std::string fileNamePart(const std::string& path);
// From the last '.' to the end; empty without one.
std::string extensionPart(const std::string& path);
// Position of the last separator, -1 without one.
int lastSeparatorPosition(const std::string& path);
// Adds a backslash unless the text already ends (starts) with a separator.
// An empty text gets no separator: it names no folder.
std::string withTrailingSeparator(const std::string& path);
std::string withLeadingSeparator(const std::string& path);
bool textEquals(const std::string& a, const std::string& b);
bool textEqualsIgnoreCase(const std::string& a, const std::string& b);

}  // namespace vexmold
