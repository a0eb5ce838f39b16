#include "platform/forms/ScriptedHost.h"

#include "platform/forms/Form.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace qm6::forms {

int ScriptedHost::MsgBox(const std::string& text, int style, const std::string& title) {
    int answer;
    if (answers_.empty()) {
        ++unscriptedBoxes_;
        const int buttons = style & 0x0F;
        answer = (buttons == 3 || buttons == 4) ? 6 : buttons == 2 ? 3 : buttons == 5 ? 4 : 1;
    } else {
        answer = answers_.front();
        answers_.pop_front();
    }
    boxes_.push_back({text, style, title, answer});
    return answer;
}

void ScriptedHost::RunModal(Form& form) {
    modalForms_.push_back(form.Name());
    QWidget* window = form.Widget();
    window->show();
    window->activateWindow();
    QApplication::processEvents();
    if (scripts_.empty()) {
        ++unscriptedModals_;
    } else {
        ModalScript script = std::move(scripts_.front());
        scripts_.pop_front();
        script(form);
        QApplication::processEvents();
        if (!window->isVisible())
            return;
        ++unscriptedModals_;
    }
    if (!form.Unload())
        window->hide();
}

TextExtent ScriptedHost::MeasureText(const fonts::Font* font, const std::string& text) {
    const double scale = (font ? font->Size() : 8.0f) / 8.0;
    const auto charWidth = static_cast<int32_t>(std::lround(kCharWidth * scale));
    const auto lineHeight = static_cast<int32_t>(std::lround(kLineHeight * scale));
    int32_t lines = 1, widest = 0, current = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            ++lines;
            current = 0;
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            // the line break's first half
        } else if ((c & 0xC0) != 0x80) { // count code points, not bytes
            ++current;
            widest = std::max(widest, current);
        }
    }
    return {widest * charWidth, lines * lineHeight};
}

} // namespace qm6::forms
