// qm6host: a host program of qm6admcm, built against the installed library.
//
//   qm6host STORE [OWNER]               a window with the editors of printer
//                                       profile OWNER (1 when not given) of the
//                                       qm6data store STORE (a file, or a
//                                       postgresql:// location), one tab each,
//                                       and a Save button
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
#include "editors/customfields/ctlCustomFieldChooser.h"
#include "editors/joboptions/ctlJobOptions.h"
#include "editors/limits/ctlPrintingLimits.h"
#include "editors/pricing/ctlPricing.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Grid.h"
#include "platform/forms/Label.h"
#include "platform/forms/Screen.h"
#include "qm6data/OpenStore.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
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

// Places an editor on its page with a margin all round, at its design size.
template <typename Editor> void PlaceWithMargin(Editor& editor, QWidget* page) {
    editor.PlaceOn(page, kMargin, kMargin, Editor::kDesignWidth, Editor::kDesignHeight);
    page->setFixedSize(qm6::forms::Screen::ToPixelsX(Editor::kDesignWidth + 2 * kMargin),
                       qm6::forms::Screen::ToPixelsY(Editor::kDesignHeight + 2 * kMargin));
}

// An editor that keeps a rule of the printer profile, as this host drives
// it: placed on its page, loaded, validated and saved at the profile's
// priority. Each page below adds what it shows and how it changes it.
template <typename Editor> class RulePage {
public:
    void PlaceOn(QWidget* page) { PlaceWithMargin(editor_, page); }
    Status Load(Connection& store, int32_t owner) {
        return editor_.LoadData(store, qm6::data::RulePriorityPrinterProfile, owner,
                                "Printer profile");
    }
    bool Validate() { return editor_.Validate(); }
    Status Save(Connection& store, int32_t owner) {
        return editor_.SaveData(store, qm6::data::RulePriorityPrinterProfile, owner);
    }

protected:
    Editor editor_;
};

class JobOptionsPage : public RulePage<qm6::ctlJobOptions> {
public:
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
        return editor_.lblCaption(2).Caption() + " | " + editor_.chkForceDuplex().Caption() +
               " | " + editor_.chkForceNUp().Caption();
    }
};

// The custom fields a job of the profile may be asked for.
class CustomFieldsPage : public RulePage<qm6::ctlCustomFieldChooser> {
public:
    std::string Values() const {
        return "restricted=" + std::to_string(editor_.Override()) +
               " fields=" + editor_.SelectedCustomFields();
    }
    // Restricts the profile to its first field alone (a linked pair counts
    // as one), or, when it already is, to every field.
    void ChangeAll() {
        if (editor_.FieldRowCount() == 0)
            return;
        const bool wasOn = editor_.Override();
        const std::string before = editor_.SelectedCustomFields();
        editor_.Override(true);
        editor_.SelectedCustomFields(
            editor_.grdCustomFields().TextMatrix(1, qm6::ctlCustomFieldChooser::ColFieldId));
        if (wasOn && editor_.SelectedCustomFields() == before) {
            editor_.Override(false);
            editor_.Override(true); // includes every field
        }
    }
};

// The profile's printing limits; the user adds and edits them through the
// editor's own dialog.
class LimitsPage : public RulePage<qm6::ctlPrintingLimits> {
public:
    std::string Values() const {
        return "ignore_all=" + std::to_string(editor_.IgnoreAllLimits()) +
               " limits=" + std::to_string(editor_.Limits() ? editor_.Limits()->Count() : 0);
    }
};

// The prices of the price profile the printer profile uses. The editor
// edits the price profile object itself; the host loads and saves it.
class PricingPage {
public:
    void PlaceOn(QWidget* page) { PlaceWithMargin(editor_, page); }
    Status Load(const std::shared_ptr<Connection>& store, int32_t owner) {
        editor_.DataObject(store);
        int32_t priceProfileId = 0;
        std::shared_ptr<qm6::data::RecordSet> records;
        if (Status status = store->LoadPrinterProfiles(records))
            return status;
        for (; !records->Eof(); records->MoveNext())
            if (records->Fields("PrinterProfileId").Value.AsLong() == owner)
                priceProfileId = records->Fields("PriceProfileId").Value.AsLong();
        records->Close();
        std::shared_ptr<qm6::data::PriceProfile> loaded;
        Status status;
        if (priceProfileId != 0)
            status = store->LoadPriceProfile(loaded, priceProfileId);
        // After a failure nothing is shown, so nothing stale is saved.
        profile_ = status ? nullptr : std::move(loaded);
        editor_.PriceProfile(profile_);
        editor_.Enabled(profile_ != nullptr);
        return status;
    }
    bool Validate() { return !profile_ || editor_.Validate(true); }
    Status Save(Connection& store) { return profile_ ? profile_->Save(store) : nullptr; }

private:
    std::shared_ptr<qm6::data::PriceProfile> profile_;
    qm6::ctlPricing editor_;
};

