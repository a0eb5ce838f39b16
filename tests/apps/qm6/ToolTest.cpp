// The qm6 tool run as a process over hives in a temporary folder: the reg
// and sec commands, on large keys, on a machine hive other users may only
// read, with imports stopped part-way, and lang; and the questions of the reg
// commands answered through the console's input, in this process.

#include "Console.h"
#include "ToolProcess.h"
#include "platform/registry/Registry.h"
#include "support/TestSupport.h"

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace qm6::tool {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;
using testing::ExpectRefused;
using testing::Outcome;

inline const std::string kKey = "HKEY_CURRENT_USER\\Software\\Qm6Test";
inline const std::string kOk = "The operation completed successfully.\n";

// Every test works on hives of its own; standard input is a file, never a
// terminal.
class Qm6Tool : public ::testing::Test {
protected:
    Qm6Tool()
        : hives_(dir_.Path() / "hives"), env_(std::in_place, "QM6_REGISTRY_DIR", hives_.string()) {
        fs::create_directories(hives_);
    }

    Outcome Qm(const std::vector<std::string>& args, const std::string& input = "") {
        return testing::RunTool(dir_.Path(), args, input);
    }

    // Runs a command that must succeed with the usual message.
    void Ok(const std::vector<std::string>& args) { ASSERT_EQ(Qm(args), (Outcome{0, kOk, ""})); }

    std::string Query(const std::string& key = kKey) {
        Outcome run = Qm({"reg", "query", key, "/s"});
        EXPECT_EQ(run.exit, 0) << run.err;
        return run.out;
    }

    // The bytes of an export of the key ("" when it does not exist).
    std::string Export(const std::string& key = kKey) {
        fs::path file = dir_.Path() / "export.reg";
        fs::remove(file);
        Outcome run = Qm({"reg", "export", key, file.string(), "/y"});
        return run.exit == 0 ? ReadFile(file) : std::string();
    }

    fs::path File(const std::string& name, const std::string& bytes) {
        fs::path path = dir_.Path() / name;
        WriteFile(path, bytes);
        return path;
    }

    // Points the tool at a fresh, empty pair of hives.
    void UseEmptyHives() {
        hives_ = dir_.Path() / ("hives" + std::to_string(++hiveCount_));
        fs::create_directories(hives_);
        env_.emplace("QM6_REGISTRY_DIR", hives_.string());
    }

    test::TempDir dir_;
    fs::path hives_;
    std::optional<test::ScopedEnv> env_;
    int hiveCount_ = 0;
};

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
    EXPECT_EQ(Qm({"lang", "two"}).exit, 1);
}

constexpr int kValues = 10000;

std::string ValueName(int i) {
    return "Value " + std::to_string(i);
}
std::string Data(int i) {
    return "data " + std::to_string(i) + std::string(32, 'x');
}

// A file that changes a value, deletes one and adds kValues more, so that
// an import of it runs for a while.
std::string LongImport() {
    std::string text = "Windows Registry Editor Version 5.00\n\n[" + kKey +
                       "]\n\"keep\"=\"changed\"\n\"drop\"=-\n\n[" + kKey + "\\Added]\n";
    for (int i = 0; i < kValues; ++i)
        text += "\"" + ValueName(i) + "\"=\"" + Data(i) + "\"\n";
    return text;
}

