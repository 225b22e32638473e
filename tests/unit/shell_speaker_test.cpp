// Speaker-arrangement utilities of the extended effect base class. A record
// for n speakers has room for exactly n entries, which may be more than the
// eight the record type declares; run under the address sanitizer these tests
// also show reads and writes beyond the allocation, leaks and double frees.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/audioeffectx.h"

namespace {

// Speaker i of a record, reached through a pointer so that records longer
// than the declared eight entries can be addressed.
VstSpeakerProperties& speakerAt(VstSpeakerArrangement* arrangement, int i) {
    VstSpeakerProperties* first = arrangement->speakers;
    return first[i];
}

void fillSpeaker(VstSpeakerProperties& s, int i) {
    s.azimuth = 0.5f * static_cast<float>(i);
    s.elevation = -0.25f * static_cast<float>(i);
    s.radius = 1.0f + static_cast<float>(i);
    s.reserved = 7.0f;
    const std::string name = "speaker " + std::to_string(i);
    std::memset(s.name, 0, sizeof s.name);
    std::memcpy(s.name, name.data(), name.size());
    s.type = 100 + i;
    for (size_t k = 0; k < sizeof s.future; ++k)
        s.future[k] = static_cast<char>(i + static_cast<int>(k));
}

void expectSpeakerLike(const VstSpeakerProperties& s, int i) {
    EXPECT_EQ(s.azimuth, 0.5f * static_cast<float>(i));
    EXPECT_EQ(s.elevation, -0.25f * static_cast<float>(i));
    EXPECT_EQ(s.radius, 1.0f + static_cast<float>(i));
    EXPECT_EQ(s.reserved, 7.0f);
    EXPECT_STREQ(s.name, ("speaker " + std::to_string(i)).c_str());
    EXPECT_EQ(s.type, 100 + i);
    for (size_t k = 0; k < sizeof s.future; ++k)
        EXPECT_EQ(s.future[k], static_cast<char>(i + static_cast<int>(k))) << "future " << k;
}

bool allBytesZero(const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i)
        if (bytes[i] != 0)
            return false;
    return true;
}

class ShellSpeaker : public ::testing::Test {
  protected:
    AudioEffectX effect{nullptr, 1, 0};
};

TEST_F(ShellSpeaker, AllocateGivesAZeroedRecordWithItsCount) {
    VstSpeakerArrangement* arrangement = nullptr;
    ASSERT_TRUE(effect.allocateArrangement(&arrangement, 12));
    ASSERT_NE(arrangement, nullptr);
    EXPECT_EQ(arrangement->numChannels, 12);
    EXPECT_EQ(arrangement->type, 0);
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(allBytesZero(&speakerAt(arrangement, i), sizeof(VstSpeakerProperties)));
        fillSpeaker(speakerAt(arrangement, i), i);  // every entry is writable
    }
    EXPECT_TRUE(effect.deallocateArrangement(&arrangement));
    EXPECT_EQ(arrangement, nullptr);
}

TEST_F(ShellSpeaker, AllocateReleasesThePreviousRecord) {
    VstSpeakerArrangement* arrangement = nullptr;
    ASSERT_TRUE(effect.allocateArrangement(&arrangement, 2));
    arrangement->type = 5;
    fillSpeaker(speakerAt(arrangement, 1), 1);
    // A leak of the first record shows under the leak checker.
    ASSERT_TRUE(effect.allocateArrangement(&arrangement, 3));
    EXPECT_EQ(arrangement->numChannels, 3);
    EXPECT_EQ(arrangement->type, 0);
    EXPECT_TRUE(allBytesZero(&speakerAt(arrangement, 1), sizeof(VstSpeakerProperties)));
    ASSERT_TRUE(effect.allocateArrangement(&arrangement, 0));
    EXPECT_EQ(arrangement->numChannels, 0);
    EXPECT_TRUE(effect.deallocateArrangement(&arrangement));
}

TEST_F(ShellSpeaker, BadArgumentsAreRefused) {
    EXPECT_FALSE(effect.allocateArrangement(nullptr, 2));
    VstSpeakerArrangement* arrangement = nullptr;
    EXPECT_FALSE(effect.allocateArrangement(&arrangement, -1));
    EXPECT_EQ(arrangement, nullptr);
    EXPECT_FALSE(effect.deallocateArrangement(nullptr));
    // Releasing an empty pointer is harmless.
    EXPECT_TRUE(effect.deallocateArrangement(&arrangement));
    EXPECT_EQ(arrangement, nullptr);
}

