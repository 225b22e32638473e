#include "gui/toolkit/textconversion_win32.h"

#include <windows.h>

namespace VSTGUI {

std::wstring utf8ToWide(const char* utf8Text) {
    if (!utf8Text || !*utf8Text)
        return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8Text, -1, nullptr, 0);
    if (length <= 1)
        return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    if (MultiByteToWideChar(CP_UTF8, 0, utf8Text, -1, &wide[0], length) != length)
        return {};
    wide.resize(static_cast<size_t>(length - 1));  // without the terminator
    return wide;
}

}  // namespace VSTGUI
