// SPDX-License-Identifier: GPL-3.0-or-later
// Every window in every language: what it says comes from the language's file, its captions
// fit, and its Alt letters are its own.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <functional>
#include <memory>

#include "app/hovedform.h"
#include "backup/backupform.h"
#include "costs/udgiftform.h"
#include "data/dm.h"
#include "data/settings.h"
#include "garden/haveform.h"
#include "i18n/langsource.h"
#include "lists/defform.h"
#include "lists/navneform.h"
#include "overview/oversigtform.h"
#include "plants/billedform.h"
#include "plants/qrform.h"
#include "plants/regform.h"
#include "report/output.h"
#include "store/table.h"
#include "testsupport.h"
#include "toolkit/application.h"
#include "toolkit/dateedit.h"
#include "toolkit/grid.h"
#include "toolkit/navigator.h"
#include "widgets/aboutbox.h"
#include "widgets/aboutwnd.h"
#include "widgets/justone.h"

namespace {

// Texts that are the same in Danish and in the language tested, on purpose: names, marks and
// words the languages share.
const QSet<QString>& shared() {
    static const QSet<QString> texts = {
        QStringLiteral("Verdamo"),
        QStringLiteral("OK"),
        QStringLiteral("Info"),
        QStringLiteral("Dansk"),
        QStringLiteral("English"),
        QStringLiteral("Norsk"),
        QStringLiteral("Svensk"),
        QStringLiteral("Deutsch"),
        QStringLiteral("Sprog/Language/Sprache"),
        QStringLiteral(".jpg"),
        QStringLiteral("0"),
        QStringLiteral("Information"),
        QStringLiteral("Version:"),
        QStringLiteral("Kalender"),
        QStringLiteral("Material"),
        QStringLiteral("Verdamo ®"),
        QStringLiteral("Systeminfo..."),
        QStringLiteral("Ja"),
        widgets::versionText(QStringLiteral(VERDAMO_VERSION)),
    };
    return texts;
}

struct Window {
    const char* name;
    std::function<std::unique_ptr<QWidget>(i18n::TQLanguageSource*)> make;
    // Shown in every state it has: the chooser, the materials panel.
    std::function<void(QWidget*)> otherState = nullptr;
};

template <class T>
T* child(QWidget* w, const char* name) {
    return w->findChild<T*>(QString::fromLatin1(name));
}

QString problems(const QStringList& list) {
    return list.join(u'\n');
}

}  // namespace

class LanguagesTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_guard;
    std::unique_ptr<testsupport::DataFolder> m_folder;
    std::unique_ptr<testsupport::ScriptedDialogs> m_dialogs;
    std::unique_ptr<app::THovedForm> m_main;
    std::unique_ptr<data::TDM> m_dm;
    QHash<QString, QString> m_danish;  // Danish text -> where it was seen
    widgets::TAboutBox* m_about = nullptr;

    void setLanguage(int language) { m_main->languageEntries().value(language + 1)->trigger(); }

    QList<Window> windows() {
        auto* about = m_about;
        return {
            {"HovedForm", nullptr,
             [](QWidget* w) { child<QToolButton>(w, "SpeedButton1")->click(); }},
            {"RegForm", [](auto*) { return std::make_unique<plants::TRegForm>(); }},
            {"OversigtForm", [](auto*) { return std::make_unique<overview::TOversigtForm>(); }},
            {"HaveForm", [](auto* s) { return std::make_unique<garden::THaveForm>(s); },
             [](QWidget* w) { child<QPushButton>(w, "Button5")->click(); }},
            {"NavneForm", [](auto* s) { return std::make_unique<lists::TNavneForm>(s); }},
            {"DefForm", [](auto* s) { return std::make_unique<lists::TDefForm>(s); }},
            {"UdgiftForm", [](auto* s) { return std::make_unique<costs::TUdgiftForm>(s); }},
            {"SikkerhedskopiForm",
             [](auto* s) {
                 return std::make_unique<backup::TSikkerhedskopiForm>(s, s->ActiveLanguage());
             }},
            {"AboutWnd", [about](auto*) { return std::make_unique<widgets::TAboutWnd>(about); }},
            {"Preview",
             [](auto*) {
                 plants::TQRForm report;
                 return std::unique_ptr<QWidget>(report::createPreviewDialog(
                     report.build(), plants::TQRForm::title(), nullptr));
             }},
        };
    }

    // Runs the check on every window of the program, shown as the user opens it, in each
    // of its states.
    void forEachWindow(const std::function<void(const char*, QWidget*)>& check) {
        for (const Window& w : windows()) {
            std::unique_ptr<QWidget> made;
            QWidget* shown = m_main.get();
            if (w.make) {
                made = w.make(m_main->languageSource());
                made->show();
                QVERIFY(QTest::qWaitForWindowExposed(made.get()));
                shown = made.get();
            }
            check(w.name, shown);
            if (w.otherState) {
                w.otherState(shown);
                check(w.name, shown);
                if (!made) {
                    // The chooser hidden again, as closing the registration window leaves it.
                    child<QWidget>(shown, "SpeedButton1")->show();
                    for (const char* c : {"Label1", "DBLookupComboBox1", "SpeedButton3"}) {
                        child<QWidget>(shown, c)->hide();
                    }
                }
            }
            if (made) {
                made->close();
                made->hide();
            }
        }
    }

    // What the windows say that is no data: the date edits' calendar buttons included.
    static QList<testsupport::ShownText> textsOf(QWidget* w) {
        QList<testsupport::ShownText> texts = testsupport::shownTexts(w);
        for (toolkit::DateEdit* d : w->findChildren<toolkit::DateEdit*>()) {
            for (QToolButton* b : d->findChildren<QToolButton*>()) {
                texts.append({d->objectName() + QStringLiteral(" calendar"), b->toolTip()});
            }
        }
        if (auto* preview = qobject_cast<QPrintPreviewDialog*>(w)) {
            for (QAction* a : preview->findChildren<QAction*>()) {
                if (a->objectName() == QLatin1String("savePdfAction")) {
                    texts.append({QStringLiteral("save as PDF"), a->text()});
                }
            }
        }
        return texts;
    }

    // The boxes of the common paths, as the user meets them; every question is declined.
    void boxesOfTheCommonPaths(QList<testsupport::ScriptedDialogs::Shown>& out) {
        m_dialogs->shown.clear();
        auto answer = [this](int result) { m_dialogs->answers = {result}; };
        m_main->findChild<QAction*>(QStringLiteral("Omskrmstrrelser1"))->trigger();
        m_main->findChild<QAction*>(QStringLiteral("Dataplacering1"))->trigger();
        {
            // A new plant left without a name, and a quantity that is no number.
            m_dm->PlanteTable->Insert();
            plants::TRegForm reg;
            reg.show();
            QApplication::setActiveWindow(&reg);
            QVERIFY(QTest::qWaitForWindowActive(&reg));
            auto* quantity = child<QLineEdit>(&reg, "DBEdit12");
            quantity->setFocus();
            QTest::keyClicks(quantity, QStringLiteral("tre"));
            child<QLineEdit>(&reg, "DBEdit2")->setFocus();
            quantity->clear();
            answer(toolkit::mrCancel);
            child<toolkit::DBNavigator>(&reg, "DBNavigator1")
                ->button(toolkit::NavButton::Delete)
                ->click();
            reg.close();
        }
        {
            garden::THaveForm have(m_main->languageSource());
            have.show();
            m_dm->HaveTable->First();
            answer(toolkit::mrNo);
            child<QPushButton>(&have, "Button3")->click();  // delete the work?
            child<QPushButton>(&have, "Button5")->click();
            answer(toolkit::mrNo);
            child<QPushButton>(&have, "Button8")->click();  // delete the material?
            child<QPushButton>(&have, "Button1")->click();  // a new work, closed nameless
            have.close();
        }
        {
            lists::TNavneForm names(m_main->languageSource());
            names.show();
            answer(toolkit::mrNo);
            child<QPushButton>(&names, "Button3")->click();
            names.close();
        }
        {
            lists::TDefForm lists(m_main->languageSource());
            lists.show();
            auto* grid = child<toolkit::DBGrid>(&lists, "DBGrid1");
            grid->setFocus();
            answer(toolkit::mrCancel);
            QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
            lists.close();
        }
        out = m_dialogs->shown;
    }

