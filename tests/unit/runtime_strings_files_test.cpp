// String slots, file names, file handles (stream transfer and flush), path
// routines and the debug log.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/debuglog.h"
#include "runtime/paths.h"
#include "runtime/vexmold.h"
#include "tests/unit/test_paths.h"

namespace {

namespace fs = std::filesystem;

std::string executableFolder() {
    return testExecutableFolder();
}

std::vector<unsigned char> readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>());
}

// Read in text mode: the log is a text file, with the platform's line ends.
std::string readText(const fs::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A file in the plug-in folder (the test executable's folder), removed when
// the test ends.
class PluginFolderFile {
  public:
    explicit PluginFolderFile(const std::string& tag)
        : name("runtime_strings_files_test_" + tag + "_" + std::to_string(::getpid()) + ".bin"),
          path(executableFolder() + name) {
        fs::remove(path);
    }
    ~PluginFolderFile() {
        std::error_code ignored;
        fs::remove(path, ignored);
    }
    PluginFolderFile(const PluginFolderFile&) = delete;
    PluginFolderFile& operator=(const PluginFolderFile&) = delete;

    const std::string name;
    const fs::path path;
};

// --- String slots and file names ---------------------------------------------

TEST(RuntimeStringSlots, ReadingAMissingSlotCreatesItEmptyAndCountsIt) {
    TVexmold script;
    EXPECT_EQ(script.stringSlotCount, 0.0);
    EXPECT_EQ(script.stringSlot(10040), "");
    EXPECT_EQ(script.stringSlotCount, 1.0);
    EXPECT_EQ(script.stringSlots.size(), 1u);
    EXPECT_EQ(script.stringSlots.count(10040), 1u);

    // The same slot again, also through the index rule, creates nothing.
    EXPECT_EQ(script.stringSlot(10040), "");
    EXPECT_EQ(script.stringSlot(10039.99995), "");
    EXPECT_EQ(script.stringSlotCount, 1.0);

    EXPECT_EQ(script.stringSlot(-3), "");
    EXPECT_EQ(script.stringSlotCount, 2.0);
    EXPECT_EQ(script.stringSlots.count(-3), 1u);
}

TEST(RuntimeStringSlots, AssignmentCopiesTheTextIntoTheSlot) {
    TVexmold script;
    script.assignStringSlot(5, "first");
    EXPECT_EQ(script.stringSlot(4.99995), "first");
    EXPECT_EQ(script.stringSlotCount, 1.0);
    std::string text = "second";
    script.assignStringSlot(5.00001, text);
    text = "changed afterwards";
    EXPECT_EQ(script.stringSlot(5), "second");
    script.assignStringSlot(6, "");
    EXPECT_EQ(script.stringSlotCount, 2.0);
    // The slot reference writes through.
    script.stringSlot(6) = "via reference";
    EXPECT_EQ(script.stringSlots.at(6), "via reference");
}

TEST(RuntimeStringSlots, ResetClearsSlotsButNotFileNames) {
    TVexmold script;
    script.assignStringSlot(10000, "Courier New");
    script.assignStringSlot(10001, "v");
    script.fileNames[0] = "logo.png";
    script.fileNames[7] = "data.bin";
    script.doReset();
    EXPECT_TRUE(script.stringSlots.empty());
    EXPECT_EQ(script.stringSlotCount, 0.0);
    ASSERT_EQ(script.fileNames.size(), 2u);
    EXPECT_EQ(script.fileNames.at(0), "logo.png");
    EXPECT_EQ(script.fileNames.at(7), "data.bin");
}

TEST(RuntimeFileNames, LookupFindsByIndexRuleAndCreatesNothing) {
    TVexmold script;
    script.fileNames[2] = "title.png";
    ASSERT_NE(script.fileName(2), nullptr);
    EXPECT_EQ(*script.fileName(2), "title.png");
    ASSERT_NE(script.fileName(1.99995), nullptr);
    EXPECT_EQ(*script.fileName(1.99995), "title.png");
    EXPECT_EQ(script.fileName(1.9998), nullptr);
    EXPECT_EQ(script.fileName(3), nullptr);
    EXPECT_EQ(script.fileNames.size(), 1u);
}

// --- Stream transfer -----------------------------------------------------------

TEST(RuntimeFileHandleTransfer, WriteModeAppendsNarrowedValues) {
    TVexmoldFileHandle h;
    h.mode = TVexmoldFileHandle::writing;
    double v = 0.75;
    h.transferValue(v);
    EXPECT_EQ(h.data, std::vector<float>{0.75f});
    EXPECT_EQ(h.position, 1);
    EXPECT_EQ(v, 0.75);  // the variable is only read

    double tenth = 0.1;
    h.transferValue(tenth);
    ASSERT_EQ(h.data.size(), 2u);
    EXPECT_EQ(h.data[1], 0.1f);
    EXPECT_EQ(h.position, 2);
}

TEST(RuntimeFileHandleTransfer, WriteGrowsToExactlyPositionPlusOneOrOverwrites) {
    TVexmoldFileHandle h;
    h.mode = TVexmoldFileHandle::writing;
    h.position = 3;
    double v = -2.5;
    h.transferValue(v);
    EXPECT_EQ(h.data, (std::vector<float>{0.0f, 0.0f, 0.0f, -2.5f}));
    EXPECT_EQ(h.position, 4);

    h.position = 1;
    double w = 9.0;
    h.transferValue(w);
    EXPECT_EQ(h.data, (std::vector<float>{0.0f, 9.0f, 0.0f, -2.5f}));
    EXPECT_EQ(h.position, 2);
}

TEST(RuntimeFileHandleTransfer, ReadModeReadsUntilTheEndThenLeavesTheValue) {
    TVexmoldFileHandle h;
    h.mode = TVexmoldFileHandle::reading;
    h.data = {1.0f, 0.1f, -3.0f};
    double v = 42.0;
    h.transferValue(v);
    EXPECT_EQ(v, 1.0);
    h.transferValue(v);
    EXPECT_EQ(v, static_cast<double>(0.1f));  // widened, not rounded to 0.1
    h.transferValue(v);
    EXPECT_EQ(v, -3.0);
    EXPECT_EQ(h.position, 3);

    double untouched = 42.0;
    h.transferValue(untouched);
    EXPECT_EQ(untouched, 42.0);
    EXPECT_EQ(h.position, 3);
    EXPECT_EQ(h.data.size(), 3u);
}

TEST(RuntimeFileHandleTransfer, ClosedModeDoesNothing) {
    TVexmoldFileHandle h;
    EXPECT_EQ(h.mode, TVexmoldFileHandle::closed);
    h.data = {5.0f};
    double v = 1.0;
    h.transferValue(v);
    EXPECT_EQ(v, 1.0);
    EXPECT_EQ(h.position, 0);
    EXPECT_EQ(h.data, std::vector<float>{5.0f});
}

TEST(RuntimeFileHandleTransfer, ResetForStateEmptiesTheHandle) {
    TVexmoldFileHandle h;
    h.name = "stream.bin";
    h.data = {1.0f, 2.0f};
    h.position = 2;
    h.flags[0] = 1;
    h.flags[1] = 1;
    h.extra = 99;
    h.resetForState(TVexmoldFileHandle::reading);
    EXPECT_EQ(h.name, "");
    EXPECT_TRUE(h.data.empty());
    EXPECT_EQ(h.position, 0);
    EXPECT_EQ(h.flags[0], 0);
    EXPECT_EQ(h.mode, TVexmoldFileHandle::reading);
    EXPECT_EQ(h.extra, 0);
    h.resetForState(TVexmoldFileHandle::writing);
    EXPECT_EQ(h.mode, TVexmoldFileHandle::writing);
}

TEST(RuntimeFileHandleTransfer, ScriptTransferPicksTheHandleByNumber) {
    TVexmold script;
    script.fileHandles[0].mode = TVexmoldFileHandle::writing;
    double v = 3.0;
    script.transferValue(0.9998, v);  // index rule: trunc(0.9999) is handle 0
    EXPECT_EQ(script.fileHandles[0].data, std::vector<float>{3.0f});
    // Unknown handles do nothing.
    script.transferValue(1, v);
    script.transferValue(-1, v);
    script.transferValue(1e12, v);
    EXPECT_EQ(script.fileHandles[0].data.size(), 1u);
    EXPECT_EQ(script.fileHandles.size(), 1u);
}

// --- Flush -------------------------------------------------------------------------

TEST(RuntimeFileHandleFlush, WritesOneByteAfterTheIndexRulePerValue) {
    PluginFolderFile file("flush");
    TVexmoldFileHandle h;
    h.mode = TVexmoldFileHandle::writing;
    h.name = file.name;
    h.data = {65.0f, -1.0f};
    h.flush();
    EXPECT_EQ(readBytes(file.path), (std::vector<unsigned char>{65, 255}));
    // Flushing does not change the handle.
    EXPECT_EQ(h.data, (std::vector<float>{65.0f, -1.0f}));
    EXPECT_EQ(h.mode, TVexmoldFileHandle::writing);
    EXPECT_EQ(h.position, 0);

    // Low 8 bits of trunc(x + 0.0001) / trunc(x - 0.0001); a second flush
    // replaces the file.
    h.data = {256.0f, 300.0f, 65.99995f, 65.5f, -0.5f, -2.0f, -256.0f};
    h.flush();
    EXPECT_EQ(readBytes(file.path), (std::vector<unsigned char>{0, 44, 66, 65, 0, 254, 0}));
}

TEST(RuntimeFileHandleFlush, LeadingSeparatorOfTheNameIsDropped) {
    PluginFolderFile file("flushsep");
    TVexmoldFileHandle h;
    h.mode = TVexmoldFileHandle::writing;
    h.name = "\\" + file.name;
    h.data = {1.0f};
    h.flush();
    EXPECT_EQ(readBytes(file.path), std::vector<unsigned char>{1});
}

TEST(RuntimeFileHandleFlush, OnlyNamedWriteHandlesReachAFile) {
    PluginFolderFile file("flushmode");
    TVexmoldFileHandle h;
    h.name = file.name;
    h.data = {1.0f};
    h.mode = TVexmoldFileHandle::reading;
    h.flush();
    EXPECT_FALSE(fs::exists(file.path));
    h.mode = TVexmoldFileHandle::closed;
    h.flush();
    EXPECT_FALSE(fs::exists(file.path));

    // An unopenable file is skipped silently.
    TVexmoldFileHandle bad;
    bad.mode = TVexmoldFileHandle::writing;
    bad.name = "no-such-folder-" + std::to_string(::getpid()) + "/x.bin";
    bad.data = {1.0f};
    bad.flush();
    EXPECT_FALSE(fs::exists(executableFolder() + bad.name));
}

TEST(RuntimeFileHandleFlush, DestructionAndStateTransfersFlushNamedWriteHandles) {
    PluginFolderFile atDestruction("destroy");
    {
        TVexmold script;
        script.fileHandles[0].mode = TVexmoldFileHandle::writing;
        script.fileHandles[0].name = atDestruction.name;
        script.fileHandles[0].data = {7.0f, 8.0f};
    }
    EXPECT_EQ(readBytes(atDestruction.path), (std::vector<unsigned char>{7, 8}));

    PluginFolderFile atStore("store");
    TVexmold script;
    script.fileHandles[0].mode = TVexmoldFileHandle::writing;
    script.fileHandles[0].name = atStore.name;
    script.fileHandles[0].data = {3.0f};
    void* bytes = nullptr;
    EXPECT_EQ(script.storeState(&bytes, false), 0);
    EXPECT_EQ(readBytes(atStore.path), std::vector<unsigned char>{3});
    // The stream was reset: no name, so nothing more reaches a file.
    EXPECT_EQ(script.fileHandles[0].name, "");

    PluginFolderFile atRestore("restore");
    script.fileHandles[0].name = atRestore.name;
    script.fileHandles[0].data = {4.0f, 5.0f};
    const float chunk[] = {-1000.0f};
    script.restoreState(chunk, 4, false);
    EXPECT_EQ(readBytes(atRestore.path), (std::vector<unsigned char>{4, 5}));
}

// --- RuntimePaths -----------------------------------------------------------------------------

TEST(RuntimePaths, PluginFolderIsTheExecutableFolderWithItsSeparator) {
    EXPECT_EQ(vexmold::pluginFolder(), executableFolder());
    EXPECT_EQ(vexmold::moduleFileName(nullptr), testExecutablePath());
}

#ifdef _WIN32
// A plug-in deeper than MAX_PATH: this program copied into a folder whose
// path is over 300 characters long and loaded from there.
TEST(RuntimePaths, ModuleNameLongerThanMaxPathIsFound) {
    const std::wstring root =
        L"\\\\?\\" + fs::temp_directory_path().wstring() + L"plux_long_module";
    std::wstring folder = root;
    CreateDirectoryW(folder.c_str(), nullptr);
    while (folder.size() < 310) {
        folder += L"\\folder_of_a_deep_plugin_tree";
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) ||
                    GetLastError() == ERROR_ALREADY_EXISTS);
    }
    const std::wstring copy = folder + L"\\deep.dll";
    wchar_t self[4096] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, self, 4096), 0u);
    ASSERT_TRUE(CopyFileW(self, copy.c_str(), FALSE));
    HMODULE module = LoadLibraryExW(copy.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(module, nullptr);
    const std::string name = vexmold::moduleFileName(module);
    FreeLibrary(module);
    std::error_code ignored;
    fs::remove_all(root, ignored);
    EXPECT_GT(name.size(), 300u);
    const std::string tail = "folder_of_a_deep_plugin_tree\\deep.dll";
    ASSERT_GE(name.size(), tail.size());
    EXPECT_EQ(name.substr(name.size() - tail.size()), tail);
}
#endif

