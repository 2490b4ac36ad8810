// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QEnterEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <optional>

#include "testsupport.h"
#include "widgets/aboutbox.h"
#include "widgets/aboutwnd.h"
#include "widgets/desktop.h"
#include "widgets/justone.h"
#include "widgets/urllabel.h"

using widgets::TAboutBox;
using widgets::TAboutWnd;
using widgets::TJustOne;
using widgets::TURLLabel;

namespace {

// Exit codes of the test binary re-run as a second start of the program.
constexpr int kFound = 3;      // found the running copy, and its event loop then quit
constexpr int kServing = 4;    // no copy running: now serves the name itself
constexpr int kUnguarded = 5;  // neither: the name is held by something that is not ours
constexpr int kBusy = 6;       // a copy holds the data and did not answer

int guardChild(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString name = QString::fromLocal8Bit(argv[2]);
    const bool serve = argc > 3 && qstrcmp(argv[3], "--serve") == 0;
    if (argc > 4) {
        TJustOne::setBusyWaitMs(QByteArray(argv[4]).toInt());
    }
    TJustOne guard(name, nullptr);
    if (guard.otherCopyBusy()) {
        return TJustOne::anotherCopyRunning() ? kBusy : 1;
    }
    if (guard.otherCopyFound()) {
        if (!TJustOne::anotherCopyRunning()) {
            return 1;
        }
        // The quit the guard asked for must end the message loop once it runs.
        QTimer::singleShot(10000, &app, [] { QCoreApplication::exit(99); });
        return QApplication::exec() == 0 ? kFound : 99;
    }
    if (!guard.serving()) {
        return kUnguarded;
    }
    if (serve) {
        std::fputs("serving\n", stdout);
        std::fflush(stdout);
        return QApplication::exec();
    }
    return kServing;
}

// Sets an environment variable for a scope and puts the old value back.
class EnvVar {
public:
    EnvVar(const char* name, const QString& value) : m_name(name) {
        if (qEnvironmentVariableIsSet(name)) {
            m_old = qgetenv(name);
        }
        qputenv(name, value.toLocal8Bit());
    }
    ~EnvVar() {
        if (m_old) {
            qputenv(m_name, *m_old);
        } else {
            qunsetenv(m_name);
        }
    }
    EnvVar(const EnvVar&) = delete;
    EnvVar& operator=(const EnvVar&) = delete;

private:
    const char* m_name;
    std::optional<QByteArray> m_old;
};

// A freedesktop environment of its own: config and data homes and system folders in a
// temporary folder, nothing registered until the test writes it.
class Desktop {
public:
    explicit Desktop(const QString& currentDesktop = QString())
        : m_configHome("XDG_CONFIG_HOME", path(QStringLiteral("config"))),
          m_configDirs("XDG_CONFIG_DIRS", path(QStringLiteral("etc"))),
          m_dataHome("XDG_DATA_HOME", path(QStringLiteral("data"))),
          m_dataDirs("XDG_DATA_DIRS", path(QStringLiteral("share"))),
          m_current("XDG_CURRENT_DESKTOP", currentDesktop) {}

    QString path(const QString& relative) const { return m_dir.filePath(relative); }

    void write(const QString& relative, const QByteArray& content) const {
        const QString file = path(relative);
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    void installApplication(const QString& id) const {
        write(QStringLiteral("share/applications/") + id,
              "[Desktop Entry]\nType=Application\nName=Browser\nExec=true %u\n");
    }
    // A web browser registered as the user's default.
    void registerBrowser() const {
        installApplication(QStringLiteral("browser.desktop"));
        write(QStringLiteral("config/mimeapps.list"),
              "[Default Applications]\nx-scheme-handler/http=browser.desktop\n");
    }

private:
    QTemporaryDir m_dir;
    EnvVar m_configHome, m_configDirs, m_dataHome, m_dataDirs, m_current;
};

// Stands in for the desktop's programs: records what QDesktopServices::openUrl was asked.
class UrlRecorder final : public QObject {
    Q_OBJECT

public:
    explicit UrlRecorder(const QStringList& schemes) : m_schemes(schemes) {
        for (const QString& s : schemes) {
            QDesktopServices::setUrlHandler(s, this, "open");
        }
    }
    ~UrlRecorder() override {
        for (const QString& s : m_schemes) {
            QDesktopServices::unsetUrlHandler(s);
        }
    }
    QStringList opened;

public Q_SLOTS:
    void open(const QUrl& url) { opened << url.toString(); }

private:
    QStringList m_schemes;
};

void hover(QWidget* w, bool inside) {
    if (inside) {
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QCoreApplication::sendEvent(w, &enter);
    } else {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(w, &leave);
    }
}

template <class W = QWidget>
W* child(QWidget* parent, const char* name) {
    W* w = parent->findChild<W*>(QLatin1String(name));
    if (!w) {
        qFatal("no control %s", name);
    }
    return w;
}

// The test binary itself, run again as a second start of the program.
// A busy wait (milliseconds) shortens how long the child waits for a copy that holds the lock.
std::unique_ptr<QProcess> startSecondCopy(const QString& name, bool serve = false,
                                          int busyWait = -1) {
    auto p = std::make_unique<QProcess>();
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList args{QStringLiteral("--guard-child"), name};
    args << (serve ? QStringLiteral("--serve") : QStringLiteral("--once"));
    if (busyWait >= 0) {
        args << QString::number(busyWait);
    }
    p->start(QCoreApplication::applicationFilePath(), args);
    return p;
}

}  // namespace

class WidgetsTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // About window
    void aboutTexts();
    void aboutSpeaksTheLanguage_data();
    void aboutSpeaksTheLanguage();
    void aboutLinkShowsItsNameWhole();
    void aboutSizing_data();
    void aboutSizing();
    void versionText_data();
    void versionText();
    void aboutVersionLine();
    void aboutLinkOpensAddress();
    void aboutSystemInfo_data();
    void aboutSystemInfo();
    void aboutExecute_data();
    void aboutExecute();

