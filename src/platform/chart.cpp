#include "platform/chart.h"

#include "platform/turns.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>
#include <qcustomplot.h>

// QCustomPlot with its drawing taken over by the chart: the widget shows the chart's last
// rendered picture, and a resize asks the chart for a new one instead of replotting itself.
class ChartPlot : public QCustomPlot {
public:
    explicit ChartPlot(Chart *chart) : QCustomPlot(chart), m_chart(chart) {}
    void layOut() { updateLayout(); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        m_chart->paintPlot(painter);
    }
    void resizeEvent(QResizeEvent *) override
    {
        setViewport(rect());
        layOut();
        // Long labels are laid on more lines for the room the new width leaves them.
        m_chart->m_ticksDirty = true;
        m_chart->replot();
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        const bool click = !mMouseHasMoved;
        m_chart->m_pointHit = false;
        QCustomPlot::mouseReleaseEvent(event);
        m_chart->handleClick(event->button(), event->pos(), click);
    }

private:
    Chart *m_chart;
};

// The widget every picture of the chart is painted on, never shown: painted through
// QWidget::render, its painter draws with the caller's painter, so one routine serves the
// screen's picture, images and printers, and text keeps its size under the caller's scaling.
class ChartSurface : public QWidget {
public:
    explicit ChartSurface(ChartPlot *plot) : m_plot(plot) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QCPPainter painter(this);
        // Hairline pens (width 0) are one device pixel: on a printer or in a PDF that is a
        // line too thin to see. Drawn as one chart pixel wide, they print as on screen.
        painter.setModes(QCPPainter::pmVectorized | QCPPainter::pmNonCosmetic);
        m_plot->toPainter(&painter, width(), height());
    }

private:
    ChartPlot *m_plot;
};

namespace {

// A graph whose lines of 2 to 4 pixels are drawn on pixel pictures as a few 1-pixel lines side
// by side: Qt outlines a wide line segment by segment, which takes twenty times as long at 32
// lines of 30,000 points. The strands lie across and along, so lines of every slope look as wide.
//
// Its adaptive sampling keeps, for every pixel column, the first, lowest, highest and last
// point of each unbroken run of points there, which draws the same line as all of them. The
// columns are kept between pictures: a live graph changes one row per record, and reading all
// 30,000 rows of every line again for each picture was most of the drawing time.
class ChartGraph : public QCPGraph {
public:
    // quick: whether the picture being drawn is one of pixels at their own size.
    ChartGraph(QCPAxis *key, QCPAxis *value, const bool *quick) : QCPGraph(key, value), m_quick(quick) {}

    // The value of the cell at `index` (from 0) changed.
    void cellChanged(int index)
    {
        m_dirtyFirst = qMin(m_dirtyFirst, index);
        m_dirtyLast = qMax(m_dirtyLast, index);
    }
    // The cells were replaced.
    void cellsReplaced() { m_columnStart.clear(); }
    // Bytes the sampled columns hold.
    qint64 sampledBytes() const
    {
        qint64 bytes = qint64(m_columnStart.capacity() * sizeof(int))
                       + qint64(m_columns.capacity() * sizeof(std::vector<QCPGraphData>));
        for (const std::vector<QCPGraphData> &column : m_columns)
            bytes += qint64(column.capacity() * sizeof(QCPGraphData));
        return bytes;
    }

private:
    using Iterator = QCPGraphDataContainer::const_iterator;
    const bool *m_quick;
    // The sampled columns: column c holds cells m_columnStart[c] .. m_columnStart[c + 1] - 1.
    mutable std::vector<int> m_columnStart;
    mutable std::vector<std::vector<QCPGraphData>> m_columns;
    // What the columns were made for: the cells' span and where its ends fell on the axis.
    mutable int m_begin = 0, m_end = 0;
    mutable double m_firstPixel = 0, m_lastPixel = 0;
    mutable int m_dirtyFirst = std::numeric_limits<int>::max(), m_dirtyLast = -1;

