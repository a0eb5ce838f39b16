// qm6 global run as a process against product trees with and without a
// branding library; pictures written as PNG files are read back with libpng.

#include "PngFile.h"
#include "ToolProcess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qm6::tool {
namespace {

namespace fs = std::filesystem;

using testing::Outcome;
using testing::ReadPng;

class GlobalTool : public ::testing::Test {
protected:
    GlobalTool()
        : registry_("QM6_REGISTRY_DIR", (dir_.Path() / "registry").string()),
          lang_("LANG", "en_US.UTF-8"), lcAll_("LC_ALL", std::nullopt) {}

    // Runs qm6 global with the library's folder in <tree>/bin of a branding
    // fixture tree.
    Outcome Global(const std::string& tree, std::vector<std::string> args) {
        test::ScopedEnv moduleDir("QM6_MODULE_DIR", (fs::path(QM6_BRANDING_TREES) / tree / "bin").string());
        args.insert(args.begin(), "global");
        return testing::RunTool(dir_.Path(), args);
    }

    fs::path File(const std::string& name) const { return dir_.Path() / name; }

    test::TempDir dir_;
    test::ScopedEnv registry_, lang_, lcAll_;
};

TEST_F(GlobalTool, PrintsTheGlobalObjectsMembers) {
    struct Case {
        const char* tree;
        const char* member;
        const char* out;
    } cases[] = {
        // The global object's own tests cover each member; here each
        // passes through the tool once.
        {"full", "ProductName", "Quillmeter 6\n"}, // blank in the library: the default
        {"full", "CompanyName", "Brandco\n"},
        {"full", "ApplicationName", "Brandco Console\n"},
        {"full", "SplashScreen", "bitmap 4 x 2\n"},
        {"full", "AdminHeaderLogo", "bitmap 20 x 2\n"},
        // A broken library: the header logo is the built-in one.
        {"broken", "AdminHeaderLogo", "bitmap 176 x 80\n"},
        // No display in a terminal tool: depth 0.
        {"none", "UseAlphaIcons", "False\n"},
    };
    for (const Case& c : cases) {
        Outcome run = Global(c.tree, {c.member});
        EXPECT_EQ(run.exit, 0) << c.tree << " " << c.member << ": " << run.err;
        EXPECT_EQ(run.out, c.out) << c.tree << " " << c.member;
    }
}

TEST_F(GlobalTool, WritesTheHeaderLogoAsPngAndNothingForNoPicture) {
    const fs::path builtIn = File("builtin.png");
    Outcome run = Global("none", {"AdminHeaderLogo", "--png", builtIn.string()});
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(run.out, "bitmap 176 x 80 written to " + builtIn.string() + "\n");
    auto png = ReadPng(builtIn);
    ASSERT_TRUE(png);
    EXPECT_EQ(png->width, 176u);
    EXPECT_EQ(png->height, 80u);
    // The logo's band is blue: the bottom left corner has more blue than red.
    const size_t corner = (78 * 176 + 2) * 4;
    EXPECT_GT(png->rgba[corner + 2], png->rgba[corner]);

    const fs::path none = File("none.png");
    run = Global("none", {"--png", none.string(), "SplashScreen"});
    EXPECT_EQ(run.exit, 0);
    EXPECT_EQ(run.out, "(none)\n");
    EXPECT_FALSE(fs::exists(none));
}

TEST_F(GlobalTool, RefusesUnknownMembersArgumentsAndPngForText) {
    const std::vector<std::vector<std::string>> cases{
        {"Bogus"},
        {"DisplayMessage"},
        {"ProductName", "1"},
        {"ProductName", "--png", File("text.png").string()},
        {"--png", File("only.png").string()},
    };
    for (const auto& args : cases) {
        Outcome run = Global("none", args);
        EXPECT_EQ(run.exit, 1) << args[0] << " " << run.out;
        EXPECT_EQ(run.out, "") << args[0];
        EXPECT_NE(run.err.find("ERROR: "), std::string::npos) << args[0];
    }
    EXPECT_FALSE(fs::exists(File("text.png")));
}

} // namespace
} // namespace qm6::tool
