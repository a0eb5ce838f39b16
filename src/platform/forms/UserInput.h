#pragma once

// A user's input, sent to the real widgets through the application's event
// path (event filters, key propagation to the parent, the widget's own
// handling), as QTest does: for tests and for scripts driving a modal form.
// Each call gives the control the focus first (activating its window) and
// processes the pending events afterwards.

#include <cstdint>
#include <string>

namespace qm6::forms {

class ComboBox;
class Control;
class Form;
class Grid;

namespace input {

// Activates the control's window and gives the control the focus.
void Focus(Control& control);
// Types the text, one key press and release per character.
void Type(Control& control, const std::string& text);
// Presses and releases a key by the platform's key code (vbKeyReturn 13,
// vbKeyEscape 27, vbKeyBack 8, vbKeyDelete 46, arrows 37 to 40, letters,
// digits), with the shift state (vbShiftMask, vbCtrlMask, vbAltMask).
void PressKey(Control& control, int keyCode, int shift = 0);
// Presses a key in the form's window where no control takes it (Enter and Esc
// reach the form's default and cancel buttons this way).
void PressKey(Form& form, int keyCode, int shift = 0);
// Clicks the control with the left mouse button (near its left edge, where
// a check box's box is).
void Click(Control& control);
void DoubleClick(Control& control);
// Clicks the centre of a grid's cell (row and column as the grid counts
// them, the fixed rows included); the cell must be in view.
void ClickCell(Grid& grid, int row, int col);
void DoubleClickCell(Grid& grid, int row, int col);
// Chooses an entry of a drop-down list with the keyboard (Home, then Down).
void Choose(ComboBox& combo, int32_t index);
// Presses the form's close box (through its window, as the window system does).
void CloseBox(Form& form);
// Processes pending events.
void Settle();

} // namespace input
} // namespace qm6::forms
