#pragma once

// What the forms package asks of the program it runs in: message boxes,
// running a form modally, the beep, and measuring text. QtHost does it for
// real; ScriptedHost lets a test answer and record it. The host in use is
// chosen per thread (the library is apartment-threaded).
//
// Message box styles are the platform's: buttons 0 OK, 1 OK/Cancel,
// 3 Yes/No/Cancel, 4 Yes/No; icons 16 stop, 32 question, 48 exclamation,
// 64 information; the default button 0, 256 or 512 (first, second, third).
// Answers: 1 OK, 2 Cancel, 6 Yes, 7 No.

#include "platform/fonts/Font.h"

#include <cstdint>
#include <string>

namespace qm6::forms {

class Form;

// The size of a text in twips.
struct TextExtent {
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const TextExtent&) const = default;
};

// The size of a window's frame (title bar and borders) in twips: what it adds
// to the width and the height of the client area.
struct FrameExtent {
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const FrameExtent&) const = default;
};

class Host {
public:
    virtual ~Host();

    // Shows a modal message box and answers the button pressed. An empty
    // title shows the library's default title.
    virtual int MsgBox(const std::string& text, int style, const std::string& title) = 0;
    // Shows the form modally and returns when it is hidden or unloaded.
    virtual void RunModal(Form& form) = 0;
    virtual void Beep() = 0;
    // The width of the widest line and the height of all lines of the text
    // ("\n" separates lines; an empty text is one line high) in the font
    // (nullptr: the default font).
    virtual TextExtent MeasureText(const fonts::Font* font, const std::string& text) = 0;
    // The frame the window system puts around the form's client area.
    virtual FrameExtent NonClientSize(const Form& form);
    // Bits per pixel of the display (the primary screen); 0 when there is
    // none.
    virtual int DisplayBitsPerPixel();
};

// The answer of a message box of that style that cannot be shown (a program
// without a user interface): Cancel when the box has it, else No, else OK
// (Abort for Abort/Retry/Ignore), so that nothing is confirmed that the user
// never saw.
int UnshownAnswer(int style);
// Writes a message box that cannot be shown to standard error (its title,
// when it has one, before the text) and answers UnshownAnswer(style).
int AnswerUnshown(const std::string& text, int style, const std::string& title);

// True when widgets can be made: the program has a QApplication. Without
// one, forms cannot be created and QtHost answers every box unshown.
bool WidgetsAvailable();

// The host set for the calling thread, or nullptr.
Host* CurrentHost();
// Sets the calling thread's host (nullptr: none); the caller keeps it alive.
void SetCurrentHost(Host* host);
// The host the forms package uses: the thread's, else the thread's own
// QtHost.
Host& ActiveHost();
// The thread's host, else the QtHost when a QApplication exists, else
// nullptr (a program without a user interface).
Host* AvailableHost();

// Sets a host for the thread for its lifetime, restoring the previous one.
class ScopedHost {
public:
    explicit ScopedHost(Host& host) : previous_(CurrentHost()) { SetCurrentHost(&host); }
    ~ScopedHost() { SetCurrentHost(previous_); }
    ScopedHost(const ScopedHost&) = delete;
    ScopedHost& operator=(const ScopedHost&) = delete;

private:
    Host* previous_;
};

} // namespace qm6::forms
