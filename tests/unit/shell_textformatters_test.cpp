// The number-to-text helpers of the effect base class. Every expected text
// below is worked out by hand from the documented rules:
// - int2string: "Huge!" above 99999999 in magnitude, otherwise an optional
//   "-" and the digits without leading zeros;
// - float2string: sign, integer digits and '.' count against a budget of 8
//   characters; the rest of the budget is filled with the digits of
//   fraction x 10^remaining (an integer), written from the right, '0' where
//   nothing is left.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "shell/audioeffectx.h"

namespace {

class ShellTextFormatters : public ::testing::Test {
  protected:
    std::string intText(VstInt32 value, VstInt32 maxLen = 31) {
        fill();
        effect.int2string(value, text, maxLen);
        return terminatedText();
    }
    std::string floatText(float value, VstInt32 maxLen = 31) {
        fill();
        effect.float2string(value, text, maxLen);
        return terminatedText();
    }
    void fill() {
        std::memset(text, '#', sizeof text);
        text[sizeof text - 1] = '\0';
    }
    // The text up to its terminator; checks that one came within 32 bytes.
    std::string terminatedText() {
        const void* end = std::memchr(text, '\0', sizeof text);
        EXPECT_NE(end, nullptr);
        return std::string(text);
    }

    AudioEffectX effect{nullptr, 1, 0};
    char text[64];
};

TEST_F(ShellTextFormatters, Int2StringDigitsAndSign) {
    EXPECT_EQ(intText(0), "0");
    EXPECT_EQ(intText(7), "7");
    EXPECT_EQ(intText(42), "42");
    EXPECT_EQ(intText(-7), "-7");
    EXPECT_EQ(intText(100), "100");
    EXPECT_EQ(intText(1000001), "1000001");
    EXPECT_EQ(intText(99999999), "99999999");
    EXPECT_EQ(intText(-99999999), "-99999999");
}

TEST_F(ShellTextFormatters, Int2StringHugeAboveEightNines) {
    EXPECT_EQ(intText(100000000), "Huge!");
    EXPECT_EQ(intText(-100000000), "Huge!");
    EXPECT_EQ(intText(std::numeric_limits<VstInt32>::max()), "Huge!");
    EXPECT_EQ(intText(std::numeric_limits<VstInt32>::min()), "Huge!");
}

TEST_F(ShellTextFormatters, Int2StringIsCutToMaxLen) {
    EXPECT_EQ(intText(123456, 3), "123");
    EXPECT_EQ(intText(-42, 2), "-4");
    EXPECT_EQ(intText(100000000, 2), "Hu");
    EXPECT_EQ(intText(5, 0), "");
    // Nothing is written beyond maxLen + 1 bytes.
    fill();
    effect.int2string(987654, text, 4);
    EXPECT_STREQ(text, "9876");
    EXPECT_EQ(text[5], '#');
}

TEST_F(ShellTextFormatters, Float2StringFillsTheEightCharacterBudget) {
    EXPECT_EQ(floatText(0.0f), "0.000000");
    EXPECT_EQ(floatText(1.5f), "1.500000");
    EXPECT_EQ(floatText(-1.5f), "-1.50000");
    EXPECT_EQ(floatText(0.25f), "0.250000");
    EXPECT_EQ(floatText(-0.5f), "-0.50000");
    EXPECT_EQ(floatText(100.0f), "100.0000");
    EXPECT_EQ(floatText(-20.0f), "-20.0000");
    // 12345.678f is 12345.677734375: two places left, 67.77 -> 67.
    EXPECT_EQ(floatText(12345.678f), "12345.67");
    EXPECT_EQ(floatText(-12345.678f), "-12345.6");
    EXPECT_EQ(floatText(123456.5f), "123456.5");
    // 3.14159f is 3.14159011841: 141590.118 -> 141590.
    EXPECT_EQ(floatText(3.14159f), "3.141590");
}

TEST_F(ShellTextFormatters, Float2StringKeepsLeadingZerosOfTheFraction) {
    // 0.001f is 0.00100000005: 1000.00005 -> digits 1000 from the right.
    EXPECT_EQ(floatText(0.001f), "0.001000");
    // 0.0625 exactly: 62500 -> "062500".
    EXPECT_EQ(floatText(1.0625f), "1.062500");
    EXPECT_EQ(floatText(-2.0625f), "-2.06250");
}

TEST_F(ShellTextFormatters, Float2StringWithoutRoomForFractionDigits) {
    EXPECT_EQ(floatText(1234567.0f), "1234567.");
    EXPECT_EQ(floatText(1234567.5f), "1234567.");
    EXPECT_EQ(floatText(12345678.0f), "12345678.");
    EXPECT_EQ(floatText(-9999999.0f), "-9999999.");
}

TEST_F(ShellTextFormatters, Float2StringLeavesTextUnchangedOutOfRange) {
    // Negative values above 9999999 in magnitude, positive values above
    // 99999999 and non-finite values.
    const float outOfRange[] = {-10000000.0f,
                                -1e20f,
                                200000000.0f,
                                1e30f,
                                std::numeric_limits<float>::infinity(),
                                -std::numeric_limits<float>::infinity(),
                                std::numeric_limits<float>::quiet_NaN()};
    for (float value : outOfRange) {
        SCOPED_TRACE(value);
        std::strcpy(text, "keep");
        effect.float2string(value, text, 31);
        EXPECT_STREQ(text, "keep");
    }
    std::strcpy(text, "keep");
    effect.float2string(50000000.0f, text, 31);
    EXPECT_STREQ(text, "50000000.");
}

TEST_F(ShellTextFormatters, Float2StringHundredMillionIsOutOfRange) {
    // 100000000 is above 99999999, so the text stays as it was. (The float
    // nearest to 99999999 is 100000000, so a bound written as a float
    // literal lets this value through.)
    std::strcpy(text, "keep");
    effect.float2string(100000000.0f, text, 31);
    EXPECT_STREQ(text, "keep");
    // The largest float below 100000000 is in range.
    std::strcpy(text, "keep");
    effect.float2string(99999992.0f, text, 31);
    EXPECT_STREQ(text, "99999992.");
}

TEST_F(ShellTextFormatters, Float2StringIsCutToMaxLen) {
    EXPECT_EQ(floatText(1.5f, 4), "1.50");
    EXPECT_EQ(floatText(1.5f, 2), "1.");
    EXPECT_EQ(floatText(-1.5f, 1), "-");
    EXPECT_EQ(floatText(12345678.0f, 8), "12345678");
    EXPECT_EQ(floatText(1.5f, 0), "");
    fill();
    effect.float2string(3.25f, text, 5);
    EXPECT_STREQ(text, "3.250");
    EXPECT_EQ(text[6], '#');
}

TEST_F(ShellTextFormatters, DecibelText) {
    fill();
    effect.dB2string(0.0f, text, 31);
    EXPECT_STREQ(text, "-oo");
    effect.dB2string(-1.0f, text, 31);
    EXPECT_STREQ(text, "-oo");
    effect.dB2string(1.0f, text, 31);
    EXPECT_STREQ(text, "0.000000");
    effect.dB2string(10.0f, text, 31);  // 20 dB
    EXPECT_STREQ(text, "20.00000");
    effect.dB2string(100.0f, text, 31);  // 40 dB
    EXPECT_STREQ(text, "40.00000");
    effect.dB2string(0.0f, text, 2);
    EXPECT_STREQ(text, "-o");
}

TEST_F(ShellTextFormatters, HertzAndMillisecondsFromSamplesAtTheStoredRate) {
    // Default rate 44100.
    effect.Hz2string(441.0f, text, 31);
    EXPECT_STREQ(text, "100.0000");
    effect.Hz2string(44100.0f, text, 31);
    EXPECT_STREQ(text, "1.000000");
    effect.Hz2string(0.0f, text, 31);
    EXPECT_STREQ(text, "0.000000");
    effect.ms2string(441.0f, text, 31);
    EXPECT_STREQ(text, "10.00000");
    effect.ms2string(22050.0f, text, 31);
    EXPECT_STREQ(text, "500.0000");
    effect.ms2string(0.0f, text, 31);
    EXPECT_STREQ(text, "0.000000");

    effect.setSampleRate(48000.0f);
    effect.Hz2string(480.0f, text, 31);
    EXPECT_STREQ(text, "100.0000");
    effect.ms2string(48.0f, text, 31);
    EXPECT_STREQ(text, "1.000000");
    effect.Hz2string(0.0f, text, 31);
    EXPECT_STREQ(text, "0.000000");
}

}  // namespace