private Q_SLOTS:
    void initTestCase() {
        testsupport::useDanishFormats();
        widgets::TJustOne::setDefaultServerName(m_guard.filePath(QStringLiteral("guard")));
        m_folder = std::make_unique<testsupport::DataFolder>();
        m_dialogs = std::make_unique<testsupport::ScriptedDialogs>();
        {
            data::TDM dm;
            testsupport::openAll(dm);
            dm.PlanteTable->Insert();
            dm.PlanteTable->FieldByName(QStringLiteral("Plantenavn"))
                .setAsString(QStringLiteral("Rosa"));
            dm.PlanteTable->Post();
            dm.HaveTable->Insert();
            dm.HaveTable->FieldByName(QStringLiteral("Arbejdet"))
                .setAsString(QStringLiteral("Bed"));
            dm.HaveTable->Post();
            dm.MaterialeTable->Insert();
            dm.MaterialeTable->FieldByName(QStringLiteral("Materialer"))
                .setAsString(QStringLiteral("Sand"));
            dm.MaterialeTable->Post();
        }
        m_main = std::make_unique<app::THovedForm>();
        m_dm = std::make_unique<data::TDM>();
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        m_about = m_main->findChild<widgets::TAboutBox*>(QStringLiteral("AboutBox1"));
        QVERIFY(m_about);
        // What the windows say in Danish, to be found nowhere in the other languages.
        forEachWindow([this](const char* name, QWidget* w) {
            for (const auto& t : textsOf(w)) {
                if (!t.text.trimmed().isEmpty()) {
                    m_danish.insert(t.text, QString::fromLatin1(name) + QLatin1Char(' ') + t.where);
                }
            }
        });
        QVERIFY(m_danish.contains(QStringLiteral("Planteoversigt")));
        QVERIFY(m_danish.contains(QStringLiteral("Luk forbrug af materialer")));
        QVERIFY(m_danish.contains(QStringLiteral("Gem som PDF")));
        QVERIFY(m_danish.contains(QStringLiteral("Kalender")));
    }

    void cleanupTestCase() {
        setLanguage(-1);
        m_main.reset();
        m_dm.reset();
        m_dialogs.reset();
        m_folder.reset();
    }

    void noWindowShowsDanishText_data() {
        QTest::addColumn<int>("language");
        QTest::newRow("English") << 0;
        QTest::newRow("German") << 3;
    }

    void noWindowShowsDanishText() {
        QFETCH(int, language);
        setLanguage(language);
        QStringList danish;
        forEachWindow([&](const char* name, QWidget* w) {
            for (const auto& t : textsOf(w)) {
                const bool words =
                    std::any_of(t.text.begin(), t.text.end(), [](QChar c) { return c.isLetter(); });
                if (words && m_danish.contains(t.text) && !shared().contains(t.text)) {
                    danish << QStringLiteral("%1 %2: »%3« (Danish in %4)")
                                  .arg(QLatin1String(name), t.where, t.text,
                                       m_danish.value(t.text));
                }
            }
        });
        setLanguage(-1);
        QVERIFY2(danish.isEmpty(), qPrintable(problems(danish)));
    }

    // The boxes say, title, and answer in the language: nothing of them is Danish.
    void everyBoxSpeaksTheLanguage_data() { noWindowShowsDanishText_data(); }

    void everyBoxSpeaksTheLanguage() {
        QFETCH(int, language);
        QList<testsupport::ScriptedDialogs::Shown> danish;
        boxesOfTheCommonPaths(danish);
        QStringList said;
        for (const auto& b : danish) {
            said << b.kind + QStringLiteral(": ") + b.text.left(40);
        }
        QVERIFY2(danish.size() == 10, qPrintable(said.join(u'\n')));
        setLanguage(language);
        QList<testsupport::ScriptedDialogs::Shown> shown;
        boxesOfTheCommonPaths(shown);
        setLanguage(-1);
        QCOMPARE(shown.size(), danish.size());
        QStringList found;
        auto same = [&](const QString& what, const QString& a, const QString& b) {
            if (a == b && !shared().contains(testsupport::withoutMnemonic(a))) {
                found << what + QStringLiteral(": »") + a + QStringLiteral("«");
            }
        };
        for (qsizetype i = 0; i < shown.size(); ++i) {
            const QString box = QStringLiteral("box %1").arg(i);
            QCOMPARE(shown.at(i).kind, danish.at(i).kind);
            same(box + QStringLiteral(" text"), shown.at(i).text, danish.at(i).text);
            if (shown.at(i).kind == QLatin1String("message")) {
                same(box + QStringLiteral(" title"), shown.at(i).title, danish.at(i).title);
                for (qsizetype b = 0; b < shown.at(i).buttonCaptions.size(); ++b) {
                    same(box + QStringLiteral(" button"), shown.at(i).buttonCaptions.at(b),
                         danish.at(i).buttonCaptions.value(b));
                }
            }
        }
        QVERIFY2(found.isEmpty(), qPrintable(problems(found)));
    }

    void everyCaptionFits_data() {
        QTest::addColumn<int>("language");
        QTest::newRow("Danish") << -1;
        QTest::newRow("English") << 0;
        QTest::newRow("Norwegian") << 1;
        QTest::newRow("Swedish") << 2;
        QTest::newRow("German") << 3;
    }

    void everyCaptionFits() {
        QFETCH(int, language);
        setLanguage(language);
        QStringList cut;
        forEachWindow([&](const char* name, QWidget* w) {
            for (const QString& c : testsupport::cutCaptions(w)) {
                cut << QLatin1String(name) + QStringLiteral(" ") + c;
            }
        });
        setLanguage(-1);
        QVERIFY2(cut.isEmpty(), qPrintable(problems(cut)));
    }

    // Made as small as the window lets itself be made, or half again as large: every caption,
    // title and grid row still shows whole in its scaled font.
    void everyCaptionFitsAtTheSmallestAndALargeSize_data() { everyCaptionFits_data(); }

    void everyCaptionFitsAtTheSmallestAndALargeSize() {
        QFETCH(int, language);
        setLanguage(language);
        QStringList cut;
        int scaled = 0;
        forEachWindow([&](const char* name, QWidget* w) {
            if (!w->findChild<QObject*>(QStringLiteral("FormResizer1"))) {
                return;
            }
            ++scaled;
            const QSize design = w->size();
            QVERIFY2(w->minimumSize().width() < design.width() &&
                         w->minimumSize().height() < design.height(),
                     name);
            for (const QSize size : {QSize(1, 1), design * 3 / 2}) {
                w->resize(size);
                QCoreApplication::processEvents();
                for (const QString& c : testsupport::cutCaptions(w)) {
                    cut << QStringLiteral("%1 at %2 x %3: ")
                                   .arg(QLatin1String(name))
                                   .arg(w->width())
                                   .arg(w->height()) +
                               c;
                }
            }
            w->resize(design);
        });
        setLanguage(-1);
        QCOMPARE(scaled, 7);  // the main window twice, the registration, overview, garden
                              // works (twice) and cost windows
        QVERIFY2(cut.isEmpty(), qPrintable(problems(cut)));
    }

    void everyAltLetterIsItsOwn_data() { everyCaptionFits_data(); }

    void everyAltLetterIsItsOwn() {
        QFETCH(int, language);
        setLanguage(language);
        QStringList found;
        forEachWindow([&](const char* name, QWidget* w) {
            for (const QString& c : testsupport::mnemonicProblems(w)) {
                found << QLatin1String(name) + QStringLiteral(" ") + c;
            }
        });
        setLanguage(-1);
        QVERIFY2(found.isEmpty(), qPrintable(problems(found)));
    }
};

int main(int argc, char** argv) {
    toolkit::Application app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    LanguagesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_languages.moc"
