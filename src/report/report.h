// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

#include "report/document.h"

namespace report {

// The font the reports ask for, at a point size; when Arial itself is missing a
// metric-compatible face (Liberation Sans) stands in, so texts keep their widths.
QFont arial(double pointSize, bool bold = false);

// A running sum over printed bands: every time a band it is attached to prints, the value
// of the row then current is added. It is never reset between pages.
class RunningSum {
public:
    explicit RunningSum(std::function<double()> value) : m_value(std::move(value)) {}
    double value() const { return m_sum; }
    void add() { m_sum += m_value ? m_value() : 0.0; }
    void reset() { m_sum = 0.0; }

private:
    std::function<double()> m_value;
    double m_sum = 0.0;
};

// One element of a band: a fixed text, or a text computed when the band prints.
// Placed in millimetres from the band's top left corner. The box is one line high and never
// grows: a text wider than the box is broken at word boundaries and only its first line kept.
// A width of 0 reaches to the band's right edge.
struct Element {
    QString name;
    QString text;
    std::function<QString()> expression;  // when set, replaces text at print time
    double left = 0.0;
    double top = 0.0;
    double width = 0.0;
    QFont font = arial(8.0);
    QColor color = Qt::black;
    QColor background;  // invalid: transparent
    Qt::Alignment alignment = Qt::AlignLeft;

    // Chained setters keep report definitions short.
    Element& at(double l, double t) {
        left = l;
        top = t;
        return *this;
    }
    Element& sized(double w) {
        width = w;
        return *this;
    }
    Element& withFont(const QFont& f) {
        font = f;
        return *this;
    }
    Element& withColor(const QColor& c) {
        color = c;
        return *this;
    }
    Element& withBackground(const QColor& c) {
        background = c;
        return *this;
    }
    Element& aligned(Qt::Alignment a) {
        alignment = a;
        return *this;
    }
};

// A filled box on a band (a bar of a chart, a rule), in millimetres from the band's top left
// corner; painted under the band's texts.
struct Box {
    double left = 0.0;
    double top = 0.0;
    double width = 0.0;
    double height = 0.0;
    QColor fill;
};

// A band spans the printable width. Its elements print together or not at all.
struct Band {
    double height = 0.0;       // mm; a band of height 0 is not printed
    QColor color = Qt::white;  // background; invalid: none
    QList<Element> elements;
    QList<Box> boxes;
    QList<RunningSum*> sums;  // added to each time this band prints
    // A heading: begins a new page rather than stand at the foot of one without the band
    // that follows it.
    bool keepWithNext = false;

    Element& label(const QString& name, const QString& text);
    Element& field(const QString& name, std::function<QString()> expression);
    // The sum formatted with a mask such as "###,##0.00" in the regional separators.
    Element& sumOf(const QString& name, const RunningSum* sum, const QString& mask);
    Box& box(double left, double top, double width, double height, const QColor& fill);
};

// How a band walks its rows; first() positions on the first row.
struct DataLoop {
    std::function<void()> first;
    std::function<bool()> eof;
    std::function<void()> next;
};

// Bands printed after each detail band, one per row of their own loop (e.g. the rows a
// master link gives for the detail row just printed).
struct SubDetail {
    Band band;
    DataLoop data;
    bool printIfEmpty = false;  // one band without texts when the loop has no rows
};

// A banded report: the title band on the first page, the column header on top of every page,
// one detail band per row with its sub-detail bands, the summary once after the last row, and
// the page footer at the bottom of every page, the last included. A band that does not fit
// below the ones already on the page begins a new page.
class Report {
public:
    Report();
    ~Report();
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;

    QSizeF pageSize{210.0, 297.0};
    QMarginsF margins{10.0, 10.0, 10.0, 10.0};

    Band title;
    Band columnHeader;
    Band detail;
    DataLoop data;  // without it the detail band prints once
    QList<SubDetail> subDetails;
    Band summary;
    Band pageFooter;

    // A sum owned by the report; attach it to the band whose rows it adds up.
    RunningSum* addSum(std::function<double()> value);

    double printableWidth() const { return pageSize.width() - margins.left() - margins.right(); }

    // Walks the data from the first row to the last and places every band. Sums restart.
    Document layout();

private:
    std::vector<std::unique_ptr<RunningSum>> m_sums;
};

}  // namespace report
