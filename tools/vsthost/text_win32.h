// UTF-8 <-> UTF-16 for the Win32 wide-character API, and Win32 error texts.
#pragma once

#include <string>

namespace plux::vsthost {

std::string toUtf8(const std::wstring& text);
std::wstring toWide(const std::string& utf8);
// The system's text for a GetLastError() code, with the code appended.
std::string systemErrorText(unsigned long code);

}  // namespace plux::vsthost
