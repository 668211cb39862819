#include "scale-text.h"

#include <QStringList>

namespace weighdesk {

QString shortenModel(const QString& model) {
    const QStringList words = model.split(QLatin1Char(' '));
    const QStringList middle = words.size() > 2 ? words.mid(1, words.size() - 2) : QStringList();
    const QString middleText = middle.join(QLatin1Char(' '));
    return words.first() + QLatin1Char(' ') + middleText.section(QLatin1Char('-'), 0, 0);
}

QString divisionFromCode(const QString& code) {
    static const QStringList intervals = {"1", "2", "5", "10", "20", "50"};
    bool ok = false;
    const int index = code.toInt(&ok);
    if (!ok || code.size() != 1 || index < 0 || index >= intervals.size()) return {};
    return intervals.at(index);
}

}  // namespace weighdesk
