// The qm6 tool on large keys, on a machine hive other users may only read,
// and with imports stopped part-way.

#include "ToolFixture.h"
#include "platform/registry/Registry.h"

#include <chrono>
#include <csignal>
#include <sys/stat.h>
#include <thread>

namespace qm6::tool {
namespace {

constexpr int kValues = 10000;

std::string ValueName(int i) {
    return "Value " + std::to_string(i);
}

// A key of kValues string values in HKCU, made in one transaction.
void MakeLargeKey(const std::string& subKey) {
    reg::Transaction txn;
    ASSERT_EQ(reg::CreateTransaction(txn), 0);
    reg::Key key;
    ASSERT_EQ(reg::CreateKeyTransacted(reg::HKEY_CURRENT_USER, subKey, reg::KEY_SET_VALUE, nullptr,
                                       key, txn),
              0);
    for (int i = 0; i < kValues; ++i) {
        const std::string data = "data " + std::to_string(i) + std::string(1, '\0');
        ASSERT_EQ(reg::SetValue(key, ValueName(i), reg::REG_SZ,
                                std::vector<uint8_t>(data.begin(), data.end())),
                  0);
    }
    ASSERT_EQ(reg::CommitTransaction(txn), 0);
    reg::CloseThreadConnections();
}

TEST_F(Qm6Tool, AKeyOfTenThousandValuesIsListedExportedAndImportedWhole) {
    MakeLargeKey("Software\\Qm6Test\\Large");
    const std::string key = kKey + "\\Large";

    Outcome listed = Qm({"reg", "query", key});
    ASSERT_EQ(listed.exit, 0) << listed.err;
    std::string expected = "\n" + key + "\n";
    for (int i = 0; i < kValues; ++i)
        expected += "    " + ValueName(i) + "    REG_SZ    data " + std::to_string(i) + "\n";
    EXPECT_EQ(listed.out, expected + "\n");

    // Every value is written out and read in again, the last as well as the first.
    const std::string exported = Export(key);
    UseEmptyHives();
    Ok({"reg", "import", File("large.reg", exported).string()});
    EXPECT_EQ(Qm({"reg", "query", key}), listed);
    EXPECT_EQ(Export(key), exported);
    Ok({"reg", "delete", key, "/va", "/f"});
    EXPECT_EQ(Qm({"reg", "query", key}).out, "\n");
}

// A file that changes a value, deletes one and adds kValues more, so that
// an import of it runs for a while.
std::string LongImport() {
    std::string text = "Windows Registry Editor Version 5.00\n\n[" + kKey +
                       "]\n\"keep\"=\"changed\"\n\"drop\"=-\n\n[" + kKey + "\\Added]\n";
    for (int i = 0; i < kValues; ++i)
        text += "\"" + ValueName(i) + "\"=\"" + std::string(40, 'x') + "\"\n";
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

TEST_F(Qm6Tool, AnImportStoppedPartWayLeavesTheRegistryAsItWas) {
    Ok({"reg", "add", kKey, "/v", "keep", "/d", "old"});
    Ok({"reg", "add", kKey, "/v", "drop", "/d", "1"});
    const fs::path file = File("long.reg", LongImport());
    const fs::path journal = hives_ / "HKCU.db-journal";

    struct Case {
        int signal;
        int delayMs; // after the import's first write
    };
    int round = 0;
    for (const Case& c : {Case{SIGKILL, 0}, Case{SIGKILL, 100}, Case{SIGINT, 0}, Case{SIGINT, 100},
                          Case{SIGTERM, 50}}) {
        SCOPED_TRACE(std::to_string(c.signal) + " after " + std::to_string(c.delayMs) + " ms");
        // A killed writer may leave its journal behind, unused (its header
        // is written when the hive file is about to change); the next write
        // takes it away.
        Ok({"reg", "add", kKey, "/v", "round", "/d", std::to_string(++round), "/f"});
        ASSERT_FALSE(fs::exists(journal));
        const std::string before = Export();

        pid_t pid = testing::StartTool(dir_.Path(), {"reg", "import", file.string()});
        ASSERT_TRUE(WaitFor(journal, pid)) << "the import made no change";
        std::this_thread::sleep_for(std::chrono::milliseconds(c.delayMs));
        kill(pid, c.signal);
        int signal = 0;
        Outcome run = testing::WaitTool(dir_.Path(), pid, &signal);
        if (c.signal == SIGKILL) {
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

} // namespace
} // namespace qm6::tool
