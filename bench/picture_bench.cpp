// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a camera-sized picture into the registration window's picture box, fitted to the
// box as it is shown at first, against QImageReader decoding the same file whole, measured in
// the same run.
//
// Run:
//     ./build/bench/picture_bench
// Google Benchmark flags (--benchmark_filter, --benchmark_repetitions, ...) are passed on.
//
// The run makes a data folder of its own in a temporary folder, with one plant whose picture
// file is a 12-megapixel JPEG (4000 x 3000, photo-like: gradients, shapes and grain), opens
// the registration window's design on it (not shown) and ends with
//     FIGURE picture_load project=<s> floor=<s> ratio=<project/floor> goal<=1.2
// Times are the median seconds of the loading thread's processor time (user and system) per
// load; the two sides are measured in turns.

#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "data/datafolder.h"
#include "data/dm.h"
#include "figures.h"
#include "plants/pictures.h"
#include "plants/regform.h"
#include "store/session.h"
#include "store/table.h"

namespace {

struct Globals {
    QString picture;
    plants::TRegForm* form = nullptr;
    std::vector<double> project;
    std::vector<double> floor;
    bool failed = false;
} g;

// Something a camera might take: a sky, a lawn, a few blossoms and sensor grain, so the
// decoder works as hard as on a real photo.
bool makePhoto(const QString& path) {
    QImage img(4000, 3000, QImage::Format_RGB32);
    {
        QPainter p(&img);
        QLinearGradient sky(0, 0, 0, 1800);
        sky.setColorAt(0, QColor(0x64, 0xb5, 0xf6));
        sky.setColorAt(1, QColor(0xe3, 0xf2, 0xfd));
        p.fillRect(0, 0, 4000, 1800, sky);
        QLinearGradient lawn(0, 1800, 0, 3000);
        lawn.setColorAt(0, QColor(0x8b, 0xc3, 0x4a));
        lawn.setColorAt(1, QColor(0x33, 0x69, 0x1e));
        p.fillRect(0, 1800, 4000, 1200, lawn);
        p.setRenderHint(QPainter::Antialiasing);
        QRandomGenerator shapes(12);
        for (int i = 0; i < 400; ++i) {
            const QColor c = QColor::fromHsv(shapes.bounded(360), 150 + shapes.bounded(100),
                                             150 + shapes.bounded(100));
            p.setBrush(c);
            p.setPen(c.darker(130));
            const int r = 10 + shapes.bounded(60);
            p.drawEllipse(QPoint(shapes.bounded(4000), 1700 + shapes.bounded(1300)), r, r);
        }
    }
    QRandomGenerator grain(3);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int n = int(grain.bounded(17u)) - 8;
            const QRgb px = line[x];
            line[x] = qRgb(std::clamp(qRed(px) + n, 0, 255), std::clamp(qGreen(px) + n, 0, 255),
                           std::clamp(qBlue(px) + n, 0, 255));
        }
    }
    return img.save(path, "JPEG", 92);
}

// Time the thread spent working, system time included: the machine this runs on is often
// busy with other work, which wall-clock time would count against whichever side it hit.
double threadSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

bool projectOnce() {
    QLabel* box = g.form->image();
    const double t0 = threadSeconds();
    const bool ok = plants::loadPicture(box, plants::Register::Plants, *data::DM->PlanteTable);
    g.project.push_back(threadSeconds() - t0);
    // Fitted to the box, as the user first sees a camera photo.
    const int boxWidth = g.form->findChild<QWidget*>(QStringLiteral("ScrollBox1"))->width();
    return ok && box->pixmap().width() <= boxWidth &&
           g.form->image()->naturalSize() == QSize(4000, 3000);
}

bool floorOnce() {
    const double t0 = threadSeconds();
    QImageReader reader(g.picture);
    QImage image = reader.read();
    g.floor.push_back(threadSeconds() - t0);
    benchmark::DoNotOptimize(image.constBits());
    return image.width() == 4000;
}

// The two sides take turns, each going first every other time, so both meet the same
// caches and the same load.
void pictureLoad(benchmark::State& state) {
    bool projectFirst = true;
    for (auto _ : state) {
        const bool ok =
            projectFirst ? (projectOnce() && floorOnce()) : (floorOnce() && projectOnce());
        projectFirst = !projectFirst;
        if (!ok) {
            state.SkipWithError("the picture did not load");
            g.failed = true;
            break;
        }
    }
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
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
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }
    std::unique_ptr<data::TDM> dm;
    std::unique_ptr<plants::TRegForm> form;
    try {
        {
            store::Database db(dir.path(), true);
            data::createTables(db);
        }
        store::Session::setAliasPath(QString::fromLatin1(data::TDM::Alias), dir.path());
        dm = std::make_unique<data::TDM>();
        dm->ConfigTable->Open();
        for (store::Table* t : dm->tablesInOpeningOrder()) {
            t->Open();
        }
        dm->PlanteTable->Insert();
        dm->PlanteTable->FieldByName(QStringLiteral("Plantenavn"))
            .setAsString(QStringLiteral("Rose"));
        dm->PlanteTable->Post();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cannot make the data folder: %s\n", e.what());
        return 1;
    }
    g.picture = plants::recordPictureFile(plants::Register::Plants, *dm->PlanteTable);
    if (!makePhoto(g.picture)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(g.picture));
        return 1;
    }
    std::printf("Picture of %lld bytes: %s\n", QFile(g.picture).size(), qPrintable(g.picture));
    // As a user first sees a camera photo: fitted to the box.
    plants::setPicturesFit(true);
    form = std::make_unique<plants::TRegForm>();
    g.form = form.get();

    benchmark::RegisterBenchmark("picture_load/pairs", pictureLoad)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(20);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    form.reset();
    dm.reset();
    store::Session::closeAll();
    // The alias would point at the temporary folder, which is gone after the run.
    QFile::remove(store::Session::aliasFile());

    benchfig::Figure figure{"picture_load", 1.2, 6};
    if (g.failed) {
        figure.fail("a load failed");
    } else if (g.project.empty() || g.floor.empty()) {
        figure.error = "left out by the filter";
    } else {
        figure.project = median(g.project);
        figure.floor = median(g.floor);
    }
    return benchfig::printFigures(
        {figure}, "thread processor seconds per load of one 4000 x 3000 JPEG (median)");
}
