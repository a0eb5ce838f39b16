#include "platform/fonts/FontMapper.h"
#include "platform/fonts/FontconfigRealizer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace qm6::fonts {
namespace {

// A machine with a Latin face, a Greek-and-Latin face, a Japanese face and a
// symbol face.
std::shared_ptr<const FaceTableRealizer> Table() {
    return std::make_shared<const FaceTableRealizer>(std::vector<TableFace>{
        {"MS Sans Serif", {0}},
        {"Arial", {0, 161, 238}},
        {"MS PGothic", {128, 0}},
        {"Wingdings", {2}},
    });
}

class FontRealization : public ::testing::Test {
protected:
    // DEFAULT_CHARSET depends on the user's locale: pin it to US English.
    FontRealization() : lang_("LC_ALL", "en_US.UTF-8") { SetFontRealizer(Table()); }
    ~FontRealization() override { SetFontRealizer(nullptr); }

    test::ScopedEnv lang_;
};

struct MapCase {
    const char* name;
    int16_t charset;
    const char* expectedName;
    int16_t expectedCharset;
};

// Each case realized: the name and set it reads back as.
template <size_t N, class Realize> void ExpectRealized(const MapCase (&cases)[N], Realize realize) {
    for (const MapCase& c : cases) {
        FontDesc asked;
        asked.name = c.name;
        asked.charset = c.charset;
        EXPECT_EQ(realize(asked), std::pair(std::string(c.expectedName), c.expectedCharset))
            << c.name << " / " << c.charset;
    }
}

TEST_F(FontRealization, NameAndCharsetReadBackAsTheMapperRealizesThem) {
    const MapCase cases[] = {
        // An installed face covering the set: kept.
        {"Arial", 161, "Arial", 161},
        // The set wins over the name (and a missing face): the first face covering it.
        {"MS Sans Serif", 128, "MS PGothic", 128},
        // No face covers the set: the face stays with its own set.
        {"MS PGothic", 222, "MS PGothic", 0}, // ANSI first when the face has it
        {"Wingdings", 222, "Wingdings", 2},
        {"Nowhere Sans", 222, "MS Sans Serif", 0},
        // DEFAULT_CHARSET is the user's (US English: ANSI).
        {"Arial", 1, "Arial", 0},
        // A set outside the known ones is not checked; a face keeps its own spelling.
        {"arial", 255, "Arial", 255},
    };
    ExpectRealized(cases, [](const FontDesc& asked) {
        auto font = Font::Create(asked);
        return std::pair{font->Name(), font->Charset()};
    });
}

TEST_F(FontRealization, OrderOfSettingMatters) {
    // Charset first, then a face that lacks it: the face is replaced.
    auto font = Font::Create();
    font->Charset(128);
    font->Name("Arial");
    EXPECT_EQ(font->Name(), "MS PGothic");
}

TEST_F(FontRealization, DefaultCharsetFollowsTheUserLocale) {
    test::ScopedEnv greek("LC_ALL", "el_GR.UTF-8");
    auto font = Font::Create();
    font->Name("Arial");
    font->Charset(1);
    EXPECT_EQ(font->Charset(), 161);
    EXPECT_EQ(font->Name(), "Arial");
}

TEST(DesignedFaces, AMissingDesignedFaceBecomesAFaceWithArialsWidthsThatCoversTheSet) {
    // A free system: DejaVu Sans first (the default and best face), Liberation
    // Sans with Arial's widths.
    const FaceTableRealizer free(
        {{"DejaVu Sans", {0, 161, 204, 238}}, {"Liberation Sans", {0, 161, 204}}});
    const MapCase cases[] = {
        {"MS Sans Serif", 0, "Liberation Sans", 0}, {"tahoma", 161, "Liberation Sans", 161},
        {"Arial", 255, "Liberation Sans", 255},     {"MS Sans Serif", 238, "DejaVu Sans", 238},
        {"Courier New", 0, "DejaVu Sans", 0},
    };
    ExpectRealized(cases, [&free](const FontDesc& asked) {
        const FontDesc got = free.Realize(asked);
        return std::pair{got.name, got.charset};
    });
}

// The faces of this machine. Only fonts-dejavu-core is assumed: DejaVu Sans
// covers Latin, Greek and Cyrillic but no East Asian language.
class Fontconfig : public ::testing::Test {
protected:
    Fontconfig() : lang_("LC_ALL", "en_US.UTF-8") { SetFontRealizer(nullptr); }

    test::ScopedEnv lang_;
    FontconfigRealizer realizer_;
};

TEST_F(Fontconfig, InstalledFaceIsFoundInItsOwnSpelling) {
    EXPECT_EQ(realizer_.FindFace("DejaVu Sans"), "DejaVu Sans");
    EXPECT_EQ(realizer_.FindFace("dejavu sans"), "DejaVu Sans");
    // Fontconfig ignores blanks in family names; the platform does not.
    EXPECT_EQ(realizer_.FindFace("DejaVuSans"), std::nullopt);
    EXPECT_EQ(realizer_.FindFace("Quillmeter Imaginary Grotesk"), std::nullopt);
    for (const auto& [charset, covered] :
         {std::pair{0, true}, {204, true}, {161, true}, {128, false}, {2, false}})
        EXPECT_EQ(realizer_.Covers("DejaVu Sans", int16_t(charset)), covered) << charset;
}

// Whatever is asked for, the realized face is installed and covers the set
// it comes with (DejaVu Sans never stays in Japanese).
TEST_F(Fontconfig, RealizesInstalledFacesThatCoverTheirSet) {
    FontDesc asked;
    for (const char* face : {"DejaVu Sans", "Quillmeter Imaginary Grotesk", "dejavu serif"})
        for (int16_t charset : {0, 128, 204, 2}) {
            asked.name = face;
            asked.charset = charset;
            const FontDesc got = realizer_.Realize(asked);
            EXPECT_EQ(realizer_.FindFace(got.name), got.name);
            EXPECT_TRUE(realizer_.Covers(got.name, got.charset)) << face << " / " << charset;
        }
}

} // namespace
} // namespace qm6::fonts
