#include "HeadlessHost.h"

#include "platform/forms/Form.h"
#include "platform/forms/Label.h"

#include <QWidget>

namespace qm6::console {

namespace {

constexpr int kStopIcon = 16;

struct Answer {
    int value;
    const char* name;
};

// Buttons 0 OK, 1 OK/Cancel, 2 Abort/Retry/Ignore, 3 Yes/No/Cancel, 4 Yes/No,
// 5 Retry/Cancel.
Answer AnswerOf(int style) {
    switch (style & 0x0F) {
    case 1:
    case 3:
    case 5:
        return {2, "Cancel"};
    case 4:
        return {7, "No"};
    case 2:
        return {3, "Abort"};
    default:
        return {1, "OK"};
    }
}

} // namespace

int HeadlessHost::MsgBox(const std::string& text, int style, const std::string& title) {
    const Answer answer = AnswerOf(style);
    if ((style & 0xF0) == kStopIcon)
        ++failures_;
    std::fprintf(out_, "%s: %s\n[no display: the box answered %s]\n", title.c_str(), text.c_str(),
                 answer.name);
    std::fflush(out_);
    return answer.value;
}

void HeadlessHost::RunModal(forms::Form& form) {
    // The window's title and what its labels say.
    std::string text = form.Caption();
    for (forms::Control* control : form.Controls())
        if (auto* label = dynamic_cast<forms::Label*>(control); label && label->Visible())
            text += "\n" + label->Caption();
    std::fprintf(out_, "%s: %s\n[no display: the window was closed unanswered]\n",
                 form.Name().c_str(), text.c_str());
    std::fflush(out_);
    if (!form.Unload())
        form.Widget()->hide();
}

} // namespace qm6::console
