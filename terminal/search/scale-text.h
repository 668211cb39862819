#pragma once

// Texts derived from what a scale reports, shared by the search and the scale pages.
#include <QString>

namespace weighdesk {

// First word, a space, then the middle words (all but the first and last) up to the first "-":
// "A B-C D" gives "A B", a one-word model "A" gives "A ".
QString shortenModel(const QString& model);

// Scale interval in grams for a GetDiscret code ("0" → "1" … "5" → "50"); empty for other codes.
QString divisionFromCode(const QString& code);

}  // namespace weighdesk
