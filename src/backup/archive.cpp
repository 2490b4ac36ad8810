// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive.h"

#include <zip.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <cerrno>

#include "data/datafolder.h"
#include "data/dm.h"
#include "places.h"
#include "store/errors.h"
#include "store/format.h"
#include "store/session.h"
#include "tables_p.h"
#include "texts.h"
#include "toolkit/errortext.h"

namespace backup {

namespace {

// Marks a ZIP as one of ours; the first line names the format and its number.
const char* const ManifestName = "Verdamo-sikkerhedskopi.txt";
const QByteArray ManifestPrefix = QByteArrayLiteral("Verdamo backup ");
constexpr int ManifestVersion = 1;
const char* const PictureDir = "Billeder";

// No picture the program would show is larger: the picture loader refuses to decode more
// than 512 MB, and a JPEG file is far smaller than what it decodes to.
constexpr qint64 MaxPictureBytes = qint64(512) * 1024 * 1024;
// Room kept free on the disk beyond what a restore unpacks.
constexpr qint64 RoomMarginBytes = qint64(32) * 1024 * 1024;

QString databaseName() {
    return QString::fromLatin1(store::Database::FileName);
}

QString alias() {
    return QString::fromLatin1(data::TDM::Alias);
}

QString pictureFolder() {
    return QDir(data::dataFolder()).filePath(QString::fromLatin1(PictureDir));
}

QString megabytes(qint64 bytes) {
    return QString::number((bytes + 1024 * 1024 - 1) / (1024 * 1024));
}

QString zipError(zip_t* z) {
    return QString::fromUtf8(zip_strerror(z));
}

// A write failed for want of room, by the error it gave or by the room that is left.
bool outOfRoom(int error, const QString& folder) {
    if (error == ENOSPC || error == EDQUOT) {
        return true;
    }
    const QStorageInfo disk(folder);
    return disk.isValid() && disk.bytesAvailable() < 1024 * 1024;
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

enum class Extracted { Ok, Damaged, NoRoom, WriteFailed };

// Unpacks one entry, checking its size and checksum on the way; never writes more than the
// entry declares.
Extracted extract(zip_t* z, zip_uint64_t index, const QString& to, QString* writeError) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(z, index, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE)) {
        return Extracted::Damaged;
    }
    zip_file_t* in = zip_fopen_index(z, index, 0);
    if (!in) {
        return Extracted::Damaged;
    }
    QDir().mkpath(QFileInfo(to).absolutePath());
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const int error = errno;
        zip_fclose(in);
        *writeError = out.errorString();
        return outOfRoom(error, QFileInfo(to).absolutePath()) ? Extracted::NoRoom
                                                              : Extracted::WriteFailed;
    }
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    zip_uint64_t total = 0;
    Extracted result = Extracted::Ok;
    for (;;) {
        const zip_int64_t n = zip_fread(in, buffer.data(), zip_uint64_t(buffer.size()));
        if (n < 0) {
            result = Extracted::Damaged;
            break;
        }
        if (n == 0) {
            break;
        }
        total += zip_uint64_t(n);
        if (total > st.size) {
            result = Extracted::Damaged;
            break;
        }
        errno = 0;
        if (out.write(buffer.constData(), n) != n) {
            const int error = errno;
            *writeError = out.errorString();
            result = outOfRoom(error, QFileInfo(to).absolutePath()) ? Extracted::NoRoom
                                                                    : Extracted::WriteFailed;
            break;
        }
    }
    zip_fclose(in);
    if (result == Extracted::Ok && total != st.size) {
        result = Extracted::Damaged;
    }
    return result;
}

// The manifest's first line: "Verdamo backup <n>". Gives n, 0 when it is no manifest of ours.
int manifestVersion(const QByteArray& manifest) {
    const QByteArray first = manifest.left(manifest.indexOf('\n')).trimmed();
    if (!first.startsWith(ManifestPrefix)) {
        return 0;
    }
    bool ok = false;
    const int n = first.mid(ManifestPrefix.size()).toInt(&ok);
    return ok && n > 0 ? n : 0;
}

