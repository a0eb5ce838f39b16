#pragma once

// The limit dialog: the modal window in which the user adds or edits one
// printing limit (its type, its amount, whether the job stops at the limit,
// and the title and text of its message). It writes the entered values into
// the limit only when they pass its checks and the user saves, and answers
// whether that happened; it never stores anything.
//
// The amount box takes at most 8 typed characters: digits, and the decimal
// separator for a money type. A money amount is shown with the store's
// currency format. An amount that code wrote into the box (the limit's own
// value, or a value formatted on a change of type or on leaving the box) is
// kept exactly while the box shows it unchanged, so that a formatted text
// longer than 8 characters, or one that shows fewer decimals than the value
// has, never changes the value.
//
// While no type is chosen (a new limit, or one whose type the list of limit
// types lacks) the amount box takes digits only and OK is disabled: the
// dialog cannot store a limit without a type, and a type it does not know is
// never replaced behind the user's back. Close keeps the limit as it was.

#include "contract/PrintingLimit.h"
#include "contract/SystemSettings.h"
#include "platform/forms/Form.h"
#include "platform/vb/Variant.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace qm6::forms {
class CheckBox;
class ComboBox;
class CommandButton;
class Frame;
class Label;
class TextBox;
} // namespace qm6::forms

namespace qm6 {

class frmLimit : public forms::Form {
public:
    // The client area as designed, in twips.
    static constexpr int32_t kDesignWidth = 4650;
    static constexpr int32_t kDesignHeight = 3690;
    // The most characters the user can type into the amount box.
    static constexpr int32_t kAmountLength = 8;
    // The list of limit types.
    static constexpr int32_t kLimitTypeList = 23;

    frmLimit();
    ~frmLimit() override;

    // Shows the dialog for a new limit (window caption "Add") or a stored one
    // ("Edit"). True when the user saved; the limit then holds the entered
    // values. Otherwise the limit is untouched. pinsSettings may be null (no
    // currency format: money shows as a plain number).
    bool AddLimit(data::PrintingLimit& insLimit,
                  std::shared_ptr<const data::SystemSettings> pinsSettings,
                  bool pblnShowStopJobControl);
    bool EditLimit(data::PrintingLimit& pinsLimit,
                   std::shared_ptr<const data::SystemSettings> pinsSettings,
                   bool pblnShowStopJobControl);

    // Checks the entered values and, when they pass, writes them into the
    // limit being edited (all of them, or none). A failed check shows its
    // message and answers false.
    bool ValidateAndStore();

    forms::ComboBox& cmbType() const { return *cmbType_; }
    forms::TextBox& txtLimit() const { return *txtLimit_; }
    forms::CheckBox& chkStopJob() const { return *chkStopJob_; }
    forms::Frame& lblMessage() const { return *lblMessage_; }
    forms::TextBox& txtTitle() const { return *txtTitle_; }
    forms::TextBox& txtMessage() const { return *txtMessage_; }
    forms::CommandButton& cmdSave() const { return *cmdSave_; }
    forms::CommandButton& cmdClose() const { return *cmdClose_; }
    // The captions: 0 text, 1 limit, 2 type, 3 title.
    forms::Label& lblCaption(int32_t index) const;

    // The type of the chosen entry, or nullopt while none is chosen.
    std::optional<int32_t> SelectedType() const;

private:
    bool Run(data::PrintingLimit& limit, std::shared_ptr<const data::SystemSettings> settings,
             bool showStopJob, int32_t captionId);
    void Form_Load();
    void SetDialogCaptions();
    void FillTypeCombo();
    void ShowLimit();

    void cmbType_Click();
    void txtLimit_KeyPress(int& keyAscii);
    void txtLimit_LostFocus();
    void cmdSave_Click();
    void cmdClose_Click();

    bool MoneySelected() const;
    // The amount the box holds: the value code wrote while its text is
    // unchanged, else the text when it reads as a number; nullopt otherwise.
    std::optional<vb::Variant> Amount() const;
    // Puts a value into the amount box as text and keeps the value.
    void WriteAmount(const std::string& text, vb::Variant value);
    // The amount as money, or as money formatted with the currency format.
    void FormatAmountAsMoney();
    void ApplyTypeChange();
    void ShowInvalid(int32_t stringId, forms::Control& control);

    std::array<forms::Label*, 4> lblCaption_{};
    forms::ComboBox* cmbType_ = nullptr;
    forms::TextBox* txtLimit_ = nullptr;
    forms::CheckBox* chkStopJob_ = nullptr;
    forms::Frame* lblMessage_ = nullptr;
    forms::TextBox* txtTitle_ = nullptr;
    forms::TextBox* txtMessage_ = nullptr;
    forms::CommandButton* cmdSave_ = nullptr;
    forms::CommandButton* cmdClose_ = nullptr;

    data::PrintingLimit* currentLimit_ = nullptr;
    std::shared_ptr<const data::SystemSettings> settings_;
    bool showStopJob_ = true;
    bool saved_ = false;
    // What code last wrote into the amount box, and the value it stands for.
    std::string writtenText_;
    std::optional<vb::Variant> writtenValue_;
};

} // namespace qm6
