// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QList>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <functional>

namespace costs {

struct Overview;

// One year of the chart: what the plants and the materials bought that year cost.
struct YearBar {
    int year = 0;
    double plants = 0.0;
    double materials = 0.0;
    bool operator==(const YearBar&) const = default;
};

// The years of an overview's year view, in order; the lines without a year stay out.
QList<YearBar> yearBars(const Overview& overview);

// A stacked bar chart drawn in some unit, pixels on screen or millimetres on paper: filled
// boxes, then texts of one line each. The window and the printed page draw the same picture.
struct ChartPicture {
    enum class Part { Grid, Axis, Plants, Materials, Swatch };
    struct Box {
        QRectF rect;
        QColor fill;
        Part part = Part::Grid;
        int bar = -1;  // the year's index, for the bars
    };
    struct Text {
        QRectF rect;
        QString text;
        Qt::Alignment alignment = Qt::AlignLeft;
    };
    QList<Box> boxes;
    QList<Text> texts;
};

struct ChartText {
    std::function<double(const QString&)> width;  // of a text in the chart's font
    double lineHeight = 1.0;
    QString plants;  // the legend's words
    QString materials;
    QString empty;  // shown when there is no year to draw
};

// Plants at the bottom of each bar, materials stacked on them; amounts below zero (old data
// may hold negative quantities) go down from the zero line. The value axis has round steps.
ChartPicture drawChart(const QList<YearBar>& bars, const QSizeF& size, const ChartText& text);

// The legend's words and the empty chart's text in the active language.
ChartText chartTexts();

extern const QColor PlantColour;
extern const QColor MaterialColour;

// The chart in the window: scales with the window, as its font does.
class CostChart final : public QWidget {
    Q_OBJECT

public:
    explicit CostChart(QWidget* parent = nullptr);

    void setBars(const QList<YearBar>& bars);
    const QList<YearBar>& bars() const { return m_bars; }
    // The picture as painted at the present size and font.
    ChartPicture picture() const;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QList<YearBar> m_bars;
};

}  // namespace costs
