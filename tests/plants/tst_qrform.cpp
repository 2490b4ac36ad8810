// SPDX-License-Identifier: GPL-3.0-or-later
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "data/dm.h"
#include "plants/qrform.h"
#include "report/output.h"
#include "testsupport.h"

namespace {

class RecordingPreviewer final : public report::Previewer {
public:
    RecordingPreviewer() { report::setPreviewer(this); }
    ~RecordingPreviewer() override { report::setPreviewer(nullptr); }
    void preview(const report::Document& doc, const QString& title) override {
        documents.append(doc);
        titles.append(title);
    }
    QList<report::Document> documents;
    QStringList titles;
};

QStringList textsOf(const report::Page& page, const QString& name) {
    QStringList out;
    for (const auto& t : page.texts) {
        if (t.name == name) {
            out << t.text;
        }
    }
    return out;
}

}  // namespace

// The plant list on a data folder of its own, under Danish regional formats.
class QRFormTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<testsupport::DataFolder> m_folder;
    std::unique_ptr<testsupport::ScriptedDialogs> m_dialogs;
    std::unique_ptr<data::TDM> m_dm;

    store::Table& plants() { return *m_dm->PlanteTable; }

    void addPlant(const QString& name, const QVariant& price, const QString& family = QString(),
                  const QDate& planted = QDate(), const QString& type = QString(),
                  const QString& place = QString()) {
        plants().Insert();
        plants().FieldByName(QStringLiteral("Plantenavn")).setAsString(name);
        plants().FieldByName(QStringLiteral("Familie")).setAsString(family);
        plants().FieldByName(QStringLiteral("Plantetype")).setAsString(type);
        plants().FieldByName(QStringLiteral("Placering")).setAsString(place);
        plants().FieldByName(QStringLiteral("Plantet")).setAsDate(planted);
        plants().FieldByName(QStringLiteral("Pris")).setValue(price);
        plants().Post();
    }

    report::Document build(const QString& selection = QString()) {
        plants::TQRForm form;
        form.setSelectionLabel(selection);
        return form.build();
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

    void footersSumPagesSoFar() {
        for (int i = 1; i <= 45; ++i) {
            addPlant(QStringLiteral("Plante %1").arg(i), 100.25 * i);
        }
        QSignalSpy moves(&plants(), &store::Table::recordChanged);
        const report::Document doc = build(QStringLiteral("Alle planter"));
        // Controls bound to the table hear of the walk once, not for every plant.
        QCOMPARE(moves.count(), 1);
        QVERIFY(!plants().ControlsDisabled());
        QCOMPARE(doc.pageCount(), 2);
        const QStringList first = textsOf(doc.pages[0], QStringLiteral("QRDBText1"));
        QCOMPARE(first.size(), 37);
        QCOMPARE(first.first(), QStringLiteral("Plante 1"));
        QCOMPARE(textsOf(doc.pages[1], QStringLiteral("QRDBText1")).first(),
                 QStringLiteral("Plante 38"));
        // 100.25 * (1 + ... + 37) = 100.25 * 703, and 100.25 * 1035 for all 45.
        QCOMPARE(textsOf(doc.pages[0], QStringLiteral("QRExpr1")),
                 QStringList{QStringLiteral("70.475,75")});
        QCOMPARE(textsOf(doc.pages[1], QStringLiteral("QRExpr1")),
                 QStringList{QStringLiteral("103.758,75")});
        QCOMPARE(textsOf(doc.pages[1], QStringLiteral("QRLabel2")),
                 QStringList{QStringLiteral("Plantenavn")});
        QVERIFY(textsOf(doc.pages[1], QStringLiteral("QRLabel1")).isEmpty());
        // The shared table is left on the last plant listed.
        QCOMPARE(plants().FieldByName(QStringLiteral("Plantenavn")).AsString(),
                 QStringLiteral("Plante 45"));
    }

    void selectionLabel_data() {
        QTest::addColumn<QString>("selection");
        QTest::newRow("empty") << QString();
        QTest::newRow("family") << QStringLiteral("Rosenfamilien");
    }
    void selectionLabel() {
        QFETCH(QString, selection);
        addPlant(QStringLiteral("Rose"), 10.0);
        const report::Document doc = build(selection);
        const QStringList label = textsOf(doc.pages[0], QStringLiteral("QRLabel3"));
        QCOMPARE(label, selection.isEmpty() ? QStringList() : QStringList{selection});
        QCOMPARE(textsOf(doc.pages[0], QStringLiteral("QRLabel1")),
                 QStringList{QStringLiteral("Vexmos planter")});
    }

    void plantWithoutPrice() {
        addPlant(QStringLiteral("Gratis"), QVariant());
        addPlant(QStringLiteral("Købt"), 12.5);
        const report::Document doc = build();
        QCOMPARE(textsOf(doc.pages[0], QStringLiteral("QRDBText1")),
                 (QStringList{QStringLiteral("Gratis"), QStringLiteral("Købt")}));
        // Only the bought plant has a price cell.
        QCOMPARE(textsOf(doc.pages[0], QStringLiteral("QRDBText6")),
                 QStringList{QLocale().toCurrencyString(12.5)});
        QCOMPARE(textsOf(doc.pages[0], QStringLiteral("QRExpr1")),
                 QStringList{QStringLiteral("12,50")});
    }

    void filterInForce() {
        addPlant(QStringLiteral("Rose"), 10.0, QStringLiteral("Rosenfamilien"));
        addPlant(QStringLiteral("Tulipan"), 5.0, QStringLiteral("Liljefamilien"));
        addPlant(QStringLiteral("Hyben"), 7.0, QStringLiteral("Rosenfamilien"));
        plants().setFilter(QStringLiteral("Familie = 'Rosenfamilien'"));
        plants().setFiltered(true);
        const report::Document doc = build();
        QCOMPARE(textsOf(doc.pages[0], QStringLiteral("QRDBText1")),
                 (QStringList{QStringLiteral("Rose"), QStringLiteral("Hyben")}));
        QCOMPARE(textsOf(doc.pages[0], QStringLiteral("QRExpr1")),
                 QStringList{QStringLiteral("17,00")});
        QVERIFY(plants().Filtered());
    }

    void emptyResult() {
        addPlant(QStringLiteral("Rose"), 10.0, QStringLiteral("Rosenfamilien"));
        plants().setFilter(QStringLiteral("Familie = 'Ingen'"));
        plants().setFiltered(true);
        const report::Document doc = build();
        QCOMPARE(doc.pageCount(), 1);
        QVERIFY(textsOf(doc.pages[0], QStringLiteral("QRDBText1")).isEmpty());
        QCOMPARE(textsOf(doc.pages[0], QStringLiteral("QRExpr1")),
                 QStringList{QStringLiteral("0,00")});
    }

    void longNameCutAtWord() {
        addPlant(QStringLiteral("Almindelig Hestekastanje fra den gamle have ved søen"), 1.0,
                 QString(), QDate(2009, 4, 1), QStringLiteral("Træ"),
                 QStringLiteral("Ved indkørslen mod nord bag garagen"));
        const report::Document doc = build();
        QCOMPARE(textsOf(doc.pages[0], QStringLiteral("QRDBText1")),
                 QStringList{QStringLiteral("Almindelig Hestekastanje fra")});
        QCOMPARE(textsOf(doc.pages[0], QStringLiteral("QRDBText2")),
                 QStringList{QStringLiteral("01-04-2009")});
        QCOMPARE(textsOf(doc.pages[0], QStringLiteral("QRDBText5")),
                 QStringList{QStringLiteral("Ved indkørslen mod nord")});
    }

    void golden() {
        addPlant(QStringLiteral("Rose"), 129.95, QStringLiteral("Rosenfamilien"),
                 QDate(2009, 4, 12), QStringLiteral("Busk"), QStringLiteral("Forhaven"));
        addPlant(QStringLiteral("Tulipan"), QVariant(), QStringLiteral("Liljefamilien"),
                 QDate(2010, 10, 3), QStringLiteral("Løg"), QStringLiteral("Bed ved terrassen"));
        addPlant(QStringLiteral("Hestekastanje"), 1499.0, QStringLiteral("Sæbetræfamilien"),
                 QDate(), QStringLiteral("Træ"), QString());
        testsupport::compareGolden(build(QStringLiteral("Alle planter")).dump(),
                                   QStringLiteral(GOLDEN_DIR "/plantlist.txt"));
    }

    void previewShowsTheBuiltPages() {
        RecordingPreviewer recorder;
        for (int i = 1; i <= 40; ++i) {
            addPlant(QStringLiteral("Plante %1").arg(i), 1.0);
        }
        plants::TQRForm form;
        form.setSelectionLabel(QStringLiteral("Udvalg"));
        form.Preview();
        QCOMPARE(recorder.documents.size(), 1);
        QCOMPARE(recorder.titles, QStringList{QStringLiteral("Vexmos planter")});
        QCOMPARE(recorder.documents.first().pageCount(), 2);
        QCOMPARE(textsOf(recorder.documents.first().pages[0], QStringLiteral("QRLabel3")),
                 QStringList{QStringLiteral("Udvalg")});
    }

    void pdfOfThePlantList() {
        for (int i = 1; i <= 60; ++i) {
            addPlant(QStringLiteral("Plante %1").arg(i), 1.0);
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("planter.pdf"));
        const report::Document doc = build();
        QCOMPARE(doc.pageCount(), 2);
        QVERIFY(report::writePdf(doc, path));
        QVERIFY(QFileInfo(path).size() > 1000);
    }
};

QTEST_MAIN(QRFormTest)
#include "tst_qrform.moc"
