#include "platform/forms/TextBox.h"

#include "platform/forms/Container.h"
#include "platform/forms/Form.h"

#include "platform/forms/QtSupport.h"

#include <QKeyEvent>
#include <algorithm>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QValidator>

namespace qm6::forms {
namespace {
int Graphemes(const QString& s) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, s);
    int count = 0;
    while (finder.toNextBoundary() > 0)
        ++count;
    return count;
}

QString LeftGraphemes(const QString& s, int count) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, s);
    int end = 0;
    for (int i = 0; i < count; ++i) {
        const qsizetype next = finder.toNextBoundary();
        if (next < 0)
            return s;
        end = static_cast<int>(next);
    }
    return s.left(end);
}

// Refuses a user's edit that makes the text longer than the maximum (or,
// when code set a longer text, longer than it was); text set from code does
// not pass through it (QLineEdit::setText).
class MaxLengthValidator : public QValidator {
public:
    MaxLengthValidator(QLineEdit* edit, const int32_t& maxLength) : QValidator(edit), maxLength_(maxLength) {
        QObject::connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { length_ = Graphemes(text); });
    }

    State validate(QString& input, int&) const override {
        if (maxLength_ > 0) {
            const int length = Graphemes(input);
            if (length > maxLength_ && length > length_)
                return Invalid;
        }
        return Acceptable;
    }

private:
    const int32_t& maxLength_;
    int length_ = 0; // of the text before the edit being validated
};

// The multi-line editor: typing and pasting stop at the maximum; Tab moves
// the focus on. Enter presses the form's default button when it has one (the
// key goes on to the form), and Ctrl+Enter breaks the line instead.
class LimitedPlainTextEdit : public QPlainTextEdit {
public:
    LimitedPlainTextEdit(QWidget* parent, const int32_t& maxLength) : QPlainTextEdit(parent), maxLength_(maxLength) {
        setTabChangesFocus(true);
    }

    const Form* form = nullptr;

protected:
    int Room() const {
        return maxLength_ - Graphemes(toPlainText()) + Graphemes(textCursor().selectedText());
    }

    void keyPressEvent(QKeyEvent* event) override {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
        if (enter && modifiers == Qt::NoModifier && form && form->DefaultButtonUsable()) {
            event->ignore();
            return;
        }
        if (enter && modifiers == Qt::ControlModifier) {
            if (maxLength_ <= 0 || Room() > 0)
                textCursor().insertBlock();
            event->accept();
            return;
        }
        const QString text = event->text();
        const bool inserts = !text.isEmpty() && (text.front().isPrint() || text.front() == '\r');
        if (maxLength_ > 0 && inserts && Room() <= 0) {
            event->accept();
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    }

    void insertFromMimeData(const QMimeData* source) override {
        if (maxLength_ <= 0 || !source->hasText()) {
            QPlainTextEdit::insertFromMimeData(source);
            return;
        }
        const int room = Room();
        if (room > 0)
            textCursor().insertText(LeftGraphemes(source->text(), room));
    }

private:
    const int32_t& maxLength_;
};
} // namespace

std::string LeftCharacters(const std::string& text, int32_t count) {
    return FromQ(LeftGraphemes(ToQ(text), count));
}

int32_t CharacterCount(const std::string& text) {
    return Graphemes(ToQ(text));
}

static QWidget* MakeEditor(QWidget* parent, bool multiLine, const int32_t& maxLength) {
    if (multiLine)
        return new LimitedPlainTextEdit(parent, maxLength);
    auto* edit = new QLineEdit(parent);
    edit->setValidator(new MaxLengthValidator(edit, maxLength));
    return edit;
}

