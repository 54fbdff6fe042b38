#include "platform/chart.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <qcustomplot.h>

namespace {

constexpr int Low = 1, High = 2, Line1 = 3, Line2 = 4;
const QColor Red(255, 0, 0), Blue(0, 0, 255), Green(0, 160, 0);

// Pixels of the colour (give or take antialiasing) in a rectangle of the image.
int countColour(const QImage &image, const QRect &area, const QColor &colour)
{
    int n = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) < 40 && std::abs(c.green() - colour.green()) < 40
                && std::abs(c.blue() - colour.blue()) < 40)
                ++n;
        }
    return n;
}

// A shown chart of the given rows with one line of values (NaN a gap).
struct Fixture {
    Chart chart;
    explicit Fixture(int rows, QSize size = QSize(600, 400))
    {
        chart.resize(size);
        chart.setRowCount(rows);
        chart.setLegendVisible(false);
        chart.setPenColour(Line1, Red);
        chart.setPenWidth(Line1, 2);
    }
    void fill(int series, const QList<double> &values)
    {
        for (int r = 1; r <= values.size(); ++r)
            chart.setValue(series, r, values[r - 1]);
    }
    void show()
    {
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        chart.replotNow();
    }
};

} // namespace

class TestChart : public QObject {
    Q_OBJECT

private slots:
    void readBack_data()
    {
        QTest::addColumn<int>("series");
        QTest::addColumn<int>("row");
        QTest::addColumn<double>("written");
        QTest::addColumn<bool>("null");
        QTest::addColumn<double>("read");
        QTest::newRow("line value") << Line1 << 5 << 12.5 << false << 12.5;
        QTest::newRow("limit line") << Low << 1 << -3.0 << false << -3.0;
        QTest::newRow("last series, last row") << 34 << 10 << 1e9 << false << 1e9;
        QTest::newRow("null point") << Line2 << 3 << qQNaN() << true << qQNaN();
        QTest::newRow("row 0 stores nothing") << Line1 << 0 << 1.0 << true << qQNaN();
        QTest::newRow("row past the grid") << Line1 << 11 << 1.0 << true << qQNaN();
        QTest::newRow("series 35") << 35 << 1 << 1.0 << true << qQNaN();
        QTest::newRow("series 0") << 0 << 1 << 1.0 << true << qQNaN();
    }
    void readBack()
    {
        QFETCH(int, series);
        QFETCH(int, row);
        QFETCH(double, written);
        QFETCH(bool, null);
        QFETCH(double, read);
        Chart chart;
        chart.setRowCount(10);
        chart.setValue(series, row, written);
        QCOMPARE(chart.isNull(series, row), null);
        if (null)
            QVERIFY(std::isnan(chart.value(series, row)));
        else
            QCOMPARE(chart.value(series, row), read);
    }

    void overwriteWithNull()
    {
        Chart chart;
        chart.setRowCount(5);
        chart.setValue(Line1, 2, 7);
        chart.setValue(Line1, 3, 8);
        chart.setNull(Line1, 2);
        QVERIFY(chart.isNull(Line1, 2));
        QCOMPARE(chart.value(Line1, 3), 8.0);
    }

    // Lines without a source are never written; they must cost nothing, and a line whose last
    // value becomes null gives its cells back.
    void seriesWithoutValuesStoresNothing()
    {
        Chart chart;
        chart.setRowCount(30000);
        for (int s = 1; s <= Chart::SeriesCount; ++s)
            for (int r = 1; r <= 30000; r += 7)
                chart.setNull(s, r);
        QCOMPARE(chart.storedBytes(), qint64(0));
        chart.setValue(Line1, 100, 1.5);
        QVERIFY(chart.storedBytes() > 0);
        QVERIFY(chart.storedBytes() <= 30000 * 24);
        chart.setNull(Line1, 100);
        QCOMPARE(chart.storedBytes(), qint64(0));
        chart.setValue(Line2, 1, 1);
        chart.clearSeries(Line2);
        QCOMPARE(chart.storedBytes(), qint64(0));
        QVERIFY(chart.isNull(Line2, 1));
    }

    void rowCountKeepsValuesAndLabels()
    {
        Chart chart;
        chart.setRowCount(10);
        chart.setValue(Line1, 4, 40);
        chart.setValue(Line1, 9, 90);
        chart.setRowLabel(4, "four");
        chart.setRowCount(5);
        QCOMPARE(chart.value(Line1, 4), 40.0);
        QVERIFY(chart.isNull(Line1, 9));
        chart.setRowCount(12);
        QCOMPARE(chart.value(Line1, 4), 40.0);
        QVERIFY(chart.isNull(Line1, 9));
        QVERIFY(chart.isNull(Line1, 12));
        QCOMPARE(chart.rowLabel(4), QString("four"));
        QCOMPARE(chart.rowLabel(12), QString());
    }

    // A null point draws nothing: the line breaks around it.
    void nullPointsMakeGaps()
    {
        Fixture f(9);
        f.chart.setValueAxisFixed(0, 10, 10, 1);
        f.fill(Line1, {5, 5, 5, 5, qQNaN(), 5, 5, 5, 5});
        f.show();
        const QImage image = f.chart.toImage();
        const QPointF before = f.chart.pointPosition(Line1, 4);
        const QPointF after = f.chart.pointPosition(Line1, 6);
        const int y = qRound(before.y());
        const int mid = qRound((before.x() + after.x()) / 2);
        // Drawn between rows 3 and 4, nothing between 4 and 6.
        const QPointF earlier = f.chart.pointPosition(Line1, 3);
        QVERIFY(countColour(image, QRect(qRound((earlier.x() + before.x()) / 2) - 2, y - 3, 5, 7), Red) > 0);
        QCOMPARE(countColour(image, QRect(mid - 10, y - 3, 21, 7), Red), 0);
    }