    static void sampleColumn(Iterator from, Iterator to, std::vector<QCPGraphData> &out)
    {
        out.clear();
        bool gap = false;
        for (Iterator it = from; it != to;) {
            if (std::isnan(it->value)) {
                if (!gap)
                    out.push_back(*it); // a null point breaks the line
                gap = true;
                ++it;
                continue;
            }
            gap = false;
            const Iterator first = it;
            Iterator low = it, high = it, last = it;
            for (; it != to && !std::isnan(it->value); ++it) {
                if (it->value < low->value)
                    low = it;
                else if (it->value > high->value)
                    high = it;
                last = it;
            }
            out.push_back(*first);
            const Iterator a = low < high ? low : high, b = low < high ? high : low;
            if (a != first && a != last)
                out.push_back(*a);
            if (b != a && b != first && b != last)
                out.push_back(*b);
            if (last != first)
                out.push_back(*last);
        }
    }

protected:
    void getOptimizedLineData(QVector<QCPGraphData> *lineData, const Iterator &begin,
                              const Iterator &end) const override
    {
        QCPAxis *keyAxis = mKeyAxis.data();
        const int count = int(end - begin);
        if (!lineData || !keyAxis || count <= 0 || !mAdaptiveSampling) {
            QCPGraph::getOptimizedLineData(lineData, begin, end);
            return;
        }
        const double firstPixel = keyAxis->coordToPixel(begin->key);
        const double lastPixel = keyAxis->coordToPixel((end - 1)->key);
        // Fewer than two points a pixel: every point is drawn.
        if (count < 2 * qAbs(lastPixel - firstPixel) + 2) {
            QCPGraph::getOptimizedLineData(lineData, begin, end);
            return;
        }
        const Iterator cells = mDataContainer->constBegin();
        const int from = int(begin - cells), to = int(end - cells);
        if (m_columnStart.empty() || from != m_begin || to != m_end || firstPixel != m_firstPixel
            || lastPixel != m_lastPixel) {
            m_begin = from;
            m_end = to;
            m_firstPixel = firstPixel;
            m_lastPixel = lastPixel;
            m_columnStart.clear();
            int column = std::numeric_limits<int>::min();
            for (int i = from; i < to; ++i) {
                const int pixel = int(std::floor(keyAxis->coordToPixel((cells + i)->key)));
                if (pixel != column) {
                    column = pixel;
                    m_columnStart.push_back(i);
                }
            }
            m_columnStart.push_back(to);
            m_columns.assign(m_columnStart.size() - 1, {});
            m_dirtyFirst = from;
            m_dirtyLast = to - 1;
        }
        if (m_dirtyFirst <= m_dirtyLast) {
            // The columns that hold the changed cells.
            const auto firstColumn =
                std::upper_bound(m_columnStart.begin(), m_columnStart.end(), m_dirtyFirst);
            const auto lastColumn =
                std::upper_bound(m_columnStart.begin(), m_columnStart.end(), m_dirtyLast);
            for (auto c = qMax(firstColumn, m_columnStart.begin() + 1); c <= lastColumn
                                                                         && c != m_columnStart.end();
                 ++c) {
                const size_t column = size_t(c - m_columnStart.begin() - 1);
                sampleColumn(cells + *(c - 1), cells + *c, m_columns[column]);
            }
            m_dirtyFirst = std::numeric_limits<int>::max();
            m_dirtyLast = -1;
        }
        lineData->clear();
        for (const std::vector<QCPGraphData> &column : m_columns)
            for (const QCPGraphData &point : column)
                lineData->append(point);
    }

    void drawLinePlot(QCPPainter *painter, const QVector<QPointF> &lines) const override
    {
        const QPen pen = painter->pen();
        drawLonePoints(painter, lines);
        const int width = qRound(pen.widthF());
        if (!*m_quick || width < 2 || width > 4
            || pen.style() != Qt::SolidLine) {
            QCPGraph::drawLinePlot(painter, lines);
            return;
        }
        QPen thin(pen);
        thin.setWidth(1);
        painter->setPen(thin);
        QVector<QPointF> shifted(lines.size());
        for (int dx = 0; dx < width; ++dx)
            for (int dy = 0; dy < width; ++dy) {
                if (dx != 0 && dy != 0 && dx != dy)
                    continue; // a cross of strands is enough
                if (dx == dy && dx != 0)
                    continue;
                for (qsizetype i = 0; i < lines.size(); ++i)
                    shifted[i] = lines[i] + QPointF(dx, dy);
                QCPGraph::drawLinePlot(painter, shifted);
            }
        painter->setPen(pen);
    }

private:
    // A value with a gap (or the end of the line) on both sides is a line of one point, which
    // draws nothing: it is drawn as a dot in the line's colour, twice the line's width across
    // and at least 5 pixels, so that it stands out from the grid on a thin line too.
    static void drawLonePoints(QCPPainter *painter, const QVector<QPointF> &lines)
    {
        const QPen pen = painter->pen();
        const QBrush brush = painter->brush();
        if (pen.style() == Qt::NoPen || pen.color().alpha() == 0)
            return;
        const auto gap = [&lines](qsizetype i) {
            return i < 0 || i >= lines.size() || std::isnan(lines[i].y())
                   || std::isnan(lines[i].x());
        };
        const double diameter = qMax(5.0, 2 * pen.widthF());
        bool drawn = false;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (gap(i) || !gap(i - 1) || !gap(i + 1))
                continue;
            if (!drawn) {
                painter->setPen(Qt::NoPen);
                painter->setBrush(pen.color());
                drawn = true;
            }
            painter->drawEllipse(lines[i], diameter / 2, diameter / 2);
        }
        if (drawn) {
            painter->setBrush(brush);
            painter->setPen(pen);
        }
    }
};

