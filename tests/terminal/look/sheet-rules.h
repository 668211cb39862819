#pragma once
// The rules of a style sheet as the tests see them: a selector and its declarations.
#include <QList>
#include <QRegularExpression>
#include <QString>

namespace look_test {

struct SheetRule {
    QString selector;
    QString body;
    // The object name the selector starts with: "#pb_tare:pressed" → "pb_tare".
    QString objectName() const { return QRegularExpression("^#([A-Za-z0-9_]+)").match(selector).captured(1); }
};

inline QList<SheetRule> sheetRules(QString sheet) {
    sheet.remove(QRegularExpression("/\\*.*?\\*/", QRegularExpression::DotMatchesEverythingOption));
    QList<SheetRule> rules;
    QRegularExpression rule("([^{}]+)\\{([^}]*)\\}");
    for (auto it = rule.globalMatch(sheet); it.hasNext();) {
        const auto match = it.next();
        rules.append({match.captured(1).trimmed(), match.captured(2)});
    }
    return rules;
}

}  // namespace look_test
