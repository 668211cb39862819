#include "keypad-input.h"

#include <QLabel>

namespace weighdesk {

KeypadInput::KeypadInput(QLabel* label, const QString& initial, const QString& placeholder, bool masked,
                         const QString& pattern, const QString& unit)
    : label_(label), placeholder_(placeholder), unit_(unit), pattern_(pattern), masked_(masked) {
    set(initial);
}

void KeypadInput::set(const QString& text) {
    text_ = text.isEmpty() ? placeholder_ : text;
    edited_ = text_ != placeholder_;
    refresh();
}

void KeypadInput::type(QChar c) {
    const QString candidate = edited_ ? text_ + c : QString(c);
    if (!pattern_.match(candidate).hasMatch()) return;
    if (!edited_) {
        edited_ = true;
        text_.clear();
    }
    text_ += c;
    refresh();
}

void KeypadInput::erase() {
    if (!edited_) return;
    text_.chop(1);
    if (text_.isEmpty()) {
        edited_ = false;
        text_ = placeholder_;
    }
    refresh();
}

// The bar stands for the cursor.
void KeypadInput::refresh() {
    const QString shown = masked_ ? QString(text_.size(), QLatin1Char('*')) : text_;
    const QString unit = unit_.isEmpty() ? QString() : QLatin1Char(' ') + unit_;
    label_->setText(shown + QLatin1Char('|') + unit);
}

}  // namespace weighdesk