class HostWindow : public QWidget {
public:
    HostWindow(std::shared_ptr<Connection> store, int32_t owner)
        : store_(std::move(store)), owner_(owner) {
        setWindowTitle(QString::fromStdString(qm6::QM6AdminCommonGlobal().ProductName()));
        auto* layout = new QVBoxLayout(this);
        tabs_ = new QTabWidget(this);
        auto* tabs = tabs_;
        auto addPage = [tabs](auto& editorPage, const char* caption) {
            auto* page = new QWidget(tabs);
            editorPage.PlaceOn(page);
            tabs->addTab(page, QString::fromUtf8(caption));
        };
        addPage(jobOptions_, "Job options");
        addPage(customFields_, "Custom fields");
        addPage(limits_, "Limits");
        addPage(pricing_, "Pricing");
        layout->addWidget(tabs);
        auto* save = new QPushButton(QStringLiteral("Save"), this);
        layout->addWidget(save, 0, Qt::AlignRight);
        connect(save, &QPushButton::clicked, this, [this] {
            if (Status status = Save())
                status->Show();
        });
    }

    // Every editor is loaded; the first failure is answered.
    Status Load() {
        for (Status status :
             {jobOptions_.Load(*store_, owner_), customFields_.Load(*store_, owner_),
              limits_.Load(*store_, owner_), pricing_.Load(store_, owner_)})
            if (status)
                return status;
        return nullptr;
    }
    // Every editor validates before any saves; the first failure is answered.
    Status Save() {
        if (!jobOptions_.Validate() || !customFields_.Validate() || !limits_.Validate() ||
            !pricing_.Validate())
            return qm6::data::MakeStatus(0, "The values cannot be stored.");
        if (Status status = jobOptions_.Save(*store_, owner_))
            return status;
        if (Status status = customFields_.Save(*store_, owner_))
            return status;
        if (Status status = limits_.Save(*store_, owner_))
            return status;
        return pricing_.Save(*store_);
    }
    JobOptionsPage& JobOptions() { return jobOptions_; }
    CustomFieldsPage& CustomFields() { return customFields_; }
    LimitsPage& Limits() { return limits_; }
    // The window with each tab in front in turn, one below the other.
    QImage RenderEveryTab() {
        adjustSize();
        const QSize size = this->size();
        QImage image(size.width(), size.height() * tabs_->count(), QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        for (int i = 0; i < tabs_->count(); ++i) {
            tabs_->setCurrentIndex(i);
            painter.drawPixmap(0, i * size.height(), grab());
        }
        tabs_->setCurrentIndex(0);
        return image;
    }

private:
    std::shared_ptr<Connection> store_;
    int32_t owner_;
    QTabWidget* tabs_ = nullptr;
    // Members go before the widgets they were placed on.
    JobOptionsPage jobOptions_;
    CustomFieldsPage customFields_;
    LimitsPage limits_;
    PricingPage pricing_;
};

// A file path opens an SQLite store, a postgresql:// location a server.
Status OpenStore(const std::string& location, std::shared_ptr<Connection>& store) {
    if (qm6::data::HasPassword(location))
        return qm6::data::MakeStatus(
            0, "A password does not belong on the command line; use the password file.");
    std::shared_ptr<qm6::data::StoreConnection> opened;
    Status status = qm6::data::OpenStore(location, opened);
    store = opened;
    return status;
}

int Fail(const Status& status) {
    std::fprintf(stderr, "qm6host: %s (%d)\n", status->Message().c_str(),
                 static_cast<int>(status->Code()));
    return 1;
}

// Saves changed values through the window's editors and reads them back
// through a fresh connection and editor, as another program would see them.
int Check(HostWindow& window, const std::string& file, int32_t owner, const std::string& png) {
    std::printf("lang folder: %s\n", qm6::GetLangFolder().c_str());
    std::printf("texts: %s\n", window.JobOptions().Texts().c_str());
    window.JobOptions().ChangeAll();
    window.CustomFields().ChangeAll();
    if (Status status = window.Save())
        return Fail(status);
    const std::string saved = window.JobOptions().Values() + "\n  " +
                              window.CustomFields().Values() + "\n  " + window.Limits().Values();
    std::printf("saved: %s\n", saved.c_str());

    std::shared_ptr<Connection> other;
    if (Status status = OpenStore(file, other))
        return Fail(status);
    JobOptionsPage jobOptions;
    CustomFieldsPage customFields;
    LimitsPage limits;
    for (Status status : {jobOptions.Load(*other, owner), customFields.Load(*other, owner),
                          limits.Load(*other, owner)})
        if (status)
            return Fail(status);
    const std::string read =
        jobOptions.Values() + "\n  " + customFields.Values() + "\n  " + limits.Values();
    std::printf("read back: %s\n", read.c_str());

    if (!window.RenderEveryTab().save(QString::fromStdString(png), "PNG")) {
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
        QMessageBox::warning(nullptr,
                             QString::fromStdString(qm6::QM6AdminCommonGlobal().ProductName()),
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
