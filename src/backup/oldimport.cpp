#include "oldimport.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTime>

#include "archive.h"
#include "data/datafolder.h"
#include "data/dm.h"
#include "paradox.h"
#include "store/errors.h"
#include "store/session.h"
#include "tables_p.h"
#include "texts.h"

namespace backup {

namespace {

using store::FieldType;

struct Prepared {
    QString table;
    QStringList columns;
    QList<QVariantList> rows;
};

QString findInFolder(const QDir& dir, const QString& name, QDir::Filters filters) {
    for (const QString& entry : dir.entryList(filters)) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0) {
            return dir.filePath(entry);
        }
    }
    return QString();
}

// A value of the old table as the field of the new one takes it; invalid QVariant for null,
// nullopt when it does not fit.
std::optional<QVariant> convert(const QVariant& v, FieldType to, const QString& field) {
    if (!v.isValid() || v.isNull()) {
        return QVariant();
    }
    const int from = v.typeId();
    switch (to) {
        case FieldType::Integer: {
            if (from == QMetaType::Int || from == QMetaType::Bool) {
                return QVariant(v.toInt());
            }
            bool ok = false;
            const double d = v.toDouble(&ok);
            if (ok && d == double(int(d))) {
                return QVariant(int(d));
            }
            return std::nullopt;
        }
        case FieldType::Currency:
        case FieldType::Float: {
            bool ok = false;
            const double d = v.toDouble(&ok);
            return ok && from != QMetaType::QDate ? std::optional<QVariant>(d) : std::nullopt;
        }
        case FieldType::Date:
            if (from == QMetaType::QDate) {
                return v;
            }
            if (from == QMetaType::QDateTime) {
                return QVariant(v.toDateTime().date());
            }
            return std::nullopt;
        case FieldType::String:
        case FieldType::Memo:
            break;
    }
    if (from == QMetaType::Bool) {
        // Ja/Nej fields kept as logicals in some tables.
        return QVariant(v.toBool() ? QStringLiteral("Ja") : QStringLiteral("Nej"));
    }
    if (from == QMetaType::QDate) {
        return QVariant(v.toDate().toString(Qt::ISODate));
    }
    if (from == QMetaType::QByteArray) {
        return std::nullopt;
    }
    Q_UNUSED(field);
    return QVariant(v.toString());
}

QString valueText(const QVariant& v) {
    const QString s = v.toString();
    return s.isEmpty() ? QString::fromLatin1(v.typeName()) : s.left(40);
}

}  // namespace

