// UTF-8 to UTF-16 for the Windows drawing calls.
#pragma once

#include <string>

namespace VSTGUI {

// An empty text when the conversion fails.
std::wstring utf8ToWide(const char* utf8Text);

}  // namespace VSTGUI