// The time axis's painter. QCustomPlot drops a tick label that would cross the edge of the
// chart; the newest reading's time is the label the user looks for, at the right end of a full
// recorder. This one moves such a label inward until it fits, and draws it. On a narrow chart
// the labels would run into each other: it leaves out as many as it must.
class TimeAxisPainter : public QCPAxisPainterPrivate {
public:
    // Takes the place of the axis's own painter, keeping everything set on it so far. The
    // labels it draws are noted in `drawn`.
    static void install(QCPAxis *axis, QList<Chart::TimeLabel> *drawn)
    {
        QCPAxisPainterPrivate *&slot = axis->*PainterSlot::member();
        QCPAxisPainterPrivate *old = slot;
        auto *painter = new TimeAxisPainter(axis->parentPlot());
        painter->type = old->type;
        painter->basePen = old->basePen;
        painter->lowerEnding = old->lowerEnding;
        painter->upperEnding = old->upperEnding;
        painter->labelPadding = old->labelPadding;
        painter->labelFont = old->labelFont;
        painter->labelColor = old->labelColor;
        painter->label = old->label;
        painter->tickLabelPadding = old->tickLabelPadding;
        painter->tickLabelRotation = old->tickLabelRotation;
        painter->tickLabelSide = old->tickLabelSide;
        painter->substituteExponent = old->substituteExponent;
        painter->numberMultiplyCross = old->numberMultiplyCross;
        painter->tickLengthIn = old->tickLengthIn;
        painter->tickLengthOut = old->tickLengthOut;
        painter->subTickLengthIn = old->subTickLengthIn;
        painter->subTickLengthOut = old->subTickLengthOut;
        painter->tickPen = old->tickPen;
        painter->subTickPen = old->subTickPen;
        painter->tickLabelFont = old->tickLabelFont;
        painter->tickLabelColor = old->tickLabelColor;
        painter->axisRect = old->axisRect;
        painter->viewportRect = old->viewportRect;
        painter->offset = old->offset;
        painter->abbreviateDecimalPowers = old->abbreviateDecimalPowers;
        painter->reversedEndings = old->reversedEndings;
        painter->m_drawn = drawn;
        slot = painter;
        delete old;
    }

protected:
    explicit TimeAxisPainter(QCustomPlot *plot) : QCPAxisPainterPrivate(plot) {}

    void draw(QCPPainter *painter) override
    {
        if (m_drawn)
            m_drawn->clear();
        if (type != QCPAxis::atBottom || tickLabelSide != QCPAxis::lsOutside) {
            QCPAxisPainterPrivate::draw(painter);
            return;
        }
        const QVector<QString> all = tickLabels;
        thin();
        QCPAxisPainterPrivate::draw(painter);
        tickLabels = all;
    }

    void placeTickLabel(QCPPainter *painter, double position, int distanceToAxis,
                        const QString &text, QSize *tickLabelsSize) override
    {
        if (type != QCPAxis::atBottom || tickLabelSide != QCPAxis::lsOutside) {
            QCPAxisPainterPrivate::placeTickLabel(painter, position, distanceToAxis, text,
                                                  tickLabelsSize);
            return;
        }
        if (text.isEmpty())
            return;
        const TickLabelData label = getTickLabelData(painter->font(), text);
        QPointF at = QPointF(position, axisRect.bottom() + distanceToAxis + offset)
                     + getTickLabelDrawOffset(label);
        at.rx() += inward(at.x(), label);
        drawTickLabel(painter, at.x(), at.y(), label);
        if (m_drawn)
            m_drawn->append({text, QRectF(at + label.rotatedTotalBounds.topLeft(),
                                          QSizeF(label.rotatedTotalBounds.size()))});
        const QSize size = label.rotatedTotalBounds.size();
        tickLabelsSize->setWidth(qMax(tickLabelsSize->width(), size.width()));
        tickLabelsSize->setHeight(qMax(tickLabelsSize->height(), size.height()));
    }

private:
    QList<Chart::TimeLabel> *m_drawn = nullptr;

    // Labels that would run into each other are left out of the picture, their divisions
    // kept: every k-th label counted back from the newest (the last), with the smallest k that
    // leaves a blank between them. The last label may have moved inward to fit the chart; the
    // kept label it then covers is left out alone.
    void thin()
    {
        QList<int> shown;
        for (int i = 0; i < int(tickLabels.size()) && i < int(tickPositions.size()); ++i)
            if (!tickLabels[i].isEmpty())
                shown << i;
        const int m = int(shown.size());
        if (m < 2)
            return;
        QList<QRectF> bounds;
        for (int i : shown)
            bounds << labelBounds(tickPositions[i], tickLabels[i]);
        const double gap = QFontMetricsF(tickLabelFont).horizontalAdvance(QLatin1Char(' '));
        const auto apart = [&](int a, int b) { return bounds[a].right() + gap <= bounds[b].left(); };
        int k = 1;
        for (; k < m; ++k) {
            bool fits = true;
            for (int j = m - 1 - k; j - k >= 0 && fits; j -= k)
                fits = apart(j - k, j);
            if (fits)
                break;
        }
        QList<bool> keep(m, false);
        for (int j = m - 1; j >= 0; j -= k)
            keep[j] = true;
        if (m - 1 - k >= 0 && !apart(m - 1 - k, m - 1))
            keep[m - 1 - k] = false;
        for (int j = 0; j < m; ++j)
            if (!keep[j])
                tickLabels[shown[j]].clear();
    }

    // How far a label drawn from x must move to lie within the chart, by the same bounds that
    // QCustomPlot tests it against.
    double inward(double x, const TickLabelData &label) const
    {
        const double left = x + label.rotatedTotalBounds.left();
        const double right = left + label.rotatedTotalBounds.width();
        if (right > viewportRect.right())
            return viewportRect.right() - right;
        if (left < viewportRect.left())
            return viewportRect.left() - left;
        return 0;
    }
    // The horizontal span of a label at a tick, moved inward as drawn.
    QRectF labelBounds(double position, const QString &text) const
    {
        const TickLabelData label = getTickLabelData(tickLabelFont, text);
        double x = position + getTickLabelDrawOffset(label).x();
        x += inward(x, label);
        return QRectF(x + label.rotatedTotalBounds.left(), 0, label.rotatedTotalBounds.width(), 1);
    }

