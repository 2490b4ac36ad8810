// SPDX-License-Identifier: GPL-3.0-or-later
// Speed and memory figures of the table store, each against a floor measured in the same run.
//
// Build (benchmarks are on by default, VERDAMO_BENCHMARKS):
//     cmake -S . -B build -G Ninja && cmake --build build
// Run:
//     ./build/bench/store_bench
// Google Benchmark flags (--benchmark_filter, --benchmark_repetitions, ...) are passed on.
// A full run takes about a minute, most of it in the synced posts.
//
// The run makes a data folder of its own with 100 000 plants in a temporary folder (on the
// file system of QDir::tempPath(), so commits are really synced there), then ends with one
// line per figure:
//     FIGURE <name> project=<value> floor=<value> ratio=<value> goal<=<value>
// Times are seconds of wall-clock time per operation (one filter change with its count, one
// walk over every row, one batch of 1000 posts); memory is in bytes. ratio = project/floor.
//
// The floors use SQLite directly: they are the least any store on this file could do, so
// they are the one place outside src/store/ that speaks SQL.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <array>
#include <cstdio>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/datafolder.h"
#include "data/dm.h"
#include "figures.h"
#include "plants.h"
#include "rawsqlite.h"
#include "store/format.h"
#include "store/session.h"
#include "store/table.h"

namespace {

using benchfig::RawDb;
using benchfig::RawStmt;

constexpr int PlantCount = 100000;
constexpr int PostBatch = 1000;

using benchfig::FamilyA;
using benchfig::FamilyB;
using benchfig::familyFilter;

// What the generated folder holds, so the figures can check what they read.
struct Fixture {
    QString folder;
    QString dbPath;
    QByteArray dbPathUtf8;
    int rows = 0;  // rows in Planter now; the post figures add to it
    benchfig::PlantSet plants;
    int nextRegnr = PlantCount + 1;  // fresh keys for the post figures
};
Fixture g;

qint64 rawCount(RawDb& db, const char* sql) {
    RawStmt st(db, sql);
    st.step();
    return sqlite3_column_int64(st.get(), 0);
}

void openPlanter(store::Table& t) {
    t.setDatabaseName(QString::fromLatin1(data::TDM::Alias));
    t.setTableName(QStringLiteral("Planter.db"));
    t.Open();
}

// A store or SQLite error ends the figure as an error instead of ending the run.
template <typename Body>
void guarded(benchmark::State& state, Body body) {
    try {
        body();
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

// ---- filter_count ---------------------------------------------------------------------------

void projectFilterCount(benchmark::State& state) {
    guarded(state, [&] {
        store::Table t;
        openPlanter(t);
        t.setFilter(familyFilter(FamilyB));
        t.setFiltered(true);
        int i = 0;
        for (auto _ : state) {
            const int family = (i++ & 1) ? FamilyB : FamilyA;
            t.setFilter(familyFilter(family));
            const int n = t.RecordCount();
            if (n != g.plants.familyCount[size_t(family)]) {
                state.SkipWithError("the filtered count is not the number of plants of the family");
                break;
            }
            benchmark::DoNotOptimize(n);
        }
        t.Close();
    });
}

void floorFilterCount(benchmark::State& state) {
    guarded(state, [&] {
        RawDb db(g.dbPathUtf8);
        RawStmt st(db, "SELECT count(*) FROM Planter WHERE Familie = ?");
        const QByteArray names[2] = {QByteArray(benchfig::Families[FamilyA]),
                                     QByteArray(benchfig::Families[FamilyB])};
        const int expected[2] = {g.plants.familyCount[FamilyA], g.plants.familyCount[FamilyB]};
        int i = 0;
        for (auto _ : state) {
            const int which = i++ & 1;
            st.text(1, names[which]);
            st.step();
            const qint64 n = sqlite3_column_int64(st.get(), 0);
            st.reset();
            if (n != expected[which]) {
                state.SkipWithError("the raw count is not the number of plants of the family");
                break;
            }
            benchmark::DoNotOptimize(n);
        }
    });
}

// ---- cursor_walk ----------------------------------------------------------------------------

void projectCursorWalk(benchmark::State& state) {
    guarded(state, [&] {
        store::Table t;
        openPlanter(t);
        store::Field* name = &t.FieldByName(QStringLiteral("Plantenavn"));
        for (auto _ : state) {
            int rows = 0;
            QString first, last;
            t.First();
            while (!t.Eof()) {
                last = name->AsString();
                if (rows == 0) {
                    first = last;
                }
                ++rows;
                t.Next();
            }
            if (rows != g.rows || first != g.plants.firstName || last != g.plants.lastName) {
                state.SkipWithError("the walk did not read every plant in key order");
                break;
            }
        }
        t.Close();
    });
}

void floorCursorWalk(benchmark::State& state) {
    guarded(state, [&] {
        RawDb db(g.dbPathUtf8);
        // The store's key order, which its key index serves.
        RawStmt st(db,
                   "SELECT Plantenavn FROM Planter "
                   "ORDER BY ifnull(\"Regnr\",-9223372036854775808), rowid");
        for (auto _ : state) {
            int rows = 0;
            QString first, last;
            while (st.step()) {
                last = QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)),
                    sqlite3_column_bytes(st.get(), 0));
                if (rows == 0) {
                    first = last;
                }
                ++rows;
            }
            st.reset();
            if (rows != g.rows || first != g.plants.firstName || last != g.plants.lastName) {
                state.SkipWithError("the raw walk did not read every plant in key order");
                break;
            }
        }
    });
}

