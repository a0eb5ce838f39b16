#include "common/clsQM6Branding.h"

#include "common/ModuleState.h"
#include "platform/registry/Registry.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <thread>

namespace qm6 {
namespace {

namespace fs = std::filesystem;
using pictures::PicturePtr;
using pictures::PictureType;

// Product trees <tree>/bin and <tree>/common: full, colours, none, broken.
const fs::path kTrees = QM6_BRANDING_TREES;

constexpr int32_t kBuiltInMain = 11366423;
constexpr int32_t kBuiltInSub = 6737151;

// Each case starts the thread afresh with the library's folder in a tree,
// with a hive of its own.
class BrandingTest : public ::testing::Test {
protected:
    BrandingTest()
        : registry_("QM6_REGISTRY_DIR", (hive_.Path() / "registry").string()),
          lang_("LANG", "en_US.UTF-8"), lcAll_("LC_ALL", std::nullopt) {}
    ~BrandingTest() override {
        ResetModuleState();
        SetModuleFolder("");
        reg::CloseThreadConnections();
    }

    // Starts the thread with the library in <tree>/bin.
    clsQM6Branding& StartIn(const fs::path& tree) {
        SetModuleFolder((tree / "bin").string());
        reg::CloseThreadConnections();
        ResetModuleState();
        return Branding();
    }
    clsQM6Branding& StartIn(const char* tree) { return StartIn(kTrees / tree); }

