// Folders of renders: files paired by relative path, a file on one side
// only, the JUnit XML a CI server reads, the JSON of the whole run, and the
// same results whether pairs run one at a time or in parallel.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/support/noise_signal.h"
#include "tests/tools/nullmeter_command.h"
#include "tests/support/scratch_dir.h"
#include "tools/common/audio_file.h"
#include "tools/nullmeter/folder_pairs.h"
#include "tools/nullmeter/junit_report.h"

namespace {

namespace fs = std::filesystem;
using plux::testing_support::freshDir;
using plux::testing_support::lastLine;
using plux::testing_support::runNullmeter;

void writeAudio(const fs::path& path, const std::vector<double>& samples) {
    fs::create_directories(path.parent_path());
    plux::audio::Audio audio;
    audio.sampleRate = 48000;
    audio.channels = {samples};
    std::string error;
    ASSERT_TRUE(plux::audio::writeFile(path, audio, plux::audio::Encoding::Float32,
                                       plux::audio::Container::Wav, error))
        << error;
}

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

TEST(NullmeterFolders, FilesPairByRelativePathAndOneSidedOnesAreMarked) {
    const fs::path dir = freshDir("folders_pairing");
    const std::vector<double> tone = plux::testing_support::whiteNoise(4800, 1, 0.25);
    writeAudio(dir / "a" / "mix.wav", tone);
    writeAudio(dir / "b" / "mix.wav", tone);
    writeAudio(dir / "a" / "stems" / "Bass.WAV", tone);
    writeAudio(dir / "b" / "stems" / "Bass.WAV", tone);
    writeAudio(dir / "a" / "only-a.flac", tone);
    writeAudio(dir / "b" / "deep" / "er" / "only-b.wav", tone);
    std::ofstream(dir / "a" / "notes.txt") << "not audio";
    std::ofstream(dir / "b" / "mix.wav.bak") << "not audio either";

    std::vector<nullmeter::FilePair> pairs;
    std::string error;
    ASSERT_TRUE(nullmeter::pairFolders(dir / "a", dir / "b", pairs, error)) << error;
    ASSERT_EQ(pairs.size(), 4u);
    EXPECT_EQ(pairs[0].relative, "deep/er/only-b.wav");
    EXPECT_FALSE(pairs[0].inA);
    EXPECT_TRUE(pairs[0].inB);
    EXPECT_EQ(pairs[0].a, dir / "a" / "deep" / "er" / "only-b.wav");  // where it was looked for
    EXPECT_EQ(pairs[1].relative, "mix.wav");
    EXPECT_TRUE(pairs[1].inA && pairs[1].inB);
    EXPECT_EQ(pairs[2].relative, "only-a.flac");
    EXPECT_TRUE(pairs[2].inA && !pairs[2].inB);
    EXPECT_EQ(pairs[3].relative, "stems/Bass.WAV");

    EXPECT_FALSE(nullmeter::pairFolders(dir / "no-such", dir / "b", pairs, error));
    EXPECT_NE(error.find("no-such"), std::string::npos);
}

TEST(NullmeterFolders, JunitXmlCountsAndEscapes) {
    const std::string xml = nullmeter::junitXml(
        "nullmeter", {{"a & b/<one>.wav", false, "PASS: identical", 0.5, "report\nline 2"},
                      {"two \"quoted\".wav", true, "FAIL: differs < 1 bit", 0.25, ""},
                      {"three.wav", true, "FAIL: missing in B (x\x01y)", 0, ""}});
    EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
    EXPECT_NE(xml.find("<testsuite name=\"nullmeter\" tests=\"3\" failures=\"2\""),
              std::string::npos);
    EXPECT_EQ(count(xml, "<testcase "), 3u);
    EXPECT_EQ(count(xml, "</testcase>"), 3u);
    EXPECT_EQ(count(xml, "<failure "), 2u);
    EXPECT_NE(xml.find("name=\"a &amp; b/&lt;one&gt;.wav\""), std::string::npos);
    EXPECT_NE(xml.find("name=\"two &quot;quoted&quot;.wav\""), std::string::npos);
    EXPECT_NE(xml.find("message=\"FAIL: differs &lt; 1 bit\""), std::string::npos);
    EXPECT_NE(xml.find("<system-out>report\nline 2</system-out>"), std::string::npos);
    EXPECT_EQ(xml.find('\x01'), std::string::npos);  // not allowed in XML 1.0
    EXPECT_NE(xml.find("time=\"0.750\""), std::string::npos);
}

class NullmeterFolderCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = freshDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        const std::vector<double> base = plux::testing_support::whiteNoise(24000, 7, 0.25);
        std::vector<double> quieter = base;
        for (double& v : quieter)
            v *= 0.9;
        for (int i = 0; i < 6; ++i) {
            const std::string name = "take" + std::to_string(i) + ".wav";
            writeAudio(dir / "golden" / "set" / name, base);
            writeAudio(dir / "renders" / "set" / name, i == 3 ? quieter : base);
        }
        writeAudio(dir / "golden" / "gone.wav", base);
    }
    std::string folders() const {
        return (dir / "golden").string() + " " + (dir / "renders").string();
    }
    fs::path dir;
};