    // Link label
    void urlSetter_data();
    void urlSetter();
    void addressWithPrefix_data();
    void addressWithPrefix();
    void explicitCaptionAndHint();
    void click_data();
    void click();
    void fonts();
    void desktopHandlers_data();
    void desktopHandlers();

    // Single-copy guard
    void secondStartBringsFirstForward_data();
    void secondStartBringsFirstForward();
    void staleNameRecovered_data();
    void staleNameRecovered();
    void foreignServerIsNotOurs_data();
    void foreignServerIsNotOurs();
    void foreignClientIsNotAStart_data();
    void foreignClientIsNotAStart();
    void busyCopyKeepsAStartAway();
    void lockOfAKilledCopyIsTaken();
    void defaultServerName();
};

// ---- About window ------------------------------------------------------------------------

void WidgetsTest::aboutTexts() {
    QWidget owner;
    auto* box = new TAboutBox(&owner);
    box->setObjectName(QStringLiteral("AboutBox1"));
    box->setAppName(QStringLiteral("Verdamo"));
    box->setCopyright(QStringLiteral("Copyright © 2024 Haveholdet"));
    // The localizer reaches the notice by property name.
    QVERIFY(box->setProperty("Warning", QStringLiteral("Protected by copyright law.")));
    QVERIFY(box->setProperty("AppName", QStringLiteral("Verdamo")));

    TAboutWnd wnd(box);
    QCOMPARE(wnd.windowTitle(), QStringLiteral("Om Verdamo ®"));
    QCOMPARE(child<QLabel>(&wnd, "lblAppName")->text(), QStringLiteral("Verdamo ®"));
    QCOMPARE(child<QLabel>(&wnd, "lblCopyright")->text(),
             QStringLiteral("Copyright © 2024 Haveholdet"));
    QCOMPARE(child<QLabel>(&wnd, "lblWarning")->text(),
             QStringLiteral("Protected by copyright law."));
    QLabel* url = child<QLabel>(&wnd, "lblUrl");
    QCOMPARE(url->text(), TAboutBox::defaultUrl());
    QCOMPARE(url->toolTip(), TAboutBox::defaultUrl());
    QVERIFY(child<QPushButton>(&wnd, "btnOk")->isDefault());
}

void WidgetsTest::aboutSizing_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QRect>("image");
    QTest::addColumn<bool>("framed");
    QTest::addColumn<QRect>("frame");

    QTest::newRow("100 x 150 widens, height as designed")
        << QSize(100, 150) << QSize(349, 321) << QRect(9, 9, 100, 200) << true
        << QRect(8, 8, 102, 201);
    QTest::newRow("no picture keeps the design size")
        << QSize() << QSize(297, 321) << QRect(9, 9, 0, 0) << false << QRect();
    QTest::newRow("48 x 200 fits exactly") << QSize(48, 200) << QSize(297, 321)
                                           << QRect(9, 9, 48, 200) << true << QRect(8, 8, 50, 201);
    QTest::newRow("48 x 300 grows downwards, framed")
        << QSize(48, 300) << QSize(297, 421) << QRect(9, 9, 48, 300) << true
        << QRect(8, 8, 50, 301);
}

void WidgetsTest::aboutSizing() {
    QFETCH(QSize, picture);
    QFETCH(QSize, window);
    QFETCH(QRect, image);
    QFETCH(bool, framed);
    QFETCH(QRect, frame);

    TAboutBox box;
    box.setAppName(QStringLiteral("Verdamo"));
    if (picture.isValid()) {
        QPixmap pm(picture);
        pm.fill(Qt::darkGreen);
        box.setPicture(pm);
    }
    TAboutWnd wnd(&box);
    QCOMPARE(wnd.size(), window);
    QCOMPARE(wnd.minimumSize(), window);
    QCOMPARE(wnd.maximumSize(), window);
    QCOMPARE(child(&wnd, "imgApp")->geometry(), image);
    QCOMPARE(!child(&wnd, "bvlOuter")->isHidden(), framed);
    if (framed) {
        QCOMPARE(child(&wnd, "bvlOuter")->geometry(), frame);
    }

    // The upper block and the buttons follow the right edge, the lower block the bottom.
    const int dw = window.width() - 297;
    const int dh = window.height() - 321;
    QCOMPARE(child(&wnd, "lblAppName")->pos(), QPoint(64 + dw, 8));
    QCOMPARE(child(&wnd, "lblCopyright")->geometry(), QRect(64 + dw, 48, 225, 25));
    QCOMPARE(child(&wnd, "lblUrl")->pos(), QPoint(64 + dw, 80));
    const QRect sysInfo = child(&wnd, "btnSysInfo")->geometry();
    QCOMPARE(sysInfo.topRight(), QPoint(208 + dw, 288 + dh));
    QCOMPARE(sysInfo.height(), 23);
    // At least as wide as designed; wider where the desktop's font needs it.
    QVERIFY(sysInfo.width() >= 73);
    auto* sysInfoButton = child<QPushButton>(&wnd, "btnSysInfo");
    QVERIFY(sysInfo.width() >
            sysInfoButton->fontMetrics().horizontalAdvance(sysInfoButton->text()));
    QCOMPARE(child(&wnd, "btnOk")->geometry(), QRect(216 + dw, 288 + dh, 73, 23));
    QCOMPARE(child(&wnd, "bvlSep")->geometry(), QRect(8, 216 + dh, 281 + dw, 2));
    QCOMPARE(child(&wnd, "lblWarning")->geometry(), QRect(8, 224 + dh, 281 + dw, 61));
    // Nothing of the upper block runs past the right margin or into the picture.
    for (const char* name : {"lblAppName", "lblVersionInfo", "lblVersion", "lblUrl"}) {
        const QRect r = child(&wnd, name)->geometry();
        QVERIFY2(r.right() < window.width() - 7, name);
        QVERIFY2(r.left() > image.right() + 1, name);
    }
}

