// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the cost overview against the same sums computed by one raw SQLite query each,
// measured in the same run.
//
// Run:
//     ./build/bench/cost_bench
// Google Benchmark flags are passed on. Runs on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise.
//
// The run makes a data folder of its own with 100 000 plants and 20 000 garden works with
// 100 000 materials (some undated, some without a price, some whose work is gone), then ends
// with
//     FIGURE cost_overview project=<s> floor=<s> ratio=<project/floor> goal<=2
// project: the window created and shown with its chart painted, and closed again.
// floor: six raw queries, one per sum the window shows (plants by year, family and type;
// materials by year, work and category, joined to their works), prepared once, every row of
// their answers read. Times are seconds of wall-clock time per opening.
//
// The floor and the generator use SQLite directly (bench/rawsqlite.h): they are the least any
// program could do on this file.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDate>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "costs/chart.h"
#include "costs/udgiftform.h"
#include "data/datafolder.h"
#include "data/dm.h"
#include "figures.h"
#include "plants.h"
#include "rawsqlite.h"
#include "store/format.h"
#include "store/session.h"

namespace {

using benchfig::RawDb;
using benchfig::RawStmt;

constexpr int PlantCount = 100000;
constexpr int WorkCount = 20000;
constexpr int MaterialCount = 100000;

using benchfig::Families;
const std::array<const char*, 6> Types = {"Staude", "Busk", "Træ", "Løg", "Enårig", "Klatreplante"};
const std::array<const char*, 8> Categories = {"Belægning", "Bede",      "Vand", "Hegn",
                                               "Bygning",   "Græsplæne", "Sti",  "Køkkenhave"};

struct Fixture {
    QByteArray dbPath;
    double plants = 0;  // the totals, to check both sides by
    double materials = 0;
};
Fixture g;

QString isoDate(int year, std::mt19937& rng) {
    return QDate(year, 1, 1).addDays(qint64(rng() % 365)).toString(Qt::ISODate);
}

// A garden kept for a quarter of a century, the way old data folders look.
void generate() {
    RawDb db(g.dbPath);
    std::mt19937 rng(20240601);
    auto pick = [&](size_t n) { return size_t(rng() % n); };
    db.exec("BEGIN IMMEDIATE");
    {
        RawStmt ins(db,
                    "INSERT INTO Planter (Regnr, Plantenavn, Antal, Plantetype, Familie, Plantet, "
                    "Pris) VALUES (?,?,?,?,?,?,?)");
        for (int regnr = 1; regnr <= PlantCount; ++regnr) {
            ins.integer(1, regnr);
            ins.text(2, QStringLiteral("Plante %1").arg(regnr));
            ins.integer(3, qint64(pick(5) + 1));
            ins.text(4, QString::fromUtf8(Types[pick(Types.size())]));
            ins.text(5, QString::fromLatin1(Families[pick(Families.size())]));
            if (pick(20) == 0) {
                ins.null(6);
            } else {
                ins.text(6, isoDate(2000 + int(pick(25)), rng));
            }
            if (pick(12) == 0) {
                ins.null(7);
            } else {
                const double price = double(pick(40000) + 500) / 100.0;
                ins.real(7, price);
                g.plants += price;
            }
            ins.run();
        }
    }
    std::vector<QString> names;
    {
        RawStmt ins(db,
                    "INSERT INTO Vexmo (Regnr, Arbejdet, Kategori, Datostart, Datoslut, Planlagt) "
                    "VALUES (?,?,?,?,?,'Nej')");
        for (int regnr = 1; regnr <= WorkCount; ++regnr) {
            const QString name = QStringLiteral("Anlæg %1").arg(regnr);
            names.push_back(name);
            const int year = 2000 + int(pick(25));
            ins.integer(1, regnr);
            ins.text(2, name);
            ins.text(3, QString::fromUtf8(Categories[pick(Categories.size())]));
            const size_t dated = pick(10);
            if (dated < 7) {
                ins.text(4, isoDate(year, rng));
            } else {
                ins.null(4);
            }
            if (dated == 7 || dated < 3) {
                ins.text(5, isoDate(year, rng));
            } else {
                ins.null(5);
            }
            ins.run();
        }
    }
    {
        RawStmt ins(db,
                    "INSERT INTO Materialer (Regnr, Arbejdet, Materialer, Antal, Pris) "
                    "VALUES (?,?,?,?,?)");
        for (int i = 0; i < MaterialCount; ++i) {
            const int work = int(pick(WorkCount));
            const bool gone = pick(100) == 0;
            ins.integer(1, gone ? WorkCount + 1 + work : work + 1);
            ins.text(2, gone ? QStringLiteral("Gammelt navn") : names[size_t(work)]);
            ins.text(3, QStringLiteral("Materiale %1").arg(i % 500));
            const qint64 count = qint64(pick(40)) + 1;
            ins.integer(4, count);
            if (pick(15) == 0) {
                ins.null(5);
            } else {
                const double price = double(pick(50000) + 100) / 100.0;
                ins.real(5, price);
                g.materials += double(count) * price;
            }
            ins.run();
        }
    }
    db.exec("COMMIT");
}

template <typename Body>
void guarded(benchmark::State& state, Body body) {
    try {
        body();
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

bool near(double a, double b) {
    return std::abs(a - b) <= 1e-6 * std::max(1.0, std::abs(b));
}

void projectOpen(benchmark::State& state) {
    guarded(state, [&] {
        data::TDM dm;
        dm.ConfigTable->Open();
        for (store::Table* t : dm.tablesInOpeningOrder()) {
            t->Open();
        }
        for (auto _ : state) {
            auto form = std::make_unique<costs::TUdgiftForm>(nullptr);
            form->show();
            QApplication::processEvents();
            const costs::Overview& o = form->overview();
            if (!near(o.total.plants, g.plants) || !near(o.total.materials, g.materials) ||
                form->chart()->bars().size() != 25) {
                state.SkipWithError("the window does not show the garden's totals");
                break;
            }
            form->close();
        }
    });
}

const char* const FloorQueries[] = {
    "SELECT CAST(strftime('%Y', Plantet) AS INTEGER), Pris IS NULL, count(*), total(Pris) "
    "FROM Planter GROUP BY 1, 2",
    "SELECT Familie, Pris IS NULL, count(*), total(Pris) FROM Planter GROUP BY 1, 2",
    "SELECT Plantetype, Pris IS NULL, count(*), total(Pris) FROM Planter GROUP BY 1, 2",
    "SELECT CAST(strftime('%Y', coalesce(w.Datostart, w.Datoslut)) AS INTEGER), m.Pris IS NULL, "
    "count(*), total(m.Antal * m.Pris) FROM Materialer m LEFT JOIN Vexmo w "
    "ON w.Regnr = m.Regnr AND w.Arbejdet = m.Arbejdet GROUP BY 1, 2",
    "SELECT m.Regnr, m.Arbejdet, w.Regnr IS NULL, m.Pris IS NULL, count(*), "
    "total(m.Antal * m.Pris) FROM Materialer m LEFT JOIN Vexmo w "
    "ON w.Regnr = m.Regnr AND w.Arbejdet = m.Arbejdet GROUP BY 1, 2, 4",
    "SELECT w.Kategori, w.Regnr IS NULL, m.Pris IS NULL, count(*), total(m.Antal * m.Pris) "
    "FROM Materialer m LEFT JOIN Vexmo w ON w.Regnr = m.Regnr AND w.Arbejdet = m.Arbejdet "
    "GROUP BY 1, 2, 3",
};

void floorQueries(benchmark::State& state) {
    guarded(state, [&] {
        RawDb db(g.dbPath);
        std::vector<std::unique_ptr<RawStmt>> queries;
        for (const char* sql : FloorQueries) {
            queries.push_back(std::make_unique<RawStmt>(db, sql));
        }
        for (auto _ : state) {
            std::array<double, std::size(FloorQueries)> totals{};
            for (size_t q = 0; q < queries.size(); ++q) {
                sqlite3_stmt* st = queries[q]->get();
                const int sumColumn = sqlite3_column_count(st) - 1;
                while (queries[q]->step()) {
                    totals[q] += sqlite3_column_double(st, sumColumn);
                    benchmark::DoNotOptimize(sqlite3_column_text(st, 0));
                }
                queries[q]->reset();
            }
            for (size_t q = 0; q < totals.size(); ++q) {
                if (!near(totals[q], q < 3 ? g.plants : g.materials)) {
                    state.SkipWithError("a raw sum is not the garden's total");
                    return;
                }
            }
        }
    });
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 2;
    }
    benchfig::useDanishTestSettings();
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }
    try {
        {
            store::Database db(dir.path(), true);
            data::createTables(db);
            g.dbPath = QFile::encodeName(db.filePath());
        }
        generate();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cannot make the data folder: %s\n", e.what());
        return 1;
    }
    store::Session::setAliasPath(QString::fromLatin1(data::TDM::Alias), dir.path());
    std::printf("Data folder with %d plants, %d works and %d materials: %s\n", PlantCount,
                WorkCount, MaterialCount, qPrintable(dir.path()));

    // A few openings each: one takes more than half a second.
    benchmark::RegisterBenchmark("cost_overview/project", projectOpen)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(5);
    benchmark::RegisterBenchmark("cost_overview/floor", floorQueries)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(5);
    benchfig::FigureReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    benchfig::Figure figure{"cost_overview", 2.0};
    figure.take(reporter);
    store::Session::closeAll();
    QFile::remove(store::Session::aliasFile());
    return benchfig::printFigures(
        {figure}, "seconds per opening of the window on 100 000 plants and 100 000 materials");
}
