// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the plant overview on 100 000 plants, each figure against a floor measured in the
// same run, the two sides taking turns (each going first every other time).
//
// Run:
//     ./build/bench/overview_bench
// Google Benchmark flags are passed on (--benchmark_filter=select_family runs one figure).
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise. Ends with one line
// per figure:
//     FIGURE <name> project=<value> floor=<value> ratio=<value> goal<=<value>
// Times are the median seconds of wall-clock time per operation:
//   find_keystroke  the first keystroke after the overview opened (a new finder on the
//                   plants) or after the table changed (the last plant renamed), typed once the
//                   user has paused; the search matches nothing but, every other time, that
//                   renamed last plant: every plant is tested. Against the same fold and test
//                   over every name in memory. Printed after the figures: what reading the
//                   names ahead during the pause cost (all of it, and its longest stretch),
//                   and the same keystroke typed with no pause at all, which reads every plant
//                   itself;
//   select_family   picking a family in the window until the grid is painted and the count
//                   written, against the store's own filter change and count;
//   overview_open   creating the window, showing it until its grid has painted and closing
//                   it, against a bare window of the same size holding a QTableView at the
//                   grid's place, with its columns, over a minimal model that reads the rows
//                   the view asks for with raw SQLite;
//   sort_column     a click on the "Plantenavn" title, ascending and descending in turn, until
//                   the grid is painted, against SQLite reading every row in that order with
//                   the same Danish collation (no index holds that order).

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QAbstractTableModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/dm.h"
#include "figures.h"
#include "overview/easyfind.h"
#include "overview/oversigtform.h"
#include "overview_steps.h"
#include "plants.h"
#include "rawsqlite.h"
#include "store/collation.h"
#include "store/format.h"
#include "store/session.h"
#include "store/table.h"
#include "toolkit/grid.h"
#include "toolkit/lookup.h"

namespace {

using benchfig::Families;
using benchfig::FamilyA;
using benchfig::FamilyB;
using benchfig::seconds;

constexpr int PlantCount = 100000;

struct Fixture {
    QString folder;
    QByteArray dbPath;
    benchfig::PlantSet plants;
};
Fixture g;

// What a figure's turns gave, and why it stopped when it failed.
struct Run {
    benchfig::Turns turns;
    bool failed = false;
    std::string why;
    void fail(const std::string& reason) {
        if (!failed) {
            failed = true;
            why = reason;
        }
    }
};
Run g_find, g_findNoPause, g_select, g_open, g_sort;
std::vector<double> g_readAheadTotal, g_readAheadLongest;

template <typename Body>
void guarded(benchmark::State& state, Run& run, Body body) {
    try {
        body();
    } catch (const std::exception& e) {
        run.fail(e.what());
    }
    if (run.failed) {
        state.SkipWithError(run.why.c_str());
    }
}

double floorFind() {
    return benchfig::Keystroke::overNames(g.plants);
}

void findKeystroke(benchmark::State& state) {
    guarded(state, g_find, [&] {
        benchfig::Tables tables;
        benchfig::Keystroke key(tables, g.plants);
        int i = 0;
        for (auto _ : state) {
            // After opening, and after a change, by turns.
            if (i++ % 2 == 0) {
                key.newFinder();
            } else {
                key.renameLast();
            }
            benchfig::Pause pause;
            if (!benchfig::pauseUntil([&] { return key.finder().hasTextCache(); }, pause)) {
                g_find.fail("the names were not read ahead within 10 s");
                break;
            }
            g_readAheadTotal.push_back(pause.total);
            g_readAheadLongest.push_back(pause.longest);
            if (!g_find.turns.turn([&] { return key.type(); }, floorFind)) {
                g_find.fail("the search did not end on the plant holding the key");
                break;
            }
        }
        key.putBack();
    });
}

// The first keystroke typed at once: nothing read ahead yet.
void findNoPause(benchmark::State& state) {
    guarded(state, g_findNoPause, [&] {
        benchfig::Tables tables;
        benchfig::Keystroke key(tables, g.plants);
        for (auto _ : state) {
            const bool ok = g_findNoPause.turns.turn(
                [&] {
                    key.newFinder();
                    return key.finder().hasTextCache() ? -1 : key.type();
                },
                floorFind);
            if (!ok) {
                g_findNoPause.fail("the search did not leave the cursor where it was");
                break;
            }
        }
    });
}

void selectFamily(benchmark::State& state) {
    guarded(state, g_select, [&] {
        benchfig::Tables tables;
        benchfig::Selection selection(g.plants);
        store::Table own;
        own.setDatabaseName(QString::fromLatin1(data::TDM::Alias));
        own.setTableName(QStringLiteral("Planter.db"));
        own.Open();
        own.setFiltered(true);
        int i = 0;
        for (auto _ : state) {
            const int family = (i++ & 1) ? FamilyB : FamilyA;
            const bool ok =
                g_select.turns.turn([&] { return selection.pick(family); },
                                    [&] {
                                        int n = 0;
                                        const double s = seconds([&] {
                                            own.setFilter(benchfig::familyFilter(family));
                                            n = own.RecordCount();
                                        });
                                        return n == g.plants.familyCount[size_t(family)] ? s : -1;
                                    });
            if (!ok) {
                g_select.fail("the count or the grid does not show the family");
                break;
            }
        }
    });
}

// The least a table over the plants can be: the count, and the rows the view asks for read
// with raw SQLite a block at a time, in key order, as plain text.
class RawPlantModel final : public QAbstractTableModel {
public:
    RawPlantModel(benchfig::RawDb& db, const QStringList& fields, const QStringList& titles)
        : m_titles(titles) {
        benchfig::RawStmt count(db, "SELECT count(*) FROM Planter");
        count.step();
        m_rows = int(sqlite3_column_int64(count.get(), 0));
        QStringList quoted;
        for (const QString& f : fields) {
            quoted << QLatin1Char('"') + f + QLatin1Char('"');
        }
        const QByteArray sql = QStringLiteral(
                                   "SELECT %1 FROM Planter ORDER BY "
                                   "ifnull(\"Regnr\",-9223372036854775808), rowid LIMIT 64 "
                                   "OFFSET ?")
                                   .arg(quoted.join(QLatin1Char(',')))
                                   .toUtf8();
        m_block = std::make_unique<benchfig::RawStmt>(db, sql.constData());
    }
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : m_rows; }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : int(m_titles.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole) {
            return {};
        }
        const int first = index.row() / 64 * 64;
        if (first != m_first) {
            m_texts.clear();
            m_block->integer(1, first);
            while (m_block->step()) {
                QStringList row;
                for (int c = 0; c < m_titles.size(); ++c) {
                    row << QString::fromUtf8(
                        reinterpret_cast<const char*>(sqlite3_column_text(m_block->get(), c)),
                        sqlite3_column_bytes(m_block->get(), c));
                }
                m_texts << row;
            }
            m_block->reset();
            m_first = first;
        }
        const int at = index.row() - first;
        return at < m_texts.size() ? m_texts.at(at).value(index.column()) : QString();
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (role != Qt::DisplayRole) {
            return {};
        }
        return o == Qt::Horizontal ? m_titles.value(section) : QString();
    }

