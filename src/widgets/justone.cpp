// SPDX-License-Identifier: GPL-3.0-or-later
#include "justone.h"

#include <pwd.h>
#include <unistd.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include "i18n/texts.h"
#include "toolkit/dialogs.h"

namespace widgets {

namespace {

// The handshake: a start sends the request line, a running copy answers with the reply.
// They differ, so a server that echoes is not taken for ours.
constexpr char kRequest[] = "VERDAMO-JUSTONE/1 COME-FORWARD\n";
constexpr char kReply[] = "VERDAMO-JUSTONE/1 COMING\n";
constexpr qsizetype kMaxLine = 64;
constexpr int kConnectTimeoutMs = 1000;
// A peer that neither asks nor hangs up within this time is dropped.
constexpr int kServeTimeoutMs = 5000;

bool s_anotherRunning = false;
int s_busyWaitMs = 12000;
// Between two questions to a copy that holds the lock but does not answer.
constexpr int kRetryMs = 250;

QString& overrideName() {
    static QString name;
    return name;
}

QString userName() {
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name && *pw->pw_name) {
        return QString::fromLocal8Bit(pw->pw_name);
    }
    return QString::number(getuid());
}

// Letters, digits, dot, dash and underscore only, so the name is one plain file name.
QString sanitised(const QString& text) {
    QString out;
    for (const QChar c : text) {
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                           c == QLatin1Char('.') || c == QLatin1Char('-') || c == QLatin1Char('_');
        out += plain ? c : QLatin1Char('_');
    }
    if (out.startsWith(QLatin1Char('.'))) {
        out[0] = QLatin1Char('_');
    }
    return out.left(64);
}

// Ends a connection that is not a start of ours.
void drop(QLocalSocket* socket) {
    socket->abort();
    socket->deleteLater();
}

// Brings a window to the front of the desktop, restored when it was minimised.
void comeForward(QWidget* w) {
    if (w->isMinimized()) {
        w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
        w->show();
    }
    w->raise();
    w->activateWindow();
}

}  // namespace

TJustOne::TJustOne(QObject* parent) : TJustOne(defaultServerName(), parent) {}

TJustOne::TJustOne(const QString& serverName, QObject* parent)
    : QObject(parent), m_name(serverName) {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        connect(app, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
            if (now) {
                m_lastActive = now->window();
            }
        });
    }
    check();
}

TJustOne::~TJustOne() = default;

int TJustOne::busyWaitMs() {
    return s_busyWaitMs;
}

void TJustOne::setBusyWaitMs(int ms) {
    s_busyWaitMs = ms;
}

QString TJustOne::busyText() {
    return i18n::textFor(i18n::desktopLanguage(), u"JustOneTexts", u"Busy",
                         QStringLiteral("Verdamo kører allerede, men svarer ikke lige nu.\n\r"
                                        "Vent, til det åbne Verdamo er færdigt, og start så "
                                        "programmet igen. Hvis det ikke svarer, så luk det "
                                        "først."));
}

bool TJustOne::serving() const {
    return m_server && m_server->isListening();
}

bool TJustOne::anotherCopyRunning() {
    return s_anotherRunning;
}

QString TJustOne::defaultServerName() {
    if (!overrideName().isEmpty()) {
        return overrideName();
    }
    const QString file = sanitised(toolkit::applicationTitle() + QLatin1Char('-') + userName());
    // The runtime folder belongs to the user alone (mode 0700), so no one else can take
    // the name; without one the socket goes to the shared temporary folder.
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return dir.isEmpty() ? file : QDir(dir).filePath(file);
}

void TJustOne::setDefaultServerName(const QString& name) {
    overrideName() = name;
}