    // The axis keeps its painter in a protected member; a pointer to it may be taken through a
    // derived class.
    struct PainterSlot : QCPAxis {
        static QCPAxisPainterPrivate *QCPAxis::*member() { return &PainterSlot::mAxisPainter; }
    };
};

// Fixed value axis: ticks exactly at minimum + i * (maximum - minimum) / divisions.
class DivisionTicker : public QCPAxisTickerFixed {
public:
    int subTicks = 0;

protected:
    int getSubTickCount(double) override { return subTicks; }
};

// Pixel-sized fonts keep their size relative to the chart on every device: the chart is drawn
// at 96-dpi pixels and scaled to the target, so a point-sized font would be scaled twice on a
// printer.
QFont pixelFont(const QFont &base, int pixels, bool bold = false)
{
    QFont f(base);
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

// Lays a label on more lines at its blanks when it is wider than the room between labels.
QString wrapped(const QString &label, const QFontMetricsF &metrics, double room)
{
    if (label.contains(QLatin1Char('\n')) || metrics.horizontalAdvance(label) <= room)
        return label;
    const QStringList words = label.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QString result, line;
    for (const QString &word : words) {
        const QString joined = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (!line.isEmpty() && metrics.horizontalAdvance(joined) > room) {
            result += line + QLatin1Char('\n');
            line = word;
        } else {
            line = joined;
        }
    }
    return result + line;
}

// The charts waiting for their replot draw one per turn of the event loop.
OnePerTurn &replots()
{
    static OnePerTurn queue;
    return queue;
}

constexpr int TickPixels = 12;
constexpr int TitlePixels = 15;

} // namespace

Chart::Chart(QWidget *parent)
    : QWidget(parent), m_plot(new ChartPlot(this)), m_surface(std::make_unique<ChartSurface>(m_plot))
{
    // The layout takes the axis rect out and puts it back; QCustomPlot finds it only while
    // it is in.
    m_axisRect = m_plot->axisRect();
    m_plot->setAutoAddPlottableToLegend(false);
    m_plot->setInteractions(QCP::Interactions());
    // Smoothed lines take twice the drawing time at 32 lines of 30,000 points.
    m_plot->setNotAntialiasedElements(QCP::aePlottables);
    m_plot->setBackground(QBrush(m_background));
    m_plot->setGeometry(rect());

    TimeAxisPainter::install(m_plot->xAxis, &m_drawnTimeLabels);
    const QFont base = font();
    for (QCPAxis *axis : {m_plot->xAxis, m_plot->yAxis}) {
        axis->setTickLabelFont(pixelFont(base, TickPixels));
        axis->setLabelFont(pixelFont(base, TickPixels));
    }
    m_plot->xAxis->setTicker(QSharedPointer<QCPAxisTickerText>::create());
    m_plot->xAxis->setSubTicks(false);
    updateValueAxis();

    // Statistic lines lie under the graphs, so a click on a point on such a line hits the point.
    m_plot->addLayer(QStringLiteral("statistics"), m_plot->layer(QStringLiteral("main")),
                     QCustomPlot::limBelow);

    QCPLegend *legend = m_plot->legend;
    legend->setFont(pixelFont(base, TickPixels));
    m_axisRect->insetLayout()->take(legend);
    legend->setVisible(false);
    // The legend sits on the right at its own height, centred between two empty cells.
    m_legendColumn = new QCPLayoutGrid;
    m_legendColumn->addElement(0, 0, new QCPLayoutElement(m_plot));
    m_legendColumn->addElement(1, 0, legend);
    m_legendColumn->addElement(2, 0, new QCPLayoutElement(m_plot));
    m_legendColumn->setRowStretchFactors({1, 0.001, 1});
    m_legendColumn->setRowSpacing(0);

    m_titleElement = new QCPTextElement(m_plot, QString(), pixelFont(base, TitlePixels, true));
    m_footnoteElement = new QCPTextElement(m_plot, QString(), pixelFont(base, TickPixels));
    m_titleElement->setVisible(false);
    m_footnoteElement->setVisible(false);

    for (int i = 1; i <= SeriesCount; ++i) {
        QCPGraph *graph = new ChartGraph(m_plot->xAxis, m_plot->yAxis, &m_quickLines);
        graph->setAdaptiveSampling(true);
        graph->setPen(QPen(Qt::black, 2));
        graph->setName(QString());
        m_series[size_t(i)].graph = graph;
        m_series[size_t(i)].cells = graph->data().data();
    }
    connect(m_plot, &QCustomPlot::plottableClick, this,
            [this](QCPAbstractPlottable *plottable, int index, QMouseEvent *event) {
                if (event->button() != Qt::LeftButton)
                    return;
                for (int s = 1; s <= SeriesCount; ++s) {
                    const Series &series = m_series[size_t(s)];
                    if (series.graph != plottable || index < 0 || index >= m_rows
                        || isNull(s, index + 1))
                        continue;
                    const QPointF at = pointPosition(s, index + 1);
                    const double distance = QLineF(at, event->position()).length();
                    if (distance <= m_plot->selectionTolerance()) {
                        m_pointHit = true;
                        emit pointSelected(s, index + 1);
                    }
                }
            });
    connect(m_plot, &QCustomPlot::mouseDoubleClick, this, [this] { emit doubleClicked(); });
    arrangeLayout(false, false, false);
    replot();
}