void WidgetsTest::versionText_data() {
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("text");

    QTest::newRow("file version") << QStringLiteral("2.7.0.0")
                                  << QStringLiteral("2.7 (Build: 0.0)");
    QTest::newRow("four numbers") << QStringLiteral("1.12.3.40")
                                  << QStringLiteral("1.12 (Build: 3.40)");
    QTest::newRow("project version")
        << QStringLiteral("0.1.0") << QStringLiteral("0.1 (Build: 0.0)");
    QTest::newRow("one number") << QStringLiteral("3") << QStringLiteral("3.0 (Build: 0.0)");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("five numbers") << QStringLiteral("1.2.3.4.5") << QString();
    QTest::newRow("not a number") << QStringLiteral("1.2-beta") << QString();
    QTest::newRow("empty part") << QStringLiteral("1..2") << QString();
    QTest::newRow("signed") << QStringLiteral("1.+2") << QString();
    QTest::newRow("spaces") << QStringLiteral("1. 2") << QString();
    QTest::newRow("beyond 16 bits") << QStringLiteral("1.65536") << QString();
}

void WidgetsTest::versionText() {
    QFETCH(QString, version);
    QFETCH(QString, text);
    QCOMPARE(widgets::versionText(version), text);
}

void WidgetsTest::aboutVersionLine() {
    TAboutBox box;
    TAboutWnd wnd(&box);
    auto* info = child<QLabel>(&wnd, "lblVersionInfo");
    auto* version = child<QLabel>(&wnd, "lblVersion");
    // The program's own version is shown from the start.
    QCOMPARE(version->text(), widgets::versionText(QStringLiteral(VERDAMO_VERSION)));
    QVERIFY(!version->text().isEmpty());
    QVERIFY(!info->isHidden());
    QVERIFY(version->font().bold());
    QVERIFY(version->x() > info->geometry().right());

    wnd.showVersion(QStringLiteral("2.7.0.0"));
    QCOMPARE(version->text(), QStringLiteral("2.7 (Build: 0.0)"));
    QVERIFY(!info->isHidden());

    wnd.showVersion(QStringLiteral("unknown"));
    QCOMPARE(version->text(), QString());
    QVERIFY(info->isHidden());
}

void WidgetsTest::aboutLinkOpensAddress() {
    UrlRecorder desktop({QStringLiteral("https"), QStringLiteral("http")});
    TAboutBox box;
    box.setUrl(QStringLiteral("https://www.example.org/haven"));
    TAboutWnd wnd(&box);
    auto* url = child<QLabel>(&wnd, "lblUrl");
    QCOMPARE(url->cursor().shape(), Qt::PointingHandCursor);

    QTest::mouseClick(url, Qt::LeftButton);
    QCOMPARE(desktop.opened, QStringList{QStringLiteral("https://www.example.org/haven")});
    QVERIFY(!QGuiApplication::overrideCursor());

    // An address without a scheme is still a web address.
    box.setUrl(QStringLiteral("www.example.org"));
    TAboutWnd second(&box);
    QTest::mouseClick(child(&second, "lblUrl"), Qt::LeftButton);
    QCOMPARE(desktop.opened.value(1), QStringLiteral("http://www.example.org"));
}

void WidgetsTest::aboutSystemInfo_data() {
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<bool>("started");

    QTest::newRow("none on the path") << QByteArray() << false;
    QTest::newRow("the program found is started")
        << QByteArray("#!/bin/sh\n: > \"$0.ran\"\n") << true;
    QTest::newRow("found but cannot start") << QByteArray("#!/nonexistent/interpreter\n") << false;
}

