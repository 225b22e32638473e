// Sliders: mapping between slider values and normalised host parameters,
// parameter texts, slider access by number and file-list sliders.
#include <gtest/gtest.h>

#include "tests/unit/test_paths.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "runtime/vexmold.h"

namespace {

namespace fs = std::filesystem;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// A script that counts runs of its slider section.
class SliderScript final : public TVexmold {
  public:
    void doSlider() override { ++sliderRuns; }
    int sliderRuns = 0;
};

TVexmoldSlider makeSlider(int32_t valueIndex, double defaultValue, double minimum, double maximum,
                          double step) {
    TVexmoldSlider s;
    s.valueIndex = valueIndex;
    s.defaultValue = defaultValue;
    s.minimum = minimum;
    s.maximum = maximum;
    s.step = step;
    return s;
}

// Window-duration-like slider as parameter 0 (value index 1) and a fine
// 0..1 slider as parameter 1 (value index 2).
class RuntimeSliderParameters : public ::testing::Test {
  protected:
    void SetUp() override {
        TVexmoldSlider window = makeSlider(1, 1.0, 0.1, 10.0, 0.1);
        window.description = "Window Duration (Seconds)";
        window.label = "s";
        script.declareSlider(window);
        script.declareSlider(makeSlider(2, 0.0, 0.0, 1.0, 0.001));
    }
    SliderScript script;
};

TEST_F(RuntimeSliderParameters, DeclarationStoresDefaultAndKeepsOrder) {
    EXPECT_EQ(script.parameterCount(), 2);
    EXPECT_EQ(script.sliderValues[1], 1.0);
    EXPECT_EQ(script.sliderValues[2], 0.0);
    ASSERT_EQ(script.sliders.size(), 2u);
    EXPECT_EQ(script.sliders[0].valueIndex, 1);
    EXPECT_EQ(script.sliders[1].valueIndex, 2);
    EXPECT_TRUE(script.sliders[0].optionNames.empty());
    EXPECT_TRUE(script.sliders[0].optionsLoaded);
    EXPECT_EQ(script.sliderRuns, 0);  // declaring runs no section
}

TEST_F(RuntimeSliderParameters, WindowSliderQuantisesToMultiplesOfTheStep) {
    EXPECT_TRUE(script.setParameter(0, 0.0));
    EXPECT_EQ(script.sliderValues[1], 0.1);
    EXPECT_TRUE(script.setParameter(0, 0.5));
    EXPECT_EQ(script.sliderValues[1], 5.0);
    EXPECT_TRUE(script.setParameter(0, 1.0));
    EXPECT_EQ(script.sliderValues[1], 10.0);
    EXPECT_EQ(script.sliderRuns, 3);
    // The other slider's value stays where it was.
    EXPECT_EQ(script.sliderValues[2], 0.0);
}

TEST_F(RuntimeSliderParameters, FineSliderQuantisesAndDropsAnUnchangedValue) {
    EXPECT_TRUE(script.setParameter(1, 0.12345));
    EXPECT_EQ(script.sliderValues[2], 0.123);
    EXPECT_EQ(script.sliderRuns, 1);

    // The same value again, and a normalised value that lands on it.
    EXPECT_FALSE(script.setParameter(1, 0.123));
    EXPECT_FALSE(script.setParameter(1, 0.12345));
    EXPECT_EQ(script.sliderRuns, 1);
    EXPECT_EQ(script.sliderValues[2], 0.123);

    EXPECT_TRUE(script.setParameter(1, 0.5));
    EXPECT_EQ(script.sliderValues[2], 0.5);
    EXPECT_EQ(script.sliderRuns, 2);
}

TEST_F(RuntimeSliderParameters, NormalisedValuesOutsideTheUnitRangeAreNotClamped) {
    EXPECT_TRUE(script.setParameter(1, 2.0));
    EXPECT_EQ(script.sliderValues[2], 2.0);
    EXPECT_TRUE(script.setParameter(1, -1.0));
    EXPECT_EQ(script.sliderValues[2], -1.0);
    EXPECT_TRUE(script.setParameter(0, 1.5));
    EXPECT_DOUBLE_EQ(script.sliderValues[1], 15.0);
    EXPECT_TRUE(script.setParameter(0, -0.5));
    EXPECT_DOUBLE_EQ(script.sliderValues[1], -4.9);
    EXPECT_EQ(script.sliderRuns, 4);
}

TEST_F(RuntimeSliderParameters, NonFiniteInputAndBadIndicesTouchNothing) {
    script.sliderValues[0] = 42.0;
    for (const double x : {kNaN, kInf, -kInf})
        EXPECT_FALSE(script.setParameter(0, x));
    for (const int32_t index : {-1, 2, 1000})
        EXPECT_FALSE(script.setParameter(index, 0.7));
    EXPECT_EQ(script.sliderRuns, 0);
    EXPECT_EQ(script.sliderValues[0], 42.0);
    EXPECT_EQ(script.sliderValues[1], 1.0);
    EXPECT_EQ(script.sliderValues[2], 0.0);

    EXPECT_EQ(script.getParameter(-1), 0.0);
    EXPECT_EQ(script.getParameter(2), 0.0);

    char text[16];
    for (const int32_t index : {-1, 2}) {
        std::memset(text, 'x', sizeof text);
        script.parameterName(index, text, sizeof text);
        EXPECT_STREQ(text, "");
        std::memset(text, 'x', sizeof text);
        script.parameterLabel(index, text, sizeof text);
        EXPECT_STREQ(text, "");
        std::memset(text, 'x', sizeof text);
        script.parameterDisplay(index, text, sizeof text);
        EXPECT_STREQ(text, "");
    }
}

TEST(RuntimeSliderParameterEdges, ValuesThatMapToNothingFiniteAreIgnored) {
    SliderScript script;
    script.declareSlider(makeSlider(1, 3.0, 0.0, 1.0, 0.0));       // no step
    script.declareSlider(makeSlider(2, 4.0, -1e308, 1e308, 1.0));  // range overflows
    script.declareSlider(makeSlider(3, 5.0, 0.0, 1.0, kNaN));
    for (int32_t index = 0; index < 3; ++index)
        for (const double x : {0.0, 0.5, 1.0})
            EXPECT_FALSE(script.setParameter(index, x)) << index << " " << x;
    EXPECT_EQ(script.sliderRuns, 0);
    EXPECT_EQ(script.sliderValues[1], 3.0);
    EXPECT_EQ(script.sliderValues[2], 4.0);
    EXPECT_EQ(script.sliderValues[3], 5.0);
}

TEST(RuntimeSliderParameterEdges, ChangesWithinTheEqualityToleranceAreDropped) {
    SliderScript script;
    script.declareSlider(makeSlider(1, 0.0, 0.0, 1.0, 0.000001));
    EXPECT_TRUE(script.setParameter(0, 0.5));
    EXPECT_EQ(script.sliderRuns, 1);
    const double stored = script.sliderValues[1];
    EXPECT_NEAR(stored, 0.5, 1e-9);
    // Five steps of 1e-6 are below the tolerance of 1e-5: dropped.
    EXPECT_FALSE(script.setParameter(0, 0.500005));
    EXPECT_EQ(script.sliderValues[1], stored);
    // Twenty steps are above it: stored.
    EXPECT_TRUE(script.setParameter(0, 0.50002));
    EXPECT_NEAR(script.sliderValues[1], 0.50002, 1e-9);
    EXPECT_EQ(script.sliderRuns, 2);
}

TEST(RuntimeSliderParameterEdges, MirrorReceivesEveryStoredValue) {
    SliderScript script;
    double mirror = -7.0;
    TVexmoldSlider s = makeSlider(1, 0.0, 0.0, 1.0, 0.001);
    s.mirror = &mirror;
    script.declareSlider(s);
    EXPECT_EQ(mirror, -7.0);  // declaring does not write the mirror
    EXPECT_TRUE(script.setParameter(0, 0.25));
    EXPECT_EQ(mirror, 0.25);
    EXPECT_EQ(script.sliderValues[1], 0.25);
    mirror = 99.0;
    EXPECT_FALSE(script.setParameter(0, 0.25));  // unchanged: no store at all
    EXPECT_EQ(mirror, 99.0);
}

TEST_F(RuntimeSliderParameters, GetParameterIsTheUnclampedNormalisedPosition) {
    script.sliderValues[1] = 5.05;
    EXPECT_DOUBLE_EQ(script.getParameter(0), 0.5);
    script.sliderValues[1] = 0.1;
    EXPECT_DOUBLE_EQ(script.getParameter(0), 0.0);
    script.sliderValues[1] = 10.0;
    EXPECT_DOUBLE_EQ(script.getParameter(0), 1.0);
    script.sliderValues[1] = 20.0;
    EXPECT_DOUBLE_EQ(script.getParameter(0), 19.9 / 9.9);
    script.sliderValues[1] = -5.0;
    EXPECT_DOUBLE_EQ(script.getParameter(0), -5.1 / 9.9);
    script.sliderValues[2] = 0.75;
    EXPECT_DOUBLE_EQ(script.getParameter(1), 0.75);
}

TEST(RuntimeSliderParameterEdges, EmptyRangeReadsZero) {
    SliderScript script;
    script.declareSlider(makeSlider(1, 3.0, 3.0, 3.0, 1.0));
    EXPECT_EQ(script.getParameter(0), 0.0);
    script.sliderValues[1] = 4.0;  // (4 - 3) / 0 would be infinite
    EXPECT_EQ(script.getParameter(0), 0.0);
}

TEST_F(RuntimeSliderParameters, KeepingValuesInRangeMovesOnlyThoseOutside) {
    script.declareSlider(makeSlider(3, 2.0, 4.0, -4.0, 1.0));  // bounds given the wrong way
    script.declareSlider(makeSlider(200, 0.0, 0.0, 1.0, 1.0));  // no value of its own
    const std::vector<std::vector<double>> cases = {
        // window, fine, reversed, undeclared  ->  the same four afterwards
        {-5.0, 1e30, -7.0, -7.0, 0.1, 1.0, -4.0, -7.0},
        {kNaN, -kInf, kInf, kNaN, 0.1, 0.0, 4.0, kNaN},
        {2.55, 0.1234, 3.5, 1e30, 2.55, 0.1234, 3.5, 1e30},
        {0.1, 1.0, -4.0, 0.0, 0.1, 1.0, -4.0, 0.0},
    };
    for (const std::vector<double>& c : cases) {
        for (size_t i = 0; i < 4; ++i)
            script.sliderValues[i + 1] = c[i];
        script.keepSliderValuesInRange();
        for (size_t i = 0; i < 4; ++i) {
            if (std::isnan(c[i + 4]))
                EXPECT_TRUE(std::isnan(script.sliderValues[i + 1])) << i;
            else
                EXPECT_EQ(script.sliderValues[i + 1], c[i + 4]) << i << " from " << c[i];
        }
        for (int32_t index = 0; index < 3; ++index) {
            EXPECT_GE(script.getParameter(index), 0.0) << index;
            EXPECT_LE(script.getParameter(index), 1.0) << index;
        }
    }
    EXPECT_EQ(script.sliderRuns, 0);  // no section runs
}

TEST_F(RuntimeSliderParameters, EveryStepSurvivesAFloatRoundTripThroughTheHost) {
    // The host keeps normalised values as 32-bit floats; giving back what
    // getParameter answered must not move the slider.
    for (int k = 1; k <= 100; ++k) {
        script.setParameter(0, (k - 1) / 99.0);
        const double value = script.sliderValues[1];
        EXPECT_NEAR(value, k * 0.1, 1e-9) << k;
        const int runs = script.sliderRuns;
        EXPECT_FALSE(script.setParameter(0, static_cast<float>(script.getParameter(0)))) << k;
        EXPECT_EQ(script.sliderRuns, runs);
        EXPECT_EQ(script.sliderValues[1], value);
    }
}

TEST_F(RuntimeSliderParameters, DisplayWritesTwoDecimalsWithoutOptions) {
    char text[32];
    script.sliderValues[1] = 1.0;
    script.parameterDisplay(0, text, sizeof text);
    EXPECT_STREQ(text, "1.00");
    script.sliderValues[1] = 10.0;
    script.parameterDisplay(0, text, sizeof text);
    EXPECT_STREQ(text, "10.00");
    script.sliderValues[1] = -3.456;
    script.parameterDisplay(0, text, sizeof text);
    EXPECT_STREQ(text, "-3.46");
    script.sliderValues[2] = 0.123;
    script.parameterDisplay(1, text, sizeof text);
    EXPECT_STREQ(text, "0.12");

    script.parameterName(0, text, sizeof text);
    EXPECT_STREQ(text, "Window Duration (Seconds)");
    script.parameterLabel(0, text, sizeof text);
    EXPECT_STREQ(text, "s");
    script.parameterLabel(1, text, sizeof text);
    EXPECT_STREQ(text, "");
}

class RuntimeSliderOptions : public ::testing::Test {
  protected:
    void SetUp() override {
        TVexmoldSlider s = makeSlider(5, 0.0, 0.0, 2.0, 1.0);
        s.optionNames = {"a", "b", "c"};
        script.declareSlider(s);
    }
    std::string display(double value) {
        script.sliderValues[5] = value;
        char text[32];
        std::memset(text, 'x', sizeof text);
        script.parameterDisplay(0, text, sizeof text);
        return text;
    }
    SliderScript script;
};

TEST_F(RuntimeSliderOptions, ValueSelectsOptionByTruncationAndClampsAtTheEnds) {
    EXPECT_EQ(display(0.0), "a");
    EXPECT_EQ(display(1.0), "b");
    EXPECT_EQ(display(1.5), "b");
    EXPECT_EQ(display(1.9), "b");  // truncated toward zero
    EXPECT_EQ(display(2.0), "c");
    EXPECT_EQ(display(-1.0), "a");
    EXPECT_EQ(display(-0.5), "a");
    EXPECT_EQ(display(5.0), "c");
    // A position that is NaN or beyond the int32 range counts as negative.
    EXPECT_EQ(display(kNaN), "a");
    EXPECT_EQ(display(1e10), "a");
    EXPECT_EQ(display(-1e10), "a");
}

TEST_F(RuntimeSliderOptions, OptionsDoNotChangeTheValueMapping) {
    EXPECT_TRUE(script.setParameter(0, 1.0));
    EXPECT_EQ(script.sliderValues[5], 2.0);
    EXPECT_EQ(script.getParameter(0), 1.0);
}

TEST(RuntimeSliderTexts, TextsAreCutToTheBufferSize) {
    SliderScript script;
    TVexmoldSlider s = makeSlider(1, 12345.678, 0.0, 100000.0, 0.001);
    s.description = "A rather long parameter name";
    s.label = "seconds";
    script.declareSlider(s);
    TVexmoldSlider options = makeSlider(2, 0.0, 0.0, 1.0, 1.0);
    options.optionNames = {"abcdefghijkl", "x"};
    script.declareSlider(options);

    char text[16];
    const auto checkCanaries = [&text](size_t from) {
        for (size_t i = from; i < sizeof text; ++i)
            EXPECT_EQ(text[i], '#') << "byte " << i << " written";
    };

    std::memset(text, '#', sizeof text);
    script.parameterDisplay(0, text, 8);  // "12345.68" needs 9 bytes
    EXPECT_STREQ(text, "12345.6");
    checkCanaries(8);

    std::memset(text, '#', sizeof text);
    script.parameterName(0, text, 6);
    EXPECT_STREQ(text, "A rat");
    checkCanaries(6);

    std::memset(text, '#', sizeof text);
    script.parameterLabel(0, text, 4);
    EXPECT_STREQ(text, "sec");
    checkCanaries(4);

    std::memset(text, '#', sizeof text);
    script.parameterDisplay(1, text, 5);
    EXPECT_STREQ(text, "abcd");
    checkCanaries(5);

    // A text that fits exactly, terminator included.
    std::memset(text, '#', sizeof text);
    script.parameterLabel(0, text, 8);
    EXPECT_STREQ(text, "seconds");
    checkCanaries(8);

    // Size 1 leaves only the terminator; size 0 writes nothing.
    std::memset(text, '#', sizeof text);
    script.parameterName(0, text, 1);
    EXPECT_EQ(text[0], '\0');
    checkCanaries(1);
    std::memset(text, '#', sizeof text);
    script.parameterName(0, text, 0);
    script.parameterDisplay(0, text, 0);
    script.parameterDisplay(1, text, 0);
    checkCanaries(0);

    // A null buffer is ignored.
    script.parameterName(0, nullptr, 8);
    script.parameterDisplay(0, nullptr, 8);
    script.parameterDisplay(1, nullptr, 8);
}

TEST(RuntimeSliderAccessByNumber, NumbersWrapModulo128) {
    SliderScript script;
    for (int i = 0; i < 128; ++i)
        script.sliderValues[static_cast<size_t>(i)] = 1000.0 + i;
    EXPECT_EQ(script.slider(1.0), 1001.0);
    EXPECT_EQ(script.slider(129.0), 1001.0);
    EXPECT_EQ(script.slider(1.99995), 1002.0);
    EXPECT_EQ(script.slider(1.9998), 1001.0);
    EXPECT_EQ(script.slider(-1.0), 1127.0);
    EXPECT_EQ(script.slider(-0.99995), 1127.0);
    EXPECT_EQ(script.slider(-128.0), 1000.0);
    EXPECT_EQ(script.slider(-129.0), 1127.0);
    EXPECT_EQ(script.slider(128.0), 1000.0);
    EXPECT_EQ(script.slider(255.0), 1127.0);

    // Reading and writing share the place.
    script.slider(129.0) = -5.0;
    EXPECT_EQ(script.sliderValues[1], -5.0);
    script.slider(-1.0) = 77.0;
    EXPECT_EQ(script.sliderValues[127], 77.0);
}

// --- File-list sliders -----------------------------------------------------

std::string executableFolder() {
    const std::string folder = testExecutableFolder();
    return folder.substr(0, folder.size() - 1);
}

// A folder next to the test executable (the plug-in folder of the native
// build), removed again at the end.
class RuntimeFileListSlider : public ::testing::Test {
  protected:
    void SetUp() override {
        name = "runtime_sliders_test_data_" + std::to_string(::getpid());
        folder = fs::path(executableFolder()) / name;
        fs::remove_all(folder);
        fs::create_directory(folder);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    void touch(const std::string& file) { std::ofstream(folder / file) << "data"; }
    static std::vector<std::string> sorted(std::vector<std::string> v) {
        std::sort(v.begin(), v.end());
        return v;
    }
    const TVexmoldSlider& declare(const std::string& directory, double defaultValue = 7.0) {
        TVexmoldSlider s = makeSlider(3, defaultValue, 10.0, 20.0, 2.0);
        s.directory = directory;
        script.declareSlider(s);
        return script.sliders.back();
    }

    SliderScript script;
    std::string name;
    fs::path folder;
};

TEST_F(RuntimeFileListSlider, ListsPlainFilesAndSkipsDotEntriesAndFolders) {
    touch("one.txt");
    touch("two.dat");
    touch(".hidden");
    fs::create_directory(folder / "subfolder");
    fs::create_directory(folder / ".dotfolder");

    const TVexmoldSlider& s = declare("/" + name + "/");
    EXPECT_TRUE(s.optionsLoaded);
    EXPECT_EQ(sorted(s.optionNames), (std::vector<std::string>{"one.txt", "two.dat"}));
    EXPECT_EQ(s.minimum, 0.0);
    EXPECT_EQ(s.maximum, 1.0);
    EXPECT_EQ(s.step, 0.5);
    EXPECT_EQ(s.defaultValue, 0.0);
    // The value stored at declaration stays.
    EXPECT_EQ(script.sliderValues[3], 7.0);
}

TEST_F(RuntimeFileListSlider, FolderWithoutTrailingSeparatorStillFindsItsFiles) {
    // Entry names are joined to the folder with a separator.
    touch("alpha.bin");
    touch("beta.bin");
    touch("gamma.bin");
    const TVexmoldSlider& s = declare(name);
    EXPECT_EQ(sorted(s.optionNames),
              (std::vector<std::string>{"alpha.bin", "beta.bin", "gamma.bin"}));
    EXPECT_EQ(s.maximum, 2.0);
    EXPECT_EQ(s.step, 0.5);
}

TEST_F(RuntimeFileListSlider, LeadingBackslashOrSlashIsDropped) {
    touch("only.txt");
    SliderScript second;
    const TVexmoldSlider& withBackslash = declare("\\" + name + "/");
    EXPECT_EQ(withBackslash.optionNames, (std::vector<std::string>{"only.txt"}));
    TVexmoldSlider s = makeSlider(3, 0.0, 0.0, 1.0, 1.0);
    s.directory = name + "/";
    second.declareSlider(s);
    EXPECT_EQ(second.sliders.back().optionNames, (std::vector<std::string>{"only.txt"}));
    EXPECT_EQ(withBackslash.maximum, 0.0);
}

TEST_F(RuntimeFileListSlider, EmptyOrMissingFolderOffersNoDataFiles) {
    fs::create_directory(folder / "onlyfolders");
    for (const std::string& directory :
         {name + "/", name + "/does-not-exist/", "/" + name + "/onlyfolders/"}) {
        SliderScript fresh;
        TVexmoldSlider s = makeSlider(4, 3.0, 1.0, 9.0, 1.0);
        s.directory = directory;
        fresh.declareSlider(s);
        const TVexmoldSlider& r = fresh.sliders.back();
        EXPECT_EQ(r.optionNames, (std::vector<std::string>{"(No Data Files)"})) << directory;
        EXPECT_EQ(r.minimum, 0.0);
        EXPECT_EQ(r.maximum, 0.0);
        EXPECT_EQ(r.step, 0.5);
        EXPECT_EQ(r.defaultValue, 0.0);
        EXPECT_EQ(fresh.sliderValues[4], 3.0);
        char text[32];
        fresh.parameterDisplay(0, text, sizeof text);
        EXPECT_STREQ(text, "(No Data Files)");
        // The empty range reads as position 0.
        EXPECT_EQ(fresh.getParameter(0), 0.0);
    }
}

TEST_F(RuntimeFileListSlider, OptionsAreBuiltOnlyOnce) {
    touch("file.txt");
    TVexmoldSlider s = makeSlider(3, 0.0, 0.0, 5.0, 1.0);
    s.directory = name + "/";
    s.optionsLoaded = true;  // already built: the folder is not read again
    s.optionNames = {"kept"};
    script.declareSlider(s);
    const TVexmoldSlider& r = script.sliders.back();
    EXPECT_EQ(r.optionNames, (std::vector<std::string>{"kept"}));
    EXPECT_EQ(r.maximum, 5.0);
    EXPECT_EQ(r.step, 1.0);
}

TEST_F(RuntimeFileListSlider, HostSeesOneOptionPerHalfStep) {
    touch("a.txt");
    touch("b.txt");
    const TVexmoldSlider& s = declare(name + "/", 0.0);
    const std::vector<std::string> names = s.optionNames;
    ASSERT_EQ(names.size(), 2u);
    char text[32];
    EXPECT_TRUE(script.setParameter(0, 1.0));
    EXPECT_EQ(script.sliderValues[3], 1.0);
    script.parameterDisplay(0, text, sizeof text);
    EXPECT_EQ(std::string(text), names[1]);
    EXPECT_TRUE(script.setParameter(0, 0.5));  // step 0.5: value 0.5, still option 0
    EXPECT_EQ(script.sliderValues[3], 0.5);
    script.parameterDisplay(0, text, sizeof text);
    EXPECT_EQ(std::string(text), names[0]);
}

}  // namespace
