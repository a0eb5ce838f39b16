#pragma once

// The platform's Screen object: the size of a pixel in twips and the mouse
// pointer shown over every window of the application.

#include <cstdint>

namespace qm6::forms {

enum : int { vbDefault = 0, vbArrow = 1, vbHourglass = 11 };

class Screen {
public:
    // Twips per pixel of the primary screen: 1440 / its logical dots per
    // inch (15 at 96 dpi, also without a screen).
    static int32_t TwipsPerPixelX();
    static int32_t TwipsPerPixelY();

    // The application-wide mouse pointer: vbDefault lets each control show
    // its own, vbArrow and vbHourglass override it (others show the arrow).
    static int MousePointer();
    static void MousePointer(int pointer);

    // Conversions used by the controls (rounded to the nearest pixel).
    static int ToPixelsX(int32_t twips);
    static int ToPixelsY(int32_t twips);
    static int32_t ToTwipsX(int pixels);
    static int32_t ToTwipsY(int pixels);

    // A size kept in twips reads back exactly as set while the widget still
    // has the pixels it was given; once the user (or the layout) changed them,
    // the widget's pixels count.
    static int32_t KeptOrActualX(int32_t keptTwips, int pixels);
    static int32_t KeptOrActualY(int32_t keptTwips, int pixels);
};

// Keeps the mouse pointer of its creation and puts it back when it goes,
// however the code between ends (a modal dialog switches the pointer to the
// arrow while it is shown).
class SavedMousePointer {
public:
    SavedMousePointer() : saved_(Screen::MousePointer()) {}
    ~SavedMousePointer() { Screen::MousePointer(saved_); }
    SavedMousePointer(const SavedMousePointer&) = delete;
    SavedMousePointer& operator=(const SavedMousePointer&) = delete;

private:
    int saved_;
};

} // namespace qm6::forms
