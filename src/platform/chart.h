#pragma once
#include <QColor>
#include <QHash>
#include <QImage>
#include <QMap>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <memory>
#include <utility>

class QPainter;
class QCPAxisRect;
class QCPLayoutGrid;
class QCPGraph;
class QCPGraphData;
template <class DataType> class QCPDataContainer;
class QCPItemStraightLine;
class QCPTextElement;
class ChartPlot;
class ChartSurface;

// What a rendered chart shows besides its plot (a nested type could not serve as a default
// argument inside its own class).
struct ChartRenderOptions {
    bool title = true;
    bool legend = true;
    bool footnote = true;
};

// The lower and upper end a fixed value axis takes for the bounds typed: bounds in the wrong
// order are swapped, equal bounds are widened by one on either side.
std::pair<double, double> fixedValueAxisRange(double minimum, double maximum);

// The chart control of the graph windows: a line chart over a data grid of rows and 34 series
// (series 1 and 2 the low and high limit lines, series 3..34 the graph lines). A cell holds a
// number or nothing (a null point, NaN); a null point leaves a gap in its line. A row may have a
// label; the X axis shows the labels of every k-th row.
//
// The chart draws through QCustomPlot. The screen, the printer and the clipboard all get their
// picture from render(), so what is printed is what is shown. Every change queues one replot
// for the next turn of the event loop; bulk work can hold replots until it is done.
//
// Series and rows are numbered from 1, as the graph windows count them. Numbers outside the
// grid are ignored by the setters and read as null points.
class Chart : public QWidget {
    Q_OBJECT
public:
    static constexpr int SeriesCount = 34;
    // Statistic lines of a series, summed into one flag value.
    enum Statistic { Minimum = 1, Maximum = 2, Mean = 4 };

    using RenderOptions = ChartRenderOptions;
    // Minimum, maximum and mean of the non-null points of a series; count 0 when it has none.
    struct SeriesStatistics {
        double minimum = 0;
        double maximum = 0;
        double mean = 0;
        int count = 0;
    };

    explicit Chart(QWidget *parent = nullptr);
    ~Chart() override;

    // ---- data grid ----
    // Rows keep their values and labels up to the new count; new rows are null and unlabelled.
    void setRowCount(int rows);
    int rowCount() const { return m_rows; }
    // NaN makes the cell a null point.
    void setValue(int series, int row, double value);
    void setNull(int series, int row) { setValue(series, row, qQNaN()); }
    // NaN for a null point.
    double value(int series, int row) const;
    bool isNull(int series, int row) const;
    // Makes every cell of the series a null point.
    void clearSeries(int series);
    // An empty label takes the row's label away.
    void setRowLabel(int row, const QString &label);
    QString rowLabel(int row) const;
    // Bytes held for the cells and the lines' sampled pixel columns (memory measurements).
    qint64 storedBytes() const;

    // ---- series ----
    void setSeriesVisible(int series, bool visible);
    bool isSeriesVisible(int series) const;
    void setPenColour(int series, const QColor &colour);
    QColor penColour(int series) const;
    void setPenWidth(int series, double pixels);
    double penWidth(int series) const;
    void setLegendText(int series, const QString &text);
    QString legendText(int series) const;
    // Flags of Statistic; the lines cover every non-null point of the series.
    void setStatistics(int series, int flags);
    int statistics(int series) const;
    SeriesStatistics seriesStatistics(int series) const;
    // Rings around every point of the series.
    void setMarkers(int series, bool visible, const QColor &colour = QColor(0, 0, 125),
                    double size = 10);
    bool markersVisible(int series) const;

    // The old control measured pens and markers in twips (1/1440 inch); these give the pixels
    // at the screen's 96 dots per inch, at least 1. A marker size counted twentieths of a point.
    static double penPixels(int twips);
    static double markerPixels(int size);

    // ---- axes, title, legend, footnote ----
    // A label under row 1 and every k-th row after it (k below 1 counts as 1).
    void setLabelStep(int rows);
    int labelStep() const { return m_labelStep; }
    // The labels the X axis has, by row, as last drawn (after replotNow()).
    QMap<int, QString> xAxisLabels() const;
    // The labels the X axis drew in the last picture (screen, image or printer), left to
    // right, where they stand in the chart's 96-dpi pixels. Labels that would have run into
    // each other are left out; their divisions stay.
    struct TimeLabel {
        QString text;
        QRectF bounds;
    };
    QList<TimeLabel> drawnTimeLabels() const { return m_drawnTimeLabels; }
    void setXAxisTitle(const QString &title);
    QString xAxisTitle() const;
    void setYAxisTitle(const QString &title);
    QString yAxisTitle() const;
    // The value axis follows the shown values.
    void setValueAxisAutomatic();
    // The value axis from minimum to maximum in `divisions` labelled steps, each split in
    // `subdivisions`. Bounds in the wrong order are swapped; equal bounds are widened by one.
    void setValueAxisFixed(double minimum, double maximum, int divisions, int subdivisions);
    bool isValueAxisAutomatic() const { return m_autoScale; }
    // The value axis as last drawn (after replotNow()).
    double valueAxisLower() const;
    double valueAxisUpper() const;
    void setTitle(const QString &title);
    QString title() const { return m_title; }
    void setLegendVisible(bool visible);
    bool isLegendVisible() const { return m_legendVisible; }
    void setFootnote(const QString &text);
    QString footnote() const { return m_footnote; }
    void setFootnoteVisible(bool visible);
    bool isFootnoteVisible() const { return m_footnoteVisible; }
    void setBackgroundColour(const QColor &colour);
    QColor backgroundColour() const { return m_background; }