private:
    QStringList m_titles;
    int m_rows = 0;
    std::unique_ptr<benchfig::RawStmt> m_block;
    mutable int m_first = -1;
    mutable QList<QStringList> m_texts;
};

// The overview's size, its grid's place, font and columns, as a form shows them.
struct Layout {
    QSize window;
    QRect grid;
    QFont font;
    QStringList fields;
    QStringList titles;
    QList<int> widths;
};

Layout overviewLayout() {
    Layout l;
    overview::TOversigtForm form;
    form.show();
    QApplication::processEvents();
    auto* grid = form.findChild<toolkit::DBGrid*>(QStringLiteral("DBGrid1"));
    l.window = form.size();
    l.grid = grid->geometry();
    l.font = grid->font();
    for (int c = 0; c < grid->model()->columnCount(); ++c) {
        l.fields << grid->tableModel()->columns().at(c).field;
        l.titles << grid->model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        l.widths << grid->columnWidth(c);
    }
    form.close();
    return l;
}

void overviewOpen(benchmark::State& state) {
    guarded(state, g_open, [&] {
        benchfig::Tables tables;
        const Layout layout = overviewLayout();
        benchfig::RawDb raw(g.dbPath);
        for (auto _ : state) {
            const bool ok = g_open.turns.turn(benchfig::openOverview, [&] {
                benchfig::PaintCounter painted;
                const double s = seconds([&] {
                    auto window = std::make_unique<QWidget>();
                    window->resize(layout.window);
                    auto* view = new QTableView(window.get());
                    view->setGeometry(layout.grid);
                    view->setFont(layout.font);
                    auto* model = new RawPlantModel(raw, layout.fields, layout.titles);
                    model->setParent(view);
                    view->setModel(model);
                    for (int c = 0; c < layout.widths.size(); ++c) {
                        view->setColumnWidth(c, layout.widths.at(c));
                    }
                    view->viewport()->installEventFilter(&painted);
                    window->show();
                    QApplication::processEvents();
                    window->close();
                });
                return painted.paints > 0 ? s : -1;
            });
            if (!ok) {
                g_open.fail("a window was not painted");
                break;
            }
        }
    });
}

