// SPDX-License-Identifier: GPL-3.0-or-later
#include "csv.h"

#include <QDir>
#include <QSaveFile>

#include "data/dm.h"
#include "store/errors.h"
#include "store/table.h"

namespace backup {

using store::FieldType;

CsvFormat regionalCsvFormat(const QLocale& locale) {
    CsvFormat f;
    const QString point = locale.decimalPoint();
    f.decimalPoint = point.isEmpty() ? QLatin1Char('.') : point.front();
    f.separator = f.decimalPoint == QLatin1Char(',') ? QLatin1Char(';') : QLatin1Char(',');
    f.byteOrderMark = true;
    f.defuseFormulas = true;
    return f;
}

QString csvText(const QString& value, const CsvFormat& format) {
    if (format.defuseFormulas && !value.isEmpty()) {
        const QChar c = value.front();
        if (c == QLatin1Char('=') || c == QLatin1Char('+') || c == QLatin1Char('-') ||
            c == QLatin1Char('@') || c == QLatin1Char('\t') || c == QLatin1Char('\r') ||
            c == QLatin1Char('\n')) {
            return QLatin1Char('\'') + value;
        }
    }
    return value;
}

QString csvQuoted(const QString& value, QChar separator) {
    const bool quote = value.contains(separator) || value.contains(QLatin1Char('"')) ||
                       value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'));
    if (!quote) {
        return value;
    }
    QString v = value;
    v.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + v + QLatin1Char('"');
}

namespace {

QString csvNumber(double value, const CsvFormat& format) {
    QString n = QString::number(value, 'f', QLocale::FloatingPointShortest);
    if (format.decimalPoint != QLatin1Char('.')) {
        n.replace(QLatin1Char('.'), format.decimalPoint);
    }
    return n;
}

}  // namespace

QString csvValue(const store::Field& field, const CsvFormat& format) {
    if (field.IsNull()) {
        return QString();
    }
    switch (field.DataType()) {
        case FieldType::Integer:
            return QString::number(field.AsInteger());
        case FieldType::Currency:
        case FieldType::Float:
            return csvNumber(field.AsFloat(), format);
        case FieldType::Date:
            return field.AsDate().toString(Qt::ISODate);
        case FieldType::String:
        case FieldType::Memo:
            break;
    }
    return csvText(field.AsString(), format);
}

QList<QStringList> parseCsv(const QString& text, QChar separator) {
    QList<QStringList> rows;
    QStringList row;
    QString cell;
    bool quoted = false;
    bool any = false;
    qsizetype i = text.startsWith(QChar(0xFEFF)) ? 1 : 0;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                    cell += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                cell += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            any = true;
        } else if (c == separator) {
            row << cell;
            cell.clear();
            any = true;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() &&
                text.at(i + 1) == QLatin1Char('\n')) {
                ++i;
            }
            row << cell;
            rows << row;
            row.clear();
            cell.clear();
            any = false;
        } else {
            cell += c;
            any = true;
        }
    }
    if (any || !cell.isEmpty() || !row.isEmpty()) {
        row << cell;
        rows << row;
    }
    return rows;
}

namespace {

class CsvFile {
public:
    CsvFile(const QString& path, const CsvFormat& format) : m_file(path), m_format(format) {
        if (!m_file.open(QIODevice::WriteOnly)) {
            throw store::Error(QStringLiteral("%1: %2").arg(path, m_file.errorString()));
        }
        if (format.byteOrderMark) {
            m_file.write("\xEF\xBB\xBF");
        }
    }
    void line(const QStringList& cells) {
        QStringList q;
        for (const QString& c : cells) {
            q << csvQuoted(c, m_format.separator);
        }
        m_file.write((q.join(m_format.separator) + QStringLiteral("\r\n")).toUtf8());
    }
    void header(store::Table& t) {
        QStringList names;
        for (int i = 0; i < t.FieldCount(); ++i) {
            names << t.Fields(i).FieldName();
        }
        line(names);
    }
    void row(store::Table& t) {
        QStringList cells;
        for (int i = 0; i < t.FieldCount(); ++i) {
            cells << csvValue(t.Fields(i), m_format);
        }
        line(cells);
    }
    void commit() {
        if (!m_file.commit()) {
            throw store::Error(
                QStringLiteral("%1: %2").arg(m_file.fileName(), m_file.errorString()));
        }
    }

private:
    QSaveFile m_file;
    CsvFormat m_format;
};

// Scans a table and puts its cursor and screen updates back as they were, whatever happens.
class Scan {
public:
    // A master keeps its controls: with them frozen its details would not follow it.
    explicit Scan(store::Table& t, bool freeze = true)
        : m_table(t), m_mark(t.GetBookmark()), m_freeze(freeze) {
        if (freeze) {
            t.DisableControls();
        }
    }
    ~Scan() {
        try {
            if (m_mark.valid && m_table.BookmarkValid(m_mark)) {
                m_table.GotoBookmark(m_mark);
            } else {
                m_table.First();
            }
        } catch (...) {
        }
        if (m_freeze) {
            m_table.EnableControls();
        }
    }
    Scan(const Scan&) = delete;
    Scan& operator=(const Scan&) = delete;

private:
    store::Table& m_table;
    store::Bookmark m_mark;
    bool m_freeze;
};

void checkBrowsing(store::Table& t) {
    if (t.State() != store::DataSetState::Browse) {
        throw store::Error(QStringLiteral("%1 is being edited.").arg(t.TableName()));
    }
}

}  // namespace

