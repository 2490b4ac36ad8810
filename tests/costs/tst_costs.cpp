// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "backup/csv.h"
#include "costs/chart.h"
#include "costs/costcsv.h"
#include "costs/costreport.h"
#include "costs/costs.h"
#include "costs/udgiftform.h"
#include "costs/views.h"
#include "data/datafolder.h"
#include "data/dm.h"
#include "data/settings.h"
#include "i18n/langsource.h"
#include "report/output.h"
#include "store/session.h"
#include "store/sums.h"
#include "testsupport.h"
#include "toolkit/application.h"

using costs::LineKind;

namespace {

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

using Table = QList<QStringList>;

// What a view shows, row by row, as the user reads it.
Table shownIn(const QAbstractItemModel* m) {
    Table out;
    for (int r = 0; r < m->rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < m->columnCount(); ++c) {
            row << m->index(r, c).data().toString();
        }
        out << row;
    }
    return out;
}

QStringList headerOf(const QAbstractItemModel* m) {
    QStringList out;
    for (int c = 0; c < m->columnCount(); ++c) {
        out << m->headerData(c, Qt::Horizontal).toString();
    }
    return out;
}

QStringList textsNamed(const report::Document& doc, const QString& name) {
    QStringList out;
    for (const report::Page& p : doc.pages) {
        for (const report::PlacedText& t : p.texts) {
            if (t.name == name) {
                out << t.text;
            }
        }
    }
    return out;
}

}  // namespace

