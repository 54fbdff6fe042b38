#pragma once
#include "graph/printablegraph.h"

#include <QColor>
#include <QString>

// A graph window as printing sees it: its settings are plain fields a test sets; it has no
// lines, only null points.
class FakeGraph : public PrintableGraph {
public:
    qint16 index = 3;
    QString title = QStringLiteral(" Oven temperatures ");
    bool recorder = false;
    qint32 interval = 90;
    qint16 points = 99;
    bool high = false;
    bool low = false;
    QColor colour = Qt::red;

    qint16 GrafiekIndex() const override { return index; }
    QString caption() const override { return title; }
    bool XYrecorder() const override { return recorder; }
    qint32 RecorderTussentijd() const override { return interval; }
    qint16 MaxGrafiekZichtbaar() const override { return points; }
    bool AlarmHoog() const override { return high; }
    bool AlarmLaag() const override { return low; }
    double AlarmHoogWaarde() const override { return 0; }
    double AlarmLaagWaarde() const override { return 0; }
    Lijn LezenGrafiekIndexen(qint16) const override { return {}; }
    QColor seriesColour(int) const override { return colour; }
    QString legendText(int) const override { return {}; }
    double chartValue(int, int) const override { return 0; }
    bool isNull(int, int) const override { return true; }
    QString rowLabel(int) const override { return {}; }
    QString chartTitle() const override { return {}; }
    bool legendShown() const override { return false; }
    void renderChart(QPainter &, const QRectF &, bool, bool) const override {}
};