TEST(RuntimePaths, ResolveDropsOneLeadingSeparator) {
    const std::string plain = vexmold::resolvePath("logo.png");
    EXPECT_EQ(plain, executableFolder() + "logo.png");
    EXPECT_EQ(vexmold::resolvePath("\\logo.png"), plain);
    EXPECT_EQ(vexmold::resolvePath("/logo.png"), plain);
    EXPECT_EQ(vexmold::resolvePath("//logo.png"), executableFolder() + "/logo.png");
    EXPECT_EQ(vexmold::resolvePath(""), executableFolder());
    EXPECT_EQ(vexmold::resolvePath("sub\\file"), executableFolder() + "sub\\file");
}

TEST(RuntimePaths, FolderFileNameAndExtensionParts) {
    EXPECT_EQ(vexmold::folderPart("C:\\dir\\file.txt"), "C:\\dir\\");
    EXPECT_EQ(vexmold::folderPart("a/b/c"), "a/b/");
    EXPECT_EQ(vexmold::folderPart("a\\b/c"), "a\\b/");
    EXPECT_EQ(vexmold::folderPart("file"), "");
    EXPECT_EQ(vexmold::folderPart("/"), "/");
    EXPECT_EQ(vexmold::folderPart(""), "");

    EXPECT_EQ(vexmold::fileNamePart("C:\\dir\\file.txt"), "file.txt");
    EXPECT_EQ(vexmold::fileNamePart("a/b\\c"), "c");
    EXPECT_EQ(vexmold::fileNamePart("file"), "file");
    EXPECT_EQ(vexmold::fileNamePart("dir/"), "");
    EXPECT_EQ(vexmold::fileNamePart(""), "");

    EXPECT_EQ(vexmold::extensionPart("file.tar.gz"), ".gz");
    EXPECT_EQ(vexmold::extensionPart("file."), ".");
    EXPECT_EQ(vexmold::extensionPart("file"), "");
    EXPECT_EQ(vexmold::extensionPart(".hidden"), ".hidden");
    // From the last '.' to the end, separators or not.
    EXPECT_EQ(vexmold::extensionPart("dir.d/file"), ".d/file");

    EXPECT_EQ(vexmold::lastSeparatorPosition("abc"), -1);
    EXPECT_EQ(vexmold::lastSeparatorPosition(""), -1);
    EXPECT_EQ(vexmold::lastSeparatorPosition("\\"), 0);
    EXPECT_EQ(vexmold::lastSeparatorPosition("a\\b/c"), 3);
    EXPECT_EQ(vexmold::lastSeparatorPosition("a/b\\c"), 3);
    EXPECT_EQ(vexmold::lastSeparatorPosition("ab/"), 2);

    // The parts put together give the path again.
    for (const char* path : {"C:\\dir\\file.txt", "a/b/c", "file", "dir/", ""})
        EXPECT_EQ(vexmold::folderPart(path) + vexmold::fileNamePart(path), std::string(path));
}

