// File names as users have them: spaces and non-ASCII characters in files,
// outputs and folders of pairs, names relative to the working folder (on
// Windows also with backslashes, mixed separators and a drive letter), and
// the help and exit statuses of the command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/noise_signal.h"
#include "tests/tools/nullmeter_command.h"
#include "tests/support/png_image.h"
#include "tests/support/scratch_dir.h"
#include "tools/common/audio_file.h"

namespace {

namespace fs = std::filesystem;
using plux::testing_support::CommandRun;
using plux::testing_support::lastLine;
using plux::testing_support::runNullmeter;

// "Mix ü 混音", "prise é 1.wav", ...: Latin-1, CJK and a space in each.
const std::string kFolderName = "Mix \xc3\xbc \xe6\xb7\xb7\xe9\x9f\xb3";
const std::string kTakeName = "prise \xc3\xa9 1.wav";

void writeNoise(const fs::path& path, unsigned seed, double gain = 1.0) {
    fs::create_directories(path.parent_path());
    std::vector<double> samples = plux::testing_support::whiteNoise(9600, seed, 0.25);
    for (double& s : samples)
        s *= gain;
    std::string error;
    ASSERT_TRUE(plux::audio::writeFile(path, {48000, {samples}}, plux::audio::Encoding::Float32,
                                       plux::audio::Container::Wav, error))
        << error;
}

// A JSON string's text as the report writes it.
std::string jsonText(const std::string& text) {
    std::string escaped;
    for (char c : text)
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return "\"" + escaped + "\"";
}

class NullmeterPaths : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = plux::testing_support::freshDir(
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        folder = dir / fs::u8path(kFolderName);
    }
    fs::path dir, folder;
};

TEST_F(NullmeterPaths, NamesWithSpacesAndNonAsciiAreReadAndWritten) {
    const fs::path a = folder / fs::u8path(kTakeName);
    const fs::path b = folder / fs::u8path("prise \xc3\xa9 2 \xe2\x80\x94 r\xc3\xa9"
                                           "f.wav");
    writeNoise(a, 1);
    writeNoise(b, 1, 0.5);
    const fs::path plot = folder / fs::u8path("courbe \xc3\xb6.png");
    const fs::path residual = folder / fs::u8path("r\xc3\xa9sidu \xe6\xb7\xb7.wav");
    const CommandRun r = runNullmeter({"--json", "--plot", plot.u8string(), "--residual",
                                       residual.u8string(), a.u8string(), b.u8string()},
                                      dir);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.out.find("\"path\": " + jsonText(a.u8string())), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"path\": " + jsonText(b.u8string())), std::string::npos) << r.out;
    EXPECT_EQ(plux::testing_support::readPng(plot).width, 1000);
    plux::audio::Audio written;
    std::string error;
    ASSERT_TRUE(plux::audio::readFile(residual, written, error)) << error;
    EXPECT_EQ(written.frameCount(), 9600u);

    // Named in messages as given: a missing file, a folder that is not there.
    const fs::path missing = folder / fs::u8path("absent \xc3\xa9.wav");
    const CommandRun gone = runNullmeter({a.u8string(), missing.u8string()}, dir);
    EXPECT_EQ(gone.status, 2);
    EXPECT_NE(gone.err.find(missing.u8string() + ": no such file"), std::string::npos) << gone.err;
    const fs::path nowhere = folder / fs::u8path("nulle part \xc3\xa9") / "p.png";
    const CommandRun refused =
        runNullmeter({"--plot", nowhere.u8string(), a.u8string(), b.u8string()}, dir);
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find(nowhere.u8string()), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(nowhere.parent_path()));
}

TEST_F(NullmeterPaths, FoldersPairNonAsciiNamesByRelativePath) {
    const fs::path golden = folder / "golden",
                   renders = folder / fs::u8path("rendu \xc3\xa9t\xc3\xa9");
    const std::string sub = "voix \xe5\xa3\xb0";
    writeNoise(golden / fs::u8path(sub) / fs::u8path(kTakeName), 2);
    writeNoise(renders / fs::u8path(sub) / fs::u8path(kTakeName), 2);
    writeNoise(golden / "plain.wav", 3);
    writeNoise(renders / "plain.wav", 3, 0.9);
    const CommandRun r = runNullmeter({golden.u8string(), renders.u8string()}, dir);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.out.find(sub + "/" + kTakeName + ": PASS: identical"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("plain.wav: FAIL: differs"), std::string::npos) << r.out;
    EXPECT_EQ(lastLine(r.out).rfind("FAIL: 1 of 2 pairs fail", 0), 0u) << r.out;
}

// Relative names are taken from the working folder the tool starts in.
TEST_F(NullmeterPaths, RelativeNamesFromTheWorkingFolder) {
    writeNoise(folder / "a.wav", 4);
    writeNoise(folder / "b.wav", 4);
    const fs::path before = fs::current_path();
    fs::current_path(dir);
    std::vector<std::vector<std::string>> spellings = {
        {kFolderName + "/a.wav", kFolderName + "/b.wav"},
        {"./" + kFolderName + "/a.wav", kFolderName + "/../" + kFolderName + "/b.wav"},
    };
#ifdef _WIN32
    // Backslashes, both separators in one name, and a drive letter.
    const std::string absolute = dir.u8string();
    spellings.push_back({kFolderName + "\\a.wav", ".\\" + kFolderName + "/b.wav"});
    spellings.push_back({absolute + "\\" + kFolderName + "\\a.wav",
                         absolute.substr(0, 2) + kFolderName + "\\b.wav"});
#endif
    for (const auto& names : spellings) {
        const CommandRun r = runNullmeter(names, dir);
        EXPECT_EQ(r.status, 0) << names[0] << " " << names[1] << "\n" << r.err;
        EXPECT_EQ(lastLine(r.out).rfind("PASS: identical", 0), 0u) << r.out;
    }
    fs::current_path(before);
}

TEST(NullmeterCommandLine, HelpOnStdoutAndExitStatuses) {
    const fs::path dir = plux::testing_support::freshDir("help");
    const CommandRun help = runNullmeter("--help", dir);
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: nullmeter [options] A B", 0), 0u) << help.out;
    EXPECT_TRUE(help.err.empty());
#ifdef _WIN32
    EXPECT_NE(help.out.find("--plugin PLUGIN.dll INPUT"), std::string::npos) << help.out;
#else
    EXPECT_NE(help.out.find("--plugin PLUGIN.so INPUT"), std::string::npos) << help.out;
#endif
    EXPECT_EQ(help.out.find('\r'), std::string::npos);  // "\n" line ends on every system
    const CommandRun version = runNullmeter("--version", dir);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("nullmeter (", 0), 0u) << version.out;
    EXPECT_EQ(version.out.find('\n'), version.out.size() - 1) << "one line: " << version.out;
    const CommandRun none = runNullmeter(std::vector<std::string>{}, dir);
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.err.find("Usage: nullmeter"), std::string::npos);
    EXPECT_TRUE(none.out.empty());
    const CommandRun unknown = runNullmeter("--frobnicate a.wav b.wav", dir);
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err.rfind("nullmeter: unknown option --frobnicate", 0), 0u) << unknown.err;
}

}  // namespace
