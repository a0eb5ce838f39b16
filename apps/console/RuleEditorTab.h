#pragma once

// A page of the printer profiles panel on which an editor of the library
// edits one kind of rule of the chosen profile: placed at its design size,
// loaded, checked and saved at the printer profile's priority. A page names
// its caption and key and connects the editor's change event to Changed.

#include "ConsoleText.h"
#include "EditorPlacement.h"
#include "ProfileTab.h"
#include "contract/RulePriority.h"

#include <memory>
#include <string>
#include <utility>

namespace qm6::console {

template <class EditorType> class RuleEditorTab : public ProfileTab {
public:
    RuleEditorTab(TextId caption, std::string key)
        : editor_(std::make_unique<EditorType>()), caption_(caption), key_(std::move(key)) {}

    std::string Caption() const override { return Text(caption_); }
    std::string Key() const override { return key_; }
    void PlaceOn(QWidget* page) override {
        PlaceEditor(*editor_, page, EditorType::kDesignWidth, EditorType::kDesignHeight);
    }

    EditorType& Editor() const { return *editor_; }

protected:
    data::Status LoadEditor(data::Connection& data, const PrinterProfile& profile) override {
        return editor_->LoadData(data, data::RulePriorityPrinterProfile, profile.id,
                                 Text(kTxtPrinterProfileType));
    }
    bool ValidateEditor() override { return editor_->Validate(); }
    data::Status SaveEditor(data::Connection& data, const PrinterProfile& profile) override {
        return editor_->SaveData(data, data::RulePriorityPrinterProfile, profile.id);
    }
    void EnableEditor(bool enabled) override { editor_->Enabled(enabled); }

private:
    // The editor; its widget lives on the page the panel gives PlaceOn.
    std::unique_ptr<EditorType> editor_;
    TextId caption_;
    std::string key_;
};

} // namespace qm6::console