void WidgetsTest::aboutSystemInfo() {
    QFETCH(QByteArray, script);
    QFETCH(bool, started);

    QTemporaryDir bin;
    const QString program = bin.filePath(QStringLiteral("hardinfo"));
    if (!script.isEmpty()) {
        QFile f(program);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(script);
        f.close();
        QVERIFY(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
    EnvVar path("PATH", bin.path());
    EnvVar desk("XDG_CURRENT_DESKTOP", QString());

    testsupport::ScriptedDialogs dialogs;
    TAboutBox box;
    TAboutWnd wnd(&box);
    wnd.show();
    QTest::mouseClick(child(&wnd, "btnSysInfo"), Qt::LeftButton);

    if (started) {
        QCOMPARE(dialogs.shown.size(), 0);
        QTRY_VERIFY(QFileInfo::exists(program + QStringLiteral(".ran")));
    } else {
        QCOMPARE(dialogs.shown.size(), 1);
        QCOMPARE(dialogs.shown.at(0).kind, QStringLiteral("message"));
        QCOMPARE(dialogs.shown.at(0).text,
                 QStringLiteral("Systeminformationen kunne ikke startes!"));
        QCOMPARE(dialogs.shown.at(0).type, toolkit::MsgType::Error);
        QCOMPARE(dialogs.shown.at(0).buttons, toolkit::Buttons(toolkit::Button::OK));
    }
    QVERIFY(wnd.isVisible());
    QVERIFY(!QGuiApplication::overrideCursor());
}

void WidgetsTest::aboutExecute_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("result");
    QTest::newRow("Esc") << int(Qt::Key_Escape) << int(QDialog::Rejected);
    QTest::newRow("Enter") << int(Qt::Key_Return) << int(QDialog::Accepted);
}

void WidgetsTest::aboutExecute() {
    QFETCH(int, key);
    QFETCH(int, result);

    QWidget owner;
    owner.show();
    auto* box = new TAboutBox(&owner);
    box->setAppName(QStringLiteral("Verdamo"));
    QString title;
    QTimer::singleShot(0, &owner, [&] {
        QWidget* shown = QApplication::activeModalWidget();
        QVERIFY(shown);
        title = shown->windowTitle();
        QTest::keyClick(shown, Qt::Key(key));
    });
    QCOMPARE(box->Execute(), result);
    QCOMPARE(title, QStringLiteral("Om Verdamo ®"));
    // Built for the one showing and gone afterwards.
    QVERIFY(owner.findChildren<TAboutWnd*>().isEmpty());
}

// The window's own texts come in the language active as it opens, the box's default
// copyright line too.
void WidgetsTest::aboutSpeaksTheLanguage_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("sysInfo");
    QTest::addColumn<QString>("copyright");
    QTest::newRow("Danish") << -1 << "Om Verdamo ®"
                            << "&Systeminfo..."
                            << "Copyright © 2026 Verdamos udviklere";
    QTest::newRow("English") << 0 << "About Verdamo ®"
                             << "&System info..."
                             << "Copyright © 2026 The Verdamo developers";
    QTest::newRow("German") << 3 << "Über Verdamo ®"
                            << "&Systeminfo..."
                            << "Copyright © 2026 Die Verdamo-Entwickler";
}

void WidgetsTest::aboutSpeaksTheLanguage() {
    QFETCH(int, language);
    QFETCH(QString, title);
    QFETCH(QString, sysInfo);
    QFETCH(QString, copyright);
    testsupport::MainLanguage main;
    main.set(language);
    TAboutBox box;
    box.setAppName(QStringLiteral("Verdamo"));
    TAboutWnd wnd(&box);
    QCOMPARE(wnd.windowTitle(), title);
    QCOMPARE(child<QPushButton>(&wnd, "btnSysInfo")->text(), sysInfo);
    QCOMPARE(child<QLabel>(&wnd, "lblCopyright")->text(), copyright);
    QVERIFY(child<QLabel>(&wnd, "lblVersion")->text().contains(QStringLiteral("Build")));
    const QStringList cut = testsupport::cutCaptions(&wnd);
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(u'\n')));
}

// A local help page is shown by its name, not by a file address cut at the margin.
void WidgetsTest::aboutLinkShowsItsNameWhole() {
    TAboutBox box;
    box.setUrl(QStringLiteral("file:///usr/share/verdamo/Help/Dansk/index.html"));
    box.setUrlCaption(QStringLiteral("Verdamo – Hjælp"));
    TAboutWnd wnd(&box);
    QLabel* url = child<QLabel>(&wnd, "lblUrl");
    QCOMPARE(url->text(), QStringLiteral("Verdamo – Hjælp"));
    QCOMPARE(url->toolTip(), box.Url());
    QVERIFY(url->width() >= url->sizeHint().width());
}

// ---- Link label --------------------------------------------------------------------------

void WidgetsTest::urlSetter_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("url");
    QTest::addColumn<TURLLabel::TLinkType>("type");

    const QString mail = QStringLiteral("someone@example.org");
    QTest::newRow("mailto prefix")
        << QStringLiteral("mailto:someone@example.org") << mail << TURLLabel::ltMailTo;
    QTest::newRow("mailto in capitals")
        << QStringLiteral("MailTo:someone@example.org") << mail << TURLLabel::ltMailTo;
    QTest::newRow("bare mail address") << mail << mail << TURLLabel::ltMailTo;
    QTest::newRow("http prefix") << QStringLiteral("http://www.example.org")
                                 << QStringLiteral("www.example.org") << TURLLabel::ltHTTP;
    QTest::newRow("http prefix in capitals")
        << QStringLiteral("HTTP://www.Example.org/Haven") << QStringLiteral("www.Example.org/Haven")
        << TURLLabel::ltHTTP;
    QTest::newRow("ftp prefix kept")
        << QStringLiteral("ftp://ftp.example.org/pub")
        << QStringLiteral("ftp://ftp.example.org/pub") << TURLLabel::ltHTTP;
    QTest::newRow("https prefix kept")
        << QStringLiteral("https://www.example.org") << QStringLiteral("https://www.example.org")
        << TURLLabel::ltHTTP;
    QTest::newRow("at sign inside a web address")
        << QStringLiteral("http://www.example.org/@haven")
        << QStringLiteral("www.example.org/@haven") << TURLLabel::ltHTTP;
    QTest::newRow("user in an ftp address")
        << QStringLiteral("ftp://gardener@example.org")
        << QStringLiteral("ftp://gardener@example.org") << TURLLabel::ltHTTP;
    QTest::newRow("shorter than a prefix")
        << QStringLiteral("http:/") << QStringLiteral("http:/") << TURLLabel::ltHTTP;
    QTest::newRow("markup shown as text")
        << QStringLiteral("<b>haven</b>") << QStringLiteral("<b>haven</b>") << TURLLabel::ltHTTP;
}

