// SPDX-License-Identifier: GPL-3.0-or-later
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "store/errors.h"
#include "testsupport.h"
#include "toolkit/application.h"
#include "toolkit/dialogs.h"

// Errors that reach the event loop: shown in the standard box, or not at all when silent.
class ToolkitTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void uncaughtErrorsAreShownAndTheProgramGoesOn_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("errors");
        QTest::newRow("program error") << 0 << QStringList{QStringLiteral("Planter.db: Fejl æøå")};
        QTest::newRow("other exception") << 1 << QStringList{QStringLiteral("bad_alloc-ish")};
        QTest::newRow("silent abort") << 2 << QStringList{};
    }

    void uncaughtErrorsAreShownAndTheProgramGoesOn() {
        QFETCH(int, kind);
        QFETCH(QStringList, errors);
        testsupport::ScriptedDialogs dialogs;
        QPushButton button;
        int after = 0;
        connect(&button, &QPushButton::clicked, [kind] {
            if (kind == 0) {
                throw store::Error(QStringLiteral("Planter.db: Fejl æøå"));
            }
            if (kind == 1) {
                throw std::runtime_error("bad_alloc-ish");
            }
            throw store::SilentAbort();
        });
        connect(&button, &QPushButton::pressed, [&] { ++after; });
        button.show();
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(dialogs.texts(QStringLiteral("error")), errors);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(after, 2);  // still handling events
        QCOMPARE(dialogs.texts(QStringLiteral("error")).size(), errors.size() * 2);
    }

    void reportErrorsOutsideTheLoop() {
        testsupport::ScriptedDialogs dialogs;
        // The engine's own words come with what they are.
        toolkit::reportErrors(
            [] { throw store::StoreError(8449, QStringLiteral("disk I/O error")); });
        QCOMPARE(dialogs.texts(QStringLiteral("error")),
                 QStringList{QStringLiteral("Databasen meldte en fejl:\n\rdisk I/O error")});
    }

    // Without a language file, as Danish has none.
    void boxTitlesAndButtonsAreDanishBuiltIn() {
        QCOMPARE(toolkit::Dialogs::titleOf(toolkit::MsgType::Warning), QStringLiteral("Advarsel"));
        QCOMPARE(toolkit::Dialogs::titleOf(toolkit::MsgType::Error), QStringLiteral("Fejl"));
        QCOMPARE(toolkit::Dialogs::titleOf(toolkit::MsgType::Confirmation),
                 QStringLiteral("Bekræft"));
        QCOMPARE(toolkit::Dialogs::titleOf(toolkit::MsgType::Information),
                 QStringLiteral("Information"));
        QCOMPARE(toolkit::Dialogs::captionOf(toolkit::Button::Yes), QStringLiteral("&Ja"));
        QCOMPARE(toolkit::Dialogs::captionOf(toolkit::Button::No), QStringLiteral("&Nej"));
        QCOMPARE(toolkit::Dialogs::captionOf(toolkit::Button::Cancel), QStringLiteral("Annuller"));
        QCOMPARE(int(toolkit::mrYes), 6);
    }

    // Esc answers a box the way that changes nothing; a box with one button closes with it.
    void escapeClosesEveryBox_data() {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("answer");
        using B = toolkit::Button;
        QTest::newRow("yes, no") << int(B::Yes | B::No) << int(toolkit::mrNo);
        QTest::newRow("OK, cancel") << int(B::OK | B::Cancel) << int(toolkit::mrCancel);
        QTest::newRow("yes, no, cancel")
            << int(B::Yes | B::No | B::Cancel) << int(toolkit::mrCancel);
        QTest::newRow("OK") << int(B::OK) << int(toolkit::mrOk);
        QTest::newRow("notice") << 0 << -1;
        QTest::newRow("error") << -1 << -1;
    }

    void escapeClosesEveryBox() {
        QFETCH(int, buttons);
        QFETCH(int, answer);
        toolkit::setDialogs(nullptr);  // the real boxes
        QString shown;
        QTimer esc;
        connect(&esc, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown = box->text();
                QTest::keyClick(box, Qt::Key_Escape);
            }
        });
        esc.start(20);
        int result = -1;
        if (buttons > 0) {
            result = toolkit::dialogs().MessageDlg(QStringLiteral("Spørgsmål?"),
                                                   toolkit::MsgType::Confirmation,
                                                   toolkit::Buttons(buttons));
        } else if (buttons == 0) {
            toolkit::dialogs().ShowMessage(QStringLiteral("Spørgsmål?"));
        } else {
            toolkit::dialogs().ShowError(QStringLiteral("Spørgsmål?"));
        }
        esc.stop();
        QCOMPARE(shown, QStringLiteral("Spørgsmål?"));
        QCOMPARE(result, answer);
    }

    void fileFiltersBecomeQtFilters_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("qt");
        QTest::newRow("one") << "Billede (*.jpg)|*.jpg"
                             << "Billede (*.jpg)";
        QTest::newRow("name without patterns") << "Billeder|*.jpg;*.jpeg"
                                               << "Billeder (*.jpg *.jpeg)";
        QTest::newRow("two") << "A (*.a)|*.a|B|*.b"
                             << "A (*.a);;B (*.b)";
    }

    void fileFiltersBecomeQtFilters() {
        QFETCH(QString, filter);
        QFETCH(QString, qt);
        QCOMPARE(toolkit::qtFileFilter(filter), qt);
    }
};

int main(int argc, char** argv) {
    toolkit::Application app(argc, argv);
    ToolkitTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_toolkit.moc"
