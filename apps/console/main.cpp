// qm6console: shows the editors of the library over a qm6data database.
//
//   qm6console [--pages FOLDER] [DATABASE]
//
// Without DATABASE it opens the user's working copy of the bundled sample,
// made on first run. With a display it is an ordinary window. Without one
// (neither DISPLAY nor WAYLAND_DISPLAY set) it runs in Qt's offscreen mode,
// renders the page of every printer profile to a PNG file in FOLDER (by
// default the "pages" folder beside the working copy), prints where they are
// and exits. Nothing waits for a click then: message boxes go to standard
// error with the answer they take, every page that can be rendered is, and
// the exit code is 1 after any failure.

#include "ConsoleWindow.h"
#include "HeadlessHost.h"
#include "WorkingCopy.h"
#include "platform/forms/Host.h"
#include "qm6data/SqliteConnection.h"

#include <QApplication>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace fs = std::filesystem;
using qm6::console::ConsoleWindow;
using qm6::console::HeadlessHost;

namespace {

bool HasDisplay() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

int Usage() {
    std::fprintf(stderr, "usage: qm6console [--pages FOLDER] [DATABASE]\n");
    return 2;
}

// Renders the page of every profile, or the window alone when there is none
// (the profiles could not be read); answers the number of pages written, or
// -1 when a file could not be written.
int RenderPages(ConsoleWindow& window, const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        std::fprintf(stderr, "qm6console: cannot make %s: %s\n", folder.c_str(), ec.message().c_str());
        return -1;
    }
    window.resize(window.sizeHint());
    window.show();
    auto render = [&](const std::string& name, const std::string& what) {
        QApplication::processEvents();
        const fs::path file = folder / name;
        if (!window.grab().toImage().save(QString::fromStdString(file.string()), "PNG")) {
            std::fprintf(stderr, "qm6console: cannot write %s\n", file.c_str());
            return false;
        }
        std::printf("%s: %s\n", what.c_str(), file.c_str());
        return true;
    };
    int written = 0;
    for (int row = 0; row < window.ProfileCount(); ++row) {
        // The window shows the first page already.
        if (row != window.CurrentRow())
            window.ShowProfile(row);
        if (!render("job-options-profile-" + std::to_string(window.ProfileId(row)) + ".png",
                    window.ProfileName(row).toStdString()))
            return -1;
        ++written;
    }
    if (window.ProfileCount() == 0) {
        if (!render("console.png", "the window without profiles"))
            return -1;
        ++written;
    }
    std::printf("qm6console: %d page(s) rendered to %s\n", written, folder.c_str());
    std::fflush(stdout);
    return written;
}

} // namespace

int main(int argc, char** argv) {
    const bool headless = !HasDisplay();
    if (headless)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);

    fs::path database;
    fs::path pages;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--pages" && i + 1 < argc)
            pages = argv[++i];
        else if (!arg.empty() && arg[0] == '-')
            return Usage();
        else if (database.empty())
            database = arg;
        else
            return Usage();
    }

    if (database.empty()) {
        const fs::path sample =
            qm6::console::BundledSample(QApplication::applicationDirPath().toStdString());
        std::string error;
        database = qm6::console::EnsureWorkingCopy(sample, error);
        if (database.empty()) {
            std::fprintf(stderr, "qm6console: %s\n", error.c_str());
            return 1;
        }
    }
    // Without a display, nothing may wait for a click.
    HeadlessHost headlessHost;
    std::optional<qm6::forms::ScopedHost> scopedHost;
    if (headless)
        scopedHost.emplace(headlessHost);

    std::shared_ptr<qm6::data::SqliteConnection> store;
    const qm6::data::Status status =
        qm6::data::SqliteConnection::Open(database, store, {}, [&](int32_t version) {
            std::printf("qm6console: upgrading %s to schema version %d\n", database.c_str(),
                        static_cast<int>(version));
            std::fflush(stdout);
        });
    if (status) {
        qm6::forms::ActiveHost().MsgBox("The database could not be opened: " + status->Message() +
                                            " (code " + std::to_string(status->Code()) + ")",
                                        16, ConsoleWindow::ProductTitle());
        return 1;
    }
    std::printf("qm6console: database %s\n", database.c_str());
    std::fflush(stdout);

    ConsoleWindow window(store);
    if (headless) {
        const int written =
            RenderPages(window, pages.empty() ? qm6::console::UserDataFolder() / "pages" : pages);
        // Every failure the window told went through the host's boxes.
        const int failures = std::max(window.Failures(), headlessHost.Failures());
        if (failures > 0)
            std::fprintf(stderr, "qm6console: %d failure(s); see above\n", failures);
        return written > 0 && failures == 0 ? 0 : 1;
    }
    window.resize(window.sizeHint().expandedTo(QSize(720, 300)));
    window.show();
    return QApplication::exec();
}
