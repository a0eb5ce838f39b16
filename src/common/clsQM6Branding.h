#pragma once

// The product's names, web address, pictures, report colours and icons, read
// from the replaceable branding library qmmark.dll in the common folder, with
// a built-in default for every text and colour. One object per thread, made
// at start-up (Branding()); texts and pictures are read anew on every call.

#include "platform/pictures/Picture.h"
#include "platform/resources/ResourceLibrary.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace qm6 {

// Picture kinds of LoadBrandPicture and CreatePictureFromHandle.
enum : int16_t { kPictureBitmap = 1, kPictureIcon = 3 };

class clsQM6Branding {
public:
    // Loads <common folder>/qmmark.dll; without it every member answers its
    // built-in default.
    clsQM6Branding();
    ~clsQM6Branding();
    clsQM6Branding(const clsQM6Branding&) = delete;
    clsQM6Branding& operator=(const clsQM6Branding&) = delete;

    std::string CompanyName() const;
    std::string CompanyNameFull() const;
    std::string ProductName() const;
    // Products: 1 the console, 2 to 4 the other applications; "Unknown" for
    // any other number.
    std::string ApplicationName(int32_t penmProduct) const;
    std::string CompanyURL() const;
    pictures::PicturePtr SplashScreen(int32_t penmProduct) const;
    pictures::PicturePtr AdminHeaderLogo() const;
    pictures::PicturePtr DBMaintenancePanel() const;
    // Colours 0x00BBGGRR.
    int32_t ReportColorMain() const;
    int32_t ReportColorSub() const;
    pictures::PicturePtr ReportLogo() const;
    std::string ReportFooter() const;
    pictures::PicturePtr WizardPanel() const;
    // Icons at pintWidth x pintHeight pixels; 0 x 0: the resource's own size.
    // No picture for a side above pictures::kMaxRequestedSide, which the
    // loader refuses.
    pictures::PicturePtr ClientIcon(int16_t pintWidth = 0, int16_t pintHeight = 0) const;
    pictures::PicturePtr AboutIcon(int16_t pintWidth = 0, int16_t pintHeight = 0) const;
    // Overrides both report colours (0 = no override), or clears both.
    void OverrideReportColors(int32_t plngMainColor, int32_t plngSubColor, bool pblnClear);

    // Whether a branding library was loaded.
    bool IsLoaded() const { return library_.has_value(); }

    // The string resource id, trimmed, or the default when it is missing or
    // empty.
    std::string LoadBrandString(int32_t id, const std::string& defaultText) const;
    // The bitmap (kind 1) or icon (kind 3) resource id at width x height
    // pixels (0 x 0: its own size); nullptr without a library, for another
    // kind, when the resource is missing or malformed, or when the loader
    // refuses the size (pictures::RequestedSizeAllowed).
    pictures::PicturePtr LoadBrandPicture(int32_t id, int16_t kind, int32_t width, int32_t height) const;

private:
    std::optional<res::ResourceLibrary> library_;
    int32_t mainColorOverride_ = 0;
    int32_t subColorOverride_ = 0;
};

// The calling thread's branding object (made by start-up).
clsQM6Branding& Branding();

// A picture of the kind (1 bitmap, 3 icon) that owns the decoded image.
pictures::PicturePtr CreatePictureFromHandle(pictures::Image image, int16_t kind);
// A picture from the bytes of a whole image file, keeping the file's own
// format; nullptr when the bytes are not a picture.
pictures::PicturePtr PictureFromBytes(std::span<const uint8_t> bytes);

} // namespace qm6
