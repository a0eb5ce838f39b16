// Draws the library's built-in header logo (176 x 80 pixels) and saves it as
// the JPEG that the library carries as its resource ADMINHEAD 1000:
//
//   qm6_make_adminhead OUTPUT.jpg
//
// Run by hand when the picture is to change; the build uses the committed
// adminhead.jpg, so that the library's bytes do not depend on the fonts of
// the machine that builds it.

#include <QGuiApplication>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: qm6_make_adminhead OUTPUT.jpg\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QImage image(176, 80, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    // A deep blue band, lighter towards the bottom.
    QLinearGradient background(0, 0, 0, 80);
    background.setColorAt(0, QColor(0x17, 0x46, 0x8C));
    background.setColorAt(1, QColor(0x2E, 0x74, 0xC0));
    painter.fillRect(image.rect(), background);

    // The mark: a meter dial, a ring with a needle, on the left.
    painter.setPen(QPen(QColor(0xFF, 0xCC, 0x66), 5));
    painter.drawArc(QRectF(12, 16, 48, 48), 200 * 16, -220 * 16);
    painter.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(36, 40), QPointF(52, 26));
    painter.setBrush(Qt::white);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(36, 40), 4, 4);

    // The product's name beside it.
    QFont name("DejaVu Sans");
    name.setPixelSize(17);
    name.setBold(true);
    painter.setFont(name);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(68, 16, 104, 24), Qt::AlignLeft | Qt::AlignVCenter, "Quillmeter");
    QFont sub("DejaVu Sans");
    sub.setPixelSize(12);
    painter.setFont(sub);
    painter.setPen(QColor(0xFF, 0xCC, 0x66));
    painter.drawText(QRectF(68, 40, 104, 20), Qt::AlignLeft | Qt::AlignVCenter, "6  Administration");
    painter.end();

    if (!image.save(QString::fromLocal8Bit(argv[1]), "JPEG", 90)) {
        std::fprintf(stderr, "qm6_make_adminhead: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
