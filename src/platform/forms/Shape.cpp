#include "platform/forms/Shape.h"

#include "platform/forms/Container.h"

#include "platform/forms/QtSupport.h"

#include <QPainter>
#include <QWidget>

#include <algorithm>

namespace qm6::forms {

class ShapeWidget : public QWidget {
public:
    explicit ShapeWidget(QWidget* parent) : QWidget(parent) {}

    const Shape* shape_ = nullptr;

protected:
    void paintEvent(QPaintEvent*) override {
        if (!shape_)
            return;
        const Shape& s = *shape_;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QRectF r = rect().adjusted(0.5, 0.5, -0.5, -0.5);
        const bool square = s.kind_ == vbShapeSquare || s.kind_ == vbShapeCircle || s.kind_ == vbShapeRoundedSquare;
        if (square) {
            const qreal side = std::min(r.width(), r.height());
            r = QRectF(r.center().x() - side / 2, r.center().y() - side / 2, side, side);
        }
        painter.setPen(QPen(ToQColor(s.borderColor_, palette()), s.borderWidth_));
        QBrush brush = Qt::NoBrush;
        if (s.fillStyle_ == vbFSSolid)
            brush = ToQColor(s.fillColor_, palette());
        else if (s.backStyle_ == vbOpaque)
            brush = ToQColor(s.backColor_, palette());
        painter.setBrush(brush);
        if (s.kind_ == vbShapeOval || s.kind_ == vbShapeCircle)
            painter.drawEllipse(r);
        else if (s.kind_ == vbShapeRoundedRectangle || s.kind_ == vbShapeRoundedSquare)
            painter.drawRoundedRect(r, std::min(r.width(), r.height()) / 6, std::min(r.width(), r.height()) / 6);
        else
            painter.drawRect(r);
    }

};

Shape::Shape(Container& parent, std::string name, int32_t index)
    : Control(parent, std::move(name), index, new ShapeWidget(parent.ClientWidget()), false, false) {
    static_cast<ShapeWidget*>(Widget())->shape_ = this;
}

void Shape::Kind(int kind) {
    kind_ = kind;
    Widget()->update();
}

void Shape::BorderColor(uint32_t color) {
    borderColor_ = color;
    Widget()->update();
}

void Shape::BorderWidth(int pixels) {
    borderWidth_ = std::max(1, pixels);
    Widget()->update();
}

void Shape::FillColor(uint32_t color) {
    fillColor_ = color;
    Widget()->update();
}

void Shape::FillStyle(int style) {
    fillStyle_ = style;
    Widget()->update();
}

void Shape::BackColor(uint32_t color) {
    backColor_ = color;
    Widget()->update();
}

void Shape::BackStyle(int style) {
    backStyle_ = style;
    Widget()->update();
}

} // namespace qm6::forms
