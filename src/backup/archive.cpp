#include "archive.h"

#include <zip.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "data/datafolder.h"
#include "data/dm.h"
#include "store/errors.h"
#include "store/session.h"
#include "tables_p.h"
#include "texts.h"

namespace backup {

namespace {

// Marks a ZIP as one of ours; the first line names the format.
const char* const ManifestName = "Verdamo-sikkerhedskopi.txt";
const char* const ManifestFormat = "Verdamo backup 1";
const char* const PictureDir = "Billeder";

QString databaseName() {
    return QString::fromLatin1(store::Database::FileName);
}

QString pictureFolder() {
    return QDir(data::dataFolder()).filePath(QString::fromLatin1(PictureDir));
}

[[noreturn]] void fail(Text t, int language, const QString& detail) {
    throw store::Error(text(t, language).arg(detail));
}

QString zipError(zip_t* z) {
    return QString::fromUtf8(zip_strerror(z));
}

// Pictures are JPEG files already: compressing them again costs time and saves nothing.
bool alreadyCompressed(const QString& name) {
    const QString suffix = QFileInfo(name).suffix().toLower();
    return suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg") ||
           suffix == QLatin1String("png");
}

void addFile(zip_t* z, const QString& file, const QString& entry) {
    zip_source_t* src = zip_source_file(z, QFile::encodeName(file).constData(), 0, -1);
    if (!src) {
        throw store::Error(zipError(z));
    }
    const zip_int64_t index =
        zip_file_add(z, entry.toUtf8().constData(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
    if (index < 0) {
        zip_source_free(src);
        throw store::Error(zipError(z));
    }
    zip_set_file_compression(z, zip_uint64_t(index),
                             alreadyCompressed(entry) ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 6);
}

// The relative paths of every file below the picture folder.
QStringList pictureFiles(const QString& folder) {
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        out << QDir(folder).relativeFilePath(it.next());
    }
    out.sort();
    return out;
}

// A name inside a backup that stays inside the folder it is unpacked into.
bool safeEntryName(const QString& name) {
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) ||
        name.contains(QLatin1Char(':'))) {
        return false;
    }
    const QStringList parts = name.split(QLatin1Char('/'));
    for (const QString& p : parts) {
        if (p == QLatin1String("..") || p == QLatin1String(".")) {
            return false;
        }
    }
    return true;
}

struct ZipReader {
    zip_t* z = nullptr;
    ~ZipReader() {
        if (z) {
            zip_discard(z);
        }
    }
};

bool startsLikeZip(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.read(4) == QByteArrayLiteral("PK\x03\x04");
}

// Unpacks one entry, checking its size and checksum on the way.
bool extract(zip_t* z, zip_uint64_t index, const QString& to) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(z, index, 0, &st) != 0) {
        return false;
    }
    zip_file_t* in = zip_fopen_index(z, index, 0);
    if (!in) {
        return false;
    }
    QDir().mkpath(QFileInfo(to).absolutePath());
    QFile out(to);
    bool ok = out.open(QIODevice::WriteOnly);
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    zip_uint64_t total = 0;
    while (ok) {
        const zip_int64_t n = zip_fread(in, buffer.data(), zip_uint64_t(buffer.size()));
        if (n < 0) {
            ok = false;
        } else if (n == 0) {
            break;
        } else {
            total += zip_uint64_t(n);
            ok = out.write(buffer.constData(), n) == n;
        }
    }
    zip_fclose(in);
    return ok && out.flush() && (!(st.valid & ZIP_STAT_SIZE) || total == st.size);
}

}  // namespace

detail::TablesClosed::TablesClosed(data::TDM* dm) {
    if (!dm) {
        return;
    }
    QList<store::Table*> all{dm->ConfigTable};
    all << dm->tablesInOpeningOrder();
    for (store::Table* t : all) {
        if (t->Active()) {
            m_wasOpen << t;
        }
    }
    // Details first, so no master move reaches a closed detail.
    for (auto it = all.crbegin(); it != all.crend(); ++it) {
        (*it)->Close();
    }
}

