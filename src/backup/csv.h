// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QChar>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

namespace store {
class Field;
class Table;
}  // namespace store

namespace backup {

// UTF-8, quoted as RFC 4180 says, CRLF line ends, ISO dates. The plain form uses comma and
// point and writes every text exactly as it stands, for other programs. The regional form
// uses the separators a spreadsheet of the region expects, with a byte order mark so it
// takes the file as UTF-8, and defuses texts a spreadsheet would run as formulas.
struct CsvFormat {
    QChar separator = QLatin1Char(',');
    QChar decimalPoint = QLatin1Char('.');
    bool byteOrderMark = false;
    bool defuseFormulas = false;
};
CsvFormat regionalCsvFormat(const QLocale& locale = QLocale());

QString csvQuoted(const QString& value, QChar separator);
// A text as a spreadsheet cell: with defusing, one that begins as a formula does (=, +, -,
// @, a tab or a line break) gets an apostrophe in front, which spreadsheets take as "text";
// every other text is left exactly as it is.
QString csvText(const QString& value, const CsvFormat& format);
// The value of a field as a CSV cell: null empty, dates ISO, numbers without grouping.
QString csvValue(const store::Field& field, const CsvFormat& format);
// Reads CSV text back into rows of cells (the inverse of what is written here).
QList<QStringList> parseCsv(const QString& text, QChar separator);

// Writes the rows of a table as it presents itself, through its filter and master range,
// with a header of its field names; the cursor is left where it was. Gives the rows written.
int writeTableCsv(store::Table& table, const QString& path, const CsvFormat& format);

struct CsvExport {
    int plants = 0;
    int works = 0;
    int materials = 0;
    int names = 0;
    int families = 0;
    int types = 0;
};
// The files exportCsv writes, in the order of CsvExport's counts.
QStringList csvFileNames();
// Every row of the user's tables as stored, whatever filter a window has left on the data
// module's tables: "Planter.csv", "Haveanlaeg.csv", "Materialer.csv" (with each line's total,
// the materials of renamed or deleted works too), "Navne.csv", "Familier.csv",
// "Plantetyper.csv". Rows being edited in a window are in it once they are posted.
CsvExport exportCsv(const QString& folder, const CsvFormat& format);

}  // namespace backup
