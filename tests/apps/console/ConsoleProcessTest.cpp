// The console program run as a process without a display: it works on a
// copy of the bundled sample in the user's data folder (or on a file given),
// renders each page of each panel to a PNG, and says where.

#include "support/TestSupport.h"

#include <QColor>
#include <QImage>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct ProcessRun {
    int exitCode = -1;
    std::string output;
};

// Runs the console with no display, its data folder under home. A run that
// waited for a click would be killed after a minute (exit code 137).
ProcessRun RunConsole(const fs::path& home, const std::string& arguments) {
    const std::string command =
        "timeout -s KILL 60 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_DATA_HOME='" +
        (home / "data").string() + "' '" QM6_CONSOLE "' " + arguments + " 2>&1";
    ProcessRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[512];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe))
        run.output.append(buffer, n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// A picture with text on it: many distinct colours and a good share of both
// light and dark pixels.
void ExpectRealPicture(const fs::path& png) {
    QImage image(QString::fromStdString(png.string()));
    ASSERT_FALSE(image.isNull()) << png;
    std::set<QRgb> colours;
    int dark = 0;
    const int total = image.width() * image.height();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            colours.insert(pixel);
            if (qGray(pixel) < 96)
                ++dark;
        }
    EXPECT_GT(colours.size(), 8u) << png;
    EXPECT_GT(dark, total / 200) << png;
    EXPECT_LT(dark, total / 2) << png;
}

TEST(ConsoleProcessTest, HeadlessRunMakesAWorkingCopyAndRendersEveryPage) {
    qm6::test::TempDir home;
    const std::string sampleBefore = qm6::test::ReadFile(QM6_SAMPLE_DATABASE);
    const fs::path pages = home.Path() / "pages";

    const ProcessRun run = RunConsole(home.Path(), "--pages '" + pages.string() + "'");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const fs::path copy = home.Path() / "data" / "quillmeter6" / "console.qm6db";
    EXPECT_TRUE(fs::is_regular_file(copy)) << run.output;
    EXPECT_EQ(qm6::test::ReadFile(QM6_SAMPLE_DATABASE), sampleBefore);

    std::vector<fs::path> expected;
    for (int id = 1; id <= 4; ++id) {
        for (const char* page : {"job-options", "pricing", "custom-fields"})
            expected.push_back(pages /
                               ("printer-profile-" + std::to_string(id) + "-" + page + ".png"));
        expected.push_back(pages / ("custom-action-" + std::to_string(id) + ".png"));
    }
    for (int id = 1; id <= 3; ++id)
        expected.push_back(pages / ("price-profile-" + std::to_string(id) + ".png"));
    for (const fs::path& png : expected) {
        EXPECT_NE(run.output.find(png.string()), std::string::npos) << run.output;
        ExpectRealPicture(png);
    }

    // The working copy is the user's from now on: a later run keeps what was
    // stored in it instead of copying the sample again.
    const auto exec = [&](const char* sql) {
        sqlite3* db = nullptr;
        int rc = sqlite3_open(copy.c_str(), &db);
        rc = rc == SQLITE_OK ? sqlite3_exec(db, sql, nullptr, nullptr, nullptr) : rc;
        sqlite3_close(db);
        return rc;
    };
    ASSERT_EQ(exec("CREATE TABLE kept(x)"), SQLITE_OK);
    EXPECT_EQ(RunConsole(home.Path(), "--pages '" + pages.string() + "'").exitCode, 0);
    EXPECT_EQ(exec("SELECT x FROM kept"), SQLITE_OK);
}

// A file given is opened instead of the working copy.
TEST(ConsoleProcessTest, ADamagedDatabaseIsToldPageByPageEveryPageIsRenderedAndTheFileIsUnchanged) {
    qm6::test::TempDir home;
    const fs::path file = home.Path() / "damaged.qm6db";
    std::string bytes = qm6::test::ReadFile(QM6_SAMPLE_DATABASE);
    // Page 4 holds the job option rules.
    for (size_t i = 3 * 4096; i < 4 * 4096; ++i)
        bytes[i] = static_cast<char>((i * 7919) >> 3);
    qm6::test::WriteFile(file, bytes);
    const fs::path pages = home.Path() / "pages";

    const ProcessRun run =
        RunConsole(home.Path(), "--pages '" + pages.string() + "' '" + file.string() + "'");
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find(
                  "The Job options page of Front desk laser could not be loaded: the database file "
                  "is damaged."),
              std::string::npos)
        << run.output;
    for (int id = 1; id <= 4; ++id)
        ExpectRealPicture(pages / ("printer-profile-" + std::to_string(id) + "-job-options.png"));
    EXPECT_EQ(qm6::test::ReadFile(file), bytes);
    EXPECT_FALSE(fs::exists(home.Path() / "data" / "quillmeter6" / "console.qm6db"))
        << "the file given is used";
}

TEST(ConsoleProcessTest, AForeignOrLockedFileIsRefusedWithItsReasonAndNothingIsRendered) {
    qm6::test::TempDir home;
    const fs::path foreign = home.Path() / "notes.txt", locked = home.Path() / "locked.qm6db";
    qm6::test::WriteFile(foreign, "not a database");
    fs::copy_file(QM6_SAMPLE_DATABASE, locked);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(locked.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    const fs::path pages = home.Path() / "pages";
    for (const auto& [file, reason] :
         {std::pair{foreign, " is not a qm6data database"},
          {locked, " is locked by another program, which did not let go of it within 3 seconds"}}) {
        const ProcessRun run =
            RunConsole(home.Path(), "--pages '" + pages.string() + "' '" + file.string() + "'");
        EXPECT_EQ(run.exitCode, 1) << run.output;
        EXPECT_NE(run.output.find("The database could not be opened: " + file.string() + reason),
                  std::string::npos)
            << run.output;
        EXPECT_FALSE(fs::exists(pages));
    }
    sqlite3_close(other);
    EXPECT_EQ(qm6::test::ReadFile(foreign), "not a database");
}

} // namespace
