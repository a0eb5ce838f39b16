#include "common/Fonts.h"

#include "FreshThread.h"
#include "platform/fonts/FontMapper.h"
#include "platform/forms/Form.h"
#include "platform/forms/Grid.h"
#include "platform/forms/Label.h"
#include "platform/forms/Shape.h"
#include "platform/vb/Conversions.h"

#include <gtest/gtest.h>
#include <optional>

namespace qm6 {
namespace {

using fonts::Font;
using fonts::FontPtr;
using vb::Variant;

const std::string kPGothic = "\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF";

// The faces of a Western machine with a Japanese face installed; none of the
// three usual faces covers Japanese or Thai, and MS Sans Serif covers only
// ANSI.
std::vector<fonts::TableFace> MachineFaces() {
    return {
        {"MS Sans Serif", {0}},
        {"Arial", {0, 161, 162, 177, 178, 186, 204, 238}},
        {"Tahoma", {0, 161, 162, 177, 178, 186, 204, 238, 163}},
        {"Courier New", {0, 161, 204, 238}},
        {"Wingdings", {2}},
        {kPGothic, {128, 0}},
    };
}

// Each case starts a fresh thread state on a hive of its own, with US English
// number characters and the face table above.
class LibraryFontTest : public test::FreshThread {
protected:
    LibraryFontTest() {
        vb::ResetNumberChars();
        fonts::SetFontRealizer(std::make_shared<const fonts::FaceTableRealizer>(MachineFaces()));
        ResetModuleState();
    }
    ~LibraryFontTest() override {
        fonts::SetFontRealizer(nullptr);
        vb::ResetNumberChars();
    }

    test::ScopedEnv system_{"QM6_SYSTEM_LOCALE", "1033"};
};

struct Expected {
    std::string name;
    int16_t charset;
    float size;
};

void ExpectFont(const FontPtr& font, const Expected& e) {
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->Name(), e.name);
    EXPECT_EQ(font->Charset(), e.charset);
    EXPECT_FLOAT_EQ(font->Size(), e.size);
}

// Without a face name stored, the font is the system locale's; each row
// after those stores all three settings, and an empty text is as good as none.
TEST_F(LibraryFontTest, SettingsWithDefaultsAndUnusableValuesOrTheSystemLocalesFont) {
    struct Case {
        const char* label;
        Variant charset, size;
        std::optional<Expected> expected; // nullopt: no library font
        const char* name = "Courier New"; // nullptr: nothing stored
        const char* systemLocale = "1033";
    };
    const int16_t newFontCharset = Font::Create()->Charset();
    const std::string cn = "Courier New";
    const Variant none("");
    // clang-format off
    const Case cases[] = {
        {"1252", none, none, Expected{"MS Sans Serif", 0, 8}, nullptr, "1033"},
        {"1251: MS Sans Serif lacks it", none, none, Expected{"Arial", 204, 8}, nullptr, "1049"},
        {"932", none, none, Expected{kPGothic, 128, 9}, nullptr, "1041"},
        {"874, no Thai face", none, none, Expected{"Arial", newFontCharset, 8}, nullptr, "1054"},
        {"Hindi: no ANSI code page", none, none, std::nullopt, nullptr, "1081"},
        {"name alone", none, none, Expected{cn, 0, 8}},
        {"half up to even", none, Variant("11.5"), Expected{cn, 0, 12}},
        {"numbers as DWORDs", Variant(int32_t(161)), Variant(int32_t(14)), Expected{cn, 161, 14}},
        {"outside 16 bits", Variant("70000"), Variant("40000"), Expected{cn, 0, 8}},
        {"charset above a byte, size zero", Variant("300"), Variant("0"), Expected{cn, 0, 8}},
        {"negative", Variant("-1"), Variant("-9"), Expected{cn, 0, 8}},
        // Charset goes in before the name: a face that lacks it is replaced
        // by the font object, as the platform's would.
        {"a face without the charset", Variant("204"), none, Expected{"Arial", 204, 8}, "MS Sans Serif"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        test::ScopedEnv system("QM6_SYSTEM_LOCALE", c.systemLocale);
        if (c.name)
            for (const auto& [name, value] : {std::pair{"FontName", Variant(c.name)},
                                              {"FontCharSet", c.charset},
                                              {"FontSize", c.size}})
                Store("Software\\Quillmeter 6\\Font", name, value,
                      value.IsString() ? reg::REG_SZ : reg::REG_DWORD);
        ResetModuleState();
        if (c.expected)
            ExpectFont(LibraryFont(), *c.expected);
        else
            EXPECT_EQ(LibraryFont(), nullptr);
    }
}

TEST(StripAtNull, TrimsAndCutsAtTheFirstNul) {
    using namespace std::string_literals;
    EXPECT_EQ(StripAtNull(" 874 \0 1252 \0"s), "874");
    EXPECT_EQ(StripAtNull("\0 1252"s), "");
}

// A new font object of the table's realization.
FontPtr Make(const std::string& name, float size, int16_t charset = 0) {
    return Font::Create({.name = name, .size = size, .charset = charset});
}

// One form with a control of each kind ApplyFonts treats apart. The first
// control shares the container's font object, so the container font changes
// during the walk; the others must still be compared with its values from
// before. A control without a font is skipped.
TEST_F(LibraryFontTest, ApplyFontsMovesControlsToTheNewFont) {
    const FontPtr newFont = Make("Arial", 9, 161);
    forms::Form form("frmTest");
    const float containerSize = form.Font()->Size();
    auto& shared = form.Add<forms::Label>("lblShared");
    shared.Font(form.Font());
    form.Add<forms::Shape>("shpLine");
    auto& larger = form.Add<forms::Label>("lblLarger");
    larger.Font(Make("MS Sans Serif", 12));
    auto& symbol = form.Add<forms::Label>("lblSymbol");
    symbol.Font(Make("Wingdings", containerSize, 2));
    // A face of its own that covers the new set keeps face and size.
    auto& ownFace = form.Add<forms::Label>("lblOwnFace");
    ownFace.Font(Make("Courier New", containerSize));
    auto& grid = form.Add<forms::Grid>("grdList");
    grid.Font(Make("MS Sans Serif", 12));

    // A thread without a library font passes none: nothing changes.
    ApplyFonts(*form.Font(), form.Controls(), nullptr);
    ExpectFont(ownFace.Font(), {"Courier New", 0, containerSize});
    EXPECT_EQ(form.Font()->Name(), "MS Sans Serif");

    ApplyFonts(*form.Font(), form.Controls(), newFont);

    ExpectFont(shared.Font(), {"Arial", 161, 9});
    ExpectFont(larger.Font(), {"Arial", 161, 12});
    ExpectFont(symbol.Font(), {"Arial", 161, 9});
    ExpectFont(ownFace.Font(), {"Courier New", 161, containerSize});
    // The grid's own font name and size are set after steps that kept 12.
    ExpectFont(grid.Font(), {"Arial", 161, 9});
    EXPECT_NE(grid.Font(), newFont);
    ExpectFont(form.Font(), {"Arial", 161, 9});
    EXPECT_NE(form.Font(), newFont);
}

} // namespace
} // namespace qm6