    test::TempDir hive_;
    test::ScopedEnv registry_, lang_, lcAll_;
};

struct Size {
    int32_t width;
    int32_t height;
};

void ExpectPicture(const PicturePtr& picture, PictureType type, Size size, const std::string& what) {
    ASSERT_NE(picture, nullptr) << what;
    EXPECT_EQ(picture->Type(), type) << what;
    EXPECT_EQ(picture->Width(), size.width) << what;
    EXPECT_EQ(picture->Height(), size.height) << what;
    EXPECT_EQ(picture->Pixels().pixels.size(), size_t(size.width) * size_t(size.height)) << what;
}

// Without a usable branding library every member answers its built-in value.
TEST_F(BrandingTest, WithoutAUsableLibraryEveryMemberAnswersItsDefault) {
    for (const char* tree : {"none", "broken"}) {
        SCOPED_TRACE(tree);
        clsQM6Branding& b = StartIn(tree);
        EXPECT_FALSE(b.IsLoaded());
        EXPECT_EQ(b.CompanyName(), "Quillmeter");
        EXPECT_EQ(b.CompanyNameFull(), "Quillmeter Inc.");
        EXPECT_EQ(b.ProductName(), "Quillmeter 6");
        EXPECT_EQ(b.ApplicationName(1), "Control Center");
        EXPECT_EQ(b.ApplicationName(2), "Job Desk");
        EXPECT_EQ(b.ApplicationName(3), "Usage Reports");
        EXPECT_EQ(b.ApplicationName(4), "Batch Join Assistant");
        EXPECT_EQ(b.ApplicationName(0), "Unknown");
        EXPECT_EQ(b.ApplicationName(5), "Unknown");
        EXPECT_EQ(b.CompanyURL(), "https://www.quillmeter.com");
        EXPECT_EQ(b.ReportFooter(), "Quillmeter 6");
        EXPECT_EQ(b.ReportColorMain(), kBuiltInMain);
        EXPECT_EQ(b.ReportColorSub(), kBuiltInSub);
        for (int32_t product = 0; product <= 5; ++product)
            EXPECT_EQ(b.SplashScreen(product), nullptr) << product;
        EXPECT_EQ(b.AdminHeaderLogo(), nullptr);
        EXPECT_EQ(b.DBMaintenancePanel(), nullptr);
        EXPECT_EQ(b.ReportLogo(), nullptr);
        EXPECT_EQ(b.WizardPanel(), nullptr);
        EXPECT_EQ(b.ClientIcon(), nullptr);
        EXPECT_EQ(b.ClientIcon(16, 16), nullptr);
        EXPECT_EQ(b.AboutIcon(), nullptr);
    }
}

// Texts come from their own ids, trimmed; a missing, empty or blank text
// gives the built-in one.
TEST_F(BrandingTest, TextsComeFromTheirIdsTrimmedWithDefaultsForBlankOrMissing) {
    clsQM6Branding& b = StartIn("full");
    ASSERT_TRUE(b.IsLoaded());
    struct Case {
        const char* member;
        std::function<std::string()> read;
        const char* expected;
    } cases[] = {
        {"CompanyName", [&] { return b.CompanyName(); }, "Brandco"},
        {"CompanyNameFull (trimmed)", [&] { return b.CompanyNameFull(); }, "Brandco Holdings Ltd."},
        {"ProductName (spaces only)", [&] { return b.ProductName(); }, "Quillmeter 6"},
        {"ApplicationName 1", [&] { return b.ApplicationName(1); }, "Brandco Console"},
        {"ApplicationName 2 (missing)", [&] { return b.ApplicationName(2); }, "Job Desk"},
        {"ApplicationName 3", [&] { return b.ApplicationName(3); }, "Brandco Reports"},
        {"ApplicationName 4 (string 113)", [&] { return b.ApplicationName(4); }, "Brandco Merge"},
        {"ApplicationName 0", [&] { return b.ApplicationName(0); }, "Unknown"},
        {"ApplicationName -1", [&] { return b.ApplicationName(-1); }, "Unknown"},
        {"CompanyURL", [&] { return b.CompanyURL(); }, "https://brandco.example/"},
        {"ReportFooter (string 114)", [&] { return b.ReportFooter(); }, "Brandco Footer"},
        {"LoadBrandString of a missing id", [&] { return b.LoadBrandString(999, "fallback"); },
         "fallback"},
        {"LoadBrandString of an id above 65535",
         [&] { return b.LoadBrandString(65536 + 101, "fallback"); }, "fallback"},
        {"LoadBrandString of a negative id", [&] { return b.LoadBrandString(-1, "fallback"); },
         "fallback"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.read(), c.expected) << c.member;
}

// Each picture member takes its own resource; the fixture's bitmap <id> is
// (id - 100) x 2 pixels, so the width names the resource taken.
TEST_F(BrandingTest, PictureMembersTakeTheirOwnResources) {
    clsQM6Branding& b = StartIn("full");
    struct Case {
        const char* member;
        std::function<PicturePtr()> read;
        int32_t bitmapId; // 0: no picture
    } cases[] = {
        {"SplashScreen 1", [&] { return b.SplashScreen(1); }, 104},
        {"SplashScreen 2", [&] { return b.SplashScreen(2); }, 105},
        {"SplashScreen 3", [&] { return b.SplashScreen(3); }, 103},
        {"SplashScreen 4", [&] { return b.SplashScreen(4); }, 116},
        {"SplashScreen 5", [&] { return b.SplashScreen(5); }, 0},
        {"SplashScreen 0", [&] { return b.SplashScreen(0); }, 0},
        {"ReportLogo", [&] { return b.ReportLogo(); }, 114},
        {"WizardPanel", [&] { return b.WizardPanel(); }, 117},
        {"AdminHeaderLogo", [&] { return b.AdminHeaderLogo(); }, 120},
        {"DBMaintenancePanel", [&] { return b.DBMaintenancePanel(); }, 121},
        // Any kind but bitmap and icon, or a resource of the other kind.
        {"kind 2", [&] { return b.LoadBrandPicture(103, 2, 0, 0); }, 0},
        {"kind 0", [&] { return b.LoadBrandPicture(103, 0, 0, 0); }, 0},
        {"icon id as bitmap", [&] { return b.LoadBrandPicture(115, kPictureBitmap, 0, 0); }, 0},
        {"bitmap id as icon", [&] { return b.LoadBrandPicture(103, kPictureIcon, 0, 0); }, 0},
        {"missing id", [&] { return b.LoadBrandPicture(999, kPictureBitmap, 0, 0); }, 0},
    };
    for (const Case& c : cases) {
        PicturePtr picture = c.read();
        if (c.bitmapId == 0)
            EXPECT_EQ(picture, nullptr) << c.member;
        else
            ExpectPicture(picture, PictureType::Bitmap, {c.bitmapId - 100, 2}, c.member);
    }
    // Every call loads a copy of its own.
    EXPECT_NE(b.ReportLogo(), b.ReportLogo());
}

// Icons come at the size asked; with no size, at the resource's own size
// (the fixture's client icon lists 48, 16 and 32 pixel images, its about
// icon one of 24).
TEST_F(BrandingTest, IconsComeAtTheSizeAskedOrTheirOwnSize) {
    clsQM6Branding& b = StartIn("full");
    struct Case {
        const char* member;
        std::function<PicturePtr()> read;
        Size size;
    } cases[] = {
        {"ClientIcon()", [&] { return b.ClientIcon(); }, {48, 48}},
        {"ClientIcon(16, 16)", [&] { return b.ClientIcon(16, 16); }, {16, 16}},
        {"ClientIcon(32, 32)", [&] { return b.ClientIcon(32, 32); }, {32, 32}},
        {"ClientIcon(48, 48)", [&] { return b.ClientIcon(48, 48); }, {48, 48}},
        {"ClientIcon(20, 24) stretched", [&] { return b.ClientIcon(20, 24); }, {20, 24}},
        {"AboutIcon()", [&] { return b.AboutIcon(); }, {24, 24}},
        {"AboutIcon(16, 16)", [&] { return b.AboutIcon(16, 16); }, {16, 16}},
    };
    for (const Case& c : cases)
        ExpectPicture(c.read(), PictureType::Icon, c.size, c.member);
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
        {"full", 65280, kBuiltInSub},            // " 65280 ", "sky blue"
        {"colours", kBuiltInMain, 0xFF8000},     // "4294967296", "&HFF8000"
        {"none", kBuiltInMain, kBuiltInSub},
    };
    for (const Case& c : cases) {
        clsQM6Branding& b = StartIn(c.tree);
        EXPECT_EQ(b.ReportColorMain(), c.main) << c.tree;
        EXPECT_EQ(b.ReportColorSub(), c.sub) << c.tree;
    }
}

// Overrides win until cleared; 0 is no override, so black cannot be forced.
TEST_F(BrandingTest, OverridesWinUntilClearedAndZeroMeansNone) {
    clsQM6Branding& b = StartIn("colours");
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

// Start-up makes one branding object per thread, with the library of the
// common folder found by walking up from the library's own folder.
TEST_F(BrandingTest, StartUpMakesOneBrandingObjectPerThread) {
    SetModuleFolder((kTrees / "full" / "bin").string());
    ResetModuleState();
    ModuleState& state = State();
    ASSERT_NE(state.branding, nullptr);
    EXPECT_TRUE(state.branding->IsLoaded());
    EXPECT_EQ(&Branding(), state.branding.get());
    EXPECT_EQ(Branding().CompanyName(), "Brandco");

    const clsQM6Branding* other = nullptr;
    std::string otherName;
    std::thread([&] {
        other = State().branding.get();
        otherName = Branding().CompanyName();
        reg::CloseThreadConnections();
        ResetModuleState();
    }).join();
    EXPECT_NE(other, state.branding.get());
    EXPECT_EQ(otherName, "Brandco");

    // A library folder deeper in the tree walks up to the same common folder.
    SetModuleFolder((kTrees / "full" / "bin" / "plugins" / "x").string());
    ResetModuleState();
    EXPECT_EQ(Branding().CompanyName(), "Brandco");
}

// The product's own branding library answers the product's texts and
// pictures of the sizes its consumers lay out.
TEST_F(BrandingTest, TheProductsOwnLibraryHoldsEveryMember) {
    test::TempDir product;
    fs::create_directories(product.Path() / "bin");
    fs::create_directories(product.Path() / "common");
    fs::copy_file(QM6_PRODUCT_BRANDING, product.Path() / "common" / "qmmark.dll");
    clsQM6Branding& b = StartIn(product.Path());
    ASSERT_TRUE(b.IsLoaded());
    EXPECT_EQ(b.CompanyName(), "Quillmeter");
    EXPECT_EQ(b.CompanyNameFull(), "Quillmeter Inc.");
    EXPECT_EQ(b.ProductName(), "Quillmeter 6");
    EXPECT_EQ(b.ApplicationName(4), "Batch Join Assistant");
    EXPECT_EQ(b.CompanyURL(), "https://www.quillmeter.com");
    EXPECT_EQ(b.ReportColorMain(), kBuiltInMain);
    EXPECT_EQ(b.ReportColorSub(), kBuiltInSub);
    for (int32_t app = 1; app <= 4; ++app)
        ExpectPicture(b.SplashScreen(app), PictureType::Bitmap, {400, 260},
                      "SplashScreen " + std::to_string(app));
    ExpectPicture(b.AdminHeaderLogo(), PictureType::Bitmap, {176, 80}, "AdminHeaderLogo");
    ExpectPicture(b.ReportLogo(), PictureType::Bitmap, {200, 60}, "ReportLogo");
    ExpectPicture(b.WizardPanel(), PictureType::Bitmap, {164, 314}, "WizardPanel");
    ExpectPicture(b.DBMaintenancePanel(), PictureType::Bitmap, {164, 314}, "DBMaintenancePanel");
    for (int16_t size : {16, 32, 48, 256}) {
        ExpectPicture(b.ClientIcon(size, size), PictureType::Icon, {size, size},
                      "ClientIcon " + std::to_string(size));
        ExpectPicture(b.AboutIcon(size, size), PictureType::Icon, {size, size},
                      "AboutIcon " + std::to_string(size));
    }
    // The icons are round: corners clear, centre opaque.
    PicturePtr icon = b.ClientIcon(256, 256);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->Pixels().Pixel(0, 0) >> 24, 0u);
    EXPECT_EQ(icon->Pixels().Pixel(128, 128) >> 24, 0xFFu);
}

// Pictures from the bytes of an image file keep the file; anything else
// answers none. A picture from a handle is of the kind asked.
TEST_F(BrandingTest, PicturesFromBytesAndFromHandles) {
    const std::string file = test::ReadFile(fs::path(QM6_BRANDING_FIXTURE_SRC) / "104.bmp");
    const std::vector<uint8_t> bytes(file.begin(), file.end());
    PicturePtr picture = PictureFromBytes(bytes);
    ExpectPicture(picture, PictureType::Bitmap, {4, 2}, "104.bmp");
    EXPECT_EQ(picture->SourceFile(), bytes);
    const std::vector<uint8_t> text{'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
    EXPECT_EQ(PictureFromBytes(text), nullptr);
    EXPECT_EQ(PictureFromBytes({}), nullptr);

    pictures::Image image{2, 1, {0xFF000000u, 0xFFFFFFFFu}};
    ExpectPicture(CreatePictureFromHandle(image, kPictureIcon), PictureType::Icon, {2, 1}, "icon");
    ExpectPicture(CreatePictureFromHandle(image, kPictureBitmap), PictureType::Bitmap, {2, 1},
                  "bitmap");
    EXPECT_EQ(CreatePictureFromHandle(image, 2), nullptr);
}

} // namespace
} // namespace qm6
