#include "FreshThread.h"
#include "common/clsQM6Branding.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace qm6 {
namespace {

namespace fs = std::filesystem;
using pictures::PicturePtr;
using pictures::PictureType;

// Product trees <tree>/bin and <tree>/common: full, colours, none, broken.
const fs::path kTrees = QM6_BRANDING_TREES;

constexpr int32_t kBuiltInMain = 11366423;
constexpr int32_t kBuiltInSub = 6737151;

// Each case starts the thread afresh with the library's folder in a tree.
class BrandingTest : public test::FreshThread {
protected:
    // Starts the thread with the library in <tree>/bin.
    static clsQM6Branding& StartInTree(const fs::path& tree) {
        StartIn((tree / "bin").string());
        return Branding();
    }
    static clsQM6Branding& StartInTree(const char* tree) { return StartInTree(kTrees / tree); }
};

void ExpectPicture(const PicturePtr& picture, PictureType type, int32_t width, int32_t height) {
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Type(), type);
    EXPECT_EQ(picture->Width(), width);
    EXPECT_EQ(picture->Height(), height);
}

// Every text member, with the products 0 to 5.
std::vector<std::string> Texts(const clsQM6Branding& b) {
    std::vector<std::string> texts{b.CompanyName(), b.CompanyNameFull(), b.ProductName(),
                                   b.CompanyURL(), b.ReportFooter()};
    for (int32_t product = 0; product <= 5; ++product)
        texts.push_back(b.ApplicationName(product));
    return texts;
}

// The main and the second report colour.
std::pair<int32_t, int32_t> Colours(const clsQM6Branding& b) {
    return {b.ReportColorMain(), b.ReportColorSub()};
}

// Without a usable library every text is the built-in one, the same as the
// product's own library gives, and there are no pictures.
TEST_F(BrandingTest, WithoutALibraryTheBuiltInValuesAreTheProductsOwn) {
    test::TempDir product;
    fs::create_directories(product.Path() / "bin");
    fs::create_directories(product.Path() / "common");
    fs::copy_file(QM6_PRODUCT_BRANDING, product.Path() / "common" / "qmmark.dll");
    clsQM6Branding& b = StartInTree(product.Path());
    ASSERT_TRUE(b.IsLoaded());
    const std::vector<std::string> texts = Texts(b);
    clsQM6Branding& bare = StartInTree("broken");
    EXPECT_FALSE(bare.IsLoaded());
    EXPECT_EQ(Texts(bare), texts);
    EXPECT_EQ(Colours(bare), std::pair(kBuiltInMain, kBuiltInSub));
    EXPECT_EQ(bare.ReportLogo(), nullptr);
    EXPECT_EQ(bare.ClientIcon(), nullptr);
}

// Texts are trimmed; a missing, empty or blank text gives the built-in one.
TEST_F(BrandingTest, TextsAreTrimmedWithDefaultsAndPicturesAreBitmapsOrIcons) {
    clsQM6Branding& b = StartInTree("full");
    ASSERT_TRUE(b.IsLoaded());
    const std::vector<std::pair<std::string, std::string>> cases = {
        {b.CompanyNameFull(), "Brandco Holdings Ltd."}, // trimmed
        {b.ProductName(), "Quillmeter 6"},              // spaces only
        {b.ApplicationName(2), "Job Desk"},             // missing
        {b.ApplicationName(-1), "Unknown"},
        {b.LoadBrandString(999, "fallback"), "fallback"},
        {b.LoadBrandString(65536 + 101, "fallback"), "Brandco"}, // the id's low 16 bits
    };
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(cases[i].first, cases[i].second) << "case " << i;

    // Pictures are bitmaps or icons of the size asked; any other kind, and a
    // product without a splash screen, give none. Each bitmap <id> of the
    // fixture is (id - 100) x 2 pixels, so the width names the resource taken.
    ExpectPicture(b.SplashScreen(3), PictureType::Bitmap, 3, 2);
    EXPECT_EQ(b.SplashScreen(5), nullptr);
    EXPECT_EQ(b.LoadBrandPicture(103, 2, 0, 0), nullptr);
    ExpectPicture(b.ClientIcon(20, 24), PictureType::Icon, 20, 24);
    const pictures::Image image{2, 1, {0xFF000000u, 0xFFFFFFFFu}};
    EXPECT_EQ(CreatePictureFromHandle(image, kPictureIcon)->Type(), PictureType::Icon);
    EXPECT_EQ(CreatePictureFromHandle(image, 2), nullptr);
}

// Report colours are the library's numbers in any form the runtime reads;
// one that is not a number or does not fit 32 bits gives the built-in colour
// instead of an error. Overrides win until cleared; 0 is no override, so
// black cannot be forced.
TEST_F(BrandingTest, ReportColoursFallBackToTheBuiltInColourAndOverridesWin) {
    EXPECT_EQ(Colours(StartInTree("full")), std::pair(65280, kBuiltInSub)); // " 65280 ", "sky blue"
    clsQM6Branding& b = StartInTree("colours");
    EXPECT_EQ(Colours(b), std::pair(kBuiltInMain, 0xFF8000)); // "4294967296", "&HFF8000"
    b.OverrideReportColors(255, 0, false);
    EXPECT_EQ(Colours(b), std::pair(255, 0xFF8000)); // the library's colour
    b.OverrideReportColors(7, 9, false);
    EXPECT_EQ(Colours(b), std::pair(7, 9));
    b.OverrideReportColors(1, 2, true);
    EXPECT_EQ(Colours(b), std::pair(kBuiltInMain, 0xFF8000));
}

} // namespace
} // namespace qm6
