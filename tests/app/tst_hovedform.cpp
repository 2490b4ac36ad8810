// SPDX-License-Identifier: GPL-3.0-or-later
#include <unistd.h>

#include <QAbstractItemView>
#include <QCompleter>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>
#include <QtTest>
#include <memory>

#include <QTemporaryDir>
#include "app/artwork.h"
#include "app/hovedform.h"
#include "app/plantchooser.h"
#include "backup/archive.h"
#include "data/datafolder.h"
#include "data/dm.h"
#include "data/settings.h"
#include "garden/haveform.h"
#include "i18n/langsource.h"
#include "plants/regform.h"
#include "store/session.h"
#include "testsupport.h"
#include "toolkit/application.h"
#include "toolkit/form.h"
#include "toolkit/lookup.h"
#include "toolkit/speedbutton.h"
#include "widgets/aboutbox.h"
#include "widgets/aboutwnd.h"
#include "widgets/justone.h"

using store::DataSetState;

// Records what the desktop is asked to open, instead of opening it.
class UrlRecorder : public QObject {
    Q_OBJECT

public:
    UrlRecorder() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~UrlRecorder() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QStringList urls;

public Q_SLOTS:
    void open(const QUrl& url) { urls << url.toString(); }
};

// The main window on a data folder of its own, shown offscreen.
class HovedFormTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<testsupport::DataFolder> m_folder;
    std::unique_ptr<testsupport::ScriptedDialogs> m_dialogs;
    std::unique_ptr<app::THovedForm> m_form;
    std::unique_ptr<QSignalSpy> m_checked;  // the database checked after the start
    std::unique_ptr<data::TDM> m_dm;
    QTemporaryDir m_guard;

    // As the user reads it: without the Alt letter's "&".
    QString caption(const char* name) {
        return testsupport::withoutMnemonic(
            m_form->findChild<QToolButton*>(QString::fromLatin1(name))->text());
    }
    QString entryText(const char* name) {
        return testsupport::withoutMnemonic(action(name)->text());
    }
    QAction* entry(int position) { return m_form->languageEntries().value(position); }
    void storeLanguage(int language) {
        data::TDM dm;
        dm.ConfigTable->Open();
        data::writeSettings({{QStringLiteral("Sprog"), language}});
    }

    void start() {
        m_form = std::make_unique<app::THovedForm>();
        m_checked = std::make_unique<QSignalSpy>(m_form.get(), &app::THovedForm::startChecked);
        m_dm = std::make_unique<data::TDM>();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }

    template <class T>
    T* child(const char* name) {
        return m_form->findChild<T*>(QString::fromLatin1(name));
    }

    QAction* action(const char* name) { return child<QAction>(name); }

    void writeAliases(const QString& text) {
        QFile out(store::Session::aliasFile());
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(text.toUtf8());
        out.close();
        store::Session::reloadConfiguration();
        store::Session::closeAll();
    }
    QString readAliases() {
        QFile in(store::Session::aliasFile());
        return in.open(QIODevice::ReadOnly) ? QString::fromUtf8(in.readAll()) : QString();
    }

    // A backup of the data folder as it is now, dated long ago.
    void writeTheBackup() {
        const QString backups =
            QDir(data::dataFolder()).filePath(QStringLiteral("Sikkerhedskopier"));
        backup::writeBackup(QDir(backups).filePath(QStringLiteral("Verdamo-2020-01-01-100000.zip")),
                            -1);
    }

    // The database file changed in place, as a failing disk would, with nothing holding it.
    void damageDatabase(const std::function<void(QByteArray&)>& damage) {
        store::Session::closeAll();
        const QString file =
            QDir(data::dataFolder()).filePath(QString::fromLatin1(store::Database::FileName));
        QVERIFY(!QFileInfo::exists(file + QStringLiteral("-wal")) ||
                QFileInfo(file + QStringLiteral("-wal")).size() == 0);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QByteArray bytes = f.readAll();
        damage(bytes);
        QVERIFY(f.seek(0));
        QCOMPARE(f.write(bytes), bytes.size());
        f.close();
    }

    void addPlant(const QString& name, const QString& family, const QString& latin = QString()) {
        data::TDM dm;
        testsupport::openAll(dm);
        dm.PlanteTable->Insert();
        dm.PlanteTable->FieldByName(QStringLiteral("Plantenavn")).setAsString(name);
        dm.PlanteTable->FieldByName(QStringLiteral("Familie")).setAsString(family);
        dm.PlanteTable->FieldByName(QStringLiteral("Latin")).setAsString(latin);
        dm.PlanteTable->Post();
    }

    // The registration window is closed as soon as it is up; what it showed is kept.
    struct Opened {
        QString title;
        int regnr = 0;
    };
    Opened whenOpened(const std::function<void()>& action) {
        Opened seen;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                seen.title = w->windowTitle();
                seen.regnr = m_dm->PlanteTable->FieldByName(QStringLiteral("Regnr")).AsInteger();
                w->close();
            }
        });
        closer.start(10);
        action();
        closer.stop();
        // Back in the main window, as the window manager gives it back.
        m_form->activateWindow();
        if (!QTest::qWaitForWindowActive(m_form.get())) {
            qWarning("the main window did not come back");
        }
        return seen;
    }

    // Keys go where the user's keys go: to the open list, else to the box.
    static void typeInto(QWidget* box, const QString& keys) {
        for (const QChar c : keys) {
            QWidget* to =
                QApplication::activePopupWidget() ? QApplication::activePopupWidget() : box;
            QTest::keyClick(to, c.toLatin1());
        }
    }
    static void press(QWidget* box, Qt::Key key) {
        QWidget* popup = QApplication::activePopupWidget();
        QTest::keyClick(popup ? popup : box, key);
    }

public Q_SLOTS:
    // Stands in for the desktop's browser.
    void openUrl(const QUrl& url) { m_opened << url; }

private:
    QList<QUrl> m_opened;

