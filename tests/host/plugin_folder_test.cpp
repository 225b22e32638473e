// The plug-in's own folder is the one its library was loaded from, whatever
// program loads it: a copy of the fixture plug-in in a folder of its own,
// with one file in "data" beside it, offers that file in its file-list
// slider, while the original in the build's folder (no "data" there, and the
// host's folder is the same one) offers none.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/host/plugin_instance.h"

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr const char* kLibrarySuffix = ".dll";
#else
constexpr const char* kLibrarySuffix = ".so";
#endif

std::string firstOption(AEffect* effect) {
    char text[kVstMaxParamStrLen + 1] = {};
    effect->dispatcher(effect, effGetParamDisplay, 0, 0, text, 0.0f);
    return text;
}

// A folder of its own holding a copy of the fixture and data/mine.d.
class PluginCopy {
  public:
    PluginCopy() {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        folder = fs::temp_directory_path() / ("plux-folder-" + std::to_string(stamp));
        fs::create_directories(folder / "data");
        std::ofstream(folder / "data" / "mine.d") << "data beside the plug-in\n";
        const char* dir = std::getenv("PLUX_PLUGIN_DIR");
        const fs::path original =
            fs::path(dir ? dir : ".") / (std::string("folderplugin") + kLibrarySuffix);
        library = folder / (std::string("folderplugin-copy") + kLibrarySuffix);
        std::error_code failed;
        fs::copy_file(original, library, failed);
        copied = !failed;
    }
    PluginCopy(const PluginCopy&) = delete;
    PluginCopy& operator=(const PluginCopy&) = delete;
    ~PluginCopy() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    fs::path folder, library;
    bool copied = false;
};

TEST(PluginFolder, IsTheFolderItsLibraryWasLoadedFrom) {
    fakehost::reset();
    // The original first: it keeps the libraries both load (cairo and the
    // rest, in the native build) loaded when the copy is unloaded.
    PluginInstance original{"folderplugin"};
    ASSERT_NE(original.effect, nullptr);
    EXPECT_EQ(firstOption(original.effect), "(No Dat");  // "(No Data Files)", cut to the buffer

    PluginCopy copy;
    ASSERT_TRUE(copy.copied) << copy.library.string();
    void* library = loadLibraryFile(copy.library.string());
    ASSERT_NE(library, nullptr) << copy.library.string();
    const PluginMain entry = libraryEntry(library);
    ASSERT_NE(entry, nullptr);
    AEffect* effect = entry(fakehost::callback);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->numParams, 1);
    EXPECT_EQ(firstOption(effect), "mine.d");
    closeInstance(effect);
    unloadLibraryFile(library);
}

}  // namespace
