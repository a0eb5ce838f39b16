// A program without a QApplication: every message box is written to standard
// error and answered as one nobody saw, the do-not-show-again box keeps its
// stored choice without a window, and the display's bits per pixel are asked
// of a real X server (Xvfb) by a child process that makes the application.

#include "FreshThread.h"
#include "common/MessageBox.h"
#include "common/QM6AdminCommonGlobal.h"
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

namespace qm6 {
namespace {

constexpr const char* kSection = "Software\\Quillmeter 6\\Tests";

class Windowless : public test::FreshThread {
protected:
    Windowless() { StartIn(bare_.Str()); } // no branding library: "Quillmeter 6"

    static std::string Stored(const std::string& name) {
        clsRegistry key;
        key.ClassKey(static_cast<int32_t>(reg::HKEY_CURRENT_USER));
        key.SectionKey(kSection);
        return key.GetValueOrDefault(name, vb::Variant("(missing)"), nullptr).AsString();
    }

    test::TempDir bare_;
    QM6AdminCommonGlobal global_;
};

TEST_F(Windowless, MessageBoxesGoToStandardErrorAndNeverAnswerYes) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    ASSERT_FALSE(forms::WidgetsAvailable());
    // -1 is the Yes/No default.
    const std::pair<int, int> cases[] = {
        {-1, vbNo}, {vbYesNoCancel + vbQuestion, vbCancel}, {vbOKOnly + vbCritical, vbOK}};
    for (const auto& [style, answer] : cases) {
        SCOPED_TRACE(style);
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(global_.DisplayYesNoMessage("Delete every limit?", style), answer);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Quillmeter 6: Delete every limit?\n");
    }
}

TEST_F(Windowless, DoNotShowAgainBoxKeepsItsStoredChoiceWithoutAWindow) {
    struct Case {
        const char* what;
        const char* stored; // nullptr: never stored
        bool showCancel;
        bool answer;
        bool printed;
    };
    const Case cases[] = {
        {"told not to show: no window, no text", "0", true, true, false},
        {"keep showing, with Cancel: Cancel", "-1", true, false, true},
        {"never stored, OK only: OK", nullptr, false, true, true},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string name = "Choice" + std::to_string(n++);
        if (c.stored)
            Store(kSection, name, vb::Variant(c.stored));
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(global_.ShowIdiotBox("Adding a limit.", kSection, name, -1, "", c.showCancel),
                  c.answer);
        const std::string printed = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(printed, c.printed ? "Quillmeter 6: Adding a limit.\n" : "");
        // Nothing is stored for a box nobody saw.
        EXPECT_EQ(Stored(name), c.stored ? c.stored : "(missing)");
    }
}

// --- A real X server -----------------------------------------------------------

// Asks, in a child process with a QApplication on the display, what the
// library answers there; the exit status carries the bits per pixel, plus
// 100 when alpha icons are used (-1 when the child failed).
int AskOnDisplay(const std::string& display) {
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("DISPLAY", display.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        static int argc = 1;
        static char name[] = "windowless_tests";
        static char* argv[] = {name, nullptr};
        QApplication app(argc, argv);
        _exit(forms::ActiveHost().DisplayBitsPerPixel() +
              (QM6AdminCommonGlobal().UseAlphaIcons() ? 100 : 0));
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Starts an Xvfb server of the given depth on a display number it chooses
// itself (-displayfd), asks on it and stops it; nullopt when no server
// started.
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
    if (started)
        answer = AskOnDisplay(":" + std::to_string(number));
    if (server > 0) {
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
    }
    return answer;
}

TEST_F(Windowless, AlphaIconsFollowTheBitsPerPixelOfARealXServer) {
    // Depth 24 is kept in 32-bit pixels: the ordinary desktop uses alpha
    // icons (132 = 32 bits and alpha icons).
    for (const auto& [depth, answer] : {std::pair{24, 132}, std::pair{16, 16}}) {
        const std::optional<int> asked = AskOnXvfb(depth);
        if (!asked)
            GTEST_SKIP() << "Xvfb could not start (is the xvfb package installed?)";
        EXPECT_EQ(*asked, answer) << "depth " << depth;
    }
}

} // namespace
} // namespace qm6