TEST_F(ShellSpeaker, CopySpeakerCopiesEveryField) {
    VstSpeakerProperties from{};
    VstSpeakerProperties to{};
    fillSpeaker(from, 3);
    std::memset(to.name, 'z', sizeof to.name);
    ASSERT_TRUE(effect.copySpeaker(&to, &from));
    expectSpeakerLike(to, 3);
}

TEST_F(ShellSpeaker, CopySpeakerCutsNamesToSixtyThreeCharacters) {
    VstSpeakerProperties from{};
    VstSpeakerProperties to{};
    std::memset(from.name, 'A', sizeof from.name);  // 64 letters, no terminator
    std::memset(to.name, 'z', sizeof to.name);
    ASSERT_TRUE(effect.copySpeaker(&to, &from));
    EXPECT_EQ(std::string(to.name), std::string(63, 'A'));
    EXPECT_EQ(to.name[63], '\0');

    // A name of exactly 63 characters arrives whole.
    std::memset(from.name, 'B', 63);
    from.name[63] = '\0';
    ASSERT_TRUE(effect.copySpeaker(&to, &from));
    EXPECT_EQ(std::string(to.name), std::string(63, 'B'));
}

TEST_F(ShellSpeaker, CopySpeakerRefusesNull) {
    VstSpeakerProperties s{};
    EXPECT_FALSE(effect.copySpeaker(nullptr, &s));
    EXPECT_FALSE(effect.copySpeaker(&s, nullptr));
}

void matchCase(AudioEffectX& effect, int channels) {
    SCOPED_TRACE(channels);
    VstSpeakerArrangement* source = nullptr;
    ASSERT_TRUE(effect.allocateArrangement(&source, channels));
    source->type = 42 + channels;
    for (int i = 0; i < channels; ++i)
        fillSpeaker(speakerAt(source, i), i);

    // The target held something else before; it is replaced.
    VstSpeakerArrangement* target = nullptr;
    ASSERT_TRUE(effect.allocateArrangement(&target, 1));
    target->type = -1;
    ASSERT_TRUE(effect.matchArrangement(&target, source));
    ASSERT_NE(target, nullptr);
    EXPECT_NE(target, source);
    EXPECT_EQ(target->type, 42 + channels);
    EXPECT_EQ(target->numChannels, channels);
    for (int i = 0; i < channels; ++i) {
        SCOPED_TRACE(i);
        expectSpeakerLike(speakerAt(target, i), i);
    }

    // The source is left as it was.
    EXPECT_EQ(source->numChannels, channels);
    expectSpeakerLike(speakerAt(source, channels - 1), channels - 1);

    effect.deallocateArrangement(&target);
    effect.deallocateArrangement(&source);
}

TEST_F(ShellSpeaker, MatchCopiesTypeAndEverySpeaker) {
    matchCase(effect, 2);
    matchCase(effect, 12);  // more than the declared eight
}

TEST_F(ShellSpeaker, MatchIntoAnEmptyTarget) {
    VstSpeakerArrangement* source = nullptr;
    ASSERT_TRUE(effect.allocateArrangement(&source, 9));
    source->type = 3;
    fillSpeaker(speakerAt(source, 8), 8);
    VstSpeakerArrangement* target = nullptr;
    ASSERT_TRUE(effect.matchArrangement(&target, source));
    EXPECT_EQ(target->numChannels, 9);
    EXPECT_EQ(target->type, 3);
    expectSpeakerLike(speakerAt(target, 8), 8);
    effect.deallocateArrangement(&target);
    effect.deallocateArrangement(&source);
}

TEST_F(ShellSpeaker, MatchWithoutSourceFailsAndKeepsTheTarget) {
    VstSpeakerArrangement* target = nullptr;
    ASSERT_TRUE(effect.allocateArrangement(&target, 2));
    VstSpeakerArrangement* const before = target;
    EXPECT_FALSE(effect.matchArrangement(&target, nullptr));
    EXPECT_EQ(target, before);
    EXPECT_FALSE(effect.matchArrangement(nullptr, target));
    effect.deallocateArrangement(&target);
}

TEST_F(ShellSpeaker, MatchWithItselfKeepsTheRecord) {
    VstSpeakerArrangement* arrangement = nullptr;
    ASSERT_TRUE(effect.allocateArrangement(&arrangement, 10));
    arrangement->type = 8;
    fillSpeaker(speakerAt(arrangement, 9), 9);
    // Releasing the target first would free the source.
    ASSERT_TRUE(effect.matchArrangement(&arrangement, arrangement));
    ASSERT_NE(arrangement, nullptr);
    EXPECT_EQ(arrangement->numChannels, 10);
    EXPECT_EQ(arrangement->type, 8);
    expectSpeakerLike(speakerAt(arrangement, 9), 9);
    effect.deallocateArrangement(&arrangement);
}

}  // namespace