Chart::~Chart()
{
    // The plot deletes what its layout holds; a part the layout left out (a hidden title,
    // legend column or footnote) is the chart's to delete. The legend column was made without
    // a parent, and the legend goes with it.
    const QList<QCPLayoutElement *> present = m_plot->plotLayout()->elements(false);
    for (QCPLayoutElement *part :
         std::initializer_list<QCPLayoutElement *>{m_titleElement, m_legendColumn,
                                                   m_footnoteElement})
        if (!present.contains(part))
            delete part;
}

// ---- data grid ----

void Chart::allocate(Series &s)
{
    QVector<QCPGraphData> cells(m_rows);
    for (int i = 0; i < m_rows; ++i)
        cells[i] = QCPGraphData(i + 1, qQNaN());
    s.graph->data()->set(cells, true);
    static_cast<ChartGraph *>(s.graph)->cellsReplaced();
}

void Chart::release(Series &s)
{
    s.graph->data()->set(QVector<QCPGraphData>(), true);
    static_cast<ChartGraph *>(s.graph)->cellsReplaced();
    s.stored = 0;
    s.statisticsDirty = true;
}

void Chart::setRowCount(int rows)
{
    rows = qMax(0, rows);
    if (rows == m_rows)
        return;
    const int kept = qMin(rows, m_rows);
    for (int i = 1; i <= SeriesCount; ++i) {
        Series &s = m_series[size_t(i)];
        if (s.stored == 0)
            continue;
        QVector<QCPGraphData> cells(rows);
        auto old = s.graph->data()->constBegin();
        int stored = 0;
        for (int r = 0; r < rows; ++r) {
            const double v = r < kept ? (old + r)->value : qQNaN();
            cells[r] = QCPGraphData(r + 1, v);
            stored += std::isnan(v) ? 0 : 1;
        }
        s.graph->data()->set(cells, true);
        static_cast<ChartGraph *>(s.graph)->cellsReplaced();
        s.stored = stored;
        s.statisticsDirty = true;
        if (stored == 0)
            release(s);
    }
    if (rows < m_rows && !m_labels.isEmpty())
        m_labels.removeIf([rows](const std::pair<const int &, QString &> &label) {
            return label.first > rows;
        });
    m_rows = rows;
    m_ticksDirty = true;
    changed();
}

void Chart::setValue(int series, int row, double value)
{
    if (!validSeries(series) || !validRow(row))
        return;
    Series &s = m_series[size_t(series)];
    const bool null = std::isnan(value);
    if (s.stored == 0) {
        if (null)
            return;
        allocate(s);
    }
    QCPGraphData &cell = *(s.cells->begin() + (row - 1));
    const bool wasNull = std::isnan(cell.value);
    if (wasNull && null)
        return;
    cell.value = value;
    static_cast<ChartGraph *>(s.graph)->cellChanged(row - 1);
    s.stored += int(wasNull) - int(null);
    if (wasNull && !s.statisticsDirty) {
        // A point where there was none (a live graph's newest) extends the statistics without
        // another pass over the series, which every replot would otherwise make.
        SeriesStatistics &st = s.cached;
        st.minimum = st.count > 0 ? qMin(st.minimum, value) : value;
        st.maximum = st.count > 0 ? qMax(st.maximum, value) : value;
        s.sum += value;
        ++st.count;
        st.mean = s.sum / st.count;
    } else {
        s.statisticsDirty = true;
    }
    if (s.stored == 0)
        release(s);
    changed();
}

double Chart::value(int series, int row) const
{
    if (!validSeries(series) || !validRow(row))
        return qQNaN();
    const Series &s = m_series[size_t(series)];
    if (s.stored == 0)
        return qQNaN();
    return (s.cells->constBegin() + (row - 1))->value;
}

bool Chart::isNull(int series, int row) const { return std::isnan(value(series, row)); }

void Chart::clearSeries(int series)
{
    if (!validSeries(series) || m_series[size_t(series)].stored == 0)
        return;
    release(m_series[size_t(series)]);
    changed();
}

void Chart::setRowLabel(int row, const QString &label)
{
    if (!validRow(row))
        return;
    if (label.isEmpty()) {
        if (!m_labels.remove(row))
            return;
        if (m_labels.isEmpty())
            m_labels = {}; // a recorder's full set of labels gives its room back
    } else {
        const auto it = m_labels.find(row);
        if (it == m_labels.end())
            m_labels.insert(row, label);
        else if (*it == label)
            return;
        else
            *it = label;
    }
    // Only the labelled rows reach the axis.
    if ((row - 1) % m_labelStep == 0) {
        m_ticksDirty = true;
        changed();
    }
}

QString Chart::rowLabel(int row) const { return m_labels.value(row); }

qint64 Chart::storedBytes() const
{
    qint64 bytes = 0;
    for (int i = 1; i <= SeriesCount; ++i) {
        const Series &s = m_series[size_t(i)];
        if (s.stored > 0)
            bytes += qint64(s.graph->data()->size()) * qint64(sizeof(QCPGraphData))
                     + static_cast<const ChartGraph *>(s.graph)->sampledBytes();
    }
    return bytes;
}

