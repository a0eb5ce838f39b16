#include "common/Utilities.h"

#include "common/Language.h"
#include "common/MessageBox.h"
#include "common/ModuleState.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Form.h"
#include "platform/forms/Host.h"
#include "platform/forms/TextBox.h"
#include "platform/locale/LocaleInfo.h"
#include "platform/vb/Conversions.h"
#include "platform/vb/Strings.h"

#include <cfenv>
#include <cmath>

namespace qm6 {

float ConvertToUnits(int32_t length, int32_t unit) {
    double value;
    switch (unit) {
    case kUnitInches: value = length / 254.0; break;
    case kUnitMillimetres: value = length / 10.0; break;
    case kUnitCentimetres: value = length / 100.0; break;
    default:
        ShowMessageBox("modQM6Common::ConvertToUnits - Unknown unit of measure", vbCritical + vbOKOnly, "");
        return 0;
    }
    // nearbyint rounds halves to even in the default rounding mode.
    return static_cast<float>(std::nearbyint(value * 100.0) / 100.0);
}

std::string GetCommonFolder() {
    auto& state = State().utilities;
    if (state.commonFolder.empty())
        state.commonFolder = FindFolderUpwards(ModuleFolder(), "common");
    return state.commonFolder;
}

int32_t FindComboItemData(const forms::ComboBox& combo, int32_t value) {
    const int32_t count = combo.ListCount();
    for (int32_t i = 0; i < count; ++i)
        if (combo.ItemData(i) == value)
            return i;
    return -1;
}

void FillComboFromArray(forms::ComboBox& combo, const vb::Variant& list, int16_t firstRow) {
    if ((static_cast<int>(list.Type()) & static_cast<int>(vb::VarType::Array)) == 0 ||
        list.Type() == vb::VarType::ByteArray)
        return;
    const vb::Array2D& rows = list.AsArray();
    combo.Clear();
    // A 32-bit row counter: lists of any length fill completely.
    const int32_t start = firstRow == -1 ? rows.LBound(1) : firstRow;
    for (int32_t r = start; r <= rows.UBound(1); ++r) {
        combo.AddItem(vb::CStr(rows.At(r, 1)));
        combo.ItemData(combo.NewIndex(), vb::CLng(rows.At(r, 0)));
    }
}

std::string GetLocaleString(loc::Lcid lcid, uint32_t setting) {
    const loc::LocaleText answer = loc::GetLocaleInfo(lcid, setting);
    // The platform's 256-byte buffer holds the text and its terminating NUL.
    if (!answer || answer.text.empty() || answer.text.size() > 255)
        return {};
    return answer.text;
}

std::string GetDecimalSeparator(loc::Lcid lcid) {
    return GetLocaleString(lcid, loc::LOCALE_SDECIMAL);
}

std::string GetNegativeSign(loc::Lcid lcid) {
    return GetLocaleString(lcid, loc::LOCALE_SNEGATIVESIGN);
}

namespace {
// The code of the text's first character (UTF-8), or -1 for an empty text.
int32_t FirstCharacter(const std::string& text) {
    if (text.empty())
        return -1;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    if (p[0] < 0x80)
        return p[0];
    int extra = p[0] >= 0xF0 ? 3 : p[0] >= 0xE0 ? 2 : 1;
    int32_t code = p[0] & (0x3F >> extra);
    for (int i = 1; i <= extra && i < static_cast<int>(text.size()); ++i)
        code = (code << 6) | (p[i] & 0x3F);
    return code;
}
} // namespace

int FilterNumericKey(int keyAscii, bool negativeAllowed, bool decimalAllowed) {
    auto& state = State().utilities;
    if (state.decimalSeparator == 0)
        state.decimalSeparator = FirstCharacter(GetDecimalSeparator(loc::LOCALE_USER_DEFAULT));
    if (state.negativeSign == 0)
        state.negativeSign = FirstCharacter(GetNegativeSign(loc::LOCALE_USER_DEFAULT));
    bool passes;
    if (keyAscii == state.decimalSeparator)
        passes = decimalAllowed;
    else if (keyAscii == state.negativeSign)
        passes = negativeAllowed;
    else
        passes = (keyAscii >= '0' && keyAscii <= '9') || keyAscii == 8;
    if (passes)
        return keyAscii;
    if (forms::Host* host = forms::AvailableHost())
        host->Beep();
    return 0;
}

bool TrimTextControls(forms::Form& form, bool reportMissingMaximum) {
    for (forms::Control* control : form.Controls()) {
        auto* box = dynamic_cast<forms::TextBox*>(control);
        if (!box)
            continue;
        const std::string text = vb::Trim(box->Text());
        box->Text(text);
        if (box->MaxLength() > 0) {
            box->Text(forms::LeftCharacters(text, box->MaxLength()));
        } else if (reportMissingMaximum) {
            ShowMessageBox("TrimTextControls: Textbox " + box->Name() + " does not have MaxLength specified.",
                           vbExclamation + vbOKOnly, "");
            return false;
        }
    }
    return true;
}

} // namespace qm6
