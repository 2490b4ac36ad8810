#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class QLocalServer;
class QLocalSocket;
class QWidget;

namespace widgets {

// Keeps the program to one running copy per user. The first copy serves a local socket
// named after the application title and the user; a later start asks it to come forward
// and then ends. Only a peer that answers the handshake counts as a running copy, so no
// other program listening under the name can make a start end.
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

    // How long a start waits for the running copy's answer.
    static constexpr int answerTimeoutMs = 3000;

Q_SIGNALS:
    // A later start asked this copy forward; its windows have been brought to the front.
    void activationRequested();

private:
    enum class Peer { None, Ours, Foreign };

    void check();
    Peer askRunningCopy() const;
    bool listen();
    void onNewConnection();
    void onRequest(QLocalSocket* socket);
    void bringForward();

    QString m_name;
    std::unique_ptr<QLocalServer> m_server;
    QString m_listenError;
    bool m_otherFound = false;
    QPointer<QWidget> m_lastActive;
};

}  // namespace widgets