QByteArray readManifest(zip_t* z) {
    const zip_int64_t at = zip_name_locate(z, ManifestName, 0);
    if (at < 0) {
        return QByteArray();
    }
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(z, zip_uint64_t(at), 0, &st) != 0 || st.size > 4096) {
        return QByteArray();
    }
    zip_file_t* f = zip_fopen_index(z, zip_uint64_t(at), 0);
    if (!f) {
        return QByteArray();
    }
    QByteArray bytes(qsizetype(st.size), '\0');
    const zip_int64_t n = zip_fread(f, bytes.data(), st.size);
    zip_fclose(f);
    return n == zip_int64_t(st.size) ? bytes : QByteArray();
}

[[noreturn]] void refuse(Text t, int language, const QString& name) {
    throw store::Error(text(t, language).arg(name));
}

QString schemaReason(const store::Database::Problem& p, const QString& name, int language) {
    using P = store::Database::Problem;
    switch (p.kind) {
        case P::NotADatabase:
        case P::Damaged:
            return text(Text::Damaged, language).arg(name);
        case P::MissingTable:
            return text(Text::MissingTable, language).arg(p.table);
        case P::MissingField:
            return text(Text::MissingField, language).arg(p.field, p.table);
        case P::WrongType:
            return text(Text::WrongType, language).arg(p.field, p.table);
        case P::Trigger:
            return text(Text::SchemaTrigger, language).arg(p.object, p.table);
        case P::View:
            return text(Text::SchemaView, language).arg(p.object);
        case P::UnknownIndex:
            return text(Text::SchemaIndex, language).arg(p.object, p.table);
        case P::UnknownTable:
            return text(Text::SchemaTable, language).arg(p.object);
        case P::ComputedColumn:
            return text(Text::SchemaComputed, language).arg(p.field, p.table);
        case P::WrongKey:
            return text(Text::SchemaKey, language).arg(p.table);
    }
    return text(Text::Damaged, language).arg(name);
}

// The current database's state before it is replaced.
enum class Live { Sound, Damaged, Missing };

Live liveState() {
    try {
        return store::Session::database(alias())->quickCheckOk() ? Live::Sound : Live::Damaged;
    } catch (const store::StoreError& e) {
        if (e.errorCode() == store::StoreError::Corrupt) {
            return Live::Damaged;
        }
        return Live::Missing;
    }
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
    static const char* const kinds[] = {"", "auto-", "foer-gendannelse-", "foer-import-",
                                        "beskadiget-"};
    const QString stamp = at.toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    if (kind == Kind::Damaged) {
        return QStringLiteral("Verdamo-%1%2").arg(QLatin1String(kinds[int(kind)]), stamp);
    }
    return QStringLiteral("Verdamo-%1%2.zip").arg(QLatin1String(kinds[int(kind)]), stamp);
}

bool databaseDamaged() {
    return liveState() == Live::Damaged;
}

void writeBackup(const QString& zipPath, int language) {
    const QString target = QFileInfo(zipPath).absolutePath();
    try {
        QDir().mkpath(target);
        QTemporaryDir staging;
        if (!staging.isValid()) {
            throw store::Error(staging.errorString());
        }
        const QString snapshot = staging.filePath(databaseName());
        try {
            store::Session::database(alias())->backupTo(snapshot);
        } catch (const store::StoreError& e) {
            if (e.errorCode() == store::StoreError::Corrupt) {
                throw DamagedDatabase(text(Text::DatabaseDamaged, language));
            }
            throw;
        }
        // A damaged database makes a backup that cannot be restored: it is never written.
        if (!store::Database::fileIntact(snapshot)) {
            throw DamagedDatabase(text(Text::DatabaseDamaged, language));
        }

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
        const QByteArray manifest = ManifestPrefix + QByteArray::number(ManifestVersion) + "\n" +
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
                const int system = zip_error_code_system(zip_get_error(z));
                if (outOfRoom(system, target)) {
                    throw store::Error(
                        text(Text::NoRoomLeft, language).arg(QDir::toNativeSeparators(target)));
                }
                throw store::Error(QStringLiteral("%1: %2").arg(zipPath, zipError(z)));
            }
        } catch (...) {
            zip_discard(z);
            throw;
        }
    } catch (const DamagedDatabase&) {
        throw;
    } catch (const store::Error& e) {
        throw store::Error(text(Text::BackupFailed, language).arg(toolkit::errorText(e)));
    }
    noteBackup(zipPath, QDateTime::currentDateTime());
}