void WidgetsTest::urlSetter() {
    QFETCH(QString, input);
    QFETCH(QString, url);
    QFETCH(TURLLabel::TLinkType, type);

    TURLLabel label;
    QCOMPARE(label.LinkType(), TURLLabel::ltHTTP);
    label.setURL(input);
    QCOMPARE(label.URL(), url);
    QCOMPARE(label.LinkType(), type);
    QCOMPARE(label.Caption(), url);
    QCOMPARE(label.Hint(), url);
    QCOMPARE(label.textFormat(), Qt::PlainText);

    // The current address again changes nothing.
    label.setLinkType(TURLLabel::ltNews);
    label.setURL(label.URL());
    QCOMPARE(label.LinkType(), TURLLabel::ltNews);
}

void WidgetsTest::addressWithPrefix_data() {
    QTest::addColumn<TURLLabel::TLinkType>("type");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("address");

    QTest::newRow("mail") << TURLLabel::ltMailTo << QStringLiteral("someone@example.org")
                          << QStringLiteral("mailto:someone@example.org");
    QTest::newRow("web") << TURLLabel::ltHTTP << QStringLiteral("www.example.org")
                         << QStringLiteral("http://www.example.org");
    QTest::newRow("file") << TURLLabel::ltFile << QStringLiteral("/home/haven/plan.txt")
                          << QStringLiteral("file:///home/haven/plan.txt");
    QTest::newRow("news") << TURLLabel::ltNews << QStringLiteral("dk.fritid.have")
                          << QStringLiteral("news:dk.fritid.have");
    QTest::newRow("ftp prefix not doubled")
        << TURLLabel::ltFTP << QStringLiteral("ftp://ftp.example.org/pub")
        << QStringLiteral("ftp://ftp.example.org/pub");
    QTest::newRow("https under web") << TURLLabel::ltHTTP << QStringLiteral("https://example.org")
                                     << QStringLiteral("https://example.org");
}

void WidgetsTest::addressWithPrefix() {
    QFETCH(TURLLabel::TLinkType, type);
    QFETCH(QString, url);
    QFETCH(QString, address);

    TURLLabel label;
    label.setURL(url);
    label.setLinkType(type);
    QCOMPARE(label.Caption(), url);
    // A click opens the prefixed address whatever ShowPrefix says.
    QCOMPARE(label.target().toString(), address);

    label.setShowPrefix(true);
    QCOMPARE(label.Caption(), address);
    QCOMPARE(label.Hint(), address);
    QCOMPARE(label.target().toString(), address);

    // Without a link type there is no prefix to show: the text stays as it was.
    label.setLinkType(TURLLabel::ltNone);
    QCOMPARE(label.Caption(), address);
    label.setShowPrefix(false);
    QCOMPARE(label.Caption(), url);
}

void WidgetsTest::explicitCaptionAndHint() {
    TURLLabel label;
    label.setCaption(QStringLiteral("Vores hjemmeside"));
    label.setURL(QStringLiteral("http://www.example.org"));
    QCOMPARE(label.Caption(), QStringLiteral("Vores hjemmeside"));
    QCOMPARE(label.Hint(), QStringLiteral("www.example.org"));
    label.setShowPrefix(true);
    label.setLinkType(TURLLabel::ltFTP);
    QCOMPARE(label.Caption(), QStringLiteral("Vores hjemmeside"));
    QCOMPARE(label.Hint(), QStringLiteral("ftp://www.example.org"));
    QCOMPARE(label.shownAddress(), QStringLiteral("ftp://www.example.org"));

    label.setURLAsHint(false);
    QCOMPARE(label.Hint(), QString());
    label.setURLAsHint(true);
    QCOMPARE(label.Hint(), QStringLiteral("ftp://www.example.org"));

    // A hint of one's own survives later addresses; reading it changes nothing.
    label.setHint(QStringLiteral("Klik for at åbne"));
    QVERIFY(!label.URLAsHint());
    label.setURL(QStringLiteral("www.example.com"));
    QCOMPARE(label.Hint(), QStringLiteral("Klik for at åbne"));
    label.setURLAsHint(true);
    QCOMPARE(label.Hint(), QStringLiteral("ftp://www.example.com"));
    QCOMPARE(label.property("Hint").toString(), QStringLiteral("ftp://www.example.com"));
    QVERIFY(label.URLAsHint());

    // Written by property name, as the localizer and window designs write them.
    TURLLabel named;
    named.setURL(QStringLiteral("www.example.org"));
    QVERIFY(named.setProperty("text", QStringLiteral("Our website")));
    QVERIFY(named.setProperty("toolTip", QStringLiteral("Opens in the browser")));
    named.setURL(QStringLiteral("www.example.net"));
    QCOMPARE(named.Caption(), QStringLiteral("Our website"));
    QCOMPARE(named.Hint(), QStringLiteral("Opens in the browser"));
    QVERIFY(named.setProperty("Caption", QStringLiteral("Vores side")));
    QCOMPARE(named.text(), QStringLiteral("Vores side"));
}

