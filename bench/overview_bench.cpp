// Speed of the plant overview on 100 000 plants, each figure against a floor measured in the
// same run.
//
// Run:
//     ./build/bench/overview_bench
// Google Benchmark flags are passed on. Runs on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise. Ends with one line per figure:
//     FIGURE <name> project=<value> floor=<value> ratio=<value> goal<=<value>
// Times are seconds of wall-clock time per operation:
//   find_keystroke  one search that matches nothing, the worst case: every plant read
//                   through the cursor, against a loop over the same names in memory with
//                   the same folding and containment test; a keystroke typed on, which the
//                   search answers from the names an earlier keystroke read, is printed
//                   after the figures;
//   select_family   picking a family in the window until the grid is painted and the count
//                   written, against the store's own filter change and count;
//   overview_open   creating and showing the window and closing it, against an empty window
//                   of the same size;
//   sort_column     a click on the "Plantenavn" title, ascending and descending in turn, until
//                   the grid is painted, against SQLite reading every row in that order with
//                   the same Danish collation (no index holds that order).

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QDate>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <array>
#include <cstdio>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/datafolder.h"
#include "data/dm.h"
#include "figures.h"
#include "overview/easyfind.h"
#include "overview/oversigtform.h"
#include "store/collation.h"
#include "store/format.h"
#include "store/session.h"
#include "store/table.h"
#include "toolkit/grid.h"
#include "toolkit/lookup.h"

namespace {

constexpr int PlantCount = 100000;

const std::array<const char*, 30> Families = {
    "Amaranthaceae",   "Amaryllidaceae", "Apiaceae",      "Asparagaceae",    "Asteraceae",
    "Betulaceae",      "Boraginaceae",   "Brassicaceae",  "Campanulaceae",   "Caprifoliaceae",
    "Caryophyllaceae", "Crassulaceae",   "Cucurbitaceae", "Cupressaceae",    "Ericaceae",
    "Fabaceae",        "Fagaceae",       "Geraniaceae",   "Grossulariaceae", "Hydrangeaceae",
    "Iridaceae",       "Lamiaceae",      "Liliaceae",     "Oleaceae",        "Paeoniaceae",
    "Papaveraceae",    "Pinaceae",       "Poaceae",       "Ranunculaceae",   "Rosaceae"};
constexpr int FamilyA = 29;  // Rosaceae
constexpr int FamilyB = 21;  // Lamiaceae

const std::array<const char*, 8> Names = {"Rose",       "Lavendel", "Pæon",   "Tulipan",
                                          "Ærteblomst", "Solhat",   "Åkande", "Klokkeblomst"};
const std::array<const char*, 6> Types = {"Staude", "Busk", "Træ", "Løg", "Enårig", "Klatreplante"};
// A key no plant name holds: every search with it reads every plant.
const QString MissingKey = QStringLiteral("zzø");

struct Fixture {
    QString folder;
    QByteArray dbPath;
    std::array<int, Families.size()> familyCount{};
    QStringList names;  // every Plantenavn, for the search floor
};
Fixture g;

[[noreturn]] void fail(sqlite3* db, const char* what) {
    throw std::runtime_error(std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "no db"));
}

