#include "FreshThread.h"
#include "common/clsQM6Branding.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <tuple>

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

struct Size {
    int32_t width;
    int32_t height;
};

void ExpectPicture(const PicturePtr& picture, PictureType type, Size size,
                   const std::string& what) {
    ASSERT_NE(picture, nullptr) << what;
    EXPECT_EQ(picture->Type(), type) << what;
    EXPECT_EQ(picture->Width(), size.width) << what;
    EXPECT_EQ(picture->Height(), size.height) << what;
    EXPECT_EQ(picture->Pixels().pixels.size(), size_t(size.width) * size_t(size.height)) << what;
}

using Pic = std::function<PicturePtr(const clsQM6Branding&)>;

// Every text member, with the products 0 to 5.
std::vector<std::string> Texts(const clsQM6Branding& b) {
    std::vector<std::string> texts{b.CompanyName(), b.CompanyNameFull(), b.ProductName(),
                                   b.CompanyURL(), b.ReportFooter()};
    for (int32_t product = 0; product <= 5; ++product)
        texts.push_back(b.ApplicationName(product));
    return texts;
}

// Every picture member, and the bitmap the full fixture gives it (0: none).
// Each bitmap <id> of the fixture is (id - 100) x 2 pixels, so the width
// names the resource taken.
const std::vector<std::tuple<const char*, Pic, int32_t>> kPictures = {
    {"SplashScreen 0", [](const clsQM6Branding& b) { return b.SplashScreen(0); }, 0},
    {"SplashScreen 1", [](const clsQM6Branding& b) { return b.SplashScreen(1); }, 104},
    {"SplashScreen 2", [](const clsQM6Branding& b) { return b.SplashScreen(2); }, 105},
    {"SplashScreen 3", [](const clsQM6Branding& b) { return b.SplashScreen(3); }, 103},
    {"SplashScreen 4", [](const clsQM6Branding& b) { return b.SplashScreen(4); }, 116},
    {"SplashScreen 5", [](const clsQM6Branding& b) { return b.SplashScreen(5); }, 0},
    {"ReportLogo", [](const clsQM6Branding& b) { return b.ReportLogo(); }, 114},
    {"WizardPanel", [](const clsQM6Branding& b) { return b.WizardPanel(); }, 117},
    {"AdminHeaderLogo", [](const clsQM6Branding& b) { return b.AdminHeaderLogo(); }, 120},
    {"DBMaintenancePanel", [](const clsQM6Branding& b) { return b.DBMaintenancePanel(); }, 121},
    // Any kind but bitmap and icon.
    {"kind 2", [](const clsQM6Branding& b) { return b.LoadBrandPicture(103, 2, 0, 0); }, 0},
};

// The product's own branding library answers the product's texts and
// pictures of the sizes its consumers lay out; without a usable library
// every text is the same built in, and there are no pictures.
TEST_F(BrandingTest, TheProductsOwnLibraryAndTheBuiltInValuesAgree) {
    test::TempDir product;
    fs::create_directories(product.Path() / "bin");
    fs::create_directories(product.Path() / "common");
    fs::copy_file(QM6_PRODUCT_BRANDING, product.Path() / "common" / "qmmark.dll");
    clsQM6Branding& b = StartInTree(product.Path());
    ASSERT_TRUE(b.IsLoaded());
    const std::vector<std::string> texts = Texts(b);
    EXPECT_EQ(texts[0], "Quillmeter");
    EXPECT_EQ(texts[2], "Quillmeter 6");
    EXPECT_EQ(texts[9], "Batch Join Assistant"); // product 4
    EXPECT_EQ(texts[5], "Unknown");
    EXPECT_EQ(b.ReportColorMain(), kBuiltInMain);
    EXPECT_EQ(b.ReportColorSub(), kBuiltInSub);
    for (int32_t app = 1; app <= 4; ++app)
        ExpectPicture(b.SplashScreen(app), PictureType::Bitmap, {400, 260},
                      "SplashScreen " + std::to_string(app));
    ExpectPicture(b.AdminHeaderLogo(), PictureType::Bitmap, {176, 80}, "AdminHeaderLogo");
    ExpectPicture(b.ReportLogo(), PictureType::Bitmap, {200, 60}, "ReportLogo");
    ExpectPicture(b.WizardPanel(), PictureType::Bitmap, {164, 314}, "WizardPanel");
    ExpectPicture(b.DBMaintenancePanel(), PictureType::Bitmap, {164, 314}, "DBMaintenancePanel");
    ExpectPicture(b.AboutIcon(16, 16), PictureType::Icon, {16, 16}, "AboutIcon");
    // The icons are round: corners clear, centre opaque.
    PicturePtr icon = b.ClientIcon(256, 256);
    ExpectPicture(icon, PictureType::Icon, {256, 256}, "ClientIcon");
    EXPECT_EQ(icon->Pixels().Pixel(0, 0) >> 24, 0u);
    EXPECT_EQ(icon->Pixels().Pixel(128, 128) >> 24, 0xFFu);

    for (const char* tree : {"none", "broken"}) {
        SCOPED_TRACE(tree);
        clsQM6Branding& bare = StartInTree(tree);
        EXPECT_FALSE(bare.IsLoaded());
        EXPECT_EQ(Texts(bare), texts);
        EXPECT_EQ(bare.ReportColorMain(), kBuiltInMain);
        EXPECT_EQ(bare.ReportColorSub(), kBuiltInSub);
        EXPECT_EQ(bare.ReportLogo(), nullptr);
        EXPECT_EQ(bare.ClientIcon(), nullptr);
    }
}

