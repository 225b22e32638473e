// Text between UTF-8 and the UTF-16 of the Windows calls.
#pragma once

#include <string>

namespace VSTGUI {

// An empty text when the conversion fails.
std::wstring utf8ToWide(const char* utf8Text);
// length characters of text; an empty text when the conversion fails.
std::string wideToUtf8(const wchar_t* text, size_t length);

}  // namespace VSTGUI
