// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/report.h"

#include <QFontInfo>
#include <QHash>

#include "report/format.h"

namespace report {

QFont arial(double pointSize, bool bold) {
    QFont font(QStringLiteral("Arial"));
    // Where fontconfig has no alias for Arial, name its metric twin outright.
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    // Hinting would make widths depend on the resolution; the page model is in millimetres.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

Element& Band::label(const QString& name, const QString& text) {
    Element e;
    e.name = name;
    e.text = text;
    elements.append(e);
    return elements.last();
}

Element& Band::field(const QString& name, std::function<QString()> expression) {
    Element e;
    e.name = name;
    e.expression = std::move(expression);
    elements.append(e);
    return elements.last();
}

Element& Band::sumOf(const QString& name, const RunningSum* sum, const QString& mask) {
    return field(name, [sum, mask] { return formatMask(sum->value(), mask); });
}

Box& Band::box(double left, double top, double width, double height, const QColor& fill) {
    boxes.append({left, top, width, height, fill});
    return boxes.last();
}

Report::Report() = default;
Report::~Report() = default;

RunningSum* Report::addSum(std::function<double()> value) {
    m_sums.push_back(std::make_unique<RunningSum>(std::move(value)));
    return m_sums.back().get();
}

namespace {

// Places bands down the pages of one document.
class Placer {
public:
    Placer(Document& doc, const Report& r)
        : m_doc(doc),
          m_left(r.margins.left()),
          m_width(r.printableWidth()),
          m_top(r.margins.top()),
          m_footerTop(r.pageSize.height() - r.margins.bottom() - r.pageFooter.height),
          m_report(r) {}

    void begin() { newPage(); }

    // A body band: a new page first when it does not fit below what the page holds, together
    // with what must stay with it. A band taller than a whole page still prints, alone, rather
    // than paging for ever.
    void body(const Band& band, bool withTexts = true, double keepWith = 0.0) {
        if (band.height <= 0.0) {
            return;
        }
        if (m_bodyBands > 0 && m_y + band.height + keepWith > m_footerTop + 1e-9) {
            finishPage();
            newPage();
        }
        place(band, withTexts);
        ++m_bodyBands;
    }

    void finishPage() {
        if (m_report.pageFooter.height > 0.0) {
            m_y = m_footerTop;
            place(m_report.pageFooter, true);
        }
    }

private:
    void newPage() {
        m_doc.pages.append(Page());
        m_y = m_top;
        m_bodyBands = 0;
        if (m_doc.pages.size() == 1 && m_report.title.height > 0.0) {
            place(m_report.title, true);
        }
        if (m_report.columnHeader.height > 0.0) {
            place(m_report.columnHeader, true);
        }
    }

    void place(const Band& band, bool withTexts) {
        Page& page = m_doc.pages.last();
        if (band.color.isValid()) {
            page.boxes.append({QRectF(m_left, m_y, m_width, band.height), band.color});
        }
        if (withTexts) {
            for (const Box& b : band.boxes) {
                page.boxes.append(
                    {QRectF(m_left + b.left, m_y + b.top, b.width, b.height), b.fill});
            }
            for (const Element& e : band.elements) {
                placeElement(page, e);
            }
            for (RunningSum* sum : band.sums) {
                sum->add();
            }
        }
        m_y += band.height;
    }

    void placeElement(Page& page, const Element& e) {
        const double width = e.width > 0.0 ? e.width : m_width - e.left;
        const QRectF rect(m_left + e.left, m_y + e.top, width, lineHeightMm(e.font));
        if (e.background.isValid()) {
            page.boxes.append({rect, e.background});
        }
        const QString text = cut(e, e.expression ? e.expression() : e.text, width);
        if (!text.isEmpty()) {
            page.texts.append({e.name, rect, text, e.font, e.color, e.alignment});
        }
    }

    // Places, families and types repeat down a list: each element remembers its cuts.
    QString cut(const Element& e, const QString& text, double width) {
        if (text.isEmpty()) {
            return text;
        }
        QHash<QString, QString>& known = m_cuts[&e];
        auto it = known.constFind(text);
        if (it == known.constEnd()) {
            it = known.insert(text, firstLine(text, e.font, width));
        }
        return *it;
    }

    Document& m_doc;
    QHash<const Element*, QHash<QString, QString>> m_cuts;
    const double m_left;
    const double m_width;
    const double m_top;
    const double m_footerTop;
    const Report& m_report;
    double m_y = 0.0;
    int m_bodyBands = 0;
};

}  // namespace

Document Report::layout() {
    for (auto& sum : m_sums) {
        sum->reset();
    }
    Document doc;
    doc.pageSize = pageSize;
    doc.margins = margins;
    Placer placer(doc, *this);
    placer.begin();

    // The height a heading keeps free below itself: the band printed next.
    auto following = [&](qsizetype sub) {
        for (qsizetype i = sub + 1; i < subDetails.size(); ++i) {
            if (subDetails.at(i).band.height > 0.0) {
                return subDetails.at(i).band.height;
            }
        }
        return summary.height;
    };
    auto printRow = [&] {
        placer.body(detail, true, detail.keepWithNext ? following(-1) : 0.0);
        for (qsizetype i = 0; i < subDetails.size(); ++i) {
            const SubDetail& sub = subDetails.at(i);
            if (!sub.data.first) {
                placer.body(sub.band, true, sub.band.keepWithNext ? following(i) : 0.0);
                continue;
            }
            sub.data.first();
            if (sub.data.eof()) {
                if (sub.printIfEmpty) {
                    placer.body(sub.band, false);
                }
                continue;
            }
            for (; !sub.data.eof(); sub.data.next()) {
                placer.body(sub.band);
            }
        }
    };

    if (data.first) {
        for (data.first(); !data.eof(); data.next()) {
            printRow();
        }
    } else {
        printRow();
    }
    placer.body(summary);
    placer.finishPage();
    return doc;
}

}  // namespace report
