// The forms host in a program without a QApplication: message boxes are
// written to standard error and answered as boxes nobody saw; and the
// display's bits per pixel asked of real X servers (Xvfb), each with an
// application of its own.

#include "platform/forms/Host.h"

#include <QApplication>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <optional>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace qm6::forms {
namespace {

// An unseen box never confirms: Yes/No answers No, any box with Cancel
// answers Cancel, Abort/Retry/Ignore answers Abort.
TEST(WindowlessHost, MessageBoxesGoToStandardErrorAndNeverAnswerYes) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    ASSERT_FALSE(WidgetsAvailable());
    struct Case {
        int style;
        const char* title;
        int answer;
    };
    const Case cases[] = {
        {4 + 48, "Quillmeter 6", 7}, {3 + 32, "", 2}, {1, "Quillmeter 6", 2}, {2, "", 3},
        {16, "Quillmeter 6", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(ActiveHost().MsgBox("Delete every limit?", c.style, c.title), c.answer);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  *c.title ? "Quillmeter 6: Delete every limit?\n" : "Delete every limit?\n");
    }
}

// Starts an Xvfb server of the given depth on a display number it chooses
// itself (-displayfd), asks the host's bits per pixel with an application on
// it and stops it; nullopt when no server started.
std::optional<int> AskOnXvfb(int depth) {
    int fds[2];
    if (pipe(fds) != 0)
        return std::nullopt;
    const pid_t server = fork();
    if (server == 0) {
        close(fds[0]);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        const std::string fd = std::to_string(fds[1]);
        const std::string screen = "320x240x" + std::to_string(depth);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
               "-nolisten", "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    // The server writes its display number once it is ready; a server that
    // fails closes the pipe unwritten.
    FILE* in = fdopen(fds[0], "r");
    int number = -1;
    const bool started = server > 0 && fscanf(in, "%d", &number) == 1;
    fclose(in);
    std::optional<int> answer;
    if (started) {
        setenv("DISPLAY", (":" + std::to_string(number)).c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        int argc = 1;
        char name[] = "forms_windowless_tests";
        char* argv[] = {name, nullptr};
        const QApplication app(argc, argv);
        answer = ActiveHost().DisplayBitsPerPixel();
    }
    if (server > 0) {
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
    }
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