ImportReport importOldData(const QString& folder, int language, data::TDM* dm,
                           const std::function<bool()>& confirm) {
    const QDir dir(folder);
    QStringList problems;
    QList<Prepared> prepared;
    for (const store::TableDef& def : data::tableDefs()) {
        const QString file = findInFolder(dir, def.name, QDir::Files);
        if (file.isEmpty()) {
            problems << text(Text::ImportMissingTable, language).arg(def.name);
            continue;
        }
        paradox::Table old;
        try {
            old = paradox::readTable(file, text(Text::ReaderStopped, language).arg(def.name));
        } catch (const store::Error& e) {
            problems << text(Text::ImportUnreadable, language)
                            .arg(QFileInfo(file).fileName(), e.message());
            continue;
        }
        Prepared p{def.name, {}, {}};
        QList<int> target;  // old field -> field of the new table
        bool fieldsOk = true;
        for (const paradox::Field& f : std::as_const(old.fields)) {
            int found = -1;
            for (int i = 0; i < def.fields.size(); ++i) {
                if (def.fields.at(i).name.compare(f.name, Qt::CaseInsensitive) == 0) {
                    found = i;
                }
            }
            if (found < 0) {
                problems << text(Text::ImportUnknownField, language).arg(f.name, old.file);
                fieldsOk = false;
            }
            target << found;
            p.columns << (found >= 0 ? def.fields.at(found).name : QString());
        }
        if (!fieldsOk) {
            continue;
        }
        bool valuesOk = true;
        for (const QVariantList& row : std::as_const(old.rows)) {
            QVariantList values;
            for (int c = 0; c < row.size() && c < target.size(); ++c) {
                const store::FieldDef& fd = def.fields.at(target.at(c));
                const auto v = convert(row.at(c), fd.type, fd.name);
                if (!v) {
                    problems << text(Text::ImportBadValue, language)
                                    .arg(old.fields.at(c).name, old.file, valueText(row.at(c)));
                    valuesOk = false;
                    break;
                }
                values << *v;
            }
            if (!valuesOk) {
                break;
            }
            p.rows << values;
        }
        if (valuesOk) {
            prepared << p;
        }
    }

    // The pictures are copied aside first, so that after the tables only renames remain.
    const QString dataDir = data::dataFolder();
    QTemporaryDir staging(QDir(dataDir).filePath(QStringLiteral(".import-XXXXXX")));
    QStringList pictures;
    const QString oldPictures = findInFolder(dir, QStringLiteral("Billeder"), QDir::Dirs);
    if (!oldPictures.isEmpty() && problems.isEmpty()) {
        QDirIterator it(oldPictures, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString from = it.next();
            const QString rel = QDir(oldPictures).relativeFilePath(from);
            const QString to = staging.filePath(rel);
            QDir().mkpath(QFileInfo(to).absolutePath());
            if (!QFile::copy(from, to)) {
                problems << text(Text::ImportUnreadable, language).arg(from, QString());
                break;
            }
            pictures << rel;
        }
    }
    if (!problems.isEmpty()) {
        throw store::Error(problems.join(data::messageBreak()) + data::messageBreak() +
                           text(Text::ImportNothing, language));
    }

    auto db = store::Session::database(QString::fromLatin1(data::TDM::Alias));
    bool hasData = false;
    for (const char* t : {"Planter.db", "Vexmo.DB", "Materialer.db", "Regnr.db", "Haveregnr.db"}) {
        hasData = hasData || db->rowCount(QString::fromLatin1(t)) > 0;
    }
    ImportReport report;
    if (hasData && !confirm()) {
        report.cancelled = true;
        return report;
    }
    // Settings the old table lacks keep the values they have.
    for (Prepared& p : prepared) {
        if (p.table != QLatin1String("Config.DB") || p.rows.isEmpty() || !dm ||
            !dm->ConfigTable->Active()) {
            continue;
        }
        QVariantList& row = p.rows.first();
        for (int i = 0; i < dm->ConfigTable->FieldCount(); ++i) {
            const store::Field& f = dm->ConfigTable->Fields(i);
            const auto at = p.columns.indexOf(f.FieldName());
            if (at < 0) {
                p.columns << f.FieldName();
                row << f.Value();
            } else if (!row.at(at).isValid()) {
                row[at] = f.Value();
            }
        }
    }
    report.safetyCopy =
        QDir(backupFolder())
            .filePath(backupFileName(Kind::BeforeImport, QDateTime::currentDateTime()));
    writeBackup(report.safetyCopy, language);

    {
        detail::TablesClosed closed(dm);
        try {
            db->inTransaction([&] {
                for (const Prepared& p : std::as_const(prepared)) {
                    // A settings table without a row keeps the settings there are.
                    if (p.table == QLatin1String("Config.DB") && p.rows.isEmpty()) {
                        report.rows.append({p.table, 0});
                        continue;
                    }
                    db->deleteAllRows(p.table);
                    int n = 0;
                    for (const QVariantList& r : p.rows) {
                        try {
                            db->insertRow(p.table, p.columns, r);
                        } catch (const store::Error& e) {
                            throw store::Error(QStringLiteral("%1 (%2): %3")
                                                   .arg(p.table)
                                                   .arg(n + 1)
                                                   .arg(e.message()));
                        }
                        ++n;
                        // The settings record is one row.
                        if (p.table == QLatin1String("Config.DB")) {
                            break;
                        }
                    }
                    report.rows.append({p.table, n});
                }
            });
        } catch (const store::Error& e) {
            throw store::Error(e.message() + data::messageBreak() +
                               text(Text::ImportNothing, language));
        }
        const QString live = QDir(dataDir).filePath(QStringLiteral("Billeder"));
        for (const QString& rel : std::as_const(pictures)) {
            const QString to = QDir(live).filePath(rel);
            QDir().mkpath(QFileInfo(to).absolutePath());
            QFile::remove(to);
            if (QFile::rename(staging.filePath(rel), to)) {
                ++report.pictures;
            }
        }
    }
    return report;
}

QString importReportText(const ImportReport& report, int language) {
    QStringList lines{text(Text::ImportDone, language)};
    for (const auto& [table, rows] : report.rows) {
        lines << text(Text::ImportRows, language).arg(table).arg(rows);
    }
    lines << text(Text::ImportPictures, language).arg(report.pictures);
    if (!report.safetyCopy.isEmpty()) {
        lines << QString() << text(Text::ImportSafetyCopy, language).arg(report.safetyCopy);
    }
    return lines.join(data::messageBreak());
}

}  // namespace backup
