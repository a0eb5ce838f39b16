#include "platform/forms/CheckBox.h"

#include "platform/forms/Container.h"

#include "platform/forms/QtSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>

#include <algorithm>

namespace qm6::forms {
namespace {
// The application's style with the check box's box no taller (or wider) than
// the check box itself: the platform draws a smaller box in a check box laid
// out lower than the style's box, so designed heights (195 twips, 13 pixels)
// show the whole box instead of cutting its bottom edge.
class FittedIndicatorStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        const int size = QProxyStyle::pixelMetric(metric, option, widget);
        if ((metric == PM_IndicatorHeight || metric == PM_IndicatorWidth) && widget && widget->height() > 0)
            return std::min(size, widget->height());
        return size;
    }
};

// One for the application, which owns it, over an instance of its own style.
QStyle* FittedStyle() {
    static QPointer<QStyle> style;
    if (!style) {
        style = new FittedIndicatorStyle(QStyleFactory::create(QApplication::style()->name()));
        style->setParent(QCoreApplication::instance());
    }
    return style;
}

class ThreeStateBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    // The user's click: checked goes off, unchecked and grey go on.
    void nextCheckState() override {
        setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
};

int ToValue(Qt::CheckState state) {
    return state == Qt::Checked ? vbChecked : state == Qt::PartiallyChecked ? vbGrayed : vbUnchecked;
}
} // namespace

CheckBox::CheckBox(Container& parent, std::string name, int32_t index)
    : Control(parent, std::move(name), index, new ThreeStateBox(parent.ClientWidget()), true, true) {
    auto* box = static_cast<QCheckBox*>(Widget());
    box->setTristate(true);
    box->setStyle(FittedStyle());
    QObject::connect(box, &QCheckBox::clicked, Context(), [this] { RaiseClick(); });
}

std::string CheckBox::Caption() const {
    return FromQ(static_cast<QCheckBox*>(Widget())->text());
}

void CheckBox::Caption(const std::string& caption) {
    static_cast<QCheckBox*>(Widget())->setText(ToQ(caption));
}

int CheckBox::Value() const {
    return ToValue(static_cast<QCheckBox*>(Widget())->checkState());
}

void CheckBox::Value(int value) {
    if (value < vbUnchecked || value > vbGrayed)
        throw vb::VbError(static_cast<vb::ErrorNumber>(380), "Invalid property value");
    if (value == Value())
        return;
    static_cast<QCheckBox*>(Widget())->setCheckState(value == vbChecked   ? Qt::Checked
                                                     : value == vbGrayed ? Qt::PartiallyChecked
                                                                         : Qt::Unchecked);
    RaiseClick();
}

} // namespace qm6::forms
