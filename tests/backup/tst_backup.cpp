// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSettings>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "backup/archive.h"
#include "backup/backupform.h"
#include "backup/csv.h"
#include "backup/functions.h"
#include "backup/oldimport.h"
#include "backup/paradox.h"
#include "backup/places.h"
#include "backup/runstate_p.h"
#include "backup/texts.h"
#include "data/datafolder.h"
#include "data/dm.h"
#include "i18n/langsource.h"
#include "i18n/texts.h"
#include "paradoxwriter.h"
#include "store/format.h"
#include "store/session.h"
#include "testsupport.h"

using namespace backup;
namespace px = backup::paradox;

namespace {

QString samples() {
    return QStringLiteral(PARADOX_SAMPLES);
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Every row of every table, as text, in the tables' order.
QString dump(data::TDM& dm) {
    QStringList out;
    QList<store::Table*> all{dm.ConfigTable};
    all << dm.tablesInOpeningOrder();
    for (store::Table* t : all) {
        if (t == dm.MaterialeTable) {
            continue;  // seen through its master range only; counted below
        }
        out << t->TableName();
        for (t->First(); !t->Eof(); t->Next()) {
            QStringList cells;
            for (int i = 0; i < t->FieldCount(); ++i) {
                cells << csvValue(t->Fields(i), CsvFormat());
            }
            out << cells.join(QLatin1Char('|'));
        }
    }
    auto db = store::Session::database(QString::fromLatin1(data::TDM::Alias));
    out << QString::number(db->rowCount(QStringLiteral("Materialer.db")));
    return out.join(QLatin1Char('\n'));
}

QString pictures() {
    return QDir(data::dataFolder()).filePath(QStringLiteral("Billeder"));
}

bool zipTool(const QString& workDir, const QStringList& args) {
    QProcess p;
    p.setWorkingDirectory(workDir);
    p.start(QStringLiteral("zip"), QStringList{QStringLiteral("-q")} + args);
    return p.waitForFinished(60000) && p.exitCode() == 0;
}

// SQL on a database file through the sqlite3 tool, as someone crafting a backup would.
bool sqliteTool(const QString& file, const QString& sql) {
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {file, sql});
    return p.waitForFinished(60000) && p.exitCode() == 0;
}

QString databaseFile() {
    return QDir(data::dataFolder()).filePath(QString::fromLatin1(store::Database::FileName));
}

// A backup made by hand in work: the manifest, the database file db, and pictures given by
// their names below Billeder.
QString zipBackup(const QString& work, const QString& db, const QByteArray& manifest,
                  const QList<std::pair<QString, QByteArray>>& pictureFiles = {}) {
    static int made = 0;
    ++made;
    const QString zip = QDir(work).filePath(QStringLiteral("hand-%1.zip").arg(made));
    const QString stage = QDir(work).filePath(QStringLiteral("stage-%1").arg(made));
    writeFile(QDir(stage).filePath(QStringLiteral("Verdamo-sikkerhedskopi.txt")), manifest);
    QFile::copy(db, QDir(stage).filePath(QString::fromLatin1(store::Database::FileName)));
    QStringList args{QStringLiteral("-0"), QStringLiteral("-r"), zip,
                     QStringLiteral("Verdamo-sikkerhedskopi.txt"),
                     QString::fromLatin1(store::Database::FileName)};
    for (const auto& [name, bytes] : pictureFiles) {
        writeFile(QDir(stage).filePath(QStringLiteral("Billeder/") + name), bytes);
    }
    if (!pictureFiles.isEmpty()) {
        args << QStringLiteral("Billeder");
    }
    return zipTool(stage, args) ? zip : QString();
}

quint16 le16At(const QByteArray& b, qsizetype at) {
    const auto* u = reinterpret_cast<const unsigned char*>(b.constData() + at);
    return quint16(u[0] | u[1] << 8);
}
void putLe32(QByteArray& b, qsizetype at, quint32 v) {
    for (int i = 0; i < 4; ++i) {
        b[at + i] = char((v >> (8 * i)) & 0xff);
    }
}

// Rewrites the uncompressed size a ZIP declares for an entry, in its local header and in
// the central directory alike, as a hostile archive would.
void declareSize(const QString& zip, const QString& entry, quint32 size) {
    QByteArray b = readAll(zip);
    const QByteArray name = entry.toUtf8();
    for (qsizetype at = 0; (at = b.indexOf("PK\x03\x04", at)) >= 0; at += 4) {
        if (b.mid(at + 30, le16At(b, at + 26)) == name) {
            putLe32(b, at + 22, size);
        }
    }
    for (qsizetype at = 0; (at = b.indexOf("PK\x01\x02", at)) >= 0; at += 4) {
        if (b.mid(at + 46, le16At(b, at + 28)) == name) {
            putLe32(b, at + 24, size);
        }
    }
    writeFile(zip, b);
}

// The main window's language source on the shipped language files, so that texts come in
// every language.
struct Languages {
    QWidget main;
    Languages() {
        auto* source = new i18n::TQLanguageSource(&main);
        source->setObjectName(QStringLiteral("QLanguageSource1"));
        source->SetOriginalName(QStringLiteral("Dansk"));
        source->SetLanguages(
            {QStringLiteral("English=English.lng"), QStringLiteral("Norsk=Norsk.lng"),
             QStringLiteral("Svensk=Svensk.lng"), QStringLiteral("Deutsch=Deutsch.lng")});
    }
};

// A small tmpfs as a disk that fills up; empty when this test may not mount one.
class SmallDisk {
public:
    // With files, no more than that many files and folders fit, however small.
    explicit SmallDisk(int megabytes, int files = 0) {
        QString options = QStringLiteral("size=%1m").arg(megabytes);
        if (files > 0) {
            options += QStringLiteral(",nr_inodes=%1").arg(files);
        }
        QProcess p;
        p.start(QStringLiteral("mount"),
                {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"), options,
                 QStringLiteral("tmpfs"), m_dir.path()});
        m_mounted = p.waitForFinished(10000) && p.exitCode() == 0;
    }
    ~SmallDisk() {
        if (m_mounted) {
            QProcess p;
            p.start(QStringLiteral("umount"), {QStringLiteral("-l"), m_dir.path()});
            p.waitForFinished(10000);
        }
    }
    bool mounted() const { return m_mounted; }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

QByteArray randomBytes(qsizetype n) {
    QByteArray b(n, Qt::Uninitialized);
    auto* g = QRandomGenerator::global();
    for (qsizetype i = 0; i + 4 <= n; i += 4) {
        const quint32 v = g->generate();
        memcpy(b.data() + i, &v, 4);
    }
    return b;
}

}  // namespace

class BackupTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<testsupport::DataFolder> m_folder;
    std::unique_ptr<testsupport::ScriptedDialogs> m_dialogs;
    std::unique_ptr<data::TDM> m_dm;
    QTemporaryDir m_out;

    void fresh() {
        m_dm.reset();
        m_folder = std::make_unique<testsupport::DataFolder>();
        m_dm = std::make_unique<data::TDM>();
        testsupport::openAll(*m_dm);
    }

    void addPlant(const QString& name, const QString& family, double price,
                  const QString& notes = QString()) {
        store::Table& t = *m_dm->PlanteTable;
        t.Insert();
        t.FieldByName(QStringLiteral("Plantenavn")).setAsString(name);
        t.FieldByName(QStringLiteral("Familie")).setAsString(family);
        t.FieldByName(QStringLiteral("Pris")).setAsFloat(price);
        t.FieldByName(QStringLiteral("Plantet")).setAsDate(QDate(2024, 5, 17));
        t.FieldByName(QStringLiteral("Notater")).setAsString(notes);
        t.Post();
    }

    void addWork(const QString& name, int materials) {
        m_dm->HaveTable->Insert();
        m_dm->HaveTable->FieldByName(QStringLiteral("Arbejdet")).setAsString(name);
        m_dm->HaveTable->Post();
        for (int i = 0; i < materials; ++i) {
            m_dm->MaterialeTable->Insert();
            m_dm->MaterialeTable->FieldByName(QStringLiteral("Materialer"))
                .setAsString(QStringLiteral("Sten %1").arg(i));
            m_dm->MaterialeTable->FieldByName(QStringLiteral("Antal")).setAsInteger(3);
            m_dm->MaterialeTable->FieldByName(QStringLiteral("Pris")).setAsFloat(12.5);
            m_dm->MaterialeTable->Post();
        }
    }

    void fillSome() {
        addPlant(QStringLiteral("Rødløg"), QStringLiteral("Løgfamilien"), 12.5,
                 QStringLiteral("Første linje\nanden linje"));
        addPlant(QStringLiteral("Æble \"Ingrid Marie\""), QStringLiteral("Rosaceae"), 250);
        addWork(QStringLiteral("Terrasse"), 2);
        writeFile(QDir(pictures()).filePath(QStringLiteral("Plante1.jpg")),
                  QByteArray(300000, 'x') + "ende");
        writeFile(QDir(pictures()).filePath(QStringLiteral("Have1.jpg")), "have");
    }

    QString backupNow() {
        const QString zip = m_out.filePath(QStringLiteral("b%1.zip").arg(++m_zips));
        writeBackup(zip, -1);
        return zip;
    }
    int m_zips = 0;

private Q_SLOTS:
    void initTestCase() {
        testsupport::useDanishFormats();
        QVERIFY(m_out.isValid());
    }
    void init() {
        m_dialogs = std::make_unique<testsupport::ScriptedDialogs>();
        fresh();
        QFile::remove(settingsFile());
        detail::runState() = detail::RunState();
    }
    void cleanup() {
        m_dm.reset();
        m_folder.reset();
        m_dialogs.reset();
    }

    // ---- backup and restore ---------------------------------------------------------

    void aRestoreIntoAnEmptyFolderGivesEverythingBack() {
        fillSome();
        const QString before = dump(*m_dm);
        const QByteArray picture =
            readAll(QDir(pictures()).filePath(QStringLiteral("Plante1.jpg")));
        const QString zip = backupNow();

        fresh();
        QVERIFY(dump(*m_dm) != before);
        writeFile(QDir(pictures()).filePath(QStringLiteral("Plante9.jpg")), "gone after");
        QString askedFolder;
        const QString safety = restoreBackup(zip, -1, m_dm.get(), [&](const QString& f) {
            askedFolder = f;
            return true;
        });
        QCOMPARE(askedFolder, backupFolder());
        QVERIFY(QFileInfo::exists(safety));
        QVERIFY(m_dm->PlanteTable->Active());
        QCOMPARE(dump(*m_dm), before);
        QCOMPARE(readAll(QDir(pictures()).filePath(QStringLiteral("Plante1.jpg"))), picture);
        QCOMPARE(readAll(QDir(pictures()).filePath(QStringLiteral("Have1.jpg"))),
                 QByteArrayLiteral("have"));
        QVERIFY(!QFileInfo::exists(QDir(pictures()).filePath(QStringLiteral("Plante9.jpg"))));
        // The data replaced are in the safety copy.
        const QString kept = m_out.filePath(QStringLiteral("safety.zip"));
        QVERIFY(QFile::copy(safety, kept));
        fresh();
        restoreBackup(kept, -1, m_dm.get(), [](const QString&) { return true; });
        QCOMPARE(readAll(QDir(pictures()).filePath(QStringLiteral("Plante9.jpg"))),
                 QByteArrayLiteral("gone after"));
    }

    void aBackupDuringAnEditHoldsTheLastPostedState() {
        addPlant(QStringLiteral("Posted"), QStringLiteral("A"), 1);
        m_dm->PlanteTable->Edit();
        m_dm->PlanteTable->FieldByName(QStringLiteral("Plantenavn"))
            .setAsString(QStringLiteral("Typed"));
        const QString zip = backupNow();
        QCOMPARE(m_dm->PlanteTable->State(), store::DataSetState::Edit);
        m_dm->PlanteTable->Post();

        fresh();
        restoreBackup(zip, -1, m_dm.get(), [](const QString&) { return true; });
        m_dm->PlanteTable->First();
        QCOMPARE(m_dm->PlanteTable->FieldByName(QStringLiteral("Plantenavn")).AsString(),
                 QStringLiteral("Posted"));
    }

