// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "backup/csv.h"

namespace costs {

struct Overview;

// The five views as one table, a row per line of every view under one header: the view, the
// group, the work's number, then count and amount of the plants and of the materials and the
// line's total. Amounts have two decimals; cells that do not belong to the view stay empty.
QList<QStringList> csvTable(const Overview& overview, QChar decimalPoint = QLatin1Char('.'));

// Writes the table to a file in one step: a file that cannot be written is left as it was,
// and the store's error says why.
void writeCsv(const Overview& overview, const QString& path, const backup::CsvFormat& format);

}  // namespace costs
