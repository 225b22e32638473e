// Runs `vsthost editor` as a child process on the editor fixture and reads
// back the PNG it writes: size, the fixture's colours, and what they say
// about the audio and the idles the host gave the open editor. Needs an X
// display under Wine (the test run provides one) to read window pixels.
// Usage: tools_vsthost_editor_test [gtest flags] --vsthost=EXE --editor-plugin=DLL
//        --gain-plugin=DLL --workdir=DIR
#include "tests/tools/child_run_expect_win32.h"
#include "tools/common/audio_file.h"

#include <gtest/gtest.h>

#include "tests/support/path_option.h"
#include "tests/support/gdiplus_environment_win32.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

namespace {

namespace fs = std::filesystem;
namespace gdip = Gdiplus::DllExports;
using plux::testing_support::ChildResult;
using plux::testing_support::contains;

struct Paths {
    fs::path vsthost, editorPlugin, gainPlugin, workdir;
} paths;

// The fixture's colours, as 0xRRGGBB.
constexpr std::uint32_t kRed = 0xC82814;
constexpr std::uint32_t kGreen = 0x14B43C;
constexpr std::uint32_t kGrey = 0x5A5A5A;

std::string work(const std::string& name) {
    return (paths.workdir / fs::u8path(name)).u8string();
}

ChildResult vsthost(const std::vector<std::string>& args) {
    return plux::testing_support::runChildExpectingStart(paths.vsthost, args, paths.workdir);
}

// A decoded PNG: its size and its pixels as 0xRRGGBB.
struct Picture {
    UINT width = 0, height = 0;
    std::vector<std::uint32_t> rgb;
    std::uint32_t at(UINT x, UINT y) const { return rgb[y * width + x]; }
};

bool isPngFile(const std::string& path) {
    std::ifstream in(fs::u8path(path), std::ios::binary);
    char signature[8] = {};
    in.read(signature, sizeof signature);
    return in && std::string(signature, 8) == "\x89PNG\r\n\x1a\n";
}

Picture decode(const std::string& path) {
    Picture p;
    Gdiplus::GpBitmap* bitmap = nullptr;
    const std::wstring wide = fs::u8path(path).wstring();
    if (gdip::GdipCreateBitmapFromFile(wide.c_str(), &bitmap) != Gdiplus::Ok) {
        ADD_FAILURE() << "GDI+ cannot decode " << path;
        return p;
    }
    gdip::GdipGetImageWidth(bitmap, &p.width);
    gdip::GdipGetImageHeight(bitmap, &p.height);
    for (UINT y = 0; y < p.height; ++y) {
        for (UINT x = 0; x < p.width; ++x) {
            Gdiplus::ARGB argb = 0;
            gdip::GdipBitmapGetPixel(bitmap, static_cast<INT>(x), static_cast<INT>(y), &argb);
            p.rgb.push_back(argb & 0xFFFFFFu);
        }
    }
    gdip::GdipDisposeImage(bitmap);
    return p;
}

// Every pixel of the columns [left, right) has `colour`.
void expectColumns(const Picture& p, UINT left, UINT right, std::uint32_t colour) {
    for (UINT y = 0; y < p.height; ++y) {
        for (UINT x = left; x < right; ++x)
            ASSERT_EQ(p.at(x, y), colour) << "pixel " << x << ", " << y << std::hex;
    }
}

TEST(VsthostEditorTool, ShowsTheEditorWhileAudioPlays) {
    const std::string shot = work("sine.png");
    const ChildResult r = vsthost({"editor", paths.editorPlugin.u8string(), "--generate",
                                   "sine:1000:0.5", "--seconds", "0.3", "--out", shot});
    ASSERT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_TRUE(contains(r.out, "editor: 64 x 48\n")) << r.out;
    EXPECT_TRUE(contains(r.out, "saved 64 x 48 pixels to " + shot)) << r.out;
    ASSERT_TRUE(isPngFile(shot));
    const Picture p = decode(shot);
    ASSERT_EQ(p.width, 64u);
    ASSERT_EQ(p.height, 48u);
    expectColumns(p, 0, 32, kRed);
    expectColumns(p, 32, 64, kGreen);
}

TEST(VsthostEditorTool, SilenceAndALoopedFile) {
    const std::string quiet = work("silence.png");
    ChildResult r =
        vsthost({"editor", paths.editorPlugin.u8string(), "--seconds", "0.2", "--out", quiet});
    ASSERT_EQ(r.exitCode, 0u) << r.err;
    Picture p = decode(quiet);
    ASSERT_EQ(p.width, 64u);
    expectColumns(p, 32, 64, kGrey);

    // Ten frames at 0.5, looped for a fifth of a second.
    plux::audio::Audio click;
    click.sampleRate = 44100;
    click.channels = {std::vector<double>(10, 0.5)};
    const std::string in = work("click.wav");
    std::string error;
    ASSERT_TRUE(plux::audio::writeFile(fs::u8path(in), click, plux::audio::Encoding::Pcm16,
                                       plux::audio::Container::Wav, error))
        << error;
    const std::string loud = work("looped.png");
    r = vsthost({"editor", paths.editorPlugin.u8string(), "--in", in, "--seconds", "0.2", "--block",
                 "64", "--out", loud});
    ASSERT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_TRUE(contains(r.out, "at 44100 Hz in blocks of 64")) << r.out;
    p = decode(loud);
    ASSERT_EQ(p.width, 64u);
    expectColumns(p, 32, 64, kGreen);
}

TEST(VsthostEditorTool, FailuresExitWithOne) {
    const std::string shot = work("none.png");
    ChildResult r = vsthost({"editor", paths.gainPlugin.u8string(), "--out", shot});
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_EQ(r.err, "vsthost: error: the plug-in has no editor (effFlagsHasEditor is not set)\n");
    EXPECT_FALSE(fs::exists(fs::u8path(shot)));

    const std::string nowhere = work("no such folder/shot.png");
    // A folder that does not exist is refused before the plug-in is loaded.
    r = vsthost({"editor", paths.editorPlugin.u8string(), "--seconds", "0.05", "--out", nowhere});
    EXPECT_EQ(r.exitCode, 2u);
    EXPECT_TRUE(contains(r.err, "vsthost: error: --out " + nowhere + ": cannot write")) << r.err;

    r = vsthost({"editor", paths.editorPlugin.u8string(), "--out", shot, "--seconds", "61"});
    EXPECT_EQ(r.exitCode, 2u);
    EXPECT_TRUE(contains(r.err, "--seconds")) << r.err;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        const std::string arg = fs::path(argv[i]).u8string();
        if (!plux::testing_support::takePathOption(arg, "vsthost", paths.vsthost) &&
            !plux::testing_support::takePathOption(arg, "editor-plugin", paths.editorPlugin) &&
            !plux::testing_support::takePathOption(arg, "gain-plugin", paths.gainPlugin) &&
            !plux::testing_support::takePathOption(arg, "workdir", paths.workdir)) {
            std::fprintf(stderr, "unknown argument: %s\n", arg.c_str());
            return 2;
        }
    }
    if (paths.vsthost.empty() || paths.editorPlugin.empty() || paths.gainPlugin.empty() ||
        paths.workdir.empty()) {
        std::fprintf(stderr, "usage: tools_vsthost_editor_test [gtest flags] --vsthost=EXE "
                             "--editor-plugin=DLL --gain-plugin=DLL --workdir=DIR\n");
        return 2;
    }
    std::error_code ec;
    fs::create_directories(paths.workdir, ec);
    if (ec) {
        std::fprintf(stderr, "cannot create %s\n", paths.workdir.u8string().c_str());
        return 2;
    }
    ::testing::AddGlobalTestEnvironment(new plux::testing_support::GdiplusEnvironment);
    return RUN_ALL_TESTS();
}
