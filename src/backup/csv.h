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
namespace data {
class TDM;
}

namespace backup {

// UTF-8, quoted as RFC 4180 says, CRLF line ends, ISO dates. The plain form uses comma and
// point; the regional form the separators a spreadsheet of the region expects, with a byte
// order mark so it takes the file as UTF-8.
struct CsvFormat {
    QChar separator = QLatin1Char(',');
    QChar decimalPoint = QLatin1Char('.');
    bool byteOrderMark = false;
};
CsvFormat regionalCsvFormat(const QLocale& locale = QLocale());

QString csvQuoted(const QString& value, QChar separator);
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
};
// "Planter.csv" (the plants as the overview left them), "Haveanlaeg.csv" and "Materialer.csv"
// (the garden works and the materials of each), "Navne.csv" (the name catalogue).
CsvExport exportCsv(data::TDM& dm, const QString& folder, const CsvFormat& format);

}  // namespace backup