TextBox::TextBox(Container& parent, std::string name, int32_t index, bool multiLine)
    : Control(parent, std::move(name), index, MakeEditor(parent.ClientWidget(), multiLine, maxLength_), true, true),
      multiLine_(multiLine) {
    if (multiLine_) {
        auto* edit = static_cast<LimitedPlainTextEdit*>(Widget());
        edit->form = dynamic_cast<const Form*>(&Root());
        QObject::connect(edit, &QPlainTextEdit::textChanged, Context(), [this] { RaiseChange(); });
    } else {
        auto* edit = static_cast<QLineEdit*>(Widget());
        QObject::connect(edit, &QLineEdit::textChanged, Context(), [this] { RaiseChange(); });
    }
}

std::string TextBox::Text() const {
    if (multiLine_)
        return FromQ(static_cast<QPlainTextEdit*>(Widget())->toPlainText());
    return FromQ(static_cast<QLineEdit*>(Widget())->text());
}

void TextBox::Text(const std::string& text) {
    if (multiLine_) {
        auto* edit = static_cast<QPlainTextEdit*>(Widget());
        if (edit->toPlainText() != ToQ(text))
            edit->setPlainText(ToQ(text));
    } else {
        static_cast<QLineEdit*>(Widget())->setText(ToQ(text));
    }
}

void TextBox::MaxLength(int32_t maxLength) {
    if (maxLength < 0)
        throw vb::VbError(static_cast<vb::ErrorNumber>(380), "Invalid property value");
    maxLength_ = maxLength;
}

bool TextBox::Locked() const {
    if (multiLine_)
        return static_cast<QPlainTextEdit*>(Widget())->isReadOnly();
    return static_cast<QLineEdit*>(Widget())->isReadOnly();
}

void TextBox::Locked(bool locked) {
    if (multiLine_)
        static_cast<QPlainTextEdit*>(Widget())->setReadOnly(locked);
    else
        static_cast<QLineEdit*>(Widget())->setReadOnly(locked);
}

int32_t TextBox::SelStart() const {
    if (multiLine_)
        return static_cast<QPlainTextEdit*>(Widget())->textCursor().selectionStart();
    const auto* edit = static_cast<QLineEdit*>(Widget());
    return edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
}

void TextBox::SelStart(int32_t start) {
    const int length = static_cast<int>(ToQ(Text()).size());
    start = std::clamp(start, 0, length);
    if (multiLine_) {
        auto* edit = static_cast<QPlainTextEdit*>(Widget());
        QTextCursor cursor = edit->textCursor();
        cursor.setPosition(start);
        edit->setTextCursor(cursor);
    } else {
        static_cast<QLineEdit*>(Widget())->setCursorPosition(start);
    }
}

int32_t TextBox::SelLength() const {
    if (multiLine_) {
        const QTextCursor cursor = static_cast<QPlainTextEdit*>(Widget())->textCursor();
        return cursor.selectionEnd() - cursor.selectionStart();
    }
    return static_cast<int32_t>(static_cast<QLineEdit*>(Widget())->selectedText().size());
}

void TextBox::SelLength(int32_t length) {
    const int32_t start = SelStart();
    const int total = static_cast<int>(ToQ(Text()).size());
    length = std::clamp(length, 0, total - start);
    if (multiLine_) {
        auto* edit = static_cast<QPlainTextEdit*>(Widget());
        QTextCursor cursor = edit->textCursor();
        cursor.setPosition(start);
        cursor.setPosition(start + length, QTextCursor::KeepAnchor);
        edit->setTextCursor(cursor);
    } else {
        static_cast<QLineEdit*>(Widget())->setSelection(start, length);
    }
}

std::string TextBox::SelText() const {
    if (multiLine_)
        return FromQ(static_cast<QPlainTextEdit*>(Widget())->textCursor().selectedText().replace(QChar(0x2029), '\n'));
    return FromQ(static_cast<QLineEdit*>(Widget())->selectedText());
}

void TextBox::SelText(const std::string& text) {
    // Code's text, like Text: the maximum length does not apply.
    const QString current = ToQ(Text());
    const int32_t start = SelStart();
    const QString next = current.left(start) + ToQ(text) + current.mid(start + SelLength());
    Text(FromQ(next));
    SelStart(start + static_cast<int32_t>(ToQ(text).size()));
}

} // namespace qm6::forms