// ---- post_1000 ------------------------------------------------------------------------------

// A bare table object: no data-module rules (AfterInsert, OnPostError) are attached, so this
// is the store's own insert and post, one durable transaction each.
void projectPost(benchmark::State& state) {
    guarded(state, [&] {
        store::Table t;
        openPlanter(t);
        store::Field& regnr = t.FieldByName(QStringLiteral("Regnr"));
        store::Field& name = t.FieldByName(QStringLiteral("Plantenavn"));
        const int before = g.rows;
        for (auto _ : state) {
            for (int i = 0; i < PostBatch; ++i) {
                const int key = g.nextRegnr++;
                t.Insert();
                regnr.setAsInteger(key);
                name.setAsString(benchfig::plantName(key));
                t.Post();
                ++g.rows;
            }
        }
        t.Close();
        RawDb db(g.dbPathUtf8);
        if (rawCount(db, "SELECT count(*) FROM Planter") != g.rows || g.rows == before) {
            state.SkipWithError("the posted plants are not all in the table");
        }
    });
}

void floorPost(benchmark::State& state) {
    guarded(state, [&] {
        RawDb db(g.dbPathUtf8);
        RawStmt begin(db, "BEGIN IMMEDIATE");
        RawStmt commit(db, "COMMIT");
        RawStmt ins(db, "INSERT INTO Planter (Regnr, Plantenavn) VALUES (?, ?)");
        const int before = g.rows;
        for (auto _ : state) {
            for (int i = 0; i < PostBatch; ++i) {
                const int key = g.nextRegnr++;
                begin.run();
                ins.integer(1, key);
                ins.text(2, benchfig::plantName(key));
                ins.run();
                commit.run();
                ++g.rows;
            }
        }
        if (rawCount(db, "SELECT count(*) FROM Planter") != g.rows || g.rows == before) {
            state.SkipWithError("the raw inserts are not all in the table");
        }
    });
}

// ---- open_memory ----------------------------------------------------------------------------

qint64 statusBytes(const char* key) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        throw std::runtime_error("cannot read /proc/self/status");
    }
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(prefix)) {
            const QList<QByteArray> parts = line.mid(prefix.size()).simplified().split(' ');
            return parts.value(0).toLongLong() * 1024;  // the kernel gives kB
        }
    }
    throw std::runtime_error(std::string("no ") + key + " in /proc/self/status");
}

// Runs in the forked child: what opening and reading the whole table costs above the
// process as it was before.
qint64 openMemoryInChild() {
    // Free heap inherited from the parent would otherwise be reused without showing in RSS.
    malloc_trim(0);
    const qint64 baseline = statusBytes("VmRSS");
    {
        // Resets VmHWM to the present RSS; older kernels refuse, and then the peak includes
        // the parent's.
        const int fd = ::open("/proc/self/clear_refs", O_WRONLY);
        if (fd >= 0) {
            if (::write(fd, "5", 1) != 1) {
                std::fprintf(stderr, "open_memory: the peak could not be reset\n");
            }
            ::close(fd);
        }
    }
    store::Table t;
    openPlanter(t);
    t.First();
    if (t.RecordCount() != g.rows) {
        throw std::runtime_error("RecordCount is not the number of plants");
    }
    qint64 chars = 0;
    int walked = 0;
    while (!t.Eof()) {
        for (int i = 0; i < t.FieldCount(); ++i) {
            chars += t.Fields(i).DisplayText().size();
        }
        ++walked;
        t.Next();
    }
    store::Field& name = t.FieldByName(QStringLiteral("Plantenavn"));
    int scoped = 0;
    for (int row = 0; row < g.rows; ++row) {
        store::Table::RowScope scope(t, row);
        if (name.AsString() == benchfig::plantName(row + 1)) {
            ++scoped;
        }
    }
    if (walked != g.rows || scoped != g.rows || chars == 0) {
        throw std::runtime_error("the table was not read through, or rows came in the wrong order");
    }
    const qint64 peak = statusBytes("VmHWM");
    t.Close();
    return peak - baseline;
}

