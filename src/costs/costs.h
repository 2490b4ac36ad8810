// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

namespace data {
class TDM;
}

namespace costs {

// What the garden has cost, read once from the whole tables (no window's filter applies) and
// kept in groups fine enough that any range of years is summed from them without reading
// again. A plant's Pris is the price of its registration as typed, not multiplied by Antal,
// as the plant list sums it; a material costs Antal x Pris.
struct CostData {
    // The plants of one year, family and type, with a price or without.
    struct Plants {
        int year = 0;  // of Plantet; 0: no date
        QString family;
        QString type;
        bool priced = true;
        qint64 rows = 0;
        double amount = 0.0;
    };
    struct Work {
        int regnr = 0;
        QString name;
        QString category;
        int year = 0;  // of its start date, else of its end date; 0: neither
    };
    // The materials of one work, with a price or without.
    struct Materials {
        int work = -1;  // index into works; -1: no work of that number and name any more
        bool priced = true;
        qint64 rows = 0;
        double amount = 0.0;
    };
    QList<Plants> plants;
    QList<Work> works;
    QList<Materials> materials;

    // The first and last year that dated costs fall in; 0 when nothing is dated.
    int firstYear() const;
    int lastYear() const;
};

// Reads the plants, the garden works and their materials from the tables of the data module,
// whatever filter or link their cursors have.
CostData readCosts(const data::TDM& dm);

enum class LineKind {
    Group,    // a year, family, type, work or category
    NoDate,   // priced, but neither it nor its work has a date
    NoPrice,  // no price: counted, adds nothing
    NoFamily,
    NoType,
    NoCategory,
    NoWork,  // materials whose work is gone or was renamed without them
    Total,
    LeftOut,  // undated costs, outside a narrowed range of years: not in the total
};

// One line of a view: how many plants and materials it counts and what they cost.
struct Line {
    LineKind kind = LineKind::Group;
    QString label;  // of a group line: the year, family, type, work or category
    int year = 0;
    int regnr = 0;     // of a work line
    QString category;  // of a work line
    qint64 plantRows = 0;
    qint64 materialRows = 0;
    double plants = 0.0;
    double materials = 0.0;

    double amount() const { return plants + materials; }
};

// The three views of the same sums over a range of years. Every view's lines end with its
// Total line; the plant views add up to the plants of the total, the material views to its
// materials, the year view to the whole. Rows without a price are counted in a NoPrice line
// of their own in every view; undated rows fall in a NoDate line while the range covers every
// year, and are left out of a narrowed range, counted after the years' total (LeftOut).
struct Overview {
    int from = 0;
    int to = 0;
    bool wholeRange = true;
    QList<Line> years;  // every year of the range, then NoDate, NoPrice, Total, LeftOut
    QList<Line> families;
    QList<Line> types;
    QList<Line> works;
    QList<Line> categories;
    Line total;
};

// The sums for the years from..to; a range that covers every dated year is the whole range.
// Groups come by their amount, largest first.
Overview summarize(const CostData& data, int from, int to);

// The text a line shows in its first column, in the active language.
QString lineLabel(const Line& line);
// Amounts as the window, the print and the sums of the reports show them: "###,##0.00" in
// the regional separators.
QString money(double amount);
QString count(qint64 n);

}  // namespace costs
