// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the one-step backup against Info-ZIP on the same files, measured in the same run.
//
// Run:
//     ./build/bench/backup_bench
// The run makes a data folder of its own in a temporary folder with 10 000 plants and 200
// pictures of 2 MB each (random bytes: as incompressible as JPEG files), about 400 MB, and
// ends with one line:
//     FIGURE backup_zip project=<s> floor=<s> ratio=<project/floor> goal<=1.2
// project: backup::writeBackup (a consistent copy of the database through SQLite's backup
// API, then the ZIP). floor: `zip -r -q -6 -n .jpg` of the database file and the picture
// folder: the same compression level, pictures stored as the backup stores them. The best of
// three runs of each, in seconds.
//
// The backup checks the database copy (integrity_check) before it writes anything; that
// check's own time is printed as a second figure against the whole backup:
//     FIGURE backup_check project=<s> floor=<backup s> ratio=<check/backup> goal<=0.1
// and the quick check made at every start beside it.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <stdexcept>

#include "backup/archive.h"
#include "backup/places.h"
#include "data/datafolder.h"
#include "data/dm.h"
#include "figures.h"
#include "store/session.h"

namespace {

constexpr int PlantCount = 10000;
constexpr int PictureCount = 200;
constexpr qsizetype PictureBytes = 2 * 1024 * 1024;

struct {
    QString folder;
    QString out;
    double project = std::numeric_limits<double>::infinity();
    double floor = std::numeric_limits<double>::infinity();
    double check = std::numeric_limits<double>::infinity();
    double quick = std::numeric_limits<double>::infinity();
    std::string error;
} g;

// Times a check, keeping the best run; a check that finds fault ends the run.
void timeCheck(benchmark::State& state, const std::function<bool()>& check, double* best) {
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const bool intact = check();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (!intact) {
            state.SkipWithError("the database is not intact");
            g.error = "the database is not intact";
            return;
        }
        *best = std::min(*best, took.count());
        state.SetIterationTime(took.count());
    }
}

// The check on a consistent copy of the database, as the backup makes it.
void checkCopy(benchmark::State& state) {
    const QString copy = QDir(g.out).filePath(QStringLiteral("check.sqlite"));
    store::Session::database(QString::fromLatin1(data::TDM::Alias))->backupTo(copy);
    timeCheck(
        state, [&] { return store::Database::fileIntact(copy); }, &g.check);
    QFile::remove(copy);
}

// The quick check of the open database at start.
void quickCheck(benchmark::State& state) {
    auto db = store::Session::database(QString::fromLatin1(data::TDM::Alias));
    timeCheck(
        state, [&] { return db->quickCheckOk(); }, &g.quick);
}

void makeDataFolder() {
    store::Database db(g.folder, true);
    data::createTables(db);
    std::mt19937 rng(42);
    db.inTransaction([&] {
        for (int i = 1; i <= PlantCount; ++i) {
            db.insertRow(QStringLiteral("Regnr.db"), {i});
            QVariantList row{i, QStringLiteral("Plante %1").arg(i),
                             QStringLiteral("Latin %1").arg(i), int(rng() % 20)};
            for (int f = 0; f < 11; ++f) {
                row << QStringLiteral("tekst %1 for felt %2").arg(rng() % 1000).arg(f);
            }
            for (int d = 0; d < 6; ++d) {
                row << QDate(2000, 1, 1).addDays(rng() % 9000);
            }
            row << QStringLiteral("Planteskolen") << double(rng() % 10000) / 100
                << QStringLiteral("Notater om plante %1, vanding og gødning.").arg(i);
            db.insertRow(QStringLiteral("Planter.db"), row);
        }
    });
    QDir(g.folder).mkpath(QStringLiteral("Billeder"));
    QByteArray bytes(PictureBytes, Qt::Uninitialized);
    for (int p = 1; p <= PictureCount; ++p) {
        for (qsizetype i = 0; i + 4 <= bytes.size(); i += 4) {
            const quint32 v = rng();
            memcpy(bytes.data() + i, &v, 4);
        }
        QFile f(QDir(g.folder).filePath(QStringLiteral("Billeder/Plante%1.jpg").arg(p)));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
            throw std::runtime_error("cannot write the pictures");
        }
    }
}

void project(benchmark::State& state) {
    const QString zip = QDir(g.out).filePath(QStringLiteral("project.zip"));
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        try {
            backup::writeBackup(zip, -1);
        } catch (const std::exception& e) {
            state.SkipWithError(e.what());
            g.error = e.what();
            return;
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        g.project = std::min(g.project, took.count());
        state.SetIterationTime(took.count());
    }
}

void floorZip(benchmark::State& state) {
    const QString zip = QDir(g.out).filePath(QStringLiteral("floor.zip"));
    for (auto _ : state) {
        QFile::remove(zip);
        const auto start = std::chrono::steady_clock::now();
        QProcess p;
        p.setWorkingDirectory(g.folder);
        p.start(QStringLiteral("zip"),
                {QStringLiteral("-r"), QStringLiteral("-q"), QStringLiteral("-6"),
                 QStringLiteral("-n"), QStringLiteral(".jpg"), zip,
                 QString::fromLatin1(store::Database::FileName), QStringLiteral("Billeder")});
        if (!p.waitForFinished(-1) || p.exitCode() != 0) {
            state.SkipWithError("zip failed (is the Debian package zip installed?)");
            g.error = "zip failed";
            return;
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        g.floor = std::min(g.floor, took.count());
        state.SetIterationTime(took.count());
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    QCoreApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir dir, out;
    if (!dir.isValid() || !out.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }
    g.folder = dir.path();
    g.out = out.path();
    try {
        makeDataFolder();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cannot make the data folder (df -h %s): %s\n",
                     qPrintable(QDir::tempPath()), e.what());
        return 1;
    }
    store::Session::setAliasPath(QString::fromLatin1(data::TDM::Alias), g.folder);
    // The floor zips the database file itself, so it is whole without its log.
    store::Session::database(QString::fromLatin1(data::TDM::Alias))->inTransaction([] {});
    store::Session::closeAll();
    std::printf("Data folder with %d plants and %d pictures: %s\n", PlantCount, PictureCount,
                qPrintable(g.folder));

    benchmark::RegisterBenchmark("backup_zip/project", project)
        ->Iterations(3)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("backup_zip/floor", floorZip)
        ->Iterations(3)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("backup_check/integrity", checkCopy)
        ->Iterations(5)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("backup_check/quick_at_start", quickCheck)
        ->Iterations(5)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    store::Session::closeAll();
    QFile::remove(store::Session::aliasFile());
    QFile::remove(backup::settingsFile());
    benchfig::Figure figure{"backup_zip", 1.2, 3};
    benchfig::Figure check{"backup_check", 0.1, 4};
    if (!g.error.empty()) {
        figure.fail(g.error);
    } else if (!std::isfinite(g.project) || !std::isfinite(g.floor)) {
        figure.error = "left out by the filter";
    } else {
        figure.project = g.project;
        figure.floor = g.floor;
    }
    if (figure.error.empty()) {
        check.project = g.check;
        check.floor = g.project;
        std::printf("The quick check at start of %d plants: %.1f ms\n", PlantCount, g.quick * 1000);
    } else {
        check.error = figure.error;
        check.failed = figure.failed;
    }
    return benchfig::printFigures({figure, check});
}
