#pragma once

// The library's way to show a message box: through a handler the program
// installed, else through the thread's forms Host (the scripted host in
// tests, the Qt host in a program with a QApplication), else to standard
// error (a program without a user interface), answered Cancel when the box
// has it, else No, else OK: a box nobody saw never confirms anything.

#include <functional>
#include <string>

namespace qm6 {

// Message box styles and answers of the platform that the library uses.
enum : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
};
enum : int {
    vbOK = 1,
    vbCancel = 2,
    vbYes = 6,
    vbNo = 7,
};

using MessageBoxHandler =
    std::function<int(const std::string& text, int style, const std::string& title)>;

// Installs the handler for the calling thread (an empty one restores the default).
void SetMessageBoxHandler(MessageBoxHandler handler);

// Shows a message box through the thread's handler and answers the button pressed.
int ShowMessageBox(const std::string& text, int style, const std::string& title);

} // namespace qm6
