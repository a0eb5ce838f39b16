#pragma once

// The library font: one user-interface font per thread, chosen at start-up so
// that the library's dialogs show text in a face that can display the user's
// character set; and ApplyFonts, which moves a form's or user control's
// controls from their design-time font to another font.
//
// A user can force the face, character set and size under HKEY_CURRENT_USER
// "Software\Quillmeter 6\Font" (values FontName, FontCharSet, FontSize);
// otherwise the face is chosen from the system's ANSI code page.

#include "platform/fonts/Font.h"

#include <string>
#include <vector>

namespace qm6 {
namespace forms {
class Control;
}

// Builds the calling thread's library font (the first step of start-up).
void InitFonts();
// The calling thread's library font; nullptr when none could be chosen.
fonts::FontPtr LibraryFont();

// The font for the system's ANSI code page, or nullptr when the code page or
// its character set is unknown.
fonts::FontPtr ChooseLocaleFont();

// The text trimmed of spaces, cut before its first NUL, and trimmed again.
std::string StripAtNull(const std::string& text);

// Moves the controls from the container's font to newFont (nothing when it is
// nullptr). containerFont is the form's or user control's own font object; it
// takes newFont's name, character set and size at the end. A failure on one
// control is skipped and the others are still updated.
void ApplyFonts(fonts::Font& containerFont, const std::vector<forms::Control*>& controls,
                const fonts::FontPtr& newFont);

} // namespace qm6
