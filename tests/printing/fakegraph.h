#pragma once
#include "graph/printablegraph.h"

#include <QColor>
#include <QList>
#include <QMap>
#include <QPainter>
#include <QtNumeric>
#include <QString>
#include <optional>

// A graph window as printing sees it: its settings are plain fields a test sets. Lines have no
// source and the chart only null points until a test gives them.
class FakeGraph : public PrintableGraph {
public:
    qint16 index = 3;
    QString title = QStringLiteral(" Oven temperatures ");
    bool recorder = false;
    qint32 interval = 90;
    qint16 points = 99;
    bool high = false;
    bool low = false;
    double highValue = 0;
    double lowValue = 0;
    QColor colour = Qt::red;
    QMap<int, Lijn> lines;                              // graph line 1..32 -> source
    QMap<int, QString> units;                           // graph line 1..32 -> its chart unit
    QMap<int, QString> legends;                         // series -> legend text
    QMap<int, QList<double>> values;                    // series -> points 1..n (NaN: null)
    QStringList labels;                                 // row labels of points 1..n
    QString chartTitleText;
    bool legend = false;
    mutable QList<QRectF> rendered;                     // where the chart was drawn

    qint16 GrafiekIndex() const override { return index; }
    QString caption() const override { return title; }
    bool XYrecorder() const override { return recorder; }
    qint32 RecorderTussentijd() const override { return interval; }
    qint16 MaxGrafiekZichtbaar() const override { return points; }
    bool AlarmHoog() const override { return high; }
    bool AlarmLaag() const override { return low; }
    double AlarmHoogWaarde() const override { return highValue; }
    double AlarmLaagWaarde() const override { return lowValue; }
    Lijn LezenGrafiekIndexen(qint16 nr) const override { return lines.value(nr); }
    QString GrafiekEenheid(int nr) const override { return units.value(nr); }
    QColor seriesColour(int) const override { return colour; }
    QString legendText(int serie) const override { return legends.value(serie); }
    double chartValue(int serie, int punt) const override
    {
        return value(serie, punt).value_or(0);
    }
    bool isNull(int serie, int punt) const override { return !value(serie, punt); }
    QString rowLabel(int punt) const override { return labels.value(punt - 1); }
    QString chartTitle() const override { return chartTitleText; }
    bool legendShown() const override { return legend; }
    void renderChart(QPainter &painter, const QRectF &target, bool, bool) const override
    {
        rendered << target;
        painter.fillRect(target.adjusted(2, 2, -2, -2), colour);
    }

private:
    std::optional<double> value(int serie, int punt) const
    {
        const double v = values.value(serie).value(punt - 1, qQNaN());
        return qIsNaN(v) ? std::nullopt : std::optional<double>(v);
    }
};
