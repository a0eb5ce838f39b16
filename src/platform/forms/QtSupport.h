#pragma once

// Conversions between the forms package's types and Qt's (inside the
// package only).

#include "platform/fonts/Font.h"

#include <QFont>
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

// The platform's key code for a Qt key (0 for keys it has no code for), and
// back.
int VbKeyCode(int qtKey);
int QtKeyCode(int vbKeyCode);

} // namespace qm6::forms
