#include "runtime/paths.h"

#include <cctype>

#include "platform/platform.h"

namespace vexmold {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

int lastSeparatorPosition(const std::string& path) {
    for (size_t i = path.size(); i > 0; --i)
        if (isSeparator(path[i - 1]))
            return static_cast<int>(i - 1);
    return -1;
}

std::string folderPart(const std::string& path) {
    const int last = lastSeparatorPosition(path);
    return last < 0 ? std::string() : path.substr(0, static_cast<size_t>(last) + 1);
}

std::string fileNamePart(const std::string& path) {
    const int last = lastSeparatorPosition(path);
    return last < 0 ? path : path.substr(static_cast<size_t>(last) + 1);
}

std::string extensionPart(const std::string& path) {
    const size_t dot = path.rfind('.');
    return dot == std::string::npos ? std::string() : path.substr(dot);
}

std::string withoutLeadingSeparator(const std::string& name) {
    return (!name.empty() && isSeparator(name[0])) ? name.substr(1) : name;
}

std::string withTrailingSeparator(const std::string& path) {
    if (path.empty() || isSeparator(path.back()))
        return path;
    return path + '\\';
}

std::string withLeadingSeparator(const std::string& path) {
    if (!path.empty() && isSeparator(path[0]))
        return path;
    return '\\' + path;
}

bool textEquals(const std::string& a, const std::string& b) {
    return a == b;
}

bool textEqualsIgnoreCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string moduleFileName(void* moduleHandle) {
    return plux::platform::moduleFileName(moduleHandle);
}

std::string pluginFolder() {
    return folderPart(plux::platform::moduleFileName(nullptr));
}

std::string resolvePath(const std::string& name) {
    return pluginFolder() + withoutLeadingSeparator(name);
}

}  // namespace vexmold
