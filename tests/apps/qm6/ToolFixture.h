#pragma once

// The qm6 tool run as a process over hives in a temporary folder of each
// test.

#include "ToolProcess.h"
#include "Unicode.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace qm6::tool {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;
using testing::ExpectRefused;
using testing::Outcome;

inline const std::string kKey = "HKEY_CURRENT_USER\\Software\\Qm6Test";
inline const std::string kOk = "The operation completed successfully.\n";

inline std::string Utf16(std::string_view utf8) {
    std::string out = "\xFF\xFE";
    AppendUtf16Le(utf8, out);
    return out;
}

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
    void Ok(const std::vector<std::string>& args) {
        Outcome run = Qm(args);
        ASSERT_EQ(run.exit, 0) << run.err;
        EXPECT_EQ(run.out, kOk);
        EXPECT_EQ(run.err, "");
    }

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

} // namespace qm6::tool
