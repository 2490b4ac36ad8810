// SPDX-License-Identifier: GPL-3.0-or-later
#include "oldimport.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTime>
#include <optional>

#include "archive.h"
#include "data/datafolder.h"
#include "data/dm.h"
#include "paradox.h"
#include "store/errors.h"
#include "store/session.h"
#include "tables_p.h"
#include "texts.h"
#include "toolkit/errortext.h"

namespace backup {

namespace {

using store::FieldType;

// One table of the old folder as read and tried.
struct Prepared {
    enum State { Readable, Missing, Unreadable };
    QString table;  // the table of this program, "Planter.db"
    QString file;   // the old file as it is named in the folder
    State state = Missing;
    QString reason;       // why it cannot be read, in the language
    QStringList columns;  // the fields the old rows bring, by this program's names
    QList<QVariantList> rows;
    QList<int> records;                      // each row's record number in the old file
    QList<std::pair<int, QString>> damaged;  // record number, what is wrong, in the language
    QStringList unknown;                     // old fields this program does not know

    bool hasProblems() const {
        return state != Readable || !damaged.isEmpty() || !unknown.isEmpty();
    }
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
std::optional<QVariant> convert(const QVariant& v, FieldType to) {
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
    return QVariant(v.toString());
}

QString valueText(const QVariant& v) {
    const QString s = v.toString();
    return s.isEmpty() ? QString::fromLatin1(v.typeName()) : s.left(40);
}

QString reasonText(paradox::Reason reason, const QString& detail, const QString& file,
                   int language) {
    using paradox::Reason;
    switch (reason) {
        case Reason::NotATable:
            return text(Text::NotATable, language);
        case Reason::StructureDamaged:
            return text(Text::StructureDamaged, language);
        case Reason::UnknownFieldType:
            return text(Text::UnknownFieldType, language).arg(detail);
        case Reason::RecordUnreadable:
            return text(Text::RowUnreadable, language);
        case Reason::MemoMissing:
            return text(Text::MemoMissing, language).arg(detail);
        case Reason::MemoDamaged:
            return text(Text::MemoDamaged, language).arg(detail);
        case Reason::CannotCopy:
            return text(Text::CannotCopy, language);
        case Reason::ReaderStopped:
        case Reason::Other:
            break;
    }
    return text(Text::ReaderStopped, language).arg(file);
}

Prepared readOld(const QDir& dir, const store::TableDef& def, int language) {
    Prepared p;
    p.table = def.name;
    const QString file = findInFolder(dir, def.name, QDir::Files);
    if (file.isEmpty()) {
        return p;
    }
    p.file = QFileInfo(file).fileName();
    paradox::Table old;
    try {
        old = paradox::readTable(file, text(Text::ReaderStopped, language).arg(p.file));
    } catch (const paradox::ReadError& e) {
        p.state = Prepared::Unreadable;
        p.reason = reasonText(e.reason(), e.detail(), p.file, language);
        return p;
    }
    p.state = Prepared::Readable;
    QList<int> target;  // old field -> field of the new table, -1 when unknown
    for (const paradox::Field& f : std::as_const(old.fields)) {
        int found = -1;
        for (int i = 0; i < def.fields.size(); ++i) {
            if (def.fields.at(i).name.compare(f.name, Qt::CaseInsensitive) == 0) {
                found = i;
            }
        }
        target << found;
        if (found < 0) {
            p.unknown << f.name;
        } else {
            p.columns << def.fields.at(found).name;
        }
    }
    for (qsizetype r = 0; r < old.rows.size(); ++r) {
        const QVariantList& row = old.rows.at(r);
        const int record = old.recordOfRow.value(r, int(r) + 1);
        QVariantList values;
        QString wrong;
        for (int c = 0; c < row.size() && c < target.size(); ++c) {
            if (target.at(c) < 0) {
                continue;
            }
            const auto v = convert(row.at(c), def.fields.at(target.at(c)).type);
            if (!v) {
                wrong =
                    text(Text::BadValue, language).arg(old.fields.at(c).name, valueText(row.at(c)));
                break;
            }
            values << *v;
        }
        if (!wrong.isEmpty()) {
            p.damaged.append({record, wrong});
            continue;
        }
        p.rows << values;
        p.records << record;
    }
    for (const paradox::DamagedRecord& d : std::as_const(old.damaged)) {
        p.damaged.append({d.record, reasonText(d.reason, d.detail, p.file, language)});
    }
    std::sort(p.damaged.begin(), p.damaged.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    return p;
}

// Settings the old table lacks keep the values they have, or, when they cannot be read,
// take the ones a new data folder starts with: an empty window size would be applied as 0.
void keepMissingSettings(Prepared& p, data::TDM* dm) {
    if (p.table != QLatin1String("Config.DB") || p.rows.isEmpty()) {
        return;
    }
    QList<std::pair<QString, QVariant>> settings;
    if (dm && dm->ConfigTable->Active()) {
        for (int i = 0; i < dm->ConfigTable->FieldCount(); ++i) {
            const store::Field& f = dm->ConfigTable->Fields(i);
            settings.append({f.FieldName(), f.Value()});
        }
    } else {
        using data::DesignSize;
        const std::pair<const char*, DesignSize> sizes[] = {{"Main", data::MainDesignSize},
                                                            {"Reg", data::RegDesignSize},
                                                            {"Have", data::HaveDesignSize},
                                                            {"Oversigt", data::OversigtDesignSize}};
        settings.append({QStringLiteral("Sprog"), -1});
        for (const auto& [window, size] : sizes) {
            settings.append({QStringLiteral("H_") + QLatin1String(window), size.height});
            settings.append({QStringLiteral("W_") + QLatin1String(window), size.width});
        }
    }
    QVariantList& row = p.rows.first();
    for (const auto& [name, value] : std::as_const(settings)) {
        const auto at = p.columns.indexOf(name);
        if (at < 0) {
            p.columns << name;
            row << value;
        } else if (!row.at(at).isValid()) {
            row[at] = value;
        }
    }
}

bool isSettings(const Prepared& p) {
    return p.table == QLatin1String("Config.DB");
}

// Replaces the readable tables' rows in db. With tryOnly, a row the database refuses is
// taken out of p and listed as damaged; without, a refusal ends the whole import.
void writeTables(store::Database& db, QList<Prepared>& prepared, bool tryOnly, int language) {
    for (Prepared& p : prepared) {
        if (p.state != Prepared::Readable) {
            continue;
        }
        // A settings table without a row keeps the settings there are; the record is one row.
        if (isSettings(p) && p.rows.isEmpty()) {
            continue;
        }
        db.deleteAllRows(p.table);
        for (qsizetype i = 0; i < p.rows.size(); ++i) {
            try {
                db.insertRow(p.table, p.columns, p.rows.at(i));
            } catch (const store::StoreError& e) {
                if (!tryOnly) {
                    throw store::Error(QStringLiteral("%1 (%2): %3")
                                           .arg(p.table)
                                           .arg(p.records.at(i))
                                           .arg(toolkit::errorText(e)));
                }
                p.damaged.append({p.records.at(i), e.errorCode() == store::StoreError::KeyViolation
                                                       ? text(Text::DuplicateKey, language)
                                                       : toolkit::errorText(e)});
                p.rows.removeAt(i);
                p.records.removeAt(i);
                --i;
            }
            if (isSettings(p)) {
                break;
            }
        }
    }
    // The next number issued follows the ones brought in.
    for (const auto& [counter, table] :
         {std::pair{"Regnr.db", "Planter.db"}, std::pair{"Haveregnr.db", "Vexmo.DB"}}) {
        const QString c = QString::fromLatin1(counter);
        const QString t = QString::fromLatin1(table);
        const QVariant highest = db.maxOf(t, QStringLiteral("Regnr"));
        const QVariant issued = db.maxOf(c, QStringLiteral("Regnr"));
        if (highest.isValid() &&
            (!issued.isValid() || issued.toLongLong() < highest.toLongLong())) {
            db.insertRow(c, {QStringLiteral("Regnr")}, {highest});
        }
    }
}

QString previewText(const QString& folder, const QList<Prepared>& prepared, int language) {
    const QString br = data::messageBreak();
    QStringList lines{text(Text::ImportPreview, language).arg(QDir::toNativeSeparators(folder))};
    for (const Prepared& p : prepared) {
        QString line;
        switch (p.state) {
            case Prepared::Missing:
                line = text(Text::ImportMissingTable, language).arg(p.table);
                break;
            case Prepared::Unreadable:
                line = text(Text::ImportUnreadable, language).arg(p.file, p.reason);
                break;
            case Prepared::Readable: {
                const qsizetype n = p.rows.size();
                line = countText(Text::ImportReadableOne, Text::ImportReadableOther, n, language)
                           .arg(p.table)
                           .arg(n);
                if (!p.damaged.isEmpty()) {
                    const qsizetype d = p.damaged.size();
                    const QString first = text(Text::RowOf, language)
                                              .arg(p.damaged.first().first)
                                              .arg(p.damaged.first().second);
                    line += QStringLiteral("; ") +
                            countText(Text::ImportDamagedOne, Text::ImportDamagedOther, d, language)
                                .arg(d)
                                .arg(first);
                }
                if (!p.unknown.isEmpty()) {
                    line += QStringLiteral("; ") + text(Text::ImportUnknownFields, language)
                                                       .arg(p.unknown.join(QStringLiteral(", ")));
                }
                break;
            }
        }
        lines << line;
    }
    return lines.join(br);
}

}  // namespace

ImportReport importOldData(const QString& folder, int language, data::TDM* dm,
                           const std::function<bool(const QString&)>& confirm) {
    const QDir dir(folder);
    const QString br = data::messageBreak();
    QList<Prepared> prepared;
    for (const store::TableDef& def : data::tableDefs()) {
        prepared << readOld(dir, def, language);
        keepMissingSettings(prepared.last(), dm);
    }

    // Tried in a new database of its own first, so that what the database refuses (two rows
    // with the same key) is known before the question is asked.
    const QString dataDir = data::dataFolder();
    QTemporaryDir staging(QDir(dataDir).filePath(QStringLiteral(".import-XXXXXX")));
    if (!staging.isValid()) {
        throw store::Error(staging.errorString() + br + text(Text::ImportNothing, language));
    }
    const QString trialFolder = staging.filePath(QStringLiteral("database"));
    QDir().mkpath(trialFolder);
    {
        store::Database trial(trialFolder, true);
        data::createTables(trial);
        trial.inTransaction([&] { writeTables(trial, prepared, true, language); });
    }

    const QString preview = previewText(folder, prepared, language);
    bool anyReadable = false, problems = false;
    for (const Prepared& p : std::as_const(prepared)) {
        anyReadable = anyReadable || p.state == Prepared::Readable;
        problems = problems || p.hasProblems();
    }
    if (!anyReadable) {
        throw store::Error(preview + br + br + text(Text::ImportNothingReadable, language) + br +
                           text(Text::ImportNothing, language));
    }

    const bool damaged = databaseDamaged();
    const QDateTime now = QDateTime::currentDateTime();
    bool hasData = damaged;
    std::shared_ptr<store::Database> db;
    if (!damaged) {
        db = store::Session::database(QString::fromLatin1(data::TDM::Alias));
        for (const char* t :
             {"Planter.db", "Vexmo.DB", "Materialer.db", "Regnr.db", "Haveregnr.db"}) {
            hasData = hasData || db->rowCount(QString::fromLatin1(t)) > 0;
        }
    }
    const QString aside = QDir(backupFolder()).filePath(backupFileName(Kind::Damaged, now));
    ImportReport report;
    if (damaged || problems || hasData) {
        QString question;
        if (damaged) {
            question = text(Text::ImportAskDamaged, language).arg(QDir::toNativeSeparators(aside));
        } else if (problems) {
            question = text(Text::ImportAskPartial, language);
        } else {
            question = text(Text::ImportConfirm, language).arg(QDir::toNativeSeparators(folder));
        }
        if (!confirm(preview + br + br + question)) {
            report.cancelled = true;
            return report;
        }
    }

    // The pictures are copied aside first, so that after the tables only renames remain.
    const QString stagedPictures = staging.filePath(QStringLiteral("pictures"));
    QStringList pictures;
    const QString oldPictures = findInFolder(dir, QStringLiteral("Billeder"), QDir::Dirs);
    if (!oldPictures.isEmpty()) {
        QDirIterator it(oldPictures, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString from = it.next();
            const QString rel = QDir(oldPictures).relativeFilePath(from);
            const QString to = QDir(stagedPictures).filePath(rel);
            QDir().mkpath(QFileInfo(to).absolutePath());
            if (!QFile::copy(from, to)) {
                throw store::Error(
                    text(Text::ImportUnreadable, language)
                        .arg(QDir::toNativeSeparators(from), text(Text::CannotCopy, language)) +
                    br + text(Text::ImportNothing, language));
            }
            pictures << rel;
        }
    }

    {
        detail::TablesClosed closed(dm);
        if (damaged) {
            // The damaged database cannot be written to: it is kept byte for byte and the
            // tried database, which holds everything readable, takes its place.
            report.safetyCopy = aside;
            store::Session::release(QString::fromLatin1(data::TDM::Alias));
            try {
                store::Database::installFile(
                    dataDir,
                    QDir(trialFolder).filePath(QString::fromLatin1(store::Database::FileName)),
                    aside);
            } catch (const store::Error& e) {
                throw store::Error(toolkit::errorText(e) + br +
                                   text(Text::ImportNothing, language));
            }
        } else {
            report.safetyCopy =
                QDir(backupFolder()).filePath(backupFileName(Kind::BeforeImport, now));
            try {
                writeBackup(report.safetyCopy, language);
            } catch (const store::Error& e) {
                throw store::Error(toolkit::errorText(e) + br +
                                   text(Text::ImportNothing, language));
            }
            try {
                db->inTransaction([&] { writeTables(*db, prepared, false, language); });
            } catch (const store::Error& e) {
                throw store::Error(toolkit::errorText(e) + br +
                                   text(Text::ImportNothing, language));
            }
        }
        for (const Prepared& p : std::as_const(prepared)) {
            if (p.state != Prepared::Readable) {
                // After a damaged database such a table began afresh, as the question said.
                if (!damaged) {
                    report.kept << p.table;
                }
                continue;
            }
            report.leftOut += int(p.damaged.size());
            report.rows.append({p.table, isSettings(p) ? int(std::min<qsizetype>(1, p.rows.size()))
                                                       : int(p.rows.size())});
        }
        const QString live = QDir(dataDir).filePath(QStringLiteral("Billeder"));
        for (const QString& rel : std::as_const(pictures)) {
            const QString to = QDir(live).filePath(rel);
            QDir().mkpath(QFileInfo(to).absolutePath());
            if (damaged && QFileInfo::exists(to)) {
                // No backup holds the picture replaced: it goes with the damaged files.
                const QString kept = QDir(aside).filePath(QStringLiteral("Billeder/") + rel);
                QDir().mkpath(QFileInfo(kept).absolutePath());
                QFile::rename(to, kept);
            }
            QFile::remove(to);
            if (QFile::rename(QDir(stagedPictures).filePath(rel), to)) {
                ++report.pictures;
            }
        }
    }
    return report;
}

QString importReportText(const ImportReport& report, int language) {
    QStringList lines{text(Text::ImportDone, language)};
    for (const auto& [table, rows] : report.rows) {
        lines << countText(Text::ImportRowsOne, Text::ImportRowsOther, rows, language)
                     .arg(table)
                     .arg(rows);
    }
    for (const QString& table : report.kept) {
        lines << text(Text::ImportKept, language).arg(table);
    }
    if (report.leftOut > 0) {
        lines << text(Text::ImportLeftOut, language).arg(report.leftOut);
    }
    lines << text(Text::ImportPictures, language).arg(report.pictures);
    if (!report.safetyCopy.isEmpty()) {
        lines << QString()
              << text(Text::ImportSafetyCopy, language)
                     .arg(QDir::toNativeSeparators(report.safetyCopy));
    }
    return lines.join(data::messageBreak());
}

}  // namespace backup
