// Bitmaps under GDI+: the standard bitmap resource of this executable (see
// fixtures/drawing_fixtures.rc) and files through UTF-8 paths.
#include "gui/toolkit/textconversion_win32.h"
#include "pixels.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <string>

namespace VSTGUI {
namespace {

using namespace VSTGUI::testing;

constexpr uint32_t kLogoCentre = 0xff00c0c0;  // rgb(0, 192, 192), pixels 33..65

TEST(Bitmap, StandardBitmapResourceIsTheFallback) {
    CBitmap bitmap(CResourceDescription(5));
    EXPECT_EQ(bitmap.getWidth(), 99);
    EXPECT_EQ(bitmap.getHeight(), 99);
    EXPECT_EQ(pixelAt(&bitmap, 10, 10) & 0x00ffffff, 0x0000c800u);
}

std::wstring temporaryPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

std::string toUtf8(const std::wstring& wide) {
    return wideToUtf8(wide.c_str(), wide.size());
}

bool writeFile(const std::wstring& path, const void* data, DWORD size) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, data, size, &written, nullptr) && written == size;
    CloseHandle(file);
    return ok;
}

TEST(Bitmap, FilesLoadThroughUtf8Paths) {
    HMODULE module = static_cast<HMODULE>(plux::platform::pluginModule());
    ASSERT_EQ(module, GetModuleHandleW(nullptr));  // the test executable holds the resources
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(0), "DATA");
    ASSERT_NE(resource, nullptr);
    const void* png = LockResource(LoadResource(module, resource));
    const DWORD size = SizeofResource(module, resource);

    const std::wstring good = temporaryPath(L"drawing-\x0442\x0435\x0441\x0442-logo.png");
    ASSERT_TRUE(writeFile(good, png, size));
    CBitmap* loaded = loadBitmapFromFile(toUtf8(good).c_str());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->getWidth(), 99);
    EXPECT_EQ(pixelAt(loaded, 50, 50), kLogoCentre);
    EXPECT_EQ(loaded->getNbReference(), 1);
    loaded->forget();

    const std::wstring garbage = temporaryPath(L"drawing-garbage.png");
    ASSERT_TRUE(writeFile(garbage, "not an image", 12));
    EXPECT_EQ(loadBitmapFromFile(toUtf8(garbage).c_str()), nullptr);
    EXPECT_EQ(loadBitmapFromFile(toUtf8(temporaryPath(L"drawing-missing.png")).c_str()), nullptr);
    DeleteFileW(good.c_str());
    DeleteFileW(garbage.c_str());
}

}  // namespace
}  // namespace VSTGUI
