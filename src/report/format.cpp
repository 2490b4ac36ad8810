// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/format.h"

#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QTextLayout>
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <optional>

namespace report {

namespace {

// Text is measured on a device of fixed, high resolution so the page model does not depend
// on the screen; painting at another resolution stays within rounding of these widths.
constexpr double MeasureDpi = 720.0;

const QPaintDevice* measureDevice() {
    static QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32);
        const int dotsPerMetre = int(std::lround(MeasureDpi / 0.0254));
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
        return image;
    }();
    return &device;
}

double toMm(double devicePixels) {
    return devicePixels * 25.4 / MeasureDpi;
}
double toDevice(double mm) {
    return mm * MeasureDpi / 25.4;
}

// Groups a run of digits in threes from the right.
QString grouped(const QString& digits, const QString& separator) {
    QString out;
    const int n = int(digits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) {
            out += separator;
        }
        out += digits.at(i);
    }
    return out;
}

// Literal parts of a mask: quoted text loses its quotes.
QString literal(const QString& part) {
    QString out;
    for (const QChar c : part) {
        if (c != u'"' && c != u'\'') {
            out += c;
        }
    }
    return out;
}

}  // namespace

QString formatMask(double value, const QString& mask, const QLocale& locale) {
    const QString section = mask.section(u';', 0, 0);
    qsizetype firstDigit = -1;
    qsizetype lastDigit = -1;
    for (qsizetype i = 0; i < section.size(); ++i) {
        const QChar c = section.at(i);
        if (c == u'#' || c == u'0') {
            if (firstDigit < 0) {
                firstDigit = i;
            }
            lastDigit = i;
        }
    }
    if (firstDigit < 0) {
        return literal(section);
    }
    const QString prefix = literal(section.left(firstDigit));
    const QString suffix = literal(section.mid(lastDigit + 1));
    const QString picture = section.mid(firstDigit, lastDigit - firstDigit + 1);

    const qsizetype point = picture.indexOf(u'.');
    const QString intPart = point < 0 ? picture : picture.left(point);
    const QString decPart = point < 0 ? QString() : picture.mid(point + 1);
    const int minInt = int(intPart.count(u'0'));
    const bool group = intPart.contains(u',');
    const int minDec = int(decPart.count(u'0'));
    const int maxDec = minDec + int(decPart.count(u'#'));

    // Plain digits first, in the C locale, then put together with the user's separators.
    const QString plain = QLocale::c().toString(std::fabs(value), 'f', maxDec);
    const qsizetype dot = plain.indexOf(u'.');
    QString intDigits = dot < 0 ? plain : plain.left(dot);
    QString decDigits = dot < 0 ? QString() : plain.mid(dot + 1);
    while (decDigits.size() > minDec && decDigits.endsWith(u'0')) {
        decDigits.chop(1);
    }
    if (intDigits == QStringLiteral("0") && minInt == 0) {
        intDigits.clear();
    }
    while (intDigits.size() < minInt) {
        intDigits.prepend(u'0');
    }
    // Asked for every amount of a long list: a plain scan, not a pattern.
    const bool zero =
        std::none_of(plain.cbegin(), plain.cend(), [](QChar c) { return c >= u'1' && c <= u'9'; });

    QString out = group ? grouped(intDigits, locale.groupSeparator()) : intDigits;
    if (!decDigits.isEmpty()) {
        out += locale.decimalPoint() + decDigits;
    }
    if (value < 0 && !zero) {
        out.prepend(locale.negativeSign());
    }
    return prefix + out + suffix;
}

// Metrics are asked for every element of every band: keep one set per font, with the
// advances of the characters seen so far.
struct FontMeasure {
    explicit FontMeasure(const QFont& font) : fm(font, measureDevice()) { latin.fill(-1.0); }
    QFontMetricsF fm;
    std::array<double, 0x250> latin;  // Latin scripts; others are asked each time

    double advance(QChar c) {
        if (c.unicode() < latin.size()) {
            double& a = latin[c.unicode()];
            if (a < 0) {
                a = fm.horizontalAdvance(c);
            }
            return a;
        }
        return fm.horizontalAdvance(c);
    }

    // The width without kerning. Kerning in Arial and its twin draws Latin letters together,
    // so a text this says fits does fit; it is cheap and decides most texts at once.
    std::optional<double> unkernedWidth(const QString& text) {
        double w = 0.0;
        for (const QChar c : text) {
            if (c.isSurrogate() || c.unicode() >= latin.size()) {
                return std::nullopt;
            }
            w += advance(c);
        }
        return w;
    }
};

static FontMeasure& measure(const QFont& font) {
    // Kept for the life of the process: fonts must not be released after the application's
    // font database is gone.
    static auto& cache = *new QHash<QString, std::shared_ptr<FontMeasure>>;
    static auto& lastFont = *new QFont;
    static FontMeasure* last = nullptr;
    if (last && font == lastFont) {
        return *last;
    }
    const QString key = font.key();
    auto it = cache.constFind(key);
    if (it == cache.constEnd()) {
        it = cache.insert(key, std::make_shared<FontMeasure>(font));
    }
    lastFont = font;
    last = it->get();
    return *last;
}

static const QFontMetricsF& metrics(const QFont& font) {
    return measure(font).fm;
}

double textWidthMm(const QString& text, const QFont& font) {
    return toMm(metrics(font).horizontalAdvance(text));
}

double lineHeightMm(const QFont& font) {
    return toMm(metrics(font).height());
}

QString firstLine(const QString& text, const QFont& font, double widthMm) {
    QString line = text;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line.at(i) == u'\n' || line.at(i) == u'\r') {
            line.truncate(i);
            break;
        }
    }
    if (line.isEmpty()) {
        return line;
    }
    const double width = toDevice(widthMm);
    if (const auto quick = measure(font).unkernedWidth(line); quick && *quick <= width) {
        return line;
    }
    if (metrics(font).horizontalAdvance(line) <= width) {
        return line;
    }
    QTextLayout layout(line, font, measureDevice());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine first = layout.createLine();
    first.setLineWidth(width);
    const int length = first.textLength();
    layout.endLayout();
    QString kept = line.left(length);
    while (!kept.isEmpty() && kept.back().isSpace()) {
        kept.chop(1);
    }
    return kept;
}

}  // namespace report
