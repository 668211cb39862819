#pragma once
// The entry behind one keypad label: what has been typed, or a placeholder while nothing has.
#include <QRegularExpression>
#include <QString>

class QLabel;

namespace weighdesk {

class KeypadInput {
public:
    // pattern: every typed candidate must match it whole; unit: shown after the entry, may be empty.
    KeypadInput(QLabel* label, const QString& initial, const QString& placeholder, bool masked, const QString& pattern,
                const QString& unit);

    // Starts over with text, or with the placeholder when text is empty.
    void set(const QString& text);
    // Refused when the entry with c appended would not match the pattern.
    void type(QChar c);
    // Drops the last typed character; the placeholder returns once nothing is left.
    void erase();

    const QString& text() const { return text_; }
    bool edited() const { return edited_; }

private:
    void refresh();

    QLabel* label_;
    QString text_;
    QString placeholder_;
    QString unit_;
    QRegularExpression pattern_;
    bool edited_ = false;
    bool masked_;
};

}  // namespace weighdesk
