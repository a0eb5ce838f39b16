#pragma once

// A form: a top-level window with its controls, shown modelessly or modally
// (through the thread's Host). Load raises Load once; Unload asks
// QueryUnload and Unload (either may cancel) and hides the form. The close
// box asks the same with the unload mode vbFormControlMenu, so a handler can
// keep the form open. Enter clicks the default button and Esc the cancel
// button (a focused command button takes Enter itself, as on the platform).
// Left, Top, Width and Height are those of the client area, in twips;
// ScaleWidth and ScaleHeight name the same inner size, and OuterWidth and
// OuterHeight add the frame (title bar and borders) the host reports.
//
// BorderStyle decides the frame: a sizable window (the default) with
// minimize and maximize buttons, a fixed dialog with only a close box, and so
// on; every style but the sizable ones keeps the client area at the size the
// form gives it, which the user cannot change. ShowInTaskbar false makes the
// window a dialog that window managers leave out of the task bar.

#include "platform/forms/Container.h"
#include "platform/fonts/Font.h"
#include "platform/pictures/Picture.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace qm6::forms {

class CommandButton;
class FormWindow;

enum : int { vbFormControlMenu = 0, vbFormCode = 1 };
enum : int { vbModeless = 0, vbModal = 1 };
// Border styles of a form.
enum : int {
    vbBSNone = 0,
    vbFixedSingle = 1,
    vbSizable = 2,
    vbFixedDialog = 3,
    vbFixedToolWindow = 4,
    vbSizableToolWindow = 5,
};

class Form : public Container {
public:
    explicit Form(std::string name);
    ~Form() override;

    const std::string& Name() const { return name_; }
    std::string Caption() const;
    void Caption(const std::string& caption);

    int32_t Left() const;
    int32_t Top() const;
    int32_t Width() const;
    int32_t Height() const;
    void Move(int32_t left, int32_t top, int32_t width = -1, int32_t height = -1);

    // The client area (the same as Width and Height).
    int32_t ScaleWidth() const { return Width(); }
    int32_t ScaleHeight() const { return Height(); }
    // The window with its frame; setting the outer height sets the client
    // height to what is left inside the frame (at least 0).
    int32_t OuterWidth() const;
    int32_t OuterHeight() const;
    void OuterHeight(int32_t twips);

    // One of the border styles above (others raise error 380).
    int BorderStyle() const { return borderStyle_; }
    void BorderStyle(int style);
    bool ShowInTaskbar() const { return showInTaskbar_; }
    void ShowInTaskbar(bool show);
    // The picture shown in the window's title bar (nullptr: none of its own).
    const pictures::PicturePtr& Icon() const { return icon_; }
    void Icon(pictures::PicturePtr icon);

    // The help context id the form carries for the host's help system (0:
    // none); the form itself opens nothing.
    int32_t HelpContextID() const { return helpContextId_; }
    void HelpContextID(int32_t id) { helpContextId_ = id; }

    // The size of a text in the form's font, measured through the host.
    int32_t TextWidth(const std::string& text) const;
    int32_t TextHeight(const std::string& text) const;

    fonts::FontPtr Font() const { return font_; }
    void Font(fonts::FontPtr font);

    bool Enabled() const;
    void Enabled(bool enabled);
    bool Visible() const;

    // Raises Load the first time (and again after an Unload).
    void Load();
    bool Loaded() const { return loaded_; }
    // Loads and shows the form; vbModal returns when it is hidden or unloaded.
    void Show(int modal = vbModeless);
    void Hide();
    // Asks QueryUnload and Unload (unload mode vbFormCode); answers false
    // when one of them cancelled, else hides the form and answers true.
    bool Unload();
    // True while the form runs modally.
    bool IsModal() const { return modal_; }

    CommandButton* DefaultButton() const { return defaultButton_; }
    void DefaultButton(CommandButton* button);
    // True when Enter would press a default button now (there is one, and it
    // is enabled and visible).
    bool DefaultButtonUsable() const;
    CommandButton* CancelButton() const { return cancelButton_; }
    void CancelButton(CommandButton* button);

    std::function<void()> OnLoad;
    std::function<void()> OnResize;
    // cancel: set to non-zero to keep the form; unloadMode: vbFormControlMenu or vbFormCode.
    std::function<void(int& cancel, int unloadMode)> OnQueryUnload;
    std::function<void(int& cancel)> OnUnload;

    // The window (a QDialog).
    QWidget* Widget() const;
    QWidget* ClientWidget() const override;

private:
    friend class FormWindow;
    bool AskUnload(int unloadMode);
    void Finish();
    bool PressDefault();
    bool PressCancel();
    void ApplyWindowFlags();
    void ApplyFixedSize();

    std::string name_;
    FormWindow* window_;
    fonts::FontPtr font_;
    CommandButton* defaultButton_ = nullptr;
    CommandButton* cancelButton_ = nullptr;
    bool loaded_ = false;
    bool modal_ = false;
    bool hiding_ = false;
    int32_t left_ = 0, top_ = 0, width_ = 4800, height_ = 3600;
    int32_t helpContextId_ = 0;
    int borderStyle_ = vbSizable;
    bool showInTaskbar_ = true;
    pictures::PicturePtr icon_;
};

} // namespace qm6::forms