void WidgetsTest::click_data() {
    QTest::addColumn<TURLLabel::TLabelType>("labelType");
    QTest::addColumn<QString>("url");
    QTest::addColumn<TURLLabel::TLinkType>("linkType");
    QTest::addColumn<QStringList>("registered");
    QTest::addColumn<QStringList>("opened");

    const QString web = QStringLiteral("www.example.org");
    const QStringList browser{QStringLiteral("x-scheme-handler/http")};
    const QStringList mailer{QStringLiteral("x-scheme-handler/mailto")};
    const QStringList openedWeb{QStringLiteral("http://www.example.org")};
    QTest::newRow("auto with a browser")
        << TURLLabel::Auto << web << TURLLabel::ltHTTP << browser << openedWeb;
    QTest::newRow("auto without a browser")
        << TURLLabel::Auto << web << TURLLabel::ltHTTP << QStringList() << QStringList();
    QTest::newRow("active without a browser")
        << TURLLabel::Active << web << TURLLabel::ltHTTP << QStringList() << openedWeb;
    QTest::newRow("passive with a browser")
        << TURLLabel::Passive << web << TURLLabel::ltHTTP << browser << QStringList();
    QTest::newRow("active without a link type")
        << TURLLabel::Active << web << TURLLabel::ltNone << browser << QStringList();
    QTest::newRow("auto mail with a mail program")
        << TURLLabel::Auto << QStringLiteral("mailto:someone@example.org") << TURLLabel::ltMailTo
        << mailer << QStringList{QStringLiteral("mailto:someone@example.org")};
    QTest::newRow("auto mail with only a browser")
        << TURLLabel::Auto << QStringLiteral("someone@example.org") << TURLLabel::ltMailTo
        << browser << QStringList();
    QTest::newRow("active ftp opens one prefix")
        << TURLLabel::Active << QStringLiteral("ftp://ftp.example.org/pub") << TURLLabel::ltFTP
        << QStringList() << QStringList{QStringLiteral("ftp://ftp.example.org/pub")};
}

void WidgetsTest::click() {
    QFETCH(TURLLabel::TLabelType, labelType);
    QFETCH(QString, url);
    QFETCH(TURLLabel::TLinkType, linkType);
    QFETCH(QStringList, registered);
    QFETCH(QStringList, opened);

    Desktop desktop;
    desktop.installApplication(QStringLiteral("program.desktop"));
    QByteArray list("[Default Applications]\n");
    for (const QString& mime : registered) {
        list += mime.toUtf8() + "=program.desktop\n";
    }
    desktop.write(QStringLiteral("config/mimeapps.list"), list);
    UrlRecorder recorder({QStringLiteral("http"), QStringLiteral("mailto"), QStringLiteral("ftp")});

    TURLLabel label;
    label.resize(200, 20);
    label.setLabelType(labelType);
    label.setURL(url);
    label.setLinkType(linkType);
    QSignalSpy clicked(&label, &TURLLabel::clicked);
    QTest::mouseClick(&label, Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(recorder.opened, opened);

    // A press that ends outside the label is no click.
    QTest::mousePress(&label, Qt::LeftButton);
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(500, 500));
    QCOMPARE(clicked.count(), 1);
}

void WidgetsTest::fonts() {
    TURLLabel label;
    label.setURL(QStringLiteral("www.example.org"));
    QCOMPARE(label.LinkColor(), QColor(0, 0, 255));
    QCOMPARE(label.palette().color(QPalette::Link), QColor(0, 0, 255));
    QVERIFY(label.LinkFont().underline());
    QVERIFY(!label.PassiveFont().underline());

    // Auto: link font only under the mouse.
    QVERIFY(!label.font().underline());
    QCOMPARE(label.foregroundRole(), QPalette::WindowText);
    hover(&label, true);
    QVERIFY(label.font().underline());
    QCOMPARE(label.foregroundRole(), QPalette::Link);
    hover(&label, false);
    QVERIFY(!label.font().underline());
    QCOMPARE(label.foregroundRole(), QPalette::WindowText);

    // A font given by the window design becomes the base of both fonts.
    QFont big = label.font();
    big.setPointSize(20);
    label.setFont(big);
    QCOMPARE(label.PassiveFont().pointSize(), 20);
    QCOMPARE(label.LinkFont().pointSize(), 20);
    QVERIFY(label.LinkFont().underline());
    QVERIFY(!label.font().underline());

    // Active shows the link font and ignores the mouse; a new link font shows at once.
    label.setLabelType(TURLLabel::Active);
    QVERIFY(label.font().underline());
    hover(&label, false);
    QVERIFY(label.font().underline());
    QFont bold = label.LinkFont();
    bold.setBold(true);
    label.setLinkFont(bold);
    QVERIFY(label.font().bold());

    // Passive ignores the mouse too.
    label.setLabelType(TURLLabel::Passive);
    hover(&label, true);
    QVERIFY(!label.font().underline());
    QVERIFY(!label.font().bold());
    QCOMPARE(label.foregroundRole(), QPalette::WindowText);
}

