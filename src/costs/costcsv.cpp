// SPDX-License-Identifier: GPL-3.0-or-later
#include "costcsv.h"

#include <QSaveFile>

#include "costs.h"
#include "i18n/texts.h"
#include "store/errors.h"

namespace costs {

namespace {

QString text(QStringView key, const char* danish) {
    return i18n::text(u"CostTexts", key, QString::fromUtf8(danish));
}

QString amount(double v, QChar point) {
    // No "-0.00" for what rounds to nothing.
    QString s = QString::number(std::abs(v) < 0.005 ? 0.0 : v, 'f', 2);
    if (point != QLatin1Char('.')) {
        s.replace(QLatin1Char('.'), point);
    }
    return s;
}

}  // namespace

QList<QStringList> csvTable(const Overview& overview, QChar point) {
    QList<QStringList> rows;
    rows << QStringList{
        text(u"CsvView", "Visning"),      text(u"CsvGroup", "Gruppe"),
        text(u"Regnr", "Regnr."),         text(u"PlantCount", "Antal planter"),
        text(u"Plants", "Planter"),       text(u"MaterialCount", "Antal materialer"),
        text(u"Materials", "Materialer"), text(u"Total", "I alt")};
    const struct {
        QString name;
        const QList<Line>* lines;
        bool plants;
        bool materials;
    } views[] = {
        {text(u"Year", "År"), &overview.years, true, true},
        {text(u"Family", "Plantefamilie"), &overview.families, true, false},
        {text(u"Type", "Plantetype"), &overview.types, true, false},
        {text(u"Work", "Haveanlæg"), &overview.works, false, true},
        {text(u"Category", "Kategori"), &overview.categories, false, true},
    };
    for (const auto& v : views) {
        for (const Line& l : *v.lines) {
            const bool work = l.kind == LineKind::Group && v.lines == &overview.works;
            rows << QStringList{v.name,
                                lineLabel(l),
                                work ? QString::number(l.regnr) : QString(),
                                v.plants ? QString::number(l.plantRows) : QString(),
                                v.plants ? amount(l.plants, point) : QString(),
                                v.materials ? QString::number(l.materialRows) : QString(),
                                v.materials ? amount(l.materials, point) : QString(),
                                amount(l.amount(), point)};
        }
    }
    return rows;
}

void writeCsv(const Overview& overview, const QString& path, const backup::CsvFormat& format) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        throw store::Error(QStringLiteral("%1: %2").arg(path, file.errorString()));
    }
    QByteArray bytes;
    if (format.byteOrderMark) {
        bytes += "\xEF\xBB\xBF";
    }
    for (const QStringList& row : csvTable(overview, format.decimalPoint)) {
        QStringList cells;
        for (const QString& c : row) {
            cells << backup::csvQuoted(c, format.separator);
        }
        bytes += (cells.join(format.separator) + QStringLiteral("\r\n")).toUtf8();
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        throw store::Error(QStringLiteral("%1: %2").arg(path, file.errorString()));
    }
}

}  // namespace costs