namespace {

const QStringList DailyPattern{QStringLiteral("Verdamo-auto-*.zip")};

// Names sort by their time; only the daily ones are pruned, the user's own stay.
void prune(const QString& folder, int keep) {
    QDir dir(folder);
    QStringList daily = dir.entryList(DailyPattern, QDir::Files, QDir::Name);
    while (daily.size() > keep) {
        dir.remove(daily.takeFirst());
    }
}

QString todaysDaily(const QString& folder, const QDateTime& now) {
    const QString today = backupFileName(Kind::Daily, now)
                              .left(int(QStringLiteral("Verdamo-auto-yyyy-MM-dd").size()));
    for (const QString& name : QDir(folder).entryList(DailyPattern, QDir::Files, QDir::Name)) {
        if (name.startsWith(today)) {
            return QDir(folder).filePath(name);
        }
    }
    return QString();
}

// A copy that appears whole or not at all.
void copyWhole(const QString& from, const QString& to, int language) {
    const QString partial = to + QStringLiteral(".part");
    QFile::remove(partial);
    QFile source(from);
    if (!source.copy(partial)) {
        const int error = errno;
        QFile::remove(partial);
        if (outOfRoom(error, QFileInfo(to).absolutePath())) {
            throw store::Error(text(Text::NoRoomLeft, language)
                                   .arg(QDir::toNativeSeparators(QFileInfo(to).absolutePath())));
        }
        throw store::Error(
            QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(to), source.errorString()));
    }
    QFile::remove(to);
    if (!QFile::rename(partial, to)) {
        QFile::remove(partial);
        throw store::Error(QDir::toNativeSeparators(to));
    }
}

}  // namespace

DailyResult dailyBackup(const QDateTime& now, int language, int keep) {
    DailyResult result;
    // A data folder the user may only read has no room for backups; closing stays quiet.
    auto db = store::Session::database(alias());
    if (db->readOnly()) {
        return result;
    }
    db.reset();
    QString today = todaysDaily(backupFolder(), now);
    if (today.isEmpty()) {
        // Checked before anything is pruned: a damaged database never pushes out a good one.
        today = QDir(backupFolder()).filePath(backupFileName(Kind::Daily, now));
        writeBackup(today, language);
        noteBackup(today, now);
        result.written << today;
        prune(backupFolder(), keep);
    }
    const QString second = secondPlace();
    // A stick that is not plugged in is skipped; the reminder tells when that goes on.
    if (!second.isEmpty() && QFileInfo(second).isDir() && todaysDaily(second, now).isEmpty()) {
        const QString copy = QDir(second).filePath(QFileInfo(today).fileName());
        try {
            copyWhole(today, copy, language);
            noteBackup(copy, now);
            result.written << copy;
            prune(second, keep);
        } catch (const store::Error& e) {
            result.secondPlaceError = toolkit::errorText(e);
        }
    }
    return result;
}

bool isBackupFile(const QString& path) {
    ZipReader r;
    int err = 0;
    r.z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &err);
    return r.z && manifestVersion(readManifest(r.z)) > 0;
}

QString refusedBackupTarget(const QString& path, int language) {
    if (insideDataFolder(path) && !insideBackupFolder(path)) {
        return text(Text::TargetInDataFolder, language)
            .arg(QDir::toNativeSeparators(data::dataFolder()));
    }
    const QFileInfo fi(path);
    if ((fi.exists() || fi.isSymLink()) && (!fi.isFile() || !isBackupFile(path))) {
        return text(Text::TargetNotBackup, language).arg(QDir::toNativeSeparators(path));
    }
    return QString();
}

QStringList backupsNewestFirst(const QStringList& folders) {
    QList<QFileInfo> found;
    for (const QString& folder : folders) {
        if (folder.isEmpty()) {
            continue;
        }
        found << QDir(folder).entryInfoList({QStringLiteral("*.zip")}, QDir::Files);
    }
    std::stable_sort(found.begin(), found.end(), [](const QFileInfo& a, const QFileInfo& b) {
        return a.lastModified() > b.lastModified();
    });
    QStringList out;
    for (const QFileInfo& fi : found) {
        out << fi.absoluteFilePath();
    }
    return out;
}

