// qm6 global run as a process against product trees with and without a
// branding library; pictures written as PNG files are read back with libpng.

#include "support/TestSupport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <png.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace qm6::tool {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int exit = -1;
    std::string out;
    std::string err;
};

struct Png {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba;
};

std::optional<Png> ReadPng(const fs::path& path) {
    const std::string bytes = test::ReadFile(path);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return std::nullopt;
    image.format = PNG_FORMAT_RGBA;
    Png png{image.width, image.height, std::vector<uint8_t>(PNG_IMAGE_SIZE(image))};
    if (!png_image_finish_read(&image, nullptr, png.rgba.data(), 0, nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    return png;
}

class GlobalTool : public ::testing::Test {
protected:
    GlobalTool()
        : registry_("QM6_REGISTRY_DIR", (dir_.Path() / "registry").string()),
          lang_("LANG", "en_US.UTF-8"), lcAll_("LC_ALL", std::nullopt) {}

    // Runs qm6 global with the library's folder in <tree>/bin of a branding
    // fixture tree.
    Outcome Global(const std::string& tree, std::vector<std::string> args) {
        test::ScopedEnv moduleDir("QM6_MODULE_DIR", (fs::path(QM6_BRANDING_TREES) / tree / "bin").string());
        const fs::path out = dir_.Path() / "stdout", err = dir_.Path() / "stderr";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        args.insert(args.begin(), {QM6_TOOL, "global"});
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        Outcome run;
        pid_t pid = 0;
        if (posix_spawn(&pid, QM6_TOOL, &actions, nullptr, argv.data(), environ) == 0) {
            int status = 0;
            waitpid(pid, &status, 0);
            run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        run.out = test::ReadFile(out);
        run.err = test::ReadFile(err);
        return run;
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
        {"full", "ProductName", "Quillmeter 6\n"}, // blank in the library: the default
        {"full", "CompanyName", "Brandco\n"},
        {"full", "ApplicationName", "Brandco Console\n"},
        {"full", "SplashScreen", "bitmap 4 x 2\n"},
        {"full", "AdminHeaderLogo", "bitmap 20 x 2\n"},
        {"none", "productname", "Quillmeter 6\n"},
        {"none", "ApplicationName", "Control Center\n"},
        {"none", "CompanyName", "Quillmeter\n"},
        {"none", "SplashScreen", "(none)\n"},
        // Without a branding library the header logo is the built-in one.
        {"none", "AdminHeaderLogo", "bitmap 176 x 80\n"},
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
