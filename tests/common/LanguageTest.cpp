#include "common/Language.h"

#include "FreshThread.h"
#include "common/Utilities.h"

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

    test::TempDir root_;
    test::ScopedEnv system_{"QM6_SYSTEM_LOCALE", "en_US.UTF-8"};
};

// Start-up takes the user's German locale unless the setting names another;
// a setting that is no locale id counts as missing, and a library that does
// not load falls back to the default language, not to the user's.
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
        {"NotStored", Variant(), reg::REG_SZ, "Auftragsoptionen"},
        {"Dword", Variant(int32_t{1033}), reg::REG_DWORD, "Job options"},
        {"UnloadableLocale", Variant(int32_t{1036}), reg::REG_DWORD, "Job options"},
        {"NotANumber", Variant("German"), reg::REG_SZ, "Auftragsoptionen"},
        {"OutOfRange", Variant("99999999999"), reg::REG_SZ, "Auftragsoptionen"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.value.IsEmpty())
            Store("Software\\Quillmeter 6", "LocaleId", c.value, c.type);
        ResetModuleState();
        EXPECT_EQ(LangString(1), c.expected);
    }
}

// Without a library every text is empty; each call searches again while
// nothing is loaded. A failed load keeps the working library and its name.
TEST_F(LanguageStrings, TextsAreFilledAndCutAsLoadedAndAFailedLoadKeepsThem) {
    fs::create_directories(Lang());
    EXPECT_FALSE(LoadLanguage("qm6admcm"));
    EXPECT_EQ(LangString(1), "");
    Install(1033);
    EXPECT_EQ(LangString(Variant("3"), 1.5), "1.5 pages");
    EXPECT_EQ(LangString(999), "");
    // Only the id's low 16 bits count, as for the platform's loader.
    EXPECT_EQ(LangString(65549), "Thirteen");
    // A 512-byte buffer holds 511 bytes of text.
    EXPECT_EQ(LangString(40), std::string(511, 'a'));

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
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatLangString(c.text, c.args), c.expected) << c.text;
}

// Each folder is the first folder or file of its name on the walk up from
// the library's folder.
TEST_F(LanguageStrings, FoldersAreFoundWalkingUp) {
    EXPECT_EQ(FindFolderUpwards(Bin().string(), "qm6-no-such-entry"), "/qm6-no-such-entry");
    fs::create_directories(Bin() / "lang");
    fs::create_directories(Lang());
    fs::create_directories(root_.Path() / "common");
    test::WriteFile(root_.Path() / "app" / "common", "not a folder");
    EXPECT_EQ(GetLangFolder(), (Bin() / "lang").string());
    EXPECT_EQ(GetCommonFolder(), (root_.Path() / "app" / "common").string());
}

} // namespace
} // namespace qm6
