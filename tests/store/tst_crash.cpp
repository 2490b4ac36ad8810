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
#include "store/table.h"
#include "testsupport.h"

namespace {

const QString Alias = QStringLiteral("CrashTest");

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
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--poster") == 0) {
        // The parent's home and configuration come with the environment.
        QStandardPaths::setTestModeEnabled(true);
        return runPoster();
    }
    testsupport::isolateUserFolders();
    CrashTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crash.moc"