// The generator writes straight to the file: the figures are about reading it.
void generatePlants() {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(g.dbPath.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        fail(db, "open");
    }
    sqlite3_stmt* ins = nullptr;
    const char* sql =
        "INSERT INTO Planter (Regnr, Plantenavn, Latin, Antal, Plantetype, Familie, Lysforhold, "
        "Jordbund, Placering, Plantet, Erhvervet_fra, Pris, Notater) "
        "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)";
    if (sqlite3_prepare_v2(db, sql, -1, &ins, nullptr) != SQLITE_OK) {
        fail(db, "prepare");
    }
    auto text = [&](int i, const QString& s) {
        const QByteArray u = s.toUtf8();
        sqlite3_bind_text(ins, i, u.constData(), int(u.size()), SQLITE_TRANSIENT);
    };
    std::mt19937 rng(20240501);
    auto pick = [&](size_t n) { return size_t(rng() % n); };
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    for (int regnr = 1; regnr <= PlantCount; ++regnr) {
        const size_t family = pick(Families.size());
        ++g.familyCount[family];
        const QString name = QStringLiteral("%1 %2")
                                 .arg(QString::fromUtf8(Names[size_t(regnr) % Names.size()]))
                                 .arg(regnr % 50 + 1);
        g.names << name;
        sqlite3_bind_int64(ins, 1, regnr);
        text(2, name);
        text(3, QStringLiteral("Planta %1").arg(regnr % 97));
        sqlite3_bind_int64(ins, 4, qint64(pick(12) + 1));
        text(5, QString::fromUtf8(Types[pick(Types.size())]));
        text(6, QString::fromLatin1(Families[family]));
        text(7, QStringLiteral("Sol"));
        text(8, QStringLiteral("Muldrig"));
        text(9, QStringLiteral("Bed %1").arg(pick(40) + 1));
        text(10, QDate(2008, 3, 1).addDays(qint64(pick(5800))).toString(Qt::ISODate));
        text(11, QStringLiteral("Planteskolen"));
        sqlite3_bind_double(ins, 12, double(pick(49000) + 1000) / 100.0);
        text(13, QStringLiteral("Plantet i bed %1, trives godt.").arg(pick(40) + 1));
        if (sqlite3_step(ins) != SQLITE_DONE) {
            fail(db, "insert");
        }
        sqlite3_reset(ins);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_finalize(ins);
    sqlite3_close_v2(db);
}

template <typename Body>
void guarded(benchmark::State& state, Body body) {
    try {
        body();
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

// The shared tables, opened as the main window opens them.
struct Tables {
    data::TDM dm;
    Tables() {
        dm.ConfigTable->Open();
        for (store::Table* t : dm.tablesInOpeningOrder()) {
            t->Open();
        }
    }
};

// ---- find_keystroke -------------------------------------------------------------------------

// Typing on: an earlier keystroke has read every name already.
void projectFind(benchmark::State& state) {
    guarded(state, [&] {
        Tables tables;
        store::Table& plants = *tables.dm.PlanteTable;
        overview::TEasyFind find;
        find.setDataSource(tables.dm.PlanteSource);
        find.setSearchField(QStringLiteral("Plantenavn"));
        find.setSearchKey(MissingKey);
        plants.MoveTo(10);
        const qint64 at = plants.GetBookmark().rowid;
        find.Find();
        for (auto _ : state) {
            find.Find();
        }
        if (plants.GetBookmark().rowid != at || !find.hasTextCache()) {
            state.SkipWithError("a search that found nothing moved the cursor");
        }
    });
}

// The first keystroke after the table changed: every plant read through the cursor.
void projectFindFirst(benchmark::State& state) {
    guarded(state, [&] {
        Tables tables;
        store::Table& plants = *tables.dm.PlanteTable;
        plants.MoveTo(10);
        const qint64 at = plants.GetBookmark().rowid;
        for (auto _ : state) {
            overview::TEasyFind find;
            find.setDataSource(tables.dm.PlanteSource);
            find.setSearchField(QStringLiteral("Plantenavn"));
            find.setSearchKey(MissingKey);
            find.Find();
        }
        if (plants.GetBookmark().rowid != at) {
            state.SkipWithError("a search that found nothing moved the cursor");
        }
    });
}

void floorFind(benchmark::State& state) {
    const QString key = MissingKey.toUpper();
    for (auto _ : state) {
        int hits = 0;
        for (const QString& name : std::as_const(g.names)) {
            if (name.toUpper().contains(key)) {
                ++hits;
            }
        }
        benchmark::DoNotOptimize(hits);
    }
}

// ---- select_family --------------------------------------------------------------------------

QString expectedCount(int family) {
    return QStringLiteral("I alt %1 planter").arg(g.familyCount[size_t(family)]);
}

void projectSelect(benchmark::State& state) {
    guarded(state, [&] {
        Tables tables;
        overview::TOversigtForm form;
        form.show();
        QApplication::processEvents();
        auto* box = form.findChild<toolkit::DBLookupComboBox*>(QStringLiteral("DBLookupComboBox1"));
        auto* grid = form.findChild<toolkit::DBGrid*>(QStringLiteral("DBGrid1"));
        auto* count = form.findChild<QLabel*>(QStringLiteral("Label6"));
        const int rows[2] = {box->findText(QString::fromLatin1(Families[FamilyA])),
                             box->findText(QString::fromLatin1(Families[FamilyB]))};
        if (rows[0] < 0 || rows[1] < 0) {
            throw std::runtime_error("the families are not in the list");
        }
        int i = 0;
        for (auto _ : state) {
            const int which = i++ & 1;
            box->setCurrentIndex(rows[which]);
            Q_EMIT box->activated(rows[which]);
            grid->viewport()->repaint();
            if (count->text() != expectedCount(which ? FamilyB : FamilyA) ||
                grid->model()->rowCount() != g.familyCount[which ? FamilyB : FamilyA]) {
                state.SkipWithError("the count or the grid does not show the family");
                break;
            }
        }
        form.close();
    });
}

void floorSelect(benchmark::State& state) {
    guarded(state, [&] {
        store::Table t;
        t.setDatabaseName(QString::fromLatin1(data::TDM::Alias));
        t.setTableName(QStringLiteral("Planter.db"));
        t.Open();
        t.setFiltered(true);
        int i = 0;
        for (auto _ : state) {
            const int family = (i++ & 1) ? FamilyB : FamilyA;
            t.setFilter(QStringLiteral("Familie = '%1'")
                            .arg(QString::fromLatin1(Families[size_t(family)])));
            const int n = t.RecordCount();
            if (n != g.familyCount[size_t(family)]) {
                state.SkipWithError("the filtered count is not the number of plants of the family");
                break;
            }
        }
    });
}

// ---- sort_column ----------------------------------------------------------------------------

// The first and last plant name in Danish order.
std::pair<QString, QString> nameRange() {
    QString first = g.names.value(0);
    QString last = first;
    for (const QString& n : std::as_const(g.names)) {
        if (store::compareDanish(n, first) < 0) {
            first = n;
        }
        if (store::compareDanish(n, last) > 0) {
            last = n;
        }
    }
    return {first, last};
}

void projectSort(benchmark::State& state) {
    guarded(state, [&] {
        Tables tables;
        overview::TOversigtForm form;
        form.show();
        QApplication::processEvents();
        auto* grid = form.findChild<toolkit::DBGrid*>(QStringLiteral("DBGrid1"));
        const auto [first, last] = nameRange();
        int i = 0;
        for (auto _ : state) {
            grid->sortByColumn(1);  // what a click on the title does
            grid->viewport()->repaint();
            const QString top = grid->model()->index(0, 1).data().toString();
            if (top != ((i++ & 1) ? last : first)) {
                state.SkipWithError("the grid does not show the plants by name");
                break;
            }
        }
        form.close();
    });
}

// The store's collation, registered on a raw connection of the floor's own.
int collateDanish(void*, int lengthA, const void* a, int lengthB, const void* b) {
    return store::compareDanish(QString::fromUtf8(static_cast<const char*>(a), lengthA),
                                QString::fromUtf8(static_cast<const char*>(b), lengthB));
}

void floorSort(benchmark::State& state) {
    guarded(state, [&] {
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(g.dbPath.constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
            SQLITE_OK) {
            fail(db, "open");
        }
        sqlite3_create_collation_v2(db, store::DanishCollation, SQLITE_UTF8, nullptr, collateDanish,
                                    nullptr);
        sqlite3_stmt* st[2] = {nullptr, nullptr};
        const char* sql[2] = {
            "SELECT rowid FROM Planter ORDER BY ifnull(Plantenavn,'') COLLATE DANISH, rowid",
            "SELECT rowid FROM Planter ORDER BY ifnull(Plantenavn,'') COLLATE DANISH DESC, "
            "rowid"};
        for (int k = 0; k < 2; ++k) {
            if (sqlite3_prepare_v2(db, sql[k], -1, &st[k], nullptr) != SQLITE_OK) {
                fail(db, "prepare");
            }
        }
        int i = 0;
        for (auto _ : state) {
            sqlite3_stmt* s = st[i++ & 1];
            int rows = 0;
            while (sqlite3_step(s) == SQLITE_ROW) {
                ++rows;
            }
            sqlite3_reset(s);
            if (rows != PlantCount) {
                state.SkipWithError("the sorted read missed rows");
                break;
            }
        }
        sqlite3_finalize(st[0]);
        sqlite3_finalize(st[1]);
        sqlite3_close_v2(db);
    });
}

// ---- overview_open --------------------------------------------------------------------------

void projectOpen(benchmark::State& state) {
    guarded(state, [&] {
        Tables tables;
        for (auto _ : state) {
            auto form = std::make_unique<overview::TOversigtForm>();
            form->show();
            QApplication::processEvents();
            form->close();
        }
    });
}

void floorOpen(benchmark::State& state) {
    for (auto _ : state) {
        auto form = std::make_unique<QDialog>();
        form->resize(data::OversigtDesignSize.width, data::OversigtDesignSize.height);
        form->show();
        QApplication::processEvents();
        form->close();
    }
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
    QStandardPaths::setTestModeEnabled(true);
    QLocale::setDefault(QLocale(QLocale::Danish, QLocale::Denmark));
    store::setShortDateFormat(QStringLiteral("dd-MM-yyyy"));
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }
    g.folder = dir.path();
    try {
        {
            store::Database db(g.folder, true);
            data::createTables(db);
            g.dbPath = QFile::encodeName(db.filePath());
        }
        generatePlants();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cannot make the data folder: %s\n", e.what());
        return 1;
    }
    store::Session::setAliasPath(QString::fromLatin1(data::TDM::Alias), g.folder);
    std::printf("Data folder with %d plants: %s\n", PlantCount, qPrintable(g.folder));

    const struct {
        const char* name;
        void (*fn)(benchmark::State&);
        benchmark::TimeUnit unit;
    } timed[] = {
        {"find_keystroke/project", projectFindFirst, benchmark::kMillisecond},
        {"find_keystroke/floor", floorFind, benchmark::kMillisecond},
        {"find_typing_on/project", projectFind, benchmark::kMillisecond},
        {"select_family/project", projectSelect, benchmark::kMillisecond},
        {"select_family/floor", floorSelect, benchmark::kMillisecond},
        {"overview_open/project", projectOpen, benchmark::kMillisecond},
        {"overview_open/floor", floorOpen, benchmark::kMillisecond},
        {"sort_column/project", projectSort, benchmark::kMillisecond},
        {"sort_column/floor", floorSort, benchmark::kMillisecond},
    };
    for (const auto& b : timed) {
        benchmark::RegisterBenchmark(b.name, b.fn)->Unit(b.unit)->UseRealTime();
    }
    benchfig::FigureReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::vector<benchfig::Figure> figures = {{"find_keystroke", 2.0},
                                             {"select_family", 1.5},
                                             {"overview_open", 3.0},
                                             {"sort_column", 3.0}};
    for (benchfig::Figure& f : figures) {
        f.take(reporter);
    }
    store::Session::closeAll();
    QFile::remove(store::Session::aliasFile());
    const int status = benchfig::printFigures(figures);
    // Not a figure of its own: typing on, answered from the names already read.
    double first = 0;
    double floor = 0;
    std::string why;
    using Outcome = benchfig::FigureReporter::Outcome;
    if (reporter.perIteration("find_typing_on/project", first, why) == Outcome::Measured &&
        reporter.perIteration("find_keystroke/floor", floor, why) == Outcome::Measured) {
        std::printf(
            "find_keystroke, a keystroke typed on: project=%.9f floor=%.9f "
            "ratio=%.3f\n",
            first, floor, first / floor);
    }
    return status;
}
