// SPDX-License-Identifier: GPL-3.0-or-later
// How the overview's cost grows with the register: the same steps at 1 000, 10 000 and
// 100 000 plants, and with scale_bench_1m at 1 000 000 as well, all from one run.
//
// Run:
//     ./build/bench/scale_bench
//     ./build/bench/scale_bench_1m     # minutes: a data folder of a million plants is made
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise. For each size the
// median milliseconds of wall-clock time of
//   open      creating the overview, showing it until its grid has painted, closing it;
//   select    picking a family in it until the grid is painted and the count written;
//   find      the first keystroke after a change, typed once the user has paused, that
//             tests every plant;
//   at once   the same keystroke typed with no pause, so that it reads every plant itself;
//   ahead     the work of reading the names ahead during the pause;
//   walk      First … Next over every plant through the store, reading Plantenavn;
//   memory    what the names read ahead hold, in megabytes of heap;
// then a table of them, and how much each grows from one size to the next, ten times larger.
// Nothing may grow more than ten times.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "figures.h"
#include "overview/easyfind.h"
#include "overview_steps.h"
#include "plants.h"
#include "store/format.h"
#include "store/session.h"

namespace {

using benchfig::FamilyA;
using benchfig::FamilyB;

const char* const Steps[] = {"open", "select", "find", "at once", "ahead", "walk", "memory"};

// The bytes this process has taken from the heap and not given back.
double heapBytes() {
    const struct mallinfo2 m = mallinfo2();
    return double(m.uordblks) + double(m.hblkhd);
}

struct Size {
    int plants;
    int turns;
};

// Median milliseconds per step; a step that failed says why instead.
struct Result {
    std::map<std::string, double> ms;
    std::string error;
};

double medianMs(std::vector<double> v) {
    return benchfig::median(std::move(v)) * 1000;
}

template <typename Step>
bool repeat(int turns, std::vector<double>& out, Step step) {
    for (int i = 0; i < turns; ++i) {
        const double s = step(i);
        if (s < 0) {
            return false;
        }
        out.push_back(s);
    }
    return true;
}

Result measure(const QString& folder, const Size& size) {
    Result r;
    benchfig::PlantSet plants;
    benchfig::makeDataFolder(folder, size.plants, plants);
    benchfig::Tables tables;
    std::vector<double> open, select, find, atOnce, ahead, walk;
    double memory = 0;
    if (!repeat(size.turns, open, [](int) { return benchfig::openOverview(); })) {
        r.error = "the overview's grid did not paint";
        return r;
    }
    {
        benchfig::Selection selection(plants);
        if (!repeat(size.turns, select,
                    [&](int i) { return selection.pick(i % 2 ? FamilyB : FamilyA); })) {
            r.error = "the grid or the count did not show the family";
            return r;
        }
    }
    {
        benchfig::Keystroke key(tables, plants);
        const bool ok = repeat(size.turns, find, [&](int i) {
            if (i % 2 == 0) {
                key.newFinder();
            } else {
                key.renameLast();
            }
            const double before = heapBytes();
            benchfig::Pause pause;
            if (!benchfig::pauseUntil([&] { return key.finder().hasTextCache(); }, pause)) {
                return -1.0;
            }
            if (i == 0) {
                memory = (heapBytes() - before) / 1e6;
            }
            ahead.push_back(pause.total);
            return key.type();
        });
        const bool now = ok && repeat(size.turns, atOnce, [&](int) {
                             key.newFinder();
                             return key.type();
                         });
        key.putBack();
        if (!ok || !now) {
            r.error = "a search did not end where it should";
            return r;
        }
    }
    if (!repeat(std::max(3, size.turns / 3), walk,
                [&](int) { return benchfig::walkPlants(plants); })) {
        r.error = "the walk did not read every plant in key order";
        return r;
    }
    r.ms = {{"open", medianMs(open)},   {"select", medianMs(select)},
            {"find", medianMs(find)},   {"at once", medianMs(atOnce)},
            {"ahead", medianMs(ahead)}, {"walk", medianMs(walk)},
            {"memory", memory}};
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchfig::useDanishTestSettings();
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }
    std::vector<Size> sizes = {{1000, 15}, {10000, 15}, {100000, 15}};
#ifdef VERDAMO_SCALE_MILLION
    sizes.push_back({1000000, 5});
#endif
    std::vector<Result> results;
    int status = 0;
    for (const Size& size : sizes) {
        const QString folder = QDir(dir.path()).filePath(QString::number(size.plants));
        QDir().mkpath(folder);
        Result r;
        try {
            r = measure(folder, size);
        } catch (const std::exception& e) {
            r.error = e.what();
        }
        store::Session::closeAll();
        // The next size's data folder is a new one; this one is not needed any more.
        QDir(folder).removeRecursively();
        if (!r.error.empty()) {
            std::printf("%d plants not measured: %s\n", size.plants, r.error.c_str());
            status = 1;
        } else {
            std::printf("%d plants:", size.plants);
            for (const char* step : Steps) {
                std::printf(" %s=%.2f", step, r.ms[step]);
            }
            std::printf(" (ms; memory in MB)\n");
        }
        std::fflush(stdout);
        results.push_back(r);
    }
    QFile::remove(store::Session::aliasFile());

    std::printf("\n| plants |");
    for (const char* step : Steps) {
        std::printf(" %s |", step);
    }
    std::printf("\n|---:|");
    for (size_t i = 0; i < std::size(Steps); ++i) {
        std::printf("---:|");
    }
    std::printf("\n");
    for (size_t i = 0; i < sizes.size(); ++i) {
        std::printf("| %d |", sizes[i].plants);
        for (const char* step : Steps) {
            if (results[i].error.empty()) {
                std::printf(" %.1f |", results[i].ms[step]);
            } else {
                std::printf(" – |");
            }
        }
        std::printf("\n");
    }
    std::printf("\nGrowth from one size to the next, ten times as many plants:\n");
    for (size_t i = 1; i < sizes.size(); ++i) {
        if (!results[i].error.empty() || !results[i - 1].error.empty()) {
            continue;
        }
        std::printf("%d → %d:", sizes[i - 1].plants, sizes[i].plants);
        for (const char* step : Steps) {
            const double growth = results[i].ms[step] / results[i - 1].ms[step];
            std::printf(" %s ×%.1f", step, growth);
        }
        std::printf("\n");
    }
    return status;
}