private Q_SLOTS:
    void initTestCase() {
        testsupport::useDanishFormats();
        widgets::TJustOne::setDefaultServerName(m_guard.filePath(QStringLiteral("guard")));
    }

    void init() {
        m_folder = std::make_unique<testsupport::DataFolder>();
        m_dialogs = std::make_unique<testsupport::ScriptedDialogs>();
    }

    void cleanup() {
        m_checked.reset();
        m_form.reset();
        m_dm.reset();
        m_dialogs.reset();
        m_folder.reset();
    }

    void theFirstShowOpensEveryTable() {
        start();
        QVERIFY(m_dm->ConfigTable->Active());
        for (store::Table* t : m_dm->tablesInOpeningOrder()) {
            QVERIFY2(t->Active(), qPrintable(t->objectName()));
        }
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Verdamo"));
        QVERIFY(m_dialogs->shown.isEmpty());
        QCOMPARE(m_form->helpPage(),
                 app::THovedForm::programFolder() + QStringLiteral("Help/Dansk/index.html"));
        QCOMPARE(child<QLabel>("Sproget")->text(), QStringLiteral("Dansk"));
        QVERIFY(!m_form->chooserShown());
        // The database is checked once the window is up; a sound one says nothing.
        QTRY_COMPARE(m_checked->count(), 1);
        QVERIFY(m_dialogs->shown.isEmpty());
    }

    void theControlsStandAtTheirDesignPlaces_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("place");
        QTest::newRow("background") << "Image3" << QRect(0, 0, 1016, 688);
        QTest::newRow("ivy") << "Image1" << QRect(70, 35, 216, 466);
        QTest::newRow("title") << "RxLabel1" << QRect(169, 86, 411, 109);
        QTest::newRow("overview") << "SpeedButton2" << QRect(370, 230, 391, 66);
        QTest::newRow("register") << "SpeedButton1" << QRect(370, 320, 391, 66);
        QTest::newRow("chooser heading") << "Label1" << QRect(543, 330, 51, 13);
        QTest::newRow("chooser") << "DBLookupComboBox1" << QRect(540, 345, 196, 21);
        QTest::newRow("new plant") << "SpeedButton3" << QRect(409, 344, 126, 22);
        QTest::newRow("garden works") << "SpeedButton5" << QRect(370, 410, 391, 66);
        QTest::newRow("quit") << "SpeedButton4" << QRect(370, 500, 391, 66);
        QTest::newRow("language") << "Sproget" << QRect(80, 485, 56, 16);
        QTest::newRow("bottom strip") << "BottomPanel" << QRect(0, 688, 1016, 24);
    }

    void theControlsStandAtTheirDesignPlaces() {
        QFETCH(QString, name);
        QFETCH(QRect, place);
        app::THovedForm form;  // not shown: the design layout as created
        QWidget* w = form.findChild<QWidget*>(name);
        QVERIFY(w);
        if (qobject_cast<QLabel*>(w) && name != QLatin1String("Image1") &&
            name != QLatin1String("Image3")) {
            // Labels size themselves to their text.
            QCOMPARE(w->pos(), place.topLeft());
            QVERIFY(w->width() >=
                    w->fontMetrics().horizontalAdvance(qobject_cast<QLabel*>(w)->text()));
        } else {
            QCOMPARE(w->geometry(), place);
        }
    }

    void theMenusHoldTheirItems() {
        start();
        QStringList menus;
        for (QAction* a : m_form->menuBar()->actions()) {
            menus << testsupport::withoutMnemonic(a->text());
        }
        QCOMPARE(menus, (QStringList{QStringLiteral("Funktioner"),
                                     QStringLiteral("Sprog/Language/Sprache"),
                                     QStringLiteral("Emner i hjælp"), QStringLiteral("Afslut")}));
        auto texts = [&](const char* menu) {
            QStringList out;
            for (QAction* a : child<QMenu>(menu)->actions()) {
                out << (a->isSeparator() ? QStringLiteral("-")
                                         : testsupport::withoutMnemonic(a->text()));
            }
            return out;
        };
        QCOMPARE(
            texts("Funktioner"),
            (QStringList{QStringLiteral("Definitioner"), QStringLiteral("Navne"),
                         QStringLiteral("Udgifter"), QStringLiteral("Dataplacering"),
                         QStringLiteral("-"), QStringLiteral("Sikkerhedskopi"),
                         QStringLiteral("Gendan sikkerhedskopi"),
                         QStringLiteral("Eksportér til CSV"), QStringLiteral("Importér gamle data"),
                         QStringLiteral("-"), QStringLiteral("Afslut")}));
        QCOMPARE(texts("Emner"),
                 (QStringList{QStringLiteral("Hjælp"), QStringLiteral("Om skærmstørrelser"),
                              QStringLiteral("Info")}));
        QVERIFY(texts("Sprog1").endsWith(QStringLiteral("Deutsch")));
    }

    // "Udgifter" opens the cost overview modally, in the language of the moment.
    void theCostsItemOpensTheCostOverview() {
        start();
        m_form->languageSource()->SetActiveLanguage(0);
        QCOMPARE(entryText("Udgifter1"), QStringLiteral("Garden costs"));
        QString opened;
        QString title;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                opened = w->objectName();
                title = w->windowTitle();
                w->close();
            }
        });
        closer.start(10);
        action("Udgifter1")->trigger();
        closer.stop();
        QCOMPARE(opened, QStringLiteral("TUdgiftForm"));
        QCOMPARE(title, QStringLiteral("Garden costs"));
    }

    void closingMakesTheDailyBackupOnce() {
        start();
        m_form->close();
        const QDir backups(QDir(data::dataFolder()).filePath(QStringLiteral("Sikkerhedskopier")));
        QCOMPARE(backups.entryList({QStringLiteral("Verdamo-auto-*.zip")}).size(), 1);
        m_form.reset();
        m_dm.reset();
        start();
        m_form->close();
        QCOMPARE(backups.entryList({QStringLiteral("Verdamo-auto-*.zip")}).size(), 1);
    }

    // A disk that fails leaves a damaged database; the start offers the newest good backup.
    void aDamagedDatabaseIsReportedAtStartWithTheOfferOfABackup() {
        addPlant(QStringLiteral("Rose"), QStringLiteral("Rosaceae"));
        writeTheBackup();
        damageDatabase([](QByteArray& bytes) {
            QVERIFY(bytes.size() > 6 * 4096);
            bytes.replace(2 * 4096, bytes.size() - 3 * 4096,
                          QByteArray(bytes.size() - 3 * 4096, '\xff'));
        });

        m_dialogs->answers << toolkit::mrYes;
        start();
        QCOMPARE(m_dialogs->shown.size(), 2);
        QCOMPARE(m_dialogs->shown.first().type, toolkit::MsgType::Confirmation);
        QVERIFY2(m_dialogs->shown.first().text.contains(
                     QStringLiteral("Verdamo-2020-01-01-100000.zip (lavet ")),
                 qPrintable(m_dialogs->shown.first().text));
        QVERIFY(m_dialogs->shown.first().text.contains(QStringLiteral("planter: 1, haveanlæg: 0")));
        QVERIFY(m_dialogs->shown.last().text.startsWith(
            QStringLiteral("Sikkerhedskopien er gendannet.")));
        for (store::Table* t : m_dm->tablesInOpeningOrder()) {
            QVERIFY2(t->Active(), qPrintable(t->objectName()));
        }
        QCOMPARE(m_dm->PlanteTable->RecordCount(), 1);
        QCOMPARE(child<QLabel>("Sproget")->text(), QStringLiteral("Dansk"));
        // Not offered again once the window is up.
        QTRY_COMPARE(m_checked->count(), 1);
        QCOMPARE(m_dialogs->shown.size(), 2);
    }

    // Damage that reading does not run into (a page nothing uses) is found by the check that
    // runs once the window is up, and the offer comes then.
    void aDamagedDatabaseThatStillReadsIsOfferedOnceTheWindowIsUp_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("restored") << int(toolkit::mrYes);
        QTest::newRow("declined") << int(toolkit::mrNo);
    }

    void aDamagedDatabaseThatStillReadsIsOfferedOnceTheWindowIsUp() {
        QFETCH(int, answer);
        addPlant(QStringLiteral("Rose"), QStringLiteral("Rosaceae"));
        writeTheBackup();
        addPlant(QStringLiteral("Lilje"), QStringLiteral("Liliaceae"));
        damageDatabase([](QByteArray& bytes) {
            // One page more than anything uses, and the header counting it.
            const quint32 pages = qFromBigEndian<quint32>(bytes.constData() + 28);
            const quint16 pageSize = qFromBigEndian<quint16>(bytes.constData() + 16);
            QCOMPARE(qsizetype(pages) * pageSize, bytes.size());
            bytes.append(QByteArray(pageSize, '\0'));
            qToBigEndian<quint32>(pages + 1, bytes.data() + 28);
        });

        m_dialogs->answers << answer;
        start();
        QVERIFY(m_dm->PlanteTable->Active());
        QTRY_COMPARE(m_checked->count(), 1);
        QCOMPARE(m_dialogs->shown.size(), 2);
        QCOMPARE(m_dialogs->shown.first().type, toolkit::MsgType::Confirmation);
        QVERIFY2(m_dialogs->shown.first().text.contains(
                     QStringLiteral("Verdamo-2020-01-01-100000.zip (lavet ")),
                 qPrintable(m_dialogs->shown.first().text));
        for (store::Table* t : m_dm->tablesInOpeningOrder()) {
            QVERIFY2(t->Active(), qPrintable(t->objectName()));
        }
        if (answer == toolkit::mrNo) {
            QVERIFY(m_dialogs->shown.last().text.startsWith(
                QStringLiteral("De beskadigede filer er ikke ændret.")));
            QCOMPARE(m_dm->PlanteTable->RecordCount(), 2);
        } else {
            QVERIFY(m_dialogs->shown.last().text.startsWith(
                QStringLiteral("Sikkerhedskopien er gendannet.")));
            QCOMPARE(m_dm->PlanteTable->RecordCount(), 1);
            QVERIFY(store::Session::database(QString::fromLatin1(data::TDM::Alias))->integrityOk());
        }
        // Asked once per start.
        QTest::qWait(100);
        QCOMPARE(m_dialogs->shown.size(), 2);
        QCOMPARE(m_checked->count(), 1);
    }

    void theChooserListsOnlyWhatTheFilterLeaves() {
        addPlant(QStringLiteral("Rose"), QStringLiteral("Rosaceae"), QStringLiteral("Rosa canina"));
        addPlant(QStringLiteral("Tulipan"), QStringLiteral("Liliaceae"));
        addPlant(QStringLiteral("Rose"), QStringLiteral("Rosaceae"), QStringLiteral("Rosa rugosa"));
        addPlant(QStringLiteral("Æble"), QStringLiteral("Rosaceae"));
        start();
        // A filter left on the shared plant table by another window.
        m_dm->PlanteTable->setFilter(QStringLiteral("Familie = 'Rosaceae'"));
        m_dm->PlanteTable->setFiltered(true);
        QTest::mouseClick(child<toolkit::SpeedButton>("SpeedButton1"), Qt::LeftButton);
        QVERIFY(m_form->chooserShown());
        QVERIFY(child<toolkit::SpeedButton>("SpeedButton1")->isHidden());
        auto* chooser = child<app::PlantChooser>("DBLookupComboBox1");
        QVERIFY(chooser->isVisible());
        QVERIFY(chooser->hasFocus());
        QVERIFY(child<QLabel>("Label1")->isVisible());
        QVERIFY(child<toolkit::SpeedButton>("SpeedButton3")->isVisible());
        QCOMPARE(chooser->shownEntries(),
                 (QStringList{QStringLiteral("Rose — Rosa canina"),
                              QStringLiteral("Rose — Rosa rugosa"), QStringLiteral("Æble")}));
        // Picking the second of two plants of one name opens that one; the chooser hides
        // again when the window closes.
        m_dm->PlanteTable->Last();
        const Opened seen = whenOpened([&] { chooser->pickShown(1); });
        QCOMPARE(seen.title, QStringLiteral("Registrering af planter"));
        QCOMPARE(seen.regnr, 3);
        QVERIFY(!m_form->chooserShown());
        QVERIFY(!chooser->isVisible());
        // The menu items keep the chooser's state; the big buttons hide it.
        QTest::mouseClick(child<toolkit::SpeedButton>("SpeedButton1"), Qt::LeftButton);
        // The name catalogue opens modally; it is closed as soon as it is up.
        QTimer::singleShot(50, [] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                w->close();
            }
        });
        action("Navne1")->trigger();
        QVERIFY(m_form->chooserShown());
        // The overview opens modally; it is closed as soon as it is up.
        QString opened;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                opened = w->objectName();
                w->close();
            }
        });
        closer.start(10);
        QTest::mouseClick(child<toolkit::SpeedButton>("SpeedButton2"), Qt::LeftButton);
        closer.stop();
        QCOMPARE(opened, QStringLiteral("TOversigtForm"));
        QVERIFY(!m_form->chooserShown());
    }

    // Danish order, the Latin name beside the name, and typing narrows the list by either.
    // F1 opens the help from the main window and from every window over it; Ctrl+Q ends the
    // program as "Afslut" does.
    void f1OpensTheHelpAndCtrlQEndsTheProgram() {
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openUrl");
        m_opened.clear();
        start();
        QTest::keyClick(m_form.get(), Qt::Key_F1);
        QCOMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile(m_form->helpPage())});
        QCOMPARE(action("Help")->shortcut(), QKeySequence(Qt::Key_F1));
        QString opened;
        QTimer helper;
        connect(&helper, &QTimer::timeout, [&] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                opened = w->objectName();
                QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, Qt::Key_F1);
                w->close();
            }
        });
        helper.start(10);
        QTest::mouseClick(child<toolkit::SpeedButton>("SpeedButton5"), Qt::LeftButton);
        helper.stop();
        QCOMPARE(opened, QStringLiteral("THaveForm"));
        QCOMPARE(m_opened.size(), 2);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(action("Afslut")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        QTest::keyClick(m_form.get(), Qt::Key_Q, Qt::ControlModifier);
        QTRY_VERIFY(!m_form->isVisible());
        // It ended as by "Afslut": the size was stored.
        QVERIFY(data::readSetting(QStringLiteral("W_Main")) > 0);
    }

    void theChooserFindsAsTheUserTypes() {
        addPlant(QStringLiteral("Åkande"), QStringLiteral("Nymphaeaceae"),
                 QStringLiteral("Nymphaea alba"));
        addPlant(QStringLiteral("rose"), QStringLiteral("Rosaceae"), QStringLiteral("Rosa rugosa"));
        addPlant(QStringLiteral("Ærteblomst"), QStringLiteral("Fabaceae"),
                 QStringLiteral("Lathyrus odoratus"));
        addPlant(QStringLiteral("Øjentrøst"), QStringLiteral("Orobanchaceae"));
        addPlant(QStringLiteral("Rose"), QStringLiteral("Rosaceae"), QStringLiteral("Rosa canina"));
        addPlant(QStringLiteral("Akeleje"), QStringLiteral("Ranunculaceae"),
                 QStringLiteral("Aquilegia"));
        start();
        QTest::mouseClick(child<toolkit::SpeedButton>("SpeedButton1"), Qt::LeftButton);
        auto* chooser = child<app::PlantChooser>("DBLookupComboBox1");
        QCOMPARE(
            chooser->shownEntries(),
            (QStringList{QStringLiteral("Akeleje — Aquilegia"),
                         QStringLiteral("Rose — Rosa canina"), QStringLiteral("rose — Rosa rugosa"),
                         QStringLiteral("Ærteblomst — Lathyrus odoratus"),
                         QStringLiteral("Øjentrøst"), QStringLiteral("Åkande — Nymphaea alba")}));
        QCOMPARE(chooser->count(), 6);
        QLineEdit* box = chooser->lineEdit();
        typeInto(box, QStringLiteral("ros"));
        QCOMPARE(box->text(), QStringLiteral("ros"));
        QCOMPARE(chooser->shownNumbers(), (QList<int>{5, 2}));
        QVERIFY(chooser->narrowedList()->popup()->isVisible());
        // By the Latin name too.
        typeInto(box, QStringLiteral("a c"));
        QCOMPARE(chooser->shownNumbers(), QList<int>{5});
        // Enter with one plant left opens it.
        const Opened one = whenOpened([&] { press(box, Qt::Key_Return); });
        QCOMPARE(one.regnr, 5);
        QVERIFY(!m_form->chooserShown());
        // Down and Enter in the narrowed list open the plant picked there.
        QTest::mouseClick(child<toolkit::SpeedButton>("SpeedButton1"), Qt::LeftButton);
        QCOMPARE(chooser->shownNumbers().size(), 6);  // shown again: nothing typed yet
        typeInto(box, QStringLiteral("rose"));
        QVERIFY(chooser->narrowedList()->popup()->isVisible());
        const Opened second = whenOpened([&] {
            press(box, Qt::Key_Down);
            press(box, Qt::Key_Down);
            press(box, Qt::Key_Return);
        });
        QCOMPARE(second.regnr, 2);
        // A name two plants share is no choice: Enter shows both instead.
        QTest::mouseClick(child<toolkit::SpeedButton>("SpeedButton1"), Qt::LeftButton);
        typeInto(box, QStringLiteral("rose"));
        chooser->narrowedList()->popup()->hide();
        const Opened none = whenOpened([&] { QTest::keyClick(box, Qt::Key_Return); });
        QCOMPARE(none.title, QString());
        QVERIFY(chooser->narrowedList()->popup()->isVisible());
        QVERIFY(m_form->chooserShown());
        press(box, Qt::Key_Escape);
        QVERIFY(!chooser->narrowedList()->popup()->isVisible());
        // Nothing matching: no list, nothing opened.
        box->clear();
        typeInto(box, QStringLiteral("zz"));
        QVERIFY(chooser->shownNumbers().isEmpty());
        QVERIFY(!chooser->narrowedList()->popup()->isVisible());
        const Opened nothing = whenOpened([&] { QTest::keyClick(box, Qt::Key_Return); });
        QCOMPARE(nothing.title, QString());
        // The full list under the arrow picks exactly as well.
        const Opened fromList = whenOpened([&] { Q_EMIT chooser->activated(2); });
        QCOMPARE(fromList.regnr, 2);
    }

    void aNewPlantLeftWithoutANameGivesItsNumberBack() {
        addPlant(QStringLiteral("Rose"), QStringLiteral("Rosaceae"));
        start();
        // "Ny plante", then "Luk" in the registration window as soon as it is up.
        auto newPlant = [&] {
            QTest::mouseClick(child<toolkit::SpeedButton>("SpeedButton1"), Qt::LeftButton);
            int regnr = -1;
            QTimer::singleShot(0, [&] {
                if (QWidget* w = QApplication::activeModalWidget()) {
                    regnr = m_dm->PlanteTable->FieldByName(QStringLiteral("Regnr")).AsInteger();
                    if (auto* luk = w->findChild<QToolButton*>(QStringLiteral("SpeedButton2"))) {
                        luk->click();
                    }
                }
            });
            QTest::mouseClick(child<toolkit::SpeedButton>("SpeedButton3"), Qt::LeftButton);
            return regnr;
        };
        QCOMPARE(newPlant(), 2);
        QVERIFY(!m_form->chooserShown());
        QCOMPARE(m_dm->PlanteTable->RecordCount(), 1);
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")),
                 QStringList{plants::TRegForm::nameMissingText(-1)});
        QCOMPARE(newPlant(), 2);
    }

    void storeMainSize(const QVariant& width, const QVariant& height) {
        data::TDM dm;
        dm.ConfigTable->Open();
        data::writeSettings(
            {{QStringLiteral("W_Main"), width}, {QStringLiteral("H_Main"), height}});
    }

    // Nothing stored, nothing, less, or smaller than the window lets a user make it: the
    // design size, never a sliver that is then stored again.
    void aSizeNoUserCouldHaveChosenGivesTheDesignSize_data() {
        QTest::addColumn<QVariant>("width");
        QTest::addColumn<QVariant>("height");
        QTest::newRow("nothing stored") << QVariant() << QVariant();
        QTest::newRow("zero") << QVariant(0) << QVariant(0);
        QTest::newRow("negative") << QVariant(-40) << QVariant(-10);
        QTest::newRow("a sliver") << QVariant(6) << QVariant(31);
        QTest::newRow("too small to read") << QVariant(120) << QVariant(90);
        QTest::newRow("too narrow") << QVariant(200) << QVariant(770);
    }

    void aSizeNoUserCouldHaveChosenGivesTheDesignSize() {
        QFETCH(QVariant, width);
        QFETCH(QVariant, height);
        storeMainSize(width, height);
        start();
        QCOMPARE(m_form->frameGeometry().size(), QSize(1032, 770));
        m_form->close();
        QCOMPARE(data::readSetting(QStringLiteral("W_Main")), 1032);
        QCOMPARE(data::readSetting(QStringLiteral("H_Main")), 770);
    }

    // The smallest size the window lets a user give it is kept, and nothing smaller is had.
    void theSmallestSizeAUserCanGiveIsKept() {
        start();
        const QSize frame = m_form->frameGeometry().size() - m_form->size();
        const QSize least = m_form->minimumSize();
        QVERIFY(least.width() > 300 && least.height() > 300);
        QVERIFY(least.width() < 1028 && least.height() < 766);
        m_form->resize(least - QSize(50, 50));
        QCOMPARE(m_form->size(), least);
        m_form->close();
        m_form.reset();
        start();
        QCOMPARE(m_form->frameGeometry().size(), least + frame);
    }

    // A size stored on a larger screen, on a smaller one: cut to its free area, the whole
    // window on it, centred.
    void theWindowOpensWholeOnTheScreen_data() {
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QSize>("stored");
        QTest::addColumn<QSize>("shown");
        QTest::newRow("a laptop") << QRect(0, 0, 1366, 728) << QSize(1900, 1150)
                                  << QSize(1366, 728);
        QTest::newRow("a panel on the left")
            << QRect(60, 0, 1220, 1024) << QSize(1600, 900) << QSize(1220, 900);
        QTest::newRow("it fits") << QRect(0, 0, 1400, 1000) << QSize(1100, 800) << QSize(1100, 800);
        QTest::newRow("a screen smaller than the design")
            << QRect(0, 0, 800, 600) << QSize(1032, 770) << QSize(800, 600);
    }

    void theWindowOpensWholeOnTheScreen() {
        QFETCH(QRect, area);
        QFETCH(QSize, stored);
        QFETCH(QSize, shown);
        storeMainSize(stored.width(), stored.height());
        toolkit::setAvailableAreaOverride(area);
        start();
        const QRect frame = m_form->frameGeometry();
        toolkit::setAvailableAreaOverride(QRect(0, 0, 1400, 1000));
        QCOMPARE(frame.size(), shown);
        QVERIFY2(area.contains(frame),
                 qPrintable(QStringLiteral("%1,%2").arg(frame.x()).arg(frame.y())));
        QVERIFY(std::abs(frame.center().x() - area.center().x()) <= 1);
        QVERIFY(std::abs(frame.center().y() - area.center().y()) <= 1);
    }

    void closingStoresTheSize() {
        start();
        m_form->resize(700, 500);
        const QSize outer = m_form->frameGeometry().size();
        QTest::mouseClick(child<toolkit::SpeedButton>("SpeedButton4"), Qt::LeftButton);
        QVERIFY(!m_form->isVisible());
        QCOMPARE(data::readSetting(QStringLiteral("W_Main")), outer.width());
        QCOMPARE(data::readSetting(QStringLiteral("H_Main")), outer.height());
        QCOMPARE(data::readSetting(QStringLiteral("Sprog")), -1);
        QCOMPARE(m_dm->ConfigTable->State(), DataSetState::Browse);
        // The next start opens at that size.
        m_form.reset();
        m_dm.reset();
        store::Session::closeAll();
        start();
        QCOMPARE(m_form->frameGeometry().size(), outer);
    }

    void aTableThatCannotBeOpenedLeavesTheRestClosed() {
        // A data folder that lacks the garden works table.
        QTemporaryDir dir;
        {
            store::Database db(dir.path(), true);
            for (const store::TableDef& def : data::tableDefs()) {
                if (def.name != QLatin1String("Vexmo.DB")) {
                    db.createTable(def);
                }
            }
            db.insertRow(QStringLiteral("Config.DB"),
                         {-1, 770, 1032, 772, 1032, 770, 1032, 770, 1032});
        }
        store::Session::setAliasPath(QStringLiteral("Vexmo"), dir.path());
        start();
        QCOMPARE(m_dialogs->texts(QStringLiteral("error")).size(), 1);
        QVERIFY(
            m_dialogs->texts(QStringLiteral("error")).first().contains(QStringLiteral("Vexmo.DB")));
        QVERIFY(m_dm->ConfigTable->Active());
        QVERIFY(m_dm->RegTable->Active());
        QVERIFY(m_dm->PlanteTable->Active());
        QVERIFY(!m_dm->HaveTable->Active());
        QVERIFY(!m_dm->NavneTable->Active());
        QVERIFY(m_form->isVisible());
        QTest::mouseClick(child<toolkit::SpeedButton>("SpeedButton1"), Qt::LeftButton);
        QVERIFY(m_form->chooserShown());  // the window still works
    }

    // A start that stopped before the language was read keeps the stored one.
    void settingsNeverReadAreNeverWrittenBack() {
        QTemporaryDir dir;
        {
            store::Database db(dir.path(), true);
            for (const store::TableDef& def : data::tableDefs()) {
                if (def.name != QLatin1String("Navne.db")) {
                    db.createTable(def);
                }
            }
            db.insertRow(QStringLiteral("Config.DB"),
                         {3, 600, 800, 772, 1032, 770, 1032, 770, 1032});
        }
        store::Session::setAliasPath(QStringLiteral("Vexmo"), dir.path());
        start();
        QCOMPARE(m_dialogs->texts(QStringLiteral("error")).size(), 1);
        QCOMPARE(m_form->ActiveLanguage(), -1);  // not applied: the start stopped before
        m_form->resize(500, 400);
        const QSize outer = m_form->frameGeometry().size();
        m_form->close();
        QCOMPARE(data::readSetting(QStringLiteral("Sprog")), 3);
        // The size was read and applied, so the one the user gave it is kept.
        QCOMPARE(data::readSetting(QStringLiteral("W_Main")), outer.width());
    }

    void aWrongAliasIsShownAndNothingIsMadeUnasked_data() {
        QTest::addColumn<QString>("aliases");  // %1: the data folder of the test
        QTest::addColumn<QString>("shows");
        QTest::newRow("a mistyped section") << "[Vexmoo]\nPATH=%1\n"
                                            << "[Vexmoo]\nPATH=%1";
        QTest::newRow("a folder that is not there") << "[Vexmo]\nPATH=%1/flyttet\n"
                                                    << "%1/flyttet";
        QTest::newRow("a folder without the database") << "[Vexmo]\nPATH=%1/Billeder\n"
                                                       << "%1/Billeder";
    }

    void aWrongAliasIsShownAndNothingIsMadeUnasked() {
        QFETCH(QString, aliases);
        QFETCH(QString, shows);
        QDir(m_folder->path()).mkdir(QStringLiteral("Billeder"));
        const QString file = store::Session::aliasFile();
        const QString text = aliases.arg(m_folder->path());
        writeAliases(text);
        // Cancelled: the window stays open without tables, and nothing is made or changed.
        m_dialogs->answers = {toolkit::mrCancel};
        start();
        QCOMPARE(m_dialogs->shown.size(), 1);
        const auto& asked = m_dialogs->shown.first();
        QCOMPARE(asked.type, toolkit::MsgType::Warning);
        QCOMPARE(asked.buttons, toolkit::Button::OK | toolkit::Button::Cancel);
        QVERIFY2(asked.text.contains(file), qPrintable(asked.text));
        QVERIFY2(asked.text.contains(shows.arg(m_folder->path())), qPrintable(asked.text));
        QVERIFY(!m_dm->ConfigTable->Active());
        QVERIFY(!m_dm->PlanteTable->Active());
        QVERIFY(m_form->isVisible());
        m_form->close();
        QCOMPARE(readAliases(), text);
        QVERIFY(
            !QFileInfo::exists(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)));

        // Chosen: the folder with the data is written to the alias and opened.
        m_form.reset();
        m_dm.reset();
        m_dialogs->shown.clear();
        m_dialogs->answers = {toolkit::mrOk};
        m_dialogs->files = {m_folder->path()};
        start();
        QCOMPARE(m_dialogs->texts(QStringLiteral("folder")).size(), 1);
        QVERIFY(m_dm->NavneTable->Active());
        QCOMPARE(data::dataFolder(), m_folder->path());
        QVERIFY(readAliases().contains(QStringLiteral("[Vexmo]\nPATH=") + m_folder->path()));
    }

    void aChosenFolderWithoutDataIsMadeOnlyWhenAsked() {
        writeAliases(QStringLiteral("[Vexmo]\nPATH=/no/such/place\n"));
        QTemporaryDir empty;
        // Declined: asked again; then cancelled.
        m_dialogs->answers = {toolkit::mrOk, toolkit::mrNo, toolkit::mrCancel};
        m_dialogs->files = {empty.path()};
        start();
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")).size(), 3);
        QVERIFY(m_dialogs->texts(QStringLiteral("message")).at(1).contains(empty.path()));
        QCOMPARE(m_dialogs->shown.at(2).buttons, toolkit::Button::Yes | toolkit::Button::No);
        QVERIFY(!data::holdsDatabase(empty.path()));
        QVERIFY(!m_dm->ConfigTable->Active());
        m_form.reset();
        m_dm.reset();
        // Accepted: a new, empty database there, and the alias names it.
        m_dialogs->shown.clear();
        m_dialogs->answers = {toolkit::mrOk, toolkit::mrYes};
        m_dialogs->files = {empty.path()};
        start();
        QVERIFY(data::holdsDatabase(empty.path()));
        QCOMPARE(data::dataFolder(), empty.path());
        QVERIFY(m_dm->NavneTable->Active());
        QCOMPARE(m_dm->PlanteTable->RecordCount(), 0);
        QCOMPARE(m_dialogs->texts(QStringLiteral("error")), QStringList{});
    }

    void aFirstStartMakesTheDataFolderUnasked() {
        data::registerDataFolder();  // as the program does before its first window
        QFile::remove(store::Session::aliasFile());
        store::Session::reloadConfiguration();
        store::Session::closeAll();
        start();
        QVERIFY(m_dialogs->shown.isEmpty());
        QVERIFY(m_dm->NavneTable->Active());
        QCOMPARE(data::dataFolder(),
                 QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
        m_form.reset();
        m_dm.reset();
        store::Session::closeAll();
        QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).removeRecursively();
    }

    // Root may write anywhere, so the program runs as an unprivileged user in a child.
    void aReadOnlyDataFolderIsAnnouncedAndEveryWindowCloses() {
        QTemporaryDir home;
        QVERIFY(QFile::setPermissions(home.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                       QFile::ExeOwner | QFile::ReadOther |
                                                       QFile::ExeOther));
        const QString folder = home.filePath(QStringLiteral("data"));
        QVERIFY(QDir().mkpath(folder));
        {
            store::Database db(folder, true);
            data::createTables(db);
            db.insertRow(QStringLiteral("Haveregnr.db"), {1});
            db.insertRow(QStringLiteral("Vexmo.DB"),
                         {QStringLiteral("Regnr"), QStringLiteral("Arbejdet")},
                         {1, QStringLiteral("Dam")});
        }
        const QByteArray ownHome = qgetenv("HOME");
        qputenv("HOME", home.path().toUtf8());
        store::Session::setAliasPath(QStringLiteral("Vexmo"), folder);
        qputenv("HOME", ownHome);
        store::Session::reloadConfiguration();
        const QString file = QDir(folder).filePath(QString::fromLatin1(store::Database::FileName));
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadOther));
        QVERIFY(QFile::setPermissions(
            folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
        auto restore = qScopeGuard([&] {
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        });
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        child.setProcessEnvironment(env);
        child.setProgram(QCoreApplication::applicationFilePath());
        child.setArguments({QStringLiteral("--read-only-start"), folder});
        child.start();
        QVERIFY(child.waitForFinished(60000));
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                 child.readAllStandardError().constData());
    }

    // A first start (no settings anywhere yet) speaks the desktop's language.
    void aFirstStartFollowsTheDesktopLanguage_data() {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<int>("language");
        QTest::newRow("German desktop") << "de_DE.UTF-8" << 3;
        QTest::newRow("Swedish desktop") << "sv_SE.UTF-8" << 2;
        QTest::newRow("French desktop") << "fr_FR.UTF-8" << -1;
    }

    void aFirstStartFollowsTheDesktopLanguage() {
        QFETCH(QString, lang);
        QFETCH(int, language);
        QTemporaryDir home;
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral(".config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral(".local/share")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("LANG"), lang);
        env.remove(QStringLiteral("LC_ALL"));
        env.remove(QStringLiteral("LC_MESSAGES"));
        env.remove(QStringLiteral("LANGUAGE"));
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        child.setProcessEnvironment(env);
        child.setProgram(QCoreApplication::applicationFilePath());
        child.setArguments({QStringLiteral("--first-start"), QString::number(language)});
        child.start();
        QVERIFY(child.waitForFinished(60000));
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                 child.readAllStandardError().constData());
    }

    void theLanguageMenuHoldsEachLanguageTwice() {
        start();
        QStringList names;
        QList<bool> radio;
        for (QAction* a : m_form->languageEntries()) {
            names << testsupport::withoutMnemonic(a->text());
            radio << a->isCheckable();
        }
        const QStringList five = {QStringLiteral("Dansk"), QStringLiteral("English"),
                                  QStringLiteral("Norsk"), QStringLiteral("Svensk"),
                                  QStringLiteral("Deutsch")};
        QCOMPARE(names, five + five);
        QCOMPARE(radio,
                 (QList<bool>{true, true, true, true, true, false, false, false, false, false}));
        QVERIFY(entry(0)->isChecked());
        QCOMPARE(entry(3)->data().toInt(), 4);  // the tag is index + 2
    }

    void aGeneratedEntrySwitchesAndStoresAtOnce() {
        start();
        entry(3)->trigger();  // Svensk
        QCOMPARE(m_form->ActiveLanguage(), 2);
        QCOMPARE(child<QLabel>("Sproget")->text(), QStringLiteral("Svensk"));
        QCOMPARE(entryText("Help"), QStringLiteral("Hjälp"));
        QCOMPARE(caption("SpeedButton2"), QStringLiteral("Växtöversikt"));
        QCOMPARE(data::readSetting(QStringLiteral("Sprog")), 2);
        QCOMPARE(m_form->helpPage(),
                 app::THovedForm::programFolder() + QStringLiteral("Help/Svensk/index.html"));
        QCOMPARE(
            m_form->findChild<QObject*>(QStringLiteral("AboutBox1"))->property("Url").toString(),
            QUrl::fromLocalFile(m_form->helpPage()).toString());
        QVERIFY(entry(3)->isChecked());
        QVERIFY(!entry(0)->isChecked());
        // Back to Danish: the design texts come back exactly.
        entry(0)->trigger();
        QCOMPARE(caption("SpeedButton2"), QStringLiteral("Planteoversigt"));
        QCOMPARE(caption("SpeedButton1"), QStringLiteral("Registrering af planter"));
        QCOMPARE(entryText("Omskrmstrrelser1"), QStringLiteral("Om skærmstørrelser"));
        QCOMPARE(entryText("Help"), QStringLiteral("Hjælp"));
        QCOMPARE(data::readSetting(QStringLiteral("Sprog")), -1);
    }

    // The menu shows the language that is active, whichever entry chose it; a design entry
    // stores it when the window closes.
    void aDesignEntryShowsTheLanguageItChose() {
        start();
        action("English")->trigger();
        QCOMPARE(m_form->ActiveLanguage(), 0);
        QCOMPARE(caption("SpeedButton2"), QStringLiteral("Plant overview"));
        QCOMPARE(child<QLabel>("Sproget")->text(), QStringLiteral("English"));
        QVERIFY(entry(1)->isChecked());
        QVERIFY(!entry(0)->isChecked());
        QCOMPARE(m_form->helpPage(),
                 app::THovedForm::programFolder() + QStringLiteral("Help/Engelsk/index.html"));
        QCOMPARE(entryText("Help"), QStringLiteral("Help"));
        QCOMPARE(data::readSetting(QStringLiteral("Sprog")), -1);
        action("Deutsch")->trigger();
        QVERIFY(entry(4)->isChecked());
        action("Dansk")->trigger();
        QVERIFY(entry(0)->isChecked());
        QCOMPARE(entryText("Help"), QStringLiteral("Hjælp"));
        QCOMPARE(m_form->helpPage(),
                 app::THovedForm::programFolder() + QStringLiteral("Help/Dansk/index.html"));
        action("English")->trigger();
        m_form->close();
        QCOMPARE(data::readSetting(QStringLiteral("Sprog")), 0);
    }

    // Alt and a letter picks one language: the generated entries get letters of their own.
    void everyLanguageEntryHasAnAltLetterOfItsOwn() {
        start();
        QSet<QChar> letters;
        for (QAction* a : m_form->languageEntries()) {
            const qsizetype amp = a->text().indexOf(u'&');
            QVERIFY2(amp >= 0, qPrintable(a->text()));
            const QChar letter = a->text().at(amp + 1).toLower();
            QVERIFY2(!letters.contains(letter), qPrintable(a->text()));
            letters.insert(letter);
        }
        QCOMPARE(letters.size(), 10);
    }

    void qtsOwnDialogsFollowTheLanguage() {
        start();
        entry(4)->trigger();  // Deutsch
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"),
                 QStringLiteral("Abbrechen"));
        entry(0)->trigger();
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"),
                 QStringLiteral("Annuller"));
        entry(3)->trigger();  // Qt has no Swedish: its own English texts
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
    }

    void theAboutNoticeNamesTheLicenceInEveryLanguage_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("version");
        QTest::newRow("Dansk") << 0 << "version 3 eller senere";
        QTest::newRow("English") << 1 << "version 3 or later";
        QTest::newRow("Norsk") << 2 << "versjon 3 eller senere";
        QTest::newRow("Svensk") << 3 << "version 3 eller senare";
        QTest::newRow("Deutsch") << 4 << "Version 3 oder später";
    }

    void theAboutNoticeNamesTheLicenceInEveryLanguage() {
        QFETCH(int, position);
        QFETCH(QString, version);
        start();
        entry(position)->trigger();
        auto* box = child<widgets::TAboutBox>("AboutBox1");
        const QString notice = box->Warning();
        QVERIFY2(notice.contains(QStringLiteral("GNU General Public License")), qPrintable(notice));
        QVERIFY2(notice.contains(version), qPrintable(notice));
        // Copying is what the licence allows: no notice may threaten it.
        for (const char* threat :
             {"retsforfulgt", "prosecuted", "rettsforfulgt", "lagföras", "verfolgt"}) {
            QVERIFY2(!notice.contains(QLatin1String(threat)), threat);
        }
        QVERIFY(!box->Copyright().contains(QStringLiteral("forbeholdes")));
        // The whole notice is readable in the window's small print.
        widgets::TAboutWnd wnd(box);
        auto* small = wnd.findChild<QLabel*>(QStringLiteral("lblWarning"));
        QCOMPARE(small->text(), notice);
        QVERIFY2(small->heightForWidth(small->width()) <= small->height(),
                 qPrintable(QString::number(small->heightForWidth(small->width()))));
    }

    void theStoredLanguageIsAppliedAtStart() {
        storeLanguage(3);
        start();
        QCOMPARE(m_form->ActiveLanguage(), 3);
        QCOMPARE(child<QLabel>("Sproget")->text(), QStringLiteral("Deutsch"));
        QVERIFY(entry(4)->isChecked());
        QCOMPARE(m_form->helpPage(),
                 app::THovedForm::programFolder() + QStringLiteral("Help/Tysk/index.html"));
        QVERIFY(caption("SpeedButton4") != QStringLiteral("Afslut"));
        QCOMPARE(entryText("Help"), QStringLiteral("Hilfe"));  // the localizer's caption
    }

    void aStoredLanguageOutOfRangeIsShownAsAnError() {
        storeLanguage(7);
        start();
        QCOMPARE(m_dialogs->texts(QStringLiteral("error")),
                 QStringList{QStringLiteral("Index out of bounds (7)")});
        QCOMPARE(m_form->ActiveLanguage(), -1);
        QCOMPARE(child<QLabel>("Sproget")->text(), QStringLiteral("Dansk"));
        QVERIFY(m_dm->NavneTable->Active());  // the tables were open before
    }

    void theContentsScaleWithTheWindow() {
        start();
        auto* overview = child<toolkit::SpeedButton>("SpeedButton2");
        const QRect design = overview->geometry();
        const QRectF designTitle = child<app::artwork::Lettering>("RxLabel1")->letteringRect();
        QVERIFY(!designTitle.isEmpty());
        const QSize client = m_form->centralWidget()->size();
        m_form->resize(m_form->size() + client);  // the client area doubled
        QTRY_COMPARE(m_form->centralWidget()->size(), client * 2);
        // Scaled from the recorded layout, so within a pixel or two of twice the design.
        const QRect big = overview->geometry();
        QVERIFY2(std::abs(big.x() - 2 * design.x()) <= 2 &&
                     std::abs(big.width() - 2 * design.width()) <= 2 &&
                     std::abs(big.y() - 2 * design.y()) <= 2 &&
                     std::abs(big.height() - 2 * design.height()) <= 2,
                 qPrintable(QStringLiteral("%1,%2 %3x%4")
                                .arg(big.x())
                                .arg(big.y())
                                .arg(big.width())
                                .arg(big.height())));
        QVERIFY(overview->font().pixelSize() >= 30 && overview->font().pixelSize() <= 33);
        QCOMPARE(child<QLabel>("Image3")->size(), client * 2);  // the background fills
        // The pictures are drawn for their new boxes, the title's lettering twice as high.
        auto* ivy = child<QLabel>("Image1");
        QCOMPARE(ivy->pixmap().deviceIndependentSize().toSize(), ivy->size());
        auto* title = child<app::artwork::Lettering>("RxLabel1");
        QVERIFY(std::abs(title->letteringRect().height() - 2 * designTitle.height()) < 3);
        m_form->resize(m_form->size() - client);
        QTRY_COMPARE(overview->geometry(), design);
        QCOMPARE(overview->font().pixelSize(), 16);
        QCOMPARE(overview->font().bold(), true);
    }

    void theNotices() {
        start();
        action("Dataplacering1")->trigger();
        QCOMPARE(m_dialogs->texts(QStringLiteral("notice")),
                 QStringList{QStringLiteral("Data for dette program er placeret i: \n\r\n\r") +
                             m_folder->path() +
                             QStringLiteral(
                                 "\n\r\n\rDet er meget vigtigt, at du sikkerhedskopierer filer i "
                                 "datamappen mindst en gang om dagen!\n\r\n\rVIGTIGT!\n\rDette "
                                 "program må IKKE være åbent under sikkerhedskopiering af data.")});
        action("Omskrmstrrelser1")->trigger();
        const auto& box = m_dialogs->shown.last();
        QCOMPARE(box.type, toolkit::MsgType::Information);
        QCOMPARE(box.buttons, toolkit::Buttons(toolkit::Button::OK));
        QCOMPARE(box.text.size(), 507);
        QVERIFY(box.text.startsWith(QStringLiteral("SKÆRMSTØRRELSER\n\r\n\rI dag findes")));
        QVERIFY(box.text.contains(QStringLiteral("denne PC.  Placér")));
        QVERIFY(box.text.contains(QStringLiteral("størrelse. \n\r\n\rBEMÆRK\n\rDen størrelse")));
        QVERIFY(box.text.endsWith(QStringLiteral("næste gang du åbner dette program!")));
    }

    // "Hjælp" opens the page of the active language; a language without its page gets the
    // Danish one; no page at all is said, not left to the desktop.
    void helpOpensAPageThatIsThere() {
        UrlRecorder opened;
        start();
        action("Help")->trigger();
        QCOMPARE(opened.urls,
                 QStringList{QUrl::fromLocalFile(app::THovedForm::programFolder() +
                                                 QStringLiteral("Help/Dansk/index.html"))
                                 .toString()});
        entry(4)->trigger();  // Deutsch
        action("Help")->trigger();
        QVERIFY(opened.urls.last().endsWith(QStringLiteral("Help/Tysk/index.html")));
        QVERIFY(m_dialogs->shown.isEmpty());
        // No help installed: told in the language.
        action("Help")->setToolTip(QStringLiteral("/nowhere/Help/Tysk/index.html"));
        action("Help")->trigger();
        QCOMPARE(opened.urls.size(), 2);
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")),
                 QStringList{QStringLiteral("Es ist keine Hilfe installiert: Die Seite "
                                            "/nowhere/Help/Tysk/index.html gibt es nicht.")});
        entry(0)->trigger();
    }

    void aLanguageWithoutItsHelpPageGetsTheDanishOne() {
        QTemporaryDir folder;
        QVERIFY(QDir().mkpath(folder.filePath(QStringLiteral("Help/Dansk"))));
        QFile page(folder.filePath(QStringLiteral("Help/Dansk/index.html")));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.close();
        const QString root = folder.path() + QLatin1Char('/');
        QCOMPARE(app::THovedForm::helpPageOf(0, root),
                 root + QStringLiteral("Help/Dansk/index.html"));
        QCOMPARE(app::THovedForm::helpPageOf(-1, root),
                 root + QStringLiteral("Help/Dansk/index.html"));
    }

    // The about window's link line names the help page by its title, whole.
    void theAboutLinkNamesTheHelpPage() {
        start();
        auto* box = child<widgets::TAboutBox>("AboutBox1");
        QCOMPARE(box->UrlCaption(), QStringLiteral("Verdamo – Hjælp"));
        QCOMPARE(box->Url(), QUrl::fromLocalFile(m_form->helpPage()).toString());
        entry(1)->trigger();
        QCOMPARE(box->UrlCaption(), QStringLiteral("Verdamo – Help"));
        widgets::TAboutWnd wnd(box);
        auto* link = wnd.findChild<QLabel*>(QStringLiteral("lblUrl"));
        QCOMPARE(link->text(), QStringLiteral("Verdamo – Help"));
        QVERIFY(link->width() >= link->sizeHint().width());
        entry(0)->trigger();
    }

    // A language file that is missing or cannot be read is told once, in words.
    void anUnreadableLanguageFileIsToldOnce() {
        QTemporaryDir files;
        const QString unreadable = files.filePath(QStringLiteral("English.lng"));
        QVERIFY(QDir().mkpath(unreadable));  // a folder where the file should be
        start();
        m_form->languageSource()->SetLanguages(
            {QStringLiteral("English=") + unreadable, QStringLiteral("Norsk=Norsk.lng"),
             QStringLiteral("Svensk=Svensk.lng"),
             QStringLiteral("Deutsch=") + files.filePath(QStringLiteral("Deutsch.lng"))});
        entry(1)->trigger();
        entry(0)->trigger();
        entry(1)->trigger();
        QCOMPARE(m_dialogs->shown.size(), 1);
        QCOMPARE(m_dialogs->shown.first().type, toolkit::MsgType::Warning);
        QVERIFY2(
            m_dialogs->shown.first().text.startsWith(QStringLiteral("Sprogfilen ") + unreadable),
            qPrintable(m_dialogs->shown.first().text));
        entry(4)->trigger();
        QCOMPARE(m_dialogs->shown.size(), 2);
        QVERIFY(m_dialogs->shown.last().text.contains(QStringLiteral("findes ikke")));
        entry(3)->trigger();  // a file that is there says nothing
        QCOMPARE(m_dialogs->shown.size(), 2);
        entry(0)->trigger();
    }

    void theHelpPagesAreThere_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("folder");
        QTest::newRow("Danish") << -1 << "Dansk";
        QTest::newRow("English") << 0 << "Engelsk";
        QTest::newRow("Norwegian") << 1 << "Norsk";
        QTest::newRow("Swedish") << 2 << "Svensk";
        QTest::newRow("German") << 3 << "Tysk";
    }

    void theHelpPagesAreThere() {
        QFETCH(int, language);
        QFETCH(QString, folder);
        const QString page = app::THovedForm::helpPageOf(language);
        QCOMPARE(page, app::THovedForm::programFolder() + QStringLiteral("Help/") + folder +
                           QStringLiteral("/index.html"));
        QFile f(page);
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(page));
        const QString html = QString::fromUtf8(f.readAll());
        QVERIFY(html.contains(QStringLiteral("Verdamo")));
        QVERIFY(html.contains(QStringLiteral("Verdamo.sqlite")));
    }
};

