#include "common/Fonts.h"

#include "common/ModuleState.h"
#include "platform/forms/Control.h"
#include "platform/forms/Grid.h"
#include "platform/locale/CodePages.h"
#include "platform/locale/LocaleInfo.h"
#include "platform/registry/Registry.h"
#include "platform/vb/Conversions.h"
#include "platform/vb/Strings.h"
#include "platform/vb/VbError.h"
#include "registry/clsRegistry.h"

#include <cmath>
#include <cstdint>
#include <optional>

namespace qm6 {
namespace {

const char* const kFontSection = "Software\\Quillmeter 6\\Font";

// The settings' defaults, used for a value that is missing and also for one
// that holds no usable number.
constexpr int16_t kDefaultCharset = 0;
constexpr int16_t kDefaultSize = 8;

// A registry value converted with the runtime's CInt (text in the user's
// number format, halves to even), or nullopt when it is empty, not a number
// or does not fit in 16 bits.
std::optional<int16_t> ToInteger(const vb::Variant& value) {
    if (value.IsString() && value.AsString().empty())
        return std::nullopt;
    try {
        return vb::CInt(value);
    } catch (const vb::VbError&) {
        return std::nullopt;
    }
}

// A character set is a byte in the platform's font description: 0 to 255.
int16_t CharsetSetting(const vb::Variant& value) {
    const auto n = ToInteger(value);
    return n && *n >= 0 && *n <= 255 ? *n : kDefaultCharset;
}

// A size of no points or fewer shows nothing: only 1 to 32767 points count.
int16_t SizeSetting(const vb::Variant& value) {
    const auto n = ToInteger(value);
    return n && *n > 0 ? *n : kDefaultSize;
}

std::string NameSetting(const vb::Variant& value) {
    try {
        return vb::CStr(value);
    } catch (const vb::VbError&) {
        return {}; // binary data names no face
    }
}

// Runs one step of ApplyFonts; a failing step is skipped. Answers whether it
// went through.
template <class Step>
bool TryStep(Step&& step) {
    try {
        step();
        return true;
    } catch (const vb::VbError&) {
        return false;
    }
}

// Sizes are compared in whole ten-thousandths of a point.
bool SameSize(float a, float b) {
    return std::llround(double(a) * 10000.0) == std::llround(double(b) * 10000.0);
}

// The fixed faces of the East Asian character sets, by their native names.
struct NativeFace {
    int16_t charset;
    const char* name;
};
constexpr NativeFace kNativeFaces[] = {
    {128, "\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF"}, // MS PGothic
    {129, "\uAD74\uB9BC"},                                  // Gulim
    {134, "\u5B8B\u4F53"},                                  // SimSun
    {136, "\u65B0\u7D30\u660E\u9AD4"},                      // PMingLiU
};

} // namespace

void InitFonts() {
    ModuleState& state = State();
    clsRegistry key;
    key.ClassKey(static_cast<int32_t>(reg::HKEY_CURRENT_USER));
    key.SectionKey(kFontSection);
    const std::string name = NameSetting(key.GetValueOrDefault("FontName", vb::Variant(std::string())));
    if (!name.empty()) {
        auto font = fonts::Font::Create();
        font->Charset(CharsetSetting(key.GetValueOrDefault("FontCharSet", vb::Variant(std::string("0")))));
        font->Name(name);
        font->Size(SizeSetting(key.GetValueOrDefault("FontSize", vb::Variant(std::string("8")))));
        state.libraryFont = std::move(font);
    } else {
        state.libraryFont = ChooseLocaleFont();
    }
}

fonts::FontPtr LibraryFont() {
    return State().libraryFont;
}

fonts::FontPtr ChooseLocaleFont() {
    const loc::LocaleText answer =
        loc::GetLocaleInfo(loc::LOCALE_SYSTEM_DEFAULT, loc::LOCALE_IDEFAULTANSICODEPAGE);
    if (!answer || answer.text.empty())
        return nullptr;
    const std::string text = StripAtNull(answer.text);
    if (text.empty())
        return nullptr;
    int32_t codePage = 0;
    try {
        codePage = vb::CLng(vb::Variant(text));
    } catch (const vb::VbError&) {
        return nullptr;
    }
    if (codePage < 0)
        return nullptr;
    const std::optional<int> charset = loc::CharsetOfCodePage(static_cast<unsigned>(codePage));
    if (!charset)
        return nullptr;
    const auto cs = static_cast<int16_t>(*charset);

    for (const char* face : {"MS Sans Serif", "Arial", "Tahoma"}) {
        auto font = fonts::Font::Create();
        font->Name(face);
        font->Charset(cs);
        font->Size(8);
        if (font->Name() == face && font->Charset() == cs)
            return font;
    }

    auto font = fonts::Font::Create();
    for (const NativeFace& native : kNativeFaces) {
        if (native.charset == cs) {
            font->Name(native.name);
            font->Charset(cs);
            font->Size(9);
            return font;
        }
    }
    font->Name("Arial");
    font->Size(8);
    return font;
}

std::string StripAtNull(const std::string& text) {
    std::string s = vb::Trim(text);
    if (const auto nul = s.find('\0'); nul != std::string::npos)
        s.erase(nul);
    return vb::Trim(s);
}

void ApplyFonts(fonts::Font& containerFont, const std::vector<forms::Control*>& controls,
                const fonts::FontPtr& newFont) {
    if (!newFont)
        return;
    // The container's values from before: the container font may be the
    // same object as a control's, and it changes only at the end.
    const std::string containerName = containerFont.Name();
    const float containerSize = containerFont.Size();

    for (forms::Control* control : controls) {
        if (control == nullptr)
            continue;
        std::string oldName;
        const bool hasFont = TryStep([&] { oldName = control->Font()->Name(); });
        if (hasFont) {
            bool replace = true;
            if (oldName != containerName) {
                // A face of its own from design time: keep it when it can
                // show the new character set.
                TryStep([&] { control->Font()->Charset(newFont->Charset()); });
                TryStep([&] {
                    const fonts::FontPtr font = control->Font();
                    replace = font->Name() != oldName || font->Charset() != newFont->Charset();
                });
            }
            if (replace) {
                TryStep([&] { control->Font()->Name(newFont->Name()); });
                TryStep([&] { control->Font()->Charset(newFont->Charset()); });
                TryStep([&] {
                    const fonts::FontPtr font = control->Font();
                    if (SameSize(font->Size(), containerSize))
                        font->Size(newFont->Size());
                });
            }
        }

        const std::string type = control->TypeName();
        if (type == "PVOutlookBar") {
            TryStep([&] { control->SetFontProperty("Font", newFont); });
        } else if (type == "SSActiveTabs") {
            TryStep([&] { control->SetFontProperty("FontSelectedTab", newFont); });
            TryStep([&] { control->SetFontProperty("Font", newFont); });
        } else if (type == "VSFlexGrid") {
            auto* grid = dynamic_cast<forms::Grid*>(control);
            auto grid_step = [&](auto&& step) {
                TryStep([&] {
                    if (grid == nullptr)
                        throw forms::PropertyNotSupported(type + ".FontName");
                    step();
                });
            };
            grid_step([&] { grid->FontName(newFont->Name()); });
            TryStep([&] { control->Font()->Charset(newFont->Charset()); });
            grid_step([&] { grid->FontSize(newFont->Size()); });
        }
    }

    containerFont.Name(newFont->Name());
    containerFont.Charset(newFont->Charset());
    containerFont.Size(newFont->Size());
}

} // namespace qm6
