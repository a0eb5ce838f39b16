// qm6 brand run as a process against product trees with and without a
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

const fs::path kTrees = QM6_BRANDING_TREES;

using testing::Outcome;
using testing::ReadPng;

class BrandTool : public ::testing::Test {
protected:
    BrandTool()
        : registry_("QM6_REGISTRY_DIR", (dir_.Path() / "registry").string()),
          lang_("LANG", "en_US.UTF-8"), lcAll_("LC_ALL", std::nullopt) {}

    // Runs qm6 brand with the library's folder in <tree>/bin.
    Outcome Brand(const std::string& tree, std::vector<std::string> args) {
        test::ScopedEnv module("QM6_MODULE_DIR", (kTrees / tree / "bin").string());
        args.insert(args.begin(), "brand");
        return testing::RunTool(dir_.Path(), args);
    }

    fs::path File(const std::string& name) const { return dir_.Path() / name; }

    test::TempDir dir_;
    test::ScopedEnv registry_, lang_, lcAll_;
};

// Texts, colours and picture descriptions as the branding object answers
// them; member names in any case.
TEST_F(BrandTool, PrintsMembersOfTheBrandingLibraryOrTheirDefaults) {
    struct Case {
        const char* tree;
        std::vector<std::string> args;
        const char* out;
    } cases[] = {
        // The values come from the branding object (whose own tests cover
        // each member); here each kind of member and argument passes
        // through the tool once.
        {"full", {"ProductName"}, "Quillmeter 6\n"}, // blank in the library
        {"full", {"applicationname", "4"}, "Brandco Merge\n"},
        {"full", {"ReportColorMain"}, "65280\n"},
        {"full", {"SplashScreen", "4"}, "bitmap 16 x 2\n"},
        {"full", {"SplashScreen", "5"}, "(none)\n"},
        {"full", {"AboutIcon", "16", "16"}, "icon 16 x 16\n"},
        {"none", {"CompanyName"}, "Quillmeter\n"},
        {"broken", {"WizardPanel"}, "(none)\n"},
    };
    for (const Case& c : cases) {
        Outcome run = Brand(c.tree, c.args);
        EXPECT_EQ(run.exit, 0) << c.tree << " " << c.args[0] << ": " << run.err;
        EXPECT_EQ(run.out, c.out) << c.tree << " " << c.args[0];
    }
}

// --png writes the picture's pixels; a member without a picture writes no
// file.
TEST_F(BrandTool, WritesPicturesAsPngFiles) {
    struct Case {
        const char* tree;
        std::vector<std::string> args;
        uint32_t width, height; // 0: no picture
    } cases[] = {
        {"full", {"ClientIcon", "32", "32"}, 32, 32},
        {"full", {"ClientIcon"}, 48, 48},
        {"full", {"SplashScreen", "5"}, 0, 0},
        {"none", {"AdminHeaderLogo"}, 0, 0},
    };
    int n = 0;
    for (const Case& c : cases) {
        const fs::path png = File("picture" + std::to_string(n++) + ".png");
        std::vector<std::string> args = c.args;
        args.insert(args.begin() + 1, {"--png", png.string()}); // the option may come anywhere
        Outcome run = Brand(c.tree, args);
        ASSERT_EQ(run.exit, 0) << c.args[0] << ": " << run.err;
        if (c.width == 0) {
            EXPECT_EQ(run.out, "(none)\n");
            EXPECT_FALSE(fs::exists(png)) << c.args[0];
            continue;
        }
        EXPECT_NE(run.out.find(" written to " + png.string()), std::string::npos) << run.out;
        auto decoded = ReadPng(png);
        ASSERT_TRUE(decoded) << c.args[0];
        EXPECT_EQ(decoded->width, c.width) << c.args[0];
        EXPECT_EQ(decoded->height, c.height) << c.args[0];
    }

    // The pixels survive: the fixture's 1-bit splash bitmap (4 x 2) is an
    // opaque checkerboard of blue and white, blue in the top left corner.
    const fs::path splash = File("splash.png");
    ASSERT_EQ(Brand("full", {"SplashScreen", "1", "--png", splash.string()}).exit, 0);
    auto decoded = ReadPng(splash);
    ASSERT_TRUE(decoded);
    const std::vector<uint8_t> white{255, 255, 255, 255}, blue{20, 60, 170, 255};
    auto pixel = [&](size_t x, size_t y) {
        auto at = decoded->rgba.begin() + static_cast<std::ptrdiff_t>((y * 4 + x) * 4);
        return std::vector<uint8_t>(at, at + 4);
    };
    EXPECT_EQ(pixel(0, 0), blue);
    EXPECT_EQ(pixel(1, 0), white);
    EXPECT_EQ(pixel(0, 1), white);
    EXPECT_EQ(pixel(3, 1), blue);
}

// Unknown members, wrong arguments and misplaced options are errors with a
// non-zero exit code and nothing on standard output.
TEST_F(BrandTool, RefusesUnknownMembersAndBadArguments) {
    const std::vector<std::vector<std::string>> cases{
        {"Bogus"},
        {"OverrideReportColors", "1", "2", "0"},
        {"ApplicationName"},
        {"ApplicationName", "four"},
        {"ApplicationName", "1", "2"},
        {"ClientIcon", "16"},
        {"ClientIcon", "70000", "16"},
        {"ProductName", "--png", File("text.png").string()},
        {"ClientIcon", "--png"},
        {"--png", File("only.png").string()},
        {"SplashScreen", "1", "--png", (File("missing") / "folder" / "x.png").string()},
    };
    for (const auto& args : cases) {
        Outcome run = Brand("full", args);
        EXPECT_EQ(run.exit, 1) << args[0] << " " << run.out;
        EXPECT_NE(run.err.find("ERROR:"), std::string::npos) << args[0];
        EXPECT_EQ(run.out, "") << args[0];
    }
    EXPECT_FALSE(fs::exists(File("text.png")));

    Outcome help = Brand("full", {"/?"});
    EXPECT_EQ(help.exit, 0);
    EXPECT_NE(help.out.find("qm6 brand MEMBER"), std::string::npos);
    EXPECT_EQ(Brand("full", {}).exit, 1);
}

} // namespace
} // namespace qm6::tool