// ---- series ----

void Chart::setSeriesVisible(int series, bool visible)
{
    if (!validSeries(series) || m_series[size_t(series)].graph->visible() == visible)
        return;
    m_series[size_t(series)].graph->setVisible(visible);
    changed();
}

bool Chart::isSeriesVisible(int series) const
{
    return validSeries(series) && m_series[size_t(series)].graph->visible();
}

void Chart::setPenColour(int series, const QColor &colour)
{
    if (!validSeries(series))
        return;
    QCPGraph *graph = m_series[size_t(series)].graph;
    QPen pen = graph->pen();
    pen.setColor(colour);
    graph->setPen(pen);
    changed();
}

QColor Chart::penColour(int series) const
{
    return validSeries(series) ? m_series[size_t(series)].graph->pen().color() : QColor();
}

void Chart::setPenWidth(int series, double pixels)
{
    if (!validSeries(series))
        return;
    QCPGraph *graph = m_series[size_t(series)].graph;
    QPen pen = graph->pen();
    pen.setWidthF(qMax(1.0, pixels));
    graph->setPen(pen);
    changed();
}

double Chart::penWidth(int series) const
{
    return validSeries(series) ? m_series[size_t(series)].graph->pen().widthF() : 0;
}

void Chart::setLegendText(int series, const QString &text)
{
    if (!validSeries(series))
        return;
    m_series[size_t(series)].graph->setName(text);
    changed();
}

QString Chart::legendText(int series) const
{
    return validSeries(series) ? m_series[size_t(series)].graph->name() : QString();
}

void Chart::setStatistics(int series, int flags)
{
    if (!validSeries(series))
        return;
    m_series[size_t(series)].statistics = flags & (Minimum | Maximum | Mean);
    changed();
}

int Chart::statistics(int series) const
{
    return validSeries(series) ? m_series[size_t(series)].statistics : 0;
}

Chart::SeriesStatistics Chart::seriesStatistics(int series) const
{
    if (!validSeries(series))
        return {};
    Series &s = const_cast<Series &>(m_series[size_t(series)]);
    if (!s.statisticsDirty)
        return s.cached;
    SeriesStatistics st;
    s.sum = 0;
    if (s.stored > 0) {
        double sum = 0;
        st.minimum = std::numeric_limits<double>::infinity();
        st.maximum = -st.minimum;
        const auto *container = s.graph->data().data();
        for (auto it = container->constBegin(); it != container->constEnd(); ++it) {
            const double v = it->value;
            if (std::isnan(v))
                continue;
            st.minimum = qMin(st.minimum, v);
            st.maximum = qMax(st.maximum, v);
            sum += v;
            ++st.count;
        }
        st.mean = sum / st.count;
        s.sum = sum;
    }
    s.cached = st;
    s.statisticsDirty = false;
    return st;
}

void Chart::setMarkers(int series, bool visible, const QColor &colour, double size)
{
    if (!validSeries(series))
        return;
    QCPGraph *graph = m_series[size_t(series)].graph;
    if (visible)
        graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, QPen(colour, 1.5),
                                               Qt::NoBrush, size));
    else
        graph->setScatterStyle(QCPScatterStyle());
    changed();
}

bool Chart::markersVisible(int series) const
{
    return validSeries(series) && !m_series[size_t(series)].graph->scatterStyle().isNone();
}

double Chart::penPixels(int twips) { return qMax(1.0, std::round(twips * 96.0 / 1440.0)); }

double Chart::markerPixels(int size) { return qMax(1.0, size / 20.0); }

// ---- axes, title, legend, footnote ----

void Chart::setLabelStep(int rows)
{
    rows = qMax(1, rows);
    if (rows == m_labelStep)
        return;
    m_labelStep = rows;
    m_ticksDirty = true;
    changed();
}

QMap<int, QString> Chart::xAxisLabels() const
{
    QMap<int, QString> labels;
    const auto ticker = m_plot->xAxis->ticker().dynamicCast<QCPAxisTickerText>();
    for (auto it = ticker->ticks().cbegin(); it != ticker->ticks().cend(); ++it)
        labels.insert(qRound(it.key()), it.value());
    return labels;
}

void Chart::setXAxisTitle(const QString &title)
{
    m_plot->xAxis->setLabel(title);
    changed();
}

QString Chart::xAxisTitle() const { return m_plot->xAxis->label(); }

void Chart::setYAxisTitle(const QString &title)
{
    m_plot->yAxis->setLabel(title);
    changed();
}

QString Chart::yAxisTitle() const { return m_plot->yAxis->label(); }

void Chart::setValueAxisAutomatic()
{
    m_autoScale = true;
    updateValueAxis();
    changed();
}

std::pair<double, double> fixedValueAxisRange(double minimum, double maximum)
{
    if (maximum < minimum)
        std::swap(minimum, maximum);
    if (maximum == minimum) {
        minimum -= 1;
        maximum += 1;
    }
    return {minimum, maximum};
}

void Chart::setValueAxisFixed(double minimum, double maximum, int divisions, int subdivisions)
{
    m_autoScale = false;
    std::tie(m_fixedMinimum, m_fixedMaximum) = fixedValueAxisRange(minimum, maximum);
    m_divisions = qMax(1, divisions);
    m_subdivisions = qMax(1, subdivisions);
    updateValueAxis();
    changed();
}

