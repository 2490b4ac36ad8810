// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class QLocalServer;
class QLockFile;
class QLocalSocket;
class QWidget;

namespace widgets {

// Keeps the program to one running copy per user. The first copy holds a lock file and
// serves a local socket, both named after the application title and the user; a later start
// asks it to come forward and then ends. Only a peer that answers the handshake counts as a
// running copy, so no other program listening under the name can make a start end; and a
// copy that holds the lock but is too busy to answer still keeps every later start away
// from the data: the start waits, then says so and ends.
class TJustOne final : public QObject {
    Q_OBJECT

public:
    // The check runs here. Uses defaultServerName().
    explicit TJustOne(QObject* parent = nullptr);
    // The same under a name of the caller's (a socket name, or an absolute socket path).
    TJustOne(const QString& serverName, QObject* parent);
    ~TJustOne() override;

    // Another copy answered and has been asked to come forward; the application has been
    // asked to quit (effective once its event loop runs), and the caller should end now.
    bool otherCopyFound() const { return m_otherFound; }
    // Another copy holds the data but did not answer in time (busy, or hung): the caller
    // tells the user (busyText()) and ends without opening anything.
    bool otherCopyBusy() const { return m_otherBusy; }
    // This copy listens for later starts.
    bool serving() const;
    QString serverName() const { return m_name; }

    // Whether any guard of this process found another copy: what main() asks.
    static bool anotherCopyRunning();

    // "<title>-<user>" in the user's private runtime folder; the title is the application's
    // display name. setDefaultServerName() replaces it, e.g. for tests of windows that carry
    // a guard; an empty name restores it.
    static QString defaultServerName();
    static void setDefaultServerName(const QString& name);

    // How long a start waits for the running copy's answer, and how much longer it keeps
    // asking a copy that holds the lock without answering.
    static constexpr int answerTimeoutMs = 3000;
    static int busyWaitMs();
    static void setBusyWaitMs(int ms);  // tests

    // What a start says when the running copy does not answer, in the desktop's language
    // (the settings are not read yet).
    static QString busyText();

Q_SIGNALS:
    // A later start asked this copy forward; its windows have been brought to the front.
    void activationRequested();

private:
    enum class Peer { None, Ours, Foreign };

    void check();
    bool waitForHolder();
    Peer askRunningCopy() const;
    bool listen();
    void onNewConnection();
    void onRequest(QLocalSocket* socket);
    void bringForward();

    QString m_name;
    std::unique_ptr<QLocalServer> m_server;
    QString m_listenError;
    std::unique_ptr<QLockFile> m_lock;
    bool m_otherFound = false;
    bool m_otherBusy = false;
    QPointer<QWidget> m_lastActive;
};

}  // namespace widgets
