#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "backup/archive.h"
#include "backup/csv.h"
#include "backup/functions.h"
#include "backup/oldimport.h"
#include "backup/paradox.h"
#include "data/datafolder.h"
#include "data/dm.h"
#include "paradoxwriter.h"
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
        takeBackup(-1);
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
            QVERIFY(!dailyBackup(morning, -1).isEmpty());
            QVERIFY(dailyBackup(morning.addSecs(8 * 3600), -1).isEmpty());
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
        fillSome();
        m_dialogs->files << backupNow();
        m_dialogs->answers << toolkit::mrYes;
        restoreFromBackup(3, m_dm.get());
        QVERIFY(m_dialogs->shown.at(1).text.startsWith(QStringLiteral("Alle Daten und Bilder")));
        QVERIFY(m_dialogs->shown.last().text.startsWith(
            QStringLiteral("Die Sicherung wurde wiederhergestellt.")));
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

    void theExportTakesTheOverviewsSelectionAndTheMaterials() {
        addPlant(QStringLiteral("Rose"), QStringLiteral("Rosaceae"), 10);
        addPlant(QStringLiteral("Løg"), QStringLiteral("Løgfamilien"), 2);
        addPlant(QStringLiteral("Hyben"), QStringLiteral("Rosaceae"), 3);
        addWork(QStringLiteral("Bed"), 2);
        addWork(QStringLiteral("Dam"), 1);
        addWork(QStringLiteral("Sti"), 0);
        m_dm->PlanteTable->setFilter(QStringLiteral("Familie = 'Rosaceae'"));
        m_dm->PlanteTable->setFiltered(true);
        m_dm->HaveTable->First();
        m_dm->HaveTable->Next();
        const int current = m_dm->HaveTable->FieldByName(QStringLiteral("Regnr")).AsInteger();

        QTemporaryDir folder;
        m_dialogs->files << folder.path();
        m_dialogs->answers << toolkit::mrNo;
        exportToCsv(-1, m_dm.get());
        QVERIFY2(m_dialogs->shown.last().text.startsWith(QStringLiteral(
                     "Der er eksporteret 2 planter, 3 haveanlæg med 3 materialer og")),
                 qPrintable(m_dialogs->shown.last().text));
        const auto plants =
            parseCsv(QString::fromUtf8(readAll(folder.filePath(QStringLiteral("Planter.csv")))),
                     QLatin1Char(','));
        QCOMPARE(plants.size(), 3);
        QCOMPARE(plants.at(1).at(1), QStringLiteral("Rose"));
        QCOMPARE(plants.at(2).at(1), QStringLiteral("Hyben"));
        const auto materials =
            parseCsv(QString::fromUtf8(readAll(folder.filePath(QStringLiteral("Materialer.csv")))),
                     QLatin1Char(','));
        QCOMPARE(materials.size(), 4);
        QCOMPARE(materials.first().at(6), QStringLiteral("Ialt"));
        QCOMPARE(materials.at(1).at(1), QStringLiteral("Bed"));
        QCOMPARE(materials.at(1).at(6), QStringLiteral("37.5"));
        QCOMPARE(materials.at(3).at(1), QStringLiteral("Dam"));
        QCOMPARE(
            parseCsv(QString::fromUtf8(readAll(folder.filePath(QStringLiteral("Haveanlaeg.csv")))),
                     QLatin1Char(','))
                .size(),
            4);
        QVERIFY(parseCsv(QString::fromUtf8(readAll(folder.filePath(QStringLiteral("Navne.csv")))),
                         QLatin1Char(','))
                    .size() > 1);
        // The cursors stay where the user left them.
        QCOMPARE(m_dm->HaveTable->FieldByName(QStringLiteral("Regnr")).AsInteger(), current);
        QCOMPARE(m_dm->PlanteTable->RecordCount(), 2);
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
            QCOMPARE(t.rows.at(0).at(0).toDate(), QDate(2018, 1, 1));
            QCOMPARE(t.rows.at(1).at(0).toDate(), QDate(2018, 2, 1));
            QCOMPARE(t.rows.at(0).at(1).toTime(), QTime(10, 0));
        }
        {
            const px::Table t = px::readTable(dir.filePath(QStringLiteral("time.db")));
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

    void aBadOldFolderLeavesTheDataAsTheyWere_data() {
        QTest::addColumn<QString>("spoil");
        QTest::addColumn<QString>("message");
        QTest::newRow("unreadable file") << "garbage"
                                         << "Filen Navne.db kan ikke læses";
        QTest::newRow("missing table") << "missing"
                                       << "Tabellen Navne.db findes ikke i mappen.";
        QTest::newRow("unknown field") << "field"
                                       << "Feltet Hemmelig i Navne.db kendes ikke";
        QTest::newRow("duplicate key") << "duplicate"
                                       << "Navne.db";
        QTest::newRow("missing memo file") << "memo"
                                           << "Filen PLANTER.DB kan ikke læses";
    }

    void aBadOldFolderLeavesTheDataAsTheyWere() {
        QFETCH(QString, spoil);
        QFETCH(QString, message);
        addPlant(QStringLiteral("Min egen"), QString(), 1);
        const QString before = dump(*m_dm);
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
        m_dialogs->files << old.path();
        m_dialogs->answers << toolkit::mrYes;
        importOldTables(-1, m_dm.get());
        const QString shown = m_dialogs->shown.last().text;
        QCOMPARE(m_dialogs->shown.last().type, toolkit::MsgType::Error);
        QVERIFY2(shown.contains(message), qPrintable(shown));
        QVERIFY(
            shown.endsWith(QStringLiteral("Der er ikke importeret noget; dine data er uændrede.")));
        QVERIFY(m_dm->PlanteTable->Active());
        QCOMPARE(dump(*m_dm), before);
        QVERIFY(!QFileInfo::exists(QDir(pictures()).filePath(QStringLiteral("Plante1.jpg"))));
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