detail::TablesClosed::~TablesClosed() {
    for (store::Table* t : std::as_const(m_wasOpen)) {
        try {
            t->Open();
        } catch (...) {
            // Reported by whoever uses the table next.
        }
    }
}

QString backupFolder() {
    return QDir(data::dataFolder()).filePath(QStringLiteral("Sikkerhedskopier"));
}

QString backupFileName(Kind kind, const QDateTime& at) {
    static const char* const kinds[] = {"", "auto-", "foer-gendannelse-", "foer-import-"};
    return QStringLiteral("Verdamo-%1%2.zip")
        .arg(QLatin1String(kinds[int(kind)]), at.toString(QStringLiteral("yyyy-MM-dd-HHmmss")));
}

void writeBackup(const QString& zipPath, int language) {
    try {
        QDir().mkpath(QFileInfo(zipPath).absolutePath());
        QTemporaryDir staging;
        if (!staging.isValid()) {
            throw store::Error(staging.errorString());
        }
        const QString snapshot = staging.filePath(databaseName());
        store::Session::database(QString::fromLatin1(data::TDM::Alias))->backupTo(snapshot);

        int err = 0;
        zip_t* z =
            zip_open(QFile::encodeName(zipPath).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
        if (!z) {
            zip_error_t e;
            zip_error_init_with_code(&e, err);
            const QString message = QString::fromUtf8(zip_error_strerror(&e));
            zip_error_fini(&e);
            throw store::Error(QStringLiteral("%1: %2").arg(zipPath, message));
        }
        // Read by libzip when the archive is closed, so it lives until then.
        const QByteArray manifest = QByteArray(ManifestFormat) + "\n" +
                                    QDateTime::currentDateTime().toString(Qt::ISODate).toUtf8() +
                                    "\n";
        try {
            zip_source_t* msrc = zip_source_buffer(z, manifest.constData(), manifest.size(), 0);
            if (!msrc || zip_file_add(z, ManifestName, msrc, ZIP_FL_ENC_UTF_8) < 0) {
                zip_source_free(msrc);
                throw store::Error(zipError(z));
            }
            addFile(z, snapshot, databaseName());
            const QString pictures = pictureFolder();
            for (const QString& rel : pictureFiles(pictures)) {
                addFile(z, QDir(pictures).filePath(rel),
                        QString::fromLatin1(PictureDir) + QLatin1Char('/') + rel);
            }
            // The ZIP is written to a file of its own and renamed into place here.
            if (zip_close(z) != 0) {
                throw store::Error(QStringLiteral("%1: %2").arg(zipPath, zipError(z)));
            }
        } catch (...) {
            zip_discard(z);
            throw;
        }
    } catch (const store::Error& e) {
        fail(Text::BackupFailed, language, e.message());
    }
}

QString dailyBackup(const QDateTime& now, int language, int keep) {
    // A data folder the user may only read has no room for backups; closing stays quiet.
    if (store::Session::database(QString::fromLatin1(data::TDM::Alias))->readOnly()) {
        return QString();
    }
    QDir folder(backupFolder());
    const QString today = backupFileName(Kind::Daily, now)
                              .left(int(QStringLiteral("Verdamo-auto-yyyy-MM-dd").size()));
    const QStringList pattern{QStringLiteral("Verdamo-auto-*.zip")};
    for (const QString& name : folder.entryList(pattern, QDir::Files)) {
        if (name.startsWith(today)) {
            return QString();
        }
    }
    const QString file = folder.filePath(backupFileName(Kind::Daily, now));
    writeBackup(file, language);
    // Names sort by their time; only the daily ones are pruned, the user's own stay.
    QStringList daily = folder.entryList(pattern, QDir::Files, QDir::Name);
    while (daily.size() > keep) {
        folder.remove(daily.takeFirst());
    }
    return file;
}

QString restoreBackup(const QString& zipPath, int language, data::TDM* dm,
                      const std::function<bool(const QString&)>& confirm) {
    const QString name = QFileInfo(zipPath).fileName();
    const QString dataDir = data::dataFolder();
    // Unpacked beside the data, so the pictures move into place by renaming.
    QTemporaryDir staging(QDir(dataDir).filePath(QStringLiteral(".gendan-XXXXXX")));
    if (!staging.isValid()) {
        fail(Text::RestoreFailed, language, staging.errorString());
    }
    const QString stagedPictures = staging.filePath(QString::fromLatin1(PictureDir));
    QDir().mkpath(stagedPictures);
    const QString stagedDb = staging.filePath(databaseName());
    {
        ZipReader r;
        int err = 0;
        r.z = zip_open(QFile::encodeName(zipPath).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &err);
        if (!r.z) {
            fail(startsLikeZip(zipPath) ? Text::Damaged : Text::NotOurs, language, name);
        }
        const zip_int64_t count = zip_get_num_entries(r.z, 0);
        bool manifest = false, database = false;
        for (zip_int64_t i = 0; i < count; ++i) {
            const QString entry = QString::fromUtf8(zip_get_name(r.z, zip_uint64_t(i), 0));
            if (entry == QLatin1String(ManifestName)) {
                const QString m = staging.filePath(QStringLiteral("manifest"));
                if (!extract(r.z, zip_uint64_t(i), m)) {
                    fail(Text::Damaged, language, name);
                }
                QFile f(m);
                manifest = f.open(QIODevice::ReadOnly) &&
                           f.readLine().trimmed() == QByteArray(ManifestFormat);
            } else if (entry == databaseName()) {
                database = extract(r.z, zip_uint64_t(i), stagedDb);
                if (!database) {
                    fail(Text::Damaged, language, name);
                }
            } else if (entry.startsWith(QString::fromLatin1(PictureDir) + QLatin1Char('/'))) {
                if (!safeEntryName(entry)) {
                    fail(Text::NotOurs, language, name);
                }
                if (entry.endsWith(QLatin1Char('/'))) {
                    continue;
                }
                if (!extract(r.z, zip_uint64_t(i), staging.filePath(entry))) {
                    fail(Text::Damaged, language, name);
                }
            }
        }
        if (!manifest || !database) {
            fail(Text::NotOurs, language, name);
        }
    }
    const auto problems = store::Database::checkFile(stagedDb, data::tableDefs());
    if (!problems.isEmpty()) {
        const auto& p = problems.first();
        QString why;
        switch (p.kind) {
            case store::Database::Problem::NotADatabase:
            case store::Database::Problem::Damaged:
                why = text(Text::Damaged, language).arg(name);
                break;
            case store::Database::Problem::MissingTable:
                why = text(Text::MissingTable, language).arg(p.table);
                break;
            case store::Database::Problem::MissingField:
                why = text(Text::MissingField, language).arg(p.field, p.table);
                break;
            case store::Database::Problem::WrongType:
                why = text(Text::WrongType, language).arg(p.field, p.table);
                break;
        }
        throw store::Error(why);
    }
    if (!confirm(backupFolder())) {
        return QString();
    }
    const QString safety =
        QDir(backupFolder())
            .filePath(backupFileName(Kind::BeforeRestore, QDateTime::currentDateTime()));
    writeBackup(safety, language);

    detail::TablesClosed closed(dm);
    {
        // The current pictures step aside and the restored ones take their place; they step
        // back if the database cannot be replaced, which happens in one step or not at all.
        const QString live = pictureFolder();
        const QString old = staging.filePath(QStringLiteral("old-pictures"));
        const bool hadPictures = QFileInfo::exists(live);
        if (hadPictures && !QDir().rename(live, old)) {
            throw store::Error(text(Text::RestoreFailed, language).arg(live));
        }
        if (!QDir().rename(stagedPictures, live)) {
            if (hadPictures) {
                QDir().rename(old, live);
            }
            throw store::Error(text(Text::RestoreFailed, language).arg(live));
        }
        try {
            store::Session::database(QString::fromLatin1(data::TDM::Alias))->restoreFrom(stagedDb);
        } catch (...) {
            QDir().rename(live, stagedPictures);
            if (hadPictures) {
                QDir().rename(old, live);
            }
            throw;
        }
    }
    return safety;
}

}  // namespace backup