void WidgetsTest::desktopHandlers_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("installed");
    QTest::addColumn<QString>("currentDesktop");
    QTest::addColumn<bool>("registered");

    const QString app = QStringLiteral("browser.desktop");
    const QByteArray deflt("[Default Applications]\nx-scheme-handler/http=browser.desktop;\n");
    QTest::newRow("nothing registered") << QString() << QByteArray() << app << QString() << false;
    QTest::newRow("user default") << QStringLiteral("config/mimeapps.list") << deflt << app
                                  << QString() << true;
    QTest::newRow("default without its desktop file")
        << QStringLiteral("config/mimeapps.list") << deflt << QString() << QString() << false;
    QTest::newRow("second of a list")
        << QStringLiteral("etc/mimeapps.list")
        << QByteArray(
               "[Default Applications]\nx-scheme-handler/http=gone.desktop;"
               "browser.desktop\n")
        << app << QString() << true;
    QTest::newRow("added association in the system folders")
        << QStringLiteral("share/applications/mimeapps.list")
        << QByteArray("[Added Associations]\nx-scheme-handler/http=browser.desktop;\n") << app
        << QString() << true;
    QTest::newRow("removed association does not count")
        << QStringLiteral("config/mimeapps.list")
        << QByteArray("[Removed Associations]\nx-scheme-handler/http=browser.desktop;\n") << app
        << QString() << false;
    QTest::newRow("other type does not count")
        << QStringLiteral("config/mimeapps.list")
        << QByteArray("[Default Applications]\nx-scheme-handler/https=browser.desktop\n") << app
        << QString() << false;
    QTest::newRow("desktop cache") << QStringLiteral("share/applications/mimeinfo.cache")
                                   << QByteArray(
                                          "[MIME Cache]\ntext/html=browser.desktop;\n"
                                          "x-scheme-handler/http=browser.desktop;\n")
                                   << app << QString() << true;
    QTest::newRow("list of the running desktop")
        << QStringLiteral("config/gnome-mimeapps.list") << deflt << app
        << QStringLiteral("ubuntu:GNOME") << true;
    QTest::newRow("list of another desktop") << QStringLiteral("config/kde-mimeapps.list") << deflt
                                             << app << QStringLiteral("GNOME") << false;
    QTest::newRow("desktop file in a subfolder")
        << QStringLiteral("config/mimeapps.list")
        << QByteArray("[Default Applications]\nx-scheme-handler/http=kde-browser.desktop\n")
        << QStringLiteral("kde/browser.desktop") << QString() << true;
}

void WidgetsTest::desktopHandlers() {
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QString, installed);
    QFETCH(QString, currentDesktop);
    QFETCH(bool, registered);

    Desktop desktop(currentDesktop);
    if (!installed.isEmpty()) {
        desktop.installApplication(installed);
    }
    if (!file.isEmpty()) {
        desktop.write(file, content);
    }
    QCOMPARE(widgets::desktop::hasHandler(QStringLiteral("x-scheme-handler/http")), registered);
}

// ---- Single-copy guard -------------------------------------------------------------------

void WidgetsTest::secondStartBringsFirstForward_data() {
    QTest::addColumn<bool>("modal");
    QTest::newRow("main window minimised") << false;
    QTest::newRow("modal window open") << true;
}

void WidgetsTest::secondStartBringsFirstForward() {
    QFETCH(bool, modal);

    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("guard"));
    QWidget main;
    main.setWindowTitle(QStringLiteral("first copy"));
    main.show();
    TJustOne guard(name, &main);
    QVERIFY(guard.serving());
    QVERIFY(!guard.otherCopyFound());
    QVERIFY(!TJustOne::anotherCopyRunning());
    QSignalSpy asked(&guard, &TJustOne::activationRequested);

    std::unique_ptr<QDialog> dialog;
    if (modal) {
        dialog = std::make_unique<QDialog>(&main);
        dialog->setWindowModality(Qt::ApplicationModal);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        dialog->showMinimized();
    }
    main.showMinimized();
    QTRY_VERIFY(main.isMinimized());

    const std::unique_ptr<QProcess> second = startSecondCopy(name);
    QVERIFY(second->waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(second->state(), QProcess::NotRunning, 20000);
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), kFound);
    QCOMPARE(asked.count(), 1);
    QVERIFY(!main.isMinimized());
    if (modal) {
        QVERIFY(!dialog->isMinimized());
        QTRY_COMPARE(QApplication::activeWindow(), dialog.get());
    } else {
        QTRY_COMPARE(QApplication::activeWindow(), &main);
    }
    // Still serving for the next start.
    QVERIFY(guard.serving());
}

void WidgetsTest::staleNameRecovered_data() {
    QTest::addColumn<bool>("killedCopy");
    QTest::newRow("socket of a killed copy") << true;
    QTest::newRow("leftover file") << false;
}

void WidgetsTest::staleNameRecovered() {
    QFETCH(bool, killedCopy);

    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("guard"));
    if (killedCopy) {
        const std::unique_ptr<QProcess> first = startSecondCopy(name, true);
        QVERIFY(first->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(first->canReadLine(), 20000);
        QCOMPARE(first->readLine(), QByteArray("serving\n"));
        first->kill();  // SIGKILL: no chance to take the socket away
        QVERIFY(first->waitForFinished());
        QVERIFY(QFileInfo(name).exists());
    } else {
        QFile leftover(name);
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.write("left behind");
    }

    TJustOne guard(name, nullptr);
    QVERIFY(!guard.otherCopyFound());
    QVERIFY(guard.serving());
    // Only the user may reach the socket.
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                      QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    QCOMPARE(QFileInfo(name).permissions() & others, QFile::Permissions());

    // And it answers the next start.
    const std::unique_ptr<QProcess> next = startSecondCopy(name);
    QVERIFY(next->waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(next->state(), QProcess::NotRunning, 20000);
    QCOMPARE(next->exitCode(), kFound);
}

void WidgetsTest::foreignServerIsNotOurs_data() {
    QTest::addColumn<QByteArray>("behaviour");
    QTest::newRow("silent") << QByteArray("silent");
    QTest::newRow("other greeting") << QByteArray("greet");
    QTest::newRow("echo") << QByteArray("echo");
    QTest::newRow("hangs up") << QByteArray("hangup");
    QTest::newRow("endless answer") << QByteArray("flood");
}

void WidgetsTest::foreignServerIsNotOurs() {
    QFETCH(QByteArray, behaviour);

    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("guard"));
    QLocalServer foreign;
    QVERIFY(foreign.listen(name));
    QList<QLocalSocket*> peers;
    connect(&foreign, &QLocalServer::newConnection, this, [&] {
        while (QLocalSocket* s = foreign.nextPendingConnection()) {
            peers << s;
            if (behaviour == "greet") {
                s->write("HELLO 1.0\n");
            } else if (behaviour == "hangup") {
                s->disconnectFromServer();
            } else if (behaviour == "flood") {
                s->write(QByteArray(4096, 'V'));
            } else if (behaviour == "echo") {
                connect(s, &QLocalSocket::readyRead, s, [s] { s->write(s->readAll()); });
            }
        }
    });

    const std::unique_ptr<QProcess> second = startSecondCopy(name);
    QVERIFY(second->waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(second->state(), QProcess::NotRunning, 20000);
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), kUnguarded);
    QCOMPARE(peers.size(), 1);

    // The other program keeps its name.
    QVERIFY(foreign.isListening());
    QLocalSocket probe;
    probe.connectToServer(name);
    QVERIFY(probe.waitForConnected(1000));
}