void TJustOne::check() {
    // The lock decides who holds the data: a copy that answers nothing still holds it.
    const QString lockName = QDir::isAbsolutePath(m_name) ? m_name : QDir::temp().filePath(m_name);
    m_lock = std::make_unique<QLockFile>(lockName + QStringLiteral(".lock"));
    m_lock->setStaleLockTime(0);  // only a lock whose copy is gone is stale
    if (!m_lock->tryLock(0) && !waitForHolder()) {
        return;
    }
    switch (askRunningCopy()) {
        case Peer::Ours:
            // A copy without the lock (an older version) answered: it has the data.
            m_lock.reset();
            m_otherFound = true;
            s_anotherRunning = true;
            QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                      Qt::QueuedConnection);
            return;
        case Peer::Foreign:
            // Something alive holds the name: leave it alone; the lock still guards the data.
            return;
        case Peer::None:
            // Nobody answered, so whatever holds the name was left by a copy that crashed.
            if (!listen()) {
                QLocalServer::removeServer(m_name);
                if (!listen()) {
                    qWarning("Single-copy guard cannot listen on %s: %s", qPrintable(m_name),
                             qPrintable(m_listenError));
                }
            }
            return;
    }
}

// Another copy holds the lock. Asks it forward until it answers, or until its lock is gone
// (it ended: this copy takes over), or until the time is up: true when this copy may run.
bool TJustOne::waitForHolder() {
    const QDeadlineTimer deadline(answerTimeoutMs + s_busyWaitMs);
    for (;;) {
        if (askRunningCopy() == Peer::Ours) {
            m_otherFound = true;
            break;
        }
        if (m_lock->tryLock(0)) {
            return true;
        }
        if (deadline.hasExpired()) {
            m_otherBusy = true;
            break;
        }
        QThread::msleep(kRetryMs);
    }
    m_lock.reset();
    s_anotherRunning = true;
    // Effective once the event loop runs; main() should not get that far.
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                              Qt::QueuedConnection);
    return false;
}

TJustOne::Peer TJustOne::askRunningCopy() const {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kConnectTimeoutMs)) {
        return Peer::None;
    }
    socket.write(kRequest);
    if (!socket.waitForBytesWritten(kConnectTimeoutMs)) {
        return Peer::Foreign;
    }
    QByteArray answer;
    const QDeadlineTimer deadline(answerTimeoutMs);
    while (!answer.contains('\n') && answer.size() <= kMaxLine) {
        if (socket.bytesAvailable() == 0 &&
            !socket.waitForReadyRead(int(deadline.remainingTime()))) {
            break;
        }
        answer += socket.read(kMaxLine + 1 - answer.size());
        if (deadline.hasExpired()) {
            break;
        }
    }
    socket.abort();
    const qsizetype end = answer.indexOf('\n');
    return end >= 0 && answer.left(end + 1) == kReply ? Peer::Ours : Peer::Foreign;
}

bool TJustOne::listen() {
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(m_name)) {
        m_listenError = server->errorString();
        return false;
    }
    connect(server.get(), &QLocalServer::newConnection, this, &TJustOne::onNewConnection);
    m_server = std::move(server);
    return true;
}

void TJustOne::onNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onRequest(socket); });
        QTimer::singleShot(kServeTimeoutMs, socket, [socket] { drop(socket); });
    }
}

void TJustOne::onRequest(QLocalSocket* socket) {
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kMaxLine) {
            drop(socket);
        }
        return;
    }
    const QByteArray line = socket->readLine(kMaxLine + 1);
    if (line != kRequest) {
        drop(socket);
        return;
    }
    socket->write(kReply);
    socket->flush();
    socket->disconnectFromServer();
    bringForward();
    Q_EMIT activationRequested();
}

void TJustOne::bringForward() {
    QWidget* main = qobject_cast<QWidget*>(parent());
    main = main ? main->window() : nullptr;
    // The window the user worked in last: an open modal window goes first.
    QWidget* popup = QApplication::activeModalWidget();
    if (!popup) {
        popup = QApplication::activeWindow();
    }
    if (!popup && m_lastActive && m_lastActive->isVisible()) {
        popup = m_lastActive;
    }
    if (!popup) {
        popup = main;
    }
    if (!popup) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() || w->isMinimized()) {
                popup = w;
                break;
            }
        }
    }
    if (main && main != popup && (main->isVisible() || main->isMinimized())) {
        comeForward(main);
    }
    if (popup) {
        comeForward(popup);
    }
}

}  // namespace widgets
