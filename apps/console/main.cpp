// qm6console: shows the editors of the library over a qm6data database.
//
//   qm6console [--pages FOLDER] [FILE|URL]
//
// FILE is an SQLite database file; URL a PostgreSQL server's database that
// every console of an organisation shares (a postgresql:// URI or libpq
// key=value pairs, without a password: that comes from ~/.pgpass or a
// service file). Without either it opens the user's working copy of the
// bundled sample, made on first run. With a display it is an ordinary window. Without one
// (neither DISPLAY nor WAYLAND_DISPLAY set) it runs in Qt's offscreen mode,
// renders every panel to PNG files in FOLDER (by default the "pages" folder
// beside the working copy): each page of each printer profile and each price
// profile; it prints where they are and exits. Nothing waits for a click then: message boxes go to standard
// error with the answer they take, every page that can be rendered is, and
// the exit code is 1 after any failure.

#include "ConsoleText.h"
#include "ConsoleWindow.h"
#include "HeadlessHost.h"
#include "WorkingCopy.h"
#include "common/Language.h"
#include "platform/forms/Host.h"
#include "platform/locale/Lcid.h"
#include "qm6data/OpenStore.h"

#include <QApplication>
#include <QImage>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace fs = std::filesystem;
using qm6::console::ConsolePanel;
using qm6::console::ConsoleWindow;
using qm6::console::HeadlessHost;

namespace {

bool HasDisplay() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

int Usage() {
    std::fprintf(stderr, "usage: qm6console [--pages FOLDER] [FILE|URL]\n");
    return 2;
}

// Renders every view of every panel (each printer profile's pages, each
// price profile); answers the number of pictures written, or -1 when a file
// could not be written.
int RenderPages(ConsoleWindow& window, const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        std::fprintf(stderr, "qm6console: cannot make %s: %s\n", folder.c_str(), ec.message().c_str());
        return -1;
    }
    window.resize(window.sizeHint().expandedTo(QSize(900, 420)));
    window.show();
    int written = 0;
    for (int index = 0; index < window.PanelCount(); ++index) {
        window.ShowPanel(index);
        ConsolePanel& panel = window.Panel(index);
        for (int view = 0; view < panel.ViewCount(); ++view) {
            const ConsolePanel::View shown = panel.ShowView(view);
            QApplication::processEvents();
            const fs::path file = folder / (shown.file + ".png");
            if (!window.grab().toImage().save(QString::fromStdString(file.string()), "PNG")) {
                std::fprintf(stderr, "qm6console: cannot write %s\n", file.c_str());
                return -1;
            }
            std::printf("%s: %s\n", shown.title.c_str(), file.c_str());
            ++written;
        }
    }
    std::printf("qm6console: %d page(s) rendered to %s\n", written, folder.c_str());
    std::fflush(stdout);
    return written;
}

// Qt's own texts (the buttons of message boxes) in the user's language, when
// the system has Qt's translations.
void LoadQtTranslation(QApplication& app, QTranslator& translator) {
    const auto name = qm6::loc::LcidToLocaleName(static_cast<qm6::loc::Lcid>(qm6::GetLocaleId()));
    if (!name)
        return;
    const QLocale locale(QString::fromStdString(*name));
    if (translator.load(locale, "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&translator);
}

} // namespace

int main(int argc, char** argv) {
    const bool headless = !HasDisplay();
    if (headless)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QTranslator qtTranslator;
    LoadQtTranslation(app, qtTranslator);

    std::string database;
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
        database = qm6::console::EnsureWorkingCopy(sample, error).string();
        if (database.empty()) {
            std::fprintf(stderr, "qm6console: %s\n", error.c_str());
            return 1;
        }
    }
    if (qm6::data::HasPassword(database)) {
        std::fprintf(stderr, "qm6console: the location holds a password; put it in the password "
                             "file ~/.pgpass or a service file instead, since a command line is "
                             "visible to every user of the machine\n");
        return 2;
    }
    // Without a display, nothing may wait for a click.
    HeadlessHost headlessHost;
    std::optional<qm6::forms::ScopedHost> scopedHost;
    if (headless)
        scopedHost.emplace(headlessHost);

    std::shared_ptr<qm6::data::StoreConnection> store;
    const qm6::data::Status status =
        qm6::data::OpenStore(database, store, {}, [&](int32_t version) {
            std::printf("qm6console: upgrading %s to schema version %d\n", database.c_str(),
                        static_cast<int>(version));
            std::fflush(stdout);
        });
    if (status) {
        qm6::forms::ActiveHost().MsgBox(
            qm6::console::Text(qm6::console::kTxtDatabaseNotOpened, status->Message(), std::to_string(status->Code())),
            16, qm6::console::ProductTitle());
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
    window.resize(window.sizeHint().expandedTo(QSize(900, 420)));
    window.show();
    return QApplication::exec();
}
