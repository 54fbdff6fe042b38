#pragma once
#include <QColor>
#include <QRectF>
#include <QString>
#include <QtGlobal>

class QPainter;

// What printing needs of a graph window, and nothing more. Graph windows and printing live in
// the same layer and know each other only through this: the graph window implements it, the
// print run and the chart printout read it.
//
// Series are numbered as on the chart: 1 the low limit line, 2 the high limit line, n + 2 graph
// line n (n = 1..32). Chart points (rows of the chart's data) run from 1 (leftmost) to
// MaxGrafiekZichtbaar().
class PrintableGraph {
public:
    // The source of one graph line: device slot Rg (1..31) and channel Kg (1..4); both 0 when
    // the line is not in use.
    struct Lijn {
        qint16 Rg = 0;
        qint16 Kg = 0;
    };

    virtual ~PrintableGraph() = default;

    // The window's own number 1..32 while the graph is in use; 0 in an entry only created.
    virtual qint16 GrafiekIndex() const = 0;
    // The window's caption (the graph's name).
    virtual QString caption() const = 0;
    // Recorder mode: the graph samples on its own clock instead of plotting logged rows.
    virtual bool XYrecorder() const = 0;
    // Recorder sampling interval, seconds.
    virtual qint32 RecorderTussentijd() const = 0;
    // Number of points the chart holds.
    virtual qint16 MaxGrafiekZichtbaar() const = 0;
    // The high / low limit lines are in use, and their values.
    virtual bool AlarmHoog() const = 0;
    virtual bool AlarmLaag() const = 0;
    virtual double AlarmHoogWaarde() const = 0;
    virtual double AlarmLaagWaarde() const = 0;

    // The source of graph line nr (1..32).
    virtual Lijn LezenGrafiekIndexen(qint16 nr) const = 0;
    // The unit of graph line nr on the chart: the line's values are converted to it before
    // they are drawn. Empty while the line has found none.
    virtual QString GrafiekEenheid(int nr) const = 0;

    // Pen colour and legend text of a series (1..34).
    virtual QColor seriesColour(int serie) const = 0;
    virtual QString legendText(int serie) const = 0;

    // The chart's data: the value of a series at a point, whether that point is a null point
    // (draws nothing), and the point's row label (its time-axis label).
    virtual double chartValue(int serie, int punt) const = 0;
    virtual bool isNull(int serie, int punt) const = 0;
    virtual QString rowLabel(int punt) const = 0;

    // The chart's title and whether the chart shows its legend on screen.
    virtual QString chartTitle() const = 0;
    virtual bool legendShown() const = 0;

    // Paints the chart into the target rectangle of the painter's device, with or without its
    // title and legend, whatever the screen shows. The one drawing routine serves screen,
    // printer and clipboard alike.
    virtual void renderChart(QPainter &painter, const QRectF &target, bool title,
                             bool legend) const = 0;
};