    // A value with a gap on both sides is a line of one point; it shows as a dot where it lies.
    void loneValueDrawsAPoint_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("row");
        QTest::addColumn<double>("width");
        QTest::newRow("between two gaps") << 9 << 5 << 2.0;
        QTest::newRow("thin line") << 9 << 5 << 1.0;
        QTest::newRow("wide line") << 9 << 5 << 4.0;
        QTest::newRow("first row, gap after") << 9 << 1 << 2.0;
        QTest::newRow("last row, gap before") << 9 << 9 << 2.0;
        QTest::newRow("many rows to a pixel") << 30000 << 15000 << 2.0;
    }
    void loneValueDrawsAPoint()
    {
        QFETCH(int, rows);
        QFETCH(int, row);
        QFETCH(double, width);
        Fixture f(rows);
        f.chart.setValueAxisFixed(0, 10, 10, 1);
        f.chart.setPenWidth(Line1, width);
        // Values on both sides beyond the gaps, so the line around the point is drawn.
        for (int r = 1; r <= rows; ++r)
            if (qAbs(r - row) > rows / 4)
                f.chart.setValue(Line1, r, 2);
        f.chart.setValue(Line1, row, 7);
        f.show();
        const QImage image = f.chart.toImage();
        if (!qEnvironmentVariableIsEmpty("CHART_GRAB_DIR"))
            image.save(qEnvironmentVariable("CHART_GRAB_DIR")
                       + QString("/lone-%1.png").arg(QTest::currentDataTag()));
        const QPoint at = f.chart.pointPosition(Line1, row).toPoint();
        QVERIFY(countColour(image, QRect(at - QPoint(2, 2), QSize(5, 5)), Red) > 0);
        // A dot, not a line: nothing red a little to either side at its height.
        QCOMPARE(countColour(image, QRect(at.x() - 12, at.y() - 2, 6, 5), Red), 0);
        QCOMPARE(countColour(image, QRect(at.x() + 7, at.y() - 2, 6, 5), Red), 0);
    }

    // The newest row's label at the right end of the axis would cross the chart's edge; it is
    // moved left to fit instead of being left out. Where it then covers the label before it,
    // that one is left out.
    void lastLabelKeptInside_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("legend");
        QTest::addColumn<bool>("previousShown");
        QTest::newRow("window") << QSize(600, 400) << false << true;
        QTest::newRow("maximised") << QSize(1800, 950) << false << true;
        QTest::newRow("with legend") << QSize(600, 400) << true << true;
        QTest::newRow("narrow: covers the one before") << QSize(480, 300) << false << false;
    }
    void lastLabelKeptInside()
    {
        QFETCH(QSize, size);
        QFETCH(bool, legend);
        QFETCH(bool, previousShown);
        Fixture f(99, size);
        f.chart.setValueAxisFixed(0, 10, 10, 1);
        f.chart.setLabelStep(14);
        for (int r = 1; r <= 99; ++r)
            f.chart.setRowLabel(r, QString("17:%1:00").arg(r % 60, 2, 10, QChar('0')));
        f.chart.setLegendText(Line1, "°C (Oven)");
        f.chart.setLegendVisible(legend);
        f.fill(Line1, QList<double>(99, 0)); // along the bottom of the plot
        f.show();
        const QImage image = f.chart.toImage(size);
        if (!qEnvironmentVariableIsEmpty("CHART_GRAB_DIR"))
            image.save(qEnvironmentVariable("CHART_GRAB_DIR")
                       + QString("/labels-%1.png").arg(QTest::currentDataTag()));
        QCOMPARE(f.chart.xAxisLabels().lastKey(), 99);
        // Under the axis, right of the middle between rows 85 and 99: the label of row 99 only
        // (the labels share out the room between them).
        const QPointF label85 = f.chart.pointPosition(Line1, 85);
        const QPointF label99 = f.chart.pointPosition(Line1, 99);
        const int bottom = qRound(label99.y());
        const int left = qRound((label85.x() + label99.x()) / 2) + 1;
        const auto darkIn = [&image](const QRect &band, int *rightmost = nullptr) {
            int dark = 0;
            for (int y = band.top(); y <= band.bottom() && y < image.height(); ++y)
                for (int x = band.left(); x <= band.right(); ++x)
                    if (qGray(image.pixel(x, y)) < 100) {
                        ++dark;
                        if (rightmost)
                            *rightmost = qMax(*rightmost, x);
                    }
            return dark;
        };
        int rightmost = -1;
        const int dark = darkIn(QRect(left, bottom + 4, image.width() - left, 30), &rightmost);
        QVERIFY2(dark > 20, qPrintable(QString::number(dark)));
        // Row 85's label reaches left of its tick, where row 99's does not come.
        const QPointF label71 = f.chart.pointPosition(Line1, 71);
        const int middle = qRound((label71.x() + label85.x()) / 2) + 1;
        const QRect before(middle, bottom + 4, qRound(label85.x()) - middle, 30);
        QCOMPARE(darkIn(before) > 0, previousShown);
        QVERIFY(rightmost < image.width() - 1);
    }

    // Whatever parts a chart shows or hides when it goes, every part of its plot goes with it:
    // the legend and each element on the plot's layers.
    void deletedWithEveryPart_data()
    {
        QTest::addColumn<bool>("title");
        QTest::addColumn<bool>("legend");
        QTest::addColumn<bool>("footnote");
        QTest::addColumn<bool>("drawn");
        QTest::newRow("all hidden, never drawn") << false << false << false << false;
        QTest::newRow("all hidden") << false << false << false << true;
        QTest::newRow("title only") << true << false << false << true;
        QTest::newRow("legend only") << false << true << false << true;
        QTest::newRow("footnote only") << false << false << true << true;
        QTest::newRow("all shown") << true << true << true << true;
    }
    void deletedWithEveryPart()
    {
        QFETCH(bool, title);
        QFETCH(bool, legend);
        QFETCH(bool, footnote);
        QFETCH(bool, drawn);
        auto *chart = new Chart;
        chart->resize(400, 300);
        chart->setRowCount(5);
        chart->setValue(Line1, 1, 1);
        chart->setLegendText(Line1, "°C (Oven)");
        chart->setTitle("Graph 1");
        chart->setFootnote("Oven");
        // Shown once and hidden again, a part has been in the layout and out.
        chart->setLegendVisible(true);
        chart->setFootnoteVisible(true);
        if (drawn)
            chart->toImage();
        chart->setTitle(title ? "Graph 1" : "");
        chart->setLegendVisible(legend);
        chart->setFootnoteVisible(footnote);
        if (drawn)
            chart->toImage();
        auto *plot = chart->findChild<QCustomPlot *>();
        QVERIFY(plot && plot->legend);
        QList<QPointer<QObject>> parts{plot->legend};
        for (int i = 0; i < plot->layerCount(); ++i)
            for (QCPLayerable *part : plot->layer(i)->children())
                parts.append(part);
        delete chart;
        for (const QPointer<QObject> &part : parts)
            QVERIFY2(!part, part ? part->metaObject()->className() : "");
    }

    void labelsEveryKRows_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("step");
        QTest::addColumn<QList<int>>("labelled");
        QTest::newRow("99 rows, every 14") << 99 << 14 << QList<int>{1, 15, 29, 43, 57, 71, 85, 99};
        QTest::newRow("every row") << 5 << 1 << QList<int>{1, 2, 3, 4, 5};
        QTest::newRow("step 0 counts as 1") << 3 << 0 << QList<int>{1, 2, 3};
        QTest::newRow("step above rows") << 10 << 50 << QList<int>{1};
    }
    void labelsEveryKRows()
    {
        QFETCH(int, rows);
        QFETCH(int, step);
        QFETCH(QList<int>, labelled);
        Fixture f(rows);
        f.chart.setLabelStep(step);
        for (int r = 1; r <= rows; ++r)
            f.chart.setRowLabel(r, QString::number(r % 3)); // repeated texts stay
        f.chart.replotNow();
        const QMap<int, QString> labels = f.chart.xAxisLabels();
        QCOMPARE(labels.keys(), labelled);
        for (int r : labelled)
            QCOMPARE(labels.value(r), QString::number(r % 3));
    }

    // Labels stay with their rows through what the graph windows do to them: labelling some
    // rows, taking labels away, moving every row left (a recorder's sample, a window moving
    // on), clearing the rows from one on, and changing the row count. Steps, on 8 rows with a
    // label under every 3rd: "label R text", "unlabel R", "left D" (row r takes row r + D's
    // label, the last D rows none), "clear R" (rows R on unlabelled), "count N", "draw".
    void labelsFollowTheirRows_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("labels"); // every row's after the steps
        const QStringList all{"label 1 a", "label 2 b", "label 3 c", "label 4 d",
                              "label 5 e", "label 6 f", "label 7 g", "label 8 h"};
        QTest::newRow("a few rows") << QStringList{"label 1 a", "label 4 b", "label 8 c"}
                                    << QStringList{"a", "", "", "b", "", "", "", "c"};
        QTest::newRow("relabelled, unlabelled")
            << QStringList{"label 3 x", "label 4 y", "draw", "label 3 z", "unlabel 4",
                           "unlabel 6"}
            << QStringList{"", "", "z", "", "", "", "", ""};
        QTest::newRow("recorder sample: every row one left, a new newest")
            << all + QStringList{"draw", "left 1", "label 8 i"}
            << QStringList{"b", "c", "d", "e", "f", "g", "h", "i"};
        QTest::newRow("moved on past unlabelled rows")
            << QStringList{"label 1 a", "label 4 b", "label 7 c", "draw", "left 2"}
            << QStringList{"", "b", "", "", "c", "", "", ""};
        QTest::newRow("moved on further than the labels reach")
            << QStringList{"label 2 a", "label 3 b", "left 5"}
            << QStringList{"", "", "", "", "", "", "", ""};
        QTest::newRow("rows cleared from the 4th on")
            << all + QStringList{"draw", "clear 4"}
            << QStringList{"a", "b", "c", "", "", "", "", ""};
        QTest::newRow("all rows cleared, one labelled again")
            << all + QStringList{"clear 1", "label 5 new"}
            << QStringList{"", "", "", "", "new", "", "", ""};
        QTest::newRow("fewer rows and back: the dropped rows come back unlabelled")
            << QStringList{"label 2 a", "label 5 b", "label 6 c", "label 7 d", "label 8 e",
                           "draw", "count 5", "count 8"}
            << QStringList{"", "a", "", "", "b", "", "", ""};
        QTest::newRow("no rows and back")
            << all + QStringList{"draw", "count 0", "count 8"}
            << QStringList{"", "", "", "", "", "", "", ""};
        QTest::newRow("rows past the grid take no label")
            << QStringList{"label 0 x", "label 9 y", "count 9"}
            << QStringList{"", "", "", "", "", "", "", "", ""};
    }
    void labelsFollowTheirRows()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, labels);
        Fixture f(8);
        f.chart.setLabelStep(3);
        for (const QString &step : steps) {
            const QStringList word = step.split(' ');
            const int n = word.value(1).toInt();
            const int rows = f.chart.rowCount();
            if (word[0] == "label")
                f.chart.setRowLabel(n, word[2]);
            else if (word[0] == "unlabel")
                f.chart.setRowLabel(n, QString());
            else if (word[0] == "left")
                for (int r = 1; r <= rows; ++r)
                    f.chart.setRowLabel(r, f.chart.rowLabel(r + n));
            else if (word[0] == "clear")
                for (int r = n; r <= rows; ++r)
                    f.chart.setRowLabel(r, QString());
            else if (word[0] == "count")
                f.chart.setRowCount(n);
            else if (word[0] == "draw")
                f.chart.replotNow();
            else
                QFAIL(qPrintable("unknown step " + step));
        }
        QCOMPARE(f.chart.rowCount(), int(labels.size()));
        for (int r = 1; r <= f.chart.rowCount(); ++r)
            QCOMPARE(f.chart.rowLabel(r), labels.value(r - 1));
        f.chart.replotNow();
        const QMap<int, QString> axis = f.chart.xAxisLabels();
        QCOMPARE(axis.keys(), (QList<int>{1, 4, 7}));
        for (int r : axis.keys())
            QCOMPARE(axis.value(r), labels.value(r - 1));
    }

    // Labels that would run into each other on a narrow chart are left out, on screen, in a
    // picture and on paper alike: those drawn stand apart, the newest is among them, and every
    // division keeps its tick. A chart wide enough draws them all.
    void crowdedLabelsThinned_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("all");
        for (const char *target : {"screen", "image", "printer"}) {
            QTest::addRow("1200 px, %s", target) << 1200 << QString(target) << true;
            QTest::addRow("480 px, %s", target) << 480 << QString(target) << false;
            QTest::addRow("300 px, %s", target) << 300 << QString(target) << false;
        }
    }
    void crowdedLabelsThinned()
    {
        QFETCH(int, width);
        QFETCH(QString, target);
        QFETCH(bool, all);
        const QSize size(width, 300);
        Fixture f(99, size);
        f.chart.setLabelStep(9); // 11 divisions
        for (int r = 1; r <= 99; ++r)
            f.chart.setRowLabel(r, QString("11-12-2026 09:%1:05").arg(r % 60, 2, 10, QChar('0')));
        f.fill(Line1, QList<double>(99, 1));
        f.show();
        QTemporaryDir dir;
        if (target == "image") {
            f.chart.toImage(size);
        } else if (target == "printer") {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(dir.filePath("chart.pdf"));
            QPainter painter(&printer);
            // A chart as wide on paper as on screen (the page takes what fits).
            const double dot = printer.resolution() / 96.0;
            painter.scale(dot, dot);
            f.chart.render(painter, QRectF(QPointF(0, 0), size));
        }
        const QList<Chart::TimeLabel> drawn = f.chart.drawnTimeLabels();
        QCOMPARE(f.chart.xAxisLabels().size(), 11);
        QVERIFY(drawn.size() >= 2);
        QString list;
        for (const Chart::TimeLabel &l : drawn)
            list += QString("[%1 %2..%3] ").arg(l.text).arg(l.bounds.left()).arg(l.bounds.right());
        QVERIFY2((drawn.size() == 11) == all, qPrintable(list));
        QCOMPARE(drawn.last().text, f.chart.xAxisLabels().last());
        for (int i = 1; i < drawn.size(); ++i)
            QVERIFY2(drawn[i - 1].bounds.right() < drawn[i].bounds.left(),
                     qPrintable(QString("\"%1\" runs into \"%2\"")
                                    .arg(drawn[i - 1].text, drawn[i].text)));
        if (!qEnvironmentVariableIsEmpty("CHART_GRAB_DIR"))
            f.chart.toImage(size).save(qEnvironmentVariable("CHART_GRAB_DIR")
                                       + QString("/thinned-%1.png").arg(width));
    }

    // A label too wide for its room goes on more lines at its blanks; one that fits stays.
    void wideLabelsWrap()
    {
        Fixture f(99, QSize(300, 300));
        f.chart.setLabelStep(14);
        f.chart.setRowLabel(1, "10-12-2026 17:05:00");
        f.chart.setRowLabel(15, "17:05:14");
        f.show();
        const QMap<int, QString> labels = f.chart.xAxisLabels();
        QCOMPARE(labels.value(1), QString("10-12-2026\n17:05:00"));
        QCOMPARE(labels.value(15), QString("17:05:14"));
    }

    void valueAxis_data()
    {
        QTest::addColumn<bool>("automatic");
        QTest::addColumn<double>("minimum");
        QTest::addColumn<double>("maximum");
        QTest::addColumn<double>("lower");
        QTest::addColumn<double>("upper");
        QTest::newRow("fixed") << false << -100.0 << 100.0 << -100.0 << 100.0;
        QTest::newRow("fixed, maximum below minimum") << false << 50.0 << -50.0 << -50.0 << 50.0;
        QTest::newRow("fixed, equal bounds") << false << 15.0 << 15.0 << 14.0 << 16.0;
        // Values 10..20 with a margin of a twentieth of their span.
        QTest::newRow("automatic") << true << 0.0 << 0.0 << 9.5 << 20.5;
    }
    void valueAxis()
    {
        QFETCH(bool, automatic);
        QFETCH(double, minimum);
        QFETCH(double, maximum);
        QFETCH(double, lower);
        QFETCH(double, upper);
        Fixture f(3);
        f.fill(Line1, {10, 20, 15});
        if (automatic)
            f.chart.setValueAxisAutomatic();
        else
            f.chart.setValueAxisFixed(minimum, maximum, 10, 2);
        f.show();
        QCOMPARE(f.chart.valueAxisLower(), lower);
        QCOMPARE(f.chart.valueAxisUpper(), upper);
        // Whatever the bounds, the line is drawn.
        QVERIFY(countColour(f.chart.toImage(), f.chart.rect(), Red) > 0);
    }

    // The automatic axis follows the shown series only.
    void automaticAxisIgnoresHiddenSeries()
    {
        Fixture f(3);
        f.fill(Line1, {10, 20, 15});
        f.fill(Line2, {1000, 1000, 1000});
        f.chart.setSeriesVisible(Line2, false);
        f.chart.replotNow();
        QCOMPARE(f.chart.valueAxisUpper(), 20.5);
        f.chart.setSeriesVisible(Line2, true);
        f.chart.replotNow();
        QVERIFY(f.chart.valueAxisUpper() > 1000);
    }

    void statistics_data()
    {
        QTest::addColumn<QList<double>>("values");
        QTest::addColumn<double>("minimum");
        QTest::addColumn<double>("maximum");
        QTest::addColumn<double>("mean");
        QTest::addColumn<int>("count");
        const double n = qQNaN();
        QTest::newRow("nulls skipped") << QList<double>{4, n, n, n, 7} << 4.0 << 7.0 << 5.5 << 2;
        QTest::newRow("mean 3") << QList<double>{1, 2, 6} << 1.0 << 6.0 << 3.0 << 3;
        QTest::newRow("negative") << QList<double>{-5, -1} << -5.0 << -1.0 << -3.0 << 2;
        QTest::newRow("all null") << QList<double>{n, n} << 0.0 << 0.0 << 0.0 << 0;
    }
    void statistics()
    {
        QFETCH(QList<double>, values);
        QFETCH(double, minimum);
        QFETCH(double, maximum);
        QFETCH(double, mean);
        QFETCH(int, count);
        Chart chart;
        chart.setRowCount(values.size());
        for (int r = 1; r <= values.size(); ++r)
            chart.setValue(Line1, r, values[r - 1]);
        const Chart::SeriesStatistics st = chart.seriesStatistics(Line1);
        QCOMPARE(st.count, count);
        QCOMPARE(st.minimum, minimum);
        QCOMPARE(st.maximum, maximum);
        QCOMPARE(st.mean, mean);
        // A later value counts at once.
        chart.setValue(Line1, 1, -100);
        QCOMPARE(chart.seriesStatistics(Line1).minimum, -100.0);

        // Points added one by one where there were none, as a live graph adds them, with the
        // statistics read in between: the same figures.
        Chart live;
        live.setRowCount(values.size());
        live.setValue(Line1, values.size(), 50);
        live.setNull(Line1, values.size());
        for (int r = 1; r <= values.size(); ++r) {
            live.seriesStatistics(Line1);
            live.setValue(Line1, r, values[r - 1]);
        }
        const Chart::SeriesStatistics grown = live.seriesStatistics(Line1);
        QCOMPARE(grown.count, count);
        QCOMPARE(grown.minimum, minimum);
        QCOMPARE(grown.maximum, maximum);
        QCOMPARE(grown.mean, mean);
    }

    // The flags draw horizontal lines in the series' colour at the minimum, maximum and mean.
    void statisticLinesDrawn_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<QList<double>>("drawnAt");
        QTest::addColumn<QList<double>>("notAt");
        QTest::newRow("minimum") << int(Chart::Minimum) << QList<double>{2} << QList<double>{5, 8};
        QTest::newRow("maximum and mean") << int(Chart::Maximum | Chart::Mean)
                                          << QList<double>{8, 5} << QList<double>{2};
        QTest::newRow("none") << 0 << QList<double>{} << QList<double>{2, 5, 8};
    }
    void statisticLinesDrawn()
    {
        QFETCH(int, flags);
        QFETCH(QList<double>, drawnAt);
        QFETCH(QList<double>, notAt);
        Fixture f(3);
        f.chart.setValueAxisFixed(0, 10, 10, 1);
        f.chart.setPenColour(Line1, Green);
        f.fill(Line1, {2, 8, 5});
        f.chart.setStatistics(Line1, flags);
        QCOMPARE(f.chart.statistics(Line1), flags);
        f.show();
        const QImage image = f.chart.toImage();
        // Measured at the left edge of the plot, left of the first point, where no graph line runs.
        const int x = qRound(f.chart.pointPosition(Line1, 1).x()) - 20;
        const double yPerUnit = f.chart.pointPosition(Line1, 1).y() - f.chart.pointPosition(Line1, 3).y();
        auto yOf = [&](double v) {
            return qRound(f.chart.pointPosition(Line1, 1).y() - (v - 2) * yPerUnit / 3);
        };
        for (double v : drawnAt)
            QVERIFY2(countColour(image, QRect(x - 5, yOf(v) - 1, 10, 3), Green) > 0, qPrintable(QString::number(v)));
        for (double v : notAt)
            QVERIFY2(countColour(image, QRect(x - 5, yOf(v) - 1, 10, 3), Green) == 0, qPrintable(QString::number(v)));
    }

    void clicks_data()
    {
        QTest::addColumn<int>("series");
        QTest::addColumn<int>("row");
        QTest::addColumn<QPoint>("offset");
        QTest::addColumn<bool>("selects");
        QTest::newRow("on a line point") << Line1 << 4 << QPoint(0, 0) << true;
        QTest::newRow("a few pixels off") << Line1 << 7 << QPoint(3, -3) << true;
        QTest::newRow("on a limit line point") << High << 2 << QPoint(0, 0) << true;
        QTest::newRow("far from every point") << Line1 << 4 << QPoint(0, -60) << false;
        QTest::newRow("on the line between two points") << Line1 << 4 << QPoint(25, 0) << false;
    }
    void clicks()
    {
        QFETCH(int, series);
        QFETCH(int, row);
        QFETCH(QPoint, offset);
        QFETCH(bool, selects);
        Fixture f(10);
        f.chart.setValueAxisFixed(0, 100, 10, 1);
        f.fill(Line1, {10, 10, 10, 10, 10, 10, 10, 10, 10, 10});
        for (int r = 1; r <= 10; ++r)
            f.chart.setValue(High, r, 80);
        // The minimum line runs through every point: the points stay clickable.
        f.chart.setStatistics(Line1, Chart::Minimum);
        f.show();
        QSignalSpy selected(&f.chart, &Chart::pointSelected);
        QSignalSpy cleared(&f.chart, &Chart::selectionCleared);
        QSignalSpy released(&f.chart, &Chart::mouseReleased);
        const QPoint at = f.chart.pointPosition(series, row).toPoint() + offset;
        QWidget *surface = f.chart.childAt(at);
        QVERIFY(surface);
        QTest::mouseClick(surface, Qt::LeftButton, {}, surface->mapFrom(&f.chart, at));
        if (selects) {
            QCOMPARE(selected.size(), 1);
            QCOMPARE(selected[0][0].toInt(), series);
            QCOMPARE(selected[0][1].toInt(), row);
            QCOMPARE(cleared.size(), 0);
        } else {
            QCOMPARE(selected.size(), 0);
            QCOMPARE(cleared.size(), 1);
        }
        QCOMPARE(released.size(), 1);
        QCOMPARE(released[0][0].value<Qt::MouseButton>(), Qt::LeftButton);
        QCOMPARE(released[0][1].toPoint(), surface->mapFrom(&f.chart, at));
    }

    void hiddenSeriesAndRightButtonSelectNothing()
    {
        Fixture f(10);
        f.fill(Line1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
        f.show();
        QSignalSpy selected(&f.chart, &Chart::pointSelected);
        QSignalSpy cleared(&f.chart, &Chart::selectionCleared);
        QSignalSpy released(&f.chart, &Chart::mouseReleased);
        QWidget *surface = f.chart.childAt(f.chart.rect().center());
        const QPoint at = f.chart.pointPosition(Line1, 5).toPoint();
        QTest::mouseClick(surface, Qt::RightButton, {}, at);
        QCOMPARE(selected.size(), 0);
        QCOMPARE(cleared.size(), 0);
        QCOMPARE(released.size(), 1);
        QCOMPARE(released[0][0].value<Qt::MouseButton>(), Qt::RightButton);
        f.chart.setSeriesVisible(Line1, false);
        f.chart.replotNow();
        QTest::mouseClick(surface, Qt::LeftButton, {}, at);
        QCOMPARE(selected.size(), 0);
        QCOMPARE(cleared.size(), 1);
    }

    void doubleClick()
    {
        Fixture f(10);
        f.show();
        QSignalSpy doubled(&f.chart, &Chart::doubleClicked);
        QWidget *surface = f.chart.childAt(f.chart.rect().center());
        QTest::mouseDClick(surface, Qt::LeftButton, {}, surface->rect().center());
        QCOMPARE(doubled.size(), 1);
    }

    // Many changes in one turn of the event loop give one replot; a hold defers it.
    void replotsAreQueuedAndHeld()
    {
        Fixture f(100);
        f.show();
        QVERIFY(!f.chart.isReplotPending());
        f.fill(Line1, QList<double>(100, 1.0));
        QVERIFY(f.chart.isReplotPending());
        QTRY_VERIFY(!f.chart.isReplotPending());
        {
            Chart::Hold hold(f.chart);
            f.chart.setValue(Line1, 1, 5);
            f.chart.setLegendText(Line1, "x");
            QVERIFY(!f.chart.isReplotPending());
        }
        QVERIFY(f.chart.isReplotPending());
        QTRY_VERIFY(!f.chart.isReplotPending());
    }

    // A chart the user cannot see skips its replots; seen again it shows what it would have
    // shown had it drawn all along. A chart in sight draws without being asked to paint.
    void unseenChartDrawsWhenSeen_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("in sight") << "none";
        QTest::newRow("hidden") << "hide";
        QTest::newRow("minimised") << "minimise";
        QTest::newRow("covered") << "cover";
    }
    void unseenChartDrawsWhenSeen()
    {
        QFETCH(QString, how);
        QMainWindow main;
        auto *area = new QMdiArea;
        main.setCentralWidget(area);
        main.resize(800, 600);
        auto *chart = new Chart;
        chart->setRowCount(10);
        chart->setLegendVisible(false);
        chart->setPenColour(Line1, Red);
        for (int r = 1; r <= 10; ++r)
            chart->setValue(Line1, r, r);
        QMdiSubWindow *sub = area->addSubWindow(chart);
        sub->setGeometry(10, 10, 400, 300);
        auto *cover = new QWidget;
        cover->setAutoFillBackground(true);
        QMdiSubWindow *other = area->addSubWindow(cover);
        other->setGeometry(300, 300, 100, 100);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QTRY_VERIFY(!chart->isReplotPending());
        const double before = chart->valueAxisUpper();
        QVERIFY(before < 20);

        if (how == "hide")
            sub->hide();
        else if (how == "minimise")
            sub->showMinimized();
        else if (how == "cover")
            other->setGeometry(0, 0, 500, 400);
        QCoreApplication::processEvents();
        for (int r = 1; r <= 10; ++r)
            chart->setValue(Line1, r, 100 + r);
        QTRY_VERIFY(!chart->isReplotPending());
        if (how == "none") {
            QVERIFY(chart->valueAxisUpper() > 100);
            return;
        }
        QCOMPARE(chart->valueAxisUpper(), before); // not drawn meanwhile

        if (how == "hide")
            sub->show();
        else if (how == "minimise")
            sub->showNormal();
        else if (how == "cover")
            other->setGeometry(450, 450, 100, 100);
        QTRY_VERIFY(chart->valueAxisUpper() > 100);
        QVERIFY(sub->isVisible());
        const QImage shown = chart->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage fresh = chart->toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown, fresh);
    }

    // A long line drawn again after changes shows what a chart given the changed data at once
    // shows: the drawing keeps its sampled columns between pictures and must not show stale ones.
    void changedLineDrawsAsNew_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<double>("value");
        QTest::newRow("newest point") << 3000 << 80.0;
        QTest::newRow("point raised") << 1500 << 95.0;
        QTest::newRow("point lowered") << 10 << -20.0;
        QTest::newRow("gap made") << 2000 << qQNaN();
        QTest::newRow("gap filled") << 997 << 50.0;
    }
    void changedLineDrawsAsNew()
    {
        QFETCH(int, row);
        QFETCH(double, value);
        constexpr int Rows = 3000;
        const auto start = [](int r) {
            return r == Rows || r % 997 == 0 ? qQNaN() : std::sin(r / 40.0) * 40;
        };
        Fixture live(Rows, QSize(300, 200));
        for (int r = 1; r <= Rows; ++r)
            live.chart.setValue(Line1, r, start(r));
        live.chart.setValueAxisFixed(-50, 100, 5, 1);
        live.show();
        live.chart.setValue(Line1, row, value);
        live.chart.replotNow();

        Fixture fresh(Rows, QSize(300, 200));
        for (int r = 1; r <= Rows; ++r)
            fresh.chart.setValue(Line1, r, r == row ? value : start(r));
        fresh.chart.setValueAxisFixed(-50, 100, 5, 1);
        fresh.show();
        QCOMPARE(live.chart.grab().toImage(), fresh.chart.grab().toImage());
    }

    // The widget shows the last replot.
    void screenShowsData()
    {
        Fixture f(10);
        f.show();
        QCOMPARE(countColour(f.chart.grab().toImage(), f.chart.rect(), Red), 0);
        f.fill(Line1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
        QTRY_VERIFY(!f.chart.isReplotPending());
        QVERIFY(countColour(f.chart.grab().toImage(), f.chart.rect(), Red) > 0);
    }

    // Legend, title and footnote appear when asked for, and render options leave them out.
    void renderOptions()
    {
        Fixture f(10);
        f.fill(Line1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
        f.chart.setLegendText(Line1, "°C (Oven)");
        f.chart.setLegendVisible(true);
        f.chart.setTitle("Graph 1");
        f.show();
        const QImage full = f.chart.toImage();
        ChartRenderOptions bare;
        bare.title = false;
        bare.legend = false;
        const QImage plain = f.chart.toImage({}, bare);
        QVERIFY(full != plain);
        // Without the legend the plot takes the width, so the last point moves right.
        f.chart.setLegendVisible(false);
        f.chart.replotNow();
        const double wide = f.chart.pointPosition(Line1, 10).x();
        f.chart.setLegendVisible(true);
        f.chart.replotNow();
        QVERIFY(f.chart.pointPosition(Line1, 10).x() < wide - 20);
        QVERIFY(f.chart.isLegendVisible());
    }

    void renderIntoImage()
    {
        Fixture f(10);
        f.fill(Line1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
        QImage image(800, 500, QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        f.chart.render(painter, QRectF(100, 50, 600, 400));
        painter.end();
        QVERIFY(countColour(image, QRect(100, 50, 600, 400), Red) > 20);
        // Nothing outside the target.
        QCOMPARE(countColour(image, QRect(0, 0, 800, 50), QColor(0, 0, 0)), 0);
        QCOMPARE(countColour(image, QRect(0, 460, 800, 40), Red), 0);
    }

    // A chart printed on a page scaled to millimetres keeps its text at a readable size and its
    // legend as text.
    void renderIntoPdf()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("chart.pdf");
        Fixture f(10);
        f.fill(Line1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
        f.chart.setLegendText(Line1, "mg/l (Tank)");
        f.chart.setLegendVisible(true);
        {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(file);
            QPainter painter(&printer);
            const double mm = printer.resolution() / 25.4;
            painter.scale(mm, mm);
            f.chart.render(painter, QRectF(20, 20, 170, 110));
        }
        if (!qEnvironmentVariableIsEmpty("CHART_GRAB_DIR"))
            QFile::copy(file, qEnvironmentVariable("CHART_GRAB_DIR") + "/chart.pdf");
        QVERIFY(QFileInfo(file).size() > 1000);
        // The page at 50 dots per inch: about 2 pixels a millimetre.
        QProcess raster;
        raster.start("pdftoppm", {"-r", "50", "-png", "-singlefile", file, dir.filePath("page")});
        QVERIFY(raster.waitForFinished());
        const QImage page(dir.filePath("page.png"));
        QVERIFY(!page.isNull());
        const double px = 50 / 25.4;
        auto mm = [px](double x, double y, double w, double h) {
            return QRect(qRound(x * px), qRound(y * px), qRound(w * px), qRound(h * px));
        };
        QVERIFY(countColour(page, mm(20, 20, 170, 110), Red) > 50);
        QCOMPARE(countColour(page, mm(0, 135, 210, 160), Red), 0);
        // The legend's text: dark pixels right of the plot, in a band a few millimetres high
        // (a font scaled twice would fill the page).
        const QRect legend = mm(165, 20, 25, 110);
        int top = page.height(), bottom = -1;
        for (int y = legend.top(); y <= legend.bottom(); ++y)
            for (int x = legend.left(); x <= legend.right(); ++x)
                if (qGray(page.pixel(x, y)) < 100 && page.pixelColor(x, y).red() < 100) {
                    top = qMin(top, y);
                    bottom = qMax(bottom, y);
                }
        QVERIFY(bottom >= top);
        QVERIFY2((bottom - top) / px < 6, qPrintable(QString::number((bottom - top) / px)));
    }

    // Printers lay the chart out in 96-dpi pixels and scale it to their dots: the axes, drawn
    // with hairline pens on screen, must scale with it, or a printout shows them a dot thin.
    void axesScaleOntoFineDevices()
    {
        Fixture f(10);
        f.chart.setValueAxisFixed(0, 10, 5, 0);
        const double dpi = 1200, scale = dpi / 96;
        QImage page(qRound(400 * scale), qRound(250 * scale), QImage::Format_RGB32);
        page.setDotsPerMeterX(qRound(dpi / 0.0254));
        page.setDotsPerMeterY(qRound(dpi / 0.0254));
        page.fill(Qt::white);
        {
            QPainter painter(&page);
            f.chart.render(painter, QRectF(QPointF(0, 0), QSizeF(page.size())));
        }
        // Rows crossed by a dark line over half the page's width: the bottom axis.
        int rows = 0;
        for (int y = 0; y < page.height(); ++y) {
            int run = 0, longest = 0;
            const auto *line = reinterpret_cast<const QRgb *>(page.constScanLine(y));
            for (int x = 0; x < page.width(); ++x) {
                run = qGray(line[x]) < 80 ? run + 1 : 0;
                longest = qMax(longest, run);
            }
            if (longest > page.width() / 2)
                ++rows;
        }
        QVERIFY2(rows >= scale / 2, qPrintable(QString::number(rows)));
    }

    // A picture to look at: legend, limit line, a gap, a selected line with its markers and
    // a footnote. Written where CHART_GRAB_DIR points.
    void grabForInspection()
    {
        Fixture f(99, QSize(700, 450));
        f.chart.setLegendVisible(true);
        f.chart.setTitle("Graph 1");
        f.chart.setXAxisTitle("Time");
        f.chart.setYAxisTitle("Temperature");
        f.chart.setLabelStep(14);
        f.chart.setPenColour(Line2, QColor(0, 0, 128));
        f.chart.setPenColour(High, Red);
        f.chart.setPenColour(Line1, QColor(0, 128, 0));
        for (int r = 1; r <= 99; ++r) {
            f.chart.setValue(Line1, r, r >= 40 && r <= 45 ? qQNaN() : 20 + 5 * std::sin(r / 8.0));
            f.chart.setValue(Line2, r, 15 + r / 10.0);
            f.chart.setValue(High, r, 25);
            f.chart.setRowLabel(r, QString("10-12-2026 17:%1:00").arg(r % 60, 2, 10, QChar('0')));
        }
        f.chart.setLegendText(High, "High limit");
        f.chart.setLegendText(Line1, "°C (Oven)");
        f.chart.setLegendText(Line2, "°C (Room)");
        f.chart.setStatistics(Line1, Chart::Minimum | Chart::Maximum | Chart::Mean);
        f.chart.setMarkers(Line1, true);
        f.chart.setFootnote("Oven: No.12(10-12-2026 17:12:00): 21.4°C [MIN: 15°C  MAX: 25°C  MEAN:20°C]");
        f.chart.setFootnoteVisible(true);
        f.show();
        const QImage image = f.chart.grab().toImage();
        QVERIFY(countColour(image, image.rect(), Red) > 0);
        if (!qEnvironmentVariableIsEmpty("CHART_GRAB_DIR"))
            image.save(qEnvironmentVariable("CHART_GRAB_DIR") + "/chart.png");
    }
};

QTEST_MAIN(TestChart)
#include "tst_chart.moc"