TEST(RuntimePaths, TrailingAndLeadingSeparators) {
    EXPECT_EQ(vexmold::withTrailingSeparator("dir"), "dir\\");
    EXPECT_EQ(vexmold::withTrailingSeparator("dir\\"), "dir\\");
    EXPECT_EQ(vexmold::withTrailingSeparator("dir/"), "dir/");
    EXPECT_EQ(vexmold::withTrailingSeparator(""), "");

    EXPECT_EQ(vexmold::withLeadingSeparator("name"), "\\name");
    EXPECT_EQ(vexmold::withLeadingSeparator("\\name"), "\\name");
    EXPECT_EQ(vexmold::withLeadingSeparator("/name"), "/name");
    EXPECT_EQ(vexmold::withLeadingSeparator(""), "\\");
}

TEST(RuntimePaths, TextEquality) {
    EXPECT_TRUE(vexmold::textEquals("Logo.PNG", "Logo.PNG"));
    EXPECT_FALSE(vexmold::textEquals("Logo.PNG", "logo.png"));
    EXPECT_TRUE(vexmold::textEqualsIgnoreCase("Logo.PNG", "logo.png"));
    EXPECT_TRUE(vexmold::textEqualsIgnoreCase("", ""));
    EXPECT_FALSE(vexmold::textEqualsIgnoreCase("logo.png", "logo.pn"));
    EXPECT_FALSE(vexmold::textEqualsIgnoreCase("logo.png", "logo.pnh"));
    EXPECT_FALSE(vexmold::textEqualsIgnoreCase("a\\b", "a/b"));
    // Bytes above 127 compare without crashing and equal themselves.
    EXPECT_TRUE(vexmold::textEqualsIgnoreCase("\xE9t\xE9", "\xE9T\xE9"));
}

