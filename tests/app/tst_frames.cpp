// SPDX-License-Identifier: GPL-3.0-or-later
// Window sizes under a real window manager, which frames a window only after it is shown:
// the size stored is the size the user left, start after start, and a window opens whole on
// the screen. Run by frames.sh on Xvfb with twm.
#include <QScreen>
#include <QtTest>
#include <memory>

#include "app/hovedform.h"
#include "costs/udgiftform.h"
#include "data/dm.h"
#include "data/settings.h"
#include "i18n/langsource.h"
#include "plants/regform.h"
#include "testsupport.h"
#include "toolkit/application.h"
#include "toolkit/form.h"
#include "widgets/justone.h"

class FramesTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_guard;
    std::unique_ptr<testsupport::DataFolder> m_folder;
    std::unique_ptr<testsupport::ScriptedDialogs> m_dialogs;

    static void store(const char* width, const char* height, QSize size) {
        data::TDM dm;
        dm.ConfigTable->Open();
        data::writeSettings(
            {{QLatin1String(width), size.width()}, {QLatin1String(height), size.height()}});
    }
    static QSize stored(const char* width, const char* height) {
        data::TDM dm;
        dm.ConfigTable->Open();
        return {data::readSetting(QLatin1String(width)), data::readSetting(QLatin1String(height))};
    }
    // The window manager's frame round a window, as it framed a plain one.
    QSize m_frame;

    // The outer size the user sees: the window and the frame round it. Qt's own idea of the
    // frame comes and goes while the window manager is at work; the frame does not.
    QSize outer(const QWidget* w) const { return w->size() + m_frame; }

private Q_SLOTS:
    void initTestCase() {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        // The window manager is up once it frames a window (a plain one: the program's own
        // windows still find the frame unknown).
        QWidget probe;
        probe.resize(200, 100);
        probe.show();
        QVERIFY2(
            QTest::qWaitForWindowExposed(&probe) &&
                QTest::qWaitFor([&] { return probe.frameGeometry() != probe.geometry(); }, 20000),
            "no window manager frames the windows");
        m_frame = probe.frameGeometry().size() - probe.size();
        QVERIFY(m_frame.width() > 0 && m_frame.height() > 0);
        // The screens as they are, not the desktop the other tests are given.
        toolkit::setAvailableAreaOverride(QRect());
        testsupport::useDanishFormats();
        widgets::TJustOne::setDefaultServerName(m_guard.filePath(QStringLiteral("guard")));
    }

    void init() {
        m_folder = std::make_unique<testsupport::DataFolder>();
        m_dialogs = std::make_unique<testsupport::ScriptedDialogs>();
    }

    void cleanup() {
        m_dialogs.reset();
        m_folder.reset();
    }

    // The main window opens at the size it was closed with, however often.
    void theMainWindowKeepsItsSize() {
        store("W_Main", "H_Main", QSize(900, 640));
        for (int start = 0; start < 3; ++start) {
            {
                app::THovedForm form;
                data::TDM dm;
                form.show();
                QVERIFY(QTest::qWaitForWindowExposed(&form));
                QTRY_COMPARE(outer(&form), QSize(900, 640));
                form.close();
            }
            QCOMPARE(stored("W_Main", "H_Main"), QSize(900, 640));
        }
    }

    // A window opened after one was framed, and one the user resized.
    void aDialogKeepsItsSize() {
        app::THovedForm main;
        data::TDM dm;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        data::writeSettings({{QStringLiteral("W_Reg"), 1000}, {QStringLiteral("H_Reg"), 700}});
        for (int round = 0; round < 2; ++round) {
            dm.PlanteTable->Insert();
            dm.PlanteTable->FieldByName(QStringLiteral("Plantenavn"))
                .setAsString(QStringLiteral("Rose"));
            plants::TRegForm reg;
            reg.show();
            QVERIFY(QTest::qWaitForWindowExposed(&reg));
            QTRY_COMPARE(outer(&reg), round == 0 ? QSize(1000, 700) : QSize(990, 720));
            if (round == 0) {
                reg.resize(QSize(990, 720) - m_frame);  // as the user drags the frame
                QTRY_COMPARE(outer(&reg), QSize(990, 720));
            }
            reg.close();
            QCOMPARE(QSize(data::readSetting(QStringLiteral("W_Reg")),
                           data::readSetting(QStringLiteral("H_Reg"))),
                     QSize(990, 720));
        }
        main.close();
    }

    // The cost window keeps its size outside the data folder, alike.
    void theCostWindowKeepsItsSize() {
        app::THovedForm main;
        data::TDM dm;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        data::writeWindowSize(QString::fromLatin1(costs::TUdgiftForm::SizeKey), QSize(980, 700));
        for (int round = 0; round < 2; ++round) {
            costs::TUdgiftForm form(main.languageSource());
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            QTRY_COMPARE(outer(&form), QSize(980, 700));
            form.close();
            QCOMPARE(data::readWindowSize(QString::fromLatin1(costs::TUdgiftForm::SizeKey)),
                     QSize(980, 700));
        }
        main.close();
    }

    // A size from a larger screen: the whole window, title bar and all, as large as this
    // one's free area at most (where on it is the window manager's choice).
    void aSizeLargerThanTheScreenIsCut() {
        store("W_Main", "H_Main", QSize(3000, 2000));
        app::THovedForm form;
        data::TDM dm;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QRect area = form.screen()->availableGeometry();
        QTRY_COMPARE(outer(&form), area.size());
        form.close();
        QCOMPARE(stored("W_Main", "H_Main"), area.size());
    }
};

int main(int argc, char** argv) {
    toolkit::Application app(argc, argv);
    FramesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_frames.moc"
