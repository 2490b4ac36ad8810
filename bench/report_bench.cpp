// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the plant list report against a floor measured in the same run.
//
// Run:
//     ./build/bench/report_bench
// Google Benchmark flags (--benchmark_filter, --benchmark_repetitions, ...) are passed on.
// A run takes about half a minute.
//
// The run makes a data folder of its own with 10 000 plants, then ends with one line:
//     FIGURE plant_list_pdf project=<s> floor=<s> ratio=<project/floor> goal<=1.5
// project: the plant list laid out from the plant table and written to a PDF file.
// floor: a QPdfWriter painting the same texts in the same fonts on the same number of pages
// at fixed positions, with no table, no layout and no band backgrounds.
// Times are seconds of wall-clock time per report.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QDate>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <string>

#include "data/datafolder.h"
#include "data/dm.h"
#include "figures.h"
#include "plants/qrform.h"
#include "report/output.h"
#include "store/format.h"
#include "store/session.h"

namespace {

constexpr int PlantCount = 10000;
constexpr double Goal = 1.5;

QString g_folder;
QString g_pdf;
report::Document g_reference;  // the texts the floor paints

const char* const Names[] = {
    "Rose",      "Lavendel", "Pæon",    "Tulipan",
    "Hortensia", "Solhat",   "Akeleje", "Almindelig hestekastanje fra den gamle have",
    "Syren"};
const char* const Families[] = {"Rosenfamilien", "Læbeblomstfamilien", "Liljefamilien",
                                "Sæbetræfamilien", "Ranunkelfamilien"};
const char* const Types[] = {"Busk", "Træ", "Løg", "Staude", "Klatreplante"};

// The plants go straight into the file in one transaction: the figure is about the report,
// not about posting rows.
bool generatePlants(const QString& dbPath) {
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(dbPath).constData(), &db) != SQLITE_OK) {
        return false;
    }
    sqlite3_stmt* ins = nullptr;
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_prepare_v2(db,
                       "INSERT INTO Planter (Regnr, Plantenavn, Familie, Plantetype, Placering, "
                       "Plantet, Pris) VALUES (?,?,?,?,?,?,?)",
                       -1, &ins, nullptr);
    const QDate start(2008, 3, 1);
    for (int i = 1; i <= PlantCount; ++i) {
        const QByteArray name =
            QStringLiteral("%1 %2").arg(QString::fromUtf8(Names[i % 9])).arg(i).toUtf8();
        const QByteArray place =
            QStringLiteral("Bed %1 ved terrassen mod syd").arg(i % 40).toUtf8();
        const QByteArray planted = start.addDays(i % 5800).toString(Qt::ISODate).toUtf8();
        sqlite3_bind_int(ins, 1, i);
        sqlite3_bind_text(ins, 2, name.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(ins, 3, Families[i % 5], -1, SQLITE_STATIC);
        sqlite3_bind_text(ins, 4, Types[(i / 5) % 5], -1, SQLITE_STATIC);
        sqlite3_bind_text(ins, 5, place.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(ins, 6, planted.constData(), -1, SQLITE_TRANSIENT);
        if (i % 11 == 0) {
            sqlite3_bind_null(ins, 7);
        } else {
            sqlite3_bind_double(ins, 7, double(i % 4900 + 100) / 4.0);
        }
        if (sqlite3_step(ins) != SQLITE_DONE) {
            sqlite3_finalize(ins);
            sqlite3_close(db);
            return false;
        }
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    const bool ok = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

void projectPlantList(benchmark::State& state) {
    for (auto _ : state) {
        plants::TQRForm form;
        form.setSelectionLabel(QStringLiteral("Alle planter"));
        const report::Document doc = form.build();
        if (!report::writePdf(doc, g_pdf, QStringLiteral("Vexmos planter"))) {
            state.SkipWithError("the PDF could not be written");
            return;
        }
        benchmark::DoNotOptimize(doc.pages.size());
    }
}

void floorPlantList(benchmark::State& state) {
    for (auto _ : state) {
        QPdfWriter writer(g_pdf);
        writer.setResolution(1200);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&writer);
        const double k = 1200 / 25.4;
        for (qsizetype p = 0; p < g_reference.pages.size(); ++p) {
            if (p > 0) {
                writer.newPage();
            }
            const auto& texts = g_reference.pages.at(p).texts;
            for (qsizetype i = 0; i < texts.size(); ++i) {
                painter.setFont(texts.at(i).font);
                painter.drawText(QPointF((10 + (i % 6) * 31) * k, (20 + (i / 6) * 6.6) * k),
                                 texts.at(i).text);
            }
        }
        if (!painter.end()) {
            state.SkipWithError("the PDF could not be written");
            return;
        }
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
    g_folder = dir.path();
    g_pdf = dir.filePath(QStringLiteral("planter.pdf"));
    QString dbPath;
    try {
        store::Database db(g_folder, true);
        data::createTables(db);
        dbPath = db.filePath();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cannot make the data folder: %s\n", e.what());
        return 1;
    }
    if (!generatePlants(dbPath)) {
        std::fprintf(stderr, "cannot write the plants\n");
        return 1;
    }
    store::Session::setAliasPath(QString::fromLatin1(data::TDM::Alias), g_folder);

    int status = 0;
    {
        data::TDM dm;
        dm.PlanteTable->Open();
        plants::TQRForm form;
        g_reference = form.build();
        qsizetype texts = 0;
        for (const auto& p : g_reference.pages) {
            texts += p.texts.size();
        }
        std::printf("%d plants: %lld pages, %lld texts\n", PlantCount,
                    qlonglong(g_reference.pageCount()), qlonglong(texts));

        benchmark::RegisterBenchmark("plant_list_pdf/project", projectPlantList)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(3);
        benchmark::RegisterBenchmark("plant_list_pdf/floor", floorPlantList)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(3);
        benchfig::FigureReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        benchmark::Shutdown();

        benchfig::Figure figure{"plant_list_pdf", Goal, 6};
        figure.take(reporter);
        char units[64];
        std::snprintf(units, sizeof units, "seconds per report of %d plants", PlantCount);
        status = benchfig::printFigures({figure}, units);
    }
    store::Session::closeAll();
    QFile::remove(store::Session::aliasFile());
    return status;
}
