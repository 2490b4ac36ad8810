// SPDX-License-Identifier: GPL-3.0-or-later
// Loaded into a program by Qt (QT_QPA_GENERIC_PLUGINS=verdamostartupprobe): once a window of
// the program has painted and the event loop is about to wait for the next event, it writes
// the time and the window's class to the file VERDAMO_STARTUP_PROBE names and ends the
// program at once, so that what follows (closing, saving) is not timed. The same probe
// times the program and the bare window it is compared with.

#include <time.h>
#include <unistd.h>

#include <QtGui/qgenericplugin.h>
#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QWidget>

namespace {

class Probe final : public QObject {
public:
    Probe() {
        QCoreApplication::instance()->installEventFilter(this);
        connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
                &Probe::idle);
    }

    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::Paint && m_window.isEmpty()) {
            auto* w = qobject_cast<QWidget*>(watched);
            if (w && w->isWindow() && w->isVisible()) {
                m_window = QByteArray(w->metaObject()->className());
            }
        }
        return false;
    }

private:
    void idle() {
        if (m_window.isEmpty()) {
            return;
        }
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        QFile out(QString::fromLocal8Bit(qgetenv("VERDAMO_STARTUP_PROBE")));
        if (out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            out.write(QByteArray::number(qint64(now.tv_sec) * 1000000000 + now.tv_nsec) + ' ' +
                      m_window + '\n');
            out.close();
        }
        _exit(0);
    }

    QByteArray m_window;
};

class ProbePlugin final : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "probe.json")

public:
    QObject* create(const QString&, const QString&) override { return new Probe; }
};

}  // namespace

#include "probe.moc"
