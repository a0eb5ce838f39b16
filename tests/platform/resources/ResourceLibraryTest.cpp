// Loading resource DLLs built by windres and ld, and finding their
// resources, in both image formats.

#include "platform/resources/ResourceLibrary.h"

#include "Fixtures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace qm6::res {
namespace {

using test::AsText;
using test::FixtureSource;
using test::LibraryTest;
using test::ReadBytes;

TEST_P(LibraryTest, StringsAcrossBlocks) {
    struct Case {
        const char* library;
        std::uint32_t id;
        std::u16string text;
        LanguageDefaults languages = {};
    };
    const Case cases[] = {
        {"strings_1033", 15, u"%S pages"},      // last of block 1
        {"strings_1033", 16, u"Custom fields"}, // first of block 2
        {"strings_1033", 65535, u"Last id"},    // the last id of the last block
        {"strings_1033", 0, u""},               // absent from a block that exists
        {"strings_1033", 32, u""},              // block 3 does not exist
        {"strings_1033", 65536, u""},           // beyond 16 bits; must not wrap to id 0
        {"strings_1041", 101, u"半角ｶﾀｶﾅと全角"},
        // Each block takes its own language (US English by default): block 1
        // exists in en-US and de-DE, block 2 in de-DE only.
        {"branding", 1, u"Brand name"},
        {"branding", 16, u"Nur auf Deutsch"},
        {"branding", 1, u"Markenname", {0x0407, 0x0407}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::u16string(Open(c.library, c.languages).String(c.id)), c.text)
            << c.library << " id " << c.id << " user " << c.languages.user;
}

TEST_P(LibraryTest, ChoosesLanguageInTheLoadersOrder) {
    // CHOICE n holds the name of its language.
    struct Case {
        std::uint16_t name;
        LanguageDefaults defaults;
        const char* text;
        LangId language;
    };
    const Case cases[] = {
        {1, {0x0411, 0x0411}, "neutral", 0x0000}, // neutral before the user's language
        {2, {0x0411, 0x0409}, "ja-JP", 0x0411},   // the user's language
        {2, {0x0407, 0x0411}, "de-DE", 0x0407},   // the user's language before the system's
        {3, {0x0807, 0x0409}, "de", 0x0007},      // user's primary language, neutral sublanguage
        {3, {0x0411, 0x0C07}, "de", 0x0007},      // system's primary language before US English
        {4, {0x0411, 0x0407}, "de-DE", 0x0407},   // the system's language
        {4, {0x0411, 0x0411}, "en-US", 0x0409},   // US English before the first entry
        {2, {0x040C, 0x040C}, "de-DE", 0x0407},   // nothing matches: the first entry
        {5, {0x0409, 0x0409}, "ja-JP", 0x0411},   // the only language
    };
    for (const auto& c : cases) {
        const auto library = Open("branding", c.defaults);
        const auto found = library.Find("CHOICE", c.name);
        ASSERT_TRUE(found) << "CHOICE " << c.name;
        EXPECT_EQ(AsText(found->data), c.text)
            << "CHOICE " << c.name << " user " << c.defaults.user;
        EXPECT_EQ(found->language, c.language) << "CHOICE " << c.name;
    }
}

TEST_P(LibraryTest, FindsByTypeNameAndLanguage) {
    const auto library = Open("branding");
    EXPECT_EQ(library.LanguagesOf("CHOICE", 1), (std::vector<LangId>{0x0000, 0x0409, 0x0411}));
    EXPECT_EQ(AsText(library.FindExact("CHOICE", 1, 0x0411)->data), "ja-JP");
    EXPECT_EQ(AsText(library.FindExact("CHOICE", 1, 0x0409)->data), "en-US");
    EXPECT_FALSE(library.FindExact("CHOICE", 2, 0x0409));
    EXPECT_FALSE(library.FindExact("CHOICE", 3, 0x0407)); // no step towards 0x0007
    EXPECT_TRUE(library.LanguagesOf("CHOICE", 9).empty());
    EXPECT_EQ(library.Types().size(), 6u);
    EXPECT_EQ(library.Names("choice").size(), 5u);

    // Types and names compare without regard to case.
    const auto header = ReadBytes(FixtureSource("header.bin"));
    struct Case {
        ResourceId type;
        ResourceId name;
        bool found;
    };
    const Case cases[] = {
        {"adminhead", 1000, true},    {"ADMINHEAD", "#1000", true}, // "#n" is the number n
        {"ADMINHEAD", "1000", false},                               // a name, not the number
        {"ADMINHEAD", 1001, false},   {"ADMINHEA", 1000, false},
        {"ADMINHEADS", 1000, false},  {RT_RCDATA, 1000, false},
    };
    for (const auto& c : cases) {
        const auto found = library.Find(c.type, c.name);
        ASSERT_EQ(found.has_value(), c.found) << c.type.ToString() << " " << c.name.ToString();
        if (found) {
            EXPECT_EQ(AsText(found->data), AsText(header));
            EXPECT_EQ(found->language, 0x0409);
        }
    }
}

TEST_P(LibraryTest, ResourcesOutliveTheBytesAndTheFirstCopy) {
    std::optional<Resource> found;
    std::optional<ResourceLibrary> copy;
    {
        auto loaded = ResourceLibrary::FromBytes(Image("branding"));
        ASSERT_TRUE(loaded);
        copy = *loaded.library;
        found = loaded.library->Find("ADMINHEAD", 1000);
    }
    ASSERT_TRUE(found);
    EXPECT_EQ(AsText(found->data), AsText(ReadBytes(FixtureSource("header.bin"))));
    EXPECT_EQ(copy->String(1), u"Brand name");
}

INSTANTIATE_TEST_SUITE_P(BothFormats, LibraryTest, ::testing::Values("x86_64", "i686"),
                         [](const auto& format) { return format.param; });

TEST(ResourceLibraryLoadTest, AnswersWin32ErrorCodes) {
    qm6::test::TempDir dir;
    qm6::test::WriteFile(dir.Path() / "text.dll", "MZ this is not a library");
    std::filesystem::create_directory(dir.Path() / "folder.dll");
    struct Case {
        std::filesystem::path path;
        long error;
    };
    const Case cases[] = {
        {dir.Path() / "missing.dll", ERROR_FILE_NOT_FOUND},
        {dir.Path() / "folder.dll", ERROR_ACCESS_DENIED},
        {dir.Path() / "text.dll", ERROR_BAD_EXE_FORMAT},
        {"/dev/null", ERROR_BAD_EXE_FORMAT}, // not read: it could block
    };
    for (const auto& c : cases) {
        const auto loaded = ResourceLibrary::Load(c.path);
        EXPECT_FALSE(loaded) << c.path;
        EXPECT_EQ(loaded.error, c.error) << c.path;
    }
}

} // namespace
} // namespace qm6::res
