// qm6host: a host program of qm6admcm, built against the installed library.
//
//   qm6host STORE [OWNER]               a window with the editors of printer
//                                       profile OWNER (1 when not given) of the
//                                       qm6data store STORE, and a Save button
//   qm6host STORE [OWNER] --check PNG   no window to click: changes every value
//                                       the editors show, saves, reads the rules
//                                       back through a second connection, renders
//                                       the window to PNG and prints what it did;
//                                       exit code 0 when what was read back is
//                                       what was saved
//
// The library finds its string and branding libraries by itself, walking up
// from its own folder; a host that keeps them elsewhere calls
// qm6::SetModuleFolder before its first use of the library.

#include "common/Language.h"
#include "common/QM6AdminCommonGlobal.h"
#include "contract/DataStatus.h"
#include "contract/RulePriority.h"
#include "editors/joboptions/ctlJobOptions.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Label.h"
#include "platform/forms/Screen.h"
#include "qm6data/SqliteConnection.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using qm6::data::Connection;
using qm6::data::Status;

// The editor's margin on the window, in twips.
constexpr int32_t kMargin = 120;

// The job options editor as this host drives it; another editor is another
// class of this shape and one line in HostWindow's constructor.
class JobOptionsPage {
public:
    void PlaceOn(QWidget* page) {
        editor_.PlaceOn(page, kMargin, kMargin, qm6::ctlJobOptions::kDesignWidth,
                        qm6::ctlJobOptions::kDesignHeight);
        page->setFixedSize(qm6::forms::Screen::ToPixelsX(qm6::ctlJobOptions::kDesignWidth + 2 * kMargin),
                           qm6::forms::Screen::ToPixelsY(qm6::ctlJobOptions::kDesignHeight + 2 * kMargin));
    }
    Status Load(Connection& store, int32_t owner) {
        return editor_.LoadData(store, qm6::data::RulePriorityPrinterProfile, owner, "Printer profile");
    }
    bool Validate() const { return editor_.Validate(); }
    Status Save(Connection& store, int32_t owner) {
        return editor_.SaveData(store, qm6::data::RulePriorityPrinterProfile, owner);
    }
    // What the editor shows, as one line.
    std::string Values() const {
        return "color=" + std::to_string(editor_.cmbColor().ListIndex()) +
               " duplex=" + std::to_string(editor_.chkForceDuplex().Value()) +
               " nup=" + std::to_string(editor_.chkForceNUp().Value());
    }
    // Every value changed, as a user would change them.
    void ChangeAll() {
        auto& color = editor_.cmbColor();
        color.ListIndex((color.ListIndex() + 1) % color.ListCount());
        editor_.chkForceDuplex().Value(editor_.chkForceDuplex().Value() == 1 ? 0 : 1);
        editor_.chkForceNUp().Value(editor_.chkForceNUp().Value() == 1 ? 0 : 1);
    }
    std::string Texts() const {
        return editor_.lblCaption(2).Caption() + " | " + editor_.chkForceDuplex().Caption() + " | " +
               editor_.chkForceNUp().Caption();
    }

private:
    qm6::ctlJobOptions editor_;
};

class HostWindow : public QWidget {
public:
    HostWindow(std::shared_ptr<Connection> store, int32_t owner) : store_(std::move(store)), owner_(owner) {
        setWindowTitle(QString::fromStdString(qm6::QM6AdminCommonGlobal().ProductName()));
        auto* layout = new QVBoxLayout(this);
        auto* page = new QWidget(this);
        jobOptions_.PlaceOn(page);
        layout->addWidget(page);
        auto* save = new QPushButton(QStringLiteral("Save"), this);
        layout->addWidget(save, 0, Qt::AlignRight);
        connect(save, &QPushButton::clicked, this, [this] {
            if (Status status = Save())
                status->Show();
        });
    }

    Status Load() { return jobOptions_.Load(*store_, owner_); }
    // Every editor validates before any saves; the first failure is answered.
    Status Save() {
        if (!jobOptions_.Validate())
            return qm6::data::MakeStatus(0, "The values cannot be stored.");
        return jobOptions_.Save(*store_, owner_);
    }
    JobOptionsPage& JobOptions() { return jobOptions_; }

private:
    std::shared_ptr<Connection> store_;
    int32_t owner_;
    // Members go before the widgets they were placed on.
    JobOptionsPage jobOptions_;
};

Status OpenStore(const std::string& file, std::shared_ptr<Connection>& store) {
    std::shared_ptr<qm6::data::SqliteConnection> sqlite;
    Status status = qm6::data::SqliteConnection::Open(file, sqlite);
    store = sqlite;
    return status;
}

int Fail(const Status& status) {
    std::fprintf(stderr, "qm6host: %s (%d)\n", status->Message().c_str(), static_cast<int>(status->Code()));
    return 1;
}

// Saves changed values through the window's editors and reads them back
// through a fresh connection and editor, as another program would see them.
int Check(HostWindow& window, const std::string& file, int32_t owner, const std::string& png) {
    std::printf("lang folder: %s\n", qm6::GetLangFolder().c_str());
    std::printf("texts: %s\n", window.JobOptions().Texts().c_str());
    window.JobOptions().ChangeAll();
    if (Status status = window.Save())
        return Fail(status);
    const std::string saved = window.JobOptions().Values();
    std::printf("saved: %s\n", saved.c_str());

    std::shared_ptr<Connection> other;
    if (Status status = OpenStore(file, other))
        return Fail(status);
    JobOptionsPage reader;
    if (Status status = reader.Load(*other, owner))
        return Fail(status);
    const std::string read = reader.Values();
    std::printf("read back: %s\n", read.c_str());

    window.adjustSize();
    if (!window.grab().save(QString::fromStdString(png), "PNG")) {
        std::fprintf(stderr, "qm6host: cannot write %s\n", png.c_str());
        return 1;
    }
    std::printf("window: %s\n", png.c_str());
    return saved == read ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string png;
    if (args.size() >= 2 && args[args.size() - 2] == "--check") {
        png = args.back();
        args.resize(args.size() - 2);
    }
    if (args.empty() || args.size() > 2) {
        std::fprintf(stderr, "Usage: qm6host STORE [OWNER] [--check PNG]\n");
        return 2;
    }
    const std::string file = args[0];
    const int32_t owner = args.size() == 2 ? std::atoi(args[1].c_str()) : 1;

    QApplication app(argc, argv);
    // Statuses a host asks the library to show come here.
    qm6::data::SetStatusHandler([](const qm6::data::DataStatus& status) {
        QMessageBox::warning(nullptr, QString::fromStdString(qm6::QM6AdminCommonGlobal().ProductName()),
                             QString::fromStdString(status.Message()));
    });

    std::shared_ptr<Connection> store;
    if (Status status = OpenStore(file, store))
        return Fail(status);
    HostWindow window(store, owner);
    if (Status status = window.Load())
        return Fail(status);
    if (!png.empty())
        return Check(window, file, owner, png);
    window.show();
    return QApplication::exec();
}
