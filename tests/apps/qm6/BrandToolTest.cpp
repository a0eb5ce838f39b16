// qm6 brand and qm6 global run as processes against product trees with and
// without a branding library; pictures written as PNG files are read back
// and decoded whole with libpng. The objects' own tests cover each member: here each kind of
// member, argument and failure passes through the tools once.

#include "ToolProcess.h"
#include "support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <png.h>
#include <string>
#include <vector>

namespace qm6::tool {
namespace {

namespace fs = std::filesystem;

using testing::Outcome;

// The width and height of a PNG file read whole; nullopt when it is not one.
std::optional<std::pair<uint32_t, uint32_t>> PngSize(const fs::path& path) {
    const std::string bytes = test::ReadFile(path);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return std::nullopt;
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    return std::pair{image.width, image.height};
}

class BrandTools : public ::testing::Test {
protected:
    BrandTools()
        : registry_("QM6_REGISTRY_DIR", (dir_.Path() / "registry").string()),
          lang_("LANG", "en_US.UTF-8"), lcAll_("LC_ALL", std::nullopt) {}

    // Runs qm6 <command> with the library's folder in <tree>/bin.
    Outcome Run(const std::string& command, const std::string& tree,
                std::vector<std::string> args) {
        test::ScopedEnv module("QM6_MODULE_DIR",
                               (fs::path(QM6_BRANDING_TREES) / tree / "bin").string());
        args.insert(args.begin(), command);
        return testing::RunTool(dir_.Path(), args);
    }

    fs::path File(const std::string& name) const { return dir_.Path() / name; }

    test::TempDir dir_;
    test::ScopedEnv registry_, lang_, lcAll_;
};

TEST_F(BrandTools, PrintMembersOfTheBrandingLibraryOrTheirDefaults) {
    struct Case {
        const char* command;
        const char* tree;
        std::vector<std::string> args;
        const char* out;
    } cases[] = {
        {"brand", "full", {"ProductName"}, "Quillmeter 6\n"}, // blank in the library
        {"brand", "full", {"applicationname", "4"}, "Brandco Merge\n"},
        {"brand", "full", {"ReportColorMain"}, "65280\n"},
        {"brand", "full", {"SplashScreen", "4"}, "bitmap 16 x 2\n"},
        {"brand", "full", {"ClientIcon", "4096", "16"}, "icon 4096 x 16\n"}, // the largest size
        {"brand", "broken", {"WizardPanel"}, "(none)\n"},
        {"global", "full", {"AdminHeaderLogo"}, "bitmap 20 x 2\n"},
        {"global", "none", {"UseAlphaIcons"}, "False\n"}, // no display: depth 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.command) + " " + c.tree + " " + c.args[0]);
        Outcome run = Run(c.command, c.tree, c.args);
        EXPECT_EQ(run.exit, 0);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, ""); // nothing else, not even from a sanitizer at exit
    }
}

// --png (anywhere among the arguments) writes the picture, whose pixels the
// writer's own tests check; a member without a picture writes no file.
TEST_F(BrandTools, WritePicturesAsPngFiles) {
    struct Case {
        const char* command;
        const char* tree;
        std::vector<std::string> args;
        uint32_t width, height; // 0: no picture
    } cases[] = {
        {"brand", "full", {"ClientIcon", "32", "32"}, 32, 32},
        {"brand", "full", {"SplashScreen", "1"}, 4, 2},
        {"brand", "full", {"SplashScreen", "5"}, 0, 0},
        {"global", "none", {"AdminHeaderLogo"}, 176, 80},
        {"global", "none", {"SplashScreen"}, 0, 0},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.command) + " " + c.args[0]);
        const fs::path png = File("picture" + std::to_string(n++) + ".png");
        std::vector<std::string> args = c.args;
        args.insert(args.begin() + n % 2, {"--png", png.string()});
        Outcome run = Run(c.command, c.tree, args);
        ASSERT_EQ(run.exit, 0) << run.err;
        if (c.width == 0) {
            EXPECT_EQ(run.out, "(none)\n");
            EXPECT_FALSE(fs::exists(png));
            continue;
        }
        EXPECT_NE(run.out.find(" written to " + png.string()), std::string::npos) << run.out;
        EXPECT_EQ(PngSize(png), std::pair(c.width, c.height));
    }
}

// Unknown members, wrong arguments and misplaced options are errors with a
// non-zero exit code and nothing on standard output: a case for each check.
TEST_F(BrandTools, RefuseUnknownMembersAndBadArguments) {
    const std::vector<std::pair<const char*, std::vector<std::string>>> cases{
        {"brand", {"Bogus"}},
        {"brand", {"ApplicationName"}},
        {"brand", {"ApplicationName", "four"}},
        {"brand", {"ClientIcon", "16"}},
        {"brand", {"ClientIcon", "70000", "16"}},
        {"brand", {"ClientIcon", "16000", "16000"}}, // beyond the largest size: not "(none)"
        {"brand", {"ProductName", "--png", File("text.png").string()}},
        {"brand", {"ClientIcon", "--png"}},
        {"brand", {"--png", File("only.png").string()}},
        {"brand", {"SplashScreen", "1", "--png", (File("missing") / "folder" / "x.png").string()}},
        {"global", {"DisplayMessage"}},
        {"global", {"ProductName", "1"}},
        {"global", {"ProductName", "--png", File("text.png").string()}},
    };
    for (const auto& [command, args] : cases) {
        SCOPED_TRACE(command + (" " + args[0]));
        Outcome run = Run(command, "full", args);
        EXPECT_EQ(run.exit, 1);
        EXPECT_NE(run.err.find("ERROR:"), std::string::npos);
        EXPECT_EQ(run.out, "");
    }
    EXPECT_FALSE(fs::exists(File("text.png")));

    Outcome help = Run("brand", "full", {"/?"});
    EXPECT_EQ(help.exit, 0);
    EXPECT_NE(help.out.find("qm6 brand MEMBER"), std::string::npos);
    EXPECT_EQ(Run("brand", "full", {}).exit, 1);
}

} // namespace
} // namespace qm6::tool