namespace {

// The child of the read-only test: the program on a data folder it may only read.
int readOnlyStart(const QString& folder) {
    testsupport::ScriptedDialogs dialogs;
    int failed = 0;
    auto check = [&](bool ok, int code, const char* what) {
        if (!ok && !failed) {
            failed = code;
            std::fprintf(stderr, "read-only start: %s\n", what);
        }
    };
    {
        app::THovedForm form;
        data::TDM dm;
        form.show();
        check(QTest::qWaitForWindowExposed(&form), 21, "the main window shows");
        const QStringList told = dialogs.texts(QStringLiteral("message"));
        check(told.size() == 1 && told.value(0).contains(folder) &&
                  told.value(0).contains(QStringLiteral("skrivebeskyttet")),
              11, "the folder is announced once");
        check(dialogs.shown.value(0).type == toolkit::MsgType::Information, 12, "as a notice");
        check(dm.NavneTable->Active() && dm.PlanteTable->readOnly(), 13, "the tables open");
        // "Ny plante" is refused before any row is started.
        QTest::mouseClick(form.findChild<QToolButton*>(QStringLiteral("SpeedButton1")),
                          Qt::LeftButton);
        QTest::mouseClick(form.findChild<QToolButton*>(QStringLiteral("SpeedButton3")),
                          Qt::LeftButton);
        check(dialogs.texts(QStringLiteral("error")).size() == 1 &&
                  dialogs.texts(QStringLiteral("error")).value(0).contains(folder),
              14, "a new plant is refused with the reason");
        check(dm.PlanteTable->State() == DataSetState::Browse, 15, "no plant left pending");
        // A window shows the data, takes no typing, and closes.
        {
            garden::THaveForm have(form.languageSource());
            have.show();
            check(QTest::qWaitForWindowExposed(&have), 22, "the garden works window shows");
            auto* name = have.findChild<QLineEdit*>(QStringLiteral("DBEdit1"));
            check(name->text() == QStringLiteral("Dam") && name->isReadOnly(), 16,
                  "the work is shown read-only");
            name->setFocus();
            QTest::keyClicks(name, QStringLiteral("x"));
            check(dm.HaveTable->State() == DataSetState::Browse, 17, "typing starts no edit");
            have.close();
            check(!have.isVisible(), 18, "the garden works window closes");
        }
        form.close();
        check(!form.isVisible(), 19, "the main window closes");
    }
    check(dialogs.texts(QStringLiteral("error")).size() == 1, 20, "no further errors");
    return failed;
}

}  // namespace

