// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFile>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "report/format.h"
#include "report/output.h"
#include "report/report.h"
#include "testsupport.h"

namespace {

// Records what would have been previewed.
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

// Rows for a report to walk, each with a value and some sub-rows.
struct Rows {
    struct Row {
        QString name;
        double value;
        QStringList subRows;
    };
    QList<Row> rows;
    int cur = 0;
    int sub = 0;

    report::DataLoop loop() {
        return {[this] { cur = 0; }, [this] { return cur >= rows.size(); }, [this] { ++cur; }};
    }
    report::DataLoop subLoop() {
        return {[this] { sub = 0; }, [this] { return sub >= rows.at(cur).subRows.size(); },
                [this] { ++sub; }};
    }
};

QList<report::PlacedText> named(const report::Page& page, const QString& name) {
    QList<report::PlacedText> out;
    for (const auto& t : page.texts) {
        if (t.name == name) {
            out.append(t);
        }
    }
    return out;
}

QStringList textsOf(const report::Page& page, const QString& name) {
    QStringList out;
    for (const auto& t : named(page, name)) {
        out << t.text;
    }
    return out;
}

// A list with a title, column header, detail, optional sub-detail, and a footer sum.
void define(report::Report& r, Rows& rows, bool withSubDetail) {
    r.title.height = 16.7;
    r.title.label(QStringLiteral("Title"), QStringLiteral("Liste"))
        .at(0, 1.3)
        .aligned(Qt::AlignHCenter);
    r.columnHeader.height = 6.1;
    r.columnHeader.color = QColor(0xc0, 0xc0, 0xc0);
    r.columnHeader.label(QStringLiteral("Caption"), QStringLiteral("Navn")).at(2.6, 0.8).sized(36);
    r.detail.height = 6.6;
    r.detail.field(QStringLiteral("Name"), [&rows] { return rows.rows.at(rows.cur).name; })
        .at(2.6, 1.3)
        .sized(36);
    report::RunningSum* sum = r.addSum([&rows] { return rows.rows.at(rows.cur).value; });
    r.detail.sums.append(sum);
    r.data = rows.loop();
    if (withSubDetail) {
        report::SubDetail sub;
        sub.band.height = 6.6;
        sub.band
            .field(QStringLiteral("Sub"),
                   [&rows] { return rows.rows.at(rows.cur).subRows.at(rows.sub); })
            .at(9.3, 1.3)
            .sized(54.5);
        sub.data = rows.subLoop();
        sub.printIfEmpty = true;
        r.subDetails.append(sub);
    }
    r.pageFooter.height = 7.1;
    r.pageFooter.sumOf(QStringLiteral("Sum"), sum, QStringLiteral("###,##0.00"))
        .at(124.9, 1.3)
        .sized(60)
        .aligned(Qt::AlignRight);
}

int pdfPageCount(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QString body = QString::fromLatin1(f.readAll());
    return int(body.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))));
}

}  // namespace

class ReportTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { testsupport::useDanishFormats(); }

    void arialOrItsTwin() {
        const QFontInfo info(report::arial(8));
        QVERIFY2(info.family() == u"Arial" || info.family() == u"Liberation Sans",
                 qPrintable(info.family()));
        // Same advance widths as Arial: "Plantenavn" at 8 pt bold is 15.1 mm there.
        QCOMPARE(
            qRound(report::textWidthMm(QStringLiteral("Plantenavn"), report::arial(8, true)) * 10),
            151);
    }

    void mask_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("expected");
        const QString money = QStringLiteral("###,##0.00");
        QTest::newRow("zero") << "da_DK" << 0.0 << money << "0,00";
        QTest::newRow("below one") << "da_DK" << 0.5 << money << "0,50";
        QTest::newRow("thousands") << "da_DK" << 1234567.891 << money << "1.234.567,89";
        QTest::newRow("exactly thousand") << "da_DK" << 1000.0 << money << "1.000,00";
        QTest::newRow("negative") << "da_DK" << -1234.5 << money << "-1.234,50";
        QTest::newRow("negative rounds to zero") << "da_DK" << -0.001 << money << "0,00";
        QTest::newRow("sum of cents") << "da_DK" << 0.1 + 0.2 << money << "0,30";
        QTest::newRow("english separators") << "en_US" << 1234567.891 << money << "1,234,567.89";
        QTest::newRow("german separators") << "de_DE" << 9876.5 << money << "9.876,50";
        QTest::newRow("no grouping") << "da_DK" << 1234.5 << "0.00"
                                     << "1234,50";
        QTest::newRow("no decimals") << "da_DK" << 1234.6 << "#,##0"
                                     << "1.235";
        QTest::newRow("optional decimals") << "da_DK" << 1.5 << "0.###"
                                           << "1,5";
        QTest::newRow("optional integer") << "da_DK" << 0.25 << "#.00"
                                          << ",25";
        QTest::newRow("literal text") << "da_DK" << 12.0 << "\"kr. \"#,##0.00"
                                      << "kr. 12,00";
    }
    void mask() {
        QFETCH(QString, locale);
        QFETCH(double, value);
        QFETCH(QString, mask);
        QFETCH(QString, expected);
        QCOMPARE(report::formatMask(value, mask, QLocale(locale)), expected);
    }

    void cutAtWord_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("width");
        QTest::addColumn<QString>("expected");
        QTest::newRow("fits") << "Rose" << 36.0 << "Rose";
        QTest::newRow("two lines")
            << "Stor Bregne med meget lange blade fra skoven" << 36.0 << "Stor Bregne med meget";
        QTest::newRow("line break") << "Første linje\nanden" << 36.0 << "Første linje";
        QTest::newRow("empty") << "" << 36.0 << "";
        QTest::newRow("one long word")
            << "Kæmpebjørneklosammenslutningsforeningen" << 20.0 << "Kæmpebjørnekl";
    }
    void cutAtWord() {
        QFETCH(QString, text);
        QFETCH(double, width);
        QFETCH(QString, expected);
        const QFont font = report::arial(8);
        const QString line = report::firstLine(text, font, width);
        QVERIFY(report::textWidthMm(line, font) <= width);
        QCOMPARE(line, expected);
        // At a word boundary: the next word would not have fitted.
        if (line.size() < text.size() && text.at(line.size()) == u' ') {
            const qsizetype next = text.indexOf(u' ', line.size() + 1);
            QVERIFY(report::textWidthMm(text.left(next < 0 ? text.size() : next), font) > width);
        }
    }

    void pagesAndRunningSum() {
        Rows rows;
        for (int i = 1; i <= 45; ++i) {
            rows.rows.append({QStringLiteral("Række %1").arg(i), double(i), {}});
        }
        report::Report r;
        define(r, rows, false);
        const report::Document doc = r.layout();
        // 277 mm inside the margins less the 7.1 mm footer: 37 rows under the title and
        // header on page 1, 39 under the header alone after that.
        QCOMPARE(doc.pageCount(), 2);
        QCOMPARE(named(doc.pages[0], QStringLiteral("Name")).size(), 37);
        QCOMPARE(named(doc.pages[1], QStringLiteral("Name")).size(), 8);
        QCOMPARE(textsOf(doc.pages[0], QStringLiteral("Title")).size(), 1);
        QCOMPARE(textsOf(doc.pages[1], QStringLiteral("Title")).size(), 0);
        QCOMPARE(textsOf(doc.pages[1], QStringLiteral("Caption")),
                 QStringList{QStringLiteral("Navn")});
        QCOMPARE(textsOf(doc.pages[0], QStringLiteral("Sum")),
                 QStringList{QStringLiteral("703,00")});
        QCOMPARE(textsOf(doc.pages[1], QStringLiteral("Sum")),
                 QStringList{QStringLiteral("1.035,00")});

        const auto first = named(doc.pages[0], QStringLiteral("Name"));
        QCOMPARE(first.first().rect.top(), 10.0 + 16.7 + 6.1 + 1.3);
        QVERIFY(first.last().rect.top() + 6.6 - 1.3 <= 297.0 - 10.0 - 7.1 + 1e-9);
        QCOMPARE(named(doc.pages[1], QStringLiteral("Name")).first().rect.top(), 10.0 + 6.1 + 1.3);
        // The footer sits at the bottom of the printable area on every page.
        for (const auto& page : doc.pages) {
            QCOMPARE(named(page, QStringLiteral("Sum")).first().rect.top(),
                     297.0 - 10.0 - 7.1 + 1.3);
            QCOMPARE(named(page, QStringLiteral("Sum")).first().rect.right(), 10.0 + 184.9);
        }

        // Laying out again starts the sums afresh.
        QCOMPARE(textsOf(r.layout().pages[1], QStringLiteral("Sum")),
                 QStringList{QStringLiteral("1.035,00")});
    }

    void emptyData() {
        Rows rows;
        report::Report r;
        define(r, rows, true);
        const report::Document doc = r.layout();
        QCOMPARE(doc.pageCount(), 1);
        QVERIFY(named(doc.pages[0], QStringLiteral("Name")).isEmpty());
        QCOMPARE(textsOf(doc.pages[0], QStringLiteral("Sum")), QStringList{QStringLiteral("0,00")});
        QCOMPARE(textsOf(doc.pages[0], QStringLiteral("Caption")).size(), 1);
    }

    void subDetailBands() {
        Rows rows;
        rows.rows = {{QStringLiteral("Bed"),
                      0,
                      {QStringLiteral("Sten"), QStringLiteral("Jord"), QStringLiteral("Sand")}},
                     {QStringLiteral("Sti"), 0, {}},
                     {QStringLiteral("Dam"), 0, {QStringLiteral("Folie")}}};
        report::Report r;
        define(r, rows, true);
        const report::Document doc = r.layout();
        QCOMPARE(doc.pageCount(), 1);
        QStringList order;
        QList<double> tops;
        for (const auto& t : doc.pages[0].texts) {
            if (t.name == u"Name" || t.name == u"Sub") {
                order << t.text;
                tops << t.rect.top();
            }
        }
        QCOMPARE(order,
                 (QStringList{QStringLiteral("Bed"), QStringLiteral("Sten"), QStringLiteral("Jord"),
                              QStringLiteral("Sand"), QStringLiteral("Sti"), QStringLiteral("Dam"),
                              QStringLiteral("Folie")}));
        // "Sti" has no sub-rows: one empty band still takes its place before "Dam".
        const double body = 10.0 + 16.7 + 6.1;
        QCOMPARE(tops.at(4), body + 4 * 6.6 + 1.3);
        QCOMPARE(tops.at(5), body + 6 * 6.6 + 1.3);
        int bands = 0;
        for (const auto& b : doc.pages[0].boxes) {
            bands += b.rect.height() == 6.6 ? 1 : 0;
        }
        QCOMPARE(bands, 3 + 4 + 1);
    }

    void subDetailOverPages() {
        Rows rows;
        QStringList many;
        for (int i = 1; i <= 60; ++i) {
            many << QStringLiteral("Del %1").arg(i);
        }
        rows.rows = {{QStringLiteral("Stort anlæg"), 5, many}, {QStringLiteral("Lille"), 7, {}}};
        report::Report r;
        define(r, rows, true);
        const report::Document doc = r.layout();
        // 1 work + 60 parts + 1 work + 1 empty = 63 bands: 37 on page 1, 26 on page 2.
        QCOMPARE(doc.pageCount(), 2);
        QCOMPARE(named(doc.pages[0], QStringLiteral("Sub")).size(), 36);
        QCOMPARE(textsOf(doc.pages[1], QStringLiteral("Caption")).size(), 1);
        QCOMPARE(textsOf(doc.pages[1], QStringLiteral("Sub")).first(), QStringLiteral("Del 37"));
        QCOMPARE(textsOf(doc.pages[0], QStringLiteral("Sum")), QStringList{QStringLiteral("5,00")});
        QCOMPARE(textsOf(doc.pages[1], QStringLiteral("Sum")),
                 QStringList{QStringLiteral("12,00")});
    }

    void bandTallerThanPage() {
        report::Report r;
        r.detail.height = 400;
        int n = 0;
        r.data = {[&n] { n = 0; }, [&n] { return n >= 2; }, [&n] { ++n; }};
        QCOMPARE(r.layout().pageCount(), 2);
    }

    // Boxes of a band stand where the band prints, under its texts; they print with the band
    // and not with an empty one.
    void boxesOnABand() {
        Rows rows;
        rows.rows = {{QStringLiteral("Bed"), 1, {QStringLiteral("Sten")}},
                     {QStringLiteral("Sti"), 2, {}}};
        report::Report r;
        define(r, rows, true);
        r.subDetails.first().band.box(9.3, 5.0, 54.5, 0.3, Qt::blue);
        const report::Document doc = r.layout();
        QList<QRectF> blue;
        for (const auto& b : doc.pages[0].boxes) {
            if (b.fill == QColor(Qt::blue)) {
                blue << b.rect;
            }
        }
        const double sten = named(doc.pages[0], QStringLiteral("Sub")).first().rect.top() - 1.3;
        QCOMPARE(blue, (QList<QRectF>{QRectF(10.0 + 9.3, sten + 5.0, 54.5, 0.3)}));
    }

    // A heading that would stand alone at the foot of a page moves to the next one with the
    // band after it; the summary prints once, after the last row, above the last footer.
    void keptWithTheNextAndTheSummary() {
        Rows rows;
        for (int i = 1; i <= 36; ++i) {
            rows.rows.append({QStringLiteral("Række %1").arg(i), 1.0, {}});
        }
        report::Report r;
        define(r, rows, false);
        report::SubDetail heading;
        heading.band.height = 6.6;
        heading.band.keepWithNext = true;
        heading.band.field(QStringLiteral("Heading"),
                           [&rows] { return rows.rows.at(rows.cur).name; });
        report::SubDetail after;
        after.band.height = 6.6;
        after.band.label(QStringLiteral("After"), QStringLiteral("efter"));
        r.subDetails = {heading, after};
        // Rows, headings and followers take turns; under a lower title 38 bands fit on page 1,
        // and the 38th would be a heading.
        r.title.height = 10.1;
        r.summary.height = 8.0;
        r.summary.label(QStringLiteral("End"), QStringLiteral("I alt")).at(2.6, 1.0);
        const report::Document doc = r.layout();
        for (const auto& page : doc.pages) {
            const auto headings = named(page, QStringLiteral("Heading"));
            const auto followers = named(page, QStringLiteral("After"));
            QCOMPARE(headings.size(), followers.size());
        }
        QCOMPARE(textsOf(doc.pages.last(), QStringLiteral("End")),
                 QStringList{QStringLiteral("I alt")});
        int ends = 0;
        for (const auto& page : doc.pages) {
            ends += int(named(page, QStringLiteral("End")).size());
        }
        QCOMPARE(ends, 1);
        const auto end = named(doc.pages.last(), QStringLiteral("End")).first();
        const auto lastAfter = named(doc.pages.last(), QStringLiteral("After")).last();
        QVERIFY(end.rect.top() > lastAfter.rect.top());
        QVERIFY(end.rect.top() < named(doc.pages.last(), QStringLiteral("Sum")).first().rect.top());
    }

    void golden() {
        Rows rows;
        rows.rows = {{QStringLiteral("Almindelig hestekastanje med lang \"beskrivelse\""),
                      1250.5,
                      {QStringLiteral("Grus")}},
                     {QStringLiteral("Rose"), 0, {}}};
        report::Report r;
        define(r, rows, true);
        r.columnHeader.elements.first()
            .withBackground(QColor(Qt::yellow))
            .withColor(QColor(Qt::red));
        testsupport::compareGolden(r.layout().dump(), QStringLiteral(GOLDEN_DIR "/small.txt"));
    }

    void pdfWritten() {
        Rows rows;
        for (int i = 1; i <= 80; ++i) {
            rows.rows.append({QStringLiteral("Plante %1").arg(i), 1.0, {}});
        }
        report::Report r;
        define(r, rows, false);
        const report::Document doc = r.layout();
        QCOMPARE(doc.pageCount(), 3);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("liste.pdf"));
        QVERIFY(report::writePdf(doc, path, QStringLiteral("Liste")));
        QVERIFY(QFileInfo(path).size() > 1000);
        QCOMPARE(pdfPageCount(path), 3);
        QFile pdf(path);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.readAll().contains("/MediaBox [0 0 595.000000 842.000000]"));  // A4 in points
        QVERIFY(!report::writePdf(doc, dir.filePath(QStringLiteral("no/such/folder/x.pdf"))));
    }

    void printedThroughAPrinter() {
        Rows rows;
        for (int i = 1; i <= 40; ++i) {
            rows.rows.append({QStringLiteral("Plante %1").arg(i), 1.0, {}});
        }
        report::Report r;
        define(r, rows, false);
        const report::Document doc = r.layout();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("printed.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        // Whatever the printer was set to, the sheet is the document's, from its corner.
        printer.setPageOrientation(QPageLayout::Landscape);
        report::paint(doc, printer);
        QCOMPARE(pdfPageCount(path), 2);
        QVERIFY(printer.fullPage());
        QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Portrait);
        QCOMPARE(printer.pageLayout().pageSize().id(), QPageSize::A4);
    }

    void previewService() {
        RecordingPreviewer recorder;
        report::Document doc;
        doc.pages.append(report::Page());
        report::preview(doc, QStringLiteral("Liste"));
        QCOMPARE(recorder.documents.size(), 1);
        QCOMPARE(recorder.titles, QStringList{QStringLiteral("Liste")});
        QCOMPARE(recorder.documents.first().pageCount(), 1);
    }

    void previewDialogShowsEveryPageAndSaves() {
        Rows rows;
        for (int i = 1; i <= 50; ++i) {
            rows.rows.append({QStringLiteral("Plante %1").arg(i), 1.0, {}});
        }
        report::Report r;
        define(r, rows, false);
        const report::Document doc = r.layout();
        std::unique_ptr<QPrintPreviewDialog> dialog(
            report::createPreviewDialog(doc, QStringLiteral("Liste")));
        dialog->show();
        auto* widget = dialog->findChild<QPrintPreviewWidget*>();
        QVERIFY(widget);
        QTRY_COMPARE(widget->pageCount(), 2);

        auto* save = dialog->findChild<QAction*>(QStringLiteral("savePdfAction"));
        QVERIFY(save);
        testsupport::ScriptedDialogs dialogs;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("gemt"));
        dialogs.files = {path, QString(), dir.filePath(QStringLiteral("no/such/x.pdf"))};
        save->trigger();
        QCOMPARE(pdfPageCount(path + QStringLiteral(".pdf")), 2);
        QVERIFY(dialogs.texts(QStringLiteral("save"))
                    .first()
                    .startsWith(QStringLiteral("PDF (*.pdf)|*.pdf|")));
        save->trigger();  // cancelled: nothing written, no error
        QVERIFY(dialogs.texts(QStringLiteral("error")).isEmpty());
        save->trigger();
        QCOMPARE(dialogs.texts(QStringLiteral("error")).size(), 1);
        dialog->close();
    }
};

QTEST_MAIN(ReportTest)
#include "tst_report.moc"
