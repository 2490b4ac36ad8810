// SPDX-License-Identifier: GPL-3.0-or-later
#include "garden/qrform2.h"

#include "data/dm.h"
#include "i18n/texts.h"
#include "report/output.h"
#include "report/report.h"

namespace garden {

namespace {

const QColor Navy(0x00, 0x00, 0x80);
const QColor Silver(0xc0, 0xc0, 0xc0);
// The totals stand right of the unit price, inside the printable width.
constexpr double TotalLeft = 166.0;
constexpr double TotalWidth = 22.0;
const QString SumMask = QStringLiteral("###,##0.00");

QString field(store::Table* table, const char* name) {
    return table->FieldByName(QString::fromLatin1(name)).DisplayText();
}

struct Column {
    const char* name;
    const char* field;
    double left;
    double width;
    Qt::Alignment alignment;
};

// The report's captions in the active language, Danish built in.
QString caption(const char16_t* key, const char* danish) {
    return i18n::text(u"QRForm2Texts", key, QString::fromUtf8(danish));
}

void addFields(report::Band& band, store::Table* table, std::initializer_list<Column> columns) {
    for (const Column& c : columns) {
        const char* name = c.field;
        band.field(QString::fromLatin1(c.name), [table, name] { return field(table, name); })
            .at(c.left, 1.3)
            .sized(c.width)
            .aligned(c.alignment);
    }
}

}  // namespace

TQRForm2::TQRForm2() = default;
TQRForm2::~TQRForm2() = default;

void TQRForm2::setSelectionLabel(const QString& text) {
    m_selection = text;
}

QString TQRForm2::selectionText(int language, int selection) {
    switch (selection) {
        case 1:
            return i18n::textFor(language, u"QRForm2Texts", u"Planned",
                                 QStringLiteral("Planlagte arbejder"));
        case 2:
            return i18n::textFor(language, u"QRForm2Texts", u"Finished",
                                 QStringLiteral("Afsluttede arbejder"));
        case 3:
            return i18n::textFor(language, u"QRForm2Texts", u"All",
                                 QStringLiteral("Alle haveanlæg"));
        default:
            return QString();
    }
}

report::Document TQRForm2::build() {
    store::Table* works = data::DM->HaveTable;
    store::Table* materials = data::DM->MaterialeTable;
    report::Report r;

    r.title.height = 16.7;
    r.title.label(QStringLiteral("QRLabel1"), title())
        .at(0.0, 1.3)
        .withFont(report::arial(18.0, true))
        .withColor(Navy)
        .aligned(Qt::AlignHCenter);
    r.title.label(QStringLiteral("QRLabel3"), m_selection)
        .at(0.0, 9.3)
        .withFont(report::arial(10.0))
        .withColor(Navy)
        .aligned(Qt::AlignHCenter);

    r.columnHeader.height = 6.1;
    r.columnHeader.color = Silver;
    const struct {
        const char* name;
        const char16_t* key;
        const char* caption;
        double left;
        double width;
    } captions[] = {
        {"QRLabel2", u"Work", "Haveanlæg", 2.6, 45.2},
        {"QRLabel4", u"Started", "Begyndt", 50.3, 16.1},
        {"QRLabel5", u"Ended", "Afsluttet", 68.8, 16.1},
        {"QRLabel6", u"Location", "Placering", 87.3, 77.0},
    };
    for (const auto& c : captions) {
        r.columnHeader.label(QString::fromLatin1(c.name), caption(c.key, c.caption))
            .at(c.left, 0.8)
            .sized(c.width)
            .withFont(report::arial(8.0, true));
    }

    r.detail.height = 6.6;
    addFields(r.detail, works,
              {{"QRDBText1", "Arbejdet", 2.6, 45.2, Qt::AlignLeft},
               {"QRDBText2", "Datostart", 50.3, 16.1, Qt::AlignLeft},
               {"QRDBText3", "Datoslut", 68.8, 16.1, Qt::AlignLeft},
               {"QRDBText4", "Placering", 87.3, 77.0, Qt::AlignLeft}});
    r.data = {[works] { works->First(); }, [works] { return works->Eof(); },
              [works] { works->Next(); }};

    // The unit price as it always stood, then the line total at the right, under which
    // the work's total and, at the end, the total of everything listed add up.
    report::RunningSum* workSum = r.addSum([] { return data::DM->MaterialeTableIalt->AsFloat(); });
    report::RunningSum* listSum = r.addSum([] { return data::DM->MaterialeTableIalt->AsFloat(); });
    report::SubDetail lines;
    lines.band.height = 6.6;
    addFields(lines.band, materials,
              {{"QRDBText5", "Antal", 9.3, 6.9, Qt::AlignLeft},
               {"QRDBText6", "Materialer", 19.8, 54.5, Qt::AlignLeft},
               {"QRDBText7", "Forhandler", 79.4, 63.8, Qt::AlignLeft},
               {"QRDBText8", "Pris", 146.8, 17.5, Qt::AlignRight}});
    // A material without a price has no line total to show, though it counts as 0.
    lines.band
        .field(QStringLiteral("QRDBText9"),
               [] {
                   return data::DM->MaterialeTablePris->IsNull()
                              ? QString()
                              : data::DM->MaterialeTableIalt->DisplayText();
               })
        .at(TotalLeft, 1.3)
        .sized(TotalWidth)
        .aligned(Qt::AlignRight);
    lines.band.sums = {workSum, listSum};
    lines.data = {[materials, workSum] {
                      workSum->reset();
                      materials->First();
                  },
                  [materials] { return materials->Eof(); }, [materials] { materials->Next(); }};
    lines.printIfEmpty = true;
    r.subDetails.append(lines);

    report::SubDetail workTotal;
    workTotal.band.height = 6.6;
    workTotal.band.label(QStringLiteral("QRLabel7"), caption(u"WorkTotal", "Anlægget i alt"))
        .at(79.4, 1.3)
        .sized(63.8)
        .withFont(report::arial(8.0, true));
    workTotal.band.sumOf(QStringLiteral("QRExpr1"), workSum, SumMask)
        .at(TotalLeft, 1.3)
        .sized(TotalWidth)
        .withFont(report::arial(8.0, true))
        .aligned(Qt::AlignRight);
    r.subDetails.append(workTotal);

    r.summary.height = 8.0;
    r.summary.box(79.4, 0.6, TotalLeft + TotalWidth - 79.4, 0.3, Qt::black);
    r.summary.label(QStringLiteral("QRLabel8"), caption(u"Total", "I alt"))
        .at(79.4, 1.9)
        .sized(63.8)
        .withFont(report::arial(8.0, true));
    r.summary.sumOf(QStringLiteral("QRExpr2"), listSum, SumMask)
        .at(TotalLeft, 1.9)
        .sized(TotalWidth)
        .withFont(report::arial(8.0, true))
        .aligned(Qt::AlignRight);

    return r.layout();
}

QString TQRForm2::title() {
    return caption(u"Title", "Vexmos anlæg");
}

void TQRForm2::Preview() {
    report::preview(build(), title());
}

}  // namespace garden