// Texts come from their own ids, trimmed; a missing, empty or blank text
// gives the built-in one.
TEST_F(BrandingTest, TextsComeFromTheirIdsTrimmedWithDefaultsForBlankOrMissing) {
    clsQM6Branding& b = StartInTree("full");
    ASSERT_TRUE(b.IsLoaded());
    const std::vector<std::pair<std::string, std::string>> cases = {
        {b.CompanyName(), "Brandco"},
        {b.CompanyNameFull(), "Brandco Holdings Ltd."}, // trimmed
        {b.ProductName(), "Quillmeter 6"},              // spaces only
        {b.ApplicationName(1), "Brandco Console"},
        {b.ApplicationName(2), "Job Desk"}, // missing
        {b.ApplicationName(3), "Brandco Reports"},
        {b.ApplicationName(4), "Brandco Merge"}, // string 113
        {b.ApplicationName(-1), "Unknown"},
        {b.CompanyURL(), "https://brandco.example/"},
        {b.ReportFooter(), "Brandco Footer"}, // string 114
        {b.LoadBrandString(999, "fallback"), "fallback"},
        {b.LoadBrandString(65536 + 101, "fallback"), "Brandco"}, // the id's low 16 bits
        {b.LoadBrandString(-1, "fallback"), "fallback"},
    };
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(cases[i].first, cases[i].second) << "case " << i;
}

// Each picture member takes its own resource.
TEST_F(BrandingTest, PictureMembersTakeTheirOwnResources) {
    clsQM6Branding& b = StartInTree("full");
    for (const auto& [member, read, id] : kPictures) {
        if (id == 0)
            EXPECT_EQ(read(b), nullptr) << member;
        else
            ExpectPicture(read(b), PictureType::Bitmap, {id - 100, 2}, member);
    }
    // Icons come at the size asked, or with none at the resource's own size
    // (the client icon lists 48, 16 and 32 pixel images, the about icon 24).
    ExpectPicture(b.ClientIcon(), PictureType::Icon, {48, 48}, "ClientIcon()");
    ExpectPicture(b.ClientIcon(20, 24), PictureType::Icon, {20, 24}, "ClientIcon(20, 24)");
    ExpectPicture(b.AboutIcon(), PictureType::Icon, {24, 24}, "AboutIcon()");
    // A picture from an image is of the kind asked, bitmap or icon only.
    pictures::Image image{2, 1, {0xFF000000u, 0xFFFFFFFFu}};
    ExpectPicture(CreatePictureFromHandle(image, kPictureIcon), PictureType::Icon, {2, 1}, "icon");
    EXPECT_EQ(CreatePictureFromHandle(image, 2), nullptr);
}

// Report colours are the library's numbers in any form the runtime reads;
// one that is not a number or does not fit 32 bits gives the built-in colour
// instead of an error.
TEST_F(BrandingTest, ReportColoursFallBackToTheBuiltInColourForBadNumbers) {
    struct Case {
        const char* tree;
        int32_t main;
        int32_t sub;
    } cases[] = {
        {"full", 65280, kBuiltInSub},        // " 65280 ", "sky blue"
        {"colours", kBuiltInMain, 0xFF8000}, // "4294967296", "&HFF8000"
        {"none", kBuiltInMain, kBuiltInSub},
    };
    for (const Case& c : cases) {
        clsQM6Branding& b = StartInTree(c.tree);
        EXPECT_EQ(b.ReportColorMain(), c.main) << c.tree;
        EXPECT_EQ(b.ReportColorSub(), c.sub) << c.tree;
    }
}

// Overrides win until cleared; 0 is no override, so black cannot be forced.
TEST_F(BrandingTest, OverridesWinUntilClearedAndZeroMeansNone) {
    clsQM6Branding& b = StartInTree("colours");
    b.OverrideReportColors(255, 0, false);
    EXPECT_EQ(b.ReportColorMain(), 255);
    EXPECT_EQ(b.ReportColorSub(), 0xFF8000); // the library's colour
    b.OverrideReportColors(7, 9, false);
    EXPECT_EQ(b.ReportColorMain(), 7);
    EXPECT_EQ(b.ReportColorSub(), 9);
    // The thread's object keeps them for every later call.
    EXPECT_EQ(Branding().ReportColorSub(), 9);
    b.OverrideReportColors(1, 2, true);
    EXPECT_EQ(b.ReportColorMain(), kBuiltInMain);
    EXPECT_EQ(b.ReportColorSub(), 0xFF8000);
}

} // namespace
} // namespace qm6
