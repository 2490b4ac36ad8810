// SPDX-License-Identifier: GPL-3.0-or-later
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "store/session.h"
#include "store/sqlite_p.h"
#include "store/table.h"
#include "testsupport.h"

namespace {

const QString Alias = QStringLiteral("CrashTest");

// A work and the items that belong to it, linked by number and name.
struct Garden {
    std::unique_ptr<store::Table> works = std::make_unique<store::Table>();
    std::unique_ptr<store::Table> items = std::make_unique<store::Table>();
    Garden() {
        works->setDatabaseName(Alias);
        works->setTableName(QStringLiteral("Works.db"));
        items->setDatabaseName(Alias);
        items->setTableName(QStringLiteral("Items.db"));
        items->setMasterSource(works.get());
        items->setMasterFields(QStringLiteral("Nr;Title"));
        items->setIndexFieldNames(QStringLiteral("Nr;Title"));
        items->setCascadeUpdates(true);
        works->Open();
        items->Open();
    }
    ~Garden() { items->setMasterSource(nullptr); }
};

// The child: renames the first work; with a table named, the process is killed the moment
// SQLite first writes a row of that table, inside the post's transaction.
int runRenamer(const char* killAt) {
    Garden g;
    static QByteArray table;
    table = killAt;
    if (!table.isEmpty()) {
        sqlite3_update_hook(
            store::Session::database(Alias)->connection().handle(),
            [](void*, int, const char*, const char* name, sqlite3_int64) {
                if (table == name) {
                    ::kill(::getpid(), SIGKILL);
                }
            },
            nullptr);
    }
    g.works->First();
    g.works->Edit();
    g.works->FieldByName(QStringLiteral("Title")).setAsString(QStringLiteral("Raised bed"));
    g.works->Post();
    return 0;
}

std::unique_ptr<store::Table> openLog() {
    auto t = std::make_unique<store::Table>();
    t->setDatabaseName(Alias);
    t->setTableName(QStringLiteral("Log.db"));
    t->Open();
    return t;
}

// The child: posts rows one by one and reports each one once its post has returned.
int runPoster() {
    auto t = openLog();
    t->Last();
    int next = t->FieldByName(QStringLiteral("Nr")).AsInteger() + 1;
    const QString payload(300, QLatin1Char('w'));
    for (;; ++next) {
        t->Insert();
        t->FieldByName(QStringLiteral("Nr")).setAsInteger(next);
        t->FieldByName(QStringLiteral("Text"))
            .setAsString(QStringLiteral("Række %1 æøå").arg(next));
        t->FieldByName(QStringLiteral("Notes")).setAsString(payload);
        t->Post();
        const QByteArray line = QByteArray::number(next) + '\n';
        if (::write(1, line.constData(), size_t(line.size())) < 0) {
            return 1;
        }
    }
}

}  // namespace

class CrashTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void killedWritersLoseNoReportedRow() {
        QTemporaryDir dir;
        {
            store::Database db(dir.path(), true);
            db.createTable({QStringLiteral("Log.db"),
                            {{QStringLiteral("Nr"), store::FieldType::Integer},
                             {QStringLiteral("Text"), store::FieldType::String},
                             {QStringLiteral("Notes"), store::FieldType::Memo}},
                            {QStringLiteral("Nr")},
                            true});
        }
        store::Session::setAliasPath(Alias, dir.path());

        QSet<int> reported;
        int kills = 0;
        for (int round = 0; round < 60; ++round) {
            QProcess child;
            child.setProgram(QCoreApplication::applicationFilePath());
            child.setArguments({QStringLiteral("--poster")});
            child.start();
            QVERIFY(child.waitForStarted());
            QTest::qWait(int(QRandomGenerator::global()->bounded(20, 120)));
            if (child.state() == QProcess::Running) {
                ::kill(pid_t(child.processId()), SIGKILL);
                ++kills;
            }
            QVERIFY(child.waitForFinished());
            for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
                if (line.endsWith('\n') || line.isEmpty()) {
                    continue;
                }
                bool ok = false;
                const int nr = line.toInt(&ok);
                if (ok) {
                    reported.insert(nr);
                }
            }

