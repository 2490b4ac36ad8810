// SPDX-License-Identifier: GPL-3.0-or-later
#include "costs.h"

#include <QHash>
#include <QLocale>
#include <algorithm>

#include "data/dm.h"
#include "i18n/texts.h"
#include "report/format.h"
#include "store/session.h"
#include "store/sums.h"

namespace costs {

namespace {

using store::GroupBy;

QList<store::GroupSum> sumsOf(const store::Table& table, const QList<GroupBy>& groups,
                              const QList<QStringList>& products) {
    const auto db = store::Session::database(table.DatabaseName());
    return store::groupedSums(*db, table.TableName(), groups, products);
}

int yearOf(const QVariant& v) {
    return v.isValid() ? v.toInt() : 0;
}

// Materials belong to the work of the same number and name, as the master link has it.
QString workKey(const QVariant& regnr, const QString& name) {
    return (regnr.isValid() ? QString::number(regnr.toLongLong()) : QStringLiteral("-")) +
           QChar(0x1f) + name;
}

void add(Line& line, bool plant, qint64 rows, double amount) {
    if (plant) {
        line.plantRows += rows;
        line.plants += amount;
    } else {
        line.materialRows += rows;
        line.materials += amount;
    }
}

Line special(LineKind kind) {
    Line l;
    l.kind = kind;
    return l;
}

// Groups by amount, largest first, then by name; the lines of no group after them.
QList<Line> ordered(const QHash<QString, Line>& groups, std::initializer_list<const Line*> tail) {
    QList<Line> out = groups.values();
    std::sort(out.begin(), out.end(), [](const Line& a, const Line& b) {
        if (a.amount() != b.amount()) {
            return a.amount() > b.amount();
        }
        const int byName = a.label.compare(b.label, Qt::CaseInsensitive);
        return byName != 0 ? byName < 0 : a.regnr < b.regnr;
    });
    for (const Line* l : tail) {
        if (l->plantRows + l->materialRows > 0) {
            out << *l;
        }
    }
    return out;
}

}  // namespace

int CostData::firstYear() const {
    int first = 0;
    auto see = [&](int y) {
        if (y > 0 && (first == 0 || y < first)) {
            first = y;
        }
    };
    for (const Plants& p : plants) {
        see(p.year);
    }
    for (const Materials& m : materials) {
        see(m.work >= 0 ? works.at(m.work).year : 0);
    }
    return first;
}

int CostData::lastYear() const {
    int last = 0;
    for (const Plants& p : plants) {
        last = std::max(last, p.year);
    }
    for (const Materials& m : materials) {
        last = std::max(last, m.work >= 0 ? works.at(m.work).year : 0);
    }
    return last;
}

CostData readCosts(const data::TDM& dm) {
    CostData d;
    for (const store::GroupSum& g : sumsOf(*dm.PlanteTable,
                                           {{QStringLiteral("Plantet"), GroupBy::Year},
                                            {QStringLiteral("Familie")},
                                            {QStringLiteral("Plantetype")},
                                            {QStringLiteral("Pris"), GroupBy::IsEmpty}},
                                           {{QStringLiteral("Pris")}})) {
        d.plants.append({yearOf(g.keys.at(0)), g.keys.at(1).toString(), g.keys.at(2).toString(),
                         !g.keys.at(3).toBool(), g.rows, g.sums.at(0)});
    }

    QHash<QString, int> workAt;
    for (const store::GroupSum& g : sumsOf(*dm.HaveTable,
                                           {{QStringLiteral("Regnr")},
                                            {QStringLiteral("Arbejdet")},
                                            {QStringLiteral("Kategori")},
                                            {QStringLiteral("Datostart"), GroupBy::Year},
                                            {QStringLiteral("Datoslut"), GroupBy::Year}},
                                           {})) {
        const QString name = g.keys.at(1).toString();
        const int start = yearOf(g.keys.at(3));
        // The first of works that share a number and a name takes their materials.
        workAt.insert(workKey(g.keys.at(0), name), int(d.works.size()));
        d.works.append({g.keys.at(0).toInt(), name, g.keys.at(2).toString(),
                        start > 0 ? start : yearOf(g.keys.at(4))});
    }

    for (const store::GroupSum& g : sumsOf(*dm.MaterialeTable,
                                           {{QStringLiteral("Regnr")},
                                            {QStringLiteral("Arbejdet")},
                                            {QStringLiteral("Pris"), GroupBy::IsEmpty}},
                                           {{QStringLiteral("Antal"), QStringLiteral("Pris")}})) {
        const int work = workAt.value(workKey(g.keys.at(0), g.keys.at(1).toString()), -1);
        d.materials.append({work, !g.keys.at(2).toBool(), g.rows, g.sums.at(0)});
    }
    return d;
}

Overview summarize(const CostData& data, int from, int to) {
    Overview o;
    o.from = from;
    o.to = to;
    const int first = data.firstYear();
    const int last = data.lastYear();
    o.wholeRange = first == 0 || (from <= first && to >= last);
    auto inRange = [&](int year) { return year == 0 ? o.wholeRange : year >= from && year <= to; };

    QList<Line> years;
    if (first > 0 && from > 0 && from <= to) {
        for (int y = from; y <= to; ++y) {
            Line l;
            l.label = QString::number(y);
            l.year = y;
            years << l;
        }
    }
    auto yearLine = [&](int year) -> Line& { return years[year - from]; };
    Line noDate = special(LineKind::NoDate), noPrice = special(LineKind::NoPrice);
    Line leftOut = special(LineKind::LeftOut);
    QHash<QString, Line> families, types, works, categories;
    Line noFamily = special(LineKind::NoFamily), noType = special(LineKind::NoType);
    Line plantsNoPrice = noPrice, materialsNoPrice = noPrice;
    Line noCategory = special(LineKind::NoCategory), noWork = special(LineKind::NoWork);
    Line categoryNoWork = noWork;
    Line total = special(LineKind::Total);

    auto group = [](QHash<QString, Line>& in, const QString& key, const QString& label) -> Line& {
        auto it = in.find(key);
        if (it == in.end()) {
            it = in.insert(key, Line());
            it->label = label;
        }
        return *it;
    };

    for (const CostData::Plants& p : data.plants) {
        if (p.year == 0 && !o.wholeRange) {
            add(leftOut, true, p.rows, p.amount);
            continue;
        }
        if (!inRange(p.year)) {
            continue;
        }
        add(total, true, p.rows, p.amount);
        if (!p.priced) {
            add(noPrice, true, p.rows, p.amount);
            add(plantsNoPrice, true, p.rows, p.amount);
            continue;
        }
        add(p.year > 0 ? yearLine(p.year) : noDate, true, p.rows, p.amount);
        add(p.family.isEmpty() ? noFamily : group(families, p.family, p.family), true, p.rows,
            p.amount);
        add(p.type.isEmpty() ? noType : group(types, p.type, p.type), true, p.rows, p.amount);
    }

    for (const CostData::Materials& m : data.materials) {
        const CostData::Work* work = m.work >= 0 ? &data.works.at(m.work) : nullptr;
        const int year = work ? work->year : 0;
        if (year == 0 && !o.wholeRange) {
            add(leftOut, false, m.rows, m.amount);
            continue;
        }
        if (!inRange(year)) {
            continue;
        }
        add(total, false, m.rows, m.amount);
        if (!m.priced) {
            add(noPrice, false, m.rows, m.amount);
            add(materialsNoPrice, false, m.rows, m.amount);
            continue;
        }
        add(year > 0 ? yearLine(year) : noDate, false, m.rows, m.amount);
        if (!work) {
            add(noWork, false, m.rows, m.amount);
            add(categoryNoWork, false, m.rows, m.amount);
            continue;
        }
        Line& w = group(works, QString::number(m.work), work->name);
        w.regnr = work->regnr;
        w.category = work->category;
        add(w, false, m.rows, m.amount);
        add(work->category.isEmpty() ? noCategory
                                     : group(categories, work->category, work->category),
            false, m.rows, m.amount);
    }

    o.years = years;
    for (const Line* l : {&noDate, &noPrice}) {
        if (l->plantRows + l->materialRows > 0) {
            o.years << *l;
        }
    }
    o.years << total;
    if (leftOut.plantRows + leftOut.materialRows > 0) {
        o.years << leftOut;
    }
    Line plantTotal = total, materialTotal = total;
    plantTotal.materialRows = 0;
    plantTotal.materials = 0.0;
    materialTotal.plantRows = 0;
    materialTotal.plants = 0.0;
    o.families = ordered(families, {&noFamily, &plantsNoPrice, &plantTotal});
    o.types = ordered(types, {&noType, &plantsNoPrice, &plantTotal});
    o.works = ordered(works, {&noWork, &materialsNoPrice, &materialTotal});
    o.categories =
        ordered(categories, {&noCategory, &categoryNoWork, &materialsNoPrice, &materialTotal});
    // The total line stands in every view, also over nothing.
    for (QList<Line>* view : {&o.families, &o.types, &o.works, &o.categories}) {
        if (view->isEmpty() || view->last().kind != LineKind::Total) {
            view->append(view == &o.families || view == &o.types ? plantTotal : materialTotal);
        }
    }
    o.total = total;
    return o;
}

QString lineLabel(const Line& line) {
    switch (line.kind) {
        case LineKind::Group:
            return line.label.isEmpty()
                       ? i18n::text(u"CostTexts", u"NoName", QStringLiteral("uden navn"))
                       : line.label;
        case LineKind::NoDate:
            return i18n::text(u"CostTexts", u"NoDate", QStringLiteral("uden dato"));
        case LineKind::NoPrice:
            return i18n::text(u"CostTexts", u"NoPrice", QStringLiteral("uden pris"));
        case LineKind::NoFamily:
            return i18n::text(u"CostTexts", u"NoFamily", QStringLiteral("uden familie"));
        case LineKind::NoType:
            return i18n::text(u"CostTexts", u"NoType", QStringLiteral("uden type"));
        case LineKind::NoCategory:
            return i18n::text(u"CostTexts", u"NoCategory", QStringLiteral("uden kategori"));
        case LineKind::NoWork:
            return i18n::text(u"CostTexts", u"NoWork", QStringLiteral("uden anlæg"));
        case LineKind::Total:
            return i18n::text(u"CostTexts", u"Total", QStringLiteral("I alt"));
        case LineKind::LeftOut:
            return i18n::text(u"CostTexts", u"LeftOut",
                              QStringLiteral("uden dato, ikke med i perioden"));
    }
    return line.label;
}

QString money(double amount) {
    return report::formatMask(amount, QStringLiteral("###,##0.00"));
}

QString count(qint64 n) {
    return QLocale().toString(n);
}

}  // namespace costs
