#include "NavPictures.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstring>

namespace qm6::console {

namespace {

void DrawPrinter(QPainter& p, double s) {
    p.setPen(QPen(QColor(40, 40, 48), s / 16));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(s * 0.28, s * 0.06, s * 0.44, s * 0.34)); // paper in
    p.setBrush(QColor(92, 102, 120));
    p.drawRoundedRect(QRectF(s * 0.06, s * 0.36, s * 0.88, s * 0.38), s / 10, s / 10);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(s * 0.24, s * 0.62, s * 0.52, s * 0.32)); // paper out
    p.setBrush(QColor(120, 220, 120));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(s * 0.76, s * 0.44, s * 0.1, s * 0.1));
}

void DrawPriceTag(QPainter& p, double s) {
    QPainterPath tag;
    tag.moveTo(s * 0.06, s * 0.30);
    tag.lineTo(s * 0.30, s * 0.08);
    tag.lineTo(s * 0.94, s * 0.08);
    tag.lineTo(s * 0.94, s * 0.92);
    tag.lineTo(s * 0.30, s * 0.92);
    tag.lineTo(s * 0.06, s * 0.70);
    tag.closeSubpath();
    p.setPen(QPen(QColor(120, 80, 10), s / 16));
    p.setBrush(QColor(240, 190, 60));
    p.drawPath(tag);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(s * 0.18, s * 0.42, s * 0.16, s * 0.16));
    p.setPen(QPen(QColor(120, 80, 10), s / 10));
    p.drawLine(QPointF(s * 0.50, s * 0.36), QPointF(s * 0.80, s * 0.36));
    p.drawLine(QPointF(s * 0.50, s * 0.64), QPointF(s * 0.80, s * 0.64));
}

// A form with three fields, the first two ticked.
void DrawFields(QPainter& p, double s) {
    p.setPen(QPen(QColor(40, 40, 48), s / 16));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(s * 0.10, s * 0.04, s * 0.80, s * 0.92), s / 12, s / 12);
    for (int i = 0; i < 3; ++i) {
        const double y = s * (0.18 + 0.26 * i);
        p.setPen(QPen(QColor(40, 40, 48), s / 20));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(s * 0.20, y, s * 0.16, s * 0.16));
        p.setPen(QPen(QColor(92, 102, 120), s / 12));
        p.drawLine(QPointF(s * 0.46, y + s * 0.08), QPointF(s * 0.80, y + s * 0.08));
        if (i < 2) {
            p.setPen(QPen(QColor(30, 140, 60), s / 12));
            p.drawLine(QPointF(s * 0.22, y + s * 0.08), QPointF(s * 0.28, y + s * 0.14));
            p.drawLine(QPointF(s * 0.28, y + s * 0.14), QPointF(s * 0.38, y - s * 0.02));
        }
    }
}

} // namespace

pictures::PicturePtr DrawNavPicture(NavPicture kind, int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        if (kind == NavPicture::Printer)
            DrawPrinter(painter, size);
        else if (kind == NavPicture::PriceTag)
            DrawPriceTag(painter, size);
        else
            DrawFields(painter, size);
    }
    pictures::Image pixels{size, size, std::vector<uint32_t>(static_cast<size_t>(size) * size)};
    for (int y = 0; y < size; ++y)
        std::memcpy(&pixels.pixels[static_cast<size_t>(y) * size], image.constScanLine(y),
                    static_cast<size_t>(size) * sizeof(uint32_t));
    return std::make_shared<pictures::Picture>(pictures::PictureType::Icon, std::move(pixels));
}

} // namespace qm6::console
