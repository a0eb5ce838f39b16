#include "common/clsQM6Branding.h"

#include "common/ModuleState.h"
#include "common/Utilities.h"
#include "platform/locale/CodePages.h"
#include "platform/locale/Lcid.h"
#include "platform/resources/LoadString.h"
#include "platform/vb/Conversions.h"
#include "platform/vb/Strings.h"
#include "platform/vb/VbError.h"

#include <utility>

namespace qm6 {
namespace {

// Ids of the branding library's resources.
enum : int32_t {
    kIdCompanyName = 101,
    kIdCompanyNameFull = 102,
    kIdProductName = 103,
    kIdConsoleName = 104,
    kIdJobDeskName = 105,
    kIdUsageReportsName = 106,
    kIdCompanyUrl = 107,
    kIdReportColorMain = 109,
    kIdReportColorSub = 110,
    kIdBatchJoinName = 113,
    kIdReportFooter = 114,

    kIdSplashUsageReports = 103,
    kIdSplashConsole = 104,
    kIdSplashJobDesk = 105,
    kIdReportLogo = 114,
    kIdClientIcon = 115,
    kIdSplashBatchJoin = 116,
    kIdWizardPanel = 117,
    kIdAboutIcon = 118,
    kIdAdminHeaderLogo = 120,
    kIdDBMaintenancePanel = 121,
};

const char* const kDefaultColorMain = "11366423"; // 0xAD7017
const char* const kDefaultColorSub = "6737151";   // 0x66CCFF

// LoadString's buffer: 511 bytes of text and the terminating NUL.
constexpr size_t kStringBufferBytes = 512;

// A colour written as a number in the branding library, or the built-in
// colour when the text does not convert to a 32-bit integer. (Raising here
// would stop whatever asked for a report colour because of a bad branding
// file; a broken entry is treated like a missing one.)
int32_t ColorFromText(const std::string& text, const char* builtIn) {
    try {
        return vb::CLng(vb::Variant(text));
    } catch (const vb::VbError&) {
        return vb::CLng(vb::Variant(std::string(builtIn)));
    }
}

} // namespace

clsQM6Branding::clsQM6Branding() {
    const res::LanguageDefaults languages{
        static_cast<res::LangId>(loc::GetUserDefaultLCID() & 0xFFFF),
        static_cast<res::LangId>(loc::GetSystemDefaultLCID() & 0xFFFF)};
    // A missing or unreadable branding library is not an error: every member
    // has its built-in default.
    auto loaded = res::ResourceLibrary::Load(GetCommonFolder() + "/qmmark.dll", languages);
    if (loaded.library)
        library_ = std::move(loaded.library);
}

// The library is released with the object.
clsQM6Branding::~clsQM6Branding() = default;

std::string clsQM6Branding::LoadBrandString(int32_t id, const std::string& defaultText) const {
    std::string result;
    if (library_) {
        auto loaded = res::LoadString(*library_, static_cast<uint32_t>(id), kStringBufferBytes,
                                      loc::GetACP());
        if (loaded.length > 0)
            result = vb::Trim(loaded.text);
    }
    if (result.empty())
        result = defaultText;
    return result;
}

pictures::PicturePtr clsQM6Branding::LoadBrandPicture(int32_t id, int16_t kind, int32_t width,
                                                      int32_t height) const {
    if (!library_ || id < 0 || id > 0xFFFF)
        return nullptr;
    const res::ResourceId name(static_cast<uint16_t>(id));
    std::optional<pictures::Image> image;
    if (kind == kPictureBitmap)
        image = pictures::LoadBitmapResource(*library_, name, width, height);
    else if (kind == kPictureIcon)
        image = pictures::LoadIconResource(*library_, name, width, height);
    else
        return nullptr;
    if (!image)
        return nullptr;
    return CreatePictureFromHandle(std::move(*image), kind);
}

std::string clsQM6Branding::CompanyName() const {
    return LoadBrandString(kIdCompanyName, "Quillmeter");
}

std::string clsQM6Branding::CompanyNameFull() const {
    return LoadBrandString(kIdCompanyNameFull, "Quillmeter Inc.");
}

std::string clsQM6Branding::ProductName() const {
    return LoadBrandString(kIdProductName, "Quillmeter 6");
}

std::string clsQM6Branding::ApplicationName(int32_t penmProduct) const {
    switch (penmProduct) {
    case 1:
        return LoadBrandString(kIdConsoleName, "Control Center");
    case 2:
        return LoadBrandString(kIdJobDeskName, "Job Desk");
    case 3:
        return LoadBrandString(kIdUsageReportsName, "Usage Reports");
    case 4:
        return LoadBrandString(kIdBatchJoinName, "Batch Join Assistant");
    default:
        return "Unknown";
    }
}

std::string clsQM6Branding::CompanyURL() const {
    return LoadBrandString(kIdCompanyUrl, "https://www.quillmeter.com");
}

pictures::PicturePtr clsQM6Branding::SplashScreen(int32_t penmProduct) const {
    // The splash ids do not follow the product numbers.
    switch (penmProduct) {
    case 1:
        return LoadBrandPicture(kIdSplashConsole, kPictureBitmap, 0, 0);
    case 2:
        return LoadBrandPicture(kIdSplashJobDesk, kPictureBitmap, 0, 0);
    case 3:
        return LoadBrandPicture(kIdSplashUsageReports, kPictureBitmap, 0, 0);
    case 4:
        return LoadBrandPicture(kIdSplashBatchJoin, kPictureBitmap, 0, 0);
    default:
        return nullptr;
    }
}

pictures::PicturePtr clsQM6Branding::AdminHeaderLogo() const {
    return LoadBrandPicture(kIdAdminHeaderLogo, kPictureBitmap, 0, 0);
}

pictures::PicturePtr clsQM6Branding::DBMaintenancePanel() const {
    return LoadBrandPicture(kIdDBMaintenancePanel, kPictureBitmap, 0, 0);
}

int32_t clsQM6Branding::ReportColorMain() const {
    if (mainColorOverride_ != 0)
        return mainColorOverride_;
    return ColorFromText(LoadBrandString(kIdReportColorMain, kDefaultColorMain), kDefaultColorMain);
}

int32_t clsQM6Branding::ReportColorSub() const {
    if (subColorOverride_ != 0)
        return subColorOverride_;
    return ColorFromText(LoadBrandString(kIdReportColorSub, kDefaultColorSub), kDefaultColorSub);
}

pictures::PicturePtr clsQM6Branding::ReportLogo() const {
    return LoadBrandPicture(kIdReportLogo, kPictureBitmap, 0, 0);
}

std::string clsQM6Branding::ReportFooter() const {
    return LoadBrandString(kIdReportFooter, "Quillmeter 6");
}

pictures::PicturePtr clsQM6Branding::WizardPanel() const {
    return LoadBrandPicture(kIdWizardPanel, kPictureBitmap, 0, 0);
}

pictures::PicturePtr clsQM6Branding::ClientIcon(int16_t pintWidth, int16_t pintHeight) const {
    return LoadBrandPicture(kIdClientIcon, kPictureIcon, pintWidth, pintHeight);
}

pictures::PicturePtr clsQM6Branding::AboutIcon(int16_t pintWidth, int16_t pintHeight) const {
    return LoadBrandPicture(kIdAboutIcon, kPictureIcon, pintWidth, pintHeight);
}

void clsQM6Branding::OverrideReportColors(int32_t plngMainColor, int32_t plngSubColor,
                                          bool pblnClear) {
    // 0 means "no override", so overriding with black keeps the branding colour.
    if (pblnClear) {
        mainColorOverride_ = 0;
        subColorOverride_ = 0;
    } else {
        mainColorOverride_ = plngMainColor;
        subColorOverride_ = plngSubColor;
    }
}

clsQM6Branding& Branding() {
    ModuleState& state = State();
    // Start-up makes the object; this only guards a use from inside start-up
    // before its branding step.
    if (!state.branding)
        state.branding = std::make_shared<clsQM6Branding>();
    return *state.branding;
}

pictures::PicturePtr CreatePictureFromHandle(pictures::Image image, int16_t kind) {
    if (kind != kPictureBitmap && kind != kPictureIcon)
        return nullptr;
    return std::make_shared<const pictures::Picture>(static_cast<pictures::PictureType>(kind),
                                                     std::move(image));
}

pictures::PicturePtr PictureFromBytes(std::span<const uint8_t> bytes) {
    return pictures::LoadPicture(bytes);
}

} // namespace qm6
