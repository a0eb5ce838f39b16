// The qm6 tool run as a process over hives in a temporary folder.

#include "ToolFixture.h"

namespace qm6::tool {
namespace {

// Values of several types are added, listed, exported and imported again;
// each type's data forms have tests of their own.
TEST_F(Qm6Tool, QueryPrintsTheLayoutOfTheWindowsToolAndAnExportImportsAgain) {
    Ok({"reg", "add", kKey, "/v", "a", "/d", "x"});
    Ok({"reg", "add", kKey, "/v", "n", "/t", "REG_DWORD", "/d", "7"});
    Ok({"reg", "add", kKey + "\\B", "/v", "b", "/d", "y"});
    Ok({"reg", "add", kKey + "\\B\\C"});
    Ok({"reg", "add", kKey + "\\D"});
    const std::string t = kKey + "\\T", text = "\"6\" C:\\dir\\ caf\xc3\xa9 \xe2\x82\xac";
    Ok({"reg", "add", t, "/ve", "/d", "default"});
    Ok({"reg", "add", t, "/v", "sz", "/d", text});
    Ok({"reg", "add", t, "/v", "multi", "/t", "REG_MULTI_SZ", "/d", "one\\0two \xc3\xa9"});
    Ok({"reg", "add", t, "/v", "dword", "/t", "REG_DWORD", "/d", "4294967295"});
    Ok({"reg", "add", t, "/v", "binary", "/t", "REG_BINARY", "/d", std::string(200, 'C')});
    // The machine hive's value shows under its root only, not in the user's listing.
    Ok({"reg", "add", "HKLM\\Software\\Qm6Test", "/v", "m", "/d", "1"});

    struct Case {
        std::vector<std::string> args;
        int exit;
        std::string out;
    };
    const std::vector<Case> cases = {
        {{kKey},
         0,
         "\n" + kKey + "\n    a    REG_SZ    x\n    n    REG_DWORD    0x7\n\n" + kKey + "\\B\n" +
             kKey + "\\D\n" + t + "\n"},
        {{kKey, "/s"},
         0,
         "\n" + kKey + "\n    a    REG_SZ    x\n    n    REG_DWORD    0x7\n\n" + kKey +
             "\\B\n    b    REG_SZ    y\n\n" + kKey + "\\B\\C\n\n" + kKey + "\\D\n\n" + t +
             "\n    (Default)    REG_SZ    default\n    sz    REG_SZ    " + text +
             "\n    multi    REG_MULTI_SZ    one\\0two \xc3\xa9\n    dword    REG_DWORD    "
             "0xffffffff\n    binary    REG_BINARY    " +
             std::string(200, 'C') + "\n\n"},
        {{kKey + "\\D"}, 0, "\n"},
        {{kKey, "/ve"}, 0, "\n" + kKey + "\n    (Default)    REG_SZ    (value not set)\n"},
        {{kKey, "/v", "N"}, 0, "\n" + kKey + "\n    N    REG_DWORD    0x7\n\n"},
        {{kKey, "/v", "b", "/s"},
         0,
         "\n" + kKey + "\\B\n    b    REG_SZ    y\n\nEnd of search: 1 match(es) found.\n"},
        {{"HKEY_LOCAL_MACHINE\\Software\\Qm6Test", "/v", "m"},
         0,
         "\nHKEY_LOCAL_MACHINE\\Software\\Qm6Test\n    m    REG_SZ    1\n\n"},
        {{kKey, "/v", "missing"}, 1, ""},
        {{kKey + "\\Missing"}, 1, ""},
        {{kKey, "/v", "a", "/ve"}, 1, ""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"reg", "query"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        SCOPED_TRACE(args.back());
        Outcome run = Qm(args);
        EXPECT_EQ(run.exit, c.exit) << run.err;
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err.empty(), c.exit == 0) << run.err;
    }

    const std::string before = Query();
    const std::string exported = Export();
    EXPECT_EQ(exported.substr(0, 2), "\xFF\xFE");
    UseEmptyHives();
    EXPECT_EQ(Qm({"reg", "query", kKey}).exit, 1);
    Ok({"reg", "import", File("roundtrip.reg", exported).string()});
    EXPECT_EQ(Query(), before);
    EXPECT_EQ(Export(), exported);
}

TEST_F(Qm6Tool, ChangesAndOverwritesThatNeedConfirmationAreRefusedWithoutATerminal) {
    Ok({"reg", "add", kKey + "\\Sub", "/v", "a", "/d", "1"});
    Ok({"reg", "add", kKey, "/v", "b", "/d", "2"});
    const std::string before = Export();
    const fs::path file = File("out.reg", "old");
    const std::vector<std::vector<std::string>> refused = {
        {"reg", "delete", kKey},
        {"reg", "delete", kKey, "/v", "b"},
        {"reg", "delete", kKey, "/va"},
        {"reg", "add", kKey, "/v", "b", "/d", "3"},
        {"reg", "export", kKey, file.string()},
    };
    for (const auto& args : refused) {
        SCOPED_TRACE(args.back());
        ExpectRefused(Qm(args, "yes\n"), "not a terminal");
        EXPECT_EQ(Export(), before);
    }
    EXPECT_EQ(ReadFile(file), "old");
    Ok({"reg", "export", kKey, file.string(), "/y"});
    EXPECT_EQ(ReadFile(file), before);

    Ok({"reg", "delete", kKey, "/v", "b", "/f"});
    Ok({"reg", "delete", kKey + "\\Sub", "/va", "/f"});
    EXPECT_EQ(Query(), "\n" + kKey + "\\Sub\n\n");
    Ok({"reg", "add", kKey, "/ve", "/d", "d"});
    Ok({"reg", "delete", kKey, "/ve", "/f"});
    Ok({"reg", "delete", kKey, "/f"});
    EXPECT_EQ(Qm({"reg", "query", kKey}).exit, 1);

    ExpectRefused(Qm({"reg", "delete", kKey, "/f"}), "unable to find");
    ExpectRefused(Qm({"reg", "delete", "HKCU", "/f"}), "A root key cannot be deleted");
    // An export of a missing key leaves no file behind.
    const fs::path missing = dir_.Path() / "missing.reg";
    ExpectRefused(Qm({"reg", "export", kKey, missing.string()}), "unable to find");
    EXPECT_FALSE(fs::exists(missing));
}

TEST_F(Qm6Tool, AFileThatCannotBeAppliedChangesNothingAndAGoodOneAppliesEveryChange) {
    Ok({"reg", "add", kKey, "/v", "keep", "/d", "old"});
    Ok({"reg", "add", kKey, "/v", "drop", "/t", "REG_DWORD", "/d", "1"});
    Ok({"reg", "add", kKey + "\\Sub\\Deep", "/v", "x", "/t", "REG_BINARY", "/d", "0102"});
    Ok({"reg", "add", kKey + "\\Sub", "/ve", "/d", "sub default"});
    Ok({"sec", kKey + "\\Sub", "D:(A;;KA;;;WD)(A;;KR;;;BU)"});
    const std::string sddlBefore = Qm({"sec", kKey + "\\Sub"}).out;
    const std::string before = Export();

    // Valid changes of every kind come first, so that the failure has
    // something to undo.
    const std::string changes = "Windows Registry Editor Version 5.00\n\n"
                                "[-HKEY_CURRENT_USER\\Software\\Qm6Test\\Sub]\n"
                                "[HKEY_CURRENT_USER\\Software\\Qm6Test]\n"
                                "\"keep\"=\"new\"\n"
                                "\"drop\"=-\n"
                                "\"added\"=hex:01\n"
                                "[HKEY_CURRENT_USER\\Software\\Qm6Test\\Made\\Here]\n"
                                "\"v\"=\"w\"\n";
    struct Case {
        const char* what;
        std::string bytes;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"bad dword on the last line", changes + "\"bad\"=dword:xyz\n", "line 10:"},
        {"registry refuses a value name", changes + "\"" + std::string(16384, 'n') + "\"=\"x\"\n",
         "line 10:"},
        {"registry refuses a key name", changes + "[" + kKey + "\\" + std::string(256, 'k') + "]\n",
         "line 10:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectRefused(Qm({"reg", "import", File("bad.reg", c.bytes).string()}), c.message);
        EXPECT_EQ(Export(), before);
        EXPECT_EQ(Qm({"sec", kKey + "\\Sub"}).out, sddlBefore);
    }
    for (const auto& [file, message] : {std::pair{dir_.Path() / "none.reg", "No such file"},
                                        {dir_.Path(), "Is a directory"},
                                        {File("empty.reg", ""), "line 1: The file is empty"}}) {
        ExpectRefused(Qm({"reg", "import", file.string()}), message);
    }

    // Without the faulty line every change applies.
    Ok({"reg", "import", File("good.reg", changes).string()});
    EXPECT_EQ(Query(), "\n" + kKey +
                           "\n    keep    REG_SZ    new\n    added    REG_BINARY    01\n\n" + kKey +
                           "\\Made\n\n" + kKey + "\\Made\\Here\n    v    REG_SZ    w\n\n");
}

TEST_F(Qm6Tool, SecShowsAndSetsTheDescriptorAsSddlAndBadInputIsRefusedChangingNothing) {
    Ok({"reg", "add", kKey + "\\A"});
    Outcome shown = Qm({"sec", kKey + "\\A"});
    ASSERT_EQ(shown.exit, 0) << shown.err;
    EXPECT_NE(shown.out.find("D:"), std::string::npos) << shown.out;

    Ok({"sec", "HKCU\\Software\\Qm6Test\\A", "D:(A;;KA;;;WD)"});
    EXPECT_NE(Qm({"sec", kKey + "\\A"}).out.find("D:(A;;KA;;;WD)"), std::string::npos);

    auto add = [](std::vector<std::string> rest) {
        rest.insert(rest.begin(), {"reg", "add", kKey + "\\New", "/f"});
        return rest;
    };
    const std::vector<std::pair<std::vector<std::string>, const char*>> refused = {
        {add({"/v", "a", "/t", "REG_TEXT", "/d", "x"}), "Unsupported type"},
        {add({"/v", "a", "/t", "REG_DWORD", "/d", "12x"}), "must be a number"},
        {add({"/v", "a", "/t", "REG_SZ", "/s", ","}), "REG_MULTI_SZ data only"},
        {add({"/v", std::string(16384, 'n'), "/d", "x"}), "parameter is incorrect"},
        {add({"/v"}), "needs a value"},
        {add({"/v", "a", "/ve"}), "cannot be used together"},
        {add({"/q"}), "Unknown option"},
        {{"sec", kKey + "\\A", "D:(Z;;;)"}, "is not a valid security descriptor"},
        {{"sec", kKey + "\\Missing"}, "unable to find the specified registry key"},
        {{"sec", "HKCR\\A"}, "HKEY_CLASSES_ROOT is not available"},
        {{"reg", "add", "HKCR\\A", "/v", "a", "/d", "b", "/f"}, "HKEY_CLASSES_ROOT is not"},
        {{"sec"}, "Name a key"},
        {{}, "Usage: qm6 COMMAND"},
        {{"frob"}, "Unknown command \"frob\""},
        {{"reg", "copy", kKey, kKey}, "Unknown operation \"copy\""},
    };
    for (const auto& [args, message] : refused) {
        SCOPED_TRACE(message);
        ExpectRefused(Qm(args), message);
        EXPECT_EQ(Qm({"reg", "query", kKey + "\\New"}).exit, 1) << "the key was created";
    }
    Outcome help = Qm({"reg", "add", "/?"});
    EXPECT_EQ(help.exit, 0);
    EXPECT_NE(help.out.find("qm6 reg add KEY"), std::string::npos);
}

// qm6 lang answers what the library answers: the user's library, with
// markers filled, through the real start-up.
TEST_F(Qm6Tool, LangPrintsTheTextOfTheStringLibrary) {
    const fs::path bin = dir_.Path() / "app" / "bin";
    fs::create_directories(bin);
    test::ScopedEnv module("QM6_MODULE_DIR", bin.string());
    test::ScopedEnv lang("LANG", "de_DE.UTF-8");
    test::ScopedEnv all("LC_ALL", std::nullopt);

    ExpectRefused(Qm({"lang", "2"}), "No string library");

    for (const char* lcid : {"1033", "1031"}) {
        fs::create_directories(dir_.Path() / "app" / "lang" / lcid);
        fs::copy_file(fs::path(QM6_LANG_FIXTURES) / lcid / "qm6admcmLangRes.dll",
                      dir_.Path() / "app" / "lang" / lcid / "qm6admcmLangRes.dll");
    }
    EXPECT_EQ(Qm({"lang", "2", "3", "5"}), (Outcome{0, "Limit 3 von 5\n", ""}));

    EXPECT_EQ(Qm({"lang", "2", "A"}).out, "Limit A von %s\n"); // a marker left unfilled
    EXPECT_EQ(Qm({"lang", "999"}).out, "\n");
    EXPECT_EQ(Qm({"lang", "two"}).exit, 1);
}

} // namespace
} // namespace qm6::tool
