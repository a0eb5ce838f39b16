#include "editors/pricing/ctlPricing.h"

#include "common/Fonts.h"
#include "common/Language.h"
#include "common/MessageBox.h"
#include "common/Utilities.h"
#include "common/clsQM6Branding.h"
#include "contract/ListService.h"
#include "contract/LookupService.h"
#include "editors/EnableControls.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Grid.h"
#include "platform/forms/Label.h"
#include "platform/forms/Shape.h"
#include "platform/forms/SystemColors.h"
#include "platform/forms/TextBox.h"
#include "platform/vb/Conversions.h"
#include "platform/vb/Format.h"
#include "platform/vb/VbError.h"

#include <stdexcept>
#include <string_view>
#include <tuple>
#include <unordered_map>

namespace qm6 {

namespace {

// String ids of the editor's texts.
enum : int32_t {
    kStrNotInUse = 500,
    kStrColorCostCaption = 501,
    kStrJobTypeCaption = 502,
    kStrPricingOptionCaption = 503,
    kStrBWCostCaption = 504,
    kStrBWNotNumber = 505,
    kStrBWNegative = 506,
    kStrColorNotNumber = 507,
    kStrColorNegative = 508,
    kStrResetQuestion = 509,
    kStrDescriptionHeader = 510,
    kStrSizeHeader = 511,
    kStrBWCostHeader = 512,
    kStrColorCostHeader = 513,
    kStrInches = 515,
    kStrMillimetres = 516,
    kStrCentimetres = 517,
    kStrNoPricingOption = 518,
    kStrNoJobType = 519,
    kStrUnknownUnit = 520,
    kStrUnknownUnits = 521,
};

constexpr int32_t kPricingOptionList = 2;
constexpr int32_t kJobTypeList = 9;
// A cost is at most this many characters, in a box or typed in a cell.
constexpr int32_t kCostLength = 8;
constexpr int kKeyBack = 8;
constexpr int kKeyD = 'D';

// The unit text of a paper size's unit type, or 0 for a type without one.
int32_t UnitTextOf(int32_t unitType) {
    switch (unitType) {
    case kUnitInches:
        return kStrInches;
    case kUnitMillimetres:
        return kStrMillimetres;
    case kUnitCentimetres:
        return kStrCentimetres;
    default:
        return 0;
    }
}

// Whether a text holds nothing but blanks: spaces, tabs, line breaks and
// no-break spaces.
bool IsBlankText(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        if (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')
            ++i;
        else if (text.substr(i, 2) == "\xC2\xA0")
            i += 2;
        else if (text.substr(i, 3) == "\xE2\x80\xAF")
            i += 3;
        else
            return false;
    }
    return true;
}

// A text field of a record; a Null field is the empty text.
std::string TextOf(const vb::Variant& value) {
    return value.IsNull() ? std::string() : vb::CStr(value);
}

} // namespace

ctlPricing::ctlPricing() : forms::UserControl("ctlPricing") {
    // Added in focus order: the two lists, then the two cost boxes.
    cmbPricingOption_ = &Add<forms::ComboBox>("cmbPricingOption");
    cmbPricingOption_->Move(1500, 0, 1635, 315);
    cmbJobType_ = &Add<forms::ComboBox>("cmbJobType");
    cmbJobType_->Move(4800, 0, 1635, 315);
    txtBWCost_ = &Add<forms::TextBox>("txtBWCost");
    txtBWCost_->Move(1500, 420, 1635, 315);
    txtBWCost_->MaxLength(kCostLength);
    txtColorCost_ = &Add<forms::TextBox>("txtColorCost");
    txtColorCost_->Move(4800, 420, 1635, 315);
    txtColorCost_->MaxLength(kCostLength);
    lblCaption_[0] = &Add<forms::Label>("lblCaption", 2);
    lblCaption_[0]->Move(0, 60, 1335, 195);
    lblCaption_[1] = &Add<forms::Label>("lblCaption", 3);
    lblCaption_[1]->Move(3300, 60, 1095, 195);
    lblBWCost_ = &Add<forms::Label>("lblBWCost");
    lblBWCost_->Move(0, 480, 1335, 195);
    lblColorCost_ = &Add<forms::Label>("lblColorCost");
    lblColorCost_->Move(3300, 480, 1335, 195);
    grdPaperSizes_ = &Add<forms::Grid>("grdPaperSizes");
    grdPaperSizes_->Move(0, 840, 6435, 1515);
    shpBorder_ = &Add<forms::Shape>("shpBorder");
    shpBorder_->Move(0, 840, 6435, 1515);
    lblNotInUse_ = &Add<forms::Label>("lblNotInUse");
    lblNotInUse_->Move(1500, 1440, 3315, 255);
    lblNotInUse_->Alignment(2);
    // As designed: the grid waits for a profile priced per paper size.
    grdPaperSizes_->Visible(false);
    Move(0, 0, kDesignWidth, kDesignHeight);

    bwCost_ = Cost{txtBWCost_, {}, {}, kStrBWNotNumber, kStrBWNegative};
    colorCost_ = Cost{txtColorCost_, {}, {}, kStrColorNotNumber, kStrColorNegative};

    SetCaptions();
    FillLists();

    cmbPricingOption_->OnClick = [this] { PricingOptionClicked(); };
    cmbJobType_->OnClick = [this] { RaisePricingChange(); };
    ConnectCostBox(bwCost_);
    ConnectCostBox(colorCost_);
    ConnectGrid();
    OnResize = [this] {
        if (Width() == kDesignWidth && Height() == kDesignHeight)
            return;
        try {
            Move(Left(), Top(), kDesignWidth, kDesignHeight);
        } catch (...) {
            // The size stays as the host left it.
        }
    };
}

ctlPricing::~ctlPricing() {
    OnResize = nullptr;
    if (paperSizes_)
        paperSizes_->Close();
}

void ctlPricing::SetCaptions() {
    lblBWCost_->Caption(LangString(kStrBWCostCaption));
    lblCaption(2).Caption(LangString(kStrPricingOptionCaption));
    lblCaption(3).Caption(LangString(kStrJobTypeCaption));
    lblColorCost_->Caption(LangString(kStrColorCostCaption));
    lblNotInUse_->Caption(LangString(kStrNotInUse));
}

void ctlPricing::FillLists() {
    const auto lists = data::ListService::Get();
    // The first job type is not offered.
    for (auto [combo, list, first] : {std::tuple{cmbPricingOption_, kPricingOptionList, -1},
                                      std::tuple{cmbJobType_, kJobTypeList, 1}}) {
        try {
            FillComboFromArray(*combo, vb::Variant(lists->GetList(list)),
                               static_cast<int16_t>(first));
        } catch (const vb::VbError&) {
            // A program without the data library's lists gets empty lists
            // (its array was never dimensioned), not an editor that fails
            // to be made.
            combo->Clear();
        }
    }
}

forms::Label& ctlPricing::lblCaption(int32_t index) const {
    if (index < 2 || index > 3)
        throw std::out_of_range("ctlPricing: no lblCaption of that index");
    return *lblCaption_[static_cast<size_t>(index - 2)];
}

bool ctlPricing::Enabled() const {
    return UserControl::Enabled();
}

void ctlPricing::Enabled(bool enabled) {
    UserControl::Enabled(enabled);
    EnableControls(*this, enabled);
}

void ctlPricing::Font(const fonts::FontPtr& font) {
    ApplyFonts(*UserControl::Font(), Controls(), font);
    UserControl::Font(UserControl::Font()); // the widget takes the changed face
}

void ctlPricing::RaisePricingChange() {
    RaiseEvent(OnPricingChange);
}

// --- Profile and data object ----------------------------------------------

void ctlPricing::PriceProfile(std::shared_ptr<data::PriceProfile> profile) {
    if (profile == profile_)
        return;
    profile_ = std::move(profile);
    LoadProfile();
}

void ctlPricing::DataObject(std::shared_ptr<data::Connection> data) {
    data_ = std::move(data);
    if (!data_)
        return;
    std::shared_ptr<data::SystemSettings> settings;
    if (!data::LookupService::Get()->LoadSystemSettings(*data_, settings) && settings)
        currencyFormat_ = settings->CurrencyFormat();
    SetUpGrid();
    // A profile priced per paper size that was set before the store could
    // not show its prices; storing then would have dropped them all.
    if (!gridFilled_ && profile_ && ChosenPricingOption() == data::PriceProfile::PricedPerPaperSize)
        FillPaperSizeGrid();
}

void ctlPricing::LoadProfile() {
    // Rows shown for another profile are never stored into this one.
    gridFilled_ = false;
    cmbPricingOption_->ListIndex(-1);
    if (!profile_) {
        // No profile: no values, and no rows of the last one.
        cmbJobType_->ListIndex(-1);
        for (Cost* cost : {&bwCost_, &colorCost_}) {
            *cost = Cost{cost->box, {}, {}, cost->notNumberText, cost->negativeText};
            cost->box->Text({});
        }
        grdPaperSizes_->Rows(1);
        grdPaperSizes_->Visible(false);
        lblNotInUse_->Visible(true);
        return;
    }
    cmbPricingOption_->ListIndex(FindComboItemData(*cmbPricingOption_, profile_->PricingOption()));
    ShowCost(bwCost_, profile_->BWCost());
    ShowCost(colorCost_, profile_->ColorCost());
    cmbJobType_->ListIndex(-1);
    cmbJobType_->ListIndex(FindComboItemData(*cmbJobType_, profile_->JobType()));
}

std::optional<int32_t> ctlPricing::ChosenPricingOption() const {
    const int32_t index = cmbPricingOption_->ListIndex();
    if (index < 0)
        return std::nullopt;
    return cmbPricingOption_->ItemData(index);
}

void ctlPricing::PricingOptionClicked() {
    if (const std::optional<int32_t> option = ChosenPricingOption()) {
        if (*option == data::PriceProfile::PricedPerPaperSize) {
            FillPaperSizeGrid();
        } else {
            grdPaperSizes_->Visible(false);
            lblNotInUse_->Visible(true);
        }
    }
    RaisePricingChange();
}

// --- Cost boxes -----------------------------------------------------------

void ctlPricing::ConnectCostBox(Cost& cost) {
    forms::TextBox& box = *cost.box;
    box.OnGotFocus = [&box] {
        box.SelStart(0);
        box.SelLength(static_cast<int32_t>(box.Text().size())); // clamped to the text
    };
    box.OnKeyPress = [this](int& keyAscii) {
        keyAscii = FilterNumericKey(keyAscii, false, true);
        RaisePricingChange();
    };
    box.OnLostFocus = [this, &cost] { CostLostFocus(cost); };
}

std::optional<vb::Currency> ctlPricing::ReadAmount(const std::string& text) const {
    try {
        return vb::CCurOfFormatted(text, currencyFormat_);
    } catch (const vb::VbError&) {
        return std::nullopt; // no number, or more than money can hold
    }
}

void ctlPricing::ShowCost(Cost& cost, vb::Currency amount) {
    cost.amount = amount;
    cost.shown = vb::Format(vb::Variant(amount), currencyFormat_);
    cost.box->Text(cost.shown);
}

std::optional<vb::Currency> ctlPricing::CostOf(const Cost& cost) const {
    const std::string text = cost.box->Text();
    if (text == cost.shown)
        return cost.amount;
    return ReadAmount(text);
}

void ctlPricing::CostLostFocus(Cost& cost) {
    if (cost.box->Text() == cost.shown)
        return; // unchanged: the exact amount stays behind its rounded text
    if (const std::optional<vb::Currency> amount = ReadAmount(cost.box->Text()))
        ShowCost(cost, *amount);
}

void ctlPricing::Complain(int32_t textId) const {
    ShowMessageBox(LangString(textId), vbExclamation + vbOKOnly, Branding().ProductName());
}

// --- Validation and storing -----------------------------------------------

bool ctlPricing::Validate(bool pblnStoreChanges) {
    std::array<vb::Currency, 2> amounts;
    size_t i = 0;
    for (Cost* cost : {&bwCost_, &colorCost_}) {
        const std::optional<vb::Currency> amount = CostOf(*cost);
        if (!amount || *amount < vb::Currency()) {
            Complain(amount ? cost->negativeText : cost->notNumberText);
            cost->box->SetFocus();
            return false;
        }
        amounts[i++] = *amount;
    }
    const std::optional<int32_t> option = ChosenPricingOption();
    if (option == data::PriceProfile::PricedPerPaperSize && gridFilled_ && !ValidateGridCosts())
        return false;
    // Nothing is written unless both lists name a value to write.
    for (auto [combo, textId] : {std::pair{cmbPricingOption_, kStrNoPricingOption},
                                 std::pair{cmbJobType_, kStrNoJobType}}) {
        if (combo->ListIndex() < 0) {
            Complain(textId);
            combo->SetFocus();
            return false;
        }
    }
    if (!pblnStoreChanges || !profile_)
        return true;

    profile_->SetPricingOption(*option);
    profile_->SetJobType(cmbJobType_->ItemData(cmbJobType_->ListIndex()));
    profile_->SetBWCost(amounts[0]);
    profile_->SetColorCost(amounts[1]);
    if (profile_->PricingOption() == data::PriceProfile::PricedPerPaperSize)
        StorePaperSizePrices();
    return true;
}

bool ctlPricing::ValidateGridCosts() {
    forms::Grid& grid = *grdPaperSizes_;
    for (int row = 1; row < grid.Rows(); ++row) {
        for (const auto& [col, notNumber, negative] :
             {std::tuple{kColBWCost, kStrBWNotNumber, kStrBWNegative},
              std::tuple{kColColorCost, kStrColorNotNumber, kStrColorNegative}}) {
            const std::optional<vb::Currency> amount = ReadAmount(grid.TextMatrix(row, col));
            if (!amount || *amount < vb::Currency()) {
                Complain(amount ? negative : notNumber);
                grid.Row(row);
                grid.SetFocus();
                return false;
            }
        }
    }
    return true;
}

void ctlPricing::StorePaperSizePrices() {
    // A grid that shows nothing of this profile (its fill failed) leaves the
    // stored prices as they are: the user cannot have changed them.
    if (!gridFilled_)
        return;
    forms::Grid& grid = *grdPaperSizes_;
    auto prices = std::make_shared<vb::Collection>();
    for (int row = 1; row < grid.Rows(); ++row) {
        const auto amount = [&](int col) { return vb::CCur(grid.TextMatrix(row, col)); };
        const vb::Currency bw = amount(kColBWCost);
        const vb::Currency color = amount(kColColorCost);
        if (bw == amount(kColDefaultBWCost) && color == amount(kColDefaultColorCost))
            continue;
        auto price = data_ ? data_->NewPaperSizePrice() : std::make_shared<data::PaperSizePrice>();
        price->SetPaperSizeId(vb::CLng(grid.TextMatrix(row, kColPaperSizeId)));
        price->SetBWCost(bw);
        price->SetColorCost(color);
        prices->Add(vb::Variant(vb::ObjectRef(std::move(price))));
    }
    profile_->SetPaperSizePrices(std::move(prices));
}

// --- Paper-size grid ------------------------------------------------------

void ctlPricing::ConnectGrid() {
    forms::Grid& grid = *grdPaperSizes_;
    grid.Editable(true);
    grid.OnBeforeEdit = [](int, int col, bool& cancel) {
        cancel = col != kColBWCost && col != kColColorCost;
    };
    grid.OnKeyPressEdit = [this](int, int, int& keyAscii) {
        keyAscii = FilterNumericKey(keyAscii, false, true);
        // Selected text counts: a ninth character is refused even where it
        // would replace a selection.
        if (keyAscii != kKeyBack && keyAscii != 0 &&
            forms::CharacterCount(grdPaperSizes_->EditText()) >= kCostLength)
            keyAscii = 0;
    };
    grid.OnValidateEdit = [this](int row, int col, bool& cancel) {
        GridValidateEdit(row, col, cancel);
    };
    grid.OnAfterEdit = [this](int, int col) {
        if (col == kColBWCost || col == kColColorCost)
            RaisePricingChange();
    };
    grid.OnKeyDown = [this](int& keyCode, int shift) { GridKeyDown(keyCode, shift); };
}

void ctlPricing::GridValidateEdit(int row, int col, bool& cancel) {
    forms::Grid& grid = *grdPaperSizes_;
    const std::string text = grid.EditText();
    if (IsBlankText(text)) {
        // An empty cost is the paper size's default.
        grid.EditText(grid.TextMatrix(row, col + (kColDefaultBWCost - kColBWCost)));
        RaisePricingChange();
        return;
    }
    const std::optional<vb::Currency> amount = ReadAmount(text);
    if (!amount || *amount < vb::Currency()) {
        cancel = true; // the cell stays in edit mode with its text
        return;
    }
    // The cell keeps the amount exactly, written as CStr writes it.
    grid.EditText(vb::CStr(vb::Variant(*amount)));
}

void ctlPricing::GridKeyDown(int& keyCode, int shift) {
    forms::Grid& grid = *grdPaperSizes_;
    const int row = grid.Row();
    if (row < 1 || keyCode != kKeyD || shift != forms::vbCtrlMask)
        return;
    const int answer = ShowMessageBox(LangString(kStrResetQuestion), vbYesNo + vbExclamation,
                                      Branding().ProductName());
    if (answer != vbYes)
        return;
    grid.TextMatrix(row, kColBWCost, grid.TextMatrix(row, kColDefaultBWCost));
    grid.TextMatrix(row, kColColorCost, grid.TextMatrix(row, kColDefaultColorCost));
    RaisePricingChange();
}

void ctlPricing::SetUpGrid() {
    forms::Grid& grid = *grdPaperSizes_;
    grid.Cols(kGridColumns);
    grid.ForeColor(forms::kSysGrayText);
    grid.ColHidden(kColPaperSizeId, true);
    const struct {
        int col;
        int32_t header;
        int width;
    } shown[] = {{kColDescription, kStrDescriptionHeader, 2520},
                 {kColSize, kStrSizeHeader, 1440},
                 {kColBWCost, kStrBWCostHeader, 1080},
                 {kColColorCost, kStrColorCostHeader, 1080}};
    for (const auto& c : shown) {
        grid.TextMatrix(0, c.col, LangString(c.header));
        grid.ColWidth(c.col, c.width);
    }
    grid.ColFormat(kColBWCost, currencyFormat_);
    grid.ColFormat(kColColorCost, currencyFormat_);
    // The costs are amounts of money, read and shown exactly.
    for (int col = kColBWCost; col <= kColDefaultColorCost; ++col)
        grid.ColDataType(col, forms::GridDataType::Currency);
    grid.ColHidden(kColDefaultBWCost, true);
    grid.ColHidden(kColDefaultColorCost, true);
    // Rows shown for the held profile stay, with the user's edits: dropping
    // them would store an empty set of prices over the profile's own.
    if (!gridFilled_)
        grid.Rows(1);
}

std::string ctlPricing::SizeText(int32_t width, int32_t height, int32_t unitType) const {
    const std::string unit = " " + LangString(UnitTextOf(unitType)) + " ";
    return vb::CStr(vb::Variant(ConvertToUnits(width, unitType))) + unit + "x " +
           vb::CStr(vb::Variant(ConvertToUnits(height, unitType))) +
           unit.substr(0, unit.size() - 1);
}

void ctlPricing::FillPaperSizeGrid() {
    if (!paperSizes_) {
        data::Status status;
        if (!data_)
            status = data::MakeStatus(0, "Control data object not set.");
        else
            status = data::LookupService::Get()->LoadPaperSizes(*data_, paperSizes_);
        if (status) {
            paperSizes_.reset(); // read again on the next fill
            status->Show();
            return;
        }
    }

    // The profile's prices by paper size, the first entry of a paper size
    // winning as with GetPaperSizePrice, so that each row finds its price
    // in constant time.
    std::unordered_map<int32_t, std::shared_ptr<data::PaperSizePrice>> prices;
    if (profile_) {
        const vb::Collection& items = *profile_->PaperSizePrices();
        for (int32_t i = 1; i <= items.Count(); ++i)
            if (auto price = data::ItemAs<data::PaperSizePrice>(items, i))
                prices.emplace(price->PaperSizeId(), std::move(price));
    }

    forms::Grid& grid = *grdPaperSizes_;
    data::RecordSet& records = *paperSizes_;
    grid.Rows(1);
    grid.Redraw(false);
    int unknownUnits = 0;
    std::string firstUnknown;
    if (!(records.Bof() && records.Eof())) {
        // Every row at once: the set knows its count.
        grid.Rows(1 + records.RecordCount());
        int row = 1;
        for (records.MoveFirst(); !records.Eof(); records.MoveNext(), ++row) {
            if (row >= grid.Rows())
                grid.Rows(row + 1);
            const int32_t id = vb::CLng(records.Fields("PaperSizeId").Value);
            int32_t unitType = vb::CLng(records.Fields("UnitType").Value);
            if (UnitTextOf(unitType) == 0) {
                // No unit of its own: the lengths are tenths of a
                // millimetre, so its size is shown truly in millimetres.
                if (unknownUnits++ == 0)
                    firstUnknown = "\"" + TextOf(records.Fields("Description").Value) + "\" (" +
                                   std::to_string(unitType) + ")";
                unitType = kUnitMillimetres;
            }
            const vb::Currency bwDefault = vb::CCur(records.Fields("BWPageCost").Value);
            const vb::Currency colorDefault = vb::CCur(records.Fields("ColorPageCost").Value);
            grid.TextMatrix(row, kColPaperSizeId, vb::CStr(vb::Variant(id)));
            grid.TextMatrix(row, kColDescription, TextOf(records.Fields("Description").Value));
            grid.TextMatrix(row, kColSize,
                            SizeText(vb::CLng(records.Fields("Width").Value),
                                     vb::CLng(records.Fields("Height").Value), unitType));
            grid.Cell(forms::GridCellProperty::ForeColor, row, kColBWCost, row, kColColorCost,
                      vb::Variant(static_cast<int32_t>(forms::kSysButtonText)));
            grid.TextMatrix(row, kColDefaultBWCost, vb::CStr(vb::Variant(bwDefault)));
            grid.TextMatrix(row, kColDefaultColorCost, vb::CStr(vb::Variant(colorDefault)));
            const auto price = prices.find(id);
            const bool own = price != prices.end();
            grid.TextMatrix(row, kColBWCost,
                            vb::CStr(vb::Variant(own ? price->second->BWCost() : bwDefault)));
            grid.TextMatrix(row, kColColorCost,
                            vb::CStr(vb::Variant(own ? price->second->ColorCost() : colorDefault)));
        }
        grid.Rows(row);
    }
    grid.Redraw(true);
    grid.Enabled(true);
    lblNotInUse_->Visible(false);
    grid.Visible(true);
    gridFilled_ = true;

    if (unknownUnits > 0) {
        // Told once a fill, after drawing resumed.
        const std::string text =
            unknownUnits == 1
                ? LangString(kStrUnknownUnit, firstUnknown)
                : LangString(kStrUnknownUnits, std::to_string(unknownUnits), firstUnknown);
        data::MakeStatus(0, text)->Show();
    }
}

} // namespace qm6
