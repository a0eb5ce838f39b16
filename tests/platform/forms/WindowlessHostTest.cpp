// The forms host in a program without a QApplication: message boxes are
// written to standard error and answered as boxes nobody saw; and the
// display's bits per pixel asked of real X servers (Xvfb), each with an
// application of its own.

#include "platform/forms/Host.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <utility>

namespace qm6::forms {
namespace {

// An unseen box never confirms: Yes/No answers No, any box with Cancel
// answers Cancel, Abort/Retry/Ignore answers Abort.
TEST(WindowlessHost, MessageBoxesGoToStandardErrorAndNeverAnswerYes) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    ASSERT_FALSE(WidgetsAvailable());
    const std::pair<int, int> cases[] = {{4 + 48, 7}, {3 + 32, 2}, {1, 2}, {2, 3}, {16, 1}};
    for (const auto& [style, answer] : cases) {
        SCOPED_TRACE(style);
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(ActiveHost().MsgBox("Delete every limit?", style, "Quillmeter 6"), answer);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Quillmeter 6: Delete every limit?\n");
    }
}

// Starts an Xvfb server of the given depth on a display number it chooses
// and writes once it is ready (-displayfd), and asks the host's bits per
// pixel with an application on it; the server ends when that application,
// its only client, has gone (-terminate). nullopt when no server started.
std::optional<int> AskOnXvfb(int depth) {
    const std::string command =
        "exec Xvfb -displayfd 1 -terminate -nolisten tcp -screen 0 320x240x" +
        std::to_string(depth) + " 2>/dev/null";
    FILE* server = popen(command.c_str(), "r");
    if (!server)
        return std::nullopt;
    int number = -1;
    std::optional<int> answer;
    if (fscanf(server, "%d", &number) == 1) {
        setenv("DISPLAY", (":" + std::to_string(number)).c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        int argc = 1;
        char name[] = "forms_windowless_tests";
        char* argv[] = {name, nullptr};
        const QApplication app(argc, argv);
        answer = ActiveHost().DisplayBitsPerPixel();
    }
    pclose(server);
    return answer;
}

// Depth 24 is kept in 32-bit pixels, as the server's pixmap formats say.
TEST(WindowlessHost, BitsPerPixelAreTheRealXServersPixelFormat) {
    for (const auto& [depth, bits] : {std::pair{24, 32}, std::pair{16, 16}}) {
        const std::optional<int> asked = AskOnXvfb(depth);
        if (!asked)
            GTEST_SKIP() << "Xvfb could not start (is the xvfb package installed?)";
        EXPECT_EQ(*asked, bits) << "depth " << depth;
    }
}

} // namespace
} // namespace qm6::forms
