// WinDragContainer: reads CF_UNICODETEXT and CF_HDROP from an IDataObject.
#include "gui/toolkit/windragcontainer_win32.h"
#include "gui/toolkit/textconversion_win32.h"

#include <shellapi.h>
#include <shlobj.h>

#include <climits>
#include <cstring>
#include <cwchar>
#include <string>

namespace VSTGUI {

namespace {

constexpr UINT kPathCapacity = 2048;
// SLR_NO_UI | SLR_ANY_MATCH with a time-out of 500 ms in the high word.
constexpr DWORD kResolveFlags = 0x01F40003;

FORMATETC formatOf(CLIPFORMAT format) {
    return FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

FORMATETC textFormat() {
    return formatOf(CF_UNICODETEXT);
}
FORMATETC fileFormat() {
    return formatOf(CF_HDROP);
}

// Every medium goes back to its owner (or its memory is freed) after use.
class Medium {
  public:
    Medium(IDataObject* dataObject, FORMATETC format) {
        obtained = dataObject && SUCCEEDED(dataObject->GetData(&format, &medium));
        if (obtained && (medium.tymed != TYMED_HGLOBAL || !medium.hGlobal)) {
            ReleaseStgMedium(&medium);
            obtained = false;
        }
    }
    Medium(const Medium&) = delete;
    Medium& operator=(const Medium&) = delete;
    ~Medium() {
        if (obtained)
            ReleaseStgMedium(&medium);
    }
    HGLOBAL memory() const { return obtained ? medium.hGlobal : nullptr; }

  private:
    STGMEDIUM medium{};
    bool obtained = false;
};

UINT fileCount(IDataObject* dataObject) {
    Medium files(dataObject, fileFormat());
    if (!files.memory())
        return 0;
    return DragQueryFileW(static_cast<HDROP>(files.memory()), 0xFFFFFFFF, nullptr, 0);
}

// A shortcut is named "*.lnk"; the extension counts from the first dot, so a
// dot in a folder name makes the path no shortcut.
bool looksLikeShortcut(const wchar_t* path) {
    const wchar_t* dot = std::wcschr(path, L'.');
    return dot && _wcsicmp(dot, L".lnk") == 0;
}

}  // namespace

void resolveShortcut(wchar_t* path, size_t capacity) {
    if (!path || capacity == 0)
        return;
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))) ||
        !link)
        return;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        file) {
        // The target goes to a buffer of its own so that a failing step
        // cannot leave half a path behind.
        wchar_t target[kPathCapacity] = {};
        if (SUCCEEDED(file->Load(path, STGM_READ)) &&
            link->Resolve(nullptr, kResolveFlags) == S_OK &&
            link->GetPath(target, static_cast<int>(kPathCapacity), nullptr, SLGP_SHORTPATH) ==
                S_OK &&
            target[0] != L'\0') {
            const size_t length = wcsnlen(target, kPathCapacity - 1);
            if (length < capacity) {
                std::wmemcpy(path, target, length);
                path[length] = L'\0';
            }
        }
        file->Release();
    }
    link->Release();
}

WinDragContainer::WinDragContainer(IDataObject* data) : dataObject(data) {
    if (!dataObject)
        return;
    hasText = Medium(dataObject, textFormat()).memory() != nullptr;
    if (hasText) {
        itemCount = 1;
    } else {
        const UINT files = fileCount(dataObject);
        itemCount = files > INT32_MAX ? INT32_MAX : static_cast<int32_t>(files);
    }
    // Last: a construction that throws before it has no destructor to release.
    dataObject->AddRef();
}

WinDragContainer::~WinDragContainer() {
    if (dataObject)
        dataObject->Release();
}

int32_t WinDragContainer::getType(int32_t index) const {
    if (!dataObject)
        return kError;
    if (hasText)
        return kText;
    return index >= 0 && index < itemCount ? kFile : kUnknown;
}

void* WinDragContainer::first(int32_t& size, int32_t& type) {
    nextIndex = 0;
    return next(size, type);
}

void* WinDragContainer::next(int32_t& size, int32_t& type) {
    if (!dataObject) {
        type = kError;
        return nullptr;
    }
    lastItem.reset();
    size = 0;
    type = kUnknown;
    if (hasText)
        return nextText(size, type);
    if (itemCount > 0)
        return nextFile(size, type);
    return nullptr;
}

void* WinDragContainer::keepItem(const char* bytes, int32_t length, int32_t& size) {
    lastItem.reset(new char[static_cast<size_t>(length) + 1]);
    std::memcpy(lastItem.get(), bytes, static_cast<size_t>(length));
    lastItem[static_cast<size_t>(length)] = '\0';
    size = length;
    return lastItem.get();
}

// The text goes out once per iteration.
void* WinDragContainer::nextText(int32_t& size, int32_t& type) {
    if (nextIndex++ != 0)
        return nullptr;
    Medium text(dataObject, textFormat());
    if (!text.memory())
        return nullptr;
    void* result = nullptr;
    const SIZE_T bytes = GlobalSize(text.memory());
    const auto* wide = static_cast<const wchar_t*>(GlobalLock(text.memory()));
    if (bytes != 0 && wide) {
        // The text need not end inside the block: never read past it.
        const std::string utf8 = wideToUtf8(wide, wcsnlen(wide, bytes / sizeof(wchar_t)));
        if (utf8.size() <= INT32_MAX - 1) {
            result = keepItem(utf8.data(), static_cast<int32_t>(utf8.size()), size);
            type = kUnicodeText;
        }
    }
    if (wide)
        GlobalUnlock(text.memory());
    return result;
}

void* WinDragContainer::nextFile(int32_t& size, int32_t& type) {
    Medium files(dataObject, fileFormat());
    if (!files.memory())
        return nullptr;
    if (nextIndex < 0 || nextIndex >= itemCount)
        return nullptr;
    wchar_t path[kPathCapacity] = {};
    const UINT index = static_cast<UINT>(nextIndex++);
    if (DragQueryFileW(static_cast<HDROP>(files.memory()), index, path, kPathCapacity) == 0)
        return nullptr;
    path[kPathCapacity - 1] = L'\0';
    if (looksLikeShortcut(path))
        resolveShortcut(path, kPathCapacity);
    const std::string utf8 = wideToUtf8(path, wcsnlen(path, kPathCapacity));
    type = kFile;
    return keepItem(utf8.data(), static_cast<int32_t>(utf8.size()), size);
}

}  // namespace VSTGUI
