#include "common/QM6AdminCommonGlobal.h"

#include "common/MessageBox.h"
#include "common/clsQM6Branding.h"
#include "dialogs/frmIdiotBox.h"
#include "platform/forms/Host.h"
#include "resources/OwnResources.h"

#include <memory>

namespace qm6 {
namespace {
constexpr int32_t kConsole = 1;
}

std::string QM6AdminCommonGlobal::ProductName() const {
    return Branding().ProductName();
}

std::string QM6AdminCommonGlobal::ApplicationName() const {
    return Branding().ApplicationName(kConsole);
}

std::string QM6AdminCommonGlobal::CompanyName() const {
    return Branding().CompanyName();
}

pictures::PicturePtr QM6AdminCommonGlobal::SplashScreen() const {
    return Branding().SplashScreen(kConsole);
}

pictures::PicturePtr QM6AdminCommonGlobal::AdminHeaderLogo() const {
    if (pictures::PicturePtr logo = Branding().AdminHeaderLogo())
        return logo;
    return BuiltInHeaderLogo();
}

pictures::PicturePtr BuiltInHeaderLogo() {
    const res::ResourceLibrary* own = OwnResources();
    if (!own)
        return nullptr;
    const std::optional<res::Resource> jpeg = own->Find(res::ResourceId(kAdminHeadType), res::ResourceId(kAdminHeadId));
    if (!jpeg)
        return nullptr;
    return PictureFromBytes(jpeg->data);
}

bool QM6AdminCommonGlobal::UseAlphaIconsFor(const sys::OSVersionInfo& version, int bitsPerPixel) {
    const bool recentEnough =
        version.majorVersion > 5 || (version.majorVersion == 5 && version.minorVersion > 0);
    return recentEnough && bitsPerPixel >= 32;
}

bool QM6AdminCommonGlobal::UseAlphaIcons() const {
    return UseAlphaIconsFor(sys::GetOSVersionInfo(), GetDisplayBitsPerPixel());
}

int GetDisplayBitsPerPixel() {
    forms::Host* host = forms::AvailableHost();
    return host ? host->DisplayBitsPerPixel() : 0;
}

void QM6AdminCommonGlobal::DisplayMessage(const std::string& pstrMessage, int32_t pintOption) const {
    ShowMessageBox(pstrMessage, pintOption == -1 ? kDefaultMessageStyle : pintOption, Branding().ProductName());
}

int32_t QM6AdminCommonGlobal::DisplayYesNoMessage(const std::string& pstrMessage, int32_t pintOption) const {
    return ShowMessageBox(pstrMessage, pintOption == -1 ? kDefaultYesNoStyle : pintOption,
                          Branding().ProductName());
}

bool QM6AdminCommonGlobal::ShowIdiotBox(const std::string& pstrMesg, const std::string& pstrSectionKey,
                                        const std::string& pstrRegKey, int32_t plngHelpId,
                                        const std::string& pstrCheckDisplay, bool pblnShowCancel) const {
    if (!forms::WidgetsAvailable()) {
        // No window can be made: the stored choice still holds, and a box
        // that would show is answered as any box that cannot be shown (OK
        // only when it has no Cancel), storing nothing.
        if (!frmIdiotBox::ReadShowSetting(pstrSectionKey, pstrRegKey))
            return true;
        return ShowMessageBox(pstrMesg, pblnShowCancel ? vbOKCancel : vbOKOnly, Branding().ProductName()) == vbOK;
    }
    auto box = std::make_unique<frmIdiotBox>();
    return box->CheckAndShowIdiotBox(pstrMesg, pstrSectionKey, pstrRegKey, plngHelpId, pstrCheckDisplay,
                                     pblnShowCancel);
}

} // namespace qm6
