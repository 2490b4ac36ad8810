// SPDX-License-Identifier: GPL-3.0-or-later
#include <QRadioButton>
#include <QtTest>
#include <memory>

#include "data/dm.h"
#include "garden/haveform.h"
#include "garden/qrform2.h"
#include "i18n/langsource.h"
#include "report/output.h"
#include "store/session.h"
#include "testsupport.h"
#include "toolkit/application.h"

namespace {

// Keeps what would have been shown instead of opening the preview.
class CapturingPreviewer final : public report::Previewer {
public:
    CapturingPreviewer() { report::setPreviewer(this); }
    ~CapturingPreviewer() override { report::setPreviewer(nullptr); }
    void preview(const report::Document& doc, const QString& title) override {
        shown.append(doc);
        titles.append(title);
    }
    QList<report::Document> shown;
    QStringList titles;
};

// The texts of one element name on a page, top to bottom.
QList<report::PlacedText> named(const report::Page& page, const QString& name) {
    QList<report::PlacedText> out;
    for (const report::PlacedText& t : page.texts) {
        if (t.name == name) {
            out.append(t);
        }
    }
    std::sort(out.begin(), out.end(),
              [](const auto& a, const auto& b) { return a.rect.top() < b.rect.top(); });
    return out;
}

QStringList textsOf(const report::Document& doc, const QString& name) {
    QStringList out;
    for (const report::Page& p : doc.pages) {
        for (const report::PlacedText& t : named(p, name)) {
            out << t.text;
        }
    }
    return out;
}

}  // namespace

// The garden works list laid out on the shared tables, and started from the window.
class QRForm2Test : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<testsupport::DataFolder> m_folder;
    std::unique_ptr<testsupport::ScriptedDialogs> m_dialogs;
    std::unique_ptr<data::TDM> m_dm;

    store::Table& have() { return *m_dm->HaveTable; }

    void addWork(const QString& name, const QDate& start = QDate(), const QDate& end = QDate(),
                 const QString& place = QString()) {
        have().Insert();
        have().FieldByName(QStringLiteral("Arbejdet")).setAsString(name);
        have().FieldByName(QStringLiteral("Datostart")).setAsDate(start);
        have().FieldByName(QStringLiteral("Datoslut")).setAsDate(end);
        have().FieldByName(QStringLiteral("Placering")).setAsString(place);
        have().Post();
    }
    void addMaterial(const QString& name, int count, double price, const QString& dealer) {
        m_dm->MaterialeTable->Insert();
        m_dm->MaterialeTableMaterialer->setAsString(name);
        m_dm->MaterialeTableAntal->setAsInteger(count);
        m_dm->MaterialeTablePris->setAsFloat(price);
        m_dm->MaterialeTableForhandler->setAsString(dealer);
        m_dm->MaterialeTable->Post();
    }

    // A work without materials, and one with three.
    void hedgeAndTerrace() {
        addWork(QStringLiteral("Hæk"), QDate(2024, 4, 2), QDate(), QStringLiteral("Skel mod vej"));
        addWork(QStringLiteral("Terrasse"), QDate(2024, 5, 1), QDate(2024, 6, 30),
                QStringLiteral("Syd for huset"));
        addMaterial(QStringLiteral("Fliser"), 40, 12.50, QStringLiteral("Byggemarked"));
        addMaterial(QStringLiteral("Sand"), 3, 45.0, QStringLiteral("Grusgrav"));
        addMaterial(QStringLiteral("Kantsten"), 12, 8.25, QString());
    }

