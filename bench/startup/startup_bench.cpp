// SPDX-License-Identifier: GPL-3.0-or-later
// Starting the program, as whole processes: the program on a data folder of 100 000 plants
// until its main window is shown and the event loop waits for the user, against a bare Qt
// Widgets program showing an empty main window of the same size until the same moment, in
// turns, each going first every other time.
//
// Run:
//     ./build/bench/startup_bench [turns]
// VERDAMO_PROGRAM names another build of the program to start, to compare two of them.
// Runs on the desktop of DISPLAY (under Xvfb, say), else on the offscreen platform, unless
// QT_QPA_PLATFORM says otherwise; the desktop is what the figure is about. Both programs get a
// home, configuration, data and runtime folder of their own under a temporary folder, and
// the same probe (startup/probe.cpp), which Qt loads into them: it notes the time when the
// first window has painted and the event loop is about to wait, and ends the program there.
// The time of one start runs from just before the process is started to that moment. Ends
// with
//     FIGURE startup project=<s> floor=<s> ratio=<project/floor> goal<=2
// (median seconds of wall-clock time per start).

#include <time.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <string>

#include "data/datafolder.h"
#include "figures.h"
#include "plants.h"
#include "store/session.h"

namespace {

constexpr int PlantCount = 100000;

qint64 monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

struct Launch {
    QString program;
    QStringList arguments;
    QByteArray window;  // the class of the window that must have painted
};

// Seconds from starting the process to its window shown and the loop idle; -1 with why.
double start(const Launch& l, const QString& probeFile, const QString& runtime, std::string& why) {
    // A copy ended by the probe leaves its single-copy socket behind; a user's start finds
    // none.
    for (const QFileInfo& f : QDir(runtime).entryInfoList(QDir::Files | QDir::System)) {
        QFile::remove(f.filePath());
    }
    QFile::remove(probeFile);
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    const qint64 t0 = monotonicNs();
    p.start(l.program, l.arguments);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        why = "did not reach an idle event loop within a minute";
        return -1;
    }
    QFile f(probeFile);
    if (p.exitCode() != 0 || !f.open(QIODevice::ReadOnly)) {
        why = "ended without the probe noting its window (exit code " +
              std::to_string(p.exitCode()) + "): " + p.readAllStandardError().toStdString();
        return -1;
    }
    const QList<QByteArray> parts = f.readAll().trimmed().split(' ');
    if (parts.size() != 2 || parts.at(1) != l.window) {
        why = "showed " + (parts.size() == 2 ? parts.at(1).toStdString() : std::string("?")) +
              " first, not " + l.window.toStdString();
        return -1;
    }
    return double(parts.at(0).toLongLong() - t0) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    const int turns = argc > 1 ? std::max(2, atoi(argv[1])) : 20;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
    }
    QTemporaryDir root;
    if (!root.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }
    // This process and the programs it starts see the same private folders, so the alias
    // written here is the one the program reads.
    const QDir r(root.path());
    const QString home = r.filePath(QStringLiteral("home"));
    const QString runtime = r.filePath(QStringLiteral("run"));
    for (const QString& d : {home, runtime}) {
        QDir().mkpath(d);
    }
    QFile::setPermissions(runtime,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("HOME", QFile::encodeName(home));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + QStringLiteral("/.config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home + QStringLiteral("/.local/share")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home + QStringLiteral("/.cache")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Verdamo"));
    const QDir here(QCoreApplication::applicationDirPath());
    const QString program = qEnvironmentVariableIsEmpty("VERDAMO_PROGRAM")
                                ? here.filePath(QStringLiteral("../src/app/verdamo"))
                                : qEnvironmentVariable("VERDAMO_PROGRAM");
    const Launch project{program, {}, "app::THovedForm"};
    const Launch floor{
        here.filePath(QStringLiteral("bare_window")),
        {QString::number(data::MainDesignSize.width), QString::number(data::MainDesignSize.height)},
        "QMainWindow"};
    for (const Launch* l : {&project, &floor}) {
        if (!QFileInfo(l->program).isExecutable()) {
            std::fprintf(stderr, "no program %s\n", qPrintable(l->program));
            return 1;
        }
    }
    benchfig::PlantSet plants;
    try {
        QDir().mkpath(r.filePath(QStringLiteral("Have")));
        benchfig::makeDataFolder(r.filePath(QStringLiteral("Have")), PlantCount, plants);
        store::Session::closeAll();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cannot make the data folder: %s\n", e.what());
        return 1;
    }
    const QString probeFile = r.filePath(QStringLiteral("probe.txt"));
    qputenv("QT_QPA_GENERIC_PLUGINS", "verdamostartupprobe");
    qputenv("QT_PLUGIN_PATH", QFile::encodeName(here.filePath(QStringLiteral("plugins"))));
    qputenv("VERDAMO_STARTUP_PROBE", QFile::encodeName(probeFile));
    std::printf("Data folder with %d plants under %s, %d starts of each on %s\n", PlantCount,
                qPrintable(root.path()), turns, qgetenv("QT_QPA_PLATFORM").constData());
    std::fflush(stdout);

    benchfig::Turns measured;
    benchfig::Figure figure{"startup", 2.0, 6};
    std::string why;
    // The first start of each warms the file system cache, as any start after the first
    // finds it; it is not counted.
    if (start(project, probeFile, runtime, why) < 0 || start(floor, probeFile, runtime, why) < 0) {
        figure.fail(why);
    }
    for (int i = 0; i < turns && !figure.failed; ++i) {
        const bool ok = measured.turn([&] { return start(project, probeFile, runtime, why); },
                                      [&] { return start(floor, probeFile, runtime, why); });
        if (!ok) {
            figure.fail(why);
        }
    }
    if (!figure.failed) {
        figure.take(measured, false, std::string());
    }
    return benchfig::printFigures({figure}, "median seconds of wall-clock time per start");
}
