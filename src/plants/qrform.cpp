// SPDX-License-Identifier: GPL-3.0-or-later
#include "plants/qrform.h"

#include "data/dm.h"
#include "i18n/texts.h"
#include "report/output.h"
#include "report/report.h"

namespace plants {

namespace {

const QColor Navy(0x00, 0x00, 0x80);
const QColor Silver(0xc0, 0xc0, 0xc0);

QString field(store::Table* table, const char* name) {
    return table->FieldByName(QString::fromLatin1(name)).DisplayText();
}

// The report's captions in the active language, Danish built in.
QString caption(const char16_t* key, const char* danish) {
    return i18n::text(u"QRFormTexts", key, QString::fromUtf8(danish));
}

}  // namespace

TQRForm::TQRForm() = default;
TQRForm::~TQRForm() = default;

void TQRForm::setSelectionLabel(const QString& text) {
    m_selection = text;
}

report::Document TQRForm::build() {
    store::Table* plants = data::DM->PlanteTable;
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
        {"QRLabel2", u"PlantName", "Plantenavn", 2.6, 36.0},
        {"QRLabel4", u"Planted", "Plantet", 41.0, 20.1},
        {"QRLabel5", u"Family", "Plantefamilie", 63.5, 29.4},
        {"QRLabel6", u"Type", "Plantetype", 95.2, 29.4},
        {"QRLabel7", u"Location", "Placering", 127.0, 34.7},
        {"QRLabel8", u"Price", "Pris", 164.0, 20.1},
    };
    for (const auto& c : captions) {
        r.columnHeader.label(QString::fromLatin1(c.name), caption(c.key, c.caption))
            .at(c.left, 0.8)
            .sized(c.width)
            .withFont(report::arial(8.0, true));
    }

    r.detail.height = 6.6;
    const struct {
        const char* name;
        const char* field;
        double left;
        double width;
        Qt::Alignment alignment;
    } fields[] = {
        {"QRDBText1", "Plantenavn", 2.6, 36.0, Qt::AlignLeft},
        {"QRDBText2", "Plantet", 41.0, 20.1, Qt::AlignLeft},
        {"QRDBText3", "Familie", 63.5, 29.4, Qt::AlignLeft},
        {"QRDBText4", "Plantetype", 95.2, 29.4, Qt::AlignLeft},
        {"QRDBText5", "Placering", 127.0, 34.7, Qt::AlignLeft},
        {"QRDBText6", "Pris", 164.0, 20.1, Qt::AlignRight},
    };
    for (const auto& f : fields) {
        const char* name = f.field;
        r.detail.field(QString::fromLatin1(f.name), [plants, name] { return field(plants, name); })
            .at(f.left, 1.3)
            .sized(f.width)
            .aligned(f.alignment);
    }
    // An empty price reads as 0 and so adds nothing.
    report::RunningSum* sum =
        r.addSum([plants] { return plants->FieldByName(QStringLiteral("Pris")).AsFloat(); });
    r.detail.sums.append(sum);
    r.data = {[plants] { plants->First(); }, [plants] { return plants->Eof(); },
              [plants] { plants->Next(); }};

    r.pageFooter.height = 7.1;
    // Right edge at 184.9 mm, as far left as the price column begins.
    r.pageFooter.sumOf(QStringLiteral("QRExpr1"), sum, QStringLiteral("###,##0.00"))
        .at(124.9, 1.3)
        .sized(60.0)
        .aligned(Qt::AlignRight);

    // Bound grids would follow every row of the walk; they are told once, at the end.
    plants->DisableControls();
    struct Enable {
        store::Table* t;
        ~Enable() { t->EnableControls(); }
    } enable{plants};
    return r.layout();
}

QString TQRForm::title() {
    return caption(u"Title", "Vexmos planter");
}

void TQRForm::Preview() {
    report::preview(build(), title());
}

}  // namespace plants