    void theMenuBackupGoesWhereTheUserSays() {
        fillSome();
        m_dialogs->files << m_out.filePath(QStringLiteral("valgt"));
        saveBackupAs(-1);
        QVERIFY(
            m_dialogs->shown.first().text.contains(backupFolder() + QStringLiteral("/Verdamo-")));
        QVERIFY(QFileInfo::exists(m_out.filePath(QStringLiteral("valgt.zip"))));
        QCOMPARE(m_dialogs->shown.last().type, toolkit::MsgType::Information);
        QVERIFY(
            m_dialogs->shown.last().text.startsWith(QStringLiteral("Sikkerhedskopien er gemt i:")));
    }

    void theDailyBackupRunsOnceADayAndKeepsTen() {
        writeFile(QDir(backupFolder()).filePath(QStringLiteral("Verdamo-2020-01-01-120000.zip")),
                  "the user's own");
        const QDateTime first(QDate(2026, 3, 1), QTime(10, 0));
        for (int day = 0; day < 12; ++day) {
            const QDateTime morning = first.addDays(day);
            QVERIFY(!dailyBackup(morning, -1).written.isEmpty());
            QVERIFY(dailyBackup(morning.addSecs(8 * 3600), -1).written.isEmpty());
        }
        const QStringList daily =
            QDir(backupFolder())
                .entryList({QStringLiteral("Verdamo-auto-*.zip")}, QDir::Files, QDir::Name);
        QCOMPARE(daily.size(), 10);
        QCOMPARE(daily.first(), QStringLiteral("Verdamo-auto-2026-03-03-100000.zip"));
        QCOMPARE(daily.last(), QStringLiteral("Verdamo-auto-2026-03-12-100000.zip"));
        QVERIFY(QFileInfo::exists(
            QDir(backupFolder()).filePath(QStringLiteral("Verdamo-2020-01-01-120000.zip"))));
    }

