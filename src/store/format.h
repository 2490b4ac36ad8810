// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace store {

// The one short date format of the whole program: the regional short format with a
// four-digit year. Shown and typed dates and filter literals all use it.
QString shortDateFormat();
void setShortDateFormat(const QString& format);

QString formatDate(const QDate& date);
// An invalid date for text that is not a date in the short format.
QDate parseDate(const QString& text);
// True for text that holds nothing but blanks and date separators (an empty date mask).
bool isBlankDateText(const QString& text);

std::optional<int> parseInteger(const QString& text);
// Regional decimal comma or a plain decimal point are both taken.
std::optional<double> parseFloat(const QString& text);

}  // namespace store