// Forked, so that nothing the parent allocated counts. Must run while the parent holds no
// SQLite connection: a connection must not cross a fork.
qint64 measureOpenMemory(std::string& error) {
    int fds[2];
    if (::pipe(fds) != 0) {
        error = "pipe failed";
        return -1;
    }
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        error = "fork failed";
        return -1;
    }
    if (pid == 0) {
        ::close(fds[0]);
        std::string reply;
        try {
            reply = "OK " + std::to_string(openMemoryInChild());
        } catch (const std::exception& e) {
            reply = std::string("ERR ") + e.what();
        }
        const char* p = reply.data();
        size_t left = reply.size();
        while (left > 0) {
            const ssize_t n = ::write(fds[1], p, left);
            if (n <= 0) {
                break;
            }
            p += n;
            left -= size_t(n);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string reply;
    char buf[512];
    ssize_t n;
    while ((n = ::read(fds[0], buf, sizeof buf)) > 0) {
        reply.append(buf, size_t(n));
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (reply.rfind("OK ", 0) == 0) {
        return std::stoll(reply.substr(3));
    }
    error = reply.empty() ? "the measuring process ended without an answer" : reply.substr(4);
    return -1;
}

qint64 databaseBytes() {
    qint64 size = QFileInfo(g.dbPath).size();
    const QFileInfo wal(g.dbPath + QStringLiteral("-wal"));
    if (wal.exists()) {
        size += wal.size();
    }
    return size;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    QCoreApplication app(argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 2;
    }

    QStandardPaths::setTestModeEnabled(true);
    store::setShortDateFormat(QStringLiteral("dd-MM-yyyy"));
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder: %s\n", qPrintable(dir.errorString()));
        return 1;
    }
    g.folder = dir.path();
    try {
        {
            store::Database db(g.folder, true);
            data::createTables(db);
            g.dbPath = db.filePath();
        }
        g.dbPathUtf8 = QFile::encodeName(g.dbPath);
        g.plants = benchfig::writePlants(g.dbPathUtf8, PlantCount);
        g.rows = g.plants.rows;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cannot make the data folder: %s\n", e.what());
        return 1;
    }
    store::Session::setAliasPath(QString::fromLatin1(data::TDM::Alias), g.folder);
    std::printf("Data folder with %d plants: %s\n", g.rows, qPrintable(g.folder));

    benchfig::Figure memory{"open_memory", 2.0, 0};
    memory.floor = double(databaseBytes());
    std::string memoryError;
    memory.project = double(measureOpenMemory(memoryError));
    if (!memoryError.empty()) {
        memory.fail(memoryError);
    }

    const struct {
        const char* name;
        void (*fn)(benchmark::State&);
        benchmark::TimeUnit unit;
        int iterations;  // 0: as many as the library decides
    } timed[] = {
        {"filter_count/project", projectFilterCount, benchmark::kMicrosecond, 0},
        {"filter_count/floor", floorFilterCount, benchmark::kMicrosecond, 0},
        {"cursor_walk/project", projectCursorWalk, benchmark::kMillisecond, 0},
        {"cursor_walk/floor", floorCursorWalk, benchmark::kMillisecond, 0},
        // Every post syncs to disk: a few batches are enough and keep the run short.
        {"post_1000/project", projectPost, benchmark::kMillisecond, 3},
        {"post_1000/floor", floorPost, benchmark::kMillisecond, 3},
    };
    for (const auto& b : timed) {
        auto* r = benchmark::RegisterBenchmark(b.name, b.fn)->Unit(b.unit)->UseRealTime();
        if (b.iterations > 0) {
            r->Iterations(b.iterations);
        }
    }
    benchfig::FigureReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::vector<benchfig::Figure> figures = {
        {"filter_count", 3.0}, {"cursor_walk", 3.0}, {"post_1000", 1.5}};
    for (benchfig::Figure& f : figures) {
        f.take(reporter);
    }
    figures.push_back(memory);

    store::Session::closeAll();
    // The alias would point at the temporary folder, which is gone after the run.
    QFile::remove(store::Session::aliasFile());

    char units[256];
    std::snprintf(units, sizeof units,
                  "filter_count, cursor_walk, post_1000 in seconds per operation (a filter "
                  "change with its count; a walk over all rows; %d posts); open_memory in bytes",
                  PostBatch);
    return benchfig::printFigures(figures, units);
}
