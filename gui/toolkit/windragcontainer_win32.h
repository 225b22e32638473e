// The items of an OLE drag: its Unicode text as one UTF-8 item, or its dropped
// files as UTF-8 paths, shortcut files (".lnk") resolved to their targets.
#pragma once

#include "gui/toolkit/dragcontainer.h"

#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <memory>

namespace VSTGUI {

class WinDragContainer : public CDragContainer {
  public:
    // Holds a reference to the data object for its own life.
    explicit WinDragContainer(IDataObject* dataObject);
    WinDragContainer(const WinDragContainer&) = delete;
    WinDragContainer& operator=(const WinDragContainer&) = delete;
    ~WinDragContainer() override;

    void* first(int32_t& size, int32_t& type) override;
    void* next(int32_t& size, int32_t& type) override;
    // kError without data, kText for a text drag, kFile for a file in range,
    // kUnknown otherwise.
    int32_t getType(int32_t index) const override;
    int32_t getCount() const override { return itemCount; }

  private:
    void* nextText(int32_t& size, int32_t& type);
    void* nextFile(int32_t& size, int32_t& type);
    void* keepItem(const char* bytes, int32_t length, int32_t& size);

    IDataObject* dataObject = nullptr;
    bool hasText = false;
    int32_t itemCount = 0;
    int32_t nextIndex = 0;
    std::unique_ptr<char[]> lastItem;  // valid until the next request
};

// Replaces a shortcut file's path by its target's; leaves the path as it is
// when any step fails. capacity is the buffer's size in characters.
void resolveShortcut(wchar_t* path, size_t capacity);

}  // namespace VSTGUI
