#include "platform/forms/Screen.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace qm6::forms {
namespace {
thread_local int tPointer = vbDefault;

int32_t TwipsPerPixel(bool vertical) {
    const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                ? QGuiApplication::primaryScreen()
                                : nullptr;
    const double dpi =
        screen ? (vertical ? screen->logicalDotsPerInchY() : screen->logicalDotsPerInchX()) : 96.0;
    if (dpi <= 0)
        return 15;
    return static_cast<int32_t>(std::lround(1440.0 / dpi));
}
} // namespace

int32_t Screen::TwipsPerPixelX() {
    return TwipsPerPixel(false);
}

int32_t Screen::TwipsPerPixelY() {
    return TwipsPerPixel(true);
}

int Screen::MousePointer() {
    return tPointer;
}

void Screen::MousePointer(int pointer) {
    const bool hadOverride = tPointer != vbDefault;
    tPointer = pointer;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    if (hadOverride)
        QApplication::restoreOverrideCursor();
    if (pointer != vbDefault)
        QApplication::setOverrideCursor(QCursor(pointer == vbHourglass ? Qt::WaitCursor : Qt::ArrowCursor));
}

int Screen::ToPixelsX(int32_t twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / TwipsPerPixelX()));
}

int Screen::ToPixelsY(int32_t twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / TwipsPerPixelY()));
}

int32_t Screen::ToTwipsX(int pixels) {
    return pixels * TwipsPerPixelX();
}

int32_t Screen::ToTwipsY(int pixels) {
    return pixels * TwipsPerPixelY();
}

int32_t Screen::KeptOrActualX(int32_t keptTwips, int pixels) {
    return ToPixelsX(keptTwips) == pixels ? keptTwips : ToTwipsX(pixels);
}

int32_t Screen::KeptOrActualY(int32_t keptTwips, int pixels) {
    return ToPixelsY(keptTwips) == pixels ? keptTwips : ToTwipsY(pixels);
}

} // namespace qm6::forms