// The child of the first-start test: no alias file, no data folder, the desktop's language.
int firstStart(int expected) {
    testsupport::ScriptedDialogs dialogs;
    widgets::TJustOne::setDefaultServerName(QDir::home().filePath(QStringLiteral("guard")));
    data::registerDataFolder();
    app::THovedForm form;
    data::TDM dm;
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) {
        std::fprintf(stderr, "the main window does not show\n");
        return 21;
    }
    if (form.ActiveLanguage() != expected ||
        data::readSetting(QStringLiteral("Sprog")) != expected) {
        std::fprintf(stderr, "started in %d, stored %d, not %d\n", form.ActiveLanguage(),
                     data::readSetting(QStringLiteral("Sprog")), expected);
        return 22;
    }
    if (!dialogs.shown.isEmpty()) {
        std::fprintf(stderr, "said: %s\n", qPrintable(dialogs.shown.first().text));
        return 23;
    }
    return 0;
}

int main(int argc, char** argv) {
    const bool readOnlyChild = argc > 2 && qstrcmp(argv[1], "--read-only-start") == 0;
    if (readOnlyChild && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
        return 10;
    }
    toolkit::Application app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    if (argc > 2 && qstrcmp(argv[1], "--first-start") == 0) {
        return firstStart(QByteArray(argv[2]).toInt());
    }
    if (readOnlyChild) {
        QStandardPaths::setTestModeEnabled(true);
        return readOnlyStart(QString::fromLocal8Bit(argv[2]));
    }
    HovedFormTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_hovedform.moc"
