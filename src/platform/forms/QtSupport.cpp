#include "platform/forms/QtSupport.h"

#include <algorithm>

namespace qm6::forms {

QFont ToQFont(const fonts::Font* font) {
    const fonts::FontDesc desc = font ? font->Desc() : fonts::FontDesc{};
    QFont q(ToQ(desc.name));
    if (desc.size > 0)
        q.setPointSizeF(desc.size);
    // Qt's weights use the same 1..1000 scale as the platform's (400 normal, 700 bold).
    q.setWeight(static_cast<QFont::Weight>(std::clamp<int>(desc.weight, 1, 1000)));
    q.setItalic(desc.italic);
    q.setUnderline(desc.underline);
    q.setStrikeOut(desc.strikethrough);
    return q;
}

QColor ToQColor(uint32_t color, const QPalette& palette) {
    if ((color & 0xFF000000u) == 0x80000000u) {
        switch (color & 0xFFu) {
        case 5: return palette.color(QPalette::Base);                         // window background
        case 8: return palette.color(QPalette::WindowText);                   // window text
        case 15: return palette.color(QPalette::Button);                      // button face
        case 16: return palette.color(QPalette::Dark);                        // button shadow
        case 17: return palette.color(QPalette::Disabled, QPalette::Text);    // grey text
        case 18: return palette.color(QPalette::ButtonText);                  // button text
        case 20: return palette.color(QPalette::Light);                       // button highlight
        default: return palette.color(QPalette::WindowText);
        }
    }
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

namespace {
struct KeyPair {
    int qt;
    int vb;
};
constexpr KeyPair kKeys[] = {
    {Qt::Key_Backspace, 8},  {Qt::Key_Tab, 9},      {Qt::Key_Backtab, 9},   {Qt::Key_Return, 13},
    {Qt::Key_Enter, 13},     {Qt::Key_Shift, 16},   {Qt::Key_Control, 17},  {Qt::Key_Alt, 18},
    {Qt::Key_Pause, 19},     {Qt::Key_Escape, 27},  {Qt::Key_Space, 32},    {Qt::Key_PageUp, 33},
    {Qt::Key_PageDown, 34},  {Qt::Key_End, 35},     {Qt::Key_Home, 36},     {Qt::Key_Left, 37},
    {Qt::Key_Up, 38},        {Qt::Key_Right, 39},   {Qt::Key_Down, 40},     {Qt::Key_Insert, 45},
    {Qt::Key_Delete, 46},    {Qt::Key_Comma, 188},  {Qt::Key_Minus, 189},   {Qt::Key_Period, 190},
};
} // namespace

int VbKeyCode(int qtKey) {
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
        return qtKey; // the same codes on both sides
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F16)
        return 112 + (qtKey - Qt::Key_F1);
    for (const KeyPair& k : kKeys)
        if (k.qt == qtKey)
            return k.vb;
    return 0;
}

int QtKeyCode(int vbKeyCode) {
    if ((vbKeyCode >= '0' && vbKeyCode <= '9') || (vbKeyCode >= 'A' && vbKeyCode <= 'Z'))
        return vbKeyCode;
    if (vbKeyCode >= 'a' && vbKeyCode <= 'z')
        return vbKeyCode - 'a' + 'A';
    if (vbKeyCode >= 112 && vbKeyCode <= 127)
        return Qt::Key_F1 + (vbKeyCode - 112);
    for (const KeyPair& k : kKeys)
        if (k.vb == vbKeyCode)
            return k.qt;
    return Qt::Key_unknown;
}

int QtKeyForChar(int character) {
    switch (character) {
    case 8: return Qt::Key_Backspace;
    case 9: return Qt::Key_Tab;
    case 13: return Qt::Key_Return;
    case 27: return Qt::Key_Escape;
    default: break;
    }
    if (character >= 'a' && character <= 'z')
        return character - 'a' + 'A';
    // Qt's keys of the other printable ASCII characters are their codes.
    if (character >= 0x20 && character < 0x7f)
        return character;
    return Qt::Key_unknown;
}

} // namespace qm6::forms