double Chart::valueAxisLower() const { return m_plot->yAxis->range().lower; }
double Chart::valueAxisUpper() const { return m_plot->yAxis->range().upper; }

void Chart::setTitle(const QString &title)
{
    m_title = title;
    m_titleElement->setText(title);
    changed();
}

void Chart::setLegendVisible(bool visible)
{
    m_legendVisible = visible;
    changed();
}

void Chart::setFootnote(const QString &text)
{
    m_footnote = text;
    m_footnoteElement->setText(text);
    changed();
}

void Chart::setFootnoteVisible(bool visible)
{
    m_footnoteVisible = visible;
    changed();
}

void Chart::setBackgroundColour(const QColor &colour)
{
    m_background = colour;
    m_plot->setBackground(QBrush(colour));
    changed();
}

// ---- drawing ----

void Chart::changed()
{
    if (m_holds > 0)
        m_changedWhileHeld = true;
    else
        replot();
}

void Chart::replot()
{
    if (m_replotPending)
        return;
    m_replotPending = true;
    replots().add(this, [this] {
        queuedReplot();
        return true;
    });
}

void Chart::queuedReplot()
{
    if (!m_replotPending)
        return;
    // A chart the user cannot see draws when it is shown or uncovered again.
    if (unseen()) {
        m_replotPending = false;
        m_stale = true;
        return;
    }
    replotNow();
}

void Chart::holdReplots() { ++m_holds; }

void Chart::releaseReplots()
{
    if (m_holds > 0 && --m_holds == 0 && m_changedWhileHeld) {
        m_changedWhileHeld = false;
        replot();
    }
}

void Chart::updateValueAxis()
{
    QCPAxis *axis = m_plot->yAxis;
    if (m_autoScale) {
        if (axis->ticker().dynamicCast<DivisionTicker>())
            axis->setTicker(QSharedPointer<QCPAxisTicker>::create());
        return;
    }
    auto ticker = QSharedPointer<DivisionTicker>::create();
    ticker->setScaleStrategy(QCPAxisTickerFixed::ssNone);
    ticker->setTickStep((m_fixedMaximum - m_fixedMinimum) / m_divisions);
    ticker->setTickOrigin(m_fixedMinimum);
    ticker->subTicks = m_subdivisions - 1;
    axis->setTicker(ticker);
    axis->setRange(m_fixedMinimum, m_fixedMaximum);
}

void Chart::updateTicks()
{
    QCPAxis *axis = m_plot->xAxis;
    axis->setRange(0.5, qMax(1, m_rows) + 0.5);
    auto ticker = axis->ticker().dynamicCast<QCPAxisTickerText>();
    const double rowPixels = m_axisRect->width() / double(qMax(1, m_rows));
    const double room = qMax(1.0, rowPixels * m_labelStep * 0.95);
    const QFontMetricsF metrics(axis->tickLabelFont());
    QMap<double, QString> ticks;
    for (int row = 1; row <= m_rows; row += m_labelStep)
        ticks.insert(row, wrapped(m_labels.value(row), metrics, room));
    ticker->setTicks(ticks);
    m_ticksDirty = false;
}

void Chart::updateStatisticLines()
{
    static const Statistic kinds[3] = {Minimum, Maximum, Mean};
    QCPLayer *layer = m_plot->layer(QStringLiteral("statistics"));
    for (int i = 1; i <= SeriesCount; ++i) {
        Series &s = m_series[size_t(i)];
        const SeriesStatistics st =
            s.statistics && s.graph->visible() ? seriesStatistics(i) : SeriesStatistics();
        for (int k = 0; k < 3; ++k) {
            QCPItemStraightLine *&line = s.lines[size_t(k)];
            const bool shown = st.count > 0 && (s.statistics & kinds[k]);
            if (!shown) {
                if (line)
                    line->setVisible(false);
                continue;
            }
            if (!line) {
                line = new QCPItemStraightLine(m_plot);
                line->setLayer(layer);
                line->setSelectable(false);
            }
            const double y = kinds[k] == Minimum ? st.minimum
                             : kinds[k] == Maximum ? st.maximum : st.mean;
            line->point1->setCoords(0, y);
            line->point2->setCoords(1, y);
            QPen pen(s.graph->pen().color(), 1, kinds[k] == Mean ? Qt::DashLine : Qt::DotLine);
            line->setPen(pen);
            line->setVisible(true);
        }
    }
}

void Chart::prepare()
{
    QCPLegend *legend = m_plot->legend;
    legend->clearItems();
    double low = std::numeric_limits<double>::infinity(), high = -low;
    for (int i = 1; i <= SeriesCount; ++i) {
        Series &s = m_series[size_t(i)];
        if (!s.graph->visible())
            continue;
        if (!s.graph->name().isEmpty())
            s.graph->addToLegend(legend);
        if (s.stored > 0) {
            const SeriesStatistics st = seriesStatistics(i);
            low = qMin(low, st.minimum);
            high = qMax(high, st.maximum);
        }
    }
    if (m_autoScale) {
        if (low > high) {
            low = 0;
            high = 1;
        } else if (low == high) {
            const double pad = low == 0 ? 1 : std::fabs(low) * 0.1;
            low -= pad;
            high += pad;
        } else {
            const double pad = (high - low) * 0.05;
            low -= pad;
            high += pad;
        }
        m_plot->yAxis->setRange(low, high);
    }
    updateStatisticLines();
    if (m_ticksDirty)
        updateTicks();
}

