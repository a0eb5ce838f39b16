// qm6console: shows the editors of the library over a qm6data database.
//
//   qm6console [--pages FOLDER] [DATABASE]
//
// Without DATABASE it opens the user's working copy of the bundled sample,
// made on first run. With a display it is an ordinary window. Without one
// (neither DISPLAY nor WAYLAND_DISPLAY set) it runs in Qt's offscreen mode,
// renders the page of every printer profile to a PNG file in FOLDER (by
// default the "pages" folder beside the working copy), prints where they are
// and exits.

#include "ConsoleWindow.h"
#include "WorkingCopy.h"
#include "qm6data/SqliteConnection.h"

#include <QApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using qm6::console::ConsoleWindow;

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

// Renders the page of every profile; answers the process's exit code.
int RenderPages(ConsoleWindow& window, const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        std::fprintf(stderr, "qm6console: cannot make %s: %s\n", folder.c_str(), ec.message().c_str());
        return 1;
    }
    window.resize(window.sizeHint());
    window.show();
    int written = 0;
    for (int row = 0; row < window.ProfileCount(); ++row) {
        window.ShowProfile(row);
        QApplication::processEvents();
        const fs::path file = folder / ("job-options-profile-" + std::to_string(window.ProfileId(row)) + ".png");
        if (!window.grab().toImage().save(QString::fromStdString(file.string()), "PNG")) {
            std::fprintf(stderr, "qm6console: cannot write %s\n", file.c_str());
            return 1;
        }
        std::printf("%s: %s\n", window.ProfileName(row).toStdString().c_str(), file.c_str());
        ++written;
    }
    std::printf("qm6console: %d page(s) rendered to %s\n", written, folder.c_str());
    return written > 0 ? 0 : 1;
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
    std::shared_ptr<qm6::data::SqliteConnection> store;
    if (qm6::data::Status status = qm6::data::SqliteConnection::Open(database, store)) {
        std::fprintf(stderr, "qm6console: cannot open %s: %s (%d)\n", database.c_str(),
                     status->Message().c_str(), static_cast<int>(status->Code()));
        return 1;
    }
    std::printf("qm6console: database %s\n", database.c_str());

    ConsoleWindow window(store);
    if (headless)
        return RenderPages(window, pages.empty() ? qm6::console::UserDataFolder() / "pages" : pages);
    window.resize(window.sizeHint().expandedTo(QSize(720, 300)));
    window.show();
    return QApplication::exec();
}
