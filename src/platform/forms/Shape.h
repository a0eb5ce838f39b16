#pragma once

// A shape drawn on a form: a rectangle, square, oval, circle or rounded
// rectangle or square, with a border and an optional fill. It has no font,
// caption or text (those are refused, error 438). Colours are the platform's
// 0x00BBGGRR values or system colours 0x800000nn.

#include "platform/forms/Control.h"
#include "platform/forms/SystemColors.h"

namespace qm6::forms {

enum : int {
    vbShapeRectangle = 0,
    vbShapeSquare = 1,
    vbShapeOval = 2,
    vbShapeCircle = 3,
    vbShapeRoundedRectangle = 4,
    vbShapeRoundedSquare = 5,
};
enum : int { vbFSSolid = 0, vbFSTransparent = 1 };
enum : int { vbTransparent = 0, vbOpaque = 1 };

class Shape : public Control {
public:
    Shape(Container& parent, std::string name, int32_t index);

    std::string TypeName() const override { return "Shape"; }
    // A shape has no place in the focus order.
    bool HasTabIndex() const override { return false; }

    int Kind() const { return kind_; }
    void Kind(int kind);
    uint32_t BorderColor() const { return borderColor_; }
    void BorderColor(uint32_t color);
    int BorderWidth() const { return borderWidth_; }
    void BorderWidth(int pixels);
    uint32_t FillColor() const { return fillColor_; }
    void FillColor(uint32_t color);
    int FillStyle() const { return fillStyle_; }
    void FillStyle(int style);
    uint32_t BackColor() const { return backColor_; }
    void BackColor(uint32_t color);
    int BackStyle() const { return backStyle_; }
    void BackStyle(int style);

protected:
    void MouseReleased() override { RaiseClick(); }

private:
    friend class ShapeWidget;
    int kind_ = vbShapeRectangle;
    uint32_t borderColor_ = kSysWindowText;
    int borderWidth_ = 1;
    uint32_t fillColor_ = 0;
    int fillStyle_ = vbFSTransparent;
    uint32_t backColor_ = kSysWindowBackground;
    int backStyle_ = vbTransparent;
};
} // namespace qm6::forms
