#include "common/Language.h"

#include "FreshThread.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace qm6 {
namespace {

namespace fs = std::filesystem;
using vb::Variant;

const fs::path kFixtures = QM6_LANG_FIXTURES;

// A product installed in a temporary folder: <root>/app/bin holds the
// library, <root>/app/lang the string libraries.
class LanguageStrings : public test::FreshThread {
protected:
    LanguageStrings() {
        fs::create_directories(Bin());
        StartIn(Bin().string());
    }

    fs::path Bin() const { return root_.Path() / "app" / "bin"; }
    fs::path Lang() const { return root_.Path() / "app" / "lang"; }

    void Install(int lcid) {
        fs::create_directories(Lang() / std::to_string(lcid));
        fs::copy_file(kFixtures / std::to_string(lcid) / "qm6admcmLangRes.dll",
                      Lang() / std::to_string(lcid) / "qm6admcmLangRes.dll",
                      fs::copy_options::overwrite_existing);
    }

    static void SetLocaleId(const Variant& value, int32_t type) {
        Store("Software\\Quillmeter 6", "LocaleId", value, type);
    }

    test::TempDir root_;
    test::ScopedEnv system_{"QM6_SYSTEM_LOCALE", "en_US.UTF-8"};
};

TEST_F(LanguageStrings, StartUpLoadsTheLibraryOfTheUsersLocale) {
    Install(1033);
    Install(1031);
    test::ScopedEnv german("LANG", "de_DE.UTF-8");
    EXPECT_EQ(LangString(1), "Auftragsoptionen");
    // No fall back to another language for a single missing id.
    EXPECT_EQ(LangString(17), "");
}

// The setting wins over the user's German locale; a setting that is no
// locale id counts as missing, and a library that does not load falls back
// to the default language, not to the user's.
TEST_F(LanguageStrings, TheLocaleIdSettingChoosesTheLibrary) {
    Install(1033);
    Install(1031);
    fs::create_directories(Lang() / "1036");
    test::WriteFile(Lang() / "1036" / "qm6admcmLangRes.dll", std::string(4096, 'M'));
    test::ScopedEnv german("LANG", "de_DE.UTF-8");
    struct Case {
        const char* name;
        Variant value;
        int32_t type;
        const char* expected;
    };
    const Case cases[] = {
        {"Dword", Variant(int32_t{1033}), reg::REG_DWORD, "Job options"},
        {"NumberAsText", Variant("1033"), reg::REG_SZ, "Job options"},
        {"UnloadableLocale", Variant(int32_t{1036}), reg::REG_DWORD, "Job options"},
        {"NotANumber", Variant("German"), reg::REG_SZ, "Auftragsoptionen"},
        {"OutOfRange", Variant("99999999999"), reg::REG_SZ, "Auftragsoptionen"},
        {"Binary", Variant(vb::ByteArray{{1, 2}, 0}), reg::REG_BINARY, "Auftragsoptionen"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetLocaleId(c.value, c.type);
        ResetModuleState();
        EXPECT_EQ(LangString(1), c.expected);
    }
}

TEST_F(LanguageStrings, WithoutALibraryEveryTextIsEmptyUntilOneAppears) {
    fs::create_directories(Lang());
    EXPECT_FALSE(LoadLanguage("qm6admcm"));
    EXPECT_EQ(LangString(1), "");

    // Each call searches again while nothing is loaded.
    Install(1033);
    EXPECT_EQ(LangString(1), "Job options");
}

TEST_F(LanguageStrings, AFailedLoadKeepsTheWorkingLibraryAndItsName) {
    Install(1033);
    ASSERT_TRUE(LoadLanguage("qm6admcm"));
    EXPECT_FALSE(LoadLanguage("nosuchmodule"));
    EXPECT_EQ(LangString(1), "Job options");
    // Loaded again by name, it is still the working module that loads.
    FreeLanguage();
    EXPECT_EQ(LangString(1), "Job options");

    // A replacement that loads takes over, name and all.
    fs::copy_file(kFixtures / "1031" / "qm6admcmLangRes.dll", Lang() / "1033" / "otherLangRes.dll");
    EXPECT_TRUE(LoadLanguage("other"));
    EXPECT_EQ(LangString(1), "Auftragsoptionen");
    FreeLanguage();
    EXPECT_EQ(LangString(1), "Auftragsoptionen");
}

TEST_F(LanguageStrings, TextsAreFilledAndCutAsLoaded) {
    Install(1033);
    EXPECT_EQ(LangString(2, "A", "B"), "Limit A of B");
    EXPECT_EQ(LangString(Variant("3"), 1.5), "1.5 pages");
    EXPECT_EQ(LangString(999), "");
    // Only the id's low 16 bits count, as for the platform's loader.
    EXPECT_EQ(LangString(65549), "Thirteen");
    EXPECT_EQ(LangString(-1), "Last id");
    // A 512-byte buffer holds 511 bytes of text.
    EXPECT_EQ(LangString(40), std::string(511, 'a'));
}

TEST_F(LanguageStrings, ADoubleByteCodePageCutsBetweenCharacters) {
    Install(1033);
    Install(1041);
    test::ScopedEnv japanese("LANG", "ja_JP.UTF-8");
    test::ScopedEnv system("QM6_SYSTEM_LOCALE", "ja_JP.UTF-8");
    ResetModuleState();
    EXPECT_EQ(LangString(1), "ジョブオプション");
    // 300 characters of two bytes each in code page 932: 255 fit in 511 bytes.
    std::string expected;
    for (int i = 0; i < 255; ++i)
        expected += "日";
    EXPECT_EQ(LangString(40), expected);
}

TEST(FormatLangString, FillsMarkersInOrderWithoutRefillingInsertedText) {
    struct Case {
        const char* text;
        std::vector<Variant> args;
        const char* expected;
    };
    const Case cases[] = {
        {"Limit %s of %s", {Variant("A"), Variant("B")}, "Limit A of B"},
        {"%S pages", {Variant(int32_t{10})}, "10 pages"},
        {"%s %s", {Variant("ab%s"), Variant("z")}, "ab%s z"},
        // The search goes on after the inserted text, not from the previous
        // start moved on by its length.
        {"Hi %s, %s", {Variant("%s"), Variant("Bob")}, "Hi %s, Bob"},
        {"100%", {Variant("A")}, "100%"},
        {"%s, %s", {Variant(true), Variant(int16_t{-3})}, "True, -3"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatLangString(c.text, c.args), c.expected) << c.text;
}

TEST(LangFolder, TheWalkStopsAtTheFirstFolderOrFileNamedLang) {
    test::TempDir root;
    const fs::path bin = root.Path() / "a" / "b" / "bin";
    fs::create_directories(bin);
    const std::string start = bin.string();

    // Nothing on the way up (below the temporary root) has one.
    const std::string top = FindFolderUpwards(start, "qm6-no-such-entry");
    EXPECT_EQ(top, "/qm6-no-such-entry");

    fs::create_directories(root.Path() / "a" / "lang");
    EXPECT_EQ(FindFolderUpwards(start, "lang"), (root.Path() / "a" / "lang").string());

    // A file named lang ends the walk too.
    test::WriteFile(root.Path() / "a" / "b" / "lang", "not a folder");
    EXPECT_EQ(FindFolderUpwards(start, "lang"), (root.Path() / "a" / "b" / "lang").string());

    // The library's own folder comes first.
    fs::create_directories(bin / "lang");
    EXPECT_EQ(FindFolderUpwards(start, "lang"), (bin / "lang").string());
}

TEST_F(LanguageStrings, TheLangFolderIsComputedOncePerThread) {
    Install(1033);
    const std::string first = GetLangFolder();
    EXPECT_EQ(first, Lang().string());
    fs::create_directories(Bin() / "lang");
    EXPECT_EQ(GetLangFolder(), first);
    ResetModuleState();
    EXPECT_EQ(GetLangFolder(), (Bin() / "lang").string());
}

} // namespace
} // namespace qm6