TEST_F(NullmeterFolderCommand, OneLinePerPairATotalAndOneExitStatus) {
    const auto run = runNullmeter(folders() + " --junit " + (dir / "ci.xml").string(), dir);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.out.find("gone.wav: FAIL: missing in B"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("set/take0.wav: PASS: identical"), std::string::npos);
    EXPECT_NE(run.out.find("set/take3.wav: FAIL: differs"), std::string::npos);
    EXPECT_EQ(lastLine(run.out), "FAIL: 2 of 7 pairs fail (1 missing on one side)");
    const std::string xml = plux::testing_support::slurp(dir / "ci.xml");
    EXPECT_EQ(count(xml, "<testcase "), 7u);
    EXPECT_EQ(count(xml, "<failure "), 2u);
    EXPECT_NE(xml.find("<testcase name=\"set/take3.wav\""), std::string::npos);

    // Without the one-sided file and the quieter take, everything passes.
    fs::remove(dir / "golden" / "gone.wav");
    const auto tolerant = runNullmeter(folders() + " --db -10", dir);
    EXPECT_EQ(tolerant.status, 0) << tolerant.out;
    EXPECT_EQ(lastLine(tolerant.out), "PASS: all 6 pairs pass");
}

TEST_F(NullmeterFolderCommand, JsonListsEveryPairAndParallelRunsMatchSerialOnes) {
    const auto serial = runNullmeter("--json --jobs 1 " + folders(), dir);
    const auto parallel = runNullmeter("--json --jobs 4 " + folders(), dir);
    EXPECT_EQ(serial.status, 1);
    EXPECT_EQ(parallel.status, 1);
    EXPECT_EQ(serial.out, parallel.out);
    EXPECT_EQ(count(serial.out, "\"pair\": "), 7u);
    EXPECT_NE(serial.out.find("\"pair\": \"set/take3.wav\""), std::string::npos);
    EXPECT_NE(serial.out.find("\"missing\": \"b\""), std::string::npos);
    const std::size_t summary = serial.out.rfind("\"summary\": {");
    ASSERT_NE(summary, std::string::npos);
    const std::string tail = serial.out.substr(summary);
    EXPECT_NE(tail.find("\"pairs\": 7"), std::string::npos) << tail;
    EXPECT_NE(tail.find("\"passed\": 5"), std::string::npos);
    EXPECT_NE(tail.find("\"failed\": 2"), std::string::npos);
    EXPECT_NE(tail.find("\"missing\": 1"), std::string::npos);
}

TEST_F(NullmeterFolderCommand, MistakesStopBeforeAnyComparison) {
    const auto plot = runNullmeter(folders() + " --plot " + (dir / "p.png").string(), dir);
    EXPECT_EQ(plot.status, 2);
    EXPECT_NE(plot.err.find("--plot is for one comparison"), std::string::npos);
    fs::create_directories(dir / "empty1");
    fs::create_directories(dir / "empty2");
    const auto empty =
        runNullmeter((dir / "empty1").string() + " " + (dir / "empty2").string(), dir);
    EXPECT_EQ(empty.status, 2);
    EXPECT_NE(empty.err.find("no audio files"), std::string::npos);
    const auto junitOnFiles = runNullmeter((dir / "golden/set/take0.wav").string() + " " +
                                               (dir / "renders/set/take0.wav").string() +
                                               " --junit " + (dir / "x.xml").string(),
                                           dir);
    EXPECT_EQ(junitOnFiles.status, 2);
    EXPECT_FALSE(fs::exists(dir / "x.xml"));
    const auto junitIsFolder = runNullmeter(folders() + " --junit " + dir.string(), dir);
    EXPECT_EQ(junitIsFolder.status, 2);
    EXPECT_EQ(runNullmeter(folders() + " --jobs 0", dir).status, 2);
}

}  // namespace
