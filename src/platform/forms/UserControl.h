#pragma once

// A user control: a container of controls that a host places on a window of
// its own (a Form of this package, or any Qt widget of a Qt host). Its
// Width and Height are those of its area, in twips; Resize is raised when
// they change, for the control to lay out its contents.

#include "platform/forms/Container.h"
#include "platform/fonts/Font.h"

#include <cstdint>
#include <functional>
#include <string>

namespace qm6::forms {

class UserControlWidget;

class UserControl : public Container {
public:
    explicit UserControl(std::string name);
    ~UserControl() override;

    const std::string& Name() const { return name_; }

    // Places it on the host's container (or Qt widget) at a position and size in twips.
    void PlaceOn(Container& host, int32_t left, int32_t top, int32_t width, int32_t height);
    void PlaceOn(QWidget* host, int32_t left, int32_t top, int32_t width, int32_t height);

    int32_t Left() const { return left_; }
    int32_t Top() const { return top_; }
    int32_t Width() const;
    int32_t Height() const;
    void Move(int32_t left, int32_t top, int32_t width = -1, int32_t height = -1);

    // The control's own enabled state, not the effective one (a host may
    // disable a window around it).
    bool Enabled() const;
    void Enabled(bool enabled);
    bool Visible() const;
    void Visible(bool visible);

    fonts::FontPtr Font() const { return font_; }
    void Font(fonts::FontPtr font);

    std::function<void()> OnResize;

    QWidget* Widget() const;
    QWidget* ClientWidget() const override;

private:
    friend class UserControlWidget;
    std::string name_;
    UserControlWidget* widget_;
    fonts::FontPtr font_;
    int32_t left_ = 0, top_ = 0, width_ = 4800, height_ = 3600;
};

} // namespace qm6::forms
