// SPDX-License-Identifier: GPL-3.0-or-later
#include "costreport.h"

#include <memory>

#include "chart.h"
#include "costs.h"
#include "i18n/texts.h"
#include "report/format.h"
#include "report/report.h"
#include "views.h"

namespace costs {

namespace {

const QColor Navy(0x00, 0x00, 0x80);
const QColor Silver(0xc0, 0xc0, 0xc0);
const QColor Grey(0x50, 0x50, 0x50);

constexpr double FirstLeft = 2.6;
constexpr double RightEdge = 188.0;
constexpr double RowHeight = 5.4;

QString text(QStringView key, const char* danish) {
    return i18n::text(u"CostTexts", key, QString::fromUtf8(danish));
}

double widthOf(Column c) {
    switch (c) {
        case Column::Regnr:
            return 14.0;
        case Column::Category:
            return 36.0;
        case Column::PlantRows:
        case Column::MaterialRows:
            return 24.0;
        case Column::Plants:
        case Column::Materials:
        case Column::Amount:
            return 30.0;
        case Column::Label:
            break;
    }
    return 0.0;
}

struct Placed {
    ColumnDef def;
    double left;
    double width;
};

// Columns side by side across the page: the first column of names takes what is left.
QList<Placed> place(const QList<ColumnDef>& columns) {
    double fixed = 0.0;
    for (const ColumnDef& c : columns) {
        fixed += widthOf(c.what) + (c.what == Column::Label ? 0.0 : 2.0);
    }
    QList<Placed> out;
    double left = FirstLeft;
    for (const ColumnDef& c : columns) {
        const double w = c.what == Column::Label ? RightEdge - FirstLeft - fixed : widthOf(c.what);
        out.append({c, left, w});
        left += w + 2.0;
    }
    return out;
}

Qt::Alignment alignmentOf(Column c) {
    return isNumber(c) ? Qt::AlignRight : Qt::AlignLeft;
}

// The lines of a view as they are walked for printing.
struct Walk {
    QList<Line> lines;
    qsizetype at = 0;
};

void once(report::Report& r, const report::Band& band) {
    report::SubDetail s;
    s.band = band;
    r.subDetails.append(s);
}

void heading(report::Report& r, const QString& title) {
    report::Band b;
    b.height = 9.0;
    b.keepWithNext = true;
    b.label(QStringLiteral("Heading"), title).at(0.0, 3.0).withFont(report::arial(10.0, true));
    once(r, b);
}

// A view: its heading, the column titles, a line per group and line of no group (those in
// grey italics), the total under a rule, and what the total leaves out after it.
void section(report::Report& r, const QString& title, const QList<ColumnDef>& columns,
             const QList<Line>& lines) {
    const QList<Placed> placed = place(columns);
    heading(r, title);

    report::Band header;
    header.height = 6.1;
    header.color = Silver;
    header.keepWithNext = true;
    for (const Placed& p : placed) {
        header.label(QStringLiteral("Title"), p.def.title)
            .at(p.left, 0.8)
            .sized(p.width)
            .withFont(report::arial(8.0, true))
            .aligned(alignmentOf(p.def.what));
    }
    once(r, header);

    auto body = std::make_shared<Walk>();
    auto tail = std::make_shared<Walk>();
    Line total;
    bool seenTotal = false;
    for (const Line& l : lines) {
        if (l.kind == LineKind::Total) {
            total = l;
            seenTotal = true;
        } else if (seenTotal) {
            tail->lines << l;
        } else {
            body->lines << l;
        }
    }

    auto rows = [&](const std::shared_ptr<Walk>& walk, bool alwaysGrey) {
        report::SubDetail s;
        s.band.height = RowHeight;
        for (const Placed& p : placed) {
            const Column what = p.def.what;
            QFont italic = report::arial(8.0);
            italic.setItalic(true);
            for (const bool grey : {false, true}) {
                if (alwaysGrey && !grey) {
                    continue;
                }
                s.band
                    .field(grey ? QStringLiteral("Other") : QStringLiteral("Line"),
                           [walk, what, grey, alwaysGrey] {
                               const Line& l = walk->lines.at(walk->at);
                               const bool other = alwaysGrey || l.kind != LineKind::Group;
                               return other == grey ? cellText(l, what) : QString();
                           })
                    .at(p.left, 0.9)
                    .sized(p.width)
                    .withFont(grey ? italic : report::arial(8.0))
                    .withColor(grey ? Grey : QColor(Qt::black))
                    .aligned(alignmentOf(what));
            }
        }
        s.data = {[walk] { walk->at = 0; }, [walk] { return walk->at >= walk->lines.size(); },
                  [walk] { ++walk->at; }};
        r.subDetails.append(s);
    };
    rows(body, false);

    report::Band sum;
    sum.height = RowHeight + 0.6;
    sum.box(FirstLeft, 0.3, RightEdge - FirstLeft, 0.25, Qt::black);
    for (const Placed& p : placed) {
        sum.label(QStringLiteral("Total"), cellText(total, p.def.what))
            .at(p.left, 1.3)
            .sized(p.width)
            .withFont(report::arial(8.0, true))
            .aligned(alignmentOf(p.def.what));
    }
    once(r, sum);
    if (!tail->lines.isEmpty()) {
        rows(tail, true);
    }
}

// The chart as the window draws it, in millimetres on a band of its own.
void chart(report::Report& r, const Overview& overview) {
    constexpr double Top = 3.0;
    const QSizeF size(r.printableWidth(), 72.0);
    const QFont font = report::arial(7.0);
    ChartText words = chartTexts();
    words.width = [font](const QString& s) { return report::textWidthMm(s, font); };
    words.lineHeight = report::lineHeightMm(font);
    const ChartPicture pic = drawChart(yearBars(overview), size, words);

    report::Band b;
    b.height = size.height() + 2 * Top;
    for (const ChartPicture::Box& box : pic.boxes) {
        b.box(box.rect.left(), Top + box.rect.top(), box.rect.width(), box.rect.height(), box.fill);
    }
    // A little room on every side, so measuring on paper cannot cut a label.
    constexpr double Slack = 1.0;
    for (const ChartPicture::Text& t : pic.texts) {
        double left = t.rect.left();
        if (t.alignment & Qt::AlignRight) {
            left -= Slack;
        } else if (t.alignment & Qt::AlignHCenter) {
            left -= Slack / 2;
        }
        b.label(QStringLiteral("Chart"), t.text)
            .at(left, Top + t.rect.top())
            .sized(t.rect.width() + Slack)
            .withFont(font)
            .aligned(t.alignment);
    }
    once(r, b);
}

}  // namespace

QString reportTitle() {
    return text(u"Title", "Udgifter");
}

QString periodText(const Overview& overview) {
    if (overview.from == 0) {
        return text(u"NoYears", "Ingen udgifter med dato");
    }
    const QString years = overview.from == overview.to
                              ? QString::number(overview.from)
                              : QStringLiteral("%1-%2").arg(overview.from).arg(overview.to);
    return overview.wholeRange ? text(u"AllYears", "Alle år (%1)").arg(years) : years;
}

report::Document buildReport(const Overview& overview) {
    report::Report r;
    r.title.height = 25.0;
    r.title.label(QStringLiteral("QRLabel1"), reportTitle())
        .at(0.0, 1.3)
        .withFont(report::arial(18.0, true))
        .withColor(Navy)
        .aligned(Qt::AlignHCenter);
    r.title.label(QStringLiteral("QRLabel3"), periodText(overview))
        .at(0.0, 9.3)
        .withFont(report::arial(10.0))
        .withColor(Navy)
        .aligned(Qt::AlignHCenter);
    r.title
        .label(QStringLiteral("QRLabel4"),
               text(u"GrandTotal", "Udgifter i alt: %1").arg(money(overview.total.amount())))
        .at(0.0, 14.6)
        .withFont(report::arial(10.0, true))
        .aligned(Qt::AlignHCenter);
    r.title
        .label(QStringLiteral("QRLabel2"),
               text(u"PricePerRow",
                    "Planternes pris tælles pr. registrering, som den er "
                    "skrevet, ikke gange antal; materialer som antal gange "
                    "stk. pris."))
        .at(0.0, 20.0)
        .withFont(report::arial(7.0))
        .withColor(Grey)
        .aligned(Qt::AlignHCenter);

    chart(r, overview);
    section(r, text(u"YearTitle", "Udgifter pr. år"), yearColumns(), overview.years);
    section(r, text(u"FamilyTitle", "Planter efter plantefamilie"), familyColumns(),
            overview.families);
    section(r, text(u"TypeTitle", "Planter efter plantetype"), typeColumns(), overview.types);
    section(r, text(u"WorkTitle", "Materialer efter haveanlæg"), workColumns(), overview.works);
    section(r, text(u"CategoryTitle", "Materialer efter kategori"), categoryColumns(),
            overview.categories);
    return r.layout();
}

}  // namespace costs