struct StagedRestore::Private {
    QString file;
    QDateTime made;
    qint64 plants = 0;
    qint64 works = 0;
    std::unique_ptr<QTemporaryDir> staging;
    QString db;
    QString pictures;
};

StagedRestore::StagedRestore() : d(std::make_unique<Private>()) {}
StagedRestore::~StagedRestore() = default;

QString StagedRestore::file() const {
    return d->file;
}
QDateTime StagedRestore::made() const {
    return d->made;
}
qint64 StagedRestore::plants() const {
    return d->plants;
}
qint64 StagedRestore::works() const {
    return d->works;
}

QString StagedRestore::describe(int language) const {
    const QString when = d->made.isValid() ? store::formatDate(d->made.date()) + QLatin1Char(' ') +
                                                 d->made.time().toString(QStringLiteral("HH:mm"))
                                           : QStringLiteral("?");
    return text(Text::BackupInfo, language)
        .arg(QFileInfo(d->file).fileName(), when)
        .arg(d->plants)
        .arg(d->works);
}

std::unique_ptr<StagedRestore> prepareRestore(const QString& zipPath, int language) {
    const QString name = QFileInfo(zipPath).fileName();
    const auto fail = [&](Text t) { refuse(t, language, name); };
    std::unique_ptr<StagedRestore> staged(new StagedRestore());
    StagedRestore::Private& s = *staged->d;
    s.file = QFileInfo(zipPath).absoluteFilePath();

    ZipReader r;
    int err = 0;
    r.z = zip_open(QFile::encodeName(zipPath).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &err);
    if (!r.z) {
        fail(startsLikeZip(zipPath) ? Text::Damaged : Text::NotOurs);
    }
    const QByteArray manifest = readManifest(r.z);
    const int version = manifestVersion(manifest);
    if (version == 0) {
        fail(Text::NotOurs);
    }
    if (version > ManifestVersion) {
        throw store::Error(text(Text::NewerFormat, language).arg(name).arg(version));
    }
    s.made = QDateTime::fromString(QString::fromUtf8(manifest.split('\n').value(1).trimmed()),
                                   Qt::ISODate);
    if (!s.made.isValid()) {
        s.made = QFileInfo(zipPath).lastModified();
    }

    // Everything is judged by the sizes the archive declares before a byte is unpacked.
    struct Entry {
        zip_uint64_t index;
        QString name;
    };
    QList<Entry> wanted;
    qint64 total = 0;
    bool database = false;
    const zip_int64_t count = zip_get_num_entries(r.z, 0);
    const QString picturePrefix = QString::fromLatin1(PictureDir) + QLatin1Char('/');
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(r.z, zip_uint64_t(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME) ||
            !(st.valid & ZIP_STAT_SIZE)) {
            fail(Text::Damaged);
        }
        const QString entry = QString::fromUtf8(st.name);
        const bool isDb = entry == databaseName();
        if (!isDb && !entry.startsWith(picturePrefix)) {
            continue;  // the manifest, and anything else a later version may add
        }
        if (!safeEntryName(entry)) {
            fail(Text::NotOurs);
        }
        if (entry.endsWith(QLatin1Char('/'))) {
            continue;
        }
        if (!isDb && qint64(st.size) > MaxPictureBytes) {
            throw store::Error(
                text(Text::EntryTooLarge, language)
                    .arg(name, entry, megabytes(qint64(st.size)), megabytes(MaxPictureBytes)));
        }
        database = database || isDb;
        // Summed without overflow: a size that would is more than any disk has anyway.
        total += qint64(std::min<zip_uint64_t>(st.size, zip_uint64_t(1) << 50));
        total = std::min(total, qint64(1) << 60);
        wanted.append({zip_uint64_t(i), entry});
    }
    if (!database) {
        fail(Text::NotOurs);
    }
    const QString dataDir = data::dataFolder();
    const QStorageInfo disk(dataDir);
    if (disk.isValid() && disk.bytesAvailable() < total + RoomMarginBytes) {
        throw store::Error(text(Text::NotEnoughRoom, language)
                               .arg(name, megabytes(total + RoomMarginBytes),
                                    QString::number(disk.bytesAvailable() / (1024 * 1024))));
    }

    // Unpacked beside the data, so the files move into place by renaming.
    s.staging =
        std::make_unique<QTemporaryDir>(QDir(dataDir).filePath(QStringLiteral(".gendan-XXXXXX")));
    if (!s.staging->isValid()) {
        throw store::Error(text(Text::RestoreFailed, language).arg(s.staging->errorString()));
    }
    s.pictures = s.staging->filePath(QString::fromLatin1(PictureDir));
    QDir().mkpath(s.pictures);
    s.db = s.staging->filePath(databaseName());
    for (const Entry& e : std::as_const(wanted)) {
        QString why;
        switch (extract(r.z, e.index, s.staging->filePath(e.name), &why)) {
            case Extracted::Ok:
                break;
            case Extracted::Damaged:
                refuse(Text::Damaged, language, name);
            case Extracted::NoRoom:
                throw store::Error(
                    text(Text::NoRoomLeft, language).arg(QDir::toNativeSeparators(dataDir)));
            case Extracted::WriteFailed:
                throw store::Error(text(Text::RestoreFailed, language).arg(why));
        }
    }
    const auto problems = store::Database::checkFile(s.db, data::tableDefs());
    if (!problems.isEmpty()) {
        throw store::Error(schemaReason(problems.first(), name, language));
    }
    s.plants = store::Database::rowCountIn(s.db, QStringLiteral("Planter.db"));
    s.works = store::Database::rowCountIn(s.db, QStringLiteral("Vexmo.DB"));
    return staged;
}

