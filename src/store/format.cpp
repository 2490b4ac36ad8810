// SPDX-License-Identifier: GPL-3.0-or-later
#include "format.h"

#include <QLocale>
#include <QRegularExpression>

namespace store {

namespace {

QString& formatOverride() {
    static QString value;
    return value;
}

QString regionalFormat() {
    QString f = QLocale().dateFormat(QLocale::ShortFormat);
    // Two-digit years are ambiguous for planting dates decades back.
    if (!f.contains(QLatin1String("yyyy"))) {
        f.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    }
    if (!f.contains(QLatin1String("yyyy"))) {
        f = QStringLiteral("dd-MM-yyyy");
    }
    // Digits only: a month name (the C locale's "d MMM yyyy") cannot be typed through the
    // date edit's input mask, nor cut sensibly in a report column.
    static const QRegularExpression monthName(QStringLiteral("M{3,}"));
    f.replace(monthName, QStringLiteral("MM"));
    // Fixed-width days and months so the date edit can use an input mask.
    if (!f.contains(QLatin1String("dd"))) {
        f.replace(QLatin1Char('d'), QLatin1String("dd"));
    }
    if (!f.contains(QLatin1String("MM"))) {
        f.replace(QLatin1Char('M'), QLatin1String("MM"));
    }
    return f;
}

}  // namespace

QString shortDateFormat() {
    const QString& o = formatOverride();
    return o.isEmpty() ? regionalFormat() : o;
}

void setShortDateFormat(const QString& format) {
    formatOverride() = format;
}

QString formatDate(const QDate& date) {
    return date.isValid() ? date.toString(shortDateFormat()) : QString();
}

QDate parseDate(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        return {};
    }
    QDate d = QDate::fromString(t, shortDateFormat());
    if (!d.isValid()) {
        // Also take single-digit days and months as people type them.
        QString loose = shortDateFormat();
        loose.replace(QLatin1String("dd"), QLatin1String("d"));
        loose.replace(QLatin1String("MM"), QLatin1String("M"));
        d = QDate::fromString(t, loose);
    }
    return d;
}

bool isBlankDateText(const QString& text) {
    for (QChar c : text) {
        if (c.isDigit() || c.isLetter()) {
            return false;
        }
    }
    return true;
}

std::optional<int> parseInteger(const QString& text) {
    const QString t = text.trimmed();
    bool ok = false;
    const int v = t.toInt(&ok);
    if (ok) {
        return v;
    }
    const int lv = QLocale().toInt(t, &ok);
    if (ok) {
        return lv;
    }
    return std::nullopt;
}

std::optional<double> parseFloat(const QString& text) {
    QString t = text.trimmed();
    bool ok = false;
    double v = QLocale().toDouble(t, &ok);
    if (!ok) {
        v = QLocale::c().toDouble(t, &ok);
    }
    if (!ok) {
        // A currency text as shown, e.g. "kr. 12,50" or "12,50 kr.".
        const QLocale loc;
        QString bare = t;
        bare.remove(loc.currencySymbol()).remove(loc.currencySymbol(QLocale::CurrencyIsoCode));
        bare = bare.trimmed();
        if (bare != t && !bare.isEmpty()) {
            v = loc.toDouble(bare, &ok);
        }
    }
    if (!ok || !std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}

}  // namespace store