void WidgetsTest::foreignClientIsNotAStart_data() {
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<bool>("isStart");
    QTest::newRow("our request") << QByteArray("VERDAMO-JUSTONE/1 COME-FORWARD\n") << true;
    QTest::newRow("other line") << QByteArray("HELLO\n") << false;
    QTest::newRow("our reply sent back") << QByteArray("VERDAMO-JUSTONE/1 COMING\n") << false;
    QTest::newRow("request with more on the line")
        << QByteArray("VERDAMO-JUSTONE/1 COME-FORWARD NOW\n") << false;
    QTest::newRow("endless line") << QByteArray(4096, 'V') << false;
}

void WidgetsTest::foreignClientIsNotAStart() {
    QFETCH(QByteArray, sent);
    QFETCH(bool, isStart);

    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("guard"));
    TJustOne guard(name, nullptr);
    QVERIFY(guard.serving());
    QSignalSpy asked(&guard, &TJustOne::activationRequested);

    QLocalSocket client;
    client.connectToServer(name);
    QVERIFY(client.waitForConnected(1000));
    client.write(sent);
    QTRY_COMPARE(client.state(), QLocalSocket::UnconnectedState);
    QCOMPARE(asked.count(), isStart ? 1 : 0);
    QCOMPARE(client.readAll(), isStart ? QByteArray("VERDAMO-JUSTONE/1 COMING\n") : QByteArray());
    QVERIFY(guard.serving());
}

// A copy that holds the data but does not answer keeps a start away: it waits, then says
// so in the desktop's language and ends, never serving or opening anything itself.
void WidgetsTest::busyCopyKeepsAStartAway() {
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("guard"));
    QLockFile held(name + QStringLiteral(".lock"));
    QVERIFY(held.tryLock(0));
    QLocalServer stuck;  // accepts, never answers: a copy busy in a long operation
    QVERIFY(stuck.listen(name));
    const std::unique_ptr<QProcess> second = startSecondCopy(name, false, 300);
    QVERIFY(second->waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(second->state(), QProcess::NotRunning, 30000);
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), kBusy);
    QCOMPARE(stuck.isListening(), true);
    // The copy in this process holds the lock too: a guard here finds it busy.
    TJustOne::setBusyWaitMs(0);
    TJustOne guard(name, nullptr);
    QVERIFY(guard.otherCopyBusy());
    QVERIFY(!guard.serving());
    TJustOne::setBusyWaitMs(12000);
    QVERIFY(TJustOne::busyText().contains(QStringLiteral("Verdamo")));
}

// A copy killed outright leaves its lock behind; the next start takes it over.
void WidgetsTest::lockOfAKilledCopyIsTaken() {
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("guard"));
    const std::unique_ptr<QProcess> first = startSecondCopy(name, true);
    QVERIFY(first->waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(first->canReadLine(), 20000);
    QCOMPARE(first->readLine(), QByteArray("serving\n"));
    QVERIFY(QFileInfo::exists(name + QStringLiteral(".lock")));
    first->kill();
    QVERIFY(first->waitForFinished());
    TJustOne guard(name, nullptr);
    QVERIFY(!guard.otherCopyBusy());
    QVERIFY(!guard.otherCopyFound());
    QVERIFY(guard.serving());
}

// The name is the application title's and the user's, whatever the display name says.
void WidgetsTest::defaultServerName() {
    const QString title = QGuiApplication::applicationDisplayName();
    const QString name = TJustOne::defaultServerName();
    const QString file = QFileInfo(name).fileName();
    QVERIFY2(file.startsWith(QStringLiteral("Vexmo-")), qPrintable(name));
    QVERIFY(file.size() > 6);
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Ve x/../mo"));
    QCOMPARE(TJustOne::defaultServerName(), name);

    TJustOne::setDefaultServerName(QStringLiteral("/tmp/own-name"));
    QCOMPARE(TJustOne::defaultServerName(), QStringLiteral("/tmp/own-name"));
    TJustOne::setDefaultServerName(QString());
    QGuiApplication::setApplicationDisplayName(title);
    QCOMPARE(TJustOne::defaultServerName(), name);
}

int main(int argc, char** argv) {
    if (argc > 2 && qstrcmp(argv[1], "--guard-child") == 0) {
        return guardChild(argc, argv);
    }
    QApplication app(argc, argv);
    WidgetsTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_widgets.moc"