bool WaitFor(const fs::path& file, pid_t pid) {
    for (int i = 0; i < 20000; ++i) {
        if (fs::exists(file))
            return true;
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

TEST_F(Qm6Tool, AKeyOfTenThousandValuesIsListedExportedAndImportedWhole) {
    Ok({"reg", "import", File("large.reg", LongImport()).string()});
    const std::string key = kKey + "\\Added";
    std::string expected = "\n" + key + "\n";
    for (int i = 0; i < kValues; ++i)
        expected += "    " + ValueName(i) + "    REG_SZ    " + Data(i) + "\n";
    const Outcome listed = Qm({"reg", "query", key});
    EXPECT_EQ(listed, (Outcome{0, expected + "\n", ""}));

    // Every value is written out and read in again, the last as well as the first.
    const std::string exported = Export(key);
    UseEmptyHives();
    Ok({"reg", "import", File("large.reg", exported).string()});
    EXPECT_EQ(Qm({"reg", "query", key}), listed);
    EXPECT_EQ(Export(key), exported);
    Ok({"reg", "delete", key, "/va", "/f"});
    EXPECT_EQ(Qm({"reg", "query", key}).out, "\n");
}

TEST_F(Qm6Tool, AnImportStoppedPartWayLeavesTheRegistryAsItWas) {
    Ok({"reg", "add", kKey, "/v", "keep", "/d", "old"});
    Ok({"reg", "add", kKey, "/v", "drop", "/d", "1"});
    const fs::path file = File("long.reg", LongImport());
    const fs::path journal = hives_ / "HKCU.db-journal";

    int round = 0;
    // The signal, and the delay in milliseconds after the import's first write.
    for (const auto& [sent, delayMs] : std::vector<std::pair<int, int>>{
             {SIGKILL, 0}, {SIGKILL, 100}, {SIGINT, 0}, {SIGINT, 100}, {SIGTERM, 50}}) {
        SCOPED_TRACE(std::to_string(sent) + " after " + std::to_string(delayMs) + " ms");
        // A killed writer may leave its journal behind, unused (its header
        // is written when the hive file is about to change); the next write
        // takes it away.
        Ok({"reg", "add", kKey, "/v", "round", "/d", std::to_string(++round), "/f"});
        ASSERT_FALSE(fs::exists(journal));
        const std::string before = Export();

        pid_t pid = testing::StartTool(dir_.Path(), {"reg", "import", file.string()});
        ASSERT_TRUE(WaitFor(journal, pid)) << "the import made no change";
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        kill(pid, sent);
        int signal = 0;
        Outcome run = testing::WaitTool(dir_.Path(), pid, &signal);
        if (sent == SIGKILL) {
            EXPECT_EQ(signal, SIGKILL);
        } else {
            // Asked to stop, it says so and ends with nothing imported.
            EXPECT_EQ(
                run, (Outcome{1, "", "ERROR: The import was cancelled.\nNothing was imported.\n"}));
        }
        EXPECT_EQ(Export(), before);
    }
    Ok({"reg", "import", file.string()});
    EXPECT_EQ(Qm({"reg", "query", kKey, "/v", "keep"}).out,
              "\n" + kKey + "\n    keep    REG_SZ    changed\n\n");
    EXPECT_EQ(Qm({"reg", "query", kKey + "\\Added", "/v", ValueName(kValues - 1)}).exit, 0);
}

TEST_F(Qm6Tool, AnOrdinaryUserReadsAMachineHiveOnlyAdministratorsMayWrite) {
    if (geteuid() != 0)
        GTEST_SKIP() << "makes root's files and runs the tool as another user";
    constexpr uid_t kNobody = 65534;
    // The folders are root's, readable by all; the tool's output goes where
    // the other user may write.
    for (const fs::path& folder : {dir_.Path(), hives_})
        ASSERT_EQ(chmod(folder.c_str(), 0755), 0);
    const fs::path out = dir_.Path() / "out";
    fs::create_directories(out);
    ASSERT_EQ(chmod(out.c_str(), 0777), 0);
    const std::string machine = "HKLM\\Software\\Qm6Test";
    Ok({"reg", "add", machine, "/v", "m", "/d", "machine"});
    const fs::path hive = hives_ / "HKLM.db";
    const std::string before = ReadFile(hive);
    const fs::path import = File("machine.reg", "REGEDIT4\n\n[" + machine + "]\n\"m\"=\"user\"\n");
    ASSERT_EQ(chmod(import.c_str(), 0644), 0);

    auto asNobody = [&](const std::vector<std::string>& args) {
        return testing::WaitTool(out, testing::StartTool(out, args, kNobody));
    };
    EXPECT_EQ(asNobody({"reg", "query", machine}),
              (Outcome{0, "\nHKEY_LOCAL_MACHINE\\Software\\Qm6Test\n    m    REG_SZ    machine\n\n",
                       ""}));

    const std::vector<std::vector<std::string>> writes = {
        {"reg", "add", machine, "/v", "m", "/d", "user", "/f"},
        {"reg", "add", machine + "\\New"},
        {"reg", "delete", machine, "/v", "m", "/f"},
        {"reg", "delete", machine, "/f"},
        {"reg", "import", import.string()},
        {"sec", machine, "D:NO_ACCESS_CONTROL"},
    };
    for (const auto& args : writes) {
        SCOPED_TRACE(args[1] + " " + args[2]);
        ExpectRefused(asNobody(args), "Access is denied. (hive file " + hive.string() + ")");
    }
    EXPECT_EQ(ReadFile(hive), before);
    EXPECT_FALSE(fs::exists(hives_ / "HKLM.db-journal"));
}

class Questions : public ::testing::Test {
protected:
    Questions() : env_("QM6_REGISTRY_DIR", dir_.Str()) { reg::CloseThreadConnections(); }
    ~Questions() override { reg::CloseThreadConnections(); }

    // Runs the tool's dispatcher in this process with `input` typed at a
    // terminal.
    int Ask(std::vector<std::string> args, const std::string& input) {
        out_.str("");
        err_.str("");
        std::istringstream in(input);
        Console console{out_, err_, in, true};
        return Dispatch(args, console);
    }

    test::TempDir dir_;
    test::ScopedEnv env_;
    std::ostringstream out_;
    std::ostringstream err_;
};

TEST_F(Questions, AskUntilAnsweredAndHonourTheAnswer) {
    const std::string key = "HKCU\\Software\\Q";
    ASSERT_EQ(Ask({"reg", "add", key, "/v", "a", "/d", "1"}, ""), 0);

    struct Case {
        std::vector<std::string> args;
        std::string input;
        int exit;
        bool valueAfter;
    };
    const std::vector<Case> cases = {
        {{"reg", "add", key, "/v", "a", "/d", "2"}, "maybe\nno\n", 1, true},
        {{"reg", "add", key, "/v", "a", "/d", "2"}, "", 1, true}, // end of input is no
        {{"reg", "delete", key, "/v", "a"}, "N\n", 1, true},
        {{"reg", "delete", key, "/v", "a"}, "Yes\n", 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[1] + " answered " + c.input);
        EXPECT_EQ(Ask(c.args, c.input), c.exit) << err_.str();
        EXPECT_NE(out_.str().find("(Yes/No)? "), std::string::npos);
        Ask({"reg", "query", key, "/v", "a"}, "");
        EXPECT_EQ(out_.str(),
                  c.valueAfter ? "\nHKEY_CURRENT_USER\\Software\\Q\n    a    REG_SZ    1\n\n" : "");
    }
    EXPECT_EQ(Ask({"reg", "delete", key}, "y\n"), 0);
    EXPECT_NE(out_.str().find(
                  "Permanently delete the registry key HKEY_CURRENT_USER\\Software\\Q (Yes/No)? "),
              std::string::npos);
}

} // namespace
} // namespace qm6::tool