    // ---- drawing ----
    // Queues one replot for the next turn of the event loop (setters call it themselves). A
    // chart the user cannot see (hidden, minimised or wholly covered) skips it and draws when it
    // is painted again, from the data it then holds.
    void replot();
    // Draws now (also while held or unseen).
    void replotNow();
    bool isReplotPending() const { return m_replotPending; }
    // The queued replot's turn (the queue's, not the callers').
    void queuedReplot();
    // While held, changes queue no replot; the last release queues one if anything changed.
    void holdReplots();
    void releaseReplots();
    class Hold {
    public:
        explicit Hold(Chart &chart) : m_chart(chart) { m_chart.holdReplots(); }
        ~Hold() { m_chart.releaseReplots(); }
        Hold(const Hold &) = delete;
        Hold &operator=(const Hold &) = delete;

    private:
        Chart &m_chart;
    };

    // Draws the chart into `target` of the painter's coordinates (screen, printer, image). The
    // chart is laid out for the target's size in 96-dpi pixels, so text and lines keep their
    // size relative to the page.
    void render(QPainter &painter, const QRectF &target, const RenderOptions &options = {});
    // The chart as a picture (the clipboard's copy); the widget's size when size is empty.
    QImage toImage(QSize size = {}, const RenderOptions &options = {});

    // Where a point is drawn on the widget (after a replot); null position for a null point.
    QPointF pointPosition(int series, int row) const;

signals:
    // The user clicked within a few pixels of a drawn point.
    void pointSelected(int series, int row);
    // The user clicked anywhere else on the chart.
    void selectionCleared();
    void doubleClicked();
    void mouseReleased(Qt::MouseButton button, const QPoint &position);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    friend class ChartPlot;
    struct Series {
        QCPGraph *graph = nullptr;
        QCPDataContainer<QCPGraphData> *cells = nullptr; // the graph's own, for direct access
        int stored = 0; // non-null cells; the cells are dropped when none is left
        int statistics = 0;
        bool statisticsDirty = true;
        SeriesStatistics cached;
        double sum = 0; // of the cached statistics' points
        std::array<QCPItemStraightLine *, 3> lines{};
    };

    bool validSeries(int series) const { return series >= 1 && series <= SeriesCount; }
    bool validRow(int row) const { return row >= 1 && row <= m_rows; }
    void allocate(Series &s);
    void release(Series &s);
    void changed();
    void prepare();
    void updateTicks();
    void updateValueAxis();
    void updateStatisticLines();
    void arrangeLayout(bool title, bool legend, bool footnote);
    // Returns the size in 96-dpi pixels the chart was laid out for.
    QSize drawInto(QPainter &painter, const QRectF &target, const RenderOptions &options);
    void paintPlot(QPainter &painter);
    // Draws the widget's picture without asking for a paint.
    void drawScreen();
    bool unseen() const;
    void handleClick(Qt::MouseButton button, const QPoint &position, bool wasClick);

    ChartPlot *m_plot = nullptr;
    QCPAxisRect *m_axisRect = nullptr;
    QCPLayoutGrid *m_legendColumn = nullptr;
    std::unique_ptr<ChartSurface> m_surface;
    QCPTextElement *m_titleElement = nullptr;
    QCPTextElement *m_footnoteElement = nullptr;
    std::array<Series, SeriesCount + 1> m_series{}; // index 1..34
    int m_rows = 0;
    // By row, only the rows that have one: a live graph labels one row in thousands, and an
    // empty text for every other row cost 24 bytes a row.
    QHash<int, QString> m_labels;
    int m_labelStep = 1;
    QList<TimeLabel> m_drawnTimeLabels;
    bool m_ticksDirty = true;
    bool m_autoScale = true;
    double m_fixedMinimum = 0, m_fixedMaximum = 1;
    int m_divisions = 10, m_subdivisions = 1;
    QString m_title;
    bool m_legendVisible = true;
    QString m_footnote;
    bool m_footnoteVisible = false;
    QColor m_background = Qt::white;

    int m_holds = 0;
    bool m_replotPending = false;
    bool m_changedWhileHeld = false;
    int m_arrangement = 0; // the parts in the layout, as arrangeLayout last placed them
    QImage m_screen; // the last picture drawn for the widget
    bool m_stale = false; // a replot was skipped while unseen
    bool m_pointHit = false;
    bool m_quickLines = false; // the picture being drawn takes thick lines the quick way
};
