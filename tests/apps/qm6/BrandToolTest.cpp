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

// Each kind of member prints its text, colour, Boolean or picture; with --png
// (anywhere among the arguments) a picture is written to a file, whose pixels
// the writer's own tests check, and a member without a picture writes none.
TEST_F(BrandTools, PrintMembersOfTheBrandingLibraryOrWriteTheirPictures) {
    struct Case {
        const char* command;
        const char* tree;
        std::vector<std::string> args;
        std::string out;
        bool png = false;
        uint32_t width = 0, height = 0; // of the PNG file written
    } cases[] = {
        {"brand", "full", {"ProductName"}, "Quillmeter 6"}, // blank in the library
        {"brand", "full", {"applicationname", "4"}, "Brandco Merge"},
        {"brand", "full", {"ReportColorMain"}, "65280"},
        {"brand", "full", {"SplashScreen", "4"}, "bitmap 16 x 2"},
        {"brand", "full", {"ClientIcon", "4096", "16"}, "icon 4096 x 16"}, // the largest size
        {"brand", "broken", {"WizardPanel"}, "(none)"},
        {"global", "full", {"AdminHeaderLogo"}, "bitmap 20 x 2"},
        {"global", "none", {"UseAlphaIcons"}, "False"}, // no display: depth 0
        {"brand", "full", {"ClientIcon", "32", "32"}, "icon 32 x 32", true, 32, 32},
        {"brand", "full", {"SplashScreen", "1"}, "bitmap 4 x 2", true, 4, 2},
        {"brand", "full", {"SplashScreen", "5"}, "(none)", true},
        {"global", "none", {"AdminHeaderLogo"}, "bitmap 176 x 80", true, 176, 80},
        {"global", "none", {"SplashScreen"}, "(none)", true},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.command) + " " + c.tree + " " + c.args[0]);
        const fs::path png = File("picture" + std::to_string(n++) + ".png");
        std::vector<std::string> args = c.args;
        if (c.png)
            args.insert(args.begin() + n % 2, {"--png", png.string()});
        const std::string written = c.width ? " written to " + png.string() : "";
        // Nothing on standard error, not even from a sanitizer at exit.
        EXPECT_EQ(Run(c.command, c.tree, args), (Outcome{0, c.out + written + "\n", ""}));
        EXPECT_EQ(fs::exists(png), c.width != 0);
        if (c.width) {
            EXPECT_EQ(PngSize(png), std::pair(c.width, c.height));
        }
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
        testing::ExpectRefused(Run(command, "full", args), "ERROR:");
    }
    EXPECT_FALSE(fs::exists(File("text.png")));

    Outcome help = Run("brand", "full", {"/?"});
    EXPECT_EQ(help.exit, 0);
    EXPECT_NE(help.out.find("qm6 brand MEMBER"), std::string::npos);
    EXPECT_EQ(Run("brand", "full", {}).exit, 1);
}

} // namespace
} // namespace qm6::tool