private Q_SLOTS:
    void initTestCase() { testsupport::useDanishFormats(); }

    void init() {
        m_folder = std::make_unique<testsupport::DataFolder>();
        m_dialogs = std::make_unique<testsupport::ScriptedDialogs>();
        m_dm = std::make_unique<data::TDM>();
        testsupport::openAll(*m_dm);
    }

    void cleanup() {
        m_dm.reset();
        m_dialogs.reset();
        m_folder.reset();
    }

    // A work without materials gets one empty line; one with three gets three, each with
    // its unit price.
    void oneLinePerWorkAndPerMaterial() {
        hedgeAndTerrace();
        garden::TQRForm2 report;
        const report::Document doc = report.build();
        QCOMPARE(doc.pageCount(), 1);
        const report::Page& page = doc.pages.first();

        QCOMPARE(textsOf(doc, QStringLiteral("QRLabel1")), QStringList{"Vexmos anlæg"});
        QVERIFY(textsOf(doc, QStringLiteral("QRLabel3")).isEmpty());  // empty prints nothing
        QCOMPARE(textsOf(doc, QStringLiteral("QRLabel2")), QStringList{"Haveanlæg"});
        QCOMPARE(textsOf(doc, QStringLiteral("QRDBText1")), (QStringList{"Hæk", "Terrasse"}));
        QCOMPARE(textsOf(doc, QStringLiteral("QRDBText2")),
                 (QStringList{"02-04-2024", "01-05-2024"}));
        QCOMPARE(textsOf(doc, QStringLiteral("QRDBText3")), QStringList{"30-06-2024"});
        QCOMPARE(textsOf(doc, QStringLiteral("QRDBText6")),
                 (QStringList{"Fliser", "Sand", "Kantsten"}));
        QCOMPARE(textsOf(doc, QStringLiteral("QRDBText5")), (QStringList{"40", "3", "12"}));
        QCOMPARE(textsOf(doc, QStringLiteral("QRDBText7")),
                 (QStringList{"Byggemarked", "Grusgrav"}));
        // The unit price, not 40 x 12,50.
        QCOMPARE(textsOf(doc, QStringLiteral("QRDBText8")),
                 (QStringList{QLocale().toCurrencyString(12.5), QLocale().toCurrencyString(45.0),
                              QLocale().toCurrencyString(8.25)}));

        // Bands follow each other: work, its (empty) material line and its total, work, three
        // lines and the total.
        const auto works = named(page, QStringLiteral("QRDBText1"));
        const auto lines = named(page, QStringLiteral("QRDBText6"));
        QCOMPARE(works.size(), 2);
        QCOMPARE(lines.size(), 3);
        const double band = 6.6;
        QVERIFY(qAbs(works[1].rect.top() - works[0].rect.top() - 3 * band) < 0.01);
        for (int i = 0; i < 3; ++i) {
            QVERIFY(qAbs(lines[i].rect.top() - works[1].rect.top() - (i + 1) * band) < 0.01);
        }
        // Places on the band, from the printable area's left edge.
        const double margin = doc.margins.left();
        QVERIFY(qAbs(works[0].rect.left() - margin - 2.6) < 0.01);
        QVERIFY(qAbs(works[0].rect.width() - 45.2) < 0.01);
        const auto price = named(page, QStringLiteral("QRDBText8")).first();
        QVERIFY(qAbs(price.rect.left() - margin - 146.8) < 0.01);
        QVERIFY(price.alignment & Qt::AlignRight);
        QVERIFY(qAbs(lines[0].rect.left() - margin - 19.8) < 0.01);
        // Each material's line total at the right, each work's total under its materials
        // (nothing for a work without), and the total of the list at its end.
        QCOMPARE(textsOf(doc, QStringLiteral("QRDBText9")),
                 (QStringList{QLocale().toCurrencyString(500.0), QLocale().toCurrencyString(135.0),
                              QLocale().toCurrencyString(99.0)}));
        QCOMPARE(textsOf(doc, QStringLiteral("QRExpr1")), (QStringList{"0,00", "734,00"}));
        QCOMPARE(textsOf(doc, QStringLiteral("QRLabel7")).size(), 2);
        QCOMPARE(textsOf(doc, QStringLiteral("QRExpr2")), QStringList{"734,00"});
        const auto workTotals = named(page, QStringLiteral("QRExpr1"));
        QVERIFY(qAbs(workTotals[1].rect.top() - lines[2].rect.top() - band) < 0.01);
        QVERIFY(named(page, QStringLiteral("QRExpr2")).first().rect.top() >
                workTotals[1].rect.top());
        QVERIFY(workTotals[0].alignment & Qt::AlignRight);
        QVERIFY(qAbs(workTotals[0].rect.right() - margin - 188.0) < 0.01);
        // The last work listed is left current.
        QCOMPARE(have().FieldByName(QStringLiteral("Arbejdet")).AsString(),
                 QStringLiteral("Terrasse"));
    }

    void theHeaderOnEveryPageTheTitleOnTheFirst() {
        for (int i = 1; i <= 12; ++i) {
            addWork(QStringLiteral("Anlæg %1").arg(i), QDate(2023, 1, i));
            for (int m = 0; m < 4; ++m) {
                addMaterial(QStringLiteral("Materiale %1").arg(m), m + 1, 10.0 * m, QString());
            }
        }
        garden::TQRForm2 report;
        const report::Document doc = report.build();
        QVERIFY(doc.pageCount() >= 2);
        QCOMPARE(textsOf(doc, QStringLiteral("QRDBText1")).size(), 12);
        QCOMPARE(textsOf(doc, QStringLiteral("QRDBText6")).size(), 48);
        QCOMPARE(textsOf(doc, QStringLiteral("QRLabel1")).size(), 1);
        QCOMPARE(named(doc.pages.first(), QStringLiteral("QRLabel1")).size(), 1);
        for (const report::Page& p : doc.pages) {
            QCOMPARE(named(p, QStringLiteral("QRLabel2")).size(), 1);
            QCOMPARE(named(p, QStringLiteral("QRLabel6")).first().text,
                     QStringLiteral("Placering"));
            // Nothing runs into the bottom margin.
            for (const report::PlacedText& t : p.texts) {
                QVERIFY(t.rect.bottom() <= doc.pageSize.height() - doc.margins.bottom() + 0.01);
            }
        }
    }

    void theSelectionLabel_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("selection");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << -1 << 0 << "";
        QTest::newRow("Danish planned") << -1 << 1 << "Planlagte arbejder";
        QTest::newRow("Danish finished") << -1 << 2 << "Afsluttede arbejder";
        QTest::newRow("Danish all") << -1 << 3 << "Alle haveanlæg";
        // Every language its own texts, from its file.
        QTest::newRow("English planned") << 0 << 1 << "Planned works";
        QTest::newRow("English finished") << 0 << 2 << "Finished works";
        QTest::newRow("English all") << 0 << 3 << "All garden works";
        QTest::newRow("Norwegian") << 1 << 1 << "Planlagte arbeider";
        QTest::newRow("Swedish") << 2 << 3 << "Alla trädgårdsanläggningar";
        QTest::newRow("German planned") << 3 << 1 << "Geplante Arbeiten";
        QTest::newRow("German finished") << 3 << 2 << "Abgeschlossene Arbeiten";
        QTest::newRow("German all") << 3 << 3 << "Alle Gartenanlagen";
        QTest::newRow("German none") << 3 << 0 << "";
    }

    // Started from the window: the label follows the checked radio button and the language.
    void theSelectionLabel() {
        QFETCH(int, language);
        QFETCH(int, selection);
        QFETCH(QString, text);
        testsupport::MainLanguage main;
        QCOMPARE(garden::TQRForm2::selectionText(language, selection), text);
        addWork(QStringLiteral("Bed"));
        main.set(language);
        CapturingPreviewer previewer;
        garden::THaveForm form(main.source());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        if (selection > 0) {
            const QString radio = QStringLiteral("RadioButton%1").arg(selection);
            QTest::mouseClick(form.findChild<QRadioButton*>(radio), Qt::LeftButton, {},
                              QPoint(8, 8));
        }
        QTest::mouseClick(form.findChild<QWidget*>(QStringLiteral("Button9")), Qt::LeftButton);
        QCOMPARE(previewer.shown.size(), 1);
        QCOMPARE(textsOf(previewer.shown.first(), QStringLiteral("QRLabel3")),
                 text.isEmpty() ? QStringList() : QStringList{text});
        // The report's own captions follow the language too.
        QCOMPARE(textsOf(previewer.shown.first(), QStringLiteral("QRLabel1")),
                 QStringList{garden::TQRForm2::title()});
        QCOMPARE(garden::TQRForm2::title() == QStringLiteral("Vexmos anlæg"), language == -1);
        have().setFiltered(false);
    }

    void theFinishedSelectionLeavesOutWorksWithoutAnEndDate() {
        addWork(QStringLiteral("Bed"), QDate(2022, 3, 1), QDate(2022, 4, 1));
        addWork(QStringLiteral("Dam"), QDate(2022, 5, 1));
        addWork(QStringLiteral("Sti"), QDate(2021, 1, 1), QDate(2021, 2, 1));
        CapturingPreviewer previewer;
        garden::THaveForm form(nullptr);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::mouseClick(form.findChild<QRadioButton*>(QStringLiteral("RadioButton2")),
                          Qt::LeftButton, {}, QPoint(8, 8));
        QTest::mouseClick(form.findChild<QWidget*>(QStringLiteral("Button9")), Qt::LeftButton);
        QCOMPARE(previewer.shown.size(), 1);
        QCOMPARE(textsOf(previewer.shown.first(), QStringLiteral("QRDBText1")),
                 (QStringList{"Bed", "Sti"}));
        QCOMPARE(textsOf(previewer.shown.first(), QStringLiteral("QRLabel3")),
                 QStringList{"Afsluttede arbejder"});
        have().setFiltered(false);
    }

    // A filter left from an earlier opening still limits the list; the label stays empty.
    void theLabelFollowsTheButtonNotTheFilter() {
        addWork(QStringLiteral("Bed"));
        addWork(QStringLiteral("Dam"), QDate(), QDate(2022, 4, 1));
        have().setFilter(garden::THaveForm::filterText(2));
        have().setFiltered(true);
        CapturingPreviewer previewer;
        garden::THaveForm form(nullptr);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::mouseClick(form.findChild<QWidget*>(QStringLiteral("Button9")), Qt::LeftButton);
        QVERIFY(textsOf(previewer.shown.first(), QStringLiteral("QRLabel3")).isEmpty());
        QCOMPARE(textsOf(previewer.shown.first(), QStringLiteral("QRDBText1")), QStringList{"Dam"});
        have().setFiltered(false);
    }

    // A material without a price shows no line total and counts as 0; an empty or negative
    // quantity of old data is taken as it stands.
    void totalsOfOddMaterials() {
        addWork(QStringLiteral("Dam"), QDate(2022, 5, 1));
        addMaterial(QStringLiteral("Folie"), 1, 899.0, QString());
        // A negative quantity is refused today; an older data folder may still hold one.
        store::Session::database(QStringLiteral("Vexmo"))
            ->insertRow(
                QStringLiteral("Materialer.db"),
                QStringList{QStringLiteral("Regnr"), QStringLiteral("Arbejdet"),
                            QStringLiteral("Materialer"), QStringLiteral("Antal"),
                            QStringLiteral("Pris")},
                QVariantList{m_dm->HaveTable->FieldByName(QStringLiteral("Regnr")).AsInteger(),
                             QStringLiteral("Dam"), QStringLiteral("Sten"), -2, 25.0});
        m_dm->MaterialeTable->Refresh();
        m_dm->MaterialeTable->Insert();
        m_dm->MaterialeTableMaterialer->setAsString(QStringLiteral("Gave"));
        m_dm->MaterialeTableAntal->setAsInteger(3);
        m_dm->MaterialeTable->Post();
        garden::TQRForm2 report;
        const report::Document doc = report.build();
        QCOMPARE(
            textsOf(doc, QStringLiteral("QRDBText9")),
            (QStringList{QLocale().toCurrencyString(899.0), QLocale().toCurrencyString(-50.0)}));
        QCOMPARE(textsOf(doc, QStringLiteral("QRExpr1")), QStringList{"849,00"});
        QCOMPARE(textsOf(doc, QStringLiteral("QRExpr2")), QStringList{"849,00"});
    }

    void golden() {
        hedgeAndTerrace();
        garden::TQRForm2 report;
        report.setSelectionLabel(QStringLiteral("Alle haveanlæg"));
        testsupport::compareGolden(report.build().dump(),
                                   QStringLiteral(GOLDEN_DIR "/gardenworks.txt"));
    }

    void anEmptyRegisterStillGivesAPage() {
        garden::TQRForm2 report;
        report.setSelectionLabel(QStringLiteral("Planlagte arbejder"));
        const report::Document doc = report.build();
        QCOMPARE(doc.pageCount(), 1);
        QCOMPARE(textsOf(doc, QStringLiteral("QRLabel3")), QStringList{"Planlagte arbejder"});
        QVERIFY(textsOf(doc, QStringLiteral("QRDBText1")).isEmpty());
        QCOMPARE(textsOf(doc, QStringLiteral("QRExpr2")), QStringList{"0,00"});
    }
};

// Errors in handlers reach the standard error box, as in the program.
int main(int argc, char** argv) {
    toolkit::Application app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    QRForm2Test test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_qrform2.moc"