    void aBadBackupIsRefusedWithNothingChanged_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("not a zip") << "text"
                                   << "er ikke en sikkerhedskopi fra Verdamo";
        QTest::newRow("foreign zip") << "foreign"
                                     << "er ikke en sikkerhedskopi fra Verdamo";
        QTest::newRow("truncated") << "truncated"
                                   << "er beskadiget eller ufuldstændig";
        QTest::newRow("flipped byte") << "flipped"
                                      << "er beskadiget eller ufuldstændig";
        QTest::newRow("not a database") << "garbage db"
                                        << "er beskadiget eller ufuldstændig";
        QTest::newRow("a table missing") << "no table"
                                         << "Tabellen Navne.db mangler.";
        QTest::newRow("escaping name") << "escape"
                                       << "er ikke en sikkerhedskopi fra Verdamo";
    }

    void aBadBackupIsRefusedWithNothingChanged() {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        fillSome();
        const QString good = backupNow();
        const QString before = dump(*m_dm);
        QTemporaryDir work;
        const QString bad = work.filePath(QStringLiteral("bad.zip"));
        const QByteArray manifest = "Verdamo backup 1\n";
        if (kind == QLatin1String("text")) {
            writeFile(bad, "just some text");
        } else if (kind == QLatin1String("foreign")) {
            writeFile(work.filePath(QStringLiteral("letter.txt")), "hello");
            QVERIFY(zipTool(work.path(), {bad, QStringLiteral("letter.txt")}));
        } else if (kind == QLatin1String("truncated")) {
            writeFile(bad, readAll(good).left(readAll(good).size() / 2));
        } else if (kind == QLatin1String("flipped")) {
            QByteArray b = readAll(good);
            // Inside the compressed data of the database, past its local header.
            const qsizetype at = b.indexOf("Verdamo.sqlite");
            QVERIFY(at > 0);
            b[at + 400] = char(b[at + 400] ^ 0x55);
            writeFile(bad, b);
        } else if (kind == QLatin1String("garbage db") || kind == QLatin1String("no table") ||
                   kind == QLatin1String("escape")) {
            writeFile(work.filePath(QStringLiteral("Verdamo-sikkerhedskopi.txt")), manifest);
            const QString db = work.filePath(QString::fromLatin1(store::Database::FileName));
            if (kind == QLatin1String("garbage db")) {
                writeFile(db, QByteArray(8192, 'g'));
            } else {
                store::Database made(work.path(), true);
                for (const store::TableDef& d : data::tableDefs()) {
                    if (d.name != QLatin1String("Navne.db")) {
                        made.createTable(d);
                    }
                }
            }
            QStringList args{bad, QStringLiteral("Verdamo-sikkerhedskopi.txt"),
                             QString::fromLatin1(store::Database::FileName)};
            if (kind == QLatin1String("escape")) {
                writeFile(work.filePath(QStringLiteral("x/Billeder/evil.jpg")), "evil");
                QVERIFY(zipTool(work.filePath(QStringLiteral("x")),
                                {bad, QStringLiteral("Billeder/evil.jpg")}));
                // Rewrites the name in place to climb out of the picture folder.
                QByteArray b = readAll(bad);
                b.replace("Billeder/evil.jpg", "Billeder/../e.jpg");
                writeFile(bad, b);
            } else {
                QVERIFY(zipTool(work.path(), args));
            }
        }
        m_dialogs->files << bad;
        restoreFromBackup(-1, m_dm.get());
        QCOMPARE(m_dialogs->shown.size(), 2);  // the file dialog and the refusal, no question
        QCOMPARE(m_dialogs->shown.last().type, toolkit::MsgType::Error);
        QVERIFY2(m_dialogs->shown.last().text.contains(message),
                 qPrintable(m_dialogs->shown.last().text));
        QVERIFY(m_dialogs->shown.last().text.endsWith(QStringLiteral("Intet er ændret.")));
        QCOMPARE(dump(*m_dm), before);
        QVERIFY(QFileInfo::exists(QDir(pictures()).filePath(QStringLiteral("Plante1.jpg"))));
        QVERIFY(!QFileInfo::exists(QDir(data::dataFolder()).filePath(QStringLiteral("e.jpg"))));
        QVERIFY(!QFileInfo::exists(backupFolder()) || QDir(backupFolder()).isEmpty());
    }

    void sayingNoToTheRestoreChangesNothing() {
        const QString zip = backupNow();
        fillSome();
        const QString before = dump(*m_dm);
        m_dialogs->files << zip;
        m_dialogs->answers << toolkit::mrNo;
        restoreFromBackup(-1, m_dm.get());
        QCOMPARE(m_dialogs->shown.size(), 2);
        QCOMPARE(m_dialogs->shown.last().type, toolkit::MsgType::Confirmation);
        QCOMPARE(dump(*m_dm), before);
    }

    void theRestoreSpeaksTheLanguage() {
        Languages languages;
        fillSome();
        m_dialogs->files << backupNow();
        m_dialogs->answers << toolkit::mrYes;
        restoreFromBackup(3, m_dm.get());
        QVERIFY(m_dialogs->shown.at(1).text.startsWith(QStringLiteral("Alle Daten und Bilder")));
        QVERIFY(m_dialogs->shown.last().text.startsWith(
            QStringLiteral("Die Sicherung wurde wiederhergestellt.")));
    }

    // ---- damaged data ---------------------------------------------------------------

    // Closes everything on the database and spoils its file the way a failing disk does:
    // "pages" leaves the header and damages what follows, "garbage" leaves no database at
    // all, "missing" takes the file away.
    void damageDatabase(const QString& how) {
        m_dm.reset();
        store::Session::closeAll();
        const QString file = databaseFile();
        QVERIFY(!QFileInfo::exists(file + QStringLiteral("-wal")));
        if (how == QLatin1String("pages")) {
            QByteArray b = readAll(file);
            QVERIFY(b.size() > 6 * 4096);
            for (qsizetype i = 2 * 4096; i < b.size() - 4096; ++i) {
                b[i] = char(0xff);
            }
            writeFile(file, b);
        } else if (how == QLatin1String("garbage")) {
            writeFile(file, QByteArray(64 * 1024, 'g'));
        } else {
            QVERIFY(QFile::remove(file));
        }
        m_dm = std::make_unique<data::TDM>();
    }

    QString keptDamagedFolder() {
        const QStringList aside = QDir(backupFolder())
                                      .entryList({QStringLiteral("Verdamo-beskadiget-*")},
                                                 QDir::Dirs | QDir::NoDotAndDotDot);
        return aside.size() == 1 ? QDir(backupFolder()).filePath(aside.first()) : QString();
    }

    void aRestoreReplacesADamagedDatabase_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("damaged pages") << "pages";
        QTest::newRow("not a database") << "garbage";
        QTest::newRow("missing") << "missing";
    }

    void aRestoreReplacesADamagedDatabase() {
        QFETCH(QString, how);
        fillSome();
        const QString before = dump(*m_dm);
        const QString zip = backupNow();
        writeFile(QDir(pictures()).filePath(QStringLiteral("Plante7.jpg")), "only here");
        damageDatabase(how);
        const QByteArray damaged = readAll(databaseFile());

        m_dialogs->files << zip;
        m_dialogs->answers << toolkit::mrYes;
        restoreFromBackup(-1, m_dm.get());
        QCOMPARE(m_dialogs->shown.size(), 3);
        const QString question = m_dialogs->shown.at(1).text;
        QCOMPARE(question.startsWith(QStringLiteral("Databasen er beskadiget.")),
                 how != QLatin1String("missing"));
        QVERIFY2(question.contains(QStringLiteral("planter: 2, haveanlæg: 1")),
                 qPrintable(question));
        QCOMPARE(m_dialogs->shown.last().type, toolkit::MsgType::Information);
        QVERIFY(m_dialogs->shown.last().text.startsWith(
            QStringLiteral("Sikkerhedskopien er gendannet.")));
        testsupport::openAll(*m_dm);
        QCOMPARE(dump(*m_dm), before);
        // What there was is kept byte for byte, the pictures with it.
        const QString kept = keptDamagedFolder();
        QVERIFY(!kept.isEmpty());
        QVERIFY(m_dialogs->shown.last().text.contains(QDir::toNativeSeparators(kept)));
        if (how != QLatin1String("missing")) {
            QCOMPARE(readAll(QDir(kept).filePath(QString::fromLatin1(store::Database::FileName))),
                     damaged);
        }
        QCOMPARE(readAll(QDir(kept).filePath(QStringLiteral("Billeder/Plante7.jpg"))),
                 QByteArrayLiteral("only here"));
        QVERIFY(!QFileInfo::exists(QDir(pictures()).filePath(QStringLiteral("Plante7.jpg"))));
        // The restored database takes posts as any other.
        addPlant(QStringLiteral("Ny efter gendannelse"), QString(), 1);
        QCOMPARE(m_dm->PlanteTable->RecordCount(), 3);
    }

    void theOldDataComeInOverADamagedDatabase() {
        addPlant(QStringLiteral("Min egen"), QString(), 1);
        writeFile(QDir(pictures()).filePath(QStringLiteral("Plante1.jpg")), "mine");
        damageDatabase(QStringLiteral("pages"));
        const QByteArray damaged = readAll(databaseFile());
        QTemporaryDir old;
        writeOldTables(old.path());
        m_dialogs->files << old.path();
        m_dialogs->answers << toolkit::mrYes;
        importOldTables(-1, m_dm.get());
        QCOMPARE(m_dialogs->shown.size(), 3);
        QVERIFY2(m_dialogs->shown.at(1).text.contains(
                     QStringLiteral("Databasen er beskadiget; dens filer flyttes uændret til")),
                 qPrintable(m_dialogs->shown.at(1).text));
        QVERIFY2(
            m_dialogs->shown.last().text.startsWith(QStringLiteral("De gamle data er importeret:")),
            qPrintable(m_dialogs->shown.last().text));
        testsupport::openAll(*m_dm);
        QCOMPARE(m_dm->PlanteTable->RecordCount(), 2);
        // The old settings come in; the sizes they lack are the ones a new folder starts with.
        m_dm->ConfigTable->First();
        QCOMPARE(m_dm->ConfigTable->FieldByName(QStringLiteral("Sprog")).AsInteger(), 1);
        QCOMPARE(m_dm->ConfigTable->FieldByName(QStringLiteral("W_Main")).AsInteger(), 900);
        QCOMPARE(m_dm->ConfigTable->FieldByName(QStringLiteral("W_Reg")).AsInteger(),
                 data::RegDesignSize.width);
        QCOMPARE(readAll(QDir(pictures()).filePath(QStringLiteral("Plante1.jpg"))),
                 QByteArrayLiteral("old picture"));
        const QString kept = keptDamagedFolder();
        QCOMPARE(readAll(QDir(kept).filePath(QString::fromLatin1(store::Database::FileName))),
                 damaged);
        QCOMPARE(readAll(QDir(kept).filePath(QStringLiteral("Billeder/Plante1.jpg"))),
                 QByteArrayLiteral("mine"));
    }

    void aDamagedDatabaseNeverPushesOutAGoodBackup() {
        fillSome();
        const QDateTime first(QDate(2020, 3, 1), QTime(10, 0));
        for (int day = 0; day < 10; ++day) {
            QCOMPARE(dailyBackup(first.addDays(day), -1).written.size(), 1);
        }
        const auto listing = [] {
            QStringList out;
            for (const QFileInfo& fi : QDir(backupFolder()).entryInfoList(QDir::Files)) {
                out << fi.fileName() + QLatin1Char(' ') + QString::number(fi.size());
            }
            return out;
        };
        const QStringList before = listing();
        QCOMPARE(before.size(), 10);
        damageDatabase(QStringLiteral("pages"));
        QVERIFY_THROWS_EXCEPTION(DamagedDatabase, dailyBackup(first.addDays(10), -1));
        QCOMPARE(listing(), before);

        // At closing the user is told once, with what to do.
        dailyBackupAtClose(-1);
        dailyBackupAtClose(-1);
        QCOMPARE(m_dialogs->shown.size(), 1);
        QCOMPARE(m_dialogs->shown.first().type, toolkit::MsgType::Warning);
        QVERIFY(m_dialogs->shown.first().text.startsWith(
            QStringLiteral("Databasen er beskadiget, så der er ikke lavet en daglig")));
        QVERIFY(m_dialogs->shown.first().text.contains(QStringLiteral("Gendan sikkerhedskopi")));
        QCOMPARE(listing(), before);

        // Nor is a manual backup of it made, which would look like one that can be restored.
        m_dialogs->files << m_out.filePath(QStringLiteral("haandlavet.zip"));
        QVERIFY(!saveBackupAs(-1));
        QCOMPARE(m_dialogs->shown.last().type, toolkit::MsgType::Error);
        QVERIFY(m_dialogs->shown.last().text.startsWith(QStringLiteral("Databasen er beskadiget")));
        QVERIFY(!QFileInfo::exists(m_out.filePath(QStringLiteral("haandlavet.zip"))));
    }

    void theNewestWholeBackupIsOfferedAtStart_data() {
        QTest::addColumn<QString>("where");  // where the good backup lies
        QTest::addColumn<int>("answer");
        QTest::newRow("restored") << "data folder" << int(toolkit::mrYes);
        QTest::newRow("from the second place") << "second place" << int(toolkit::mrYes);
        QTest::newRow("declined") << "data folder" << int(toolkit::mrNo);
        QTest::newRow("no good backup") << "nowhere" << int(toolkit::mrYes);
    }

    void theNewestWholeBackupIsOfferedAtStart() {
        QFETCH(QString, where);
        QFETCH(int, answer);
        QTemporaryDir stick;
        setSecondPlace(stick.path());
        fillSome();
        const QString before = dump(*m_dm);
        const QDateTime now = QDateTime::currentDateTime();
        const QString good =
            QDir(where == QLatin1String("second place") ? stick.path() : backupFolder())
                .filePath(QStringLiteral("Verdamo-auto-2020-01-01-100000.zip"));
        if (where != QLatin1String("nowhere")) {
            writeBackup(good, -1);
            QFile f(good);
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.setFileTime(now.addDays(-2), QFileDevice::FileModificationTime);
        }
        // A newer backup that is not whole is passed over.
        addPlant(QStringLiteral("Tredje"), QString(), 3);
        const QString broken =
            QDir(backupFolder()).filePath(QStringLiteral("Verdamo-auto-2020-01-02-100000.zip"));
        writeBackup(broken, -1);
        writeFile(broken, readAll(broken).left(readAll(broken).size() / 2));
        damageDatabase(QStringLiteral("pages"));
        const QByteArray damaged = readAll(databaseFile());

        m_dialogs->answers << answer;
        const bool restored = offerRestoreIfDamaged(m_dm.get());
        QCOMPARE(restored, where != QLatin1String("nowhere") && answer == toolkit::mrYes);
        const QString first = m_dialogs->shown.value(0).text;
        QVERIFY2(first.startsWith(QStringLiteral("Databasen %1 er beskadiget")
                                      .arg(QDir::toNativeSeparators(databaseFile()))),
                 qPrintable(first));
        if (where == QLatin1String("nowhere")) {
            QCOMPARE(m_dialogs->shown.size(), 1);
            QCOMPARE(m_dialogs->shown.first().type, toolkit::MsgType::Error);
            QVERIFY(first.contains(QStringLiteral("der er ingen hel sikkerhedskopi")));
            QVERIFY(first.contains(QDir::toNativeSeparators(stick.path())));
            QCOMPARE(readAll(databaseFile()), damaged);
            return;
        }
        QCOMPARE(m_dialogs->shown.size(), 2);
        QCOMPARE(m_dialogs->shown.first().type, toolkit::MsgType::Confirmation);
        QVERIFY2(first.contains(QStringLiteral("Verdamo-auto-2020-01-01-100000.zip (lavet ")),
                 qPrintable(first));
        QVERIFY(first.contains(QStringLiteral("planter: 2, haveanlæg: 1")));
        if (answer == toolkit::mrNo) {
            QVERIFY(m_dialogs->shown.last().text.startsWith(
                QStringLiteral("De beskadigede filer er ikke ændret.")));
            QCOMPARE(readAll(databaseFile()), damaged);
            QVERIFY(keptDamagedFolder().isEmpty());
            return;
        }
        QVERIFY(m_dialogs->shown.last().text.startsWith(
            QStringLiteral("Sikkerhedskopien er gendannet.")));
        testsupport::openAll(*m_dm);
        QCOMPARE(dump(*m_dm), before);
        QCOMPARE(
            readAll(
                QDir(keptDamagedFolder()).filePath(QString::fromLatin1(store::Database::FileName))),
            damaged);
        // A sound database is left to start as always.
        m_dialogs->shown.clear();
        QVERIFY(!offerRestoreIfDamaged(m_dm.get()));
        QVERIFY(m_dialogs->shown.isEmpty());
    }

    // ---- where a backup may go ------------------------------------------------------

    void aBackupIsNeverWrittenOverTheData_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("message");  // empty: written
        QTest::newRow("the database") << "data:Verdamo.sqlite"
                                      << "kan ikke gemmes i datamappen";
        QTest::newRow("a new file in the data folder") << "data:kopi.zip"
                                                       << "kan ikke gemmes i datamappen";
        QTest::newRow("the picture folder") << "data:Billeder/kopi.zip"
                                            << "kan ikke gemmes i datamappen";
        QTest::newRow("a link to the database") << "link"
                                                << "kan ikke gemmes i datamappen";
        QTest::newRow("a letter") << "out:brev.txt"
                                  << "findes allerede og er ikke en sikkerhedskopi";
        QTest::newRow("a folder") << "out:mappe.zip"
                                  << "findes allerede og er ikke en sikkerhedskopi";
        QTest::newRow("the backup folder") << "data:Sikkerhedskopier/kopi.zip"
                                           << "";
        QTest::newRow("an older backup") << "out:gammel.zip"
                                         << "";
        QTest::newRow("a new file elsewhere") << "out:ny.zip"
                                              << "";
    }

    void aBackupIsNeverWrittenOverTheData() {
        QFETCH(QString, target);
        QFETCH(QString, message);
        fillSome();
        const QString before = dump(*m_dm);
        QTemporaryDir out;
        writeFile(out.filePath(QStringLiteral("brev.txt")), "Kære have");
        QDir().mkpath(out.filePath(QStringLiteral("mappe.zip")));
        writeBackup(out.filePath(QStringLiteral("gammel.zip")), -1);
        QString path;
        if (target == QLatin1String("link")) {
            path = out.filePath(QStringLiteral("link.zip"));
            QVERIFY(QFile::link(databaseFile(), path));
        } else if (target.startsWith(QLatin1String("data:"))) {
            path = QDir(data::dataFolder()).filePath(target.mid(5));
        } else {
            path = out.filePath(target.mid(4));
        }
        const QByteArray other = readAll(out.filePath(QStringLiteral("brev.txt")));
        m_dialogs->files << path;
        const bool written = saveBackupAs(-1);
        QCOMPARE(written, message.isEmpty());
        if (written) {
            QVERIFY(isBackupFile(path));
            return;
        }
        QCOMPARE(m_dialogs->shown.last().type, toolkit::MsgType::Error);
        QVERIFY2(m_dialogs->shown.last().text.contains(message),
                 qPrintable(m_dialogs->shown.last().text));
        QCOMPARE(dump(*m_dm), before);
        QCOMPARE(readAll(out.filePath(QStringLiteral("brev.txt"))), other);
        QVERIFY(QFileInfo(out.filePath(QStringLiteral("mappe.zip"))).isDir());
        QVERIFY(!QFileInfo::exists(QDir(data::dataFolder()).filePath(QStringLiteral("kopi.zip"))));
    }

    // ---- the second place -----------------------------------------------------------

    void theDailyBackupGoesToTheSecondPlaceToo() {
        fillSome();
        QTemporaryDir stick;
        setSecondPlace(stick.path());
        const QDateTime first(QDate(2020, 5, 1), QTime(10, 0));
        for (int day = 0; day < 12; ++day) {
            QCOMPARE(dailyBackup(first.addDays(day), -1).written.size(), 2);
        }
        const QStringList pattern{QStringLiteral("Verdamo-auto-*.zip")};
        const QStringList here = QDir(backupFolder()).entryList(pattern, QDir::Files, QDir::Name);
        QCOMPARE(here.size(), 10);
        QCOMPARE(QDir(stick.path()).entryList(pattern, QDir::Files, QDir::Name), here);
        QCOMPARE(readAll(QDir(stick.path()).filePath(here.last())),
                 readAll(QDir(backupFolder()).filePath(here.last())));
        const QDateTime lastDay = first.addDays(11).addSecs(3600);

        // A stick plugged in later the same day gets that day's backup.
        QTemporaryDir later;
        setSecondPlace(later.path());
        DailyResult r = dailyBackup(lastDay, -1);
        QCOMPARE(r.written, QStringList{QDir(later.path()).filePath(here.last())});
        QVERIFY(isBackupFile(r.written.first()));

        // One that is not there is passed over without a word.
        setSecondPlace(QDir(stick.path()).filePath(QStringLiteral("ikke-sat-i")));
        r = dailyBackup(first.addDays(12), -1);
        QCOMPARE(r.written.size(), 1);
        QVERIFY(r.secondPlaceError.isEmpty());

        // One that is there but cannot take the file says why, and the data folder has it.
        QTemporaryDir broken;
        setSecondPlace(broken.path());
        const QString name = backupFileName(Kind::Daily, first.addDays(13));
        QDir().mkpath(QDir(broken.path()).filePath(name + QStringLiteral(".part")));
        r = dailyBackup(first.addDays(13), -1);
        QCOMPARE(r.written.size(), 1);
        QVERIFY(!r.secondPlaceError.isEmpty());
        QVERIFY(QFileInfo::exists(QDir(backupFolder()).filePath(name)));
    }

    void theSecondPlaceLiesOutsideTheData_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("message");
        QTest::newRow("the data folder") << "data:"
                                         << "skal ligge uden for datamappen";
        QTest::newRow("the backup folder") << "data:Sikkerhedskopier"
                                           << "skal ligge uden for";
        QTest::newRow("the picture folder") << "data:Billeder"
                                            << "skal ligge uden for";
        QTest::newRow("not a folder") << "out:fil"
                                      << "Der kan ikke skrives i mappen";
        QTest::newRow("a stick") << "out:"
                                 << "";
    }

    void theSecondPlaceLiesOutsideTheData() {
        QFETCH(QString, folder);
        QFETCH(QString, message);
        QTemporaryDir out;
        writeFile(out.filePath(QStringLiteral("fil")), "x");
        QDir().mkpath(backupFolder());
        QDir().mkpath(pictures());
        const QString path = folder.startsWith(QLatin1String("data:"))
                                 ? QDir(data::dataFolder()).filePath(folder.mid(5))
                                 : out.filePath(folder.mid(4));
        const QString refused = refusedSecondPlace(path, -1);
        QVERIFY2(message.isEmpty() ? refused.isEmpty() : refused.contains(message),
                 qPrintable(refused));
    }

    void theReminderComesAfter30DaysOncePerStart() {
        fillSome();
        const QDateTime now = QDateTime::currentDateTime();
        // Backups in the data folder alone do not count.
        writeBackup(QDir(backupFolder()).filePath(QStringLiteral("Verdamo-i-mappen.zip")), -1);
        QSettings(settingsFile(), QSettings::IniFormat)
            .setValue(QStringLiteral("Since"), now.addDays(-40).toString(Qt::ISODate));
        remindOfOutsideBackup(-1);
        QCOMPARE(m_dialogs->shown.size(), 1);
        QCOMPARE(m_dialogs->shown.first().type, toolkit::MsgType::Confirmation);
        QVERIFY2(m_dialogs->shown.first().text.startsWith(QStringLiteral(
                     "Der er ikke lavet en sikkerhedskopi uden for datamappen i 40 dage.")),
                 qPrintable(m_dialogs->shown.first().text));
        remindOfOutsideBackup(-1);
        QCOMPARE(m_dialogs->shown.size(), 1);

        // A backup outside the data folder sets the clock back.
        detail::runState() = detail::RunState();
        m_dialogs->files << m_out.filePath(QStringLiteral("paa-usb.zip"));
        QVERIFY(saveBackupAs(-1));
        m_dialogs->shown.clear();
        remindOfOutsideBackup(-1);
        QVERIFY(m_dialogs->shown.isEmpty());
        QCOMPARE(daysWithoutOutsideBackup(now.addDays(31)), 31);

        // Told the database is damaged, the user is not asked for a backup it would refuse.
        detail::runState() = detail::RunState();
        QSettings(settingsFile(), QSettings::IniFormat)
            .setValue(QStringLiteral("Since"), now.addDays(-40).toString(Qt::ISODate));
        QSettings(settingsFile(), QSettings::IniFormat).remove(QStringLiteral("LastOutsideBackup"));
        QCOMPARE(daysWithoutOutsideBackup(now), 40);
        damageDatabase(QStringLiteral("pages"));
        m_dialogs->answers << toolkit::mrNo;
        QVERIFY(!offerRestoreIfDamaged(m_dm.get()));
        m_dialogs->shown.clear();
        remindOfOutsideBackup(-1);
        QVERIFY(m_dialogs->shown.isEmpty());
    }

    void theBackupWindowShowsTheBackupsAndTheSecondPlace() {
        fillSome();
        TSikkerhedskopiForm form(nullptr, -1);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* last = form.findChild<QLabel*>(QStringLiteral("SenesteLabel"));
        auto* outside = form.findChild<QLabel*>(QStringLiteral("UdenforLabel"));
        auto* place = form.findChild<QLineEdit*>(QStringLiteral("StedEdit"));
        auto* choose = form.findChild<QPushButton*>(QStringLiteral("VaelgButton"));
        auto* remove = form.findChild<QPushButton*>(QStringLiteral("FjernButton"));
        auto* save = form.findChild<QPushButton*>(QStringLiteral("GemButton"));
        QCOMPARE(last->text(), QStringLiteral("aldrig"));
        QCOMPARE(outside->text(), QStringLiteral("aldrig"));
        QCOMPARE(place->text(), QStringLiteral("(intet valgt)"));
        QVERIFY(!remove->isEnabled());
        QCOMPARE(QApplication::focusWidget(), save);

        // The data folder is no second place.
        m_dialogs->files << data::dataFolder();
        QTest::mouseClick(choose, Qt::LeftButton);
        QCOMPARE(m_dialogs->shown.last().type, toolkit::MsgType::Error);
        QCOMPARE(place->text(), QStringLiteral("(intet valgt)"));

        QTemporaryDir stick;
        m_dialogs->files << stick.path();
        QTest::mouseClick(choose, Qt::LeftButton);
        QCOMPARE(place->text(), QDir::toNativeSeparators(stick.path()));
        QCOMPARE(secondPlace(), stick.path());
        QVERIFY(remove->isEnabled());

        // Saving suggests the second place, and the dates follow.
        m_dialogs->files << QDir(stick.path()).filePath(QStringLiteral("min.zip"));
        QTest::keyClick(&form, Qt::Key_Return);
        QVERIFY(m_dialogs->texts(QStringLiteral("save")).last().contains(stick.path()));
        QVERIFY(isBackupFile(QDir(stick.path()).filePath(QStringLiteral("min.zip"))));
        const QString today = store::formatDate(QDate::currentDate());
        QVERIFY2(last->text().startsWith(today), qPrintable(last->text()));
        QVERIFY(last->text().endsWith(QDir::toNativeSeparators(stick.path())));
        QVERIFY(outside->text().startsWith(today));

        QTest::mouseClick(remove, Qt::LeftButton);
        QCOMPARE(place->text(), QStringLiteral("(intet valgt)"));
        QVERIFY(secondPlace().isEmpty());
        QTest::keyClick(&form, Qt::Key_Escape);
        QVERIFY(!form.isVisible());
    }

    void theBackupWindowSpeaksTheLanguage() {
        Languages languages;
        i18n::mainLanguageSource()->SetActiveLanguage(3);
        TSikkerhedskopiForm form(i18n::mainLanguageSource(), 3);
        QCOMPARE(form.windowTitle(), QStringLiteral("Sicherung"));
        QCOMPARE(form.findChild<QLabel*>(QStringLiteral("SenesteLabel"))->text(),
                 QStringLiteral("nie"));
        QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("GemButton"))->text(),
                 QStringLiteral("Sicherung &speichern ..."));
    }

    void everyTextIsInEveryLanguageFile() {
        Languages languages;
        // Each text under its own key: the table of texts follows the order of their names.
        QCOMPARE(textKey(Text::BackupSaved), QStringLiteral("BackupSaved"));
        QCOMPARE(textKey(Text::RestartNeeded), QStringLiteral("RestartNeeded"));
        QCOMPARE(textKey(Text::CsvTypesOther), QStringLiteral("CsvTypes.Other"));
        QCOMPARE(textKey(Text::ImportConfirm), QStringLiteral("ImportConfirm"));
        QCOMPARE(textKey(Text::ReaderStopped), QStringLiteral("ReaderStopped"));
        const QString missing = QStringLiteral("\x01");
        for (int language = 0; language < 4; ++language) {
            for (int i = 0; i < TextCount; ++i) {
                const QString key = textKey(Text(i));
                QVERIFY2(i18n::textFor(language, u"BackupTexts", key, missing) != missing,
                         qPrintable(QStringLiteral("%1 in language %2").arg(key).arg(language)));
            }
        }
    }

    // ---- hostile and odd archives ---------------------------------------------------

    // A copy of the live database as a file of its own, for a backup made by hand.
    QString databaseCopy(const QString& folder) {
        const QString file = QDir(folder).filePath(QStringLiteral("kopi.sqlite"));
        store::Session::database(QString::fromLatin1(data::TDM::Alias))->backupTo(file);
        return file;
    }

    QStringList dataFolderListing() {
        QStringList out;
        QDirIterator it(data::dataFolder(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            if (!it.fileName().startsWith(QLatin1String("Verdamo.sqlite"))) {
                out << it.filePath() + QLatin1Char(' ') + QString::number(it.fileInfo().size());
            }
        }
        out.sort();
        return out;
    }

    void aHostileArchiveIsRefusedBeforeUnpacking_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("a bomb") << "bomb"
                                << "indeholder filen Billeder/bombe.jpg på 600 MB. Det er mere "
                                   "end noget billede, programmet viser (højst 512 MB)";
        QTest::newRow("a size that lies") << "lie"
                                          << "er beskadiget eller ufuldstændig";
        QTest::newRow("more than the disk holds") << "disk"
                                                  << "Der er ikke plads til at pakke";
        QTest::newRow("a newer version") << "newer"
                                         << "er lavet af en nyere udgave af Verdamo (format 2)";
    }

    void aHostileArchiveIsRefusedBeforeUnpacking() {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        fillSome();
        const QString before = dump(*m_dm);
        const QStringList files = dataFolderListing();
        QTemporaryDir work;
        const QString db = databaseCopy(work.path());
        QByteArray manifest = "Verdamo backup 1\n2026-01-01T10:00:00\n";
        QList<std::pair<QString, QByteArray>> pictureFiles{
            {QStringLiteral("bombe.jpg"), QByteArray(100000, 'b')}};
        if (kind == QLatin1String("newer")) {
            manifest = "Verdamo backup 2\n2030-01-01T10:00:00\n";
        }
        qint64 entries = 0;
        if (kind == QLatin1String("disk")) {
            // Pictures each within the limit, together more than the disk has free.
            const qint64 free = QStorageInfo(data::dataFolder()).bytesAvailable();
            entries = free / (500LL * 1024 * 1024) + 2;
            if (entries > 20000) {
                QSKIP("the disk has too much room for this test");
            }
            pictureFiles.clear();
            for (qint64 i = 0; i < entries; ++i) {
                pictureFiles.append({QStringLiteral("Plante%1.jpg").arg(i), QByteArray("x")});
            }
        }
        const QString zip = zipBackup(work.path(), db, manifest, pictureFiles);
        QVERIFY(!zip.isEmpty());
        if (kind == QLatin1String("bomb")) {
            declareSize(zip, QStringLiteral("Billeder/bombe.jpg"), 600u * 1024 * 1024);
        } else if (kind == QLatin1String("lie")) {
            declareSize(zip, QStringLiteral("Billeder/bombe.jpg"), 10);
        } else if (kind == QLatin1String("disk")) {
            for (qint64 i = 0; i < entries; ++i) {
                declareSize(zip, QStringLiteral("Billeder/Plante%1.jpg").arg(i),
                            500u * 1024 * 1024);
            }
        }
        m_dialogs->files << zip;
        restoreFromBackup(-1, m_dm.get());
        QCOMPARE(m_dialogs->shown.size(), 2);
        QCOMPARE(m_dialogs->shown.last().type, toolkit::MsgType::Error);
        QVERIFY2(m_dialogs->shown.last().text.contains(message),
                 qPrintable(m_dialogs->shown.last().text));
        QVERIFY(m_dialogs->shown.last().text.endsWith(QStringLiteral("Intet er ændret.")));
        QCOMPARE(dump(*m_dm), before);
        QCOMPARE(dataFolderListing(), files);
    }

    void aForeignSchemaIsRefusedWithItsReason_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("message");
        QTest::newRow("trigger")
            << "CREATE TRIGGER slet AFTER INSERT ON Planter BEGIN DELETE FROM Vexmo; END;"
            << "har en trigger (slet på tabellen Planter)";
        QTest::newRow("view") << "CREATE VIEW alle AS SELECT * FROM Planter;"
                              << "har et view (alle)";
        QTest::newRow("unknown index") << "CREATE UNIQUE INDEX navn_unik ON Planter(Plantenavn);"
                                       << "har et ukendt indeks (navn_unik på tabellen Planter)";
        QTest::newRow("unknown table") << "CREATE TABLE ekstra (a);"
                                       << "har en tabel (ekstra)";
        QTest::newRow("computed field")
            << "ALTER TABLE Planter ADD COLUMN Kopi TEXT GENERATED ALWAYS AS (Plantenavn);"
            << "Feltet Kopi i tabellen Planter.db i sikkerhedskopien beregnes af en formel";
        QTest::newRow("key not unique")
            << "DROP INDEX Planter_key; CREATE INDEX Planter_key ON Planter(Regnr);"
            << "Nøglen til tabellen Planter.db";
        QTest::newRow("key order") << "UPDATE _tables SET keyfields = 'Plantenavn' WHERE tbl = "
                                      "'Planter';"
                                   << "Nøglen til tabellen Planter.db";
        QTest::newRow("a field missing") << "ALTER TABLE Vexmo DROP COLUMN Kategori;"
                                         << "Feltet Kategori mangler i tabellen Vexmo.DB.";
    }

    void aForeignSchemaIsRefusedWithItsReason() {
        QFETCH(QString, sql);
        QFETCH(QString, message);
        fillSome();
        const QString before = dump(*m_dm);
        QTemporaryDir work;
        const QString db = databaseCopy(work.path());
        QVERIFY(sqliteTool(db, sql));
        const QString zip = zipBackup(work.path(), db, "Verdamo backup 1\n");
        m_dialogs->files << zip;
        restoreFromBackup(-1, m_dm.get());
        QCOMPARE(m_dialogs->shown.size(), 2);
        QVERIFY2(m_dialogs->shown.last().text.contains(message),
                 qPrintable(m_dialogs->shown.last().text));
        QCOMPARE(dump(*m_dm), before);
        // The works are all there after the next post.
        addPlant(QStringLiteral("Efter"), QString(), 1);
        QCOMPARE(m_dm->HaveTable->RecordCount(), 1);
    }

    void aRefusalSpeaksTheLanguage() {
        Languages languages;
        fillSome();
        QTemporaryDir work;
        const QString db = databaseCopy(work.path());
        QVERIFY(sqliteTool(
            db, QStringLiteral("CREATE TRIGGER t AFTER INSERT ON Planter BEGIN SELECT 1; END;")));
        m_dialogs->files << zipBackup(work.path(), db, "Verdamo backup 1\n");
        restoreFromBackup(0, m_dm.get());
        QVERIFY2(m_dialogs->shown.last().text.startsWith(
                     QStringLiteral("The database in the backup has a trigger (t on the table "
                                    "Planter)")),
                 qPrintable(m_dialogs->shown.last().text));
        QVERIFY(m_dialogs->shown.last().text.endsWith(QStringLiteral("Nothing has been changed.")));
    }

    void otherPageSizesAndWiderFieldsRestore_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("page size 8192") << "PRAGMA page_size = 8192; VACUUM;";
        QTest::newRow("page size 1024") << "PRAGMA page_size = 1024; VACUUM;";
        QTest::newRow("a write-ahead log") << "PRAGMA journal_mode = WAL;";
        QTest::newRow("wider fields") << "wider";
    }

    void otherPageSizesAndWiderFieldsRestore() {
        QFETCH(QString, change);
        fillSome();
        const QString before = dump(*m_dm);
        QTemporaryDir work;
        QString db;
        if (change == QLatin1String("wider")) {
            // As a later version stores them: family and type 60 wide.
            const QString folder = work.filePath(QStringLiteral("wide"));
            QDir().mkpath(folder);
            {
                store::Database made(folder, true);
                for (store::TableDef def : data::tableDefs()) {
                    for (store::FieldDef& f : def.fields) {
                        if (def.name == QLatin1String("Planter.db") &&
                            (f.name == QLatin1String("Familie") ||
                             f.name == QLatin1String("Plantetype"))) {
                            f.size = 60;
                        }
                    }
                    made.createTable(def);
                }
                made.insertRow(QStringLiteral("Config.DB"),
                               {-1, 770, 1032, 772, 1032, 770, 1032, 770, 1032});
                made.insertRow(QStringLiteral("Planter.db"),
                               {QStringLiteral("Regnr"), QStringLiteral("Familie")},
                               {1, QString(60, QLatin1Char('f'))});
                made.insertRow(QStringLiteral("Regnr.db"), {1});
            }
            db = QDir(folder).filePath(QString::fromLatin1(store::Database::FileName));
        } else {
            db = databaseCopy(work.path());
            QVERIFY(sqliteTool(db, change));
        }
        m_dialogs->files << zipBackup(work.path(), db, "Verdamo backup 1\n");
        m_dialogs->answers << toolkit::mrYes;
        restoreFromBackup(-1, m_dm.get());
        QVERIFY2(m_dialogs->shown.last().text.startsWith(
                     QStringLiteral("Sikkerhedskopien er gendannet.")),
                 qPrintable(m_dialogs->shown.last().text));
        if (change == QLatin1String("wider")) {
            m_dm->PlanteTable->First();
            QCOMPARE(m_dm->PlanteTable->FieldByName(QStringLiteral("Familie")).AsString(),
                     QString(60, QLatin1Char('f')));
        } else {
            QCOMPARE(dump(*m_dm), before);
        }
        addPlant(QStringLiteral("Efter"), QString(), 1);
        QVERIFY(m_dm->PlanteTable->RecordCount() >= 2);
    }

    void aFullDiskSaysSo() {
        SmallDisk disk(100);
        if (!disk.mounted()) {
            QSKIP(
                "a small tmpfs cannot be mounted here (it needs root and CAP_SYS_ADMIN), so "
                "the full disk is not tried");
        }
        m_dm.reset();
        store::Session::closeAll();
        {
            store::Database db(disk.path(), true);
            data::createTables(db);
        }
        store::Session::setAliasPath(QString::fromLatin1(data::TDM::Alias), disk.path());
        m_dm = std::make_unique<data::TDM>();
        testsupport::openAll(*m_dm);
        addPlant(QStringLiteral("Lille"), QString(), 1);
        const QString small = backupNow();
        // Pictures fill most of the disk: the safety copy of them before a restore has no room.
        writeFile(QDir(pictures()).filePath(QStringLiteral("Plante1.jpg")),
                  randomBytes(60 * 1024 * 1024));
        const QString before = dump(*m_dm);
        m_dialogs->files << small;
        m_dialogs->answers << toolkit::mrYes;
        restoreFromBackup(-1, m_dm.get());
        QVERIFY2(m_dialogs->shown.last().text.contains(
                     QStringLiteral("Der er ikke mere plads på disken")),
                 qPrintable(m_dialogs->shown.last().text));
        QVERIFY(m_dialogs->shown.last().text.endsWith(QStringLiteral("Intet er ændret.")));
        QCOMPARE(dump(*m_dm), before);
        QCOMPARE(QFileInfo(QDir(pictures()).filePath(QStringLiteral("Plante1.jpg"))).size(),
                 60 * 1024 * 1024);

        // A backup that holds more than the room left is refused before it is unpacked.
        QTemporaryDir work;
        const QString large =
            zipBackup(work.path(), databaseCopy(work.path()), "Verdamo backup 1\n",
                      {{QStringLiteral("Plante2.jpg"), randomBytes(45 * 1024 * 1024)}});
        m_dialogs->files << large;
        restoreFromBackup(-1, m_dm.get());
        QVERIFY2(m_dialogs->shown.last().text.contains(
                     QStringLiteral("Der er ikke plads til at pakke sikkerhedskopien")),
                 qPrintable(m_dialogs->shown.last().text));
        QCOMPARE(dump(*m_dm), before);
        m_dm.reset();
        store::Session::closeAll();
    }

    // A disk that runs out while the backup is unpacked: the room was there by the sizes,
    // but no more files fit.
    void aDiskThatFillsWhileUnpackingSaysSo() {
        fillSome();
        QList<std::pair<QString, QByteArray>> many;
        for (int i = 0; i < 40; ++i) {
            many.append({QStringLiteral("Plante%1.jpg").arg(i), QByteArray("billede")});
        }
        QTemporaryDir work;
        const QString zip =
            zipBackup(work.path(), databaseCopy(work.path()), "Verdamo backup 1\n", many);
        SmallDisk disk(100, 24);
        if (!disk.mounted()) {
            QSKIP(
                "a small tmpfs cannot be mounted here (it needs root and CAP_SYS_ADMIN), so "
                "the full disk is not tried");
        }
        m_dm.reset();
        store::Session::closeAll();
        {
            store::Database db(disk.path(), true);
            data::createTables(db);
        }
        store::Session::setAliasPath(QString::fromLatin1(data::TDM::Alias), disk.path());
        m_dm = std::make_unique<data::TDM>();
        testsupport::openAll(*m_dm);
        const QString before = dump(*m_dm);
        m_dialogs->files << zip;
        restoreFromBackup(-1, m_dm.get());
        QVERIFY2(m_dialogs->shown.last().text.contains(
                     QStringLiteral("Der er ikke mere plads på disken")),
                 qPrintable(m_dialogs->shown.last().text));
        QVERIFY(!m_dialogs->shown.last().text.contains(QStringLiteral("beskadiget")));
        QCOMPARE(dump(*m_dm), before);
        QVERIFY(QDir(disk.path())
                    .entryList({QStringLiteral(".gendan-*")}, QDir::Dirs | QDir::Hidden)
                    .isEmpty());
        m_dm.reset();
        store::Session::closeAll();
    }

    // ---- CSV ------------------------------------------------------------------------

    void csvRoundTrips_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "Hosta";
        QTest::newRow("quotes") << "Æble \"Ingrid Marie\"";
        QTest::newRow("comma") << "Løg, røde";
        QTest::newRow("semicolon") << "Løg; røde";
        QTest::newRow("line breaks") << "første\nanden\r\ntredje";
        QTest::newRow("letters") << "Blåbær ÆØÅ æøå äöüß";
        QTest::newRow("spaces kept") << "  indrykket  ";
        QTest::newRow("only a quote") << "\"";
    }

    void csvRoundTrips() {
        QFETCH(QString, name);
        for (const CsvFormat& format :
             {CsvFormat(), regionalCsvFormat(QLocale(QLocale::Danish, QLocale::Denmark))}) {
            m_dm->NavneTable->Insert();
            m_dm->NavneTable->FieldByName(QStringLiteral("Navn")).setAsString(name);
            m_dm->NavneTable->FieldByName(QStringLiteral("Latin"))
                .setAsString(QStringLiteral("x") + QString(format.separator));
            m_dm->NavneTable->Post();
            const QString file = m_out.filePath(QStringLiteral("navne.csv"));
            const int rows = writeTableCsv(*m_dm->NavneTable, file, format);
            const QByteArray bytes = readAll(file);
            QCOMPARE(bytes.startsWith("\xEF\xBB\xBF"), format.byteOrderMark);
            const auto parsed = parseCsv(QString::fromUtf8(bytes), format.separator);
            QCOMPARE(parsed.size(), rows + 1);
            QCOMPARE(parsed.first(),
                     (QStringList{QStringLiteral("Navn"), QStringLiteral("Latin")}));
            bool found = false;
            for (const QStringList& r : parsed) {
                found = found ||
                        r == QStringList{name, QStringLiteral("x") + QString(format.separator)};
            }
            QVERIFY(found);
            m_dm->NavneTable->Locate(QStringLiteral("Navn"), name);
            m_dm->NavneTable->Delete();
        }
    }

    void csvNumbersAndDates_data() {
        QTest::addColumn<bool>("regional");
        QTest::addColumn<QString>("line");
        QTest::newRow("plain") << false << "\"Rødløg, lille\",12.5,2024-05-17";
        QTest::newRow("regional") << true << "Rødløg, lille;12,5;2024-05-17";
    }

    void csvNumbersAndDates() {
        QFETCH(bool, regional);
        QFETCH(QString, line);
        addPlant(QStringLiteral("Rødløg, lille"), QString(), 12.5);
        const CsvFormat format =
            regional ? regionalCsvFormat(QLocale(QLocale::Danish, QLocale::Denmark)) : CsvFormat();
        const QString file = m_out.filePath(QStringLiteral("p.csv"));
        writeTableCsv(*m_dm->PlanteTable, file, format);
        const auto rows = parseCsv(QString::fromUtf8(readAll(file)), format.separator);
        const QStringList header = rows.first();
        QCOMPARE(header.size(), 24);
        QCOMPARE(header.at(0), QStringLiteral("Regnr"));
        QCOMPARE(header.at(22), QStringLiteral("Pris"));
        const QStringList r = rows.at(1);
        const QString sep(format.separator);
        QStringList picked{csvQuoted(r.at(1), format.separator), r.at(22), r.at(15)};
        QCOMPARE(picked.join(sep), line);
    }

    void theExportHoldsEverythingWhateverTheWindowsShow() {
        addPlant(QStringLiteral("Rose"), QStringLiteral("Rosaceae"), 10);
        addPlant(QStringLiteral("Løg"), QStringLiteral("Løgfamilien"), 2);
        addPlant(QStringLiteral("Hyben"), QStringLiteral("Rosaceae"), 3);
        addWork(QStringLiteral("Bed"), 2);
        addWork(QStringLiteral("Dam"), 1);
        addWork(QStringLiteral("Sti"), 0);
        // A renamed work keeps its materials, a deleted one takes them along; materials an
        // older program left without their work are rows of their own all the same.
        store::Table& works = *m_dm->HaveTable;
        QVERIFY(works.Locate(QStringLiteral("Arbejdet"), QStringLiteral("Dam")));
        works.Edit();
        works.FieldByName(QStringLiteral("Arbejdet")).setAsString(QStringLiteral("Sø"));
        works.Post();
        QVERIFY(works.Locate(QStringLiteral("Arbejdet"), QStringLiteral("Bed")));
        works.Delete();
        store::Session::database(QString::fromLatin1(data::TDM::Alias))
            ->insertRow(
                QStringLiteral("Materialer.db"),
                QStringList{QStringLiteral("Regnr"), QStringLiteral("Arbejdet"),
                            QStringLiteral("Materialer"), QStringLiteral("Antal"),
                            QStringLiteral("Pris")},
                QVariantList{99, QStringLiteral("Gammelt bed"), QStringLiteral("Grus"), 2, 10.0});
        // Filters left by the overview and the garden works window.
        m_dm->PlanteTable->setFilter(QStringLiteral("Familie = 'Rosaceae'"));
        m_dm->PlanteTable->setFiltered(true);
        works.setFilter(QStringLiteral("Arbejdet = 'Sti'"));
        works.setFiltered(true);
        const int current = works.FieldByName(QStringLiteral("Regnr")).AsInteger();
        auto db = store::Session::database(QString::fromLatin1(data::TDM::Alias));

        QTemporaryDir folder;
        m_dialogs->files << folder.path();
        m_dialogs->answers << toolkit::mrNo;
        exportToCsv(-1, m_dm.get());
        const QString said = m_dialogs->shown.last().text;
        const QString br = data::messageBreak();
        const QStringList lines = said.split(br);
        QCOMPARE(lines.value(0), QStringLiteral("Alle data er eksporteret til mappen:"));
        QCOMPARE(
            lines.mid(2),
            (QStringList{
                QStringLiteral("Planter.csv: 3 planter"),
                QStringLiteral("Haveanlaeg.csv: 2 haveanlæg"),
                QStringLiteral("Materialer.csv: 2 materialer"),
                QStringLiteral("Navne.csv: %1 navne").arg(db->rowCount(QStringLiteral("Navne.db"))),
                QStringLiteral("Familier.csv: %1 familier")
                    .arg(db->rowCount(QStringLiteral("Familie.db"))),
                QStringLiteral("Plantetyper.csv: %1 plantetyper")
                    .arg(db->rowCount(QStringLiteral("Plantetype.db"))),
            }));
        const auto csv = [&](const char* name) {
            return parseCsv(QString::fromUtf8(readAll(folder.filePath(QString::fromLatin1(name)))),
                            QLatin1Char(','));
        };
        QCOMPARE(csv("Planter.csv").size(), 4);
        QCOMPARE(csv("Haveanlaeg.csv").size(), 3);
        const auto materials = csv("Materialer.csv");
        QCOMPARE(materials.size(), 3);
        QCOMPARE(materials.first().at(6), QStringLiteral("Ialt"));
        QCOMPARE(materials.first().at(7), QStringLiteral("Notater"));
        QCOMPARE(materials.at(1).at(1), QStringLiteral("Sø"));
        QCOMPARE(materials.at(1).at(6), QStringLiteral("37.5"));
        QCOMPARE(materials.at(2).at(1), QStringLiteral("Gammelt bed"));
        QCOMPARE(materials.at(2).at(6), QStringLiteral("20"));
        QCOMPARE(csv("Familier.csv").size(), db->rowCount(QStringLiteral("Familie.db")) + 1);
        QCOMPARE(csv("Plantetyper.csv").first(), QStringList{QStringLiteral("Plantetype")});
        // The windows' tables stay as they were left.
        QCOMPARE(works.FieldByName(QStringLiteral("Regnr")).AsInteger(), current);
        QCOMPARE(m_dm->PlanteTable->RecordCount(), 2);
        QCOMPARE(works.RecordCount(), 1);

        // Files there already are replaced only when the user says so.
        m_dialogs->files << folder.path();
        m_dialogs->answers << toolkit::mrNo;
        writeFile(folder.filePath(QStringLiteral("Planter.csv")), "mine");
        exportToCsv(-1, m_dm.get());
        QVERIFY(m_dialogs->shown.last().text.contains(QStringLiteral("Vil du erstatte dem?")));
        QCOMPARE(readAll(folder.filePath(QStringLiteral("Planter.csv"))),
                 QByteArrayLiteral("mine"));
    }

    void formulasAreDefusedForSpreadsheets_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("regional");  // the cell as the regional form writes it
        QTest::newRow("a formula") << "=HYPERLINK(\"http://x\";\"klik\")"
                                   << "'=HYPERLINK(\"http://x\";\"klik\")";
        QTest::newRow("plus") << "+45 1234"
                              << "'+45 1234";
        QTest::newRow("minus") << "-3 grader"
                               << "'-3 grader";
        QTest::newRow("at") << "@SUM(A1)"
                            << "'@SUM(A1)";
        QTest::newRow("tab") << "\tindrykket"
                             << "'\tindrykket";
        QTest::newRow("line break") << "\rny linje"
                                    << "'\rny linje";
        QTest::newRow("an equals sign inside") << "Rose = smuk"
                                               << "Rose = smuk";
        QTest::newRow("an apostrophe") << "'citat'"
                                       << "'citat'";
    }

    void formulasAreDefusedForSpreadsheets() {
        QFETCH(QString, name);
        QFETCH(QString, regional);
        m_dm->NavneTable->Insert();
        m_dm->NavneTable->FieldByName(QStringLiteral("Navn")).setAsString(name);
        m_dm->NavneTable->Post();
        // A negative price is refused today; an older data folder may still hold one.
        store::Session::database(QString::fromLatin1(data::TDM::Alias))
            ->insertRow(QStringLiteral("Planter.db"),
                        QStringList{QStringLiteral("Regnr"), QStringLiteral("Plantenavn"),
                                    QStringLiteral("Pris")},
                        QVariantList{1, name, -5.0});
        m_dm->PlanteTable->Refresh();
        const CsvFormat danish = regionalCsvFormat(QLocale(QLocale::Danish, QLocale::Denmark));
        for (const CsvFormat& format : {CsvFormat(), danish}) {
            const QString file = m_out.filePath(QStringLiteral("planter.csv"));
            writeTableCsv(*m_dm->PlanteTable, file, format);
            const auto rows = parseCsv(QString::fromUtf8(readAll(file)), format.separator);
            QCOMPARE(rows.at(1).at(1), format.defuseFormulas ? regional : name);
            // Numbers are numbers: a negative price keeps its sign alone.
            QCOMPARE(rows.at(1).at(22), QStringLiteral("-5"));
        }
    }

    // ---- Paradox reading ------------------------------------------------------------

    void theSampleTablesReadRight() {
        if (!QFileInfo::exists(samples())) {
            QSKIP("the Paradox samples are not beside the checkout");
        }
        const QDir dir(samples());
        {
            const px::Table t = px::readTable(dir.filePath(QStringLiteral("memo.db")));
            QCOMPARE(t.rows.size(), 2);
            QCOMPARE(t.fields.at(1).type, int(px::Memo));
            const QString longMemo = t.rows.at(0).at(1).toString();
            QCOMPARE(longMemo.size(), 555);
            QVERIFY(longMemo.startsWith(QStringLiteral("01234567890012")));
            QCOMPARE(t.rows.at(1).at(1).toString(), QStringLiteral("01234567890\n"));
        }
        {
            const px::Table t = px::readTable(dir.filePath(QStringLiteral("fmemo.db")));
            QCOMPARE(t.rows.size(), 2);
            QCOMPARE(t.rows.at(0).at(1).toString(), QStringLiteral("123"));
            const QString text = t.rows.at(1).at(1).toString();
            QCOMPARE(text.size(), 560);
            QVERIFY(text.startsWith(QStringLiteral("0123456789")));
            QVERIFY(text.contains(QStringLiteral("\r\n")));
        }
        {
            const px::Table t = px::readTable(dir.filePath(QStringLiteral("long.db")));
            QCOMPARE(t.rows.at(0).at(1), QVariant(1));
            QCOMPARE(t.rows.at(1).at(1), QVariant(2));
            QVERIFY(!t.rows.at(2).at(1).isValid());
        }
        {
            const px::Table t = px::readTable(dir.filePath(QStringLiteral("date5.db")));
            QCOMPARE(t.version, 50);
            QCOMPARE(t.codePage, 850);
            QCOMPARE(t.sortOrder, QStringLiteral("ascii"));
            QCOMPARE(t.rows.at(0).at(0).toDate(), QDate(2018, 1, 1));
            QCOMPARE(t.rows.at(1).at(0).toDate(), QDate(2018, 2, 1));
            QCOMPARE(t.rows.at(0).at(1).toTime(), QTime(10, 0));
        }
        {
            const px::Table t = px::readTable(dir.filePath(QStringLiteral("time.db")));
            QCOMPARE(t.sortOrder, QStringLiteral("DBWINWE0"));
            QCOMPARE(px::codePageOfSortOrder(t.sortOrder), 1252);
            QCOMPARE(t.rows.at(0).at(0).toTime(), QTime(1, 0, 1));
            QVERIFY(!t.rows.at(1).at(0).isValid());
            QCOMPARE(t.rows.at(2).at(0).toTime(), QTime(3, 0, 3));
        }
        {
            const px::Table t = px::readTable(dir.filePath(QStringLiteral("timestamp.db")));
            QVERIFY(!t.rows.at(0).at(0).isValid());
            QCOMPARE(t.rows.at(1).at(0).toDateTime().time(), QTime(1, 0, 1));
        }
        {
            const px::Table t = px::readTable(dir.filePath(QStringLiteral("logical.db")));
            QCOMPARE(t.codePage, 1252);
            QVariantList got;
            for (const auto& r : t.rows) {
                got << r.at(0);
            }
            QCOMPARE(got, (QVariantList{true, false, true, true}));
        }
        {
            const px::Table t = px::readTable(dir.filePath(QStringLiteral("CUSTOMER.DB")));
            QCOMPARE(t.version, 70);
            QCOMPARE(t.sortOrder, QStringLiteral("ANSII850"));
            QCOMPARE(t.rows.size(), 20);
            QCOMPARE(t.fields.at(1).name, QStringLiteral("FirstName"));
            QCOMPARE(t.rows.at(0).at(1).toString(), QStringLiteral("Luke"));
            QVERIFY(t.rows.at(0).at(9).toDate().isValid());
            int longest = 0;
            for (const auto& r : t.rows) {
                longest = std::max(longest, int(r.at(8).toString().size()));
            }
            QCOMPARE(longest, 56864);  // the memo with a block of its own
        }
    }

    void generatedTablesOfEveryFieldTypeReadRight() {
        QTemporaryDir dir;
        const QString big = QString(70000, QLatin1Char('a')) + QStringLiteral("æøå ende");
        const QDateTime stamp(QDate(2023, 7, 14), QTime(13, 45, 30));
        writeParadox(
            dir.filePath(QStringLiteral("alle.db")),
            {{QStringLiteral("Tekst"), px::Alpha, 30},
             {QStringLiteral("Dato"), px::Date, 4},
             {QStringLiteral("Kort"), px::Short, 2},
             {QStringLiteral("Lang"), px::Long, 4},
             {QStringLiteral("Beloeb"), px::Currency, 8},
             {QStringLiteral("Tal"), px::Number, 8},
             {QStringLiteral("JaNej"), px::Logical, 1},
             {QStringLiteral("Notat"), px::Memo, 20},
             {QStringLiteral("Tid"), px::Time, 4},
             {QStringLiteral("Stempel"), px::Timestamp, 8},
             {QStringLiteral("Taeller"), px::AutoInc, 4},
             {QStringLiteral("Bytes"), px::Bytes, 4},
             {QStringLiteral("Blob"), px::Blob, 10}},
            {{QStringLiteral("Blåbær Æø"), QDate(1999, 12, 31), 7, -123456, 12.5, 0.25, true, big,
              QTime(8, 30), stamp, 1, QByteArray("\x01\x02\x03\x04", 4), QByteArray(5000, '\x7f')},
             {QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), false,
              QStringLiteral("kort"), QVariant(), QVariant(), 2, QVariant(), QVariant()}});
        const px::Table t = px::readTable(dir.filePath(QStringLiteral("alle.db")));
        QCOMPARE(t.codePage, 1252);
        QCOMPARE(t.rows.size(), 2);
        const QVariantList a = t.rows.at(0);
        QCOMPARE(a.at(0).toString(), QStringLiteral("Blåbær Æø"));
        QCOMPARE(a.at(1).toDate(), QDate(1999, 12, 31));
        QCOMPARE(a.at(2), QVariant(7));
        QCOMPARE(a.at(3), QVariant(-123456));
        QCOMPARE(a.at(4).toDouble(), 12.5);
        QCOMPARE(a.at(5).toDouble(), 0.25);
        QCOMPARE(a.at(6), QVariant(true));
        QCOMPARE(a.at(7).toString(), big);
        QCOMPARE(a.at(8).toTime(), QTime(8, 30));
        QCOMPARE(a.at(9).toDateTime(), stamp);
        QCOMPARE(a.at(10), QVariant(1));
        QCOMPARE(a.at(11).toByteArray(), QByteArray("\x01\x02\x03\x04", 4));
        QCOMPARE(a.at(12).toByteArray(), QByteArray(5000, '\x7f'));
        const QVariantList b = t.rows.at(1);
        for (int i : {0, 1, 2, 3, 8, 9, 11, 12}) {
            QVERIFY2(!b.at(i).isValid(), qPrintable(QString::number(i)));
        }
        QCOMPARE(b.at(6), QVariant(false));
        QCOMPARE(b.at(7).toString(), QStringLiteral("kort"));
    }

    void aFileTheReaderCannotTakeIsAClearError() {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("skrald.db")), QByteArray(4096, '\xff'));
        QVERIFY_THROWS_EXCEPTION(store::Error,
                                 px::readTable(dir.filePath(QStringLiteral("skrald.db"))));
        // The original is untouched, though the library opens what it reads for writing.
        QCOMPARE(readAll(dir.filePath(QStringLiteral("skrald.db"))), QByteArray(4096, '\xff'));
    }

    void aDamagedHeaderStopsTheReaderNotTheProgram_data() {
        QTest::addColumn<int>("at");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("stops");  // the library crashes or loops on it
        QTest::newRow("record size") << 0 << 0 << false;
        QTest::newRow("header size") << 3 << 0 << false;
        QTest::newRow("file type") << 4 << 255 << false;
        QTest::newRow("records") << 8 << 255 << false;
        QTest::newRow("field count") << 37 << 255 << true;
        QTest::newRow("field count low") << 38 << 0 << true;
    }

    void aDamagedHeaderStopsTheReaderNotTheProgram() {
        QFETCH(int, at);
        QFETCH(int, value);
        QFETCH(bool, stops);
        if (!QFileInfo::exists(samples())) {
            QSKIP("the Paradox samples are not beside the checkout");
        }
        QTemporaryDir dir;
        QByteArray b = readAll(QDir(samples()).filePath(QStringLiteral("long.db")));
        b[at] = char(value);
        const QString file = dir.filePath(QStringLiteral("long.db"));
        writeFile(file, b);
        QString error;
        try {
            px::readTable(file, QStringLiteral("stopped"), 1252, 3000);
        } catch (const store::Error& e) {
            error = e.message();
        }
        QVERIFY(!error.isEmpty());
        QCOMPARE(error == QLatin1String("stopped"), stops);
        QCOMPARE(readAll(file), b);
    }

    void theCodePageOfVersion3TablesIsSetByHand_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("inHeader");
        QTest::addColumn<int>("expected");
        QTest::newRow("3.0") << 30 << 0 << 1252;
        QTest::newRow("3.5 with whatever lies there") << 35 << 437 << 1252;
        QTest::newRow("4.0") << 40 << 865 << 865;
        QTest::newRow("5.0") << 50 << 850 << 850;
        QTest::newRow("7.0 naming none") << 70 << 0 << 1252;
    }

    void theCodePageOfVersion3TablesIsSetByHand() {
        QFETCH(int, version);
        QFETCH(int, inHeader);
        QFETCH(int, expected);
        QCOMPARE(px::codePageOf(version, inHeader), expected);
    }

    void textsComeFromTheirCodePage() {
        // "Blåbær" written in code page 850, where å is 0x86 and æ 0x91.
        QTemporaryDir dir;
        writeParadox(dir.filePath(QStringLiteral("cp.db")), {{QStringLiteral("T"), px::Alpha, 10}},
                     {{QStringLiteral("Bl__b_r")}}, 850);
        QByteArray b = readAll(dir.filePath(QStringLiteral("cp.db")));
        const qsizetype at = b.indexOf("Bl__b_r");
        QVERIFY(at > 0);
        b.replace(at, 7,
                  QByteArray("Bl\x86"
                             "b\x91r\0",
                             7));
        writeFile(dir.filePath(QStringLiteral("cp.db")), b);
        const px::Table t = px::readTable(dir.filePath(QStringLiteral("cp.db")));
        QCOMPARE(t.codePage, 850);
        QCOMPARE(t.rows.at(0).at(0).toString(), QStringLiteral("Blåbær"));
    }

    void memoBlocksOutsideTheFileAreRefused() {
        const QByteArray mb(8192, '\0');
        QByteArray pointer(10, '\0');
        pointer[1] = char(0x40);  // block 0x4000, beyond the file
        pointer[0] = char(0xff);
        pointer[4] = 100;
        QVERIFY_THROWS_EXCEPTION(store::Error, px::memoBlock(mb, pointer));
    }

    // ---- import of the old tables -----------------------------------------------------

    void writeOldTables(const QString& folder) {
        const auto A = px::Alpha, L = px::Long, D = px::Date, C = px::Currency, M = px::Memo,
                   S = px::Short, B = px::Logical;
        QDir().mkpath(folder);
        const QDir d(folder);
        writeParadox(d.filePath(QStringLiteral("Config.DB")),
                     {{QStringLiteral("Sprog"), S, 2},
                      {QStringLiteral("H_Main"), L, 4},
                      {QStringLiteral("W_Main"), L, 4}},
                     {{1, 700, 900}});
        writeParadox(d.filePath(QStringLiteral("Regnr.db")), {{QStringLiteral("Regnr"), L, 4}},
                     {{1}, {2}});
        writeParadox(
            d.filePath(QStringLiteral("PLANTER.DB")),
            {{QStringLiteral("Regnr"), L, 4},
             {QStringLiteral("Plantenavn"), A, 60},
             {QStringLiteral("Antal"), S, 2},
             {QStringLiteral("Plantet"), D, 4},
             {QStringLiteral("Pris"), C, 8},
             {QStringLiteral("Notater"), M, 40},
             {QStringLiteral("Goedning"), A, 40}},
            {{1, QStringLiteral("Rødløg på bænken"), 12, QDate(1998, 4, 30), 19.95,
              QString(66000, QLatin1Char('n')) + QStringLiteral("ø"), QStringLiteral("Kompost")},
             {2, QStringLiteral("Æble"), QVariant(), QVariant(), QVariant(), QVariant(),
              QVariant()}});
        writeParadox(d.filePath(QStringLiteral("Vexmo.DB")),
                     {{QStringLiteral("Regnr"), L, 4},
                      {QStringLiteral("Arbejdet"), A, 100},
                      {QStringLiteral("Datostart"), D, 4},
                      {QStringLiteral("Planlagt"), B, 1},
                      {QStringLiteral("Pris"), C, 8}},
                     {{1, QStringLiteral("Sø"), QDate(2001, 6, 1), true, 1500.0}});
        writeParadox(d.filePath(QStringLiteral("Haveregnr.db")), {{QStringLiteral("Regnr"), L, 4}},
                     {{1}});
        writeParadox(d.filePath(QStringLiteral("Familie.db")), {{QStringLiteral("Familie"), A, 60}},
                     {{QStringLiteral("Løgfamilien")}});
        writeParadox(d.filePath(QStringLiteral("Plantetype.db")),
                     {{QStringLiteral("Plantetype"), A, 60}}, {{QStringLiteral("Stauder")}});
        writeParadox(d.filePath(QStringLiteral("Materialer.db")),
                     {{QStringLiteral("Regnr"), L, 4},
                      {QStringLiteral("Arbejdet"), A, 100},
                      {QStringLiteral("Materialer"), A, 40},
                      {QStringLiteral("Antal"), L, 4},
                      {QStringLiteral("Pris"), C, 8}},
                     {{1, QStringLiteral("Sø"), QStringLiteral("Folie"), 2, 250.0}});
        writeParadox(d.filePath(QStringLiteral("Navne.db")),
                     {{QStringLiteral("Navn"), A, 60}, {QStringLiteral("Latin"), A, 60}},
                     {{QStringLiteral("Purløg"), QStringLiteral("Allium schoenoprasum")}});
        writeFile(d.filePath(QStringLiteral("Billeder/Plante1.jpg")), "old picture");
    }

    void theOldTablesComeInWithEverythingTheyHold() {
        QTemporaryDir old;
        writeOldTables(old.path());
        m_dialogs->files << old.path();
        importOldTables(-1, m_dm.get());
        QCOMPARE(m_dialogs->shown.size(), 2);  // no question: there were no data
        const QString report = m_dialogs->shown.last().text;
        QVERIFY2(report.startsWith(QStringLiteral("De gamle data er importeret:")),
                 qPrintable(report));
        QVERIFY(report.contains(QStringLiteral("Planter.db: 2 rækker")));
        QVERIFY(report.contains(QStringLiteral("Billeder: 1 filer")));

        store::Table& p = *m_dm->PlanteTable;
        QVERIFY(p.Active());
        QCOMPARE(p.RecordCount(), 2);
        p.First();
        QCOMPARE(p.FieldByName(QStringLiteral("Plantenavn")).AsString(),
                 QStringLiteral("Rødløg på bænken"));
        QCOMPARE(p.FieldByName(QStringLiteral("Antal")).AsInteger(), 12);
        QCOMPARE(p.FieldByName(QStringLiteral("Plantet")).AsDate(), QDate(1998, 4, 30));
        QCOMPARE(p.FieldByName(QStringLiteral("Pris")).AsFloat(), 19.95);
        QCOMPARE(p.FieldByName(QStringLiteral("Notater")).AsString().size(), 66001);
        QVERIFY(p.FieldByName(QStringLiteral("Notater")).AsString().endsWith(QStringLiteral("nø")));
        QCOMPARE(p.FieldByName(QStringLiteral("Goedning")).AsString(), QStringLiteral("Kompost"));
        p.Next();
        QVERIFY(p.FieldByName(QStringLiteral("Plantet")).IsNull());
        QVERIFY(p.FieldByName(QStringLiteral("Antal")).IsNull());
        m_dm->HaveTable->First();
        QCOMPARE(m_dm->HaveTable->FieldByName(QStringLiteral("Planlagt")).AsString(),
                 QStringLiteral("Ja"));
        QCOMPARE(m_dm->MaterialeTable->RecordCount(), 1);
        QCOMPARE(m_dm->MaterialeTable->FieldByName(QStringLiteral("Ialt")).AsFloat(), 500.0);
        QCOMPARE(m_dm->NavneTable->RecordCount(), 1);
        QCOMPARE(m_dm->FamilieTable->RecordCount(), 1);
        m_dm->ConfigTable->First();
        QCOMPARE(m_dm->ConfigTable->FieldByName(QStringLiteral("Sprog")).AsInteger(), 1);
        QCOMPARE(readAll(QDir(pictures()).filePath(QStringLiteral("Plante1.jpg"))),
                 QByteArrayLiteral("old picture"));
        // The next plant takes the number after the imported ones.
        p.Insert();
        QCOMPARE(p.FieldByName(QStringLiteral("Regnr")).AsInteger(), 3);
        p.Cancel();
    }

    void aBadOldFolderIsShownBeforeAnything_data() {
        QTest::addColumn<QString>("spoil");
        QTest::addColumn<QString>("line");  // the table's line in what is shown
        QTest::addColumn<int>("names");     // the names after saying yes; -1 unchanged
        QTest::addColumn<int>("plants");    // the plants after saying yes
        QTest::newRow("unreadable file") << "garbage"
                                         << "Navne.db: kan ikke læses (" << -1 << 2;
        QTest::newRow("missing table") << "missing"
                                       << "Navne.db: findes ikke i mappen" << -1 << 2;
        QTest::newRow("unknown field")
            << "field"
            << "Navne.db: 1 række kan læses; felter, programmet ikke kender, udelades: Hemmelig"
            << 1 << 2;
        QTest::newRow("duplicate key")
            << "duplicate"
            << "Navne.db: 1 række kan læses; 1 række er beskadiget og udelades (række 2: der "
               "findes en tilsvarende registrering i forvejen)"
            << 1 << 2;
        QTest::newRow("missing memo file")
            << "memo"
            << "Planter.db: 1 række kan læses; 1 række er beskadiget og udelades (række 1: "
               "notatfilen PLANTER.MB mangler)"
            << 1 << 1;
    }

    void aBadOldFolderIsShownBeforeAnything() {
        QFETCH(QString, spoil);
        QFETCH(QString, line);
        QFETCH(int, names);
        QFETCH(int, plants);
        addPlant(QStringLiteral("Min egen"), QString(), 1);
        const QString before = dump(*m_dm);
        const int namesBefore = m_dm->NavneTable->RecordCount();
        QTemporaryDir old;
        writeOldTables(old.path());
        const QString navne = QDir(old.path()).filePath(QStringLiteral("Navne.db"));
        if (spoil == QLatin1String("garbage")) {
            writeFile(navne, QByteArray(3000, 'z'));
        } else if (spoil == QLatin1String("missing")) {
            QFile::remove(navne);
        } else if (spoil == QLatin1String("field")) {
            writeParadox(navne,
                         {{QStringLiteral("Navn"), px::Alpha, 60},
                          {QStringLiteral("Hemmelig"), px::Alpha, 10}},
                         {{QStringLiteral("a"), QStringLiteral("b")}});
        } else if (spoil == QLatin1String("duplicate")) {
            writeParadox(
                navne,
                {{QStringLiteral("Navn"), px::Alpha, 60}, {QStringLiteral("Latin"), px::Alpha, 60}},
                {{QStringLiteral("a"), QStringLiteral("b")},
                 {QStringLiteral("a"), QStringLiteral("b")}});
        } else {
            QFile::remove(QDir(old.path()).filePath(QStringLiteral("PLANTER.MB")));
        }
        // Saying no leaves everything as it was.
        m_dialogs->files << old.path();
        m_dialogs->answers << toolkit::mrNo;
        importOldTables(-1, m_dm.get());
        QCOMPARE(m_dialogs->shown.size(), 2);
        const QString shown = m_dialogs->shown.last().text;
        QCOMPARE(m_dialogs->shown.last().type, toolkit::MsgType::Confirmation);
        QVERIFY2(shown.startsWith(QStringLiteral("Dette kan læses fra %1:")
                                      .arg(QDir::toNativeSeparators(old.path()))),
                 qPrintable(shown));
        QVERIFY2(shown.contains(data::messageBreak() + line), qPrintable(shown));
        QVERIFY(shown.contains(QStringLiteral("Vil du importere det, der kan læses?")));
        QVERIFY(m_dm->PlanteTable->Active());
        QCOMPARE(dump(*m_dm), before);
        QVERIFY(!QFileInfo::exists(QDir(pictures()).filePath(QStringLiteral("Plante1.jpg"))));

        // Saying yes brings in what can be read.
        m_dialogs->files << old.path();
        m_dialogs->answers << toolkit::mrYes;
        importOldTables(-1, m_dm.get());
        const QString report = m_dialogs->shown.last().text;
        QVERIFY2(report.startsWith(QStringLiteral("De gamle data er importeret:")),
                 qPrintable(report));
        QCOMPARE(m_dm->PlanteTable->RecordCount(), plants);
        QCOMPARE(m_dm->NavneTable->RecordCount(), names < 0 ? namesBefore : names);
        QCOMPARE(report.contains(QStringLiteral("Navne.db: uændret")), names < 0);
        QCOMPARE(report.contains(QStringLiteral("Beskadigede rækker, der er udeladt: 1")),
                 spoil == QLatin1String("duplicate") || spoil == QLatin1String("memo"));
        QCOMPARE(readAll(QDir(pictures()).filePath(QStringLiteral("Plante1.jpg"))),
                 QByteArrayLiteral("old picture"));
    }

    void nothingReadableImportsNothing() {
        addPlant(QStringLiteral("Min egen"), QString(), 1);
        const QString before = dump(*m_dm);
        QTemporaryDir old;
        writeFile(QDir(old.path()).filePath(QStringLiteral("Planter.db")), "no table");
        m_dialogs->files << old.path();
        importOldTables(-1, m_dm.get());
        QCOMPARE(m_dialogs->shown.last().type, toolkit::MsgType::Error);
        QVERIFY(m_dialogs->shown.last().text.contains(
            QStringLiteral("Der er intet i mappen, der kan læses.")));
        QVERIFY(m_dialogs->shown.last().text.endsWith(
            QStringLiteral("Der er ikke importeret noget; dine data er uændrede.")));
        QCOMPARE(dump(*m_dm), before);
    }

    void theNextNumberFollowsTheImportedOnes() {
        QTemporaryDir old;
        writeOldTables(old.path());
        // A counter table left behind the plants, as old folders have them.
        writeParadox(QDir(old.path()).filePath(QStringLiteral("Regnr.db")),
                     {{QStringLiteral("Regnr"), px::Long, 4}}, {{1}});
        QFile::remove(QDir(old.path()).filePath(QStringLiteral("Haveregnr.db")));
        m_dialogs->files << old.path();
        m_dialogs->answers << toolkit::mrYes;
        importOldTables(-1, m_dm.get());
        m_dm->PlanteTable->Insert();
        QCOMPARE(m_dm->PlanteTable->FieldByName(QStringLiteral("Regnr")).AsInteger(), 3);
        m_dm->PlanteTable->Cancel();
        m_dm->HaveTable->Insert();
        QCOMPARE(m_dm->HaveTable->FieldByName(QStringLiteral("Regnr")).AsInteger(), 2);
        m_dm->HaveTable->Cancel();
    }

    void aTableThatNamesNoCodePageTakesItsSortOrders_data() {
        QTest::addColumn<QString>("sortOrder");
        QTest::addColumn<int>("codePage");
        QTest::newRow("Norwegian and Danish") << "nordan" << 865;
        QTest::newRow("Norwegian and Danish 4") << "nordan40" << 865;
        QTest::newRow("international 850") << "intl850" << 850;
        QTest::newRow("ascii") << "ascii" << 437;
        QTest::newRow("Windows") << "ANSIINTL" << 1252;
        QTest::newRow("dBASE Danish") << "DB865DA0" << 865;
        QTest::newRow("unknown") << "zzzz" << 1252;
    }

    void aTableThatNamesNoCodePageTakesItsSortOrders() {
        QFETCH(QString, sortOrder);
        QFETCH(int, codePage);
        QCOMPARE(px::codePageOf(30, 0, sortOrder), codePage);
        QCOMPARE(px::codePageOf(70, 0, sortOrder), codePage);
        // A code page in the header wins.
        QCOMPARE(px::codePageOf(70, 850, sortOrder), 850);

        // "Blåbær" in code page 865, in a table whose header names no code page.
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("sort.db"));
        writeParadox(file, {{QStringLiteral("T"), px::Alpha, 10}}, {{QStringLiteral("Bl__b_r")}},
                     1252);
        QByteArray b = readAll(file);
        const qsizetype text = b.indexOf("Bl__b_r");
        b.replace(text, 7,
                  QByteArray("Bl\x86"
                             "b\x91r\0",
                             7));
        b[0x6A] = 0;
        b[0x6B] = 0;
        const qsizetype at = b.indexOf("ANSIINTL");
        QVERIFY(at > 0);
        QByteArray name = sortOrder.toLatin1();
        name.resize(8, '\0');
        b.replace(at, 8, name);
        writeFile(file, b);
        const px::Table t = px::readTable(file);
        QCOMPARE(t.sortOrder, sortOrder);
        QCOMPARE(t.codePage, codePage);
        if (codePage == 865) {
            QCOMPARE(t.rows.at(0).at(0).toString(), QStringLiteral("Blåbær"));
        }
    }

    void existingDataAreReplacedOnlyAfterConfirmation() {
        addPlant(QStringLiteral("Min egen"), QString(), 1);
        const QString before = dump(*m_dm);
        QTemporaryDir old;
        writeOldTables(old.path());
        m_dialogs->files << old.path();
        m_dialogs->answers << toolkit::mrNo;
        importOldTables(-1, m_dm.get());
        QCOMPARE(m_dialogs->shown.last().type, toolkit::MsgType::Confirmation);
        QCOMPARE(dump(*m_dm), before);

        m_dialogs->files << old.path();
        m_dialogs->answers << toolkit::mrYes;
        importOldTables(-1, m_dm.get());
        QVERIFY(
            m_dialogs->shown.last().text.contains(QStringLiteral("De tidligere data er gemt i:")));
        QCOMPARE(m_dm->PlanteTable->RecordCount(), 2);
        // The replaced data are in the safety copy.
        const QStringList copies =
            QDir(backupFolder()).entryList({QStringLiteral("Verdamo-foer-import-*.zip")});
        QCOMPARE(copies.size(), 1);
    }
};

QTEST_MAIN(BackupTest)
#include "tst_backup.moc"
