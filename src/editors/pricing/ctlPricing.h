#pragma once

// The pricing editor: how a price profile charges. Its pricing option and job
// type (lists 2 and 9), a black-and-white and a colour cost per page, and,
// when the profile is priced per paper size, a grid of every paper size with
// its two costs in this profile. The profile keeps only the paper-size prices
// that differ from the paper size's own default costs.
//
// A host sets DataObject (the currency format, the grid's columns), then
// PriceProfile (shown), listens to PricingChange while the user edits, calls
// Validate, which checks the input and stores it into the profile, and saves
// the profile itself: the editor never writes to the store.
//
// Money stays a Currency from the profile to the boxes and the grid and
// back. Each cost box keeps the amount it shows: a box the user did not
// change gives back that amount to four decimals, whatever the format shows
// of it (0.0125 shown as "$0.01" stays 0.0125). The grid's cost cells hold
// the exact amounts and show them through the format.

#include "contract/Connection.h"
#include "contract/EditorEvents.h"
#include "contract/PriceProfile.h"
#include "contract/RecordSet.h"
#include "platform/fonts/Font.h"
#include "platform/forms/UserControl.h"
#include "platform/vb/Currency.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace qm6::forms {
class ComboBox;
class Grid;
class Label;
class Shape;
class TextBox;
} // namespace qm6::forms

namespace qm6 {

class ctlPricing : public forms::UserControl {
public:
    // The editor keeps this size in twips: a host that resizes it gets it back.
    static constexpr int32_t kDesignWidth = 6465;
    static constexpr int32_t kDesignHeight = 2385;

    // Columns of the paper-size grid; row 0 is its header.
    enum GridColumn : int {
        kColPaperSizeId = 0, // hidden
        kColDescription = 1,
        kColSize = 2,
        kColBWCost = 3, // the costs in this profile, editable
        kColColorCost = 4,
        kColDefaultBWCost = 5, // the paper size's defaults, hidden
        kColDefaultColorCost = 6,
        kGridColumns = 7,
    };

    ctlPricing();
    ~ctlPricing() override;

    // Enabling or disabling the editor does the same to each of its
    // controls; a control that refuses is skipped.
    bool Enabled() const;
    void Enabled(bool enabled);

    // The profile to edit. Another object (by identity) is shown at once;
    // the one already held, set again, changes nothing, so that a host can
    // set it after every load without losing the user's edits. None shows
    // no values.
    void PriceProfile(std::shared_ptr<data::PriceProfile> profile);
    const std::shared_ptr<data::PriceProfile>& PriceProfile() const { return profile_; }

    // The store the editor reads its currency format and paper sizes from.
    // Setting it reads the format and sets up the grid's columns; rows the
    // grid already shows are kept, and a grid that could not be filled for
    // want of a store is filled now.
    const std::shared_ptr<data::Connection>& DataObject() const { return data_; }
    void DataObject(std::shared_ptr<data::Connection> data);

    // The editor's font; setting one moves every control to it (ApplyFonts).
    fonts::FontPtr Font() const { return UserControl::Font(); }
    void Font(const fonts::FontPtr& font);

    // Checks the costs and the two lists and, when storeChanges, writes
    // them into the profile. The first failure is told in a message box,
    // gets the focus, and is answered false with nothing written.
    bool Validate(bool pblnStoreChanges = true);

    // Raised on every edit: each key typed in a cost box (refused ones too),
    // a choice in a list, a committed or reset paper-size cost.
    ChangeEvent OnPricingChange;

    // The money format of the store's settings ("" until it is read).
    const std::string& CurrencyFormat() const { return currencyFormat_; }

    // The captions: index 2 pricing option, 3 job type.
    forms::Label& lblCaption(int32_t index) const;
    forms::ComboBox& cmbPricingOption() const { return *cmbPricingOption_; }
    forms::ComboBox& cmbJobType() const { return *cmbJobType_; }
    forms::Label& lblBWCost() const { return *lblBWCost_; }
    forms::TextBox& txtBWCost() const { return *txtBWCost_; }
    forms::Label& lblColorCost() const { return *lblColorCost_; }
    forms::TextBox& txtColorCost() const { return *txtColorCost_; }
    forms::Grid& grdPaperSizes() const { return *grdPaperSizes_; }
    forms::Shape& shpBorder() const { return *shpBorder_; }
    forms::Label& lblNotInUse() const { return *lblNotInUse_; }

private:
    // A cost box and the amount it shows, with the text shown for it.
    struct Cost {
        forms::TextBox* box = nullptr;
        vb::Currency amount;
        std::string shown;
        int32_t notNumberText = 0; // the messages of its failures
        int32_t negativeText = 0;
    };

    void SetCaptions();
    void FillLists();
    void ConnectCostBox(Cost& cost);
    void ConnectGrid();
    void RaisePricingChange();
    void LoadProfile();
    void PricingOptionClicked();
    // The item data of the chosen pricing option, or nullopt.
    std::optional<int32_t> ChosenPricingOption() const;

    void ShowCost(Cost& cost, vb::Currency amount);
    // The amount a box holds: the one it shows while its text is the one
    // shown for it, else what its text reads as; nullopt when it reads as
    // no amount.
    std::optional<vb::Currency> CostOf(const Cost& cost) const;
    void CostLostFocus(Cost& cost);
    std::optional<vb::Currency> ReadAmount(const std::string& text) const;
    void Complain(int32_t textId) const;

    void SetUpGrid();
    void FillPaperSizeGrid();
    std::string SizeText(int32_t width, int32_t height, int32_t unitType) const;
    // The grid's costs pass the same checks as the boxes; false after the
    // first failure is told.
    bool ValidateGridCosts();
    void StorePaperSizePrices();
    void GridValidateEdit(int row, int col, bool& cancel);
    void GridKeyDown(int& keyCode, int shift);

    forms::ComboBox* cmbPricingOption_ = nullptr;
    forms::ComboBox* cmbJobType_ = nullptr;
    std::array<forms::Label*, 2> lblCaption_{};
    forms::Label* lblBWCost_ = nullptr;
    forms::TextBox* txtBWCost_ = nullptr;
    forms::Label* lblColorCost_ = nullptr;
    forms::TextBox* txtColorCost_ = nullptr;
    forms::Grid* grdPaperSizes_ = nullptr;
    forms::Shape* shpBorder_ = nullptr;
    forms::Label* lblNotInUse_ = nullptr;

    Cost bwCost_;
    Cost colorCost_;
    std::shared_ptr<data::PriceProfile> profile_;
    std::shared_ptr<data::Connection> data_;
    std::string currencyFormat_;
    // The paper sizes, read on the first fill and kept until the editor goes.
    std::shared_ptr<data::RecordSet> paperSizes_;
    // Whether the grid's rows are those of the held profile: only then are
    // they stored into it.
    bool gridFilled_ = false;
};

} // namespace qm6
