// Font descriptions: equality, change tracking, the shared descriptions.
#include "gui/toolkit/fontdesc.h"
#include "gui/toolkit/gdiplusglobals.h"

#include <gtest/gtest.h>

#include <string>

namespace VSTGUI {
namespace {

TEST(FontDesc, EqualityComparesNameTextSizeAndStyle) {
    std::string name = "Arial";
    CFontDesc a(name.c_str(), 12, kBoldFace);
    name = "Other";  // the description keeps its own copy
    CFontDesc b("Arial", 12, kBoldFace);
    EXPECT_TRUE(a == b);
    EXPECT_STREQ(a.getName(), "Arial");
    EXPECT_TRUE(a != CFontDesc("Arial", 12.5, kBoldFace));
    EXPECT_TRUE(a != CFontDesc("Arial", 12, kNormalFace));
    EXPECT_TRUE(a != CFontDesc("arial", 12, kBoldFace));
    EXPECT_TRUE(a != CFontDesc(nullptr, 12, kBoldFace));
    // No name differs from an empty name.
    EXPECT_TRUE(CFontDesc(nullptr, 1) != CFontDesc("", 1));
    EXPECT_TRUE(CFontDesc(nullptr, 1) == CFontDesc(nullptr, 1));
    EXPECT_EQ(CFontDesc().getName(), nullptr);
}

TEST(FontDesc, CopyHasItsOwnCountAndValues) {
    CFontDesc original("Symbol", 13, kItalicFace);
    original.remember();
    CFontDesc copy(original);
    EXPECT_EQ(copy.getNbReference(), 1);
    EXPECT_TRUE(copy == original);
    copy.setName("Arial");
    EXPECT_STREQ(original.getName(), "Symbol");
    original.forget();
}

TEST(FontDesc, SettersStoreValues) {
    CFontDesc font("Arial", 12);
    font.setName("Arial");
    font.setSize(12);
    font.setStyle(kNormalFace);
    EXPECT_TRUE(font == CFontDesc("Arial", 12));
    font.setName(nullptr);
    EXPECT_EQ(font.getName(), nullptr);
    font.setName("Courier New");
    font.setSize(9);
    font.setStyle(kUnderlineFace | kBoldFace);
    EXPECT_TRUE(font == CFontDesc("Courier New", 9, kUnderlineFace | kBoldFace));
}

TEST(FontDesc, EightSharedDescriptions) {
    struct Expected {
        CFontDesc* font;
        const char* name;
        double size;
    };
    const Expected shared[] = {
        {kSystemFont, "Arial", 12},         {kNormalFontVeryBig, "Arial", 18},
        {kNormalFontBig, "Arial", 14},      {kNormalFont, "Arial", 12},
        {kNormalFontSmall, "Arial", 11},    {kNormalFontSmaller, "Arial", 10},
        {kNormalFontVerySmall, "Arial", 9}, {kSymbolFont, "Symbol", 13}};
    for (const Expected& expected : shared) {
        ASSERT_NE(expected.font, nullptr);
        EXPECT_STREQ(expected.font->getName(), expected.name);
        EXPECT_EQ(expected.font->getSize(), expected.size);
        EXPECT_EQ(expected.font->getStyle(), kNormalFace);
    }
    EXPECT_NE(kSystemFont, kNormalFont);  // equal, but distinct objects
    EXPECT_TRUE(*kSystemFont == *kNormalFont);
}

TEST(FontDesc, NoPlatformFontWhileTheLibraryIsNotStarted) {
    ASSERT_EQ(GDIPlusGlobals::getUserCount(), 0);
    CFontDesc font("Arial", 12);
    EXPECT_EQ(font.getPlatformFont(), nullptr);
    CFontDesc unnamed(nullptr, 12);
    GDIPlusGlobals::enter();
    EXPECT_EQ(unnamed.getPlatformFont(), nullptr);
    GDIPlusGlobals::exit();
}

}  // namespace
}  // namespace VSTGUI
