#pragma once

// Conversions between the forms package's types and Qt's (inside the
// package only).

#include "platform/fonts/Font.h"

#include <QColor>
#include <QFont>
#include <QPalette>

#include <cstdint>
#include <QString>

#include <string>

namespace qm6::forms {

inline QString ToQ(const std::string& s) {
    return QString::fromStdString(s);
}
inline std::string FromQ(const QString& s) {
    return s.toStdString();
}

QFont ToQFont(const fonts::Font* font);

// The Qt colour of a platform colour 0x00BBGGRR, or of a system colour
// 0x800000nn taken from the palette's matching role.
QColor ToQColor(uint32_t color, const QPalette& palette);

// The platform's key code for a Qt key (0 for keys it has no code for), and
// back.
int VbKeyCode(int qtKey);
int QtKeyCode(int vbKeyCode);
// The Qt key that types a character (Qt::Key_unknown for one without a key).
int QtKeyForChar(int character);

} // namespace qm6::forms