void Chart::arrangeLayout(bool title, bool legend, bool footnote)
{
    // Taking the parts out and putting them back costs more than drawing a small chart's lines.
    const int arrangement = 1 | (title ? 2 : 0) | (legend ? 4 : 0) | (footnote ? 8 : 0);
    if (arrangement == m_arrangement)
        return;
    m_arrangement = arrangement;
    QCPLayoutGrid *grid = m_plot->plotLayout();
    QCPLayoutElement *parts[] = {m_titleElement, m_axisRect, m_legendColumn, m_footnoteElement};
    const QList<QCPLayoutElement *> present = grid->elements(false);
    for (QCPLayoutElement *part : parts)
        if (present.contains(part))
            grid->take(part);
    grid->simplify();
    int row = 0;
    m_titleElement->setVisible(title);
    if (title)
        grid->addElement(row++, 0, m_titleElement);
    grid->addElement(row, 0, m_axisRect);
    m_plot->legend->setVisible(legend);
    if (legend) {
        grid->addElement(row, 1, m_legendColumn);
        grid->setColumnStretchFactor(1, 0.001);
    }
    ++row;
    m_footnoteElement->setVisible(footnote);
    if (footnote)
        grid->addElement(row, 0, m_footnoteElement);
}

QSize Chart::drawInto(QPainter &painter, const QRectF &target, const RenderOptions &options)
{
    arrangeLayout(options.title && !m_title.isEmpty(), options.legend && m_legendVisible,
                  options.footnote && m_footnoteVisible && !m_footnote.isEmpty());
    // The chart is laid out in 96-dpi pixels of the target's size on its device.
    const QRectF device = painter.worldTransform().mapRect(target);
    const double dpiX = painter.device() ? painter.device()->logicalDpiX() : 96;
    const double dpiY = painter.device() ? painter.device()->logicalDpiY() : 96;
    const int width = qMax(1, qRound(device.width() * 96.0 / dpiX));
    const int height = qMax(1, qRound(device.height() * 96.0 / dpiY));

    m_surface->resize(width, height);
    // Printers and files get every line at its true width.
    m_quickLines = painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster
                   && qAbs(target.width() / width * painter.worldTransform().m11() - 1) < 0.01;
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / width, target.height() / height);
    painter.setClipRect(QRectF(0, 0, width, height), Qt::IntersectClip);
    m_surface->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    painter.restore();
    return QSize(width, height);
}

void Chart::render(QPainter &painter, const QRectF &target, const RenderOptions &options)
{
    prepare();
    const QSize laidOut = drawInto(painter, target, options);
    // Back to the widget's layout, which the mouse works in (the screen's picture left it so).
    const int drawn = m_arrangement;
    arrangeLayout(!m_title.isEmpty(), m_legendVisible, m_footnoteVisible && !m_footnote.isEmpty());
    if (drawn != m_arrangement || laidOut != m_plot->size()) {
        m_plot->setViewport(m_plot->rect());
        m_plot->layOut();
    }
}

bool Chart::unseen() const
{
    // The plot covers the chart widget, whose own region is therefore always empty.
    return !m_plot->isVisible() || window()->isMinimized() || m_plot->visibleRegion().isEmpty();
}

void Chart::replotNow()
{
    drawScreen();
    m_plot->update();
}

void Chart::drawScreen()
{
    m_replotPending = false;
    m_stale = false;
    const qreal ratio = devicePixelRatioF();
    const QSize size = m_plot->size().expandedTo(QSize(1, 1));
    // The last picture is drawn over: a new one of this size each time costs more than the
    // drawing of a small chart.
    if (m_screen.size() != size * ratio || m_screen.devicePixelRatio() != ratio) {
        m_screen = QImage(size * ratio, QImage::Format_ARGB32_Premultiplied);
        m_screen.setDevicePixelRatio(ratio);
    }
    m_screen.fill(m_background);
    {
        QPainter painter(&m_screen);
        render(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
}

void Chart::paintPlot(QPainter &painter)
{
    if (m_stale || m_screen.isNull() || m_screen.size() != m_plot->size() * devicePixelRatioF())
        drawScreen();
    painter.drawImage(QPointF(0, 0), m_screen);
}

QImage Chart::toImage(QSize size, const RenderOptions &options)
{
    if (size.isEmpty())
        size = this->size().isEmpty() ? QSize(640, 480) : this->size();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(m_background);
    QPainter painter(&image);
    render(painter, QRectF(QPointF(0, 0), QSizeF(size)), options);
    return image;
}

QPointF Chart::pointPosition(int series, int row) const
{
    const double v = value(series, row);
    if (std::isnan(v))
        return {};
    return m_series[size_t(series)].graph->coordsToPixels(row, v);
}

void Chart::handleClick(Qt::MouseButton button, const QPoint &position, bool wasClick)
{
    if (wasClick && button == Qt::LeftButton && !m_pointHit)
        emit selectionCleared();
    emit mouseReleased(button, position);
}

void Chart::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_plot->setGeometry(rect());
}