// The first and last plant name in Danish order.
std::pair<QString, QString> nameRange() {
    QString first = g.plants.names.value(0);
    QString last = first;
    for (const QString& n : std::as_const(g.plants.names)) {
        if (store::compareDanish(n, first) < 0) {
            first = n;
        }
        if (store::compareDanish(n, last) > 0) {
            last = n;
        }
    }
    return {first, last};
}

// The store's collation, registered on the floor's own connection.
int collateDanish(void*, int lengthA, const void* a, int lengthB, const void* b) {
    return store::compareDanish(QString::fromUtf8(static_cast<const char*>(a), lengthA),
                                QString::fromUtf8(static_cast<const char*>(b), lengthB));
}

void sortColumn(benchmark::State& state) {
    guarded(state, g_sort, [&] {
        benchfig::Tables tables;
        overview::TOversigtForm form;
        form.show();
        QApplication::processEvents();
        auto* grid = form.findChild<toolkit::DBGrid*>(QStringLiteral("DBGrid1"));
        const auto [first, last] = nameRange();
        benchfig::RawDb raw(g.dbPath);
        sqlite3_create_collation_v2(raw.handle(), store::DanishCollation, SQLITE_UTF8, nullptr,
                                    collateDanish, nullptr);
        benchfig::RawStmt ascending(
            raw, "SELECT rowid FROM Planter ORDER BY ifnull(Plantenavn,'') COLLATE DANISH, rowid");
        benchfig::RawStmt descending(raw,
                                     "SELECT rowid FROM Planter ORDER BY ifnull(Plantenavn,'') "
                                     "COLLATE DANISH DESC, rowid");
        int i = 0;
        for (auto _ : state) {
            const bool down = i++ & 1;
            const bool ok = g_sort.turns.turn(
                [&] {
                    const double s = seconds([&] {
                        grid->sortByColumn(1);  // what a click on the title does
                        grid->viewport()->repaint();
                    });
                    const QString top = grid->model()->index(0, 1).data().toString();
                    return top == (down ? last : first) ? s : -1;
                },
                [&] {
                    benchfig::RawStmt& st = down ? descending : ascending;
                    int rows = 0;
                    const double s = seconds([&] {
                        while (st.step()) {
                            ++rows;
                        }
                        st.reset();
                    });
                    return rows == PlantCount ? s : -1;
                });
            if (!ok) {
                g_sort.fail("the grid does not show the plants by name");
                break;
            }
        }
        form.close();
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
    g.folder = dir.path();
    try {
        g.dbPath =
            QFile::encodeName(benchfig::makeDataFolder(g.folder, PlantCount, g.plants, true));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cannot make the data folder: %s\n", e.what());
        return 1;
    }
    std::printf("Data folder with %d plants: %s\n", PlantCount, qPrintable(g.folder));

    const struct {
        const char* name;
        void (*fn)(benchmark::State&);
        int turns;
    } figures[] = {
        {"find_keystroke", findKeystroke, 20}, {"find_keystroke_no_pause", findNoPause, 20},
        {"select_family", selectFamily, 60},   {"overview_open", overviewOpen, 60},
        {"sort_column", sortColumn, 20},
    };
    for (const auto& f : figures) {
        benchmark::RegisterBenchmark(f.name, f.fn)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(f.turns);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::vector<benchfig::Figure> results = {{"find_keystroke", 2.0},
                                             {"select_family", 1.5},
                                             {"overview_open", 1.5},
                                             {"sort_column", 3.0}};
    results[0].take(g_find.turns, g_find.failed, g_find.why);
    results[1].take(g_select.turns, g_select.failed, g_select.why);
    results[2].take(g_open.turns, g_open.failed, g_open.why);
    results[3].take(g_sort.turns, g_sort.failed, g_sort.why);
    store::Session::closeAll();
    QFile::remove(store::Session::aliasFile());
    int status = benchfig::printFigures(results, "median seconds of wall-clock time");
    // Not figures of their own: what reading ahead cost, and a keystroke typed at once.
    if (!g_readAheadTotal.empty()) {
        std::printf(
            "find_keystroke, reading the names ahead: %.6f s of work, in stretches of at most "
            "%.6f s\n",
            benchfig::median(g_readAheadTotal), benchfig::median(g_readAheadLongest));
    }
    if (g_findNoPause.failed) {
        std::printf("find_keystroke with no pause not measured: %s\n", g_findNoPause.why.c_str());
        status = 1;
    } else if (!g_findNoPause.turns.empty()) {
        std::printf("find_keystroke with no pause: project=%.9f floor=%.9f ratio=%.3f\n",
                    g_findNoPause.turns.project(), g_findNoPause.turns.floor(),
                    g_findNoPause.turns.project() / g_findNoPause.turns.floor());
    }
    return status;
}