            auto log = openLog();
            QSet<int> stored;
            log->First();
            while (!log->Eof()) {
                stored.insert(log->FieldByName(QStringLiteral("Nr")).AsInteger());
                QCOMPARE(log->FieldByName(QStringLiteral("Notes")).AsString().size(), 300);
                log->Next();
            }
            for (int nr : std::as_const(reported)) {
                QVERIFY2(stored.contains(nr), qPrintable(QStringLiteral("row %1 lost").arg(nr)));
            }
            QVERIFY(store::Session::database(Alias)->integrityOk());
            log.reset();
            store::Session::closeAll();
        }
        QVERIFY(kills >= 50);
        QVERIFY(reported.size() > 100);
    }

    void aRenameAndItsItemsAreOneWrite_data() {
        QTest::addColumn<QString>("killAt");
        QTest::addColumn<QString>("title");
        QTest::newRow("killed after the work's row") << "Works"
                                                     << "Bed";
        QTest::newRow("killed among the items' rows") << "Items"
                                                      << "Bed";
        QTest::newRow("not killed") << ""
                                    << "Raised bed";
    }

    // The work's new name reaches its items in the same transaction: a kill between the
    // writes leaves neither, and without one both are there.
    void aRenameAndItsItemsAreOneWrite() {
        QFETCH(QString, killAt);
        QFETCH(QString, title);
        QTemporaryDir dir;
        {
            using store::FieldType;
            store::Database db(dir.path(), true);
            db.createTable({QStringLiteral("Works.db"),
                            {{QStringLiteral("Nr"), FieldType::Integer},
                             {QStringLiteral("Title"), FieldType::String, 100}},
                            {QStringLiteral("Nr")},
                            true});
            db.createTable({QStringLiteral("Items.db"),
                            {{QStringLiteral("Nr"), FieldType::Integer},
                             {QStringLiteral("Title"), FieldType::String, 100},
                             {QStringLiteral("Item"), FieldType::String, 40}},
                            {QStringLiteral("Nr"), QStringLiteral("Title")},
                            false});
            db.insertRow(QStringLiteral("Works.db"), {1, QStringLiteral("Bed")});
            db.insertRow(QStringLiteral("Works.db"), {2, QStringLiteral("Pond")});
            for (const char* item : {"Soil", "Stones", "Edging"}) {
                db.insertRow(QStringLiteral("Items.db"),
                             {1, QStringLiteral("Bed"), QString::fromLatin1(item)});
            }
            db.insertRow(QStringLiteral("Items.db"),
                         {2, QStringLiteral("Pond"), QStringLiteral("Liner")});
        }
        store::Session::setAliasPath(Alias, dir.path());

        QProcess child;
        child.setProgram(QCoreApplication::applicationFilePath());
        child.setArguments({QStringLiteral("--renamer"), killAt});
        child.start();
        QVERIFY(child.waitForStarted());
        QVERIFY(child.waitForFinished());
        if (killAt.isEmpty()) {
            QCOMPARE(child.exitStatus(), QProcess::NormalExit);
            QCOMPARE(child.exitCode(), 0);
        } else {
            QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        }

        {
            Garden g;
            g.works->First();
            QCOMPARE(g.works->FieldByName(QStringLiteral("Title")).AsString(), title);
            QCOMPARE(g.items->RecordCount(), 3);
            g.works->Next();
            QCOMPARE(g.items->RecordCount(), 1);
            // Every item belongs to a work, under the name the work has now.
            store::Table all;
            all.setDatabaseName(Alias);
            all.setTableName(QStringLiteral("Items.db"));
            all.Open();
            QCOMPARE(all.RecordCount(), 4);
            for (all.First(); !all.Eof(); all.Next()) {
                const int nr = all.FieldByName(QStringLiteral("Nr")).AsInteger();
                QCOMPARE(all.FieldByName(QStringLiteral("Title")).AsString(),
                         nr == 1 ? title : QStringLiteral("Pond"));
            }
            QVERIFY(store::Session::database(Alias)->integrityOk());
        }
        store::Session::closeAll();
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--poster") == 0) {
        // The parent's home and configuration come with the environment.
        QStandardPaths::setTestModeEnabled(true);
        return runPoster();
    }
    if (argc > 2 && qstrcmp(argv[1], "--renamer") == 0) {
        QStandardPaths::setTestModeEnabled(true);
        return runRenamer(argv[2]);
    }
    testsupport::isolateUserFolders();
    CrashTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crash.moc"
