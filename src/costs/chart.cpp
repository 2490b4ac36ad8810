// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "costs.h"
#include "i18n/texts.h"
#include "report/format.h"

namespace costs {

const QColor PlantColour(0x6a, 0x99, 0x4e);
const QColor MaterialColour(0xbc, 0x6c, 0x25);

namespace {

const QColor GridColour(0xdd, 0xdd, 0xdd);
const QColor AxisColour(0x60, 0x60, 0x60);

// Round steps, four to six of them over the span: 1, 2, 2.5 or 5 times a power of ten.
double niceStep(double span) {
    const double raw = span / 5.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double f : {1.0, 2.0, 2.5, 5.0}) {
        if (f * magnitude >= raw * (1.0 - 1e-9)) {
            return f * magnitude;
        }
    }
    return 10.0 * magnitude;
}

}  // namespace

QList<YearBar> yearBars(const Overview& overview) {
    QList<YearBar> out;
    for (const Line& l : overview.years) {
        if (l.kind == LineKind::Group) {
            out.append({l.year, l.plants, l.materials});
        }
    }
    return out;
}

ChartPicture drawChart(const QList<YearBar>& bars, const QSizeF& size, const ChartText& text) {
    ChartPicture pic;
    const double w = size.width();
    const double h = size.height();
    const double lh = text.lineHeight;
    if (bars.isEmpty()) {
        pic.texts.append({QRectF(0, (h - lh) / 2, w, lh), text.empty, Qt::AlignHCenter});
        return pic;
    }

    double high = 0.0;
    double low = 0.0;
    for (const YearBar& b : bars) {
        high = std::max(high, std::max(0.0, b.plants) + std::max(0.0, b.materials));
        low = std::min(low, std::min(0.0, b.plants) + std::min(0.0, b.materials));
    }
    if (high - low <= 0.0) {
        high = 1.0;  // nothing but zeros: an axis up to one
    }
    const double step = niceStep(high - low);
    const double top = std::ceil(high / step - 1e-9) * step;
    const double bottom = std::floor(low / step + 1e-9) * step;
    const QString mask = step < 1.0 ? QStringLiteral("###,##0.##") : QStringLiteral("###,##0");
    QList<std::pair<double, QString>> ticks;
    double tickWidth = 0.0;
    for (int i = 0; bottom + i * step <= top + step / 2; ++i) {
        const double v = bottom + i * step;
        const QString label = report::formatMask(std::abs(v) < step / 2 ? 0.0 : v, mask);
        ticks.append({v, label});
        tickWidth = std::max(tickWidth, text.width(label));
    }

    const double pad = lh * 0.5;
    const double rule = lh * 0.08;
    const double plotTop = lh * 2.0;
    const double plotBottom = h - lh * 1.5;
    const double plotLeft = tickWidth + pad;
    const double plotRight = w - pad;
    if (plotBottom <= plotTop || plotRight <= plotLeft) {
        return pic;  // too small to draw anything readable
    }
    auto y = [&](double v) {
        return plotBottom - (v - bottom) / (top - bottom) * (plotBottom - plotTop);
    };

    // The legend above the plot.
    double x = plotLeft;
    for (const auto& [colour, word, part] :
         {std::tuple{PlantColour, text.plants, ChartPicture::Part::Swatch},
          std::tuple{MaterialColour, text.materials, ChartPicture::Part::Swatch}}) {
        pic.boxes.append({QRectF(x, lh * 0.2, lh * 0.7, lh * 0.7), colour, part, -1});
        x += lh * 0.7 + pad * 0.6;
        const double tw = text.width(word);
        pic.texts.append({QRectF(x, 0.05 * lh, tw + 1, lh), word, Qt::AlignLeft});
        x += tw + lh * 1.2;
    }

    for (const auto& [v, label] : ticks) {
        const bool zero = std::abs(v) < step / 2;
        pic.boxes.append({QRectF(plotLeft, y(v) - rule / 2, plotRight - plotLeft, rule),
                          zero ? AxisColour : GridColour,
                          zero ? ChartPicture::Part::Axis : ChartPicture::Part::Grid, -1});
        pic.texts.append({QRectF(0, y(v) - lh / 2, tickWidth, lh), label, Qt::AlignRight});
    }

    const double slot = (plotRight - plotLeft) / double(bars.size());
    // Narrow bars over a few years read better than blocks.
    const double barWidth = std::min(slot * 0.6, lh * 5.0);
    for (qsizetype i = 0; i < bars.size(); ++i) {
        const double left = plotLeft + double(i) * slot + (slot - barWidth) / 2;
        double up = 0.0;
        double down = 0.0;
        for (const auto& [value, colour, part] :
             {std::tuple{bars.at(i).plants, PlantColour, ChartPicture::Part::Plants},
              std::tuple{bars.at(i).materials, MaterialColour, ChartPicture::Part::Materials}}) {
            if (value == 0.0) {
                continue;
            }
            double from = 0.0;
            double to = 0.0;
            if (value > 0) {
                from = up;
                to = up += value;
            } else {
                from = down + value;
                to = down;
                down += value;
            }
            pic.boxes.append(
                {QRectF(left, y(to), barWidth, y(from) - y(to)), colour, part, int(i)});
        }
    }

    // Year labels under their bars, every so many when they would run into each other.
    double yearWidth = 0.0;
    for (const YearBar& b : bars) {
        yearWidth = std::max(yearWidth, text.width(QString::number(b.year)));
    }
    const int every = std::max(1, int(std::ceil((yearWidth + pad) / slot)));
    for (qsizetype i = 0; i < bars.size(); i += every) {
        const double centre = plotLeft + (double(i) + 0.5) * slot;
        pic.texts.append({QRectF(centre - yearWidth, plotBottom + lh * 0.25, 2 * yearWidth, lh),
                          QString::number(bars.at(i).year), Qt::AlignHCenter});
    }
    return pic;
}

ChartText chartTexts() {
    ChartText t;
    t.plants = i18n::text(u"CostTexts", u"Plants", QStringLiteral("Planter"));
    t.materials = i18n::text(u"CostTexts", u"Materials", QStringLiteral("Materialer"));
    t.empty = i18n::text(u"CostTexts", u"ChartEmpty",
                         QStringLiteral("Ingen udgifter med dato i perioden"));
    return t;
}

CostChart::CostChart(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CostChart::setBars(const QList<YearBar>& bars) {
    m_bars = bars;
    update();
}

ChartPicture CostChart::picture() const {
    ChartText t = chartTexts();
    const QFontMetricsF fm(font());
    t.width = [fm](const QString& s) { return fm.horizontalAdvance(s); };
    t.lineHeight = fm.height();
    return drawChart(m_bars, QSizeF(size()), t);
}

void CostChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const ChartPicture pic = picture();
    for (const ChartPicture::Box& b : pic.boxes) {
        p.fillRect(b.rect, b.fill);
    }
    p.setPen(Qt::black);  // on the white of the chart, whatever the desktop theme
    for (const ChartPicture::Text& t : pic.texts) {
        p.drawText(t.rect, int(t.alignment | Qt::AlignVCenter), t.text);
    }
}

}  // namespace costs