// The cost overview on a hand-counted garden: plants with and without dates and prices,
// works dated by their start or only their end, a work renamed after its materials were
// bought, materials of a work that is gone, an empty and a negative quantity from old data.
class CostsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<testsupport::DataFolder> m_folder;
    std::unique_ptr<testsupport::ScriptedDialogs> m_dialogs;
    std::unique_ptr<data::TDM> m_dm;
    std::unique_ptr<QWidget> m_main;  // holds the program's language source, as the main window
    i18n::TQLanguageSource* m_source = nullptr;
    std::unique_ptr<costs::TUdgiftForm> m_form;

    static void insert(const char* table, const QStringList& columns, const QVariantList& values) {
        store::Session::database(QString::fromLatin1(data::TDM::Alias))
            ->insertRow(QString::fromLatin1(table), columns, values);
    }
    static void plant(int regnr, const QString& name, const QVariant& family, const QVariant& type,
                      const QVariant& planted, const QVariant& price) {
        insert("Planter.db",
               {QStringLiteral("Regnr"), QStringLiteral("Plantenavn"), QStringLiteral("Antal"),
                QStringLiteral("Familie"), QStringLiteral("Plantetype"), QStringLiteral("Plantet"),
                QStringLiteral("Pris")},
               {regnr, name, 3, family, type, planted, price});
    }
    static void work(int regnr, const QString& name, const QString& category, const QVariant& start,
                     const QVariant& end) {
        insert(
            "Vexmo.DB",
            {QStringLiteral("Regnr"), QStringLiteral("Arbejdet"), QStringLiteral("Kategori"),
             QStringLiteral("Datostart"), QStringLiteral("Datoslut"), QStringLiteral("Planlagt")},
            {regnr, name, category, start, end, QStringLiteral("Nej")});
    }
    static void material(int regnr, const QString& work, const QString& name, const QVariant& count,
                         const QVariant& price) {
        insert("Materialer.db",
               {QStringLiteral("Regnr"), QStringLiteral("Arbejdet"), QStringLiteral("Materialer"),
                QStringLiteral("Antal"), QStringLiteral("Pris")},
               {regnr, work, name, count, price});
    }

    static void handCountedGarden() {
        const QVariant none;
        plant(1, QStringLiteral("Rose"), QStringLiteral("Rosenfamilien"), QStringLiteral("Busk"),
              QStringLiteral("2021-04-12"), 120.0);
        plant(2, QStringLiteral("Tulipan"), QStringLiteral("Liljefamilien"), QStringLiteral("Løg"),
              QStringLiteral("2021-10-03"), 35.5);
        plant(3, QStringLiteral("Hestekastanje"), QStringLiteral("Sæbetræfamilien"),
              QStringLiteral("Træ"), QStringLiteral("2022-05-01"), 1499.0);
        plant(4, QStringLiteral("Lavendel"), QStringLiteral("Læbeblomstfamilien"),
              QStringLiteral("Staude"), none, 45.0);
        plant(5, QStringLiteral("Pæon"), QStringLiteral("Ranunkelfamilien"),
              QStringLiteral("Staude"), QStringLiteral("2022-06-01"), none);
        plant(6, QStringLiteral("Mynte"), none, QStringLiteral("Staude"),
              QStringLiteral("2023-05-05"), 12.25);
        plant(7, QStringLiteral("Birk"), QStringLiteral("Birkefamilien"), none,
              QStringLiteral("2022-08-08"), 300.0);

        work(1, QStringLiteral("Terrasse"), QStringLiteral("Belægning"),
             QStringLiteral("2021-05-01"), QStringLiteral("2021-06-30"));
        work(2, QStringLiteral("Dam"), QStringLiteral("Vand"), none, QStringLiteral("2022-09-01"));
        work(3, QStringLiteral("Hæk"), QString(), none, none);
        work(4, QStringLiteral("Bed mod syd"), QStringLiteral("Bede"), QStringLiteral("2023-04-01"),
             none);

        material(1, QStringLiteral("Terrasse"), QStringLiteral("Fliser"), 40, 12.5);
        material(1, QStringLiteral("Terrasse"), QStringLiteral("Sand"), 3, 45.0);
        material(1, QStringLiteral("Terrasse"), QStringLiteral("Kantsten"), 12, none);
        material(2, QStringLiteral("Dam"), QStringLiteral("Folie"), 1, 899.0);
        material(2, QStringLiteral("Dam"), QStringLiteral("Pumpe"), none, 650.0);
        material(2, QStringLiteral("Dam"), QStringLiteral("Sten"), -2, 25.0);
        material(3, QStringLiteral("Hæk"), QStringLiteral("Buske"), 10, 30.0);
        // Bought under the work's old name, and under a work that was deleted.
        material(4, QStringLiteral("Bed"), QStringLiteral("Muld"), 5, 40.0);
        material(9, QStringLiteral("Gammelt anlæg"), QStringLiteral("Grus"), 2, 100.0);
        material(4, QStringLiteral("Bed mod syd"), QStringLiteral("Stauder"), 1, 250.0);
    }

    void openData() {
        m_dm = std::make_unique<data::TDM>();
        testsupport::openAll(*m_dm);
    }

    void open() {
        m_form = std::make_unique<costs::TUdgiftForm>(m_source);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }

    template <class T>
    T* child(const char* name) {
        T* w = m_form->findChild<T*>(QString::fromLatin1(name));
        if (!w) {
            qFatal("no control %s", name);
        }
        return w;
    }

    void click(const char* name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
    // Moves a year box by the arrow keys, as a user steps through the years.
    void step(const char* box, Qt::Key key, int times = 1) {
        auto* b = child<QComboBox>(box);
        b->setFocus();
        for (int i = 0; i < times; ++i) {
            QTest::keyClick(b, key);
        }
    }
    QString grandTotal() { return child<QLabel>("Label3")->text(); }

private Q_SLOTS:
    void initTestCase() { testsupport::useDanishFormats(); }

    void init() {
        m_folder = std::make_unique<testsupport::DataFolder>();
        m_dialogs = std::make_unique<testsupport::ScriptedDialogs>();
        m_main = std::make_unique<QWidget>();
        m_source = new i18n::TQLanguageSource(m_main.get());
        m_source->setObjectName(QStringLiteral("QLanguageSource1"));
        m_source->SetOriginalName(QStringLiteral("Dansk"));
        m_source->SetLanguages(
            {QStringLiteral("English=English.lng"), QStringLiteral("Norsk=Norsk.lng"),
             QStringLiteral("Svensk=Svensk.lng"), QStringLiteral("Deutsch=Deutsch.lng")});
        QFile::remove(QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
                          .filePath(QStringLiteral("windows.ini")));
    }

    void cleanup() {
        m_form.reset();
        m_dm.reset();
        m_main.reset();
        m_dialogs.reset();
        m_folder.reset();
    }

    void theViewsOfAHandCountedGarden_data() {
        QTest::addColumn<int>("view");
        QTest::addColumn<QStringList>("header");
        QTest::addColumn<Table>("lines");
        QTest::newRow("by year") << 1 << QStringList{"År",         "Antal planter",
                                                     "Planter",    "Antal materialer",
                                                     "Materialer", "I alt"}
                                 << Table{{"2021", "2", "155,50", "2", "635,00", "790,50"},
                                          {"2022", "2", "1.799,00", "3", "849,00", "2.648,00"},
                                          {"2023", "1", "12,25", "1", "250,00", "262,25"},
                                          {"uden dato", "1", "45,00", "3", "700,00", "745,00"},
                                          {"uden pris", "1", "0,00", "1", "0,00", "0,00"},
                                          {"I alt", "7", "2.011,75", "10", "2.434,00", "4.445,75"}};
        QTest::newRow("by family")
            << 2 << QStringList{"Plantefamilie", "Antal", "Beløb"}
            << Table{{"Sæbetræfamilien", "1", "1.499,00"}, {"Birkefamilien", "1", "300,00"},
                     {"Rosenfamilien", "1", "120,00"},     {"Læbeblomstfamilien", "1", "45,00"},
                     {"Liljefamilien", "1", "35,50"},      {"uden familie", "1", "12,25"},
                     {"uden pris", "1", "0,00"},           {"I alt", "7", "2.011,75"}};
        QTest::newRow("by type") << 3 << QStringList{"Plantetype", "Antal", "Beløb"}
                                 << Table{{"Træ", "1", "1.499,00"},     {"Busk", "1", "120,00"},
                                          {"Staude", "2", "57,25"},     {"Løg", "1", "35,50"},
                                          {"uden type", "1", "300,00"}, {"uden pris", "1", "0,00"},
                                          {"I alt", "7", "2.011,75"}};
        // The empty quantity adds nothing and the negative one is taken as it stands.
        QTest::newRow("by work") << 4
                                 << QStringList{"Regnr.", "Haveanlæg", "Kategori", "Antal", "Beløb"}
                                 << Table{{"2", "Dam", "Vand", "3", "849,00"},
                                          {"1", "Terrasse", "Belægning", "2", "635,00"},
                                          {"3", "Hæk", "", "1", "300,00"},
                                          {"4", "Bed mod syd", "Bede", "1", "250,00"},
                                          {"", "uden anlæg", "", "2", "400,00"},
                                          {"", "uden pris", "", "1", "0,00"},
                                          {"", "I alt", "", "10", "2.434,00"}};
        QTest::newRow("by category")
            << 5 << QStringList{"Kategori", "Antal", "Beløb"}
            << Table{{"Vand", "3", "849,00"},       {"Belægning", "2", "635,00"},
                     {"Bede", "1", "250,00"},       {"uden kategori", "1", "300,00"},
                     {"uden anlæg", "2", "400,00"}, {"uden pris", "1", "0,00"},
                     {"I alt", "10", "2.434,00"}};
    }

    // The whole range at opening, whatever filter the other windows left on the tables.
    void theViewsOfAHandCountedGarden() {
        QFETCH(int, view);
        QFETCH(QStringList, header);
        QFETCH(Table, lines);
        handCountedGarden();
        openData();
        m_dm->PlanteTable->setFilter(QStringLiteral("Familie = 'Rosenfamilien'"));
        m_dm->PlanteTable->setFiltered(true);
        m_dm->HaveTable->setFilter(QStringLiteral("Planlagt = 'Ja'"));
        m_dm->HaveTable->setFiltered(true);
        open();
        QCOMPARE(headerOf(m_form->model(view)), header);
        QCOMPARE(shownIn(m_form->model(view)), lines);
        QCOMPARE(grandTotal(), QStringLiteral("Udgifter i alt: 4.445,75"));
        QCOMPARE(child<QComboBox>("ComboBox1")->currentText(), QStringLiteral("2021"));
        QCOMPARE(child<QComboBox>("ComboBox2")->currentText(), QStringLiteral("2023"));
        QVERIFY(!child<QPushButton>("Button4")->isEnabled());
        // The windows' filters stay as they were left.
        QCOMPARE(m_dm->PlanteTable->RecordCount(), 1);
        QCOMPARE(m_dm->HaveTable->RecordCount(), 0);
    }

    // Every view adds up to its total, and the totals to the one shown at the top, over the
    // whole range and over a part of it.
    void everyTotalAddsUp() {
        handCountedGarden();
        openData();
        const costs::CostData data = costs::readCosts(*m_dm);
        for (const auto& [from, to] : {std::pair{2021, 2023}, std::pair{2022, 2022},
                                       std::pair{2021, 2022}, std::pair{2023, 2023}}) {
            const costs::Overview o = costs::summarize(data, from, to);
            auto check = [&](const QList<costs::Line>& view, double plants, double materials) {
                double p = 0;
                double m = 0;
                bool total = false;
                for (const costs::Line& l : view) {
                    if (l.kind == LineKind::Total) {
                        QCOMPARE(l.plants, plants);
                        QCOMPARE(l.materials, materials);
                        total = true;
                    } else if (l.kind != LineKind::LeftOut) {
                        p += l.plants;
                        m += l.materials;
                    }
                }
                QVERIFY(total);
                QVERIFY(qAbs(p - plants) < 1e-9);
                QVERIFY(qAbs(m - materials) < 1e-9);
            };
            check(o.years, o.total.plants, o.total.materials);
            check(o.families, o.total.plants, 0.0);
            check(o.types, o.total.plants, 0.0);
            check(o.works, 0.0, o.total.materials);
            check(o.categories, 0.0, o.total.materials);
        }
    }

    // A part of the years leaves out what has no date, and says so after the total.
    void aNarrowedRangeLeavesUndatedCostsOutAndSaysSo() {
        handCountedGarden();
        openData();
        open();
        step("ComboBox1", Qt::Key_Down);
        step("ComboBox2", Qt::Key_Up);
        QCOMPARE(
            shownIn(m_form->model(1)),
            (Table{{"2022", "2", "1.799,00", "3", "849,00", "2.648,00"},
                   {"uden pris", "1", "0,00", "0", "0,00", "0,00"},
                   {"I alt", "3", "1.799,00", "3", "849,00", "2.648,00"},
                   {"uden dato, ikke med i perioden", "1", "45,00", "3", "700,00", "745,00"}}));
        QCOMPARE(shownIn(m_form->model(4)),
                 (Table{{"2", "Dam", "Vand", "3", "849,00"}, {"", "I alt", "", "3", "849,00"}}));
        QCOMPARE(grandTotal(), QStringLiteral("Udgifter i alt: 2.648,00"));
        QCOMPARE(m_form->chart()->bars(), (QList<costs::YearBar>{{2022, 1799.0, 849.0}}));
        // "Alle år" gives the whole range back.
        QVERIFY(child<QPushButton>("Button4")->isEnabled());
        click("Button4");
        QCOMPARE(grandTotal(), QStringLiteral("Udgifter i alt: 4.445,75"));
        QCOMPARE(child<QComboBox>("ComboBox1")->currentText(), QStringLiteral("2021"));
        QCOMPARE(child<QComboBox>("ComboBox2")->currentText(), QStringLiteral("2023"));
    }

    // A start after the end moves the end along, and the other way round.
    void theStartCannotPassTheEnd() {
        handCountedGarden();
        openData();
        open();
        step("ComboBox2", Qt::Key_Up, 2);
        step("ComboBox1", Qt::Key_Down, 2);
        QCOMPARE(child<QComboBox>("ComboBox1")->currentText(), QStringLiteral("2023"));
        QCOMPARE(child<QComboBox>("ComboBox2")->currentText(), QStringLiteral("2023"));
        QCOMPARE(grandTotal(), QStringLiteral("Udgifter i alt: 262,25"));
        step("ComboBox2", Qt::Key_Up, 2);
        QCOMPARE(child<QComboBox>("ComboBox1")->currentText(), QStringLiteral("2021"));
        QCOMPARE(grandTotal(), QStringLiteral("Udgifter i alt: 790,50"));
    }

    // The chart's bars are the years of the year view, plants under materials.
    void theChartShowsTheYears() {
        handCountedGarden();
        openData();
        open();
        const QList<costs::YearBar> bars{
            {2021, 155.5, 635.0}, {2022, 1799.0, 849.0}, {2023, 12.25, 250.0}};
        QCOMPARE(m_form->chart()->bars(), bars);
        const costs::ChartPicture pic = m_form->chart()->picture();
        QHash<int, double> plants;
        QHash<int, double> materials;
        for (const auto& b : pic.boxes) {
            if (b.part == costs::ChartPicture::Part::Plants) {
                plants[b.bar] = b.rect.height();
            } else if (b.part == costs::ChartPicture::Part::Materials) {
                materials[b.bar] = b.rect.height();
            }
        }
        QCOMPARE(plants.size(), 3);
        QCOMPARE(materials.size(), 3);
        // Heights in proportion to the amounts, whatever the window's size.
        QVERIFY(qAbs(plants[1] / materials[1] - 1799.0 / 849.0) < 0.01);
        QVERIFY(qAbs(materials[0] / materials[2] - 635.0 / 250.0) < 0.01);
        QStringList years;
        for (const auto& t : pic.texts) {
            years << t.text;
        }
        QVERIFY(years.contains(QStringLiteral("2022")));
        QVERIFY(years.contains(QStringLiteral("Planter")));
    }

    void theChartPicture_data() {
        QTest::addColumn<QList<costs::YearBar>>("bars");
        QTest::addColumn<bool>("belowZero");
        QTest::newRow("bought") << QList<costs::YearBar>{{2020, 100, 50}, {2021, 0, 25}} << false;
        QTest::newRow("returned materials")
            << QList<costs::YearBar>{{2020, 100, -40}, {2021, 10, 5}} << true;
        QTest::newRow("nothing but zeros") << QList<costs::YearBar>{{2020, 0, 0}} << false;
        QList<costs::YearBar> many;
        for (int y = 1980; y < 2030; ++y) {
            many.append({y, double(y - 1979), 1.0});
        }
        QTest::newRow("fifty years") << many << false;
    }

    // Bars stand on the zero line and go down for what was taken back; the year labels
    // never run into each other.
    void theChartPicture() {
        QFETCH(QList<costs::YearBar>, bars);
        QFETCH(bool, belowZero);
        costs::ChartText text;
        text.width = [](const QString& s) { return 6.0 * double(s.size()); };
        text.lineHeight = 12.0;
        const costs::ChartPicture pic = costs::drawChart(bars, QSizeF(600, 240), text);
        double zero = -1;
        for (const auto& b : pic.boxes) {
            if (b.part == costs::ChartPicture::Part::Axis) {
                zero = b.rect.center().y();
            }
        }
        QVERIFY(zero > 0);
        bool anyBelow = false;
        for (const auto& b : pic.boxes) {
            QVERIFY(b.rect.left() >= 0 && b.rect.right() <= 600.01);
            QVERIFY(b.rect.top() >= 0 && b.rect.bottom() <= 240.01);
            if (b.part == costs::ChartPicture::Part::Plants ||
                b.part == costs::ChartPicture::Part::Materials) {
                const double amount = b.part == costs::ChartPicture::Part::Plants
                                          ? bars.at(b.bar).plants
                                          : bars.at(b.bar).materials;
                QVERIFY(b.rect.height() > 0);
                if (amount < 0) {
                    QVERIFY(qAbs(b.rect.top() - zero) < 1.0);
                    anyBelow = true;
                }
            }
        }
        QCOMPARE(anyBelow, belowZero);
        QList<QRectF> years;
        for (const auto& t : pic.texts) {
            if (t.text.size() == 4 && t.text.toInt() >= 1980) {
                const QRectF r(t.rect.center().x() - 12.0, t.rect.top(), 24.0, t.rect.height());
                for (const QRectF& other : years) {
                    QVERIFY(!r.intersects(other));
                }
                years << r;
            }
        }
        QVERIFY(!years.isEmpty());
        QVERIFY(costs::drawChart({}, QSizeF(600, 240), text).boxes.isEmpty());
    }

    // English texts everywhere, from the language file; Danish comes back as designed.
    void theWindowInEnglish() {
        handCountedGarden();
        openData();
        m_source->SetActiveLanguage(0);
        open();
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Garden costs"));
        QCOMPARE(child<QLabel>("Label1")->text(), QStringLiteral("From year"));
        QCOMPARE(child<QPushButton>("Button1")->text(), QStringLiteral("&Print"));
        auto* tabs = child<QTabWidget>("TabWidget1");
        QCOMPARE(tabs->tabText(0), QStringLiteral("By year"));
        QCOMPARE(tabs->tabText(2), QStringLiteral("Garden works"));
        QCOMPARE(headerOf(m_form->model(1)).first(), QStringLiteral("Year"));
        const Table years = shownIn(m_form->model(1));
        QCOMPARE(years.at(3).first(), QStringLiteral("no date"));
        QCOMPARE(years.at(5).first(), QStringLiteral("Total"));
        QCOMPARE(grandTotal(), QStringLiteral("Total costs: 4.445,75"));
        QCOMPARE(shownIn(m_form->model(4)).at(4).at(1), QStringLiteral("no garden work"));
        QCOMPARE(m_form->chart()->picture().texts.at(0).text, QStringLiteral("Plants"));
        CapturingPreviewer previewer;
        click("Button1");
        QCOMPARE(textsNamed(previewer.shown.first(), QStringLiteral("QRLabel1")),
                 QStringList{QStringLiteral("Garden costs")});
        QCOMPARE(previewer.titles, QStringList{QStringLiteral("Garden costs")});
        m_form->close();
        m_form.reset();
        m_source->SetActiveLanguage(-1);
        open();
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Udgifter"));
        QCOMPARE(child<QTabWidget>("TabWidget1")->tabText(0), QStringLiteral("Pr. år"));
    }

    // "Udskriv" shows the views and the chart through the print preview, with the totals
    // of the window.
    void thePrintedOverview() {
        handCountedGarden();
        openData();
        open();
        CapturingPreviewer previewer;
        click("Button1");
        QCOMPARE(previewer.shown.size(), 1);
        const report::Document& doc = previewer.shown.first();
        QCOMPARE(previewer.titles, QStringList{QStringLiteral("Udgifter")});
        QCOMPARE(textsNamed(doc, QStringLiteral("QRLabel4")),
                 QStringList{QStringLiteral("Udgifter i alt: 4.445,75")});
        QCOMPARE(textsNamed(doc, QStringLiteral("Heading")),
                 (QStringList{"Udgifter pr. år", "Planter efter plantefamilie",
                              "Planter efter plantetype", "Materialer efter haveanlæg",
                              "Materialer efter kategori"}));
        const QStringList totals = textsNamed(doc, QStringLiteral("Total"));
        QVERIFY(totals.contains(QStringLiteral("4.445,75")));
        QCOMPARE(totals.count(QStringLiteral("2.011,75")), 3);  // years, families, types
        QCOMPARE(totals.count(QStringLiteral("2.434,00")), 3);  // years, works, categories
        for (const report::Page& p : doc.pages) {
            for (const report::PlacedText& t : p.texts) {
                QVERIFY(t.rect.right() <= doc.pageSize.width() - doc.margins.right() + 0.01);
                QVERIFY(t.rect.bottom() <= doc.pageSize.height() - doc.margins.bottom() + 0.01);
            }
        }
        testsupport::compareGolden(doc.dump(), QStringLiteral(GOLDEN_DIR "/costs.txt"));
        QTemporaryDir dir;
        QVERIFY(report::writePdf(doc, dir.filePath(QStringLiteral("udgifter.pdf"))));
    }

    // What "Eksportér" writes reads back as the views, in the regional separators.
    void theExportReadsBack() {
        handCountedGarden();
        openData();
        open();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("udgifter"));
        m_dialogs->files << path;
        click("Button2");
        const QString written = path + QStringLiteral(".csv");
        QFile f(written);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        const QList<QStringList> rows = backup::parseCsv(QString::fromUtf8(bytes), u';');
        QCOMPARE(rows, costs::csvTable(m_form->overview(), u','));
        QCOMPARE(rows.at(0), (QStringList{"Visning", "Gruppe", "Regnr.", "Antal planter", "Planter",
                                          "Antal materialer", "Materialer", "I alt"}));
        QCOMPARE(rows.at(1),
                 (QStringList{"År", "2021", "", "2", "155,50", "2", "635,00", "790,50"}));
        QVERIFY(
            rows.contains(QStringList{"Haveanlæg", "Dam", "2", "", "", "3", "849,00", "849,00"}));
        // Plain numbers, as a spreadsheet reads them: no thousands separator.
        QVERIFY(rows.contains(
            QStringList{"Plantefamilie", "I alt", "", "7", "2011,75", "", "", "2011,75"}));
        // Every line of the five views, under one header.
        const costs::Overview& o = m_form->overview();
        QCOMPARE(rows.size(), 1 + o.years.size() + o.families.size() + o.types.size() +
                                  o.works.size() + o.categories.size());
        QCOMPARE(
            m_dialogs->texts(QStringLiteral("message")),
            QStringList{
                QStringLiteral("Udgifterne er gemt i %1.").arg(QDir::toNativeSeparators(written))});
    }

    // A file that cannot be written is reported and nothing claims success; a cancelled
    // dialog writes nothing.
    void anExportThatFailsSaysSo() {
        handCountedGarden();
        openData();
        open();
        QTemporaryDir dir;
        // A folder that is not there, and a name a folder already has (root may write
        // anywhere, so permissions would not do).
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("taken.csv")));
        m_dialogs->files << dir.filePath(QStringLiteral("gone/udgifter.csv"))
                         << dir.filePath(QStringLiteral("taken.csv")) << QString();
        click("Button2");
        click("Button2");
        click("Button2");
        QCOMPARE(m_dialogs->texts(QStringLiteral("save")).size(), 3);
        const QStringList messages = m_dialogs->texts(QStringLiteral("message"));
        QCOMPARE(messages.size(), 2);
        for (const QString& m : messages) {
            QVERIFY2(m.startsWith(QStringLiteral("Udgifterne kunne ikke gemmes.\n\r")),
                     qPrintable(m));
        }
        for (const auto& shown : m_dialogs->shown) {
            if (shown.kind == QStringLiteral("message")) {
                QCOMPARE(shown.type, toolkit::MsgType::Error);
            }
        }
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("taken.csv"))).isDir());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
    }

    // The window opens at the size it was closed with, by Esc or the title bar.
    void theWindowKeepsItsSize() {
        openData();
        open();
        const QSize frame = m_form->frameGeometry().size() - m_form->size();
        QCOMPARE(m_form->frameGeometry().size(), QSize(1032, 770));
        m_form->resize(QSize(900, 600) - frame);
        QTest::keyClick(m_form.get(), Qt::Key_Escape);
        QVERIFY(!m_form->isVisible());
        m_form.reset();
        open();
        QCOMPARE(m_form->frameGeometry().size(), QSize(900, 600));
        // Scaled with the window: the chart keeps to its share of it.
        const QRect chart = m_form->chart()->geometry();
        QVERIFY(chart.right() < m_form->width());
        QVERIFY(chart.bottom() < m_form->height());
        m_form->close();
        QCOMPARE(data::readWindowSize(QString::fromLatin1(costs::TUdgiftForm::SizeKey)),
                 QSize(900, 600));
    }

    // An empty garden: nothing to choose, an empty chart, totals of nothing, and print and
    // export still work.
    void anEmptyGarden() {
        openData();
        open();
        QVERIFY(!child<QComboBox>("ComboBox1")->isEnabled());
        QCOMPARE(grandTotal(), QStringLiteral("Udgifter i alt: 0,00"));
        for (int view = 1; view <= 5; ++view) {
            const Table lines = shownIn(m_form->model(view));
            QCOMPARE(lines.size(), 1);
            QVERIFY(lines.first().contains(QStringLiteral("I alt")));
        }
        const costs::ChartPicture pic = m_form->chart()->picture();
        QVERIFY(pic.boxes.isEmpty());
        QCOMPARE(pic.texts.size(), 1);
        QCOMPARE(pic.texts.first().text, QStringLiteral("Ingen udgifter med dato i perioden"));
        CapturingPreviewer previewer;
        click("Button1");
        QCOMPARE(previewer.shown.size(), 1);
        QCOMPARE(textsNamed(previewer.shown.first(), QStringLiteral("QRLabel3")),
                 QStringList{QStringLiteral("Ingen udgifter med dato")});
    }

    // A table that cannot be summed (a field missing in an old data folder) is reported, and
    // the window still opens, with nothing counted rather than a part of it.
    void aTableThatCannotBeReadIsReported() {
        QTemporaryDir dir;
        {
            store::Database db(dir.path(), true);
            for (store::TableDef def : data::tableDefs()) {
                if (def.name == QLatin1String("Materialer.db")) {
                    def.fields.removeIf(
                        [](const store::FieldDef& f) { return f.name == QLatin1String("Pris"); });
                }
                db.createTable(def);
            }
        }
        store::Session::closeAll();
        store::Session::setAliasPath(QString::fromLatin1(data::TDM::Alias), dir.path());
        m_dm = std::make_unique<data::TDM>();
        open();
        const QStringList errors = m_dialogs->texts(QStringLiteral("error"));
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().contains(QStringLiteral("Pris")), qPrintable(errors.first()));
        QCOMPARE(grandTotal(), QStringLiteral("Udgifter i alt: 0,00"));
        QVERIFY(!child<QComboBox>("ComboBox1")->isEnabled());
        m_form->close();
        QVERIFY(!m_form->isVisible());
        m_form.reset();
        m_dm.reset();
        store::Session::closeAll();
    }

    // Tab moves through the window's controls and out of the tables again.
    void theKeyboardReachesEverything() {
        handCountedGarden();
        openData();
        open();
        QCOMPARE(QApplication::focusWidget(), child<QWidget>("SumView1"));
        QStringList reached;
        for (int i = 0; i < 8; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            reached << QApplication::focusWidget()->objectName();
        }
        QVERIFY2(reached.contains(QStringLiteral("Button1")), qPrintable(reached.join(u' ')));
        QVERIFY(reached.contains(QStringLiteral("Button3")));
        QVERIFY(reached.contains(QStringLiteral("ComboBox1")));
    }

    void theModelsAreSound() {
        handCountedGarden();
        openData();
        open();
        for (int view = 1; view <= 5; ++view) {
            QAbstractItemModelTester tester(m_form->model(view),
                                            QAbstractItemModelTester::FailureReportingMode::QtTest);
            step("ComboBox1", Qt::Key_Down);
            click("Button4");
        }
    }
};

int main(int argc, char** argv) {
    toolkit::Application app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    CostsTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_costs.moc"