QString commitRestore(StagedRestore& staged, int language, data::TDM* dm) {
    StagedRestore::Private& s = *staged.d;
    const QString dataDir = data::dataFolder();
    const QDateTime now = QDateTime::currentDateTime();
    Live live = liveState();
    QString safety;
    if (live == Live::Sound) {
        safety = QDir(backupFolder()).filePath(backupFileName(Kind::BeforeRestore, now));
        try {
            writeBackup(safety, language);
        } catch (const DamagedDatabase&) {
            // Damage the quick check missed: the files are kept as they are instead.
            live = Live::Damaged;
        }
    }
    // A database that is damaged (or gone) cannot be copied through SQLite: what there is
    // is kept byte for byte, the pictures with it.
    const bool keepFiles = live != Live::Sound;
    if (keepFiles) {
        safety = QDir(backupFolder()).filePath(backupFileName(Kind::Damaged, now));
    }
    const QString keepDb = keepFiles ? safety : s.staging->filePath(QStringLiteral("old-db"));
    const QString keepPictures = keepFiles ? QDir(safety).filePath(QString::fromLatin1(PictureDir))
                                           : s.staging->filePath(QStringLiteral("old-pictures"));

    detail::TablesClosed closed(dm);
    store::Session::release(alias());
    if (store::Database::isOpen(dataDir)) {
        throw store::Error(text(Text::StillInUse, language));
    }
    // The current pictures step aside and the restored ones take their place; they step
    // back if the database cannot be replaced, which happens in one step or not at all.
    const QString livePictures = pictureFolder();
    const bool hadPictures = QFileInfo::exists(livePictures);
    QDir().mkpath(QFileInfo(keepPictures).absolutePath());
    if (hadPictures && !QDir().rename(livePictures, keepPictures)) {
        throw store::Error(text(Text::RestoreFailed, language).arg(livePictures));
    }
    if (!QDir().rename(s.pictures, livePictures)) {
        if (hadPictures) {
            QDir().rename(keepPictures, livePictures);
        }
        throw store::Error(text(Text::RestoreFailed, language).arg(livePictures));
    }
    try {
        store::Database::installFile(dataDir, s.db, keepDb);
    } catch (const store::Error& e) {
        QDir().rename(livePictures, s.pictures);
        if (hadPictures) {
            QDir().rename(keepPictures, livePictures);
        }
        throw store::Error(text(Text::RestoreFailed, language).arg(toolkit::errorText(e)));
    }
    return safety;
}

QString restoreBackup(const QString& zipPath, int language, data::TDM* dm,
                      const std::function<bool(const QString&)>& confirm) {
    auto staged = prepareRestore(zipPath, language);
    if (!confirm(backupFolder())) {
        return QString();
    }
    return commitRestore(*staged, language, dm);
}

}  // namespace backup