// --- Debug log ---------------------------------------------------------------------

class RuntimeDebugLog : public ::testing::Test {
  protected:
    void SetUp() override {
        path = fs::temp_directory_path() /
               ("runtime_strings_files_test_log_" + std::to_string(::getpid()) + ".txt");
        fs::remove(path);
    }
    void TearDown() override {
        vexmold::setDebugLogPath("");
        std::error_code ignored;
        fs::remove(path, ignored);
    }
    fs::path path;
};

TEST_F(RuntimeDebugLog, AppendsOneLinePerCall) {
    vexmold::setDebugLogPath(path.string());
    EXPECT_EQ(vexmold::debugLogPath(), path.string());
    EXPECT_EQ(vexmold::debugLog("Unable to load: C:\\x.png"), 1);  // the beep's answer here
    EXPECT_EQ(readText(path), "Unable to load: C:\\x.png\n");
    EXPECT_EQ(vexmold::debugLog(""), 1);
    EXPECT_EQ(vexmold::debugLog("100% %s %d"), 1);  // written as text, not as a format
    EXPECT_EQ(readText(path), "Unable to load: C:\\x.png\n\n100% %s %d\n");
}

TEST_F(RuntimeDebugLog, UnopenableFileAnswersZero) {
    const fs::path missing =
        path.parent_path() / ("no-such-folder-" + std::to_string(::getpid())) / "log.txt";
    vexmold::setDebugLogPath(missing.string());
    EXPECT_EQ(vexmold::debugLog("lost"), 0);
    EXPECT_FALSE(fs::exists(missing));
}

TEST_F(RuntimeDebugLog, EmptyPathRestoresTheDefault) {
    vexmold::setDebugLogPath(path.string());
    vexmold::setDebugLogPath("");
#ifdef _WIN32
    EXPECT_EQ(vexmold::debugLogPath(), "\\geep.log.txt");
#else
    EXPECT_EQ(vexmold::debugLogPath(), "/geep.log.txt");
#endif
}

}  // namespace
