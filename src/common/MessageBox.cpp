#include "common/MessageBox.h"

#include "platform/forms/Host.h"

namespace qm6 {
namespace {
thread_local MessageBoxHandler tHandler;
}

void SetMessageBoxHandler(MessageBoxHandler handler) {
    tHandler = std::move(handler);
}

int ShowMessageBox(const std::string& text, int style, const std::string& title) {
    if (tHandler)
        return tHandler(text, style, title);
    if (forms::Host* host = forms::AvailableHost())
        return host->MsgBox(text, style, title);
    return forms::AnswerUnshown(text, style, title);
}

} // namespace qm6
