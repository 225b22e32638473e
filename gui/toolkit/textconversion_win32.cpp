#include "gui/toolkit/textconversion_win32.h"

#include <windows.h>

#include <climits>

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

std::string wideToUtf8(const wchar_t* text, size_t length) {
    if (!text || length == 0 || length > INT_MAX)
        return std::string();
    const int wideLength = static_cast<int>(length);
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text, wideLength, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return std::string();
    std::string result(static_cast<size_t>(bytes), '\0');
    if (WideCharToMultiByte(CP_UTF8, 0, text, wideLength, &result[0], bytes, nullptr, nullptr) !=
        bytes)
        return std::string();
    return result;
}

}  // namespace VSTGUI
