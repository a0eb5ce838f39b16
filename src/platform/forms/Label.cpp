#include "platform/forms/Label.h"

#include "platform/forms/Container.h"

#include "platform/forms/Host.h"
#include "platform/forms/QtSupport.h"

#include <QLabel>

namespace qm6::forms {

Label::Label(Container& parent, std::string name, int32_t index)
    : Control(parent, std::move(name), index, new QLabel(parent.ClientWidget()), true, false) {
    static_cast<QLabel*>(Widget())->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void Label::Caption(const std::string& caption) {
    caption_ = caption;
    static_cast<QLabel*>(Widget())->setText(ToQ(caption));
    Fit();
}

void Label::AutoSize(bool autoSize) {
    autoSize_ = autoSize;
    Fit();
}

void Label::WordWrap(bool wordWrap) {
    wordWrap_ = wordWrap;
    static_cast<QLabel*>(Widget())->setWordWrap(wordWrap);
    Fit();
}

void Label::Alignment(int alignment) {
    alignment_ = alignment;
    const Qt::Alignment h = alignment == 1 ? Qt::AlignRight : alignment == 2 ? Qt::AlignHCenter : Qt::AlignLeft;
    static_cast<QLabel*>(Widget())->setAlignment(h | Qt::AlignTop);
}

void Label::FontChanged() {
    Control::FontChanged();
    Fit();
}

void Label::SizeChanged() {
    if (wordWrap_)
        Fit();
}

std::vector<std::string> Label::WrappedLines() const {
    Host& host = ActiveHost();
    const fonts::Font* font = Font().get();
    std::vector<std::string> lines;
    size_t start = 0;
    while (true) {
        size_t end = caption_.find('\n', start);
        std::string paragraph = caption_.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!paragraph.empty() && paragraph.back() == '\r')
            paragraph.pop_back();
        if (!wordWrap_) {
            lines.push_back(paragraph);
        } else {
            // Greedy: as many words on a line as fit the width.
            std::string line;
            size_t pos = 0;
            bool any = false;
            while (pos <= paragraph.size()) {
                size_t space = paragraph.find(' ', pos);
                if (space == std::string::npos)
                    space = paragraph.size();
                const std::string word = paragraph.substr(pos, space - pos);
                const std::string candidate = line.empty() && !any ? word : line + " " + word;
                if (any && host.MeasureText(font, candidate).width > Width()) {
                    lines.push_back(line);
                    line = word;
                } else {
                    line = candidate;
                }
                any = true;
                pos = space + 1;
            }
            lines.push_back(line);
        }
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return lines;
}

void Label::Fit() {
    if (!autoSize_ || fitting_)
        return;
    fitting_ = true;
    Host& host = ActiveHost();
    const fonts::Font* font = Font().get();
    const std::vector<std::string> lines = WrappedLines();
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i)
        joined += (i ? "\n" : "") + lines[i];
    const TextExtent extent = host.MeasureText(font, joined);
    if (wordWrap_)
        Height(extent.height);
    else
        Move(Left(), Top(), extent.width, extent.height);
    fitting_ = false;
}

} // namespace qm6::forms
