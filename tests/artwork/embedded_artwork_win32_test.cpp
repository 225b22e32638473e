// The pictures inside the plug-in DLLs: "DATA" resources 0, 1 and 2 in
// English (United States), byte for byte the committed artwork, decodable by
// GDI+ as 99 x 99 images, and drawn only where the editors leave room for them.
// Usage: artwork_tests [gtest flags] --plugins=DIR --artwork=EFFECTS_SOURCE_DIR
#include <gtest/gtest.h>

#include "tests/support/path_option.h"
#include "tests/support/gdiplus_environment_win32.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <windows.h>
#include <objidl.h>
#include <shlwapi.h>
#include <gdiplus.h>

namespace {

namespace fs = std::filesystem;
namespace gdip = Gdiplus::DllExports;

fs::path pluginDir, effectsDir;

using Bytes = std::vector<unsigned char>;

Bytes fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path.u8string();
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A plug-in DLL mapped for its resources only: none of its code runs.
class ResourceModule {
  public:
    explicit ResourceModule(const std::string& plugin) {
        const fs::path path = pluginDir / (plugin + ".dll");
        module_ = LoadLibraryExW(path.wstring().c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        EXPECT_NE(module_, nullptr) << path.u8string();
    }
    ~ResourceModule() {
        if (module_)
            FreeLibrary(module_);
    }
    ResourceModule(const ResourceModule&) = delete;
    ResourceModule& operator=(const ResourceModule&) = delete;

    // The bytes of DATA resource `id` in English (United States); empty when absent.
    Bytes data(int id) const {
        if (!module_)
            return {};
        HRSRC found = FindResourceExW(module_, L"DATA", MAKEINTRESOURCEW(id),
                                      MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        if (!found)
            return {};
        const DWORD size = SizeofResource(module_, found);
        const auto* bytes =
            static_cast<const unsigned char*>(LockResource(LoadResource(module_, found)));
        return bytes ? Bytes(bytes, bytes + size) : Bytes{};
    }

  private:
    HMODULE module_ = nullptr;
};

struct Picture {
    UINT width = 0, height = 0;
    Gdiplus::PixelFormat format = 0;
    std::vector<Gdiplus::ARGB> pixels;
    unsigned alpha(UINT x, UINT y) const { return pixels[y * width + x] >> 24; }
};

Picture decode(const Bytes& png) {
    Picture p;
    IStream* stream = SHCreateMemStream(png.data(), static_cast<UINT>(png.size()));
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (!stream || gdip::GdipCreateBitmapFromStream(stream, &bitmap) != Gdiplus::Ok) {
        ADD_FAILURE() << "GDI+ cannot decode the picture";
        if (stream)
            stream->Release();
        return p;
    }
    gdip::GdipGetImageWidth(bitmap, &p.width);
    gdip::GdipGetImageHeight(bitmap, &p.height);
    gdip::GdipGetImagePixelFormat(bitmap, &p.format);
    for (UINT y = 0; y < p.height; ++y) {
        for (UINT x = 0; x < p.width; ++x) {
            Gdiplus::ARGB argb = 0;
            gdip::GdipBitmapGetPixel(bitmap, static_cast<INT>(x), static_cast<INT>(y), &argb);
            p.pixels.push_back(argb);
        }
    }
    gdip::GdipDisposeImage(bitmap);
    stream->Release();
    return p;
}

// First and last row holding any visible pixel; {-1, -1} when none does.
std::pair<int, int> inkedRows(const Picture& p) {
    int first = -1, last = -1;
    for (UINT y = 0; y < p.height; ++y) {
        for (UINT x = 0; x < p.width; ++x) {
            if (p.alpha(x, y) != 0) {
                if (first < 0)
                    first = static_cast<int>(y);
                last = static_cast<int>(y);
                break;
            }
        }
    }
    return {first, last};
}

struct Plugin {
    const char* name;
    const char* title;  // file of picture 2, in effects/<name>/artwork
};
const Plugin kPlugins[] = {
    {"nulltest", "KESTRAVON_LogoTealGlow_PluginTitle_Pomrik.png"},
    {"tonegen", "KESTRAVON_LogoTealGlow_PluginTitle_997HzToneGenerator.png"},
};

fs::path artworkFile(const Plugin& plugin, int id) {
    if (id == 0)
        return effectsDir / "artwork" / "KESTRAVON_LogoTealGlow.PNG";
    if (id == 1)
        return effectsDir / "artwork" / "KESTRAVON_WebLinkText.png";
    return effectsDir / plugin.name / "artwork" / plugin.title;
}

TEST(EmbeddedArtwork, EachDllCarriesItsThreePicturesUnchanged) {
    for (const Plugin& plugin : kPlugins) {
        SCOPED_TRACE(plugin.name);
        const ResourceModule module(plugin.name);
        for (int id = 0; id < 3; ++id) {
            const Bytes embedded = module.data(id);
            ASSERT_FALSE(embedded.empty()) << "no DATA resource " << id;
            const Bytes committed = fileBytes(artworkFile(plugin, id));
            EXPECT_TRUE(embedded == committed)
                << "resource " << id << " (" << embedded.size() << " bytes) is not "
                << artworkFile(plugin, id).u8string() << " (" << committed.size() << " bytes)";
        }
        EXPECT_TRUE(module.data(3).empty());
    }
}

TEST(EmbeddedArtwork, PicturesAre99By99WithTheRightKindOfPixels) {
    for (const Plugin& plugin : kPlugins) {
        SCOPED_TRACE(plugin.name);
        const ResourceModule module(plugin.name);
        const Picture logo = decode(module.data(0));
        EXPECT_EQ(logo.width, 99u);
        EXPECT_EQ(logo.height, 99u);
        EXPECT_EQ(logo.format, PixelFormat24bppRGB);  // opaque RGB
        for (int id = 1; id < 3; ++id) {
            const Picture overlay = decode(module.data(id));
            ASSERT_EQ(overlay.width, 99u) << id;
            ASSERT_EQ(overlay.height, 99u) << id;
            EXPECT_EQ(overlay.format, PixelFormat32bppARGB) << id;
            for (UINT corner : {0u, 98u}) {
                EXPECT_EQ(overlay.alpha(corner, corner), 0u) << id;  // text only
                EXPECT_EQ(overlay.alpha(corner, 98u - corner), 0u) << id;
            }
        }
    }
}

// Where the editors draw the overlays: nulltest puts the web address at
// y = -55, so only its rows 55 and below show, and its title at y = 25 with
// the build date 25 rows lower; tonegen draws both at (0, 0) with its build
// date at y = 85. The address must fit rows 55-84, a title rows 0-24.
TEST(EmbeddedArtwork, OverlaysStayInTheRowsTheEditorsLeaveThem) {
    for (const Plugin& plugin : kPlugins) {
        SCOPED_TRACE(plugin.name);
        const ResourceModule module(plugin.name);
        const auto [addressTop, addressBottom] = inkedRows(decode(module.data(1)));
        EXPECT_GE(addressTop, 55);
        EXPECT_LE(addressBottom, 84);
        const auto [titleTop, titleBottom] = inkedRows(decode(module.data(2)));
        EXPECT_GE(titleTop, 0);
        EXPECT_LE(titleBottom, 24);
    }
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (!plux::testing_support::takePathOption(argv[i], "plugins", pluginDir) &&
            !plux::testing_support::takePathOption(argv[i], "artwork", effectsDir)) {
            std::fprintf(stderr, "unknown argument: %s\n", argv[i]);
            return 2;
        }
    }
    if (pluginDir.empty() || effectsDir.empty()) {
        std::fprintf(stderr, "usage: artwork_tests [gtest flags] --plugins=DIR --artwork=DIR\n");
        return 2;
    }
    ::testing::AddGlobalTestEnvironment(new plux::testing_support::GdiplusEnvironment);
    return RUN_ALL_TESTS();
}