int writeTableCsv(store::Table& table, const QString& path, const CsvFormat& format) {
    checkBrowsing(table);
    CsvFile out(path, format);
    out.header(table);
    int rows = 0;
    {
        Scan scan(table);
        for (table.First(); !table.Eof(); table.Next()) {
            out.row(table);
            ++rows;
        }
    }
    out.commit();
    return rows;
}

QStringList csvFileNames() {
    return {QStringLiteral("Planter.csv"),    QStringLiteral("Haveanlaeg.csv"),
            QStringLiteral("Materialer.csv"), QStringLiteral("Navne.csv"),
            QStringLiteral("Familier.csv"),   QStringLiteral("Plantetyper.csv")};
}

namespace {

// A table object of the export's own on the data folder's database: no window's filter or
// master link narrows it.
class OwnTable {
public:
    explicit OwnTable(const char* name) {
        m_table.setDatabaseName(QString::fromLatin1(data::TDM::Alias));
        m_table.setTableName(QString::fromLatin1(name));
        m_table.Open();
    }
    store::Table& operator*() { return m_table; }
    store::Table* operator->() { return &m_table; }

private:
    store::Table m_table;
};

int writeAll(const char* table, const QString& path, const CsvFormat& format) {
    OwnTable t(table);
    return writeTableCsv(*t, path, format);
}

}  // namespace

CsvExport exportCsv(const QString& folder, const CsvFormat& format) {
    CsvExport n;
    const QDir dir(folder);
    const QStringList files = csvFileNames();
    n.plants = writeAll("Planter.db", dir.filePath(files.at(0)), format);
    n.works = writeAll("Vexmo.DB", dir.filePath(files.at(1)), format);
    {
        // Each line's total as the garden works window shows it, beside the stored fields.
        OwnTable materials("Materialer.db");
        CsvFile out(dir.filePath(files.at(2)), format);
        QStringList header;
        int totalAt = -1;
        for (int i = 0; i < materials->FieldCount(); ++i) {
            const QString name = materials->Fields(i).FieldName();
            header << name;
            if (name.compare(QLatin1String("Forhandler"), Qt::CaseInsensitive) == 0) {
                totalAt = i + 1;
                header << QStringLiteral("Ialt");
            }
        }
        if (totalAt < 0) {
            totalAt = int(header.size());
            header << QStringLiteral("Ialt");
        }
        out.line(header);
        store::Field& antal = materials->FieldByName(QStringLiteral("Antal"));
        store::Field& pris = materials->FieldByName(QStringLiteral("Pris"));
        for (materials->First(); !materials->Eof(); materials->Next()) {
            QStringList cells;
            for (int i = 0; i < materials->FieldCount(); ++i) {
                cells << csvValue(materials->Fields(i), format);
            }
            const long double total = static_cast<long double>(antal.AsInteger()) *
                                      static_cast<long double>(pris.AsFloat());
            cells.insert(totalAt, csvNumber(double(total), format));
            out.line(cells);
            ++n.materials;
        }
        out.commit();
    }
    n.names = writeAll("Navne.db", dir.filePath(files.at(3)), format);
    n.families = writeAll("Familie.db", dir.filePath(files.at(4)), format);
    n.types = writeAll("Plantetype.db", dir.filePath(files.at(5)), format);
    return n;
}

}  // namespace backup
