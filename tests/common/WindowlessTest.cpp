// A program without a QApplication: every message box is written to standard
// error and answered as one nobody saw, the do-not-show-again box keeps its
// stored choice without a window, and the display's bits per pixel are asked
// of a real X server (Xvfb) by a child process that makes the application.

#include "common/MessageBox.h"
#include "common/ModuleState.h"
#include "common/QM6AdminCommonGlobal.h"
#include "platform/forms/Host.h"
#include "platform/forms/QtHost.h"
#include "platform/registry/Registry.h"
#include "registry/clsRegistry.h"
#include "support/TestSupport.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace qm6 {
namespace {

constexpr const char* kSection = "Software\\Quillmeter 6\\Tests";

class Windowless : public ::testing::Test {
protected:
    Windowless() : env_("QM6_REGISTRY_DIR", hive_.Str()) {
        reg::CloseThreadConnections();
        SetModuleFolder(bare_.Str()); // no branding library: "Quillmeter 6"
        ResetModuleState();
    }
    ~Windowless() override {
        ResetModuleState();
        SetModuleFolder("");
        reg::CloseThreadConnections();
    }

    void Store(const std::string& name, const std::string& text) {
        clsRegistry key;
        key.ClassKey(static_cast<int32_t>(0x80000001u));
        key.SectionKey(kSection);
        key.ValueType(1);
        std::string error;
        ASSERT_TRUE(key.SetCreateValue(name, vb::Variant(text), false, &error)) << error;
    }
    std::optional<std::string> Stored(const std::string& name) {
        clsRegistry key;
        key.ClassKey(static_cast<int32_t>(0x80000001u));
        key.SectionKey(kSection);
        std::string error;
        const vb::Variant value = key.GetValueOrDefault(name, vb::Variant("(missing)"), &error);
        const std::string text = value.AsString();
        return text == "(missing)" ? std::nullopt : std::optional<std::string>(text);
    }

    test::TempDir hive_;
    test::TempDir bare_;
    test::ScopedEnv env_;
    QM6AdminCommonGlobal global_;
};

TEST_F(Windowless, MessageBoxesGoToStandardErrorAndNeverAnswerYes) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    ASSERT_FALSE(forms::WidgetsAvailable());
    struct Case {
        int style;
        int answer;
    };
    const Case cases[] = {
        {-1, vbNo},                         // the Yes/No default: No
        {vbYesNo + vbExclamation, vbNo},
        {vbYesNoCancel, vbCancel},
        {vbOKCancel + vbQuestion, vbCancel},
        {5, vbCancel},                      // Retry, Cancel
        {2, 3},                             // Abort, Retry, Ignore: Abort
        {vbOKOnly + vbCritical, vbOK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(global_.DisplayYesNoMessage("Delete every limit?", c.style), c.answer);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Quillmeter 6: Delete every limit?\n");
    }
    ::testing::internal::CaptureStderr();
    global_.DisplayMessage("Saved.");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Quillmeter 6: Saved.\n");

    // The Qt host itself, asked directly, answers the same way and beeps
    // silently.
    forms::QtHost qt;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(qt.MsgBox("Remove?", vbYesNo, ""), vbNo);
    qt.Beep();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Remove?\n");
    EXPECT_EQ(GetDisplayBitsPerPixel(), 0);
    EXPECT_FALSE(global_.UseAlphaIcons());
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
        {"told not to show, by word", "False", false, true, false},
        {"never stored, with Cancel: Cancel", nullptr, true, false, true},
        {"keep showing, with Cancel: Cancel", "-1", true, false, true},
        {"never stored, OK only: OK", nullptr, false, true, true},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string name = "Choice" + std::to_string(n++);
        if (c.stored)
            Store(name, c.stored);
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(global_.ShowIdiotBox("Adding a limit.", kSection, name, -1, "", c.showCancel), c.answer);
        const std::string printed = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(printed, c.printed ? "Quillmeter 6: Adding a limit.\n" : "");
        // Nothing is stored for a box nobody saw.
        EXPECT_EQ(Stored(name), c.stored ? std::optional<std::string>(c.stored) : std::nullopt);
    }
}

// --- A real X server -----------------------------------------------------------

// An Xvfb server on a display number it chose itself (-displayfd), stopped
// when the object goes.
class Xvfb {
public:
    explicit Xvfb(int depth) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            fcntl(fds[1], F_SETFD, 0); // the server writes its display number here
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            const std::string fd = std::to_string(fds[1]);
            const std::string screen = "320x240x" + std::to_string(depth);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten",
                   "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        pollfd wait{fds[0], POLLIN, 0};
        char c = 0;
        while (pid_ > 0 && poll(&wait, 1, 20000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (c == '\n' && !number.empty())
            display_ = ":" + number;
    }
    ~Xvfb() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    // Empty when the server could not start.
    const std::string& Display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

struct DisplayAnswer {
    int bitsPerPixel = -1;
    bool alphaIcons = false;
};

// Asks, in a child process with a QApplication on the display, what the
// library answers there.
std::optional<DisplayAnswer> AskOnDisplay(const std::string& display) {
    int fds[2];
    if (pipe(fds) != 0)
        return std::nullopt;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        setenv("DISPLAY", display.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        static int argc = 1;
        static char name[] = "windowless_tests";
        static char* argv[] = {name, nullptr};
        QApplication app(argc, argv);
        char line[64];
        const int length = std::snprintf(line, sizeof line, "%d %d\n", forms::ActiveHost().DisplayBitsPerPixel(),
                                         QM6AdminCommonGlobal().UseAlphaIcons() ? 1 : 0);
        const bool written = write(fds[1], line, size_t(length)) == length;
        _exit(written ? 0 : 1);
    }
    close(fds[1]);
    std::string text;
    char buffer[64];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, size_t(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    DisplayAnswer answer;
    int alpha = 0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        std::sscanf(text.c_str(), "%d %d", &answer.bitsPerPixel, &alpha) != 2)
        return std::nullopt;
    answer.alphaIcons = alpha != 0;
    return answer;
}

TEST_F(Windowless, AlphaIconsFollowTheBitsPerPixelOfARealXServer) {
    struct Case {
        int depth;
        int bitsPerPixel;
        bool alphaIcons;
    };
    // Depth 24 is kept in 32-bit pixels: the ordinary desktop uses alpha icons.
    const Case cases[] = {{24, 32, true}, {16, 16, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.depth);
        Xvfb server(c.depth);
        if (server.Display().empty())
            GTEST_SKIP() << "Xvfb could not start (is the xvfb package installed?)";
        const std::optional<DisplayAnswer> answer = AskOnDisplay(server.Display());
        ASSERT_TRUE(answer.has_value()) << "the child on " << server.Display() << " failed";
        EXPECT_EQ(answer->bitsPerPixel, c.bitsPerPixel);
        EXPECT_EQ(answer->alphaIcons, c.alphaIcons);
    }
}

} // namespace
} // namespace qm6
